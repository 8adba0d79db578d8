#include "win32/host.hpp"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "platform/encoding.hpp"
#include "platform/files.hpp"

namespace z5 {
namespace {

bool hourglass = false;

// Room for a long path in the dialogs' file name.
constexpr DWORD kFileNameRoom = 32768;

std::optional<std::wstring> choose(HWND owner, const std::wstring& filter, const wchar_t* folder,
                                   bool save) {
    std::vector<wchar_t> file(kFileNameRoom, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kFileNameRoom;
    dialog.lpstrInitialDir = folder;
    // The current directory stays where the program started.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen || file[0] == L'\0') return std::nullopt;
    return std::wstring(file.data());
}

}  // namespace

std::wstring win32Filter(std::string_view filter) {
    std::wstring out;
    std::size_t parts = 0;
    while (true) {
        const std::size_t bar = filter.find('|');
        out += widen(filter.substr(0, bar));
        out += L'\0';
        ++parts;
        if (bar == std::string_view::npos) break;
        filter.remove_prefix(bar + 1);
    }
    // A shown text without its pattern is dropped.
    if (parts % 2) out.erase(out.rfind(L'\0', out.size() - 2) + 1);
    return out + L'\0';
}

std::optional<std::wstring> SystemDialogs::chooseOpen(const std::wstring& filter) {
    return choose(owner_, filter, nullptr, false);
}

std::optional<std::wstring> SystemDialogs::chooseSave(const std::wstring& filter,
                                                      const std::wstring& folder) {
    return choose(owner_, filter, folder.c_str(), true);
}

std::optional<std::wstring> SystemDialogs::chooseFileOrFolder(const std::wstring& title) {
    // The shell's folder browser, which shows files too and takes either.
    BROWSEINFOW info{};
    info.hwndOwner = owner_;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_BROWSEINCLUDEFILES | BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return std::nullopt;
    std::wstring path(MAX_PATH, L'\0');
    const bool found = SHGetPathFromIDListW(item, path.data());
    ILFree(item);
    if (!found) return std::nullopt;
    path.resize(path.find(L'\0'));
    return path;
}

void SystemDialogs::message(UINT icon, const std::wstring& title, const std::wstring& text) {
    MessageBoxW(owner_, text.c_str(), title.c_str(), MB_OK | icon);
}

void showHourglass(bool on) {
    hourglass = on;
    SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

bool hourglassShown() {
    return hourglass;
}

Win32Host::Win32Host(HWND window, Dialogs& dialogs, std::string folder,
                     std::function<void(const std::string&)> notice)
    : WindowHost(std::move(folder), std::move(notice)), window_(window), dialogs_(dialogs) {}

std::optional<std::string> Win32Host::openFileName(std::string_view filter) {
    const auto file = dialogs_.chooseOpen(win32Filter(filter));
    if (!file) return std::nullopt;
    return narrow(*file);
}

std::optional<std::string> Win32Host::saveFileName(std::string_view filter,
                                                   const std::string& initialFolder) {
    const auto file = dialogs_.chooseSave(win32Filter(filter), widen(initialFolder));
    if (!file) return std::nullopt;
    return narrow(*file);
}

void Win32Host::setCaption(const std::string& caption) {
    SetWindowTextW(window_, widen(caption).c_str());
}

void Win32Host::messageBox(const std::string& text, const std::string& title) {
    dialogs_.message(MB_ICONEXCLAMATION, widen(title), widen(text));
}

}  // namespace z5
