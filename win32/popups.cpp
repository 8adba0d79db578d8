#include "win32/popups.hpp"

#include <algorithm>
#include <string>

#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "win32/resource.h"
#include "win32/system.hpp"
#include "window/help.hpp"
#include "window/texts.hpp"

namespace z5 {
namespace {

constexpr wchar_t kAboutClass[] = L"frmAbout";
constexpr wchar_t kHelpClass[] = L"frmHelp";
constexpr int kOkId = 1;

// A window owned by `owner` whose client area is `width` x `height` logical
// pixels at the owner's dpi.
HWND createOwned(const wchar_t* type, const std::string& title, DWORD style, HWND owner, int width,
                 int height, void* object) {
    const UINT dpi = dpiOf(owner);
    RECT frame{0, 0, scaled(width, dpi), scaled(height, dpi)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, 0, dpi);
    return CreateWindowExW(0, type, widen(title).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                           frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                           GetModuleHandleW(nullptr), object);
}

void raise(HWND window) {
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
}

}  // namespace

HBITMAP drawOkFace(int size) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP face = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, face);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    HBRUSH green = CreateSolidBrush(RGB(46, 160, 67));
    HPEN rim = CreatePen(PS_SOLID, 1, RGB(30, 110, 45));
    HGDIOBJ oldBrush = SelectObject(dc, green);
    HGDIOBJ oldPen = SelectObject(dc, rim);
    Ellipse(dc, 1, 1, size - 1, size - 1);
    HPEN tick = CreatePen(PS_SOLID, std::max(2, size / 8), RGB(255, 255, 255));
    SelectObject(dc, tick);
    const POINT stroke[] = {{size * 27 / 100, size * 52 / 100},
                            {size * 43 / 100, size * 68 / 100},
                            {size * 73 / 100, size * 34 / 100}};
    Polyline(dc, stroke, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldBitmap);
    DeleteObject(tick);
    DeleteObject(rim);
    DeleteObject(green);
    DeleteDC(dc);
    return face;
}

frmAbout::~frmAbout() {
    if (hwnd_) DestroyWindow(hwnd_);
    release();
}

void frmAbout::Form_Load() {
    if (!hwnd_) create();
    centreOnScreen(hwnd_);
    raise(hwnd_);
}

void frmAbout::cmdOK_Click() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void frmAbout::create() {
    registerWindowClass(kAboutClass, procedure);
    hwnd_ = createOwned(kAboutClass, kAboutTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, owner_,
                        520, 230, this);
    const UINT dpi = dpiOf(hwnd_);
    auto s = [dpi](int v) { return scaled(v, dpi); };
    font_ = createMessageFont(dpi);
    logo_ = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO),
                                            IMAGE_BITMAP, s(72), s(72), 0));
    HWND logo = createControl(L"STATIC", "", SS_BITMAP, hwnd_, 0, font_);
    SendMessageW(logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_));
    MoveWindow(logo, s(12), s(12), s(72), s(72), FALSE);
    // Each line has room to wrap once.
    for (std::size_t i = 0; i < kAboutLineCount; ++i) {
        const int top = 12 + 38 * static_cast<int>(i);
        HWND label = createControl(L"STATIC", kAboutLines[i], SS_LEFT | SS_NOPREFIX, hwnd_,
                                   11 + static_cast<int>(i), font_);
        MoveWindow(label, s(96), s(top), s(412), s(34), FALSE);
    }
    face_ = drawOkFace(s(32));
    cmdOK_ = createControl(L"BUTTON", "OK", BS_DEFPUSHBUTTON | BS_BITMAP | WS_TABSTOP, hwnd_, kOkId,
                           font_);
    SendMessageW(cmdOK_, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(face_));
    MoveWindow(cmdOK_, s(260 - 24), s(12 + 38 * static_cast<int>(kAboutLineCount)), s(48), s(44),
               FALSE);
}

void frmAbout::release() {
    for (HGDIOBJ object : {HGDIOBJ(font_), HGDIOBJ(logo_), HGDIOBJ(face_)})
        if (object) DeleteObject(object);
    font_ = nullptr;
    logo_ = nullptr;
    face_ = nullptr;
}

LRESULT CALLBACK frmAbout::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowObject<frmAbout>(window, message, lParam);
    if (self) {
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) == kOkId || LOWORD(wParam) == IDCANCEL) {
                    self->cmdOK_Click();
                    return 0;
                }
                break;
            case WM_NCDESTROY:
                self->hwnd_ = nullptr;
                self->cmdOK_ = nullptr;
                self->release();
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

frmHelp::~frmHelp() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void frmHelp::show() {
    showText(std::string(kHelpTitle) + std::string(kHelpFile), helpText());
}

void frmHelp::showText(const std::string& title, const std::string& lines) {
    if (!hwnd_) {
        registerWindowClass(kHelpClass, procedure);
        hwnd_ = createOwned(kHelpClass, title, WS_OVERLAPPEDWINDOW, owner_, 640, 520, this);
        const UINT dpi = dpiOf(hwnd_);
        font_ = createFont(scaled(13, dpi), L"Consolas", FIXED_PITCH | FF_MODERN);
        // Without horizontal scrolling an edit control wraps at its width.
        text_ = createControl(L"EDIT", "",
                              ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL |
                                  (wraps_ ? 0 : ES_AUTOHSCROLL | WS_HSCROLL),
                              hwnd_, 1, font_);
        SendMessageW(text_, EM_SETLIMITTEXT, 0, 0);
        RECT client{};
        GetClientRect(hwnd_, &client);
        MoveWindow(text_, 0, 0, client.right, client.bottom, FALSE);
    }
    std::string text;
    for (char c : lines) {
        if (c == '\n') text += '\r';
        text += c;
    }
    SetWindowTextW(hwnd_, widen(title).c_str());
    SetWindowTextW(text_, widen(text).c_str());
    raise(hwnd_);
}

LRESULT CALLBACK frmHelp::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowObject<frmHelp>(window, message, lParam);
    if (self) {
        switch (message) {
            case WM_CTLCOLORSTATIC: {
                // A read-only text is grey by default: the help reads as a page.
                const auto dc = reinterpret_cast<HDC>(wParam);
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            case WM_SIZE:
                if (self->text_)
                    MoveWindow(self->text_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
                return 0;
            case WM_NCDESTROY:
                self->hwnd_ = nullptr;
                self->text_ = nullptr;
                if (self->font_) DeleteObject(self->font_);
                self->font_ = nullptr;
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace z5
