// z5deftool.exe: the window for Windows. Reads z5.ini from the folder it is
// started in, else from the folder of z5deftool.exe (a shortcut without a
// folder to start in, the Run box).
//   --all-commands        starts with 3do > Def Tools > Compile and the Other
//                         menu enabled
//   FILE...               as if dropped on the window, in the first one's
//                         folder (what Explorer passes for files dropped on
//                         the program's icon)
//   --help, -h, /?        the usage in a box; --version the version
//   --test-report=FILE    for the smoke test: once the window shows, writes
//                         the captions of its menu bar to FILE (UTF-8, one a
//                         line)
#include <windows.h>
// After windows.h:
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/encoding.hpp"
#include "platform/files.hpp"
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

// A window program has no console: what --help, --version and a wrong
// option say shows in a box.
int answer(const std::string& text, UINT icon, int status) {
    MessageBoxW(nullptr, z5::widen(text).c_str(), z5::widen(z5::kWindowTitle).c_str(),
                MB_OK | icon);
    return status;
}

// The folder of this program.
std::string programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return z5::narrow(path.substr(0, path.find_last_of(L"\\/")));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    z5::WindowOptions options;
    options.programFolder = programFolder();
    std::wstring report;
    std::vector<std::string> files;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> words(argv ? argv + 1 : argv, argv ? argv + argc : argv);
    LocalFree(argv);
    for (const std::wstring& word : words) {
        constexpr std::wstring_view reportSwitch = L"--test-report=";
        if (word == L"--all-commands") {
            options.allCommands = true;
        } else if (word == L"--help" || word == L"-h" || word == L"/?") {
            return answer(z5::usageText(), MB_ICONINFORMATION, 0);
        } else if (word == L"--version") {
            return answer(z5::kVersionLine, MB_ICONINFORMATION, 0);
        } else if (word.starts_with(reportSwitch)) {
            report = word.substr(reportSwitch.size());
        } else if (word.starts_with(L"-")) {
            return answer("Unknown option: " + z5::narrow(word) + "\n\n" + z5::usageText(),
                          MB_ICONERROR, 2);
        } else {
            files.push_back(z5::narrow(word));
        }
    }

    z5::removeTemporaryFilesOnSignals();
    // The shell's file dialogs and folder browser are COM objects.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    z5::frmZ5Def window(options, true);
    if (!window.Form_Load()) return 1;
    ShowWindow(window.hwnd(), show);
    UpdateWindow(window.hwnd());
    if (!report.empty()) writeReport(report, window.hwnd());
    window.controller().openFiles(files);

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
