#include "window/controller.hpp"

#include <algorithm>
#include <exception>
#include <thread>

#include "check/check.hpp"
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
// bar as they come.
class RunHost : public Host {
public:
    explicit RunHost(std::unique_ptr<Host> inner) : inner_(std::move(inner)) {}

    std::optional<std::string> openFileName(std::string_view filter) override {
        return inner_->openFileName(filter);
    }
    std::optional<std::string> saveFileName(std::string_view filter,
                                            const std::string& initialFolder) override {
        return inner_->saveFileName(filter, initialFolder);
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

    std::vector<std::string> lines;
    std::size_t warnings = 0;

private:
    std::unique_ptr<Host> inner_;
};

}  // namespace

WindowController::WindowController(WindowView& view, std::unique_ptr<ProgramStarter> starter,
                                   WindowOptions options)
    : view_(view), starter_(std::move(starter)), options_(options) {
    for (const MenuEntry& e : menuTree())
        enabled_.push_back(menuState(e, settings_, options_.allCommands).enabled);
}

bool WindowController::start() {
    try {
        settings_ = readSettings(std::string(strIni));
    } catch (const SettingsError& e) {
        view_.showError(e.what(), Severity::Critical);
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
            runCommand(*findCommandByMenu(entry.name));
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

void WindowController::runCommand(const CommandEntry& command) {
    view_.showStatus({});
    std::string failure;
    // A picture row shows its drawing in a window of its own instead of
    // writing it; a file that cannot be drawn opens none.
    std::optional<picture::Drawing> drawing;
    try {
        // Remarks show in the status bar while the command runs; a failure
        // reason replaces them. Departures from a layout are listed once
        // the command has ended, and the status bar counts them.
        RunHost host(view_.commandHost(
            folder_, [this](const std::string& line) { view_.showStatus(line); }));
        const Outcome outcome =
            command.draw ? command.runDrawing(host, drawing) : command.run(host);
        if (outcome.status == Status::Failed) failure = outcome.reason;
        if (outcome.status != Status::Cancelled && !host.lines.empty()) {
            const std::string counted =
                std::to_string(host.warnings) + (host.warnings == 1 ? " warning" : " warnings");
            view_.showStatus(menuPath(command.menu) + ": " +
                             (!failure.empty() ? failure + " (" + counted + ")"
                              : command.draw   ? counted
                                               : "DONE, " + counted));
            view_.showList(menuPath(command.menu), host.lines);
            failure.clear();
        }
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (!failure.empty()) view_.showStatus(menuPath(command.menu) + ": " + failure);
    if (drawing) {
        const std::string title = std::string(kCaptionPrefix) + drawing->name;
        view_.showPicture(std::move(*drawing), title);
    }
}

// Extract, build, verify and check: many files at once, each of which may
// fail, so every reason (or verdict, or diagnostic) shows in the list
// window, after the departures from a layout that failed a build (it is
// strict); a DONE box ends an extract or a build that succeeded, unless the
// build lists what it changed.
void WindowController::runMany(const MenuEntry& entry) {
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
        verifying   ? view_.chooseFileOrFolder("Verify a file or a folder")
        : checking  ? view_.chooseFileOrFolder("Check a file or a folder")
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
