#include "qt/picturewindow.hpp"

#include <QFontMetricsF>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStatusBar>
#include <QToolTip>

#include "qt/qthost.hpp"

namespace z5 {
namespace {

using namespace picture;

QColor qtColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QString qtText(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The walk's calls as QPainter calls, in page units under the painter's
// transform; lines are one device pixel wide at any size.
class QtCanvas : public Canvas {
public:
    explicit QtCanvas(QPainter& painter) : painter_(painter) {}

    void path(const Path& path, std::span<const Vec2> page) override {
        QPen pen(qtColor(path.stroke));
        pen.setCosmetic(true);
        painter_.setPen(pen);
        painter_.setBrush(path.fill ? QBrush(qtColor(*path.fill)) : Qt::NoBrush);
        QPolygonF points;
        for (const Vec2& p : page) points << QPointF(p.x, p.y);
        if (path.shape == Path::Shape::Box && points.size() >= 2)
            painter_.drawRect(QRectF(points[0], points[1]).normalized());
        else if (path.shape == Path::Shape::Outline)
            painter_.drawPolygon(points);
        else
            painter_.drawPolyline(points);
    }
    void dot(const Dot& dot, const Data&, std::string_view, Vec2 page, double radius) override {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(qtColor(dot.color));
        painter_.drawEllipse(QPointF(page.x, page.y), radius, radius);
    }
    void text(std::string_view text, Vec2 page, Anchor anchor, double size, Rgb color,
              const Data&) override {
        QFont font = painter_.font();
        font.setPixelSize(std::max(1, int(size + 0.5)));
        painter_.setFont(font);
        painter_.setPen(qtColor(color));
        const QString shown = qtText(text);
        double x = page.x;
        if (anchor != Anchor::Start) {
            const double width = QFontMetricsF(font).horizontalAdvance(shown);
            x -= anchor == Anchor::Middle ? width / 2 : width;
        }
        painter_.drawText(QPointF(x, page.y), shown);
    }

private:
    QPainter& painter_;
};

}  // namespace

void paintDrawing(const Drawing& drawing, QPainter& painter, double width, double height) {
    const PageFit fit = fitPage(drawing, width, height);
    painter.save();
    painter.fillRect(QRectF(0, 0, width, height), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(fit.offset.x, fit.offset.y);
    painter.scale(fit.scale, fit.scale);
    QtCanvas canvas(painter);
    paint(drawing, canvas);
    painter.restore();
}

PictureView::PictureView(PictureController& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setMouseTracking(true);
    setMinimumSize(200, 160);
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintDrawing(picture_.drawing(), painter, width(), height());
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    const auto changed = picture_.pointAt(at.x(), at.y(), width(), height());
    if (!changed) return;
    const QString text = QString::fromUtf8(changed->c_str());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
    emit pointed(text);
}

frmPicture::frmPicture(Drawing drawing, const QString& title, Dialogs& dialogs,
                       std::function<std::string()> folder, QWidget* parent)
    : QMainWindow(parent),
      picture_(std::move(drawing), std::move(folder)),
      view_(new PictureView(picture_, this)),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmPicture"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    setCentralWidget(view_);
    QAction* save = menuBar()->addAction(QString::fromUtf8(kSaveSvgCaption));
    save->setObjectName(QStringLiteral("mnuSaveSvg"));
    connect(save, &QAction::triggered, this, &frmPicture::mnuSaveSvg_Click);
    connect(view_, &PictureView::pointed, statusBar(),
            [this](const QString& text) { statusBar()->showMessage(text); });
    resize(picture_.startWidth(), picture_.startHeight() + menuBar()->sizeHint().height() +
                                      statusBar()->sizeHint().height());
}

void frmPicture::mnuSaveSvg_Click() {
    QtHost host(*this, dialogs_, picture_.workingFolder(), [this](const std::string& line) {
        statusBar()->showMessage(QString::fromLocal8Bit(line.c_str()));
    });
    if (const auto status = picture_.save(host))
        statusBar()->showMessage(QString::fromLocal8Bit(status->c_str()));
}

}  // namespace z5
