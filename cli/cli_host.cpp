#include "cli/cli_host.hpp"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <ostream>
#include <thread>

#include "check/check.hpp"
#include "commands/table.hpp"
#include "platform/console.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"
#include "verify/verify.hpp"
#include "workspace/workspace.hpp"

#ifndef Z5_VERSION
#define Z5_VERSION "0"
#endif

namespace z5 {

void CliHost::messageBox(const std::string& text, const std::string& title) {
    if (title == kDoneTitle) {
        if (!quiet_) out_ << text << '\n';
    } else {
        err_ << printableLine(title) << ": " << printableLine(text) << '\n';
    }
}

void CliHost::notice(const std::string& line) {
    err_ << printableLine(line) << '\n';
}

namespace {

// A diagnostic's line, and on a terminal (`caret`) the line of the file and
// a caret under the column, as a compiler shows them.
void printDiagnostic(std::ostream& to, const Diagnostic& d, bool caret) {
    to << printableLine(diagnosticLine(d)) << '\n';
    if (!caret || d.line <= 0 || d.column <= 0 || d.text.empty()) return;
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

}  // namespace

void CliHost::diagnostic(const Diagnostic& d) {
    printDiagnostic(err_, d, &err_ == &std::cerr && isTerminal(2));
}

namespace {

// The working folder as an absolute path without a trailing separator
// (a root keeps its separator).
std::string absoluteFolder(const std::string& dir) {
    std::filesystem::path p =
        std::filesystem::absolute(nativePath(dir.empty() ? "." : dir)).lexically_normal();
    if (p.has_relative_path() && !p.has_filename()) p = p.parent_path();
    return pathText(p);
}

// -C names an existing folder. (CLI11's own check would take the name in the
// ANSI code page on Windows.)
std::string checkFolder(std::string& dir) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(nativePath(dir), ec);
    if (!std::filesystem::exists(status)) return "Directory does not exist: " + dir;
    if (!std::filesystem::is_directory(status)) return "Directory is actually a file: " + dir;
    return {};
}

// Where the system drops dots and blanks at the end of a name, a path whose
// last part ends in one names another file than it says ("flavor.def."
// opens flavor.def): refused as a usage error. "." and ".." are folders.
std::string checkNameEnd(std::string& path) {
    if (!kNamesDropTrailingDots) return {};
    const std::size_t separator = path.find_last_of("/\\");
    const std::string_view last =
        std::string_view(path).substr(separator == std::string::npos ? 0 : separator + 1);
    if (last.empty() || last == "." || last == ".." || (last.back() != '.' && last.back() != ' '))
        return {};
    return "\"" + path +
           "\" ends in a dot or a blank, which Windows drops from names; give the "
           "name without it";
}

// A FILE or DIR argument (`kind`) checked by checkNameEnd.
CLI::Option* pathArgument(CLI::Option* option, const char* kind) {
    return option->check(CLI::Validator(checkNameEnd, kind));
}

// -j takes a whole number of at least 1.
std::string checkJobs(std::string& text) {
    int jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs < 1)
        return "-j takes a number of at least 1";
    return {};
}

// "z5def", then the words of the commands the parser took ("z5def trk").
std::string commandPath(const CLI::App& app) {
    std::string path = "z5def";
    for (const CLI::App* level = &app; !level->get_subcommands().empty();) {
        level = level->get_subcommands().front();
        path += ' ' + level->get_name();
    }
    return path;
}

// The one-line reason for a parse error. CLI11 reports a word it did not
// know as "A subcommand is required" or "The following argument was not
// expected"; this names the word and the command it followed instead.
std::string parseProblem(const CLI::App& app, const CLI::ParseError& error) {
    const bool required = dynamic_cast<const CLI::RequiredError*>(&error) != nullptr;
    std::string path = "z5def";
    for (const CLI::App* level = &app; level;) {
        const std::string hint = "; try \"" + path + " --help\"";
        const std::vector<std::string> rest = level->remaining();
        const auto words = level->get_subcommands({});
        if (!rest.empty()) {
            const std::string& word = rest.front();
            const char* what = word.size() > 1 && word.front() == '-' ? "unknown option"
                               : words.empty()                        ? "unexpected argument"
                                                                      : "unknown command";
            return path + ": " + what + " \"" + word + '"' + hint;
        }
        const auto taken = level->get_subcommands();
        if (taken.empty()) {
            if (!required) break;
            if (words.empty()) return path + ": " + error.what() + hint;  // "FILE is required"
            std::string names;
            for (const CLI::App* w : words) names += (names.empty() ? "" : ", ") + w->get_name();
            return path + ": a command is required (" + names + ')';
        }
        level = taken.front();
        path += ' ' + level->get_name();
    }
    return std::string("z5def: ") + error.what() + "; try \"z5def --help\"";
}

bool stderrIsTerminal() {
    return isTerminal(2);
}

int defaultJobs() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

struct VerifyRequest {
    std::vector<std::string> paths;
    int jobs = defaultJobs();
    bool deep = false;
    bool quiet = false;
};

struct CheckRequest {
    std::vector<std::string> paths;
    int jobs = defaultJobs();
    bool werror = false;
};

struct WorkspaceRequest {
    std::string archive;
    std::string folder;
    std::string output;
    int jobs = defaultJobs();
    bool all = false;
    Strictness reading = Strictness::Standard;
    bool noBackup = false;
};

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
    std::string indented;
    for (std::size_t start = 0; start < members.size();) {
        const std::size_t end = members.find('\n', start) + 1;
        indented += "  " + members.substr(start, end - start);
        start = end;
    }
    return text + indented;
}

// A progress line on stderr, only for a person watching a terminal.
class ProgressLine {
public:
    explicit ProgressLine(std::ostream& err)
        : err_(err), shown_(&err == &std::cerr && stderrIsTerminal()) {}
    ~ProgressLine() { clear(); }
    void show(std::size_t index, std::size_t count, const std::string& name) {
        if (shown_)
            err_ << "\r\x1b[K[" << index + 1 << '/' << count << "] " << printableLine(name)
                 << std::flush;
    }
    void clear() {
        if (shown_) err_ << "\r\x1b[K" << std::flush;
    }
    bool shown() const { return shown_; }

private:
    std::ostream& err_;
    bool shown_;
};

// `base`: the folder relative paths are taken from (-C), or empty.
int runVerify(const VerifyRequest& request, const std::string& base, std::ostream& out,
              std::ostream& err) {
    const verify::Plan plan = verify::plan(request.paths, base);
    verify::Tally tally;
    tally.skipped = plan.skipped;
    ProgressLine line(err);
    auto progress = [&](std::size_t index, const std::string& path) {
        line.show(index, plan.files.size(), path);
    };
    auto done = [&](const verify::Result& result) {
        tally.add(result);
        const std::string lines = request.quiet ? quietLines(result) : verify::resultLines(result);
        line.clear();
        out << lines << std::flush;
    };
    try {
        verify::verifyAll(plan, request.jobs, request.deep, done,
                          line.shown()
                              ? std::function<void(std::size_t, const std::string&)>(progress)
                              : nullptr);
    } catch (const std::exception& e) {
        err << "z5def verify: " << printableLine(e.what()) << '\n';
        return 1;
    }
    line.clear();
    out << verify::summaryLine(tally) << '\n';
    return tally.clean() ? 0 : 1;
}

// check: every diagnostic on standard output, then the summary; 1 when
// something was an error (with --werror, a warning too).
int runCheck(const CheckRequest& request, const std::string& base, std::ostream& out,
             std::ostream& err) {
    const std::vector<check::Unit> units = check::plan(request.paths, base);
    check::Tally tally;
    ProgressLine line(err);
    const bool caret = &out == &std::cout && isTerminal(1);
    try {
        check::checkAll(
            units, request.jobs,
            [&](const check::Result& result) {
                tally.add(result);
                line.clear();
                for (const Diagnostic& d : result.diagnostics) printDiagnostic(out, d, caret);
                out << std::flush;
            },
            line.shown() ? std::function<void(std::size_t, const std::string&)>(
                               [&](std::size_t i, const std::string& name) {
                                   line.show(i, units.size(), name);
                               })
                         : nullptr);
    } catch (const std::exception& e) {
        err << "z5def check: " << printableLine(e.what()) << '\n';
        return 1;
    }
    line.clear();
    out << check::summaryLine(tally) << '\n';
    return tally.errors > 0 || (request.werror && tally.warnings > 0) ? 1 : 0;
}

// extract and build: the departures of definition files from their layout
// as a compiler shows them, then every reason on a line of its own, or what
// was done and the summary line. A build is strict unless it is lenient.
int runWorkspace(const WorkspaceRequest& request, bool build, const std::string& folder,
                 std::ostream& out, std::ostream& err) {
    ProgressLine line(err);
    workspace::Progress progress;
    if (line.shown())
        progress = [&](std::size_t i, std::size_t n, const std::string& name) {
            line.show(i, n, name);
        };
    const workspace::Report report =
        build ? workspace::build({folder, request.folder, request.output, request.jobs,
                                  request.reading == Strictness::Lenient, !request.noBackup},
                                 progress)
              : workspace::extract(
                    {folder, request.archive, request.folder, request.jobs, request.all}, progress);
    line.clear();
    CliHost shown(folder, {}, false, out, err);
    for (const Diagnostic& d : report.diagnostics) shown.diagnostic(d);
    for (const std::string& reason : report.reasons)
        err << "z5def " << (build ? "build" : "extract") << ": " << printableLine(reason) << '\n';
    if (!report.succeeded()) return 1;
    for (const std::string& done : report.lines) out << printableLine(done) << '\n';
    out << printableLine(report.summary) << '\n';
    return 0;
}

// The command tree and what its parse leaves. `wanted` says which commands
// and groups to add: CLI11 matches a command only by its exact word, so one
// whose word appears nowhere on the command line cannot change the parse, and
// leaving it out saves building it (most of the start-up time of a run).
struct CommandLine {
    explicit CommandLine(const std::function<bool(std::string_view)>& wanted);
    void addVerifyCommand();
    void addWorkspaceCommands(const std::function<bool(std::string_view)>& wanted);
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    CLI::App app{
        "z5def: converts the data files of the racing simulation to editable definition files "
        "and back, unpacks and packs archives, and dumps raw files.",
        "z5def"};
    std::string dir;
    bool quiet = false;
    bool strict = false;
    bool lenient = false;
    std::string file;
    std::string output;
    const CommandEntry* chosen = nullptr;
    const CLI::Option* fileOption = nullptr;
    const CLI::Option* outputOption = nullptr;
    VerifyRequest verify;
    CLI::App* verifyCommand = nullptr;
    CheckRequest check;
    CLI::App* checkCommand = nullptr;
    void addCheckCommand();
    WorkspaceRequest workspace;
    CLI::App* extractCommand = nullptr;
    CLI::App* buildCommand = nullptr;
};

CommandLine::CommandLine(const std::function<bool(std::string_view)>& wanted) {
    app.set_version_flag("--version", std::string("z5def " Z5_VERSION));
    // On Windows CLI11 would read "/mods/oval.trk" as an option; here it is a
    // FILE rooted on the working folder's drive. Subcommands inherit this, so
    // it is set before they are added.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    pathArgument(app.add_option("-C,--directory", dir,
                                "working folder: outputs and fixed-name inputs live here, and "
                                "relative FILE arguments are taken from here (default: the "
                                "current folder)"),
                 "DIR")
        ->check(CLI::Validator(checkFolder, "DIR"));
    app.add_flag("-q,--quiet", quiet, "do not print DONE on success");
    CLI::Option* strictFlag = app.add_flag(
        "--strict", strict,
        "every departure of a definition file from its layout is an error: the command writes "
        "nothing (build is strict unless --lenient is given)");
    app.add_flag("--lenient", lenient,
                 "read definition files by position as always (departures are warnings), and "
                 "binaries that are not of their kind or are cut short, with zeros past their end")
        ->excludes(strictFlag);

    std::map<std::string, CLI::App*, std::less<>> groups;
    for (const CommandEntry& entry : commandTable()) {
        CLI::App* parent = &app;
        if (!entry.cliGroup.empty()) {
            if (!wanted(entry.cliGroup)) continue;
            auto it = groups.find(entry.cliGroup);
            if (it == groups.end()) {
                CLI::App* group = app.add_subcommand(std::string(entry.cliGroup),
                                                     std::string(entry.cliGroup) + " converters");
                group->require_subcommand(1);
                it = groups.emplace(std::string(entry.cliGroup), group).first;
            }
            parent = it->second;
        }
        if (!wanted(entry.cliName)) continue;
        CLI::App* sub =
            parent->add_subcommand(std::string(entry.cliName), std::string(entry.summary));
        CLI::Option* option = nullptr;
        if (entry.takesFile()) {
            option = pathArgument(sub->add_option(std::string(entry.argumentName), file), "FILE");
            if (!entry.options.fileOptional) option->required();
        }
        CLI::Option* named = nullptr;
        if (!entry.outputArgument.empty())
            named = pathArgument(sub->add_option("-o,--output", output,
                                                 "write " + std::string(entry.outputArgument) +
                                                     " instead (relative to the working folder)"),
                                 "FILE")
                        ->type_name(std::string(entry.outputArgument));
        sub->callback([this, &entry, option, named] {
            chosen = &entry;
            fileOption = option;
            outputOption = named;
        });
    }

    if (wanted("verify")) addVerifyCommand();
    if (wanted("check")) addCheckCommand();
    addWorkspaceCommands(wanted);
}

void CommandLine::addVerifyCommand() {
    verifyCommand = app.add_subcommand(
        "verify",
        "decompile and compile back (unpack and pack for archives) each file in a "
        "private folder and say whether the same bytes come back");
    verifyCommand->add_option("PATH", verify.paths, "files, or folders walked for known kinds")
        ->required();
    verifyCommand
        ->add_option("-j,--jobs", verify.jobs, "files verified at once (default: the cores)")
        ->check(CLI::Validator(checkJobs, "N"));
    verifyCommand->add_flag("--deep", verify.deep,
                            "verify an archive's members of known kinds too");
    verifyCommand->add_flag("--quiet", verify.quiet,
                            "print only what is not identical, and the summary");
}

void CommandLine::addCheckCommand() {
    checkCommand = app.add_subcommand(
        "check",
        "read binaries and definition files as the commands would, writing nothing, and list "
        "their errors (departures from a layout, what a command refuses) and warnings (what an "
        "edit commonly breaks while it still compiles) as a compiler does");
    checkCommand->add_option("PATH", check.paths,
                             "a binary, a definition file (for the definitions of its folder) or "
                             "a folder, walked (default: the working folder)");
    checkCommand->add_option("-j,--jobs", check.jobs, "files checked at once (default: the cores)")
        ->check(CLI::Validator(checkJobs, "N"));
    checkCommand->add_flag("--werror", check.werror, "exit 1 on warnings too");
}

void CommandLine::addWorkspaceCommands(const std::function<bool(std::string_view)>& wanted) {
    const auto jobs = [this](CLI::App* command) {
        command
            ->add_option("-j,--jobs", workspace.jobs,
                         "members worked on at once (default: the cores)")
            ->check(CLI::Validator(checkJobs, "N"));
    };
    if (wanted("extract")) {
        extractCommand = app.add_subcommand(
            "extract",
            "make a workspace of ARCHIVE.dat: the list, a folder MEMBER.def of definition files "
            "for each member that compiles back to the same bytes, the other members as files, "
            "and the report workspace.txt");
        jobs(extractCommand);
        extractCommand->add_flag(
            "--all", workspace.all,
            "give objects that come back only renumbered a definitions folder too");
        pathArgument(extractCommand->add_option("ARCHIVE.dat", workspace.archive, "the archive"),
                     "FILE")
            ->required();
        pathArgument(extractCommand->add_option("DIR", workspace.folder,
                                                "a new or empty folder (default: the archive's "
                                                "name without its extension)"),
                     "DIR");
    }
    if (wanted("build")) {
        buildCommand = app.add_subcommand(
            "build",
            "build the archive of the workspace DIR: each MEMBER.def folder compiled, every other "
            "member taken as it is (DIR is only read), and say which members changed");
        jobs(buildCommand);
        buildCommand->add_flag("--lenient", lenient,
                               "build although definition files depart from their layout, "
                               "warning of each departure (without it any departure fails the "
                               "build and nothing is written)");
        buildCommand->add_flag("--no-backup", workspace.noBackup,
                               "do not keep the archive it replaces as ARCHIVE.dat.bak (by "
                               "default it is kept there, replacing an older ARCHIVE.dat.bak)");
        pathArgument(buildCommand->add_option("DIR", workspace.folder, "the workspace"), "DIR")
            ->required();
        pathArgument(buildCommand->add_option("-o,--output", workspace.output,
                                              "the archive to write (default: the name on the "
                                              "list's first line, .dat added, in the working "
                                              "folder)"),
                     "FILE");
    }
}

// Runs what the parsed command line asks for.
int runCommand(CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.verifyCommand && line.verifyCommand->parsed())
        return runVerify(line.verify, line.dir.empty() ? "" : absoluteFolder(line.dir), out, err);
    if (line.checkCommand && line.checkCommand->parsed())
        return runCheck(line.check, absoluteFolder(line.dir), out, err);
    for (CLI::App* command : {line.extractCommand, line.buildCommand})
        if (command && command->parsed()) {
            if (line.workspace.archive.empty() && command == line.extractCommand) {
                err << "z5def extract: ARCHIVE.dat is empty\n";
                return 2;
            }
            if (line.workspace.folder.empty() && command == line.buildCommand) {
                err << "z5def build: DIR is empty\n";
                return 2;
            }
            line.workspace.reading = line.lenient  ? Strictness::Lenient
                                     : line.strict ? Strictness::Strict
                                                   : Strictness::Standard;
            return runWorkspace(line.workspace, command == line.buildCommand,
                                absoluteFolder(line.dir), out, err);
        }
    const CommandEntry* chosen = line.chosen;
    if (!chosen) return 2;
    // An empty name would leave the converter to fail on a folder, or to
    // write work files before it does.
    std::string file = line.file;
    const bool given = line.fileOption && line.fileOption->count() > 0;
    if (chosen->takesFile() && file.empty() && (given || !chosen->options.fileOptional)) {
        err << commandPath(line.app) << ": " << chosen->argumentName << " is empty\n";
        return 2;
    }
    if (line.outputOption && line.outputOption->count() > 0 && line.output.empty()) {
        err << commandPath(line.app) << ": " << chosen->outputArgument << " is empty\n";
        return 2;
    }

    const std::string folder = absoluteFolder(line.dir);
    auto inFolder = [&folder](std::string path) {
        if (!path.empty() && nativePath(path).is_relative())
            path = pathText(nativePath(folder) / nativePath(path));
        return path;
    };
    file = inFolder(file);

    CliHost host(folder, file, line.quiet, out, err);
    host.output = inFolder(line.output);
    host.reading = line.strict    ? Strictness::Strict
                   : line.lenient ? Strictness::Lenient
                                  : Strictness::Standard;
    const Outcome outcome = chosen->run(host);
    if (outcome.status == Status::Done) return 0;
    err << "z5def: " << printableLine(outcome.reason.empty() ? "cancelled" : outcome.reason)
        << '\n';
    return 1;
}

// The command line without the final check of standard output. It is parsed
// first with only the commands its words name; help and every error are
// given by the whole tree, so they list every command.
int runParsed(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    {
        CommandLine named([argc, argv](std::string_view word) {
            for (int i = 1; i < argc; ++i)
                if (word == argv[i]) return true;
            return false;
        });
        bool parsed = false;
        try {
            named.app.parse(argc, argv);
            parsed = true;
        } catch (const CLI::CallForVersion& e) {
            return named.app.exit(e, out, err);
        } catch (const CLI::Error&) {
            // parsed again below with every command
        }
        if (parsed) return runCommand(named, out, err);
    }
    CommandLine line([](std::string_view) { return true; });
    try {
        line.app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return line.app.exit(e, out, err);
    } catch (const CLI::CallForAllHelp& e) {
        return line.app.exit(e, out, err);
    } catch (const CLI::CallForVersion& e) {
        return line.app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        err << printableLine(parseProblem(line.app, e)) << '\n';
        return 2;
    }
    return runCommand(line, out, err);
}

}  // namespace

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    int status = runParsed(argc, argv, out, err);
    // What was printed must have reached its reader: a full disk or a closed
    // pipe shows only when the buffered output is flushed.
    errno = 0;
    out.flush();
    if (!out) {
        err << "z5def: cannot write to standard output" << (errno ? ": " + systemReason() : "")
            << '\n';
        err.flush();
        if (status == 0) status = 1;
    }
    return status;
}

}  // namespace z5
