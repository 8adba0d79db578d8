// Starts z5deftool.exe as a user would and drives it from outside:
//   win32_smoke EXE FOLDER REPORT   the window starts in FOLDER (which holds
//                                   a z5.ini), its menu bar holds the seven
//                                   top menus, File > Exit ends it with 0
//   win32_smoke EXE FOLDER          FOLDER has no z5.ini: an error box says
//                                   so, OK ends the program with 1
//   win32_smoke EXE FOLDER --help   a box shows the usage, OK ends the
//                                   program with 0
//   win32_smoke EXE FOLDER --open FILE
//                                   the window starts in FOLDER with FILE, a
//                                   track, as if it was dropped on the
//                                   program's icon: its Trk.def is written
//                                   beside it and a DONE box says so; Exit
//                                   ends it with 0
// Every wait is bounded; a window that does not end is ended.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "win32/menus.hpp"

namespace {

constexpr DWORD kPatience = 60000;  // wine may start slowly on a loaded machine

struct Search {
    DWORD process;
    const wchar_t* type;
    HWND found = nullptr;
};

// A visible top-level window of class `type` that `process` owns.
HWND windowOf(DWORD process, const wchar_t* type) {
    Search search{process, type};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner != s->process || std::wstring(name) != s->type || !IsWindowVisible(window))
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int fail(const std::string& why, HANDLE process = nullptr) {
    std::printf("FAILED: %s\n", why.c_str());
    if (process) TerminateProcess(process, 99);
    return 1;
}

// Waits, polling, until `ready` is true; false when the program ended or
// the time is up first.
template <class Ready>
bool waitFor(HANDLE process, Ready ready) {
    for (DWORD waited = 0; waited < kPatience; waited += 100) {
        if (ready()) return true;
        if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) return ready();
    }
    return false;
}

int exitStatus(HANDLE process) {
    if (WaitForSingleObject(process, kPatience) != WAIT_OBJECT_0) return -1;
    DWORD status = 0;
    GetExitCodeProcess(process, &status);
    return static_cast<int>(status);
}

// The text of the message box `box`.
std::string boxText(HWND box) {
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    return z5::narrow(text);
}

// Presses OK in `box` and waits for `process` to end with `expected`.
int okEnds(HWND box, HANDLE process, int expected) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    const int status = exitStatus(process);
    if (status != expected) return fail("exit status " + std::to_string(status), process);
    CloseHandle(process);
    std::printf("passed\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || argc > 5)
        return fail("usage: win32_smoke EXE FOLDER [REPORT|--help|--open FILE]");
    const std::wstring exe = argv[1], folder = argv[2], mode = argc >= 4 ? argv[3] : L"";
    // FILE as the window holds it, with Windows' separators.
    std::wstring file = argc == 5 && mode == L"--open" ? argv[4] : L"";
    std::replace(file.begin(), file.end(), L'/', L'\\');
    const bool help = mode == L"--help";
    const std::wstring report = mode.starts_with(L"--") ? L"" : mode;
    if (!report.empty()) DeleteFileW(report.c_str());  // one left by an earlier run
    const std::wstring written =
        file.empty() ? L"" : file.substr(0, file.find_last_of(L'\\')) + L"\\Trk.def";
    if (!written.empty()) DeleteFileW(written.c_str());
    std::wstring line = L"\"" + exe + L"\"";
    if (!report.empty()) line += L" \"--test-report=" + report + L"\"";
    if (help) line += L" --help";
    if (!file.empty()) line += L" \"" + file + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started))
        return fail("cannot start " + z5::narrow(exe));
    CloseHandle(started.hThread);
    const HANDLE process = started.hProcess;
    const DWORD id = started.dwProcessId;

    HWND box = nullptr;
    const auto boxShows = [&] { return (box = windowOf(id, L"#32770")) != nullptr; };
    if (help) {
        if (!waitFor(process, boxShows)) return fail("no box", process);
        std::printf("box: %s\n", boxText(box).c_str());
        if (!boxText(box).starts_with("Usage: z5deftool [--all-commands] [FILE...]"))
            return fail("the box shows no usage", process);
        return okEnds(box, process, 0);
    }
    if (!file.empty()) {
        // The DONE box comes once the outputs are in place.
        if (!waitFor(process, boxShows)) return fail("no DONE box", process);
        std::printf("box: %s\n", boxText(box).c_str());
        if (boxText(box) != "DONE") return fail("not the DONE box", process);
        if (GetFileAttributesW(written.c_str()) == INVALID_FILE_ATTRIBUTES)
            return fail("no Trk.def beside the file", process);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        PostMessageW(windowOf(id, L"frmZ5Def"), WM_COMMAND,
                     MAKEWPARAM(z5::menuCommandId("mnuExit"), 0), 0);
        const int status = exitStatus(process);
        if (status != 0) return fail("exit status " + std::to_string(status), process);
    } else if (report.empty()) {
        // No z5.ini: the reason in an error box, naming the folders looked
        // in; its OK ends the program.
        if (!waitFor(process, boxShows)) return fail("no error box", process);
        std::printf("box: %s\n", boxText(box).c_str());
        if (!boxText(box).starts_with("no z5.ini in "))
            return fail("the box does not say why", process);
        return okEnds(box, process, 1);
    } else {
        // The window writes its report under a temporary name and renames
        // it when complete: once the report is there it is whole.
        HWND window = nullptr;
        if (!waitFor(process, [&] {
                window = windowOf(id, L"frmZ5Def");
                return window && GetFileAttributesW(report.c_str()) != INVALID_FILE_ATTRIBUTES;
            }))
            return fail("no window", process);
        std::ifstream in{std::filesystem::path(report)};
        std::stringstream captions;
        captions << in.rdbuf();
        std::printf("menu bar:\n%s", captions.str().c_str());
        if (captions.str() != "&File\n&3do\n&Trk\n&LP\n&Other\n&Programs\n&About\n")
            return fail("not the seven top menus", process);
        // File > Exit, as the menu sends it.
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(z5::menuCommandId("mnuExit"), 0), 0);
        const int status = exitStatus(process);
        if (status != 0) return fail("exit status " + std::to_string(status), process);
    }
    CloseHandle(process);
    std::printf("passed\n");
    return 0;
}
