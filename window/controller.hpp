// The main window's decisions, made once for every toolkit: start-up (z5.ini,
// the start folder, each menu entry's caption and state), the working folder
// and the folder last used on each drive, running a converter and saying how
// it ended, the window's own entries and the programs of z5.ini.
//
// A window implements WindowView: it draws what it is told and forwards what
// the user does (an entry chosen, a folder opened, a drive picked, files
// dropped, F1) to the controller. A test drives the controller through a
// fake view.
//
// A new menu entry that runs a row of the command table is one row in the
// menu tree (window/menu.cpp). A new kind of window the menu opens is a
// ShellEntry value, its row in the menu tree, and one WindowView call that
// shows it. A command that shows its result in a window of its own (a
// picture, a list) asks its Host for it, and the Host a view gives
// (commandHost) opens that window.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/host.hpp"
#include "picture/drawing.hpp"
#include "window/menu.hpp"
#include "window/picture.hpp"
#include "window/settings.hpp"

namespace z5 {

struct CommandEntry;

enum class Severity { Warning, Critical };

class WindowView {
public:
    virtual ~WindowView() = default;

    // Shows a menu entry (never a separator) with this caption and state.
    virtual void showEntry(const MenuEntry& entry, const MenuState& state) = 0;
    // Shows `folder` (as cleanFolder gives it) in the folder list; false when
    // the list cannot show it.
    virtual bool showFolder(const std::string& folder) = 0;
    // Shows the working folder's full path, which stays in view.
    virtual void showWorkingFolder(const std::string& folder) = 0;
    // The roots the drive list offers now.
    virtual std::vector<std::string> drives() = 0;
    // Shows `root` (one of drives(), or empty for none) as the chosen drive.
    virtual void showDrive(const std::string& root) = 0;
    // The status bar's text; empty clears it.
    virtual void showStatus(const std::string& text) = 0;
    // A modal box with one OK button.
    virtual void showError(const std::string& text, Severity severity) = 0;
    // A modal question with the buttons Yes and No; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // A Host for one converter run: the window's file dialogs, caption, busy
    // pointer and boxes. Its working folder is `folder`; its notices go to
    // `notice`.
    virtual std::unique_ptr<Host> commandHost(const std::string& folder,
                                              std::function<void(const std::string&)> notice) = 0;
    // Opens a picture window on `drawing`, titled `title`, which follows the
    // files of `source`.
    virtual void showPicture(picture::Drawing drawing, const std::string& title,
                             PictureSource source) = 0;
    // Asks for a file or a folder (to verify, to check: `title` says which),
    // starting in `folder`; nullopt when cancelled.
    virtual std::optional<std::string> chooseFileOrFolder(const std::string& title,
                                                          const std::string& folder) = 0;
    // Shows at once how far a long run is (the window is busy meanwhile).
    virtual void showProgress(const std::string& text) = 0;
    // The list window: `lines` one per row under `title`, without blocking.
    virtual void showList(const std::string& title, const std::vector<std::string>& lines) = 0;
    virtual void showAbout() = 0;
    virtual void showHelp() = 0;
    virtual void closeWindow() = 0;
};

// Starts external programs (the command shell and programs 1 .. 6): the whole
// text is one command line, started in `folder` without waiting for it.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // The empty text when the program started, else the system's reason.
    virtual std::string start(const std::string& commandLine, const std::string& folder) = 0;
    // The command line of the system's command shell in a window of its own.
    virtual std::string shellCommandLine() = 0;
};

// The system's way of starting programs, defined by each window's toolkit:
// Qt splits the command line as a shell would (blanks separate, double
// quotes group) and starts it detached; Windows hands the whole line to
// CreateProcessW, which splits it and finds the program.
class SystemStarter : public ProgramStarter {
public:
    std::string start(const std::string& commandLine, const std::string& folder) override;
    std::string shellCommandLine() override;
};

struct WindowOptions {
    // Enables the entries that this version's window keeps disabled (3do
    // compile and the Other menu), so every converter can be reached.
    bool allCommands = false;
    // The folder of the program itself, where z5.ini is read from when the
    // current folder holds none; empty: nowhere else.
    std::string programFolder = {};
};

class WindowController {
public:
    WindowController(WindowView& view, std::unique_ptr<ProgramStarter> starter,
                     WindowOptions options = {});

    // Reads z5.ini from the current folder (else from the program's folder),
    // shows its start folder and that folder's drive, and each entry's
    // caption and state. When the settings cannot be taken it shows the
    // reason, the folders looked in and what z5.ini holds in a critical box
    // and returns false; the window then does not open.
    bool start();
    // The files the program was started with (z5deftool FILE...), once the
    // window shows: the first one's folder becomes the working folder, then
    // they are dropped there.
    void openFiles(const std::vector<std::string>& files);
    // Files dropped on the window: each runs the command of its kind in the
    // working folder (see dropActionFor), and ends as the menu's do. When
    // one has no command, or two would write one file, none runs and the
    // status bar says why.
    void filesDropped(const std::vector<std::string>& paths);

    // An entry was chosen (a click or a shortcut). One that is disabled, or
    // under a disabled menu, does nothing.
    void choose(const MenuEntry& entry);
    // F1.
    void help();
    // The user opened `folder` in the folder list. A folder that cannot be
    // shown (gone since it was listed) gives the reason, and the list shows
    // the working folder again; false then.
    bool folderChosen(const std::string& folder);
    // The user picked the drive `root`: the folder last used there, its root
    // when that folder is gone or none was used; a drive that cannot be shown
    // gives the reason, and the drive list shows the working folder's again.
    void driveChosen(const std::string& root);
    // The drive that holds the working folder: the longest of the view's
    // roots that holds it, empty when none does.
    std::string currentDrive();

    const std::string& workingFolder() const { return folder_; }
    const Settings& settings() const { return settings_; }
    // Replaces how programs are started.
    void setStarter(std::unique_ptr<ProgramStarter> starter) { starter_ = std::move(starter); }

private:
    void takeFolder(const std::string& folder);
    std::string volumeOf(const std::string& folder);
    bool reachable(const MenuEntry& entry) const;
    // `file`: the file to run on instead of asking; `folder`: the working
    // folder of the run.
    void runCommand(const CommandEntry& command, const std::optional<std::string>& file,
                    const std::string& folder);
    void runMany(const MenuEntry& entry, const std::optional<std::string>& file = std::nullopt);
    bool cleanUpConfirmed();
    void startProgram(const std::string& commandLine);

    WindowView& view_;
    std::unique_ptr<ProgramStarter> starter_;
    WindowOptions options_;
    Settings settings_;
    std::vector<bool> enabled_;  // by position in menuTree()
    std::string folder_;
    std::map<std::string, std::string> lastFolderOfDrive_;  // by foldCase(root)
};

}  // namespace z5
