// The picture window: a drawing of an object or a track with "Save as
// SVG..."; what it shows, where the pointer is and how it saves are the
// PictureController's (window/picture.hpp). It paints the drawing through
// the one walk every renderer follows (picture::paint), here with QPainter,
// and shows the pointed dot's text in a tip and in the status bar.
#pragma once

#include <QMainWindow>
#include <QWidget>
#include <functional>

#include "picture/drawing.hpp"
#include "window/picture.hpp"

class QPainter;

namespace z5 {

class Dialogs;

// Paints `drawing` with `painter` into a `width` x `height` area.
void paintDrawing(const picture::Drawing& drawing, QPainter& painter, double width, double height);

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(PictureController& picture, QWidget* parent = nullptr);
    const picture::Drawing& drawing() const { return picture_.drawing(); }

signals:
    // The text of the dot pointed at, or an empty text.
    void pointed(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    PictureController& picture_;
};

class frmPicture : public QMainWindow {
    Q_OBJECT
public:
    // `title` names what is drawn; `folder` is where saving starts, and
    // `dialogs` asks for the file name.
    frmPicture(picture::Drawing drawing, const QString& title, Dialogs& dialogs,
               std::function<std::string()> folder, QWidget* parent = nullptr);

    PictureView* view() const { return view_; }
    // Asks for a file name and writes the drawing there as SVG.
    void mnuSaveSvg_Click();

private:
    PictureController picture_;
    PictureView* view_;
    Dialogs& dialogs_;
};

}  // namespace z5
