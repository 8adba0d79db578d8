// The main window frmZ5Def: drive and folder lists (the working folder), the
// menu bar from which every command starts, the shared file dialog, and the
// settings of z5.ini.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "commands/settings.hpp"
#include "commands/texts.hpp"
#include "shell/programstart.hpp"

class QAction;
class QFileDialog;
class QLabel;
class QMenu;

namespace z5 {

struct CommandEntry;
class Dialogs;
class DriveList;
class FolderList;
class frmAbout;
class frmHelp;

struct WindowOptions {
    // Enables the entries that this version's window keeps disabled (3do
    // compile and the Other menu), so every converter can be reached.
    bool allCommands = false;
};

class frmZ5Def : public QMainWindow {
    Q_OBJECT
public:
    explicit frmZ5Def(WindowOptions options = {}, QWidget* parent = nullptr);
    ~frmZ5Def() override;

    // Start-up: settles the menu states, centres the window, reads z5.ini
    // from the current directory and shows its start folder and programs.
    // When the settings cannot be taken it shows the reason in an error box
    // and returns false; the program then ends.
    bool Form_Load();

    // The folder list's current path, with the platform's separators.
    QString workingFolder() const;
    const Settings& settings() const { return settings_; }
    // Replaces how programs are started (the default starts processes).
    void setStarter(std::unique_ptr<ProgramStarter> starter);
    // Replaces how files are chosen and boxes shown (the default uses the
    // shared file dialog and message boxes), for the window's own boxes and
    // for every converter it runs.
    void setDialogs(std::unique_ptr<Dialogs> dialogs);

    void mnuDos_Click();
    // Program entries 1 .. 6 (and Ctrl+F1 .. Ctrl+F6) start their command lines.
    void mnuProgram_Click(int intProgram);
    void mnuProgram1_Click() { mnuProgram_Click(1); }
    void mnuProgram2_Click() { mnuProgram_Click(2); }
    void mnuProgram3_Click() { mnuProgram_Click(3); }
    void mnuProgram4_Click() { mnuProgram_Click(4); }
    void mnuProgram5_Click() { mnuProgram_Click(5); }
    void mnuProgram6_Click() { mnuProgram_Click(6); }
    void mnuAbout_Click();
    void mnuExit_Click();
    void DrvList1_Change(const QString& root);
    void DirList1_Change(const QString& folder);
    // F1: the help window.
    void showHelp();
    // Runs one converter of the command table through this window's Host.
    void runConverter(const CommandEntry& command);

private:
    void buildMenus();
    void startProgram(const QString& commandLine);
    void showError(const QString& text, bool critical);
    void showStatus(const QString& message);

    WindowOptions options_;
    Settings settings_;
    std::unique_ptr<ProgramStarter> starter_;
    std::unique_ptr<Dialogs> dialogs_;
    QHash<QString, QString> lastFolderOfDrive_;
    QHash<QString, QAction*> entries_;  // menu entries by name (submenus by their menu action)
    DriveList* DrvList1;
    FolderList* DirList1;
    QFileDialog* dlgCommon;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Image1;
    QPointer<frmAbout> about_;
    QPointer<frmHelp> help_;
};

}  // namespace z5
