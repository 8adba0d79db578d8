// The picture window: a drawing of an object or a track, fitted to the
// window as it is resized, with "Save as SVG..." in its menu bar; pointing at
// a dot shows its text in the status bar. The drawing is painted through the
// one walk every renderer follows (picture::paint), here with GDI.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "picture/drawing.hpp"

namespace z5 {

class Dialogs;

// Paints `drawing` into `dc` over a `width` x `height` area.
void paintDrawing(const picture::Drawing& drawing, HDC dc, int width, int height);

class frmPicture {
public:
    // `title` names what is drawn; `folder` is where saving starts, and
    // `dialogs` asks for the file name. The window shows at once and deletes
    // this object when it is closed.
    static frmPicture* open(picture::Drawing drawing, const std::string& title, HWND owner,
                            Dialogs& dialogs, std::function<std::string()> folder);

    HWND hwnd() const { return hwnd_; }
    const picture::Drawing& drawing() const { return drawing_; }
    // Asks for a file name and writes the drawing there as SVG.
    void mnuSaveSvg_Click();
    // How the drawing fits the window now.
    picture::PageFit fit() const;
    // The text of the dot under the client point (x, y), shown in the status bar.
    void pointAt(int x, int y);
    std::string statusText() const { return shown_; }

private:
    frmPicture(picture::Drawing drawing, Dialogs& dialogs, std::function<std::string()> folder)
        : drawing_(std::move(drawing)), dialogs_(dialogs), folder_(std::move(folder)) {}
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    picture::Drawing drawing_;
    Dialogs& dialogs_;
    std::function<std::string()> folder_;
    HWND hwnd_ = nullptr;
    HWND status_ = nullptr;
    std::string shown_;
};

}  // namespace z5
