// The picture window: a drawing of an object or a track, fitted to the
// window as it is resized, with "Save as SVG..."; pointing at a dot shows its
// text in a tip and in the status bar. The drawing is painted through the
// one walk every renderer follows (picture::paint), here with QPainter.
#pragma once

#include <QMainWindow>
#include <QWidget>
#include <functional>

#include "picture/drawing.hpp"

class QPainter;

namespace z5 {

class Dialogs;

// Paints `drawing` with `painter` into a `width` x `height` area.
void paintDrawing(const picture::Drawing& drawing, QPainter& painter, double width, double height);

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(picture::Drawing drawing, QWidget* parent = nullptr);
    const picture::Drawing& drawing() const { return drawing_; }

signals:
    // The text of the dot pointed at, or an empty text.
    void pointed(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    picture::Drawing drawing_;
    QString shown_;
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
    PictureView* view_;
    Dialogs& dialogs_;
    std::function<std::string()> folder_;
};

}  // namespace z5
