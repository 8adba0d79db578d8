#include "qt/pictures.hpp"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace z5 {
namespace {

// A transparent square of `size` pixels that `draw(painter, size)` paints,
// smoothed.
template <class Draw>
QPixmap painted(int size, Draw draw) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, qreal(size));
    return pixmap;
}

}  // namespace

QPixmap drawLogo(int size) {
    return painted(size, [](QPainter& p, qreal s) {
        QPainterPath badge;
        badge.addRoundedRect(QRectF(0.04 * s, 0.04 * s, 0.92 * s, 0.92 * s), 0.14 * s, 0.14 * s);
        p.fillPath(badge, QColor(0x1f, 0x2a, 0x44));
        p.setClipPath(badge);

        // Two rows of squares across the upper part, like a finish line.
        const int squares = 8;
        const qreal cell = 0.92 * s / squares;
        for (int row = 0; row < 2; ++row)
            for (int col = 0; col < squares; ++col)
                p.fillRect(QRectF(0.04 * s + col * cell, 0.14 * s + row * cell, cell, cell),
                           (row + col) % 2 ? QColor(Qt::white) : QColor(Qt::black));

        QFont font(QStringLiteral("Times New Roman"));
        font.setStyleHint(QFont::Serif);
        font.setBold(true);
        font.setPixelSize(int(0.42 * s));
        p.setFont(font);
        p.setPen(QColor(0xf2, 0xb1, 0x34));
        p.drawText(QRectF(0, 0.38 * s, s, 0.55 * s), Qt::AlignCenter, QStringLiteral("Z5"));
    });
}

QIcon drawOkFace(int size) {
    return QIcon(painted(size, [](QPainter& p, qreal s) {
        p.setBrush(QColor(0x2e, 0x8b, 0x57));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(0.05 * s, 0.05 * s, 0.9 * s, 0.9 * s));
        QPen tick(Qt::white, 0.11 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(tick);
        p.drawPolyline(QPolygonF({QPointF(0.28 * s, 0.52 * s), QPointF(0.44 * s, 0.68 * s),
                                  QPointF(0.73 * s, 0.34 * s)}));
    }));
}

}  // namespace z5
