// The picture window: a drawing of an object or a track with "Save as
// SVG..." in its menu bar; what it shows, where the pointer is and how it
// saves are the PictureController's (window/picture.hpp). It paints the
// drawing through the one walk every renderer follows (picture::paint), here
// with GDI, and shows the pointed dot's text in its status bar.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "picture/drawing.hpp"
#include "window/picture.hpp"

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
    const picture::Drawing& drawing() const { return picture_.drawing(); }
    // Asks for a file name and writes the drawing there as SVG.
    void mnuSaveSvg_Click();
    // How the drawing fits the window now.
    picture::PageFit fit() const;
    // The text of the dot under the client point (x, y), shown in the status bar.
    void pointAt(int x, int y);
    std::string statusText() const { return picture_.pointed(); }

private:
    frmPicture(picture::Drawing drawing, Dialogs& dialogs, std::function<std::string()> folder)
        : picture_(std::move(drawing), std::move(folder)), dialogs_(dialogs) {}
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Sets the status bar's text.
    void showStatus(const std::string& text) const;

    PictureController picture_;
    Dialogs& dialogs_;
    HWND hwnd_ = nullptr;
    HWND status_ = nullptr;
};

}  // namespace z5
