#include "win32/folders.hpp"

#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "textfmt/files.hpp"
#include "win32/system.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;

// Subfolder names of `folder`, hidden ones left out, in name order without
// regard to case.
std::vector<std::string> subfolders(const std::string& folder) {
    std::vector<std::string> names;
    std::wstring pattern = widen(folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchLimitToDirectories, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring_view name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) || name == L"." || name == L"..")
            continue;
        names.push_back(narrow(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::ranges::sort(names, [](const std::string& a, const std::string& b) {
        const std::string fa = foldCase(a), fb = foldCase(b);
        return fa != fb ? fa < fb : a < b;
    });
    return names;
}

}  // namespace

std::vector<FolderRow> folderRows(const std::string& folder) {
    const fs::path path = nativePath(folder);
    std::vector<FolderRow> rows;
    fs::path walked = path.root_path();
    rows.push_back({pathText(walked), pathText(walked), 0, true});
    for (const fs::path& part : path.relative_path()) {
        if (part.empty()) continue;
        walked /= part;
        rows.push_back({pathText(part), pathText(walked), static_cast<int>(rows.size()), true});
    }
    const int depth = static_cast<int>(rows.size());
    for (const std::string& name : subfolders(folder))
        rows.push_back({name, pathText(walked / nativePath(name)), depth, false});
    return rows;
}

std::vector<std::string> logicalDrives() {
    std::vector<std::string> roots;
    wchar_t buffer[512] = {};
    const DWORD length = GetLogicalDriveStringsW(512, buffer);
    if (length == 0 || length > 512) return roots;
    for (const wchar_t* root = buffer; *root; root += wcslen(root) + 1)
        roots.push_back(narrow(root));
    return roots;
}

std::string driveCaption(const std::string& root) {
    if (root.size() != 3 || root[1] != ':') return root;
    std::string caption{asciiLower(root[0]), ':'};
    // Asking a floppy or an optical drive for its label can take long, or
    // fail when it is empty: only fixed and network drives are asked.
    const std::wstring native = widen(root);
    const UINT type = GetDriveTypeW(native.c_str());
    wchar_t label[MAX_PATH + 1] = {};
    if ((type == DRIVE_FIXED || type == DRIVE_REMOTE) &&
        GetVolumeInformationW(native.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                              nullptr, 0) &&
        label[0])
        caption += " [" + narrow(label) + "]";
    return caption;
}

void fillDriveList(HWND combo, const std::vector<std::string>& roots, const std::string& chosen) {
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& root : roots)
        SendMessageW(combo, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(widen(driveCaption(root)).c_str()));
    chooseDrive(combo, roots, chosen);
}

void chooseDrive(HWND combo, const std::vector<std::string>& roots, const std::string& chosen) {
    const auto found = std::ranges::find(roots, chosen);
    const bool none = chosen.empty() || found == roots.end();
    SendMessageW(combo, CB_SETCURSEL, none ? WPARAM(-1) : WPARAM(found - roots.begin()), 0);
}

std::vector<std::string> driveListRows(HWND combo) {
    std::vector<std::string> rows;
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text.data()));
        rows.push_back(narrow(text.c_str()));
    }
    return rows;
}

void fillFolderList(HWND list, const std::vector<FolderRow>& rows) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    int current = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string text =
            std::string(3 * static_cast<std::size_t>(rows[i].depth), ' ') + rows[i].name;
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
        if (rows[i].open) current = static_cast<int>(i);
    }
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

}  // namespace z5
