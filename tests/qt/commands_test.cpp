// Converters run through the window: the file choice answered by the test,
// the caption, the busy pointer, the "DONE" box, and failures shown in the
// status bar only; how the shared file dialog is set up for each choice.
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QStatusBar>
#include <QWindow>
#include <map>

#include "commands/table.hpp"
#include "shell/qthost.hpp"
#include "tests/window/window_support.hpp"

using namespace z5;
using namespace z5::test;
namespace fs = std::filesystem;

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void doneFailedCancelled();
    void fileDialogSetUp();
    void hostDialogsCaptionAndPointer();
};

void CommandsTest::doneFailedCancelled() {
    TempFolder dir;
    const fs::path work = dir.path() / "work";
    fs::create_directory(work);
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(work.string(), {}), script);
    window->show();
    const std::string input = dir.file("Input File.bin"), longInput = dir.file("long.bin");
    writeFile(input, Bytes().i32(-2).f32(0.5f).u8(7).str());
    // The byte table counts offsets in 16 bits: a longer file fails.
    writeFile(longInput, std::string(40000, 'x'));
    // The filter's text before "|" is shown; "*.*" matches every name. The
    // choice is made without the hourglass; the dumps keep it until "DONE"
    // is closed.
    const QString open = "open Files(*.*) (*)", done = "Warning Bank App: DONE (busy)";
    script.answers = {qs(input)};
    window->findChild<QAction*>("mnuDecompile")->trigger();
    QCOMPARE(script.asked, QStringList({open, done}));
    QVERIFY(!QApplication::overrideCursor() && window->statusBar()->currentMessage().isEmpty());
    QCOMPARE(window->windowTitle(), "Z5 DEF TOOL " + qs(input));
    // The window wrote exactly what the same command writes for any host.
    TempFolder reference;
    QCOMPARE(runScripted("mnuDecompile", input, reference.str()).status, Status::Done);
    QVERIFY(!folderFiles(work.string()).empty() &&
            folderFiles(work.string()) == folderFiles(reference.str()));

    // A failure shows its reason in the status bar, and no box.
    const Outcome failed = runScripted("mnuTxtDoc", longInput, reference.str());
    QCOMPARE(failed.status, Status::Failed);
    script.answers = {qs(longInput)};
    auto* entry = window->findChild<QAction*>("mnuTxtDoc");
    entry->trigger();
    QCOMPARE(window->statusBar()->currentMessage(), "File > Text Doc: " + qs(failed.reason));
    QCOMPARE(window->windowTitle(), "Z5 DEF TOOL " + qs(longInput));
    QCOMPARE(script.asked, QStringList({open, done, open}));
    QVERIFY(!QApplication::overrideCursor());

    // Cancelled: nothing written, no box, the caption stays, and the status
    // bar is cleared as every command starts.
    const auto written = folderFiles(work.string());
    entry->trigger();
    QCOMPARE(script.asked, QStringList({open, done, open, open}));
    QVERIFY(window->statusBar()->currentMessage().isEmpty() && !QApplication::overrideCursor() &&
            folderFiles(work.string()) == written);
    QCOMPARE(window->windowTitle(), "Z5 DEF TOOL " + qs(longInput));
}

void CommandsTest::fileDialogSetUp() {
    // Each pattern is matched without regard to case.
    const QStringList filters = qtNameFilters("Both|*.a;*.b|3do Files(*.3do)|*.3do");
    QCOMPARE(filters, (QStringList{"Both (*.[aA] *.[bB])", "3do Files(*.3do) (*.3[dD][oO])"}));

    TempFolder work, other;
    QWidget window;
    QFileDialog dialog(&window);
    auto shown = [&dialog] { return dialog.findChild<QComboBox*>("fileTypeCombo")->currentText(); };
    configureFileDialog(dialog, FileChoice::Save, filters, qs(work.str()));
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
    QVERIFY(dialog.testOption(QFileDialog::HideNameFilterDetails));
    QCOMPARE(dialog.nameFilters(), filters);
    QCOMPARE(dialog.directory().absolutePath(), qs(work.str()));
    QCOMPARE(shown(), QString("Both"));  // the patterns are hidden

    // An open starts where the last choice ended.
    dialog.setDirectory(qs(other.str()));
    configureFileDialog(dialog, FileChoice::Open, {"Files(*.*) (*)"});
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog.directory().absolutePath(), qs(other.str()));
    QCOMPARE(shown(), QString("Files(*.*)"));
}

void CommandsTest::hostDialogsCaptionAndPointer() {
    TempFolder work;
    QWidget window;
    window.show();
    DialogScript script;
    ScriptedDialogs dialogs(script);
    QtHost host(
        window, dialogs, [] { return QString(); }, [](const QString&) {});
    // The save choice starts in the folder asked for; the name comes back as
    // it was chosen, and a cancelled choice as none.
    script.answers = {qs(work.file("new.3do")), QString()};
    QCOMPARE(host.saveFileName("3do Files(*.3do)|*.3do", work.str()), work.file("new.3do"));
    QVERIFY(!host.openFileName("Files(*.*)|*.*"));
    host.messageBox("DONE", "Bank App");
    QCOMPARE(script.asked, QStringList({"save 3do Files(*.3do) (*.3[dD][oO]) in " + qs(work.str()),
                                        "open Files(*.*) (*)", "Warning Bank App: DONE"}));

    // A path holding Qt's title placeholder is shown as written.
    host.setCaption("Z5 DEF TOOL /x/odd[*].trk");
    QCOMPARE(window.windowHandle()->title(), QString("Z5 DEF TOOL /x/odd[*].trk"));

    // The pointer is restored however often busy was asked for, and when a
    // host goes while busy.
    for (bool busy : {true, true, false}) host.setBusy(busy);
    QVERIFY(!QApplication::overrideCursor());
    {
        QtHost other(
            window, dialogs, [] { return QString(); }, [](const QString&) {});
        other.setBusy(true);
        QVERIFY(QApplication::overrideCursor());
    }
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
