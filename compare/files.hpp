// z5def diff: two files of one kind, two archives, two definition folders
// or two workspaces compared field by field.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/trees.hpp"
#include "object3d/model.hpp"
#include "platform/files.hpp"

namespace z5::compare {

// The kind of `size` bytes of `file` from byte `offset` on: "3do", "trk",
// "cam", "scr" or "stg" where the bytes decide it (see kindOfContent), else
// by the extension of `name` ("dat" too); empty for none.
std::string kindOf(const InputFile& file, std::int64_t offset, std::int64_t size,
                   std::string_view name);

// A file of a known kind as records of named fields, and an object also as
// the object (for the renumbering).
struct Loaded {
    std::string kind;
    TreeRecord tree;
    std::optional<object3d::Object> object;
};
// Reads `bytes` of the kind `kind` (not "dat") as the decompiler does:
// refused as it refuses them (a CommandFailure naming `name`).
Loaded loadBinary(std::string_view kind, std::string_view bytes, const std::string& name);
// Reads the definition files of `kind` in `folder` as the compiler does
// (`shown` names the folder in reasons).
Loaded loadDefinitions(std::string_view kind, const std::string& folder, const std::string& shown);

// The lines from `a` to `b`: one line when the two are the same object
// with other numbers, else diffTrees.
std::vector<Difference> diffLoaded(const Loaded& a, const Loaded& b);
// The same for the bytes of two files of the kind `kind`, read as
// loadBinary reads them; what both hold alike in large blocks (a track's
// sections, an object's points, names and flavors) is not listed first.
std::vector<Difference> diffBinaries(std::string_view kind, std::string_view a, std::string_view b,
                                     const std::string& name);
// "Size: 100 -> 120" when the sizes differ, and each run of differing
// bytes ("bytes 0x10-0x1f"; runs less than 16 bytes apart are one).
std::vector<Difference> byteRanges(std::string_view a, std::string_view b);

// The lines of two files or members of the kinds `ka` and `kb` (`name`
// in reasons): by field where both are of one known kind and read, else
// by byte.
std::vector<Difference> compareBytes(std::string_view ka, const std::string& a, std::string_view kb,
                                     const std::string& b, const std::string& name);

// `size` bytes of `file` from `offset` on; a file that ends first fails.
std::string readRange(const InputFile& file, std::int64_t offset, std::int64_t size);
// Whether `size` bytes of `a` from `offsetA` on equal those of `b` from
// `offsetB` on, read a piece at a time.
bool sameBytes(const InputFile& a, std::int64_t offsetA, const InputFile& b, std::int64_t offsetB,
               std::int64_t size);

// What diff says of one file or member: its lines, or for a member of an
// archive or a workspace (`member`) its heading and the lines under it.
struct FileLines {
    std::string file;
    bool member = false;
    Change change = Change::Changed;
    std::optional<std::string> old, now;  // positions of a member moved
    std::vector<Difference> lines;
};

// The lines diff prints of `f`: a file's lines, or a member's heading
// ("NAME: changed", "NAME: moved (3 -> 5)") and its lines indented under
// it; with `brief` the heading alone, a file's too.
std::vector<std::string> fileLinesText(const FileLines& f, bool brief = false);

// Compares the paths `a` and `b` (shown as `shownA` and `shownB`): two
// files of one kind, two archives, two definition folders, two
// workspaces. `report` is given each file or member that differs, in the
// order of `a` (added members after it). Trouble (a path missing,
// unreadable or damaged, two kinds) is a CommandFailure.
void diffPaths(const std::string& a, const std::string& shownA, const std::string& b,
               const std::string& shownB, const std::function<void(const FileLines&)>& report);

}  // namespace z5::compare
