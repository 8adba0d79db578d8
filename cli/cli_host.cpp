#include "cli/cli_host.hpp"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <map>
#include <ostream>

#include "commands/table.hpp"

#ifndef Z5_VERSION
#define Z5_VERSION "0"
#endif

namespace z5 {

void CliHost::messageBox(const std::string& text, const std::string& title) {
    if (title == kDoneTitle) {
        if (!quiet_) out_ << text << '\n';
    } else {
        err_ << title << ": " << text << '\n';
    }
}

void CliHost::notice(const std::string& line) {
    err_ << line << '\n';
}

namespace {

// The working folder as an absolute path without a trailing separator
// (a root keeps its separator).
std::string absoluteFolder(const std::string& dir) {
    std::filesystem::path p = std::filesystem::absolute(dir.empty() ? "." : dir).lexically_normal();
    if (p.has_relative_path() && !p.has_filename()) p = p.parent_path();
    return p.string();
}

}  // namespace

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "z5def: converts the data files of the racing simulation to editable definition files "
        "and back, unpacks and packs archives, and dumps raw files.",
        "z5def"};
    app.set_version_flag("--version", std::string("z5def " Z5_VERSION));
    app.require_subcommand(1);

    std::string dir;
    bool quiet = false;
    app.add_option("-C,--directory", dir,
                   "working folder: outputs and fixed-name inputs live here, and relative FILE "
                   "arguments are taken from here (default: the current folder)")
        ->check(CLI::ExistingDirectory);
    app.add_flag("-q,--quiet", quiet, "do not print DONE on success");

    std::string file;
    const CommandEntry* chosen = nullptr;
    std::map<std::string, CLI::App*, std::less<>> groups;
    for (const CommandEntry& entry : commandTable()) {
        CLI::App* parent = &app;
        if (!entry.cliGroup.empty()) {
            auto it = groups.find(entry.cliGroup);
            if (it == groups.end()) {
                CLI::App* group = app.add_subcommand(std::string(entry.cliGroup),
                                                     std::string(entry.cliGroup) + " converters");
                group->require_subcommand(1);
                it = groups.emplace(std::string(entry.cliGroup), group).first;
            }
            parent = it->second;
        }
        CLI::App* sub =
            parent->add_subcommand(std::string(entry.cliName), std::string(entry.summary));
        if (entry.argument != CliArgument::None)
            sub->add_option(std::string(entry.argumentName), file)->required();
        sub->callback([&chosen, &entry] { chosen = &entry; });
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return 2;
    }
    if (!chosen) return 2;

    const std::string folder = absoluteFolder(dir);
    if (!file.empty() && std::filesystem::path(file).is_relative())
        file = (std::filesystem::path(folder) / file).string();

    CliHost host(folder, file, quiet, out, err);
    const Outcome outcome = chosen->run(host);
    if (outcome.status == Status::Done) return 0;
    err << "z5def: " << (outcome.reason.empty() ? "cancelled" : outcome.reason) << '\n';
    return 1;
}

}  // namespace z5
