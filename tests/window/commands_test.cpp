// Converters run through the window: the shared file dialog answered by the
// test, the caption, the busy pointer, the "DONE" box, and failures shown in
// the status bar only.
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

namespace {

// Picks `path` in the file dialog as a user would (the name, then OK); an
// empty path cancels it.
void pick(QFileDialog* dialog, const std::string& path) {
    if (path.empty()) return dialog->reject();
    dialog->selectFile(qs(path));
    static_cast<QDialog*>(dialog)->accept();  // runs the file dialog's own accept
}

std::map<std::string, std::string> filesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        files[e.path().filename()] = readFile(e.path().string());
    return files;
}

// Runs the command of menu entry `menu` on `input` for a scripted host
// writing into `folder`.
Outcome runScripted(const char* menu, const std::string& input, const std::string& folder) {
    FakeHost host(folder);
    host.answer = input;
    return findCommandByMenu(menu)->run(host);
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void doneFailedCancelled();
    void hostDialogsCaptionAndPointer();
};

void CommandsTest::doneFailedCancelled() {
    TempFolder dir;
    const fs::path work = dir.path() / "work";
    fs::create_directory(work);
    auto window = loadWindow(dir.str(), iniText(work.string(), {}));
    window->show();
    const std::string input = dir.file("Input File.bin"), longInput = dir.file("long.bin");
    writeFile(input, Bytes().i32(-2).f32(0.5f).u8(7).str());
    // The byte table counts offsets in 16 bits: a longer file fails.
    writeFile(longInput, std::string(40000, 'x'));
    std::string answer = input;
    ModalAnswer<QFileDialog> dialog([&](QFileDialog* d) {
        pick(d, answer);
        // The filter's text before "|" is shown; "*.*" matches every name.
        QCOMPARE(d->nameFilters(), QStringList{"Files(*.*) (*)"});
        QCOMPARE(d->findChild<QComboBox*>("fileTypeCombo")->currentText(), QString("Files(*.*)"));
        QVERIFY(!QApplication::overrideCursor());
    });
    QStringList boxes;
    auto done = recordBoxes(boxes);
    window->findChild<QAction*>("mnuDecompile")->trigger();
    // The dumps keep the hourglass until the box is closed.
    QCOMPARE(boxes, QStringList{"Warning Bank App: DONE (busy)"});
    QVERIFY(!QApplication::overrideCursor() && window->statusBar()->currentMessage().isEmpty());
    QCOMPARE(window->windowTitle(), "Z5 DEF TOOL " + qs(input));
    // The window wrote exactly what the same command writes for any host.
    TempFolder reference;
    QCOMPARE(runScripted("mnuDecompile", input, reference.str()).status, Status::Done);
    QVERIFY(!filesIn(work).empty() && filesIn(work) == filesIn(reference.path()));

    // A failure shows its reason in the status bar, and no box.
    const Outcome failed = runScripted("mnuTxtDoc", longInput, reference.str());
    QCOMPARE(failed.status, Status::Failed);
    answer = longInput;
    auto* entry = window->findChild<QAction*>("mnuTxtDoc");
    entry->trigger();
    QCOMPARE(window->statusBar()->currentMessage(), "File > Text Doc: " + qs(failed.reason));
    QCOMPARE(window->windowTitle(), "Z5 DEF TOOL " + qs(longInput));
    QVERIFY(boxes.size() == 1 && !QApplication::overrideCursor());

    // Cancelled: nothing written, no box, the caption stays, and the status
    // bar is cleared as every command starts.
    const auto written = filesIn(work);
    answer.clear();
    entry->trigger();
    QCOMPARE(dialog.answered, 3);
    QVERIFY(window->statusBar()->currentMessage().isEmpty() && boxes.size() == 1 &&
            !QApplication::overrideCursor() && filesIn(work) == written);
    QCOMPARE(window->windowTitle(), "Z5 DEF TOOL " + qs(longInput));
}

void CommandsTest::hostDialogsCaptionAndPointer() {
    // Each pattern is matched without regard to case.
    QCOMPARE(qtNameFilters("Both|*.a;*.b|3do Files(*.3do)|*.3do"),
             (QStringList{"Both (*.[aA] *.[bB])", "3do Files(*.3do) (*.3[dD][oO])"}));

    TempFolder work;
    QWidget window;
    window.show();
    QFileDialog dialog(&window);
    QtHost host(window, dialog, [] { return QString(); }, [](const QString&) {});
    QString shown;  // the save dialog starts in the folder asked for
    ModalAnswer<QFileDialog> answer([&](QFileDialog* d) {
        shown = d->directory().absolutePath();
        pick(d, work.file("new.3do"));
        QCOMPARE(d->acceptMode(), QFileDialog::AcceptSave);
    });
    const auto chosen = host.saveFileName("3do Files(*.3do)|*.3do", work.str());
    QVERIFY(chosen && *chosen == work.file("new.3do") && shown == qs(work.str()));

    // A path holding Qt's title placeholder is shown as written.
    host.setCaption("Z5 DEF TOOL /x/odd[*].trk");
    QCOMPARE(window.windowHandle()->title(), QString("Z5 DEF TOOL /x/odd[*].trk"));

    // The pointer is restored however often busy was asked for, and when a
    // host goes while busy.
    for (bool busy : {true, true, false}) host.setBusy(busy);
    QVERIFY(!QApplication::overrideCursor());
    {
        QtHost other(window, dialog, [] { return QString(); }, [](const QString&) {});
        other.setBusy(true);
        QVERIFY(QApplication::overrideCursor());
    }
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
