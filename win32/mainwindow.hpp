// The main window frmZ5Def: drive and folder lists (the working folder), the
// menu bar from which every command starts, the logo and labels, a status
// bar for the reason a command failed, and the settings of z5.ini.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "commands/settings.hpp"
#include "platform/encoding.hpp"
#include "win32/folders.hpp"
#include "win32/menus.hpp"

namespace z5 {

struct CommandEntry;
class Dialogs;
class ProgramStarter;
class frmAbout;
class frmHelp;

// The child windows' ids.
enum ControlId { kDrvList1 = 10, kDirList1, kLabel1, kLabel2, kLabel3, kImage1, kStatusBar };

struct WindowOptions {
    // Enables the entries that this version's window keeps disabled (3do
    // compile and the Other menu), so every converter can be reached.
    bool allCommands = false;
    // Closing the window ends the program's message loop.
    bool endsProgram = false;
};

class frmZ5Def {
public:
    // Creates the window, hidden, with its controls and menu bar.
    explicit frmZ5Def(WindowOptions options = {});
    ~frmZ5Def();
    frmZ5Def(const frmZ5Def&) = delete;
    frmZ5Def& operator=(const frmZ5Def&) = delete;

    HWND hwnd() const { return hwnd_; }
    HACCEL accelerators() const { return accelerators_; }

    // Start-up: settles the menu states, centres the window, reads z5.ini
    // from the current directory and shows its start folder and programs.
    // When the settings cannot be taken it shows the reason in an error box
    // and returns false; the program then ends.
    bool Form_Load();

    // The folder list's current path.
    std::string workingFolder() const { return folder_; }
    const Settings& settings() const { return settings_; }
    // The status bar's text.
    std::string statusText() const;
    const frmAbout& about() const { return *about_; }
    const frmHelp& help() const { return *help_; }

    // Replaces how programs are started (the default starts processes).
    void setStarter(std::unique_ptr<ProgramStarter> starter);
    // Replaces how files are chosen and boxes shown (the default uses the
    // common dialogs and message boxes), for the window's own boxes and for
    // every converter it runs.
    void setDialogs(std::unique_ptr<Dialogs> dialogs);
    // Replaces the drives the drive list offers (by default the machine's,
    // listed again each time the list opens).
    void setDrives(std::vector<std::string> roots);

    void mnuDos_Click();
    // Program entries 1 .. 6 (and Ctrl+F1 .. Ctrl+F6) start their command lines.
    void mnuProgram_Click(int intProgram);
    void mnuAbout_Click();
    void mnuExit_Click();
    // The user picked the drive `root` in the drive list.
    void DrvList1_Change(const std::string& root);
    // The user opened `folder` in the folder list. False, with the reason
    // shown, when it cannot be shown.
    bool DirList1_Change(const std::string& folder);
    // F1: the help window.
    void showHelp();
    // Runs one converter of the command table through this window's Host.
    void runConverter(const CommandEntry& command);
    // A menu entry or shortcut was chosen (WM_COMMAND); disabled entries
    // and entries without a command do nothing.
    void menuCommand(UINT id);

    // The drive list's rows and the chosen one (-1 for none); the folder
    // list's rows and the selected one.
    std::vector<std::string> driveRows() const;
    int chosenDrive() const;
    const std::vector<FolderRow>& folderRows() const { return rows_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void layout();
    void setFonts();
    void fillDrives();
    void showDriveOf(const std::string& folder);
    bool showFolder(const std::string& folder);
    void startProgram(const std::string& commandLine);
    void showError(const std::string& text, bool critical);
    void showStatus(const std::string& message);

    WindowOptions options_;
    Settings settings_;
    std::unique_ptr<ProgramStarter> starter_;
    std::unique_ptr<Dialogs> dialogs_;
    MenuBar menu_;
    HACCEL accelerators_ = nullptr;
    HWND hwnd_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::string folder_;
    std::vector<FolderRow> rows_;
    std::vector<std::string> drives_;
    bool fixedDrives_ = false;
    std::map<std::string, std::string> lastFolderOfDrive_;  // by foldCase(root)
    HWND DrvList1 = nullptr;
    HWND DirList1 = nullptr;
    HWND Label1 = nullptr;
    HWND Label2 = nullptr;
    HWND Label3 = nullptr;
    HWND Image1 = nullptr;
    HWND status_ = nullptr;
    HFONT uiFont_ = nullptr;
    HFONT titleFont_ = nullptr;
    HFONT versionFont_ = nullptr;
    HBITMAP logo_ = nullptr;
    std::unique_ptr<frmAbout> about_;
    std::unique_ptr<frmHelp> help_;
};

}  // namespace z5
