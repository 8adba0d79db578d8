// What the drive list DrvList1 and the folder list DirList1 show: the drives
// of the machine, and the folders on the way down to the working folder with
// its subfolders.
#pragma once

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

// `folder` absolute, with backslashes, without "." or "..", and without a
// trailing separator except for a root ("C:\").
std::string cleanFolder(const std::string& folder);

// The rows for `folder` (clean): the root, each folder on the way down and
// `folder` itself, then its subfolders in name order without regard to
// letter case. Hidden subfolders are left out.
std::vector<FolderRow> folderRows(const std::string& folder);

// Empty when `folder` is a folder that can be shown, else the system's
// reason ("The device is not ready" for an empty drive).
std::string folderReason(const std::string& folder);

// The machine's drives: "C:\", "D:\", ...
std::vector<std::string> logicalDrives();
// How the drive list shows `root`: "c:" and the volume's label, if it has
// one, in brackets; a root that is not a drive as it is.
std::string driveCaption(const std::string& root);

// True when `folder` is `root` or lies below it, without regard to case.
bool isWithin(const std::string& folder, const std::string& root);
// The longest of `roots` that holds `folder`; empty when none does.
std::string volumeOf(const std::string& folder, const std::vector<std::string>& roots);

}  // namespace z5
