// Helpers for the Win32 window's suite: answering file choices and boxes
// from a script, a window started in a folder, choosing entries.
#pragma once

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "tests/support/expected_menu.hpp"
#include "tests/support/support.hpp"
#include "win32/host.hpp"
#include "win32/mainwindow.hpp"
#include "window/menu.hpp"

namespace z5::test {

// A NUL as "\0", so that a filter in the dialogs' form can be compared.
inline std::string visible(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c ? narrow(std::wstring(1, c)) : std::string("\\0");
    return out;
}

// The answers to a window's file choices and questions, and a line for
// everything it asked: "open <filter> in <folder>", "save <filter> in
// <folder> as <name>", "file or folder in <folder>", "<icon> <title>:
// <text>" or "question <title>: <text>", each ended by " (busy)" while the
// hourglass shows. An empty answer, or none left, cancels the choice; a
// question is answered `yes`.
struct DialogScript {
    std::vector<std::string> answers;
    std::vector<std::string> asked;
    bool yes = true;
};

class ScriptedDialogs : public Dialogs {
public:
    explicit ScriptedDialogs(DialogScript& script) : script_(script) {}

    std::optional<std::wstring> chooseOpen(const std::wstring& filter,
                                           const std::wstring& folder) override {
        return answer("open " + visible(filter) + " in " + narrow(folder));
    }
    std::optional<std::wstring> chooseSave(const std::wstring& filter, const std::wstring& folder,
                                           const std::wstring& proposed) override {
        return answer("save " + visible(filter) + " in " + narrow(folder) + " as " +
                      narrow(proposed));
    }
    std::optional<std::wstring> chooseFileOrFolder(const std::wstring&,
                                                   const std::wstring& folder) override {
        return answer("file or folder in " + narrow(folder));
    }
    bool ask(const std::wstring& title, const std::wstring& text) override {
        note("question " + narrow(title) + ": " + narrow(text));
        return script_.yes;
    }
    void message(UINT icon, const std::wstring& title, const std::wstring& text) override {
        // MB_ICONWARNING is MB_ICONEXCLAMATION.
        const char* name = icon == MB_ICONEXCLAMATION ? "exclamation"
                           : icon == MB_ICONERROR     ? "error"
                                                      : "other";
        note(std::string(name) + " " + narrow(title) + ": " + narrow(text));
    }

private:
    std::optional<std::wstring> answer(const std::string& question) {
        note(question);
        if (script_.answers.empty()) return std::nullopt;
        const std::string file = script_.answers.front();
        script_.answers.erase(script_.answers.begin());
        if (file.empty()) return std::nullopt;
        return widen(file);
    }
    void note(const std::string& line) {
        script_.asked.push_back(line + (hourglassShown() ? " (busy)" : ""));
    }

    DialogScript& script_;
};

// A window started from `folder` (z5.ini written there first) that asks
// `script`: Form_Load must succeed.
inline std::unique_ptr<frmZ5Def> loadWindow(const std::string& folder, const std::string& ini,
                                            DialogScript& script, WindowOptions options = {}) {
    writeFile(folder + "\\z5.ini", ini);
    InFolder in(folder);
    auto window = std::make_unique<frmZ5Def>(options);
    window->setDialogs(std::make_unique<ScriptedDialogs>(script));
    if (!window->Form_Load()) throw std::runtime_error("Form_Load failed");
    return window;
}

// Handles the thread's window messages until `done()` holds, a minute at
// most; whether it does.
template <class Done>
bool messagesUntil(Done done) {
    const ULONGLONG until = GetTickCount64() + 60000;
    while (!done()) {
        if (GetTickCount64() > until) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

// Chooses the menu entry `name` as a click on it does.
inline void choose(frmZ5Def& window, std::string_view name) {
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(menuCommandId(name), 0), 0);
}

}  // namespace z5::test
