#include "qt/picturewindow.hpp"

#include <QFontMetricsF>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStatusBar>
#include <QToolTip>

#include "core/command.hpp"
#include "picture/svg.hpp"
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

PictureView::PictureView(Drawing drawing, QWidget* parent)
    : QWidget(parent), drawing_(std::move(drawing)) {
    setMouseTracking(true);
    setMinimumSize(200, 160);
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintDrawing(drawing_, painter, width(), height());
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    const PageFit fit = fitPage(drawing_, width(), height());
    const QPointF at = event->position();
    // Within 6 pixels of a dot's centre, whatever the size.
    const auto hit = dotAt(drawing_, fit.toPage({at.x(), at.y()}), 6 / fit.scale);
    const QString text = hit ? qtText(drawing_.textOf(hit->dot->title)) : QString();
    if (text == shown_) return;
    shown_ = text;
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
    emit pointed(text);
}

frmPicture::frmPicture(Drawing drawing, const QString& title, Dialogs& dialogs,
                       std::function<std::string()> folder, QWidget* parent)
    : QMainWindow(parent),
      view_(new PictureView(std::move(drawing), this)),
      dialogs_(dialogs),
      folder_(std::move(folder)) {
    setObjectName(QStringLiteral("frmPicture"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    setCentralWidget(view_);
    QAction* save = menuBar()->addAction(QStringLiteral("&Save as SVG..."));
    save->setObjectName(QStringLiteral("mnuSaveSvg"));
    connect(save, &QAction::triggered, this, &frmPicture::mnuSaveSvg_Click);
    connect(view_, &PictureView::pointed, statusBar(),
            [this](const QString& text) { statusBar()->showMessage(text); });
    const Drawing& d = view_->drawing();
    resize(int(d.width * 0.8), int(d.height * 0.8));
}

void frmPicture::mnuSaveSvg_Click() {
    QtHost host(*this, dialogs_, folder_(), [this](const std::string& line) {
        statusBar()->showMessage(QString::fromLocal8Bit(line.c_str()));
    });
    const Outcome outcome = runCommand(
        host, {.dialog = Dialog::Save, .filter = "SVG Files(*.svg)|*.svg"}, [this](Command& cmd) {
            writeSvg(cmd.createTextAt(cmd.chosenPath(), cmd.chosenName()), view_->drawing());
        });
    if (outcome.status == Status::Failed)
        statusBar()->showMessage(QString::fromLocal8Bit(outcome.reason.c_str()));
}

}  // namespace z5
