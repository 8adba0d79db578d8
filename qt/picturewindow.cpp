#include "qt/picturewindow.hpp"

#include <QApplication>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolTip>
#include <QWheelEvent>

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

QString qtPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The walk's calls as QPainter calls, in page units under the painter's
// transform; lines are one device pixel wide at any size, and texts are
// drawn in device pixels, so that they keep their size.
class QtCanvas : public Canvas {
public:
    QtCanvas(QPainter& painter, PageFit fit) : painter_(painter), fit_(fit) {}

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
        painter_.save();
        painter_.resetTransform();
        QFont font = painter_.font();
        font.setPixelSize(std::max(1, int(size * fit_.scale + 0.5)));
        painter_.setFont(font);
        painter_.setPen(qtColor(color));
        const QString shown = qtText(text);
        const Vec2 at = fit_.toDevice(page);
        double x = at.x;
        if (anchor != Anchor::Start) {
            const double width = QFontMetricsF(font).horizontalAdvance(shown);
            x -= anchor == Anchor::Middle ? width / 2 : width;
        }
        painter_.drawText(QPointF(x, at.y), shown);
        painter_.restore();
    }
    void clip(const Frame* frame) override {
        if (frame)
            painter_.setClipRect(QRectF(frame->left, frame->top, frame->width, frame->height));
        else
            painter_.setClipping(false);
    }

private:
    QPainter& painter_;
    PageFit fit_;
};

}  // namespace

void paintDrawing(const Drawing& drawing, QPainter& painter, double width, double height,
                  const TextScale& text) {
    const PageFit fit = fitPage(drawing, width, height);
    painter.save();
    painter.fillRect(QRectF(0, 0, width, height), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(fit.offset.x, fit.offset.y);
    painter.scale(fit.scale, fit.scale);
    QtCanvas canvas(painter, fit);
    paint(drawing, canvas, text);
    painter.restore();
}

PictureView::PictureView(PictureController& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setMouseTracking(true);
    setMinimumSize(200, 160);
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintDrawing(picture_.shown(), painter, width(), height(),
                 picture_.textScale(picture_.fit(width(), height())));
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    const QPointF at = event->position();
    picture_.press(at.x(), at.y(),
                   event->button() == Qt::LeftButton ? PictureController::Button::Left
                                                     : PictureController::Button::Right,
                   width(), height());
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (picture_.drag(at.x(), at.y(), width(), height())) update();
    const auto changed = picture_.pointAt(at.x(), at.y(), width(), height());
    if (!changed) return;
    const QString text = QString::fromUtf8(changed->c_str());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
    emit pointed(text);
}

void PictureView::mouseReleaseEvent(QMouseEvent*) {
    picture_.release();
}

void PictureView::wheelEvent(QWheelEvent* event) {
    const QPointF at = event->position();
    // A notch is 120 eighths of a degree; finer wheels send parts of one.
    if (picture_.wheel(at.x(), at.y(), event->angleDelta().y() / 120.0, width(), height()))
        update();
    event->accept();
}

frmPicture::frmPicture(Drawing drawing, const QString& title, Dialogs& dialogs,
                       std::function<std::string()> folder, PictureSource source, QWidget* parent)
    : QMainWindow(parent),
      picture_(std::move(drawing), std::move(folder), std::move(source)),
      view_(new PictureView(picture_, this)),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmPicture"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    setCentralWidget(view_);
    QAction* save = menuBar()->addAction(QString::fromUtf8(kSaveSvgCaption));
    save->setObjectName(QStringLiteral("mnuSaveSvg"));
    connect(save, &QAction::triggered, this, &frmPicture::mnuSaveSvg_Click);
    connect(view_, &PictureView::pointed, this, [this](const QString&) {
        showStatus(QString::fromLocal8Bit(picture_.status().c_str()));
    });
    auto* home = new QShortcut(QKeySequence(Qt::Key_Home), this);
    connect(home, &QShortcut::activated, this, [this] {
        if (picture_.home()) view_->update();
    });

    // Texts as large as the menu's at least; the window within the work
    // area of its screen, the frame the system adds allowed for.
    picture_.setScreenText(logicalDpiY() / 72.0,
                           QFontInfo(QApplication::font("QMenu")).pixelSize());
    const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    const QRect area = screen()->availableGeometry();
    const int frameWidth = 16, frameHeight = 40;
    const auto start =
        picture_.startSize(area.width() - frameWidth, area.height() - bars - frameHeight);
    resize(start.width, start.height + bars);

    settle_.setSingleShot(true);
    settle_.setInterval(PictureController::kSettleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, &frmPicture::reload);
    const auto changed = [this] {
        watch();  // a file saved by a rename is a new file to watch
        settle_.start();
    };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
    watch();
}

void frmPicture::watch() {
    QStringList paths;
    for (const std::string& file : picture_.watchedFiles()) {
        const QString path = qtPath(file);
        if (QFileInfo::exists(path) && !watcher_.files().contains(path)) paths << path;
    }
    for (const std::string& folder : picture_.watchedFolders()) {
        const QString path = qtPath(folder);
        if (QFileInfo::exists(path) && !watcher_.directories().contains(path)) paths << path;
    }
    if (!paths.isEmpty()) watcher_.addPaths(paths);
}

void frmPicture::reload() {
    if (!picture_.reload()) return;
    watch();
    view_->update();
    showStatus(QString::fromLocal8Bit(picture_.status().c_str()));
}

void frmPicture::showStatus(const QString& text) {
    statusBar()->showMessage(text);
    statusBar()->setToolTip(text);  // a long reason is cut in the bar
}

void frmPicture::mnuSaveSvg_Click() {
    QtHost host(*this, dialogs_, picture_.workingFolder(), [this](const std::string& line) {
        statusBar()->showMessage(QString::fromLocal8Bit(line.c_str()));
    });
    if (const auto status = picture_.save(host))
        statusBar()->showMessage(QString::fromLocal8Bit(status->c_str()));
}

}  // namespace z5
