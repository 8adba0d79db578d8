// z5def check: reads binaries and definition files as the commands would,
// writing nothing, and says what is wrong with them as a compiler does:
// errors for what a command refuses or reads otherwise than it stands (a
// departure from a layout), warnings for what an edit commonly breaks while
// it still compiles.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "textfmt/diagnostic.hpp"

namespace z5::check {

// What one step of a check reads: a binary of a known kind, the definition
// files of one kind in a folder, a workspace's list, or a path that cannot
// be read at all.
struct Unit {
    enum class Kind { Binary, Definitions, Workspace, Problem };
    Kind kind = Kind::Binary;
    std::string path;    // the file; the folder for definitions and workspaces
    std::string shown;   // how the lines name it
    std::string family;  // definitions: "trk", "cam", "scr", "stg" or "3do"
    std::string problem;
};

// The units of `paths` (the working folder when none): a binary file; a
// definition file, which stands for the definitions of its folder; a
// folder, walked for both, a workspace (a folder with dattext.pck) for each
// member's MEMBER.def folder or file. A relative path is taken from `base`.
std::vector<Unit> plan(const std::vector<std::string>& paths, const std::string& base);

struct Result {
    std::vector<Diagnostic> diagnostics;   // at most 20 per file, then a note
    std::size_t files = 0;                 // binaries and definition files read
    std::size_t errors = 0, warnings = 0;  // those shown and those not
};

// Checks one unit; `scratch` is a private folder it may fill and empty.
Result checkUnit(const Unit& unit, const std::string& scratch);

// Checks the units on `jobs` threads; `done` gets the results in order.
void checkAll(const std::vector<Unit>& units, int jobs,
              const std::function<void(const Result&)>& done,
              const std::function<void(std::size_t, const std::string&)>& progress = {});

struct Tally {
    std::size_t files = 0, errors = 0, warnings = 0;
    void add(const Result& result);
};
// "12 files: 1 error, 3 warnings"
std::string summaryLine(const Tally& tally);

}  // namespace z5::check
