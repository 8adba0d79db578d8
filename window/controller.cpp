#include "window/controller.hpp"

#include <algorithm>
#include <exception>
#include <thread>

#include "archive/archive.hpp"
#include "check/check.hpp"
#include "commands/drop.hpp"
#include "commands/table.hpp"
#include "compare/files.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"
#include "tools/list.hpp"
#include "verify/verify.hpp"
#include "workspace/workspace.hpp"

namespace z5 {
namespace {

// The Host of one converter run: the view's, with the departures of the
// files it reads kept for the list window as well as shown in the status
// bar as they come. A run on a dropped file opens that file without asking.
class RunHost : public Host {
public:
    RunHost(std::unique_ptr<Host> inner, std::optional<std::string> file)
        : inner_(std::move(inner)), file_(std::move(file)) {}

    std::optional<std::string> openFileName(std::string_view filter) override {
        std::optional<std::string> answer = file_ ? file_ : inner_->openFileName(filter);
        chosen = answer.value_or("");
        return answer;
    }
    std::optional<std::string> saveFileName(std::string_view filter,
                                            const std::string& initialFolder,
                                            const std::string& proposedName) override {
        return inner_->saveFileName(filter, initialFolder, proposedName);
    }
    std::string workingFolder() override { return inner_->workingFolder(); }
    void setCaption(const std::string& caption) override { inner_->setCaption(caption); }
    void setBusy(bool busy) override { inner_->setBusy(busy); }
    void messageBox(const std::string& text, const std::string& title) override {
        inner_->messageBox(text, title);
    }
    void notice(const std::string& line) override { inner_->notice(line); }
    void diagnostic(const Diagnostic& d) override {
        if (d.kind != DiagnosticKind::Note) ++warnings;
        lines.push_back(diagnosticLine(d));
        inner_->diagnostic(d);
    }
    void reading(const std::string& path) override { read.push_back(path); }

    std::vector<std::string> lines;
    std::size_t warnings = 0;
    std::string chosen;             // the file chosen in its dialog
    std::vector<std::string> read;  // the files the command read

private:
    std::unique_ptr<Host> inner_;
    std::optional<std::string> file_;
};

std::string fileName(const std::string& path) {
    return pathText(nativePath(path).filename());
}

std::string joined(const std::vector<std::string>& parts, std::string_view between) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : std::string(between)) + part;
    return text;
}

// "wrote Trk.def, New.trk": the files a command wrote, by name in the
// working folder `folder` and by path elsewhere; after five, how many more.
std::string wroteText(const std::vector<std::string>& paths, const std::string& folder) {
    constexpr std::size_t kNamed = 5;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < paths.size() && i < kNamed; ++i)
        names.push_back(nativePath(paths[i]).parent_path() == nativePath(folder)
                            ? fileName(paths[i])
                            : paths[i]);
    std::string text = "wrote " + joined(names, ", ");
    if (paths.size() > kNamed) text += " and " + std::to_string(paths.size() - kNamed) + " more";
    return text;
}

const MenuEntry& menuEntry(std::string_view name) {
    return menuTree()[menuIndex(name)];
}

}  // namespace

WindowController::WindowController(WindowView& view, std::unique_ptr<ProgramStarter> starter,
                                   WindowOptions options)
    : view_(view), starter_(std::move(starter)), options_(options) {
    for (const MenuEntry& e : menuTree())
        enabled_.push_back(menuState(e, settings_, options_.allCommands).enabled);
}

bool WindowController::start() {
    try {
        const std::string file = findSettings(
            cleanFolder("."),
            options_.programFolder.empty() ? std::string() : cleanFolder(options_.programFolder));
        settings_ = readSettings(file, file);
    } catch (const SettingsError& e) {
        view_.showError(std::string(e.what()) + "\n\n" + std::string(strIni) +
                            " is the window's settings file. " + std::string(settingsFields()) +
                            "\n\n" + settingsExample(),
                        Severity::Critical);
        return false;
    }
    const std::string start = cleanFolder(settings_.strStart);
    if (!view_.showFolder(start)) {
        view_.showError(
            std::string(strIni) + ": start folder \"" + settings_.strStart + "\": path not found",
            Severity::Critical);
        return false;
    }
    takeFolder(start);

    const auto tree = menuTree();
    for (std::size_t i = 0; i < tree.size(); ++i) {
        if (tree[i].role == MenuRole::Separator) continue;
        const MenuState state = menuState(tree[i], settings_, options_.allCommands);
        enabled_[i] = state.enabled;
        view_.showEntry(tree[i], state);
    }
    return true;
}

bool WindowController::reachable(const MenuEntry& entry) const {
    // An entry under a disabled menu cannot be reached either.
    const auto tree = menuTree();
    std::size_t index = menuIndex(entry.name);
    if (index >= tree.size()) return false;
    for (; index < tree.size(); index = menuIndex(tree[index].parent))
        if (!enabled_[index]) return false;
    return true;
}

void WindowController::choose(const MenuEntry& entry) {
    if (!reachable(entry)) return;
    switch (entry.role) {
        case MenuRole::Command:
            if (entry.name == "mnuCleanUp" && !cleanUpConfirmed()) break;
            runCommand(*findCommandByMenu(entry.name), std::nullopt, folder_);
            break;
        case MenuRole::Program:
            startProgram(settings_.strProgram[static_cast<std::size_t>(entry.program - 1)]);
            break;
        case MenuRole::Shell:
            switch (entry.shell) {
                case ShellEntry::DosWindow:
                    startProgram(starter_->shellCommandLine());
                    break;
                case ShellEntry::Exit:
                    view_.closeWindow();
                    break;
                case ShellEntry::About:
                    view_.showAbout();
                    break;
                default:
                    runMany(entry);
                    break;
            }
            break;
        default:  // the LP entries and the other entries without a command
            break;
    }
}

void WindowController::help() {
    view_.showHelp();
}

// Clean up deletes files: it asks first, with the count the list names. A
// list that cannot be read asks nothing; the command then says why.
bool WindowController::cleanUpConfirmed() {
    std::size_t count = 0;
    try {
        count = cleanUpCount(folder_);
    } catch (const std::exception&) {
        return true;
    }
    return view_.askYesNo("Delete the " + std::to_string(count) +
                          (count == 1 ? " file" : " files") + " that dattext.pck lists?");
}

void WindowController::openFiles(const std::vector<std::string>& files) {
    if (files.empty()) return;
    std::vector<std::string> paths;
    for (const std::string& file : files) paths.push_back(cleanFolder(file));
    if (!folderChosen(pathText(nativePath(paths.front()).parent_path()))) return;
    filesDropped(paths);
}

void WindowController::filesDropped(const std::vector<std::string>& paths) {
    std::vector<std::string> unknown;
    for (const std::string& path : paths)
        if (dropActionFor(path).kind == DropAction::Kind::None) unknown.push_back(fileName(path));
    if (!unknown.empty()) {
        view_.showStatus(printableLine("no command for " + joined(unknown, ", ")));
        return;
    }
    const std::vector<std::string> conflicts = dropConflicts(paths, true);
    if (!conflicts.empty()) {
        view_.showStatus(printableLine(joined(conflicts, "; ") + "; drop them one at a time"));
        return;
    }
    for (const std::string& path : paths) {
        const DropAction action = dropActionFor(path);
        if (action.kind == DropAction::Kind::Extract) {
            runMany(menuEntry("mnuExtractWorkspace"), path);
        } else {
            // A definition file is drawn with the definition files beside
            // it, wherever it was dropped from.
            const bool definitions =
                equalsIgnoringCase(pathText(nativePath(path).extension()), ".def");
            runCommand(*action.row, path,
                       definitions ? pathText(nativePath(path).parent_path()) : folder_);
        }
    }
}

void WindowController::runCommand(const CommandEntry& command,
                                  const std::optional<std::string>& file,
                                  const std::string& folder) {
    view_.showStatus({});
    const std::string title = menuPath(command.menu);
    // A picture row shows its drawing in a window of its own instead of
    // writing it; a file that cannot be drawn opens none.
    std::optional<picture::Drawing> drawing;
    PictureSource source{&command, {}, folder, {}};
    try {
        // Remarks show in the status bar while the command runs; a failure
        // reason replaces them. Departures from a layout are listed once
        // the command has ended, and the status bar counts them. A command
        // that wrote files names them.
        RunHost host(
            view_.commandHost(folder, [this](const std::string& line) { view_.showStatus(line); }),
            file);
        const Outcome outcome =
            command.draw ? command.runDrawing(host, drawing) : command.run(host);
        source.chosen = host.chosen;
        source.read = host.read;
        const bool listed = outcome.status != Status::Cancelled && !host.lines.empty();
        const std::string counted =
            std::to_string(host.warnings) + (host.warnings == 1 ? " warning" : " warnings");
        std::vector<std::string> parts;
        if (outcome.status == Status::Failed) {
            parts.push_back(outcome.reason + (listed ? " (" + counted + ")" : ""));
        } else if (outcome.status == Status::Done) {
            if (!command.draw) parts.push_back("DONE");
            if (listed) parts.push_back(counted);
            if (!outcome.written.empty()) parts.push_back(wroteText(outcome.written, folder));
        }
        if (!parts.empty()) view_.showStatus(title + ": " + joined(parts, ", "));
        if (listed) view_.showList(title, host.lines);
    } catch (const std::exception& e) {
        view_.showStatus(title + ": " + e.what());
    }
    if (drawing) {
        const std::string caption = std::string(kCaptionPrefix) + drawing->name;
        view_.showPicture(std::move(*drawing), caption, std::move(source));
    }
}

// Extract, build, verify and check: many files at once, each of which may
// fail, so every reason (or verdict, or diagnostic) shows in the list
// window, after the departures from a layout that failed a build (it is
// strict); a DONE box ends an extract or a build that succeeded, unless the
// build lists what it changed.
void WindowController::runMany(const MenuEntry& entry, const std::optional<std::string>& file) {
    view_.showStatus({});
    const std::string title = menuPath(entry.name);
    const std::unique_ptr<Host> host =
        view_.commandHost(folder_, [this](const std::string& line) { view_.showStatus(line); });
    const bool verifying = entry.shell == ShellEntry::Verify;
    const bool checking = entry.shell == ShellEntry::Check;
    const bool listing = entry.shell == ShellEntry::ListArchive;
    const bool comparing = entry.shell == ShellEntry::Compare;
    const std::string_view anyFile = findCommandByMenu("mnuDecompile")->options.filter;
    const std::optional<std::string> chosen =
        file        ? file
        : verifying ? view_.chooseFileOrFolder("Verify a file or a folder", folder_)
        : checking  ? view_.chooseFileOrFolder("Check a file or a folder", folder_)
        : comparing ? host->openFileName(anyFile)
                    : host->openFileName(findCommandByMenu(entry.shell == ShellEntry::BuildWorkspace
                                                               ? "mnuPack"
                                                               : "mnuUnpack")
                                             ->options.filter);
    if (!chosen || chosen->empty()) return;
    // Compare asks for the second file too.
    const std::optional<std::string> other = comparing ? host->openFileName(anyFile) : chosen;
    if (!other || other->empty()) return;
    const int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const auto progress = [&](std::size_t index, std::size_t count, const std::string& name) {
        view_.showProgress(title + ": [" + std::to_string(index + 1) + "/" + std::to_string(count) +
                           "] " + name);
    };
    host->setBusy(true);
    std::vector<std::string> lines;
    std::string summary;
    if (verifying) {
        const verify::Plan plan = verify::plan({*chosen});
        verify::Tally tally;
        tally.skipped = plan.skipped;
        std::size_t index = 0;
        verify::verifyAll(plan, jobs, false, [&](const verify::Result& r) {
            progress(index++, plan.files.size(), r.path);
            tally.add(r);
            std::string line = verify::resultLines(r);
            line.pop_back();  // its line end
            lines.push_back(std::move(line));
        });
        summary = verify::summaryLine(tally);
        lines.push_back(summary);
    } else if (listing) {
        try {
            lines = tools::listArchive(*chosen, *chosen);
            summary = lines.back();
        } catch (const std::exception& e) {
            summary = printableLine(e.what());
            lines = {summary};
        }
    } else if (comparing) {
        try {
            compare::diffPaths(*chosen, *chosen, *other, *other, [&](const compare::FileLines& f) {
                for (std::string& line : compare::fileLinesText(f))
                    lines.push_back(std::move(line));
            });
            summary = lines.empty() ? "no differences"
                                    : std::to_string(lines.size()) +
                                          (lines.size() == 1 ? " line of differences"
                                                             : " lines of differences");
        } catch (const std::exception& e) {
            summary = printableLine(e.what());
        }
        if (lines.empty()) lines = {summary};
    } else if (checking) {
        const std::vector<check::Unit> units = check::plan({*chosen}, folder_);
        check::Tally tally;
        std::size_t index = 0;
        check::checkAll(units, jobs, [&](const check::Result& r) {
            progress(index, units.size(), units[index].shown);
            ++index;
            tally.add(r);
            for (const Diagnostic& d : r.diagnostics) lines.push_back(diagnosticLine(d));
        });
        summary = check::summaryLine(tally);
        lines.push_back(summary);
    } else {
        const workspace::Report report =
            entry.shell == ShellEntry::ExtractWorkspace
                ? workspace::extract({folder_, *chosen, {}, jobs, false}, progress)
                : workspace::build({folder_, pathText(nativePath(*chosen).parent_path()), {}, jobs},
                                   progress);
        for (const Diagnostic& d : report.diagnostics) lines.push_back(diagnosticLine(d));
        if (report.succeeded()) {
            summary = report.summary;
            lines.insert(lines.end(), report.lines.begin(), report.lines.end());
            if (!lines.empty()) lines.push_back(summary);
        } else {
            lines.insert(lines.end(), report.reasons.begin(), report.reasons.end());
            summary =
                lines.front() +
                (lines.size() > 1 ? " (and " + std::to_string(lines.size() - 1) + " more)" : "");
        }
    }
    host->setBusy(false);
    view_.showStatus(title + ": " + summary);
    if (!lines.empty())
        view_.showList(title, lines);
    else
        host->messageBox(std::string(kDoneText), std::string(kDoneTitle));
}

void WindowController::startProgram(const std::string& commandLine) {
    const std::string reason = starter_->start(commandLine, folder_);
    if (!reason.empty())
        view_.showError("Cannot start \"" + commandLine + "\": " + reason, Severity::Warning);
}

void WindowController::takeFolder(const std::string& folder) {
    folder_ = folder;
    view_.showWorkingFolder(folder);
    const std::string root = volumeOf(folder);
    lastFolderOfDrive_[foldCase(root)] = folder;
    view_.showDrive(root);
}

bool WindowController::folderChosen(const std::string& folder) {
    const std::string clean = cleanFolder(folder);
    std::string problem = folderProblem(clean);
    if (problem.empty() && !view_.showFolder(clean)) problem = "cannot be shown";
    if (!problem.empty()) {
        if (!folder_.empty()) view_.showFolder(folder_);  // the list again as it was
        view_.showError(clean + ": " + problem, Severity::Warning);
        return false;
    }
    takeFolder(clean);
    return true;
}

void WindowController::driveChosen(const std::string& root) {
    const std::string current = volumeOf(folder_);
    if (foldCase(current) == foldCase(root)) return;
    const auto known = lastFolderOfDrive_.find(foldCase(root));
    std::string folder = known != lastFolderOfDrive_.end() ? known->second : root;
    if (!folderProblem(folder).empty()) folder = root;  // the last folder there is gone
    const std::string problem = folderProblem(folder);
    if (!problem.empty()) {
        view_.showDrive(current);
        view_.showError(root + ": " + problem, Severity::Warning);
        return;
    }
    if (!folderChosen(folder)) view_.showDrive(current);
}

std::string WindowController::currentDrive() {
    return volumeOf(folder_);
}

std::string WindowController::volumeOf(const std::string& folder) {
    const std::string f = foldCase(folder);
    std::string best;
    for (const std::string& root : view_.drives()) {
        const std::string r = foldCase(root);
        const bool within =
            f == r || (!r.empty() && f.starts_with(r) &&
                       (isNativeSeparator(r.back()) || isNativeSeparator(f[r.size()])));
        if (within && root.size() > best.size()) best = root;
    }
    return best;
}

}  // namespace z5
