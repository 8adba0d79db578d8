#include "win32/host.hpp"

#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "platform/encoding.hpp"
#include "platform/files.hpp"

namespace z5 {
namespace {

bool hourglass = false;

// Room for a long path in the dialogs' file name.
constexpr DWORD kFileNameRoom = 32768;

// The common dialogs: where the shell's cannot be made. Windows may open
// them where the user last chose a file instead of in `folder`.
std::optional<std::wstring> classicChoice(HWND owner, const std::wstring& filter,
                                          const std::wstring& folder, const std::wstring& proposed,
                                          bool save) {
    std::vector<wchar_t> file(kFileNameRoom, L'\0');
    proposed.copy(file.data(), std::min<std::size_t>(proposed.size(), kFileNameRoom - 1));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kFileNameRoom;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    // The current directory stays where the program started.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen || file[0] == L'\0') return std::nullopt;
    return std::wstring(file.data());
}

// A COM interface released when it goes.
template <class T>
struct Held {
    T* p = nullptr;
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (p) p->Release();
    }
    void** out() { return reinterpret_cast<void**>(&p); }
};

// The shown texts and patterns of a filter in the dialogs' form.
std::vector<COMDLG_FILTERSPEC> filterSpecs(const std::wstring& filter) {
    std::vector<COMDLG_FILTERSPEC> specs;
    for (const wchar_t* at = filter.c_str(); *at;) {
        const wchar_t* text = at;
        at += std::wcslen(at) + 1;
        if (!*at) break;
        specs.push_back({text, at});
        at += std::wcslen(at) + 1;
    }
    return specs;
}

// The shell's file dialog, which opens in `folder` whatever was chosen
// before (Windows keeps no such promise for the common dialogs). nullopt
// when cancelled; the common dialogs when it cannot be made.
std::optional<std::wstring> choose(HWND owner, const std::wstring& filter,
                                   const std::wstring& folder, const std::wstring& proposed,
                                   bool save) {
    Held<IFileDialog> dialog;
    if (FAILED(CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr,
                                CLSCTX_INPROC_SERVER,
                                save ? IID_IFileSaveDialog : IID_IFileOpenDialog, dialog.out())))
        return classicChoice(owner, filter, folder, proposed, save);
    const std::vector<COMDLG_FILTERSPEC> specs = filterSpecs(filter);
    dialog.p->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
    dialog.p->SetFileTypeIndex(1);
    FILEOPENDIALOGOPTIONS options = 0;
    dialog.p->GetOptions(&options);
    dialog.p->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR | FOS_PATHMUSTEXIST |
                         (save ? FOS_OVERWRITEPROMPT : FOS_FILEMUSTEXIST));
    Held<IShellItem> start;
    if (!folder.empty() && SUCCEEDED(SHCreateItemFromParsingName(folder.c_str(), nullptr,
                                                                 IID_IShellItem, start.out())))
        dialog.p->SetFolder(start.p);
    if (!proposed.empty()) dialog.p->SetFileName(proposed.c_str());
    Held<IShellItem> result;
    if (FAILED(dialog.p->Show(owner)) || FAILED(dialog.p->GetResult(&result.p)))
        return std::nullopt;
    PWSTR path = nullptr;
    if (FAILED(result.p->GetDisplayName(SIGDN_FILESYSPATH, &path))) return std::nullopt;
    std::wstring chosen(path);
    CoTaskMemFree(path);
    return chosen;
}

// The folder browser's start: `folder` selected once it shows.
int CALLBACK startIn(HWND browser, UINT message, LPARAM, LPARAM folder) {
    if (message == BFFM_INITIALIZED && folder)
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, folder);
    return 0;
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

std::optional<std::wstring> SystemDialogs::chooseOpen(const std::wstring& filter,
                                                      const std::wstring& folder) {
    return choose(owner_, filter, folder, {}, false);
}

std::optional<std::wstring> SystemDialogs::chooseSave(const std::wstring& filter,
                                                      const std::wstring& folder,
                                                      const std::wstring& proposed) {
    return choose(owner_, filter, folder, proposed, true);
}

std::optional<std::wstring> SystemDialogs::chooseFileOrFolder(const std::wstring& title,
                                                              const std::wstring& folder) {
    // The shell's folder browser, which shows files too and takes either.
    BROWSEINFOW info{};
    info.hwndOwner = owner_;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_BROWSEINCLUDEFILES | BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = startIn;
    info.lParam = reinterpret_cast<LPARAM>(folder.c_str());
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

bool SystemDialogs::ask(const std::wstring& title, const std::wstring& text) {
    return MessageBoxW(owner_, text.c_str(), title.c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
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
    const auto file = dialogs_.chooseOpen(win32Filter(filter), widen(workingFolder()));
    if (!file) return std::nullopt;
    return narrow(*file);
}

std::optional<std::string> Win32Host::saveFileName(std::string_view filter,
                                                   const std::string& initialFolder,
                                                   const std::string& proposedName) {
    const auto file =
        dialogs_.chooseSave(win32Filter(filter), widen(initialFolder), widen(proposedName));
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
