// The main window frmZ5Def on the Win32 API: the working folder's path, drive
// and folder lists, the menu bar, the logo and labels, and a status bar. It
// draws what the window controller tells it and forwards what the user does,
// files dropped on it too.
#pragma once

#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "win32/folders.hpp"
#include "win32/host.hpp"
#include "win32/menus.hpp"
#include "win32/popups.hpp"
#include "window/controller.hpp"

namespace z5 {

// The child windows' ids.
enum ControlId {
    kDrvList1 = 10,
    kDirList1,
    kLabel1,
    kLabel2,
    kLabel3,
    kImage1,
    kStatusBar,
    kFolderLabel,
    kFolderText
};

class frmZ5Def : private WindowView {
public:
    // Creates the window, hidden, with its controls and menu bar. With
    // `endsProgram`, closing it ends the program's message loop.
    explicit frmZ5Def(WindowOptions options = {}, bool endsProgram = false);
    ~frmZ5Def() override;
    frmZ5Def(const frmZ5Def&) = delete;
    frmZ5Def& operator=(const frmZ5Def&) = delete;

    HWND hwnd() const { return hwnd_; }
    HACCEL accelerators() const { return accelerators_; }

    // Start-up: centres the window, then the controller reads z5.ini and
    // shows its start folder and programs. False, the reason shown in an
    // error box, when the settings cannot be taken; the program then ends.
    bool Form_Load();

    WindowController& controller() { return controller_; }
    std::string workingFolder() const { return controller_.workingFolder(); }
    // The status bar's text.
    std::string statusText() const;
    const frmAbout& about() const { return *about_; }
    const frmHelp& help() const { return *help_; }

    // Replaces how files are chosen and boxes shown (the default uses the
    // common dialogs and message boxes), for the window's own boxes and for
    // every converter it runs.
    void setDialogs(std::unique_ptr<Dialogs> dialogs) { dialogs_ = std::move(dialogs); }
    // Replaces the drives the drive list offers (by default the machine's,
    // listed again each time the list opens).
    void setDrives(std::vector<std::string> roots);

    // The drive list's rows and the chosen one (-1 for none); the folder
    // list's rows.
    std::vector<std::string> driveRows() const;
    int chosenDrive() const;
    const std::vector<FolderRow>& folderRows() const { return rows_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void command(WPARAM wParam, HWND from);
    void dropped(HDROP drop);
    void createControls();
    void layout();
    void setFonts();
    void fillDrives();

    void showEntry(const MenuEntry& entry, const MenuState& state) override {
        menu_.apply(entry, state);
    }
    bool showFolder(const std::string& folder) override;
    void showWorkingFolder(const std::string& folder) override;
    std::vector<std::string> drives() override { return drives_; }
    void showDrive(const std::string& root) override { chooseDrive(DrvList1, drives_, root); }
    void showStatus(const std::string& text) override;
    void showError(const std::string& text, Severity severity) override;
    bool askYesNo(const std::string& text) override;
    std::unique_ptr<Host> commandHost(const std::string& folder,
                                      std::function<void(const std::string&)> notice) override;
    void showPicture(picture::Drawing drawing, const std::string& title,
                     PictureSource source) override;
    std::optional<std::string> chooseFileOrFolder(const std::string& title,
                                                  const std::string& folder) override;
    void showProgress(const std::string& text) override;
    void showList(const std::string& title, const std::vector<std::string>& lines) override;
    void showAbout() override { about_->Form_Load(); }
    void showHelp() override { help_->show(); }
    void closeWindow() override;

    bool endsProgram_;
    std::unique_ptr<Dialogs> dialogs_;
    MenuBar menu_;
    HACCEL accelerators_ = nullptr;
    HWND hwnd_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::vector<FolderRow> rows_;
    std::vector<std::string> drives_;
    bool fixedDrives_ = false;
    // The controls, named as the window's layout names them.
    HWND DrvList1 = nullptr, DirList1 = nullptr, Image1 = nullptr, status_ = nullptr;
    HWND Label1 = nullptr, Label2 = nullptr, Label3 = nullptr;
    HWND folderLabel_ = nullptr, folderText_ = nullptr;
    HFONT uiFont_ = nullptr, titleFont_ = nullptr, versionFont_ = nullptr;
    HBITMAP logo_ = nullptr;
    std::unique_ptr<frmAbout> about_;
    std::unique_ptr<frmHelp> help_;
    std::unique_ptr<frmHelp> list_;
    WindowController controller_;
};

}  // namespace z5
