// The picture window: a drawing of an object or a track with "Save as
// SVG..." in its menu bar; what it shows, how it zooms, moves and turns,
// when it draws its files again and how it saves are the
// PictureController's (window/picture.hpp). It paints the drawing through
// the one walk every renderer follows (picture::paint), here with GDI,
// forwards the pointer, the wheel and Home, and tells the controller when
// a watched folder changed (the folder change notifications of Windows,
// waited for on a thread of its own).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "picture/drawing.hpp"
#include "window/picture.hpp"

namespace z5 {

class Dialogs;

// Paints `drawing` into `dc` over a `width` x `height` area, its texts
// `text` large.
void paintDrawing(const picture::Drawing& drawing, HDC dc, int width, int height,
                  const picture::TextScale& text = {});

// Posts `message` to a window each time a file in one of some folders is
// created, removed, renamed or written, until it ends.
class FolderWatch {
public:
    FolderWatch() = default;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    ~FolderWatch() { stop(); }

    // Watches `folders` (those that can be watched) for `window`.
    void start(HWND window, UINT message, const std::vector<std::string>& folders);
    void stop();
    const std::vector<std::string>& folders() const { return folders_; }

private:
    std::vector<std::string> folders_;
    std::vector<HANDLE> handles_;  // the stop event, then a notification of each folder
    std::thread waiter_;
};

class frmPicture {
public:
    // `title` names what is drawn; `folder` is where saving starts, and
    // `dialogs` asks for the file name; the picture follows the files of
    // `source`. The window shows at once and deletes this object when it is
    // closed.
    static frmPicture* open(picture::Drawing drawing, const std::string& title, HWND owner,
                            Dialogs& dialogs, std::function<std::string()> folder,
                            PictureSource source = {});

    HWND hwnd() const { return hwnd_; }
    const picture::Drawing& drawing() const { return picture_.shown(); }
    PictureController& picture() { return picture_; }
    // Asks for a file name and writes the drawing there as SVG.
    void mnuSaveSvg_Click();
    // How the drawing fits the window now.
    picture::PageFit fit() const;
    // The text of the dot under the client point (x, y), shown in the status bar.
    void pointAt(int x, int y);
    std::string statusText() const;

private:
    frmPicture(picture::Drawing drawing, Dialogs& dialogs, std::function<std::string()> folder,
               PictureSource source)
        : picture_(std::move(drawing), std::move(folder), std::move(source)), dialogs_(dialogs) {}
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Sets the status bar's text.
    void showStatus(const std::string& text) const;
    // Draws the files again when they changed; watches any new folder.
    void reload();
    // The picture changed: painted again.
    void repaint() const { InvalidateRect(hwnd_, nullptr, FALSE); }

    PictureController picture_;
    Dialogs& dialogs_;
    HWND hwnd_ = nullptr;
    HWND status_ = nullptr;
    FolderWatch watch_;
};

}  // namespace z5
