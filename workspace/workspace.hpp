// z5def extract and z5def build: an archive as a folder of definition files
// that can be edited (a workspace), and the archive built back from it.
//
// A workspace holds the archive's list dattext.pck as unpack writes it, and
// for each member either a folder MEMBER.def with its definition files or
// the member file itself; workspace.txt says which and why.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "textfmt/diagnostic.hpp"

namespace z5::workspace {

// Told the index, the count and the name of each member when its work is
// done, in list order, on the thread that started the run (a window's).
using Progress = std::function<void(std::size_t index, std::size_t count, const std::string&)>;

// What a run did: the summary line when it succeeded, else every reason it
// failed, one line each.
struct Report {
    // Departures of definition files from their layout, each naming the
    // file in the workspace: errors that failed a build, or warnings.
    std::vector<Diagnostic> diagnostics;
    // What a build changed, before the summary: "changed: A, B", "added:
    // ...", "removed: ...".
    std::vector<std::string> lines;
    std::vector<std::string> reasons;
    std::string summary;
    bool succeeded() const { return reasons.empty(); }
};

// The folder extract makes by default: the archive's file name without its
// extension, with ".d" added when it has none.
std::string defaultFolder(std::string_view archive);

// Relative paths are taken from `workingFolder`.
struct ExtractRequest {
    std::string workingFolder;
    std::string archive;
    std::string folder;  // empty: defaultFolder(archive) in the working folder
    int jobs = 1;
    bool all = false;  // objects that come back renumbered get definitions too
};
// Makes the workspace, or nothing: the folder must not exist or be empty,
// the archive must come back byte for byte through unpack and pack, and the
// folder is built under a temporary name beside it and renamed into place
// when complete.
Report extract(const ExtractRequest& request, const Progress& progress = {});

struct BuildRequest {
    std::string workingFolder;
    std::string folder;
    std::string output;  // empty: the name on the list's line 1, ".dat" added
    int jobs = 1;
    // Definition files that depart from their layout are built with a
    // warning; otherwise each departure is an error and nothing is written.
    bool lenient = false;
    // The archive replaced is kept as NAME.dat.bak, replacing an older one.
    bool backup = true;
};
// Builds the archive of a workspace without writing into it; the archive
// replaces an older one only when every member was compiled or found, and
// together with its backup. The members whose bytes differ from the old
// archive's (by name in any letter case), and those added and removed, are
// listed; nothing is listed when there was no archive.
Report build(const BuildRequest& request, const Progress& progress = {});

}  // namespace z5::workspace
