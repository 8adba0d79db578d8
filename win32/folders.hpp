// What the drive list DrvList1 and the folder list DirList1 show: the drives
// of the machine, and the folders on the way down to the working folder with
// its subfolders.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace z5 {

// One row of the folder list.
struct FolderRow {
    std::string name;  // "C:\" for a root, else the folder's own name
    std::string path;  // the whole path, as cleanFolder gives it
    int depth;         // 0 for the root
    bool open;         // on the way down to the working folder, or it
};

// The rows for `folder` (clean): the root, each folder on the way down and
// `folder` itself, then its subfolders in name order without regard to
// letter case. Hidden subfolders are left out.
std::vector<FolderRow> folderRows(const std::string& folder);

// The machine's drives: "C:\", "D:\", ...
std::vector<std::string> logicalDrives();
// How the drive list shows `root`: "c:" and the volume's label, if it has
// one, in brackets; a root that is not a drive as it is.
std::string driveCaption(const std::string& root);

// The drive list `combo` shows `roots`, each as driveCaption gives it, with
// `chosen` (one of them, or empty for none) chosen.
void fillDriveList(HWND combo, const std::vector<std::string>& roots, const std::string& chosen);
void chooseDrive(HWND combo, const std::vector<std::string>& roots, const std::string& chosen);
// The rows `combo` shows.
std::vector<std::string> driveListRows(HWND combo);

// The folder list `list` shows `rows`, each indented by its depth, with the
// deepest open one selected.
void fillFolderList(HWND list, const std::vector<FolderRow>& rows);

}  // namespace z5
