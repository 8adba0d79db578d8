// The window's Host: the shell's file dialogs answer the open and save
// choices, both starting in the working folder, which the controller gives;
// the caption is the window's, the busy pointer is the hourglass and messages are modal boxes
// with an exclamation icon.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "window/windowhost.hpp"

namespace z5 {

// A filter "Shown text|pattern[|Shown text|pattern...]" in the form the
// common file dialogs take: each text and pattern ended by a NUL, the whole
// by a second one. The shown text stays exactly as it is.
std::wstring win32Filter(std::string_view filter);

// The window's modal questions, behind one interface so that a test answers
// them from a script.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // An existing file to open, starting in `folder`; `filter` as
    // win32Filter gives it. nullopt when cancelled.
    virtual std::optional<std::wstring> chooseOpen(const std::wstring& filter,
                                                   const std::wstring& folder) = 0;
    // A file name to save under, starting in `folder` with the name
    // `proposed` (empty: none); nullopt when cancelled.
    virtual std::optional<std::wstring> chooseSave(const std::wstring& filter,
                                                   const std::wstring& folder,
                                                   const std::wstring& proposed) = 0;
    // An existing file, or a folder, starting in `folder`; nullopt when
    // cancelled.
    virtual std::optional<std::wstring> chooseFileOrFolder(const std::wstring& title,
                                                           const std::wstring& folder) = 0;
    // A modal box with one OK button; `icon` is one of the MB_ICON flags.
    virtual void message(UINT icon, const std::wstring& title, const std::wstring& text) = 0;
    // A modal question with the buttons Yes and No; true for Yes.
    virtual bool ask(const std::wstring& title, const std::wstring& text) = 0;
};

// The real questions over `owner`: the shell's file dialogs (the common
// dialogs where those cannot be made), its folder browser and message boxes.
class SystemDialogs : public Dialogs {
public:
    explicit SystemDialogs(HWND owner) : owner_(owner) {}
    std::optional<std::wstring> chooseOpen(const std::wstring& filter,
                                           const std::wstring& folder) override;
    std::optional<std::wstring> chooseSave(const std::wstring& filter, const std::wstring& folder,
                                           const std::wstring& proposed) override;
    std::optional<std::wstring> chooseFileOrFolder(const std::wstring& title,
                                                   const std::wstring& folder) override;
    void message(UINT icon, const std::wstring& title, const std::wstring& text) override;
    bool ask(const std::wstring& title, const std::wstring& text) override;

private:
    HWND owner_;
};

// The hourglass for the whole program: windows show it while it is on
// (their WM_SETCURSOR asks hourglassShown).
void showHourglass(bool on);
bool hourglassShown();

class Win32Host : public WindowHost {
public:
    Win32Host(HWND window, Dialogs& dialogs, std::string folder,
              std::function<void(const std::string&)> notice);
    ~Win32Host() override { setBusy(false); }

    std::optional<std::string> openFileName(std::string_view filter) override;
    std::optional<std::string> saveFileName(std::string_view filter,
                                            const std::string& initialFolder,
                                            const std::string& proposedName) override;
    void setCaption(const std::string& caption) override;
    void messageBox(const std::string& text, const std::string& title) override;

private:
    void showBusy(bool busy) override { showHourglass(busy); }

    HWND window_;
    Dialogs& dialogs_;
};

}  // namespace z5
