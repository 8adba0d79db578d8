// z5def verify: whether each file survives the round trip through its
// definition files (or, for an archive, through unpack and pack) unchanged.
// Every step runs the same command bodies the user runs, in private folders;
// the user's folders are only read.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <numeric>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "textfmt/diagnostic.hpp"

namespace z5::verify {

enum class Verdict {
    Identical,             // the compiled bytes equal the file
    IdenticalButReserved,  // equal once the fields always written as 0 are 0 in both
    Equivalent,            // the same object once renumbered (3do)
    Differs,
    NotSupported,  // the decompiler stopped at a flavor type it cannot decode
    Failed,
};

struct Result {
    std::string path;
    Verdict verdict = Verdict::Identical;
    std::string detail;           // what differs, why it failed, ...
    std::vector<Result> members;  // with --deep: an archive's members of a known kind
};

// The files to verify: each path a file or a folder walked recursively
// (each folder once, links followed). Files are taken by their extension
// (.3do .trk .cam .scr .stg .dat, any letter case); other files, FIFOs and
// devices are counted as skipped. A path that does not exist is a file that
// failed; so is a folder the walk cannot read, with the reason.
struct Planned {
    std::string path;     // where the file is read
    std::string shown;    // how the lines name it: as given, or as found in the walk
    std::string failure;  // why it could not be walked; empty for a file to verify
};
struct Plan {
    std::vector<Planned> files;
    std::size_t skipped = 0;
};
// A relative path is taken from `base` when it is not empty. `wanted`
// tells the files a walk takes (by default the kinds verify knows); a file
// given as a path is taken when wanted or when it does not exist.
Plan plan(const std::vector<std::string>& paths, const std::string& base = {},
          const std::function<bool(std::string_view)>& wanted = {});

// True for the extensions verify knows.
bool knownKind(std::string_view path);

// Verifies one file in `folder`, a private folder this call may fill and
// empty. `deep`: members of an archive that are of a known kind too.
// `memberProgress`, with `deep`, is told each member of an archive as its
// check starts (its name, place among the members of a known kind, count).
Result verifyFile(
    const std::string& path, const std::string& folder, bool deep,
    const std::function<void(const std::string&, std::size_t, std::size_t)>& memberProgress = {});

// The three steps of one file's round trip, for callers that keep the
// definition files between them (the workspace commands). Each takes the
// kind from `path`'s extension, one verify knows.
//
// Decompiles `path` (its bytes `original`) into `folder`: nullopt when the
// definition files are there, else the verdict it stopped with (failed, or
// a 3do flavor not supported).
std::optional<Result> decompileStep(const std::string& path, const std::string& original,
                                    const std::string& folder);
// Compiles the definition files in `folder` there, read as `reading` says;
// the path of the file it wrote. A failure is a CommandFailure with the
// compiler's reason. Each departure from a layout, and each note on them,
// is added to `departures` when it is given.
std::string compileStep(std::string_view path, const std::string& folder,
                        Strictness reading = Strictness::Standard,
                        std::vector<Diagnostic>* departures = nullptr);
// The fixed names the compile of `path` writes in its folder beside the
// compiled file ("offset.def").
std::span<const std::string_view> compileWrites(std::string_view path);
// What `written` is to `original`: identical, equivalent, differs where...
Result judge(const std::string& path, const std::string& original, const std::string& written);

// Verifies the planned files on `jobs` threads, each in its own private
// folder below one temporary folder. `done` receives the results in the
// order of the plan; `progress` is told each file as it is started.
void verifyAll(const Plan& plan, int jobs, bool deep,
               const std::function<void(const Result&)>& done,
               const std::function<void(std::size_t, const std::string&)>& progress = {});

// "identical", "differs", ... as the lines show them.
std::string_view verdictText(Verdict verdict);
// "PATH: verdict[: detail]", then one indented line per member; control
// characters in the path and the detail shown escaped.
std::string resultLines(const Result& result);

// Counts for the summary line.
struct Tally {
    std::array<std::size_t, 6> counts{};  // by verdict
    std::size_t skipped = 0;
    void add(const Result& result);
    std::size_t count(Verdict v) const { return counts[static_cast<std::size_t>(v)]; }
    std::size_t files() const { return std::accumulate(counts.begin(), counts.end(), skipped); }
    bool clean() const {
        return count(Verdict::Differs) + count(Verdict::NotSupported) + count(Verdict::Failed) == 0;
    }
};
// "412 files: 398 identical, 9 equivalent, 3 differ, 1 not supported, 1 failed, 57 skipped"
std::string summaryLine(const Tally& tally);

}  // namespace z5::verify
