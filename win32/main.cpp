// z5deftool.exe: the window for Windows. Reads z5.ini from the folder it is
// started in (the folder of z5deftool.exe when it is started by a double
// click).
//   --all-commands        starts with 3do > Def Tools > Compile and the Other
//                         menu enabled
//   --test-report=FILE    for the smoke test: once the window shows, writes
//                         the captions of its menu bar to FILE (UTF-8, one a
//                         line)
#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <string>
#include <string_view>

#include "textfmt/files.hpp"
#include "win32/mainwindow.hpp"
#include "win32/menus.hpp"
#include "window/texts.hpp"

namespace {

void writeReport(const std::wstring& path, HWND window) {
    std::string text;
    for (const std::string& caption : z5::menuBarCaptions(GetMenu(window))) text += caption + "\n";
    z5::OutputFile report(z5::narrow(path), "report");
    report.write(text.data(), text.size());
    report.commit();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    z5::WindowOptions options;
    std::wstring report;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        const std::wstring_view word = argv[i];
        constexpr std::wstring_view reportSwitch = L"--test-report=";
        if (word == L"--all-commands") {
            options.allCommands = true;
        } else if (word.starts_with(reportSwitch)) {
            report = word.substr(reportSwitch.size());
        } else {
            const std::wstring text =
                L"Unknown option: " + std::wstring(word) + L"\n\nUsage: z5deftool [--all-commands]";
            MessageBoxW(nullptr, text.c_str(), z5::widen(z5::kWindowTitle).c_str(),
                        MB_OK | MB_ICONERROR);
            LocalFree(argv);
            return 2;
        }
    }
    LocalFree(argv);

    z5::removeTemporaryFilesOnSignals();

    z5::frmZ5Def window(options, true);
    if (!window.Form_Load()) return 1;
    ShowWindow(window.hwnd(), show);
    UpdateWindow(window.hwnd());
    if (!report.empty()) writeReport(report, window.hwnd());

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.hwnd() && TranslateAcceleratorW(window.hwnd(), window.accelerators(), &message))
            continue;
        // Tab between the lists, Enter and Escape in the About window.
        const HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (root && IsDialogMessageW(root, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
