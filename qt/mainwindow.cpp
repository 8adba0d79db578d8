#include "shell/mainwindow.hpp"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>
#include <exception>

#include "commands/help.hpp"
#include "commands/menu.hpp"
#include "commands/table.hpp"
#include "shell/about.hpp"
#include "shell/dialogs.hpp"
#include "shell/folders.hpp"
#include "shell/help.hpp"
#include "shell/pictures.hpp"
#include "shell/qthost.hpp"

namespace z5 {
namespace {

constexpr void (frmZ5Def::*kProgramHandlers[])() = {
    &frmZ5Def::mnuProgram1_Click, &frmZ5Def::mnuProgram2_Click, &frmZ5Def::mnuProgram3_Click,
    &frmZ5Def::mnuProgram4_Click, &frmZ5Def::mnuProgram5_Click, &frmZ5Def::mnuProgram6_Click};

QString text(std::string_view s) {
    return QString::fromLocal8Bit(s.data(), qsizetype(s.size()));
}

QFont serif(int points, bool bold) {
    QFont font(QString::fromUtf8(kLabelFace), points, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::Serif);  // the nearest serif face where it is missing
    return font;
}

}  // namespace

frmZ5Def::frmZ5Def(WindowOptions options, QWidget* parent)
    : QMainWindow(parent), options_(options), starter_(std::make_unique<SystemStarter>()) {
    setObjectName(QStringLiteral("frmZ5Def"));
    setWindowTitle(QLatin1String(kWindowTitle));

    DrvList1 = new DriveList;
    DirList1 = new FolderList;
    DrvList1->setObjectName(QStringLiteral("DrvList1"));
    DirList1->setObjectName(QStringLiteral("DirList1"));
    connect(DrvList1, &DriveList::driveChosen, this, &frmZ5Def::DrvList1_Change);
    connect(DirList1, &FolderList::pathChanged, this, &frmZ5Def::DirList1_Change);

    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(drawLogo(112));
    Label1 = new QLabel(QString::fromUtf8(kLabel1Text));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(serif(26, true));
    Label2 = new QLabel(QString::fromUtf8(kLabel2Text));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(serif(16, false));
    Label3 = new QLabel(QString::fromUtf8(kLabel3Text));
    Label3->setObjectName(QStringLiteral("Label3"));

    auto* folders = new QVBoxLayout;
    folders->addWidget(DrvList1);
    folders->addWidget(DirList1, 1);
    auto* brand = new QVBoxLayout;
    for (QLabel* label : {Image1, Label1, Label2, Label3})
        brand->addWidget(label, 0, Qt::AlignHCenter);
    brand->addStretch(1);
    auto* central = new QWidget;
    auto* columns = new QHBoxLayout(central);
    columns->addLayout(folders, 3);
    columns->addLayout(brand, 2);
    setCentralWidget(central);
    statusBar();

    dlgCommon = new QFileDialog(this);
    dlgCommon->setObjectName(QStringLiteral("dlgCommon"));
    dialogs_ = std::make_unique<SharedDialogs>(*this, *dlgCommon);

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &frmZ5Def::showHelp);

    buildMenus();
    resize(560, 400);
}

frmZ5Def::~frmZ5Def() = default;

void frmZ5Def::buildMenus() {
    QHash<QString, QMenu*> menus;
    for (const MenuEntry& e : menuTree()) {
        const QString name = text(e.name);
        QMenu* parentMenu = menus.value(text(e.parent));
        auto add = [&](QAction* action) {
            if (parentMenu)
                parentMenu->addAction(action);
            else
                menuBar()->addAction(action);
        };
        QAction* action = nullptr;
        switch (e.role) {
            case MenuRole::Submenu: {
                auto* menu = new QMenu(text(e.caption), this);
                menu->setObjectName(name);
                menus.insert(name, menu);
                action = menu->menuAction();
                break;
            }
            case MenuRole::Separator:
                action = new QAction(this);
                action->setSeparator(true);
                break;
            default:
                action = new QAction(text(e.caption), this);
                break;
        }
        if (e.role != MenuRole::Submenu) action->setObjectName(name);
        add(action);
        entries_.insert(name, action);

        switch (e.role) {
            case MenuRole::Command:
                connect(action, &QAction::triggered, this,
                        [this, command = findCommandByMenu(e.name)] { runConverter(*command); });
                break;
            case MenuRole::Program:
                action->setShortcut(QKeySequence(text(e.shortcut), QKeySequence::PortableText));
                connect(action, &QAction::triggered, this, kProgramHandlers[e.program - 1]);
                break;
            case MenuRole::Shell:
                if (e.name == "mnuDos")
                    connect(action, &QAction::triggered, this, &frmZ5Def::mnuDos_Click);
                else if (e.name == "mnuExit")
                    connect(action, &QAction::triggered, this, &frmZ5Def::mnuExit_Click);
                else if (e.name == "mnuAbout")
                    connect(action, &QAction::triggered, this, &frmZ5Def::mnuAbout_Click);
                break;
            default:
                break;
        }
    }
}

bool frmZ5Def::Form_Load() {
    centreOnScreen(*this);
    dlgCommon->setProperty("helpFile", text(kHelpFile));

    try {
        settings_ = readSettings(std::string(strIni));
    } catch (const SettingsError& e) {
        showError(QString::fromLocal8Bit(e.what()), true);
        return false;
    }
    const QString start = QFile::decodeName(QByteArray::fromStdString(settings_.strStart));
    if (!DirList1->setPath(start)) {
        showError(QStringLiteral("%1: start folder \"%2\": path not found")
                      .arg(QLatin1String(strIni.data(), qsizetype(strIni.size())), start),
                  true);
        return false;
    }
    DrvList1->showDriveOf(DirList1->path());

    for (const MenuEntry& e : menuTree()) {
        QAction* entry = entries_.value(text(e.name));
        const MenuState state = menuState(e, settings_, options_.allCommands);
        if (e.role == MenuRole::Program) entry->setText(text(state.caption));
        entry->setEnabled(state.enabled);
    }
    return true;
}

QString frmZ5Def::workingFolder() const {
    return QDir::toNativeSeparators(DirList1->path());
}

void frmZ5Def::setStarter(std::unique_ptr<ProgramStarter> starter) {
    starter_ = std::move(starter);
}

void frmZ5Def::setDialogs(std::unique_ptr<Dialogs> dialogs) {
    dialogs_ = std::move(dialogs);
}

void frmZ5Def::startProgram(const QString& commandLine) {
    const QString reason = starter_->start(commandLine, DirList1->path());
    if (!reason.isEmpty())
        showError(QStringLiteral("Cannot start \"%1\": %2").arg(commandLine, reason), false);
}

void frmZ5Def::mnuDos_Click() {
    startProgram(shellCommandLine());
}

void frmZ5Def::mnuProgram_Click(int intProgram) {
    if (intProgram < 1 || intProgram > kProgramCount) return;
    startProgram(text(settings_.strProgram[intProgram - 1]));
}

void frmZ5Def::mnuAbout_Click() {
    if (!about_) about_ = new frmAbout(this);
    about_->Form_Load();
}

void frmZ5Def::mnuExit_Click() {
    close();
}

void frmZ5Def::showHelp() {
    if (!help_) help_ = new frmHelp(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void frmZ5Def::DrvList1_Change(const QString& root) {
    const QString current = DirList1->path();
    if (DrvList1->volumeOf(current) == root) return;
    QString folder = lastFolderOfDrive_.value(root, root);
    if (!QFileInfo(folder).isDir()) folder = root;  // the last folder there is gone
    const std::string problem = folderProblem(QFile::encodeName(folder).toStdString());
    if (!problem.empty() || !DirList1->setPath(folder)) {
        DrvList1->showDriveOf(current);
        showError(QStringLiteral("%1: %2").arg(
                      QDir::toNativeSeparators(root),
                      problem.empty() ? QStringLiteral("cannot be shown") : text(problem)),
                  false);
    }
}

void frmZ5Def::DirList1_Change(const QString& folder) {
    lastFolderOfDrive_.insert(DrvList1->volumeOf(folder), folder);
    DrvList1->showDriveOf(folder);
}

void frmZ5Def::runConverter(const CommandEntry& command) {
    showStatus(QString());
    QString failure;
    try {
        // Remarks show in the status bar while the command runs; a failure
        // reason replaces them.
        QtHost host(
            *this, *dialogs_, [this] { return workingFolder(); },
            [this](const QString& line) { showStatus(line); });
        const Outcome outcome = command.run(host);
        if (outcome.status == Status::Failed) failure = text(outcome.reason);
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    if (failure.isEmpty()) return;
    showStatus(text(menuPath(command.menu)) + QStringLiteral(": ") + failure);
}

void frmZ5Def::showStatus(const QString& message) {
    statusBar()->showMessage(message);
    statusBar()->setToolTip(message);  // a long reason is cut in the bar
}

void frmZ5Def::showError(const QString& message, bool critical) {
    dialogs_->message(critical ? QMessageBox::Critical : QMessageBox::Warning,
                      QLatin1String(kWindowTitle), message);
}

}  // namespace z5
