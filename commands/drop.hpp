// What a file dropped on a program or a window does: the command its kind
// calls for, the same for the command line and both windows.
#pragma once

#include <string>
#include <vector>

#include "commands/table.hpp"

namespace z5 {

struct DropAction {
    enum class Kind {
        None,     // no command for a file of its kind
        Row,      // `row`: decompile a .3do .trk .cam .scr .stg, view a vertex.def,
                  // flavor.def or Trk.def
        Extract,  // extract a .dat into its workspace
    };
    Kind kind = Kind::None;
    const CommandEntry* row = nullptr;
};

// The action for the file at `path`, by its name (any letter case).
DropAction dropActionFor(const std::string& path);

// The names the action writes in its folder: a row's fixed outputs (the
// picture's name for a view), the workspace folder for an archive.
std::vector<std::string> dropOutputs(const DropAction& action, const std::string& path);

// The files of `paths` whose actions would write one name in one folder,
// as groups ("a.trk, b.trk: both write Trk.def"); empty when none would.
// `window`: the window's drops, which all run in its working folder and
// whose views open picture windows, writing nothing; else each runs in its
// file's own folder, a view writing its picture there.
std::vector<std::string> dropConflicts(const std::vector<std::string>& paths, bool window);

}  // namespace z5
