#include "tools/table.hpp"

#include <algorithm>
#include <array>
#include <ostream>
#include <thread>

#include "archive/archive.hpp"
#include "check/check.hpp"
#include "commands/table.hpp"
#include "compare/files.hpp"
#include "compare/merge.hpp"
#include "compare/textconv.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"
#include "tools/list.hpp"
#include "verify/verify.hpp"
#include "workspace/workspace.hpp"

namespace z5::tools {
namespace {

// A progress line on stderr, only for a person watching a terminal. It is
// overwritten with a carriage return and blanks, which every console
// understands (a classic Windows console shows escape sequences as text).
class ProgressLine {
public:
    explicit ProgressLine(const Run& run) : err_(*run.err), shown_(run.progress) {}
    ~ProgressLine() { clear(); }
    void show(std::size_t index, std::size_t count, const std::string& name) {
        if (!shown_) return;
        std::string text = '[' + std::to_string(index + 1) + '/' + std::to_string(count) + "] " +
                           printableLine(name);
        // At most one line of a narrow console, which would otherwise wrap.
        if (text.size() > kWidth) text = text.substr(0, kWidth - 3) + "...";
        const std::size_t shown = text.size();
        if (shown < length_) text.append(length_ - shown, ' ');
        length_ = shown;
        err_ << '\r' << text << std::flush;
    }
    void clear() {
        if (!shown_ || length_ == 0) return;
        err_ << '\r' << std::string(length_, ' ') << '\r' << std::flush;
        length_ = 0;
    }
    bool shown() const { return shown_; }
    std::function<void(std::size_t, const std::string&)> of(std::size_t count) {
        if (!shown_) return nullptr;
        return [this, count](std::size_t i, const std::string& name) { show(i, count, name); };
    }

private:
    static constexpr std::size_t kWidth = 79;
    std::ostream& err_;
    bool shown_;
    std::size_t length_ = 0;  // of the text shown last
};

// A path of the command line taken from the working folder.
std::string fromFolder(const Run& run, const std::string& path) {
    if (path.empty() || !nativePath(path).is_relative()) return path;
    return pathText(nativePath(run.folder) / nativePath(path));
}

// With --quiet an identical result shows only the members that are not.
std::string quietLines(const verify::Result& r) {
    const bool same = r.verdict == verify::Verdict::Identical ||
                      r.verdict == verify::Verdict::IdenticalButReserved;
    std::string members;
    for (const verify::Result& m : r.members) members += quietLines(m);
    if (same && members.empty()) return {};
    verify::Result shown = r;
    shown.members.clear();
    std::string text = verify::resultLines(shown);
    for (std::size_t start = 0; start < members.size();) {
        const std::size_t end = members.find('\n', start) + 1;
        text += "  " + members.substr(start, end - start);
        start = end;
    }
    return text;
}

int runVerify(const Run& run) {
    const verify::Plan plan = verify::plan(run.argument(0), run.base);
    verify::Tally tally;
    tally.skipped = plan.skipped;
    ProgressLine line(run);
    const bool quiet = run.flag("quiet");
    try {
        verify::verifyAll(
            plan, run.jobs(), run.flag("deep"),
            [&](const verify::Result& result) {
                tally.add(result);
                const std::string lines = quiet ? quietLines(result) : verify::resultLines(result);
                line.clear();
                *run.out << lines << std::flush;
            },
            line.of(plan.files.size()));
    } catch (const std::exception& e) {
        *run.err << "z5def verify: " << printableLine(e.what()) << '\n';
        return 1;
    }
    line.clear();
    *run.out << verify::summaryLine(tally) << '\n';
    return tally.clean() ? 0 : 1;
}

// Every diagnostic on standard output, then the summary; 1 when something
// was an error (with --werror, a warning too).
int runCheck(const Run& run) {
    const std::vector<check::Unit> units = check::plan(run.argument(0), run.folder);
    check::Tally tally;
    ProgressLine line(run);
    try {
        check::checkAll(
            units, run.jobs(),
            [&](const check::Result& result) {
                tally.add(result);
                line.clear();
                for (const Diagnostic& d : result.diagnostics)
                    printDiagnostic(*run.out, d, run.carets);
                *run.out << std::flush;
            },
            line.of(units.size()));
    } catch (const std::exception& e) {
        *run.err << "z5def check: " << printableLine(e.what()) << '\n';
        return 1;
    }
    line.clear();
    *run.out << check::summaryLine(tally) << '\n';
    return tally.errors > 0 || (run.flag("werror") && tally.warnings > 0) ? 1 : 0;
}

// The departures of definition files from their layout as a compiler shows
// them, then every reason on a line of its own, or what was done and the
// summary line.
int workspaceReport(const Run& run, const char* word, const workspace::Report& report) {
    for (const Diagnostic& d : report.diagnostics) printDiagnostic(*run.err, d, run.errCarets);
    for (const std::string& reason : report.reasons)
        *run.err << "z5def " << word << ": " << printableLine(reason) << '\n';
    if (!report.succeeded()) return 1;
    for (const std::string& done : report.lines) *run.out << printableLine(done) << '\n';
    *run.out << printableLine(report.summary) << '\n';
    return 0;
}

workspace::Progress workspaceProgress(ProgressLine& line) {
    if (!line.shown()) return {};
    return
        [&line](std::size_t i, std::size_t n, const std::string& name) { line.show(i, n, name); };
}

int runExtract(const Run& run) {
    ProgressLine line(run);
    const workspace::Report report =
        workspace::extract({run.folder, run.first(0), run.first(1), run.jobs(), run.flag("all")},
                           workspaceProgress(line));
    line.clear();
    return workspaceReport(run, "extract", report);
}

// A build is strict unless it is lenient.
int runBuild(const Run& run) {
    ProgressLine line(run);
    const workspace::Report report = workspace::build(
        {run.folder, run.first(0), run.value("output"), run.jobs(),
         run.reading == Strictness::Lenient || run.flag("lenient"), !run.flag("no-backup")},
        workspaceProgress(line));
    line.clear();
    return workspaceReport(run, "build", report);
}

int runList(const Run& run) {
    try {
        const std::string archive = run.first(0);
        for (const std::string& line : listArchive(fromFolder(run, archive), archive))
            *run.out << line << '\n';
        return 0;
    } catch (const std::exception& e) {
        *run.err << "z5def list: " << printableLine(e.what()) << '\n';
        return 1;
    }
}

int runAddFiles(const Run& run) {
    std::vector<std::string> files;
    for (const std::string& file : run.argument(1)) files.push_back(fromFolder(run, file));
    WindowlessHost host(run.folder, {});
    AddReport report;
    const Outcome o = runCommand(host, {.showsBusy = false}, [&](Command& cmd) {
        report = runAdd(cmd, fromFolder(run, run.first(0)), files, !run.flag("no-backup"));
    });
    if (o.status != Status::Done) {
        *run.err << "z5def add: " << printableLine(o.reason) << '\n';
        return 1;
    }
    const auto names = [](const std::vector<std::string>& list) {
        std::string text;
        for (const std::string& name : list) text += (text.empty() ? "" : ", ") + name;
        return printableLine(text);
    };
    if (!report.replaced.empty()) *run.out << "replaced: " << names(report.replaced) << '\n';
    if (!report.added.empty()) *run.out << "added: " << names(report.added) << '\n';
    return 0;
}

// A file's or member's lines as diff prints them: the lines of a file; a
// member's heading and its lines indented under it; with `brief` headings
// only; as JSON one object per difference.
struct LineForm {
    bool brief = false;
    bool json = false;
};
void printFileLines(std::ostream& out, const compare::FileLines& f, LineForm form) {
    if (form.json) {
        if (f.change != compare::Change::Changed)
            out << compare::differenceJson({f.change, {}, {}, f.old, f.now}, f.file) << '\n';
        for (const compare::Difference& d : f.lines)
            out << compare::differenceJson(d, f.file) << '\n';
    } else {
        for (const std::string& line : compare::fileLinesText(f, form.brief)) out << line << '\n';
    }
    out.flush();
}

// 0 when nothing differs, 1 when something does, 2 on trouble.
int runDiff(const Run& run) {
    const std::string a = run.first(0), b = run.first(1);
    const LineForm form{run.flag("brief"), run.flag("json")};
    bool differ = false;
    try {
        compare::diffPaths(fromFolder(run, a), a, fromFolder(run, b), b,
                           [&](const compare::FileLines& f) {
                               differ = true;
                               printFileLines(*run.out, f, form);
                           });
    } catch (const std::exception& e) {
        *run.err << "z5def diff: " << printableLine(e.what()) << '\n';
        return 2;
    }
    // Lines that could not be written are trouble, not a difference.
    if (!*run.out) return 2;
    return differ ? 1 : 0;
}

// Never fails git: a file it cannot read is one line on standard output.
int runTextconv(const Run& run) {
    compare::textconv(fromFolder(run, run.first(0)), *run.out);
    return 0;
}

// 0 merged, 1 conflicts (nothing written), 2 on trouble.
int runMerge(const Run& run) {
    compare::MergeInputs in{fromFolder(run, run.first(0)),
                            fromFolder(run, run.first(1)),
                            fromFolder(run, run.first(2)),
                            run.first(0),
                            run.first(1),
                            run.first(2),
                            {},
                            run.value("output")};
    if (in.shownOutput.empty()) in.shownOutput = pathText(nativePath(in.ours).filename());
    in.output = fromFolder(run, in.shownOutput);
    WindowlessHost host(run.folder, {});
    compare::MergeReport report;
    const Outcome o = runCommand(host, {.showsBusy = false},
                                 [&](Command& cmd) { report = compare::mergeFiles(cmd, in); });
    if (o.status != Status::Done) {
        *run.err << "z5def merge: " << printableLine(o.reason) << '\n';
        return 2;
    }
    for (const std::string& conflict : report.conflicts)
        *run.err << printableLine(conflict) << '\n';
    if (!report.conflicts.empty()) return 1;
    for (const std::string& warning : report.warnings) *run.err << printableLine(warning) << '\n';
    for (const compare::FileLines& f : report.fromTheirs) printFileLines(*run.out, f, {});
    return 0;
}

constexpr Option kJobs{"-j,--jobs", "N", "how many at once (default: the number of cores)"};

constexpr Argument kVerifyArguments[] = {
    {"PATH", "files, or folders walked for the known kinds", true, true}};
constexpr Option kVerifyOptions[] = {
    kJobs,
    {"--deep", {}, "verify an archive's members of the known kinds too"},
    {"--quiet", {}, "print only what is not identical, and the summary"}};

constexpr Argument kCheckArguments[] = {
    {"PATH",
     "a binary, a definition file (for the definitions of its folder) or a folder, walked "
     "(default: the working folder)",
     false, true}};
constexpr Option kCheckOptions[] = {kJobs, {"--werror", {}, "exit 1 on warnings too"}};

constexpr Argument kExtractArguments[] = {
    {"ARCHIVE.dat", "the archive"},
    {"DIR", "a new or empty folder (default: the archive's name without its extension)", false,
     false, true}};
constexpr Option kExtractOptions[] = {
    kJobs, {"--all", {}, "give objects that come back only renumbered a definitions folder too"}};

constexpr Argument kBuildArguments[] = {{"DIR", "the workspace", true, false, true}};
constexpr Option kBuildOptions[] = {
    kJobs,
    {"--lenient",
     {},
     "build in spite of definition files that depart from their layout, files that are links "
     "out of the workspace (packed) and a count on line 2 of dattext.pck that leaves names out "
     "(read as pack reads it), warning of each (without it each fails the build and nothing is "
     "written)"},
    {"--no-backup",
     {},
     "do not keep the archive it replaces as ARCHIVE.dat.bak (by default it is kept there, "
     "replacing an older ARCHIVE.dat.bak)"},
    {"-o,--output", "ARCHIVE.dat",
     "the archive to write (default: the name on the list's first line, .dat added, in the "
     "working folder)"}};

constexpr Argument kListArguments[] = {{"ARCHIVE.dat", "the archive"}};

constexpr Argument kAddArguments[] = {
    {"ARCHIVE.dat", "the archive, created when missing"},
    {"FILE", "files to put in, each under its file name", true, true}};
constexpr Option kAddOptions[] = {
    {"--no-backup",
     {},
     "do not keep the archive it replaces as ARCHIVE.dat.bak (by default it is kept there, "
     "replacing an older ARCHIVE.dat.bak)"}};

constexpr Argument kDiffArguments[] = {
    {"A", "a file, an archive, a definition folder or a workspace"},
    {"B", "the one to compare it with, of the same sort and kind"}};
constexpr Option kDiffOptions[] = {
    {"--brief", {}, "print one line per file or member that differs"},
    {"--json", {}, "print one JSON object per difference, a line each"}};

constexpr Argument kTextconvArguments[] = {{"FILE", "the file git hands over"}};

constexpr Argument kMergeArguments[] = {{"BASE", "the file both sides started from"},
                                        {"OURS", "one side"},
                                        {"THEIRS", "the other side"}};
constexpr Option kMergeOptions[] = {
    {"-o,--output", "OUT",
     "the merged file (default: OURS's file name in the working folder; never an input)"}};

constexpr std::array kTools = {
    Tool{"verify",
         "decompile and compile back (unpack and pack for archives) each file in a private "
         "folder and say whether the same bytes come back",
         "Decompile each file and compile it back (unpack and pack an archive) in a private "
         "temporary folder, and say whether the same bytes come back. Each _PATH_ is a file or a "
         "folder walked recursively; files are taken by their extension (.3do .trk .cam .scr .stg "
         ".dat, any letter case), others are counted as skipped. One line per file, in the order "
         "of the paths, then a summary line. The verdicts: *identical*; *identical but for "
         "reserved fields* (3do: equal once the fields the compiler always writes as 0 are 0 in "
         "both); *equivalent after renumbering* (3do: the vertex, normal or flavor numbers were "
         "not their positions, and the compiled object is the same once renumbered); *differs*, "
         "with the first differing byte and the field that holds it; *not supported* (3do: a "
         "flavor type the decompiler cannot decode); *failed*, with the reason. The folders given "
         "are only read. *-j* _N_ verifies _N_ files at once (default: the number of cores); "
         "*--deep* also verifies an archive's members of the known kinds, indented under it; "
         "*--quiet* prints only what is not identical, and the summary.",
         kVerifyArguments, kVerifyOptions, runVerify},
    Tool{"check",
         "read binaries and definition files as the commands would, writing nothing, and list "
         "their errors (departures from a layout, what a command refuses) and warnings (what an "
         "edit commonly breaks while it still compiles) as a compiler does",
         "Read binaries and definition files as the commands would, writing nothing, and list what "
         "is wrong with them as a compiler does, on standard output: _FILE_:_LINE_:_COLUMN_: "
         "error: ... or warning: ..., each file's in the order of its lines (a binary's "
         "_FILE_: byte _N_: error: ..., at the byte its reason names), then a summary, "
         "_N_ files: _E_ errors, _W_ warnings (a file is each binary and each definition file "
         "read). Each _PATH_ (default: the working folder) is a binary of a known kind, which gets "
         "the refusals every reading command makes (not of its kind, cut short) as errors and the "
         "bytes after its last record as a warning; a definition file, which stands for the "
         "definitions of its folder; or a folder, walked as *verify* walks one for its binaries "
         "and its definition files (Trk.def, cam.def, scr.def, stg.def, and vertex.def with "
         "flavor.def as one object), and for a workspace (a folder with dattext.pck) also each "
         "member's file or _MEMBER_.def folder. Definitions get their departures from the layout "
         "as errors, and warnings for what an edit commonly breaks while it still compiles: a "
         "section's Start that is not the previous section's Start + Length, a header Length that "
         "is not the last section's Start + Length (both usually hold); in an object, a reference "
         "to no vertex, normal or flavor, a key of a vertex or a normal on two lines, an outline "
         "of fewer than three vertices, a flavor the root (the last flavor) does not reach. Exit "
         "status 0 without errors, 1 with errors (with *--werror* also with warnings), 2 on a "
         "usage error. *-j* _N_ checks _N_ at once (default: the number of cores).",
         kCheckArguments, kCheckOptions, runCheck},
    Tool{"extract",
         "make a workspace of ARCHIVE.dat: the list, a folder MEMBER.def of definition files for "
         "each member that compiles back to the same bytes, the other members as files, and the "
         "report workspace.txt",
         "Make a workspace of an archive: the folder _DIR_ (default: the archive's file name "
         "without its extension, with .d added when it has none), which must not exist or be "
         "empty, receives the list dattext.pck as *unpack* writes it and, for each member, a "
         "folder _MEMBER_.def holding its definition files when compiling exactly those files "
         "gives the member's bytes back, else the member file itself. The report workspace.txt has "
         "one line per member: _NAME_: definitions, _NAME_: raw, or _NAME_: raw: _VERDICT_: "
         "_REASON_ for a member of a known kind kept as a file. An archive that unpack and pack do "
         "not give back byte for byte, or that has a member named workspace.txt, is refused; a "
         "member whose folder would have another member's name, in any letter case, stays a file "
         "with that member. *--all* gives objects that come back only renumbered a folder too. "
         "Nothing is left of a failed extract: a new folder is built under a temporary name "
         "beside it and renamed into place when complete; an existing empty folder (_DIR_ may be "
         "\".\") is filled when the workspace is complete and keeps its permissions. _DIR_ is "
         "refused before any work when it is not new or empty, and on Windows when it is a "
         "device name (CON, NUL, AUX, COM1.d, ...).",
         kExtractArguments, kExtractOptions, runExtract},
    Tool{
        "build",
        "build the archive of the workspace DIR: each MEMBER.def folder compiled, every other "
        "member taken as it is (DIR is only read), and say which members changed",
        "Build the archive of a workspace: the one named on the first line of _DIR_/dattext.pck, "
        "in the working folder (or _ARCHIVE.dat_, which may not lie inside _DIR_). Each member "
        "with a folder _MEMBER_.def is compiled from it in a private folder (_DIR_ is only read; "
        "a setup becomes the member under its list name), each other member is taken from its "
        "file; a member with both, or neither, is an error. A build is strict: each departure of "
        "a definition file from its layout is an error, shown as "
        "_DIR_/_MEMBER_.def/_FILE_:_LINE_:_COLUMN_: error: ..., with the file spelled as it is in "
        "the workspace; so is a member count on line 2 of the list that leaves names below it "
        "out (a count of more names than follow fails in any case), and a member or definition "
        "file that is a link to a file outside _DIR_, each named. Every failure is listed on "
        "standard error, one line each naming the member or the definition file and line, and the "
        "archive is then not touched. *--lenient* (or *z5def --lenient build*) builds in spite of "
        "departures and shows each as a warning: the names the count leaves out are left out, as "
        "*pack* does, and links are packed. The output is compared with _DIR_ by the folders it "
        "reaches, whatever links lead there; letter case counts only where file names ignore it. "
        "On success the archive replaces the older one whole; standard output names the members "
        "whose bytes differ from the older archive's (matched by name in any letter case), "
        "*changed:* _A_, _B_, then those *added:* and *removed:* when the list changed, and a "
        "summary line: _N_ members: _C_ compiled, _T_ taken as they are, _X_ changed[, _Y_ "
        "added][, _Z_ removed]; wrote _NAME_.dat, kept the old one as _NAME_.dat.bak. Without an "
        "older archive nothing is compared and the summary ends in \"wrote _NAME_.dat, a new "
        "archive\"; an older file that does not read as an archive is kept but not compared, and a "
        "line says so. The older archive is kept as _NAME_.dat.bak, put in place together with "
        "the new archive (a second name of the file where the file system has links, else a "
        "copy), and an older _NAME_.dat.bak is replaced: one generation. A folder or a read-only "
        "file at that name fails the build before anything is written; *--no-backup* keeps no "
        "copy. With nothing edited, the archive comes back byte for byte. *-j* _N_ works on _N_ "
        "members at once (default: the number of cores) for both commands; on a terminal a "
        "progress line shows.",
        kBuildArguments, kBuildOptions, runBuild},
    Tool{"list",
         "list the members of ARCHIVE.dat: name, size, offset and the kind their bytes look like",
         "List the members of an archive, one line each in archive order: the name, the size and "
         "the offset of its bytes, and the kind they look like: *3do* (an object's section tag "
         "first), *trk* (KART, and as long as its counts say), *cam*, *scr* (as long as their "
         "counts say), *stg* (a setup's record tag and comment marker, as long as its comment "
         "says), or *-* when they fit no kind or more than one; then a summary, _N_ members and "
         "the archive's size. A damaged archive is refused as *unpack* refuses it, naming the "
         "member.",
         kListArguments,
         {},
         runList},
    Tool{"add",
         "put FILEs into ARCHIVE.dat: each replaces the member of its name (which keeps its "
         "place) or is appended; the archive is replaced whole, the old one kept as "
         "ARCHIVE.dat.bak",
         "Put files into an archive, each under its file name: a file replaces the member of that "
         "name, in any letter case, which keeps its place in the archive and its name's spelling; "
         "a file of another name is appended. The entries of the other members keep every byte but "
         "their offsets. An archive that does not exist is created. Names and limits are pack's: a "
         "plain file name of at most 13 characters, at most 1213 members, each under 64 MiB; a "
         "damaged archive is refused. The archive is replaced whole, only when the new one is "
         "complete, and the one it replaces is kept as _ARCHIVE_.dat.bak (one generation; "
         "*--no-backup* keeps none). Standard output names the members *replaced:* and *added:*.",
         kAddArguments, kAddOptions, runAddFiles},
    Tool{"diff",
         "compare two files of one kind, two archives, two definition folders or two workspaces "
         "field by field: one line per difference, named as the definition files name it",
         "Compare two files of one kind (.3do .trk .cam .scr .stg .dat; the kind by content where "
         "the bytes decide it, else by extension), two definition folders or two workspaces, and "
         "print one line per difference in the order of the definition file, each field named by "
         "its place and label: _PLACE_: _FIELD_: _OLD_ -> _NEW_ (*Header: Length: 160000 -> "
         "160100*, *Section 12: Banking 3: Height 2: 150 -> 180*). Records without a key of their "
         "own (sections, surfaces, walls, flavors, camera blocks) are aligned as a text diff "
         "aligns lines, so a record added or removed is one line (*Section 41: added (turn, "
         "Length 900)*), and are named as _A_ numbers them (added ones as _B_ does); vertices and "
         "normals are matched by their key (*vertex 17: X: 10 -> 12*), flavors are named by "
         "their offset and type (*flavor 123 (FL03): value 2: 7 -> 9*) and a reference to a "
         "flavor is compared by the flavor it names. Counts and sizes the compiler works out "
         "(Segments, Section 2, Section 3, the blocks of a count) get no line of their own. An "
         "object that comes back the same but for its numbering is one line, *Object: "
         "renumbered: ...*. A setup is compared by its labels (*Gears: 3rd: 1.32 -> 1.35*); its "
         "line 2 folder is no difference, the name it stores is (*Name: FAST -> QUICK*). Archives "
         "and workspaces are compared member by member, by name in any letter case: _NAME_: "
         "*added*, *removed*, *moved* (_OLD_ -> _NEW_ position), or *changed* with its lines "
         "indented under it; a member of no known kind shows its differing bytes (*bytes "
         "0x10-0x1f*). Members whose bytes are equal are not decoded. *--brief* prints only one "
         "line per file or member that differs; *--json* one JSON object per difference, a line "
         "each, with *change* (changed, added, removed, moved), *file*, *place*, *field*, *old* "
         "and *new*, null where there is none. Exit status 0 when nothing differs, 1 when "
         "something does, 2 on trouble (a path missing or damaged, two kinds).",
         kDiffArguments, kDiffOptions, runDiff},
    Tool{"textconv",
         "write a file as text for git's textconv: its definition files, or an archive's "
         "members, on standard output",
         "Write _FILE_ as text on standard output, writing no file, for git's *textconv* (see "
         "*EXAMPLES*): a binary of a known kind as the decompiler's definition files one after "
         "another, each under a line *==>* _NAME_ *<==* (a setup's line 2 from the name it "
         "stores, not from the file's path, which git makes up); an archive as one line per "
         "member: its name, size, kind and the CRC-32 of its bytes. A file it cannot read gives "
         "one line saying why, with its size and CRC-32. The exit status is 0 whatever the file "
         "holds, so git never fails on it.",
         kTextconvArguments,
         {},
         runTextconv},
    Tool{"merge",
         "merge two changed versions of a file or an archive field by field: what changed on one "
         "side only is taken, what changed on both otherwise is a conflict",
         "Merge _OURS_ and _THEIRS_, two changed versions of _BASE_, by field: three files of "
         "one kind, or three archives member by member (and by field within members of the "
         "known kinds; a member added by one side goes after the member it follows there). A "
         "field changed on one side only takes that side's value, changed alike on both that "
         "value; changed otherwise on both, it is a conflict. Records added or removed (sections, "
         "vertices, flavors, members) are merged when only one side added or removed there. With "
         "no conflict the merge is written to _OUT_ (default: the file name of _OURS_ in the "
         "working folder, refused when that is an input) as every output is, and standard "
         "output lists what came from _THEIRS_ as *diff* names it; a merged track whose Start "
         "chain breaks is written with *check*'s warning on standard error. With any conflict "
         "every one is listed on standard error as *diff* names fields (*Section 12: Length: "
         "base 2000, ours 2100, theirs 1900*), nothing is written and the exit status is 1; "
         "trouble (an input missing or damaged, kinds that differ) exits 2.",
         kMergeArguments, kMergeOptions, runMerge},
};

}  // namespace

int Run::jobs() const {
    const std::string n = value("jobs");
    if (!n.empty()) return std::stoi(n);
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

std::span<const Tool> toolTable() {
    return kTools;
}

void printDiagnostic(std::ostream& to, const Diagnostic& d, bool caret) {
    to << printableLine(diagnosticLine(d)) << '\n';
    if (!caret || d.line <= 0 || d.column <= 0) return;
    // Escaped bytes widen the line: the caret stands under the column as
    // shown.
    Diagnostic shown = d;
    shown.text = printableLine(d.text);
    shown.column = static_cast<long>(
        printableLine(std::string_view(d.text).substr(
                          0, std::min(d.text.size(), static_cast<std::size_t>(d.column - 1))))
            .size() +
        1);
    to << diagnosticCaret(shown);
}

}  // namespace z5::tools
