#include "win32/folders.hpp"

#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "win32/system.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

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

std::string cleanFolder(const std::string& folder) {
    std::error_code error;
    fs::path path = fs::absolute(nativePath(folder), error);
    if (error) path = nativePath(folder);
    std::string clean = pathText(path.lexically_normal().make_preferred());
    while (clean.size() > 1 && isSeparator(clean.back()) &&
           clean.size() > pathText(path.root_path().make_preferred()).size())
        clean.pop_back();
    return clean;
}

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

std::string folderReason(const std::string& folder) {
    const DWORD attributes = GetFileAttributesW(widen(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return windowsMessage(GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return "not a folder";
    return {};
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

bool isWithin(const std::string& folder, const std::string& root) {
    const std::string f = foldCase(folder), r = foldCase(root);
    if (f == r) return true;
    if (!f.starts_with(r)) return false;
    return isSeparator(r.back()) || isSeparator(f[r.size()]);
}

std::string volumeOf(const std::string& folder, const std::vector<std::string>& roots) {
    std::string best;
    for (const std::string& root : roots)
        if (isWithin(folder, root) && root.size() > best.size()) best = root;
    return best;
}

}  // namespace z5
