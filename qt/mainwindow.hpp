// The main window frmZ5Def in Qt: the working folder's path, drive and folder
// lists, the menu bar, the logo and labels, the status bar and the shared
// file dialog. It draws what the window controller tells it and forwards
// what the user does, files dropped on it too.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "window/controller.hpp"

class QAction;
class QFileDialog;
class QLabel;
class QLineEdit;

namespace z5 {

class Dialogs;
class DriveList;
class FolderList;
class frmAbout;
class frmHelp;
class frmList;

class frmZ5Def : public QMainWindow, private WindowView {
    Q_OBJECT
public:
    explicit frmZ5Def(WindowOptions options = {}, QWidget* parent = nullptr);
    ~frmZ5Def() override;

    // Start-up: centres the window, then the controller reads z5.ini and
    // shows its start folder and programs. False, the reason shown in an
    // error box, when the settings cannot be taken; the program then ends.
    bool Form_Load();

    WindowController& controller() { return controller_; }
    // The working folder, with the platform's separators.
    QString workingFolder() const;
    // Replaces how files are chosen and boxes shown (the default uses the
    // shared file dialog and message boxes), for the window's own boxes and
    // for every converter it runs.
    void setDialogs(std::unique_ptr<Dialogs> dialogs);

protected:
    // Files dragged from a file manager: the drop forwards their paths.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();

    void showEntry(const MenuEntry& entry, const MenuState& state) override;
    bool showFolder(const std::string& folder) override;
    void showWorkingFolder(const std::string& folder) override;
    std::vector<std::string> drives() override;
    void showDrive(const std::string& root) override;
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
    void showAbout() override;
    void showHelp() override;
    void closeWindow() override;

    std::unique_ptr<Dialogs> dialogs_;
    QHash<QString, QAction*> entries_;  // menu entries by name (submenus by their menu action)
    DriveList* DrvList1;
    FolderList* DirList1;
    QLineEdit* txtFolder;
    QFileDialog* dlgCommon;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Image1;
    QPointer<frmAbout> about_;
    QPointer<frmHelp> help_;
    QPointer<frmList> list_;
    WindowController controller_;
};

}  // namespace z5
