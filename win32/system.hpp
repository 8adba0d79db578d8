// Small pieces of the Windows API the window's parts share. Text is UTF-8
// inside and reaches the W functions through widen() (platform/files.hpp).
#pragma once

#include <windows.h>

#include <string>

#include "platform/encoding.hpp"

namespace z5 {

// The text of a window or control.
std::string windowText(HWND window);

// Moves `window` to the middle of the monitor it is on: left = (screen
// width - window width) / 2, top likewise, divided as floating point.
void centreOnScreen(HWND window);

// `value` in logical pixels (96 per inch) at `dpi`.
int scaled(int value, UINT dpi);

}  // namespace z5

namespace z5 {

// The system's font for text in windows and dialogs at `dpi`; the caller
// deletes it.
HFONT createMessageFont(UINT dpi);
// The font `face` with characters `pixels` device pixels high; the caller
// deletes it.
HFONT createFont(int pixels, const wchar_t* face, DWORD pitchAndFamily, bool bold = false);

// A visible child control of `parent` with the id `id`, in `font` when one
// is given.
HWND createControl(const wchar_t* type, const std::string& text, DWORD style, HWND parent, int id,
                   HFONT font = nullptr);

// Deletes a GDI object once; null afterwards.
void deleteObject(auto*& object) {
    if (object) DeleteObject(object);
    object = nullptr;
}

// The dpi of the monitor `window` is on.
UINT dpiOf(HWND window);

// Registers a window class of this program once; `icon` from the program's
// resources when it has them.
void registerWindowClass(const wchar_t* name, WNDPROC procedure);

}  // namespace z5

namespace z5 {

// The object behind a window of this program: CreateWindowExW's last
// argument, kept from WM_NCCREATE on; nullptr before.
template <class T>
T* windowObject(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace z5
