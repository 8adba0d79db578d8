// The main window: z5.ini and how start-up ends when it cannot, the menu
// tree, program entries and shortcuts, the command shell, About, help and the
// drive list.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTextBrowser>
#include <cerrno>
#include <cstring>

#include "commands/menu.hpp"
#include "commands/settings.hpp"
#include "commands/table.hpp"
#include "shell/about.hpp"
#include "shell/folders.hpp"
#include "shell/help.hpp"
#include "tests/window/window_support.hpp"

using namespace z5;
using namespace z5::test;

namespace {

// The menu as rows (see menuRow), a hidden entry's state "hidden".
void collect(const QList<QAction*>& actions, const QString& parent, QStringList& rows) {
    for (QAction* a : actions) {
        const QString name = a->menu() ? a->menu()->objectName() : a->objectName();
        const char* state = !a->isVisible() ? "hidden" : a->isEnabled() ? "on" : "off";
        rows << qs(menuRow(name.toStdString(), (a->isSeparator() ? "-" : a->text()).toStdString(),
                           parent.toStdString(),
                           a->shortcut().toString(QKeySequence::PortableText).toStdString(),
                           state));
        if (a->menu()) collect(a->menu()->actions(), name, rows);
    }
}

const std::string kIni = iniText(".", testPrograms());

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void startUp();
    void menuTree_data();
    void menuTree();
    void programsAndShell();
    void starters();
    void helpAndAboutShowOnce();
    void driveListSwitchesFolders();
    void switchInHelp();
};

void WindowTest::startUp() {
    TempFolder dir;
    InFolder in(qs(dir.str()));
    const std::string gone = dir.file("gone"), file = dir.file("z5.ini");
    const auto cases = startUpFailures(dir.str(), gone, file);
    DialogScript script;
    QStringList expected;
    for (const auto& [ini, reason] : cases) {
        if (!ini.empty()) writeFile(file, ini);
        frmZ5Def window;
        answerFrom(window, script);
        QVERIFY(!window.Form_Load());
        expected << "Critical Z5 Def Tool: " + qs(reason);
    }

    // A relative start folder is taken from the current directory.
    std::filesystem::create_directory(dir.path() / "data");
    writeFile(file, iniText("data", {"ed,&Edit", "\"sh -c x\",\"Sh, &Run\"",
                                     "\"ed3 -a, -b\",Th&ree", "ed4,", ",Five", "last,Six"}));
    frmZ5Def window;
    answerFrom(window, script);
    QVERIFY(window.Form_Load());
    QCOMPARE(window.workingFolder(), QDir::toNativeSeparators(qs(dir.str()) + "/data"));
    QStringList programs;
    for (int n = 0; n < 6; ++n)
        programs << qs(window.settings().strProgram[n] + " | " + window.settings().strPName[n]);
    QCOMPARE(programs, QStringList({"ed | &Edit", "sh -c x | Sh, &Run", "ed3 -a, -b | Th&ree",
                                    "ed4 | ", " | Five", "last | Six"}));

    // run.sh starts the window in samples/ with its z5.ini.
    InFolder samples(Z5_SAMPLES_DIR);
    frmZ5Def sample;
    answerFrom(sample, script);
    QVERIFY(sample.Form_Load() && !sample.settings().strProgram[0].empty() &&
            !sample.settings().strPName[0].empty());
    QCOMPARE(script.asked, expected);
}

void WindowTest::menuTree_data() {
    QTest::addColumn<bool>("allCommands");
    QTest::newRow("as the window starts") << false;
    QTest::newRow("with --all-commands") << true;
}

void WindowTest::menuTree() {
    QFETCH(bool, allCommands);
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), kIni, script, {.allCommands = allCommands});
    QStringList rows, expected;
    collect(window->menuBar()->actions(), "", rows);
    for (const std::string& row : expectedMenuRows(allCommands)) expected << qs(row);
    QCOMPARE(rows, expected);
}

void WindowTest::programsAndShell() {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), kIni, script);
    QStringList starts;
    window->setStarter(std::make_unique<RecordingStarter>(starts, "view"));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_F1, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_F3, Qt::ControlModifier);  // unused: nothing
    window->findChild<QAction*>("mnuProgram2")->trigger();  // fails: the reason, the window goes on
    window->findChild<QAction*>("mnuDos")->trigger();
    // LP's Decompile and Compile are enabled and do nothing.
    for (const char* name : {"mnuLpDecompile", "mnuLpCompile"})
        window->findChild<QAction*>(name)->trigger();
    const QString in = " in " + window->workingFolder();
    QCOMPARE(starts, QStringList({"ed one" + in, "view" + in, shellCommandLine() + in}));
    // No file was asked for, one box shown.
    QCOMPARE(script.asked,
             QStringList{"Warning Z5 Def Tool: Cannot start \"view\": no such program"});
    QVERIFY(window->statusBar()->currentMessage().isEmpty());
}

void WindowTest::starters() {
    // The shell is $TERMINAL, else x-terminal-emulator where it is found, else xterm.
    auto shell = [](QString terminal, bool found) {
        return shellCommandLine(
            [=](const char* name) { return QString(name) == "TERMINAL" ? terminal : QString(); },
            [=](const QString&) { return found; });
    };
    QCOMPARE(shell("foot -e bash", false), QString("foot -e bash"));
    QCOMPARE(shell("", true), QString("x-terminal-emulator"));
    QCOMPARE(shell("  ", false), QString("xterm"));

    TempFolder dir;
    SystemStarter starter;
    QCOMPARE(starter.start("sh -c \"pwd > started.txt\"", qs(dir.str())), QString());
    QTRY_VERIFY_WITH_TIMEOUT(fileExists(dir.file("started.txt")) &&
                                 readFile(dir.file("started.txt")) == dir.str() + "\n",
                             10000);
    QVERIFY(starter.start("/no/such/program", qs(dir.str())).contains(std::strerror(ENOENT)));
    QCOMPARE(starter.start("   ", qs(dir.str())), QString("the command line is empty"));
}

void WindowTest::helpAndAboutShowOnce() {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), kIni, script);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_F1);
    auto* help = window->findChild<frmHelp*>();
    QVERIFY(help && help->isVisible());
    // Every converter in the table is described under its menu path.
    const QString text = help->findChild<QTextBrowser*>()->toPlainText();
    for (const CommandEntry& command : commandTable()) {
        QVERIFY2(text.contains(QString::fromStdString(menuPath(command.menu))) &&
                     text.contains(QString::fromUtf8(command.summary)),
                 command.menu.data());
    }
    help->close();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_F1);
    QVERIFY(help->isVisible());

    // About is not modal, is centred on the screen and closes with its OK button.
    auto* entry = window->findChild<QAction*>("mnuAbout");
    entry->trigger();
    entry->trigger();
    auto* about = window->findChild<frmAbout*>();
    QVERIFY(about->isVisible() && !about->isModal() && !QApplication::activeModalWidget());
    const QPoint offCentre = about->frameGeometry().center() - about->screen()->geometry().center();
    QVERIFY(offCentre.manhattanLength() <= 2);
    QTest::mouseClick(about->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    QVERIFY(!about->isVisible());
    entry->trigger();
    QVERIFY(about->isVisible());
    QVERIFY(script.asked.isEmpty());
}

void WindowTest::driveListSwitchesFolders() {
    TempFolder dir;
    namespace fs = std::filesystem;
    for (const char* sub : {"a/deep", "b/x"}) fs::create_directories(dir.path() / sub);
    const QString a = qs(dir.str()) + "/a", b = qs(dir.str()) + "/b", gone = qs(dir.str()) + "/c";
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText((dir.path() / "a/deep").string(), {}), script);
    auto* drives = window->findChild<DriveList*>("DrvList1");
    auto* folders = window->findChild<FolderList*>("DirList1");
    drives->setVolumes({a, b, gone});
    drives->showDriveOf(folders->path());
    auto choose = [&](const QString& root) {  // picks a drive; the working folder it shows
        const int index = drives->findData(root);
        drives->setCurrentIndex(index);
        emit drives->activated(index);
        return QDir::fromNativeSeparators(window->workingFolder());
    };
    QCOMPARE(choose(b), b);  // never visited: its root
    QVERIFY(folders->setPath(b + "/x"));
    QCOMPARE(drives->drive(), b);  // the drive list follows the folder list
    QVERIFY(folders->setPath(a + "/deep"));
    QCOMPARE(drives->drive(), a);
    QCOMPARE(choose(b), b + "/x");  // back to the folder last used there
    QCOMPARE(choose(a), a + "/deep");
    fs::remove(dir.path() / "b/x");
    QCOMPARE(choose(b), b);     // its last folder is gone: the root
    QCOMPARE(choose(gone), b);  // not there: the reason, and the lists stay as they were
    QCOMPARE(drives->drive(), b);
    QCOMPARE(script.asked, QStringList{"Warning Z5 Def Tool: " + QDir::toNativeSeparators(gone) +
                                       ": " + std::strerror(ENOENT)});
}

void WindowTest::switchInHelp() {
    QProcess tool;
    tool.start(Z5DEFTOOL_PATH, {"--help"});
    QVERIFY(tool.waitForFinished(30000) && tool.exitCode() == 0);
    QVERIFY(tool.readAllStandardOutput().contains("--all-commands"));
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
