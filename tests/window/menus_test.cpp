// The main window's menu tree, program entries and shortcuts, the command
// shell, About, help and the drive list.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTextBrowser>
#include <QtTest>

#include "commands/table.hpp"
#include "shell/about.hpp"
#include "shell/folders.hpp"
#include "shell/help.hpp"
#include "shell/menutree.hpp"
#include "tests/support/support.hpp"
#include "tests/window/window_support.hpp"

using namespace z5;
using namespace z5::test;

namespace {

// One row per entry: name, caption, parent, shortcut, enabled at start,
// enabled with --all-commands ("-" captions are separators).
struct Row {
    QString name, caption, parent, shortcut;
    bool enabled, enabledAll;
    bool operator==(const Row&) const = default;
};

const QList<Row> kExpected = {
    {"mnuFile", "&File", "", "", true, true},
    {"mnuDos", "&Dos Window", "mnuFile", "", true, true},
    {"mnuFileBlank1", "-", "mnuFile", "", true, true},
    {"mnuUnpack", "&Unpack", "mnuFile", "", true, true},
    {"mnuPack", "&Pack", "mnuFile", "", true, true},
    {"mnuCleanUp", "&Clean  Up", "mnuFile", "", true, true},
    {"mnuFileBlank3", "-", "mnuFile", "", true, true},
    {"mnuDecompile", "&Decompile", "mnuFile", "", true, true},
    {"mnuTxtDoc", "&Text Doc", "mnuFile", "", true, true},
    {"mnuValueSearch", "&Value Search", "mnuFile", "", false, false},
    {"mnuFileBlank2", "-", "mnuFile", "", true, true},
    {"mnuExit", "E&xit", "mnuFile", "", true, true},
    {"mnu3do", "&3do", "", "", true, true},
    {"mnu3doDef", "&Def Tools", "mnu3do", "", true, true},
    {"mnu3doDecompile", "&Decompile", "mnu3doDef", "", true, true},
    {"mnu3doBlank1", "-", "mnu3doDef", "", true, true},
    {"mnu3doCompile", "&Compile", "mnu3doDef", "", false, true},
    {"mnu3doBlank2", "-", "mnu3do", "", true, true},
    {"mnu3doTools", "&Editing Tools", "mnu3do", "", false, false},
    {"mnuTrk", "&Trk", "", "", true, true},
    {"mnuTrkDef", "&Def Tools", "mnuTrk", "", true, true},
    {"mnuTrkDecompile", "&Decompile", "mnuTrkDef", "", true, true},
    {"mnuTrkBlank1", "-", "mnuTrkDef", "", true, true},
    {"mnuTrkCompile", "&Compile", "mnuTrkDef", "", true, true},
    {"mnuTrkBlank2", "-", "mnuTrk", "", true, true},
    {"mnuTrkTools", "&Tools", "mnuTrk", "", false, false},
    {"mnuLp", "&LP", "", "", true, true},
    {"mnuLPDef", "&Def Tools", "mnuLp", "", true, true},
    {"mnuLpDecompile", "&Decompile", "mnuLPDef", "", true, true},
    {"mnuLpFileBlank1", "-", "mnuLPDef", "", true, true},
    {"mnuLpCompile", "&Compile", "mnuLPDef", "", true, true},
    {"mnuLpFileBlank2", "-", "mnuLp", "", true, true},
    {"mnuLpTools", "&Tools", "mnuLp", "", false, false},
    {"mnuOther", "&Other", "", "", false, true},
    {"mnuCamera", "&Camera", "mnuOther", "", true, true},
    {"mnuCamDecompile", "&Decompile", "mnuCamera", "", true, true},
    {"mnuOtherBlank1", "-", "mnuCamera", "", true, true},
    {"mnuCamCompile", "&Compile", "mnuCamera", "", true, true},
    {"mnuScr", "&Scr Files", "mnuOther", "", true, true},
    {"mnuScrDecompile", "&Decompile", "mnuScr", "", true, true},
    {"mnuOtherBlank2", "-", "mnuScr", "", true, true},
    {"mnuScrCompile", "&Compile", "mnuScr", "", true, true},
    {"mnuOtherBlank3", "-", "mnuOther", "", true, true},
    {"mnuSetupFiles", "Se&tup Files", "mnuOther", "", true, true},
    {"mnuSetupDecompile", "&Decompile", "mnuSetupFiles", "", true, true},
    {"mnuOtherBlank5", "-", "mnuSetupFiles", "", true, true},
    {"mnuSetupCompile", "&Compile", "mnuSetupFiles", "", true, true},
    {"mnuBinFiles", "&Bin Files", "mnuOther", "", false, false},
    {"mnuPrograms", "&Programs", "", "", true, true},
    {"mnuProgram1", "&Editor", "mnuPrograms", "Ctrl+F1", true, true},
    {"mnuProgramBlank1", "-", "mnuPrograms", "", true, true},
    {"mnuProgram2", "&Viewer", "mnuPrograms", "Ctrl+F2", true, true},
    {"mnuProgramBlank2", "-", "mnuPrograms", "", true, true},
    {"mnuProgram3", "", "mnuPrograms", "Ctrl+F3", false, false},
    {"mnuProgramBlank3", "-", "mnuPrograms", "", true, true},
    {"mnuProgram4", "", "mnuPrograms", "Ctrl+F4", false, false},
    {"mnuProgramBlank4", "-", "mnuPrograms", "", true, true},
    {"mnuProgram5", "", "mnuPrograms", "Ctrl+F5", false, false},
    {"mnuProgramBlank5", "-", "mnuPrograms", "", true, true},
    {"mnuProgram6", "", "mnuPrograms", "Ctrl+F6", false, false},
    {"mnuAbout", "&About", "", "", true, true},
};

void collect(const QList<QAction*>& actions, const QString& parent, QList<Row>& rows) {
    for (QAction* a : actions) {
        QMenu* menu = a->menu();
        QVERIFY(a->isVisible() && !a->isCheckable());
        rows.append({menu ? menu->objectName() : a->objectName(),
                     a->isSeparator() ? QStringLiteral("-") : a->text(), parent,
                     a->shortcut().toString(QKeySequence::PortableText), a->isEnabled(),
                     a->isEnabled()});
        if (menu) collect(menu->actions(), menu->objectName(), rows);
    }
}

const std::string kIni = iniText(".", {"\"ed one\",&Editor", "view,&Viewer"});

}  // namespace

class MenusTest : public QObject {
    Q_OBJECT
private slots:
    void menuTree_data();
    void menuTree();
    void everyConverterHasItsEntry();
    void programShortcuts();
    void programThatCannotStart();
    void entriesWithoutCommand();
    void commandShell();
    void systemStarter();
    void aboutIsOneWindow();
    void helpOnF1();
    void driveListSwitchesFolders();
    void switchInHelp();
};

void MenusTest::menuTree_data() {
    QTest::addColumn<bool>("allCommands");
    QTest::newRow("as the window starts") << false;
    QTest::newRow("with --all-commands") << true;
}

void MenusTest::menuTree() {
    QFETCH(bool, allCommands);
    TempFolder dir;
    auto window = loadWindow(dir.str(), kIni, {.allCommands = allCommands});
    QList<Row> rows;
    collect(window->menuBar()->actions(), QString(), rows);
    QList<Row> expected = kExpected;
    for (Row& row : expected)
        row.enabled = row.enabledAll = allCommands ? row.enabledAll : row.enabled;
    QCOMPARE(rows.size(), expected.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!(rows[i] == expected[i]))
            QFAIL(
                qPrintable(QString("entry %1: got %2 \"%3\" under %4 [%5] %6, expected %7 \"%8\" "
                                   "under %9 [%10] %11")
                               .arg(i)
                               .arg(rows[i].name, rows[i].caption, rows[i].parent, rows[i].shortcut,
                                    rows[i].enabled ? "on" : "off", expected[i].name,
                                    expected[i].caption, expected[i].parent, expected[i].shortcut)
                               .arg(expected[i].enabled ? "on" : "off")));
    }
}

void MenusTest::everyConverterHasItsEntry() {
    // The command table grows with each converter family: each of its entries
    // must name an entry of the menu, so the window reaches it.
    TempFolder dir;
    auto window = loadWindow(dir.str(), kIni, {.allCommands = true});
    for (const CommandEntry& command : commandTable()) {
        const QString name = QString::fromLatin1(command.menu.data(), command.menu.size());
        auto* entry = window->findChild<QAction*>(name);
        QVERIFY2(entry, qPrintable(name + " is not in the menu"));
        QVERIFY2(entry->isEnabled(), qPrintable(name));
    }
}

void MenusTest::programShortcuts() {
    TempFolder dir;
    auto window = loadWindow(dir.str(), kIni);
    std::vector<RecordingStarter::Start> starts;
    window->setStarter(std::make_unique<RecordingStarter>(starts));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));

    QTest::keyClick(window.get(), Qt::Key_F1, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_F3, Qt::ControlModifier);  // empty slot: nothing
    QTest::keyClick(window.get(), Qt::Key_F6, Qt::ControlModifier);
    window->findChild<QAction*>("mnuProgram2")->trigger();
    QCOMPARE(starts.size(), size_t(2));
    QCOMPARE(starts[0].commandLine, QString("ed one"));
    QCOMPARE(QDir::toNativeSeparators(starts[0].folder), window->workingFolder());
    QCOMPARE(starts[1].commandLine, QString("view"));
}

void MenusTest::entriesWithoutCommand() {
    // LP's Decompile and Compile are enabled and do nothing.
    TempFolder dir;
    auto window = loadWindow(dir.str(), kIni);
    std::vector<RecordingStarter::Start> starts;
    window->setStarter(std::make_unique<RecordingStarter>(starts));
    ModalAnswer<QDialog> anyDialog([](QDialog* d) { d->reject(); });
    for (const char* name : {"mnuLpDecompile", "mnuLpCompile"}) {
        auto* entry = window->findChild<QAction*>(name);
        QVERIFY(entry->isEnabled());
        entry->trigger();
    }
    QTest::qWait(50);
    QCOMPARE(anyDialog.answered(), 0);
    QVERIFY(starts.empty());
    QCOMPARE(window->windowTitle(), QString("Z5 Def Tool"));
    QVERIFY(window->statusBar()->currentMessage().isEmpty());
    QCOMPARE(window->findChildren<QDialog*>().size(), 1);  // only the shared file dialog
}

void MenusTest::programThatCannotStart() {
    TempFolder dir;
    auto window = loadWindow(dir.str(), kIni);
    std::vector<RecordingStarter::Start> starts;
    window->setStarter(std::make_unique<RecordingStarter>(starts, "ed one", "execv: No such file"));
    QStringList boxes;
    ModalAnswer<QMessageBox> answer([&](QMessageBox* box) {
        boxes << box->text();
        box->accept();
    });
    window->findChild<QAction*>("mnuProgram1")->trigger();
    QCOMPARE(boxes, QStringList{"Cannot start \"ed one\": execv: No such file"});
    // The window goes on.
    window->findChild<QAction*>("mnuProgram2")->trigger();
    QCOMPARE(starts.size(), size_t(2));
    QCOMPARE(answer.extra(), 0);
}

void MenusTest::commandShell() {
#ifndef _WIN32
    auto env = [](QString terminal) {
        return [terminal](const char* name) { return QString(name) == "TERMINAL" ? terminal : ""; };
    };
    auto onPath = [](bool found) { return [found](const QString&) { return found; }; };
    QCOMPARE(shellCommandLine(env("foot -e bash"), onPath(true)), QString("foot -e bash"));
    QCOMPARE(shellCommandLine(env(""), onPath(true)), QString("x-terminal-emulator"));
    QCOMPARE(shellCommandLine(env("  "), onPath(false)), QString("xterm"));

    TempFolder dir;
    auto window = loadWindow(dir.str(), kIni);
    std::vector<RecordingStarter::Start> starts;
    window->setStarter(std::make_unique<RecordingStarter>(starts));
    qputenv("TERMINAL", "myterm --here");
    window->findChild<QAction*>("mnuDos")->trigger();
    qunsetenv("TERMINAL");
    QCOMPARE(starts.size(), size_t(1));
    QCOMPARE(starts[0].commandLine, QString("myterm --here"));
    QCOMPARE(QDir::toNativeSeparators(starts[0].folder), window->workingFolder());
#endif
}

void MenusTest::systemStarter() {
#ifndef _WIN32
    TempFolder dir;
    SystemStarter starter;
    QCOMPARE(starter.start("sh -c \"pwd > started.txt\"", qs(dir.str())), QString());
    QTRY_VERIFY_WITH_TIMEOUT(fileExists(dir.file("started.txt")) &&
                                 readFile(dir.file("started.txt")) == dir.str() + "\n",
                             10000);
    QVERIFY(starter.start("/no/such/program", qs(dir.str())).contains(std::strerror(ENOENT)));
    QCOMPARE(starter.start("   ", qs(dir.str())), QString("the command line is empty"));
#endif
}

void MenusTest::aboutIsOneWindow() {
    TempFolder dir;
    auto window = loadWindow(dir.str(), kIni);
    window->show();
    auto* entry = window->findChild<QAction*>("mnuAbout");
    entry->trigger();
    entry->trigger();
    const QList<frmAbout*> abouts = window->findChildren<frmAbout*>();
    QCOMPARE(abouts.size(), 1);
    frmAbout* about = abouts.first();
    QVERIFY(about->isVisible());
    QVERIFY(!about->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    const QPoint middle = about->screen()->geometry().center();
    QVERIFY(qAbs(about->frameGeometry().center().x() - middle.x()) <= 1);
    QVERIFY(qAbs(about->frameGeometry().center().y() - middle.y()) <= 1);
    for (const char* label : {"Label1", "Label2", "Label3"})
        QVERIFY(!about->findChild<QLabel*>(label)->text().isEmpty());

    auto* ok = about->findChild<QPushButton*>("cmdOK");
    QVERIFY(ok->text().isEmpty() && !ok->icon().isNull());
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!about->isVisible());
    entry->trigger();
    QVERIFY(about->isVisible());
    QCOMPARE(window->findChildren<frmAbout*>().size(), 1);
}

void MenusTest::helpOnF1() {
    TempFolder dir;
    auto window = loadWindow(dir.str(), kIni);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_F1);
    auto* help = window->findChild<frmHelp*>();
    QVERIFY(help && help->isVisible());
    QVERIFY(help->windowTitle().contains("help.hlp"));
    const QString text = help->findChild<QTextBrowser*>()->toPlainText();
    // Every converter in the table is described under its menu path.
    for (const CommandEntry& command : commandTable()) {
        QVERIFY2(text.contains(QString::fromStdString(menuPath(command.menu))),
                 command.menu.data());
        QVERIFY(text.contains(QString::fromUtf8(command.summary.data(), command.summary.size())));
    }
    QVERIFY(text.contains("z5.ini"));
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(window->findChildren<frmHelp*>().size(), 1);
}

void MenusTest::driveListSwitchesFolders() {
    TempFolder dir;
    namespace fs = std::filesystem;
    for (const char* sub : {"a/deep", "b/x"}) fs::create_directories(dir.path() / sub);
    const QString a = qs((dir.path() / "a").string()), b = qs((dir.path() / "b").string());
    const QString gone = qs((dir.path() / "c").string());
    auto window = loadWindow(dir.str(), iniText((dir.path() / "a/deep").string(), {}));
    auto* drives = window->findChild<DriveList*>("DrvList1");
    auto* folders = window->findChild<FolderList*>("DirList1");
    drives->setVolumes({a, b, gone});
    drives->showDriveOf(folders->path());
    auto choose = [&](const QString& root) {
        const int index = drives->findData(root);
        QVERIFY(index >= 0);
        drives->setCurrentIndex(index);
        emit drives->activated(index);
    };
    auto working = [&] { return QDir::fromNativeSeparators(window->workingFolder()); };

    choose(b);  // never visited: its root
    QCOMPARE(working(), b);
    QVERIFY(folders->setPath(b + "/x"));
    QCOMPARE(drives->drive(), b);  // the drive list follows the folder list
    QVERIFY(folders->setPath(a + "/deep"));
    QCOMPARE(drives->drive(), a);
    choose(b);  // back to the folder last used there
    QCOMPARE(working(), b + "/x");
    choose(a);
    QCOMPARE(working(), a + "/deep");
    choose(a);  // the drive already shown: nothing changes
    QCOMPARE(working(), a + "/deep");

    fs::remove(dir.path() / "b/x");
    choose(b);  // its last folder is gone: the root
    QCOMPARE(working(), b);

    QStringList boxes;
    ModalAnswer<QMessageBox> answer([&](QMessageBox* box) {
        boxes << box->text();
        box->accept();
    });
    choose(gone);  // not there: the reason, and the lists stay as they were
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes[0].contains(std::strerror(ENOENT)));
    QCOMPARE(working(), b);
    QCOMPARE(drives->drive(), b);
}

void MenusTest::switchInHelp() {
    QProcess tool;
    tool.start(Z5DEFTOOL_PATH, {"--help"});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY(tool.readAllStandardOutput().contains("--all-commands"));
}

QTEST_MAIN(MenusTest)
#include "menus_test.moc"
