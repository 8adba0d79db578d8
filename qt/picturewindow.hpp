// The picture window: a drawing of an object or a track with "Save as
// SVG..."; what it shows, how it zooms, moves and turns, when it draws its
// files again and how it saves are the PictureController's
// (window/picture.hpp). It paints the drawing through the one walk every
// renderer follows (picture::paint), here with QPainter, forwards the
// pointer, the wheel and Home, and tells the controller when a watched
// file or folder changed (QFileSystemWatcher: inotify on Linux).
#pragma once

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "picture/drawing.hpp"
#include "window/picture.hpp"

class QPainter;

namespace z5 {

class Dialogs;

// Paints `drawing` with `painter` into a `width` x `height` area, its texts
// `text` large.
void paintDrawing(const picture::Drawing& drawing, QPainter& painter, double width, double height,
                  const picture::TextScale& text = {});

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(PictureController& picture, QWidget* parent = nullptr);
    const picture::Drawing& drawing() const { return picture_.shown(); }

signals:
    // The text of the dot pointed at, or an empty text.
    void pointed(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    PictureController& picture_;
};

class frmPicture : public QMainWindow {
    Q_OBJECT
public:
    // `title` names what is drawn; `folder` is where saving starts, and
    // `dialogs` asks for the file name; the picture follows the files of
    // `source`.
    frmPicture(picture::Drawing drawing, const QString& title, Dialogs& dialogs,
               std::function<std::string()> folder, PictureSource source = {},
               QWidget* parent = nullptr);

    PictureView* view() const { return view_; }
    PictureController& picture() { return picture_; }
    // Asks for a file name and writes the drawing there as SVG.
    void mnuSaveSvg_Click();

private:
    // Watches the files and folders the controller names that exist now.
    void watch();
    void reload();
    void showStatus(const QString& text);

    PictureController picture_;
    PictureView* view_;
    Dialogs& dialogs_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};

}  // namespace z5
