// The Qt main window: the menu tree, shortcuts and boxes, the program
// starter and the command shell, About, help, and the drive and folder lists
// forwarding to the controller.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBrowser>
#include <cerrno>
#include <cstring>

#include "commands/table.hpp"
#include "qt/about.hpp"
#include "qt/folders.hpp"
#include "qt/help.hpp"
#include "qt/programstart.hpp"
#include "tests/qt/window_support.hpp"
#include "window/menu.hpp"
#include "window/texts.hpp"

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
    void menuTree_data();
    void menuTree();
    void shortcutsAndBoxes();
    void starters();
    void helpAndAboutShowOnce();
    void driveListSwitchesFolders();
    void switchInHelp();
};

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

void WindowTest::shortcutsAndBoxes() {
    TempFolder dir;
    DialogScript script;
    {
        InFolder in(dir.str());  // no z5.ini: a critical box, no window
        frmZ5Def window;
        answerFrom(window, script);
        QVERIFY(!window.Form_Load());
    }
    auto window = loadWindow(dir.str(), kIni, script);
    std::vector<std::string> starts;
    window->controller().setStarter(std::make_unique<RecordingStarter>(starts, "view"));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_F1, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_F3, Qt::ControlModifier);  // unused: nothing
    QTest::keyClick(window.get(), Qt::Key_F2, Qt::ControlModifier);  // fails: a warning box
    const std::string in = " in " + dir.str();
    QCOMPARE(starts, (std::vector<std::string>{"ed one" + in, "view" + in}));
    QCOMPARE(script.asked,
             QStringList({"Critical Z5 Def Tool: no z5.ini in " + qs(dir.str() + settingsHelp()),
                          "Warning Z5 Def Tool: Cannot start \"view\": no such program"}));
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
    QCOMPARE(starter.start("sh -c \"pwd > started.txt\"", dir.str()), std::string());
    QCOMPARE(contentOnceItHolds(dir.file("started.txt"), dir.str() + "\n"), dir.str() + "\n");
    QVERIFY(starter.start("/no/such/program", dir.str()).find(std::strerror(ENOENT)) !=
            std::string::npos);
    QCOMPARE(starter.start("   ", dir.str()), std::string("the command line is empty"));
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
    // It wraps to its window: narrowed, it needs no horizontal scrolling.
    auto* browser = help->findChild<QTextBrowser*>();
    QCOMPARE(browser->lineWrapMode(), QTextEdit::WidgetWidth);
    help->resize(320, 400);
    QTRY_COMPARE(browser->horizontalScrollBar()->maximum(), 0);
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
    for (std::size_t i = 0; i < kAboutLineCount; ++i)
        QCOMPARE(about->findChild<QLabel*>(QString("Label%1").arg(i + 1))->text(),
                 QString::fromStdString(kAboutLines[i]));
    const QPoint offCentre = about->frameGeometry().center() - about->screen()->geometry().center();
    QVERIFY(offCentre.manhattanLength() <= 2);
    QTest::mouseClick(about->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    QVERIFY(!about->isVisible());
    entry->trigger();
    QVERIFY(about->isVisible());
    QVERIFY(script.asked.isEmpty());
}

void WindowTest::driveListSwitchesFolders() {
    // Picking a drive and opening a folder reach the controller, and the
    // lists show what it decides.
    TempFolder dir;
    std::filesystem::create_directories(dir.path() / "a/deep");
    std::filesystem::create_directory(dir.path() / "b");
    const QString a = qs(dir.str()) + "/a", b = qs(dir.str()) + "/b";
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(dir.str() + "/a/deep", {}), script);
    auto* drives = window->findChild<DriveList*>("DrvList1");
    auto* folders = window->findChild<FolderList*>("DirList1");
    drives->setVolumes({a, b});
    emit drives->activated(drives->findData(b));
    QCOMPARE(folders->path(), b);
    QVERIFY(folders->setPath(a));
    QCOMPARE(window->workingFolder(), a);
    QCOMPARE(drives->currentData().toString(), a);  // the drive list follows the folder list
    QVERIFY(script.asked.isEmpty());
}

void WindowTest::switchInHelp() {
    QProcess tool;
    tool.start(Z5DEFTOOL_PATH, {"--help"});
    QVERIFY(tool.waitForFinished(30000) && tool.exitCode() == 0);
    const QByteArray help = tool.readAllStandardOutput();
    QVERIFY(help.contains("--all-commands") && help.contains("[FILE...]"));
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
