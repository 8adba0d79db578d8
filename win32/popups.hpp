// The About window (the version, what the tool does, where its
// documentation is, and a picture button that closes it) and the help window
// that F1 opens. Neither blocks the main window; each exists once.
#pragma once

#include <windows.h>

#include <string>

namespace z5 {

class frmAbout {
public:
    explicit frmAbout(HWND owner) : owner_(owner) {}
    ~frmAbout();
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    // Creates the window unless it is open, centres it on the screen and
    // shows it, raised.
    void Form_Load();
    // The picture button: closes the window.
    void cmdOK_Click();
    // nullptr while closed.
    HWND hwnd() const { return hwnd_; }
    HWND cmdOK() const { return cmdOK_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void create();
    void release();

    HWND owner_;
    HWND hwnd_ = nullptr;
    HWND cmdOK_ = nullptr;
    HFONT font_ = nullptr;
    HBITMAP logo_ = nullptr;
    HBITMAP face_ = nullptr;
};

// The help as plain text in a read-only, resizable text control, its lines
// wrapped to the window; a second one is the list window (the reasons of a
// failed extract or build, the verdicts of a verify), one unwrapped line per
// row.
class frmHelp {
public:
    frmHelp(HWND owner, bool wraps) : owner_(owner), wraps_(wraps) {}
    ~frmHelp();
    frmHelp(const frmHelp&) = delete;
    frmHelp& operator=(const frmHelp&) = delete;

    // Creates the window unless it is open, and shows it, raised.
    void show();
    // The same with `title` and `text` (lines ended by '\n') in place of
    // the help.
    void showText(const std::string& title, const std::string& text);
    HWND hwnd() const { return hwnd_; }
    HWND text() const { return text_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND owner_;
    bool wraps_;
    HWND hwnd_ = nullptr;
    HWND text_ = nullptr;
    HFONT font_ = nullptr;
};

// The face of the About window's button: a white tick in a green disc.
HBITMAP drawOkFace(int size);

}  // namespace z5
