#include "cli/cli_host.hpp"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <functional>
#include <iostream>
#include <list>
#include <map>
#include <ostream>
#include <thread>

#include "commands/drop.hpp"
#include "commands/table.hpp"
#include "platform/console.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"
#include "tools/table.hpp"

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

void CliHost::diagnostic(const Diagnostic& d) {
    tools::printDiagnostic(err_, d, &err_ == &std::cerr && isTerminal(2));
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

// A file's path made absolute.
std::string absolutePath(const std::string& path) {
    return pathText(std::filesystem::absolute(nativePath(path)).lexically_normal());
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
    return option->check(CLI::Validator(checkNameEnd, "", kind));
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

// The command tree and what its parse leaves. `wanted` says which commands
// and groups to add: CLI11 matches a command only by its exact word, so one
// whose word appears nowhere on the command line cannot change the parse, and
// leaving it out saves building it (most of the start-up time of a run).
struct CommandLine {
    explicit CommandLine(const std::function<bool(std::string_view)>& wanted);
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;
    void addTool(const tools::Tool& tool);

    CLI::App app{
        "z5def: converts the data files of the racing simulation to editable definition files "
        "and back, unpacks and packs archives, and dumps raw files.",
        "z5def"};
    std::string dir;
    bool quiet = false;
    bool strict = false;
    bool lenient = false;
    // A converter row: its file argument, -o and the names it may act on.
    std::string file;
    std::string output;
    std::vector<std::string> names;
    std::string definitions;  // a compile's definition file or its folder
    const CLI::Option* definitionsOption = nullptr;
    const CommandEntry* chosen = nullptr;
    const CLI::Option* fileOption = nullptr;
    const CLI::Option* outputOption = nullptr;
    // A tool: its row and what was given for each argument and option.
    struct ToolParse {
        const tools::Tool* tool = nullptr;
        CLI::App* command = nullptr;
        std::vector<std::vector<std::string>> arguments;  // for the arguments that are many
        std::vector<std::string> singles;                 // and those that are one
        std::vector<std::string> values;                  // by option, in the row's order
        std::vector<CLI::Option*> options;
    };
    std::list<ToolParse> tools;
};

// The long name of an option ("-j,--jobs" gives "jobs").
std::string longName(std::string_view names) {
    const std::size_t at = names.rfind("--");
    return std::string(names.substr(at == std::string_view::npos ? 0 : at + 2));
}

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
        ->check(CLI::Validator(checkFolder, "", "DIR"))
        ->type_name("DIR");
    app.add_flag("-q,--quiet", quiet, "do not print DONE on success");
    app.add_flag("--strict", strict,
                 "every departure of a definition file from its layout is an error: the command "
                 "writes nothing (build is strict unless --lenient is given)");
    app.add_flag("--lenient", lenient,
                 "read definition files by position as always (departures are warnings), and "
                 "binaries that are not of their kind or are cut short, with zeros past their "
                 "end");

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
            // A Save dialog's file is the one the command writes.
            option = pathArgument(sub->add_option(std::string(entry.argumentName), file,
                                                  entry.options.dialog == Dialog::Save
                                                      ? "the file it writes (relative to the "
                                                        "working folder)"
                                                      : "the file it reads (relative to the "
                                                        "working folder)"),
                                  "FILE")
                         ->type_name("");
            if (!entry.options.fileOptional) option->required();
        }
        CLI::Option* definitionsArgument = nullptr;
        if (const std::string_view def = definitionFileOf(entry); !def.empty())
            definitionsArgument =
                pathArgument(sub->add_option(std::string(def), definitions,
                                             "the definition file, or the folder holding it: "
                                             "its folder is the working folder (in place of -C)"),
                             "FILE")
                    ->type_name("");
        if (!entry.namesArgument.empty())
            sub->add_option(std::string(entry.namesArgument), names, std::string(entry.namesHelp))
                ->type_name("");
        CLI::Option* named = nullptr;
        if (!entry.outputArgument.empty())
            named = pathArgument(sub->add_option("-o,--output", output,
                                                 "write " + std::string(entry.outputArgument) +
                                                     " instead (relative to the working folder)"),
                                 "FILE")
                        ->type_name(std::string(entry.outputArgument));
        sub->callback([this, &entry, option, named, definitionsArgument] {
            chosen = &entry;
            fileOption = option;
            outputOption = named;
            definitionsOption = definitionsArgument;
        });
    }
    for (const tools::Tool& tool : tools::toolTable())
        if (wanted(tool.word)) addTool(tool);
}

void CommandLine::addTool(const tools::Tool& tool) {
    ToolParse& parse = tools.emplace_back();
    parse.tool = &tool;
    parse.command = app.add_subcommand(std::string(tool.word), std::string(tool.summary));
    parse.arguments.resize(tool.arguments.size());
    parse.singles.resize(tool.arguments.size());
    parse.values.resize(tool.options.size());
    for (std::size_t i = 0; i < tool.options.size(); ++i) {
        const tools::Option& o = tool.options[i];
        CLI::Option* option = nullptr;
        if (o.value.empty()) {
            const std::string help(o.help);  // const: a description, not a result
            option = parse.command->add_flag(std::string(o.names), help);
        } else {
            option = parse.command->add_option(std::string(o.names), parse.values[i],
                                               std::string(o.help));
            option->type_name(std::string(o.value));
            if (o.value == "N")
                option->check(CLI::Validator(checkJobs, "", "N"));
            else
                pathArgument(option, "FILE");
        }
        parse.options.push_back(option);
    }
    for (std::size_t i = 0; i < tool.arguments.size(); ++i) {
        const tools::Argument& a = tool.arguments[i];
        CLI::Option* option =
            a.many ? parse.command->add_option(std::string(a.name), parse.arguments[i],
                                               std::string(a.help))
                   : parse.command->add_option(std::string(a.name), parse.singles[i],
                                               std::string(a.help));
        option->type_name("");
        if (a.required) option->required();
        pathArgument(option, a.folder ? "DIR" : "FILE");
    }
}

// Runs what the parsed command line asks for.
int runCommand(CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.strict && line.lenient) {
        err << "z5def: --strict and --lenient exclude each other\n";
        return 2;
    }
    const Strictness reading = line.strict    ? Strictness::Strict
                               : line.lenient ? Strictness::Lenient
                                              : Strictness::Standard;
    for (CommandLine::ToolParse& parse : line.tools) {
        if (!parse.command->parsed()) continue;
        const tools::Tool& tool = *parse.tool;
        tools::Run run;
        for (std::size_t i = 0; i < tool.arguments.size(); ++i) {
            if (!tool.arguments[i].many &&
                parse.command->get_option(std::string(tool.arguments[i].name))->count() > 0)
                parse.arguments[i] = {parse.singles[i]};
            for (const std::string& given : parse.arguments[i])
                if (given.empty()) {
                    err << "z5def " << tool.word << ": " << tool.arguments[i].name << " is empty\n";
                    return 2;
                }
        }
        run.arguments = parse.arguments;
        for (std::size_t i = 0; i < tool.options.size(); ++i) {
            if (parse.options[i]->count() == 0) continue;
            const std::string name = longName(tool.options[i].names);
            if (tool.options[i].value.empty()) {
                run.flags.insert(name);
            } else if (parse.values[i].empty()) {
                err << "z5def " << tool.word << ": " << tool.options[i].value << " is empty\n";
                return 2;
            } else {
                run.values[name] = parse.values[i];
            }
        }
        // A tool's own --lenient contradicts the global --strict as the
        // global --lenient does.
        if (line.strict && run.flag("lenient")) {
            err << "z5def " << tool.word << ": --strict and --lenient exclude each other\n";
            return 2;
        }
        run.folder = absoluteFolder(line.dir);
        run.base = line.dir.empty() ? "" : run.folder;
        run.reading = reading;
        run.out = &out;
        run.err = &err;
        run.carets = &out == &std::cout && isTerminal(1);
        run.errCarets = &err == &std::cerr && isTerminal(2);
        run.progress = &err == &std::cerr && isTerminal(2);
        return tool.run(run);
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

    // A compile's definition file or its folder stands for -C of that
    // folder.
    std::string dir = line.dir;
    if (line.definitionsOption && line.definitionsOption->count() > 0) {
        const std::string_view def = definitionFileOf(*chosen);
        const std::string path = line.definitions;
        if (!line.dir.empty()) {
            err << commandPath(line.app) << ": give -C or the path of " << def << ", not both\n";
            return 2;
        }
        std::error_code ec;
        const bool folder = std::filesystem::is_directory(nativePath(path), ec);
        const std::string name = pathText(nativePath(path).filename());
        if (!folder && !equalsIgnoringCase(name, def)) {
            err << commandPath(line.app) << ": " << printableLine(path) << " is not " << def
                << " or a folder holding it\n";
            return 2;
        }
        dir = folder ? path : pathText(nativePath(path).parent_path());
        if (dir.empty()) dir = ".";
    }
    const std::string folder = absoluteFolder(dir);
    auto inFolder = [&folder](std::string path) {
        if (!path.empty() && nativePath(path).is_relative())
            path = pathText(nativePath(folder) / nativePath(path));
        return path;
    };
    file = inFolder(file);

    CliHost host(folder, file, line.quiet, out, err);
    host.output = inFolder(line.output);
    host.reading = reading;
    const std::vector<std::string> names = line.names;
    const Outcome outcome = names.empty()
                                ? chosen->run(host)
                                : runCommand(host, chosen->options, [chosen, &names](Command& cmd) {
                                      chosen->namedBody(cmd, names);
                                  });
    if (outcome.status == Status::Done) return 0;
    err << "z5def: " << printableLine(outcome.reason.empty() ? "cancelled" : outcome.reason)
        << '\n';
    return 1;
}

// "trk decompile": a row's words.
std::string wordsOf(const CommandEntry& row) {
    return row.cliGroup.empty() ? std::string(row.cliName)
                                : std::string(row.cliGroup) + ' ' + std::string(row.cliName);
}

// True when the arguments are files dropped on the program: existing
// files, none of them an option or a command's word.
bool droppedFiles(int argc, const char* const* argv) {
    if (argc < 2) return false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word.empty() || word.front() == '-') return false;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(nativePath(word), ec)) return false;
    }
    const std::string_view first = argv[1];
    for (const CommandEntry& row : commandTable())
        if (first == row.cliGroup || (row.cliGroup.empty() && first == row.cliName)) return false;
    for (const tools::Tool& tool : tools::toolTable())
        if (first == tool.word) return false;
    return true;
}

// z5def FILE...: for each file the command its kind calls for, in the
// file's own folder (decompile, extract, the view of a definition file).
// A file of no known kind, or files whose commands would write one name, are
// refused before any runs.
int runDrops(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) files.push_back(absolutePath(argv[i]));
    for (const std::string& file : files)
        if (dropActionFor(file).kind == DropAction::Kind::None) {
            err << "z5def: no command for " << printableLine(pathText(nativePath(file).filename()))
                << '\n';
            return 2;
        }
    const std::vector<std::string> conflicts = dropConflicts(files, false);
    for (const std::string& conflict : conflicts)
        err << "z5def: " << printableLine(conflict) << "; give them one at a time\n";
    if (!conflicts.empty()) return 2;
    int status = 0;
    for (const std::string& file : files) {
        const DropAction action = dropActionFor(file);
        const std::string folder = pathText(nativePath(file).parent_path());
        const std::string name = pathText(nativePath(file).filename());
        if (action.kind == DropAction::Kind::Extract) {
            out << printableLine(name) << ": extract\n" << std::flush;
            tools::Run run;
            run.arguments = {{file}, {}};
            run.folder = folder;
            run.out = &out;
            run.err = &err;
            for (const tools::Tool& tool : tools::toolTable())
                if (tool.word == "extract") status = std::max(status, tool.run(run));
            continue;
        }
        out << printableLine(name) << ": " << wordsOf(*action.row) << '\n' << std::flush;
        CliHost host(folder, file, false, out, err);
        const Outcome outcome = action.row->run(host);
        if (outcome.status != Status::Done) {
            err << "z5def: " << printableLine(outcome.reason) << '\n';
            status = 1;
        }
    }
    return status;
}

// The command line without the final check of standard output. It is parsed
// first with only the commands its words name; help and every error are
// given by the whole tree, so they list every command.
int runParsed(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    if (droppedFiles(argc, argv)) {
        const int status = runDrops(argc, argv, out, err);
        // A console Windows opened for the drop closes as the program ends:
        // the user reads what happened first.
        if (consoleOfItsOwn() && &out == &std::cout) {
            out << "Press Enter to close" << std::flush;
            std::string line;
            std::getline(std::cin, line);
        }
        return status;
    }
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
    // "/?" asks for help as Windows programs take it ("z5def /?", "z5def
    // unpack /?"); no file can have that name on Windows.
    std::vector<const char*> words(argv, argv + argc);
    for (const char*& word : words)
        if (std::string_view(word) == "/?") word = "--help";
    int status = runParsed(argc, words.data(), out, err);
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
