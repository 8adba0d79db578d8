// Converters run through the window: the shared file dialog answered by the
// test, the caption, the busy pointer, the "DONE" box, and failures shown in
// the status bar only.
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QStatusBar>
#include <QWindow>
#include <QtTest>

#include "commands/table.hpp"
#include "shell/qthost.hpp"
#include "tests/support/support.hpp"
#include "tests/window/window_support.hpp"

using namespace z5;
using namespace z5::test;
namespace fs = std::filesystem;

namespace {

struct Box {
    QString text, title;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    bool busy;
};

// Answers the DONE box, noting what it showed and whether the pointer was
// still the hourglass.
ModalAnswer<QMessageBox> recordBoxes(QList<Box>& boxes) {
    return ModalAnswer<QMessageBox>([&boxes](QMessageBox* box) {
        const QCursor* cursor = QApplication::overrideCursor();
        boxes.append({box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
                      cursor && cursor->shape() == Qt::WaitCursor});
        box->accept();
    });
}

// Picks `path` in the file dialog as a user would: the name, then OK.
void pick(QFileDialog* dialog, const std::string& path) {
    dialog->selectFile(qs(path));
    static_cast<QDialog*>(dialog)->accept();  // runs the file dialog's own accept
}

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void converterEndToEnd_data();
    void converterEndToEnd();
    void cancelledDialog();
    void failureInStatusBar();
    void nameFilters();
    void saveChoiceAndCaption();

private:
    std::unique_ptr<TempFolder> dir_;
    fs::path work_;
    std::unique_ptr<frmZ5Def> window_;
};

void CommandsTest::init() {
    dir_ = std::make_unique<TempFolder>();
    work_ = dir_->path() / "work";
    fs::create_directory(work_);
    window_ = loadWindow(dir_->str(), iniText(work_.string(), {}));
    window_->show();
}

void CommandsTest::cleanup() {
    window_.reset();
    dir_.reset();
}

void CommandsTest::converterEndToEnd_data() {
    QTest::addColumn<QString>("menu");
    QTest::newRow("raw dumps") << "mnuDecompile";
    QTest::newRow("byte table") << "mnuTxtDoc";
}

void CommandsTest::converterEndToEnd() {
    QFETCH(QString, menu);
    const std::string input = dir_->file("Input File.bin");
    writeFile(input, Bytes().i32(-2).f32(0.5f).u8(7).str());

    QStringList shownFilters;
    QString helpFile;
    ModalAnswer<QFileDialog> dialog([&](QFileDialog* d) {
        shownFilters = d->nameFilters();
        helpFile = d->property("helpFile").toString();
        QVERIFY(d->selectedFiles().value(0).isEmpty() || QFileInfo(d->selectedFiles()[0]).isDir());
        QVERIFY(!QApplication::overrideCursor());
        pick(d, input);
    });
    QList<Box> boxes;
    auto done = recordBoxes(boxes);
    window_->findChild<QAction*>(menu)->trigger();

    QCOMPARE(dialog.answered(), 1);
    QCOMPARE(shownFilters, qtNameFilters("Files(*.*)|*.*"));
    QCOMPARE(helpFile, QString("help.hlp"));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QString("DONE"));
    QCOMPARE(boxes[0].title, QString("Bank App"));
    QCOMPARE(boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(boxes[0].busy);  // the dumps keep the hourglass until the box is closed
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(window_->windowTitle(), "Z5 DEF TOOL " + qs(input));
    QVERIFY(window_->statusBar()->currentMessage().isEmpty());

    // The window wrote exactly what the same command writes for any host.
    TempFolder reference;
    FakeHost host(reference.str());
    host.answer = input;
    QCOMPARE(findCommandByMenu(menu.toStdString())->run(host).status, Status::Done);
    QVERIFY(!filesIn(reference.path()).empty());
    QCOMPARE(filesIn(work_), filesIn(reference.path()));
    for (const std::string& name : filesIn(work_))
        QCOMPARE(readFile((work_ / name).string()), readFile(reference.file(name)));
}

void CommandsTest::cancelledDialog() {
    ModalAnswer<QFileDialog> dialog([](QFileDialog* d) { d->reject(); });
    QList<Box> boxes;
    auto done = recordBoxes(boxes);
    for (const char* menu : {"mnuDecompile", "mnuTxtDoc"})
        window_->findChild<QAction*>(menu)->trigger();
    QCOMPARE(dialog.answered(), 1);
    QCOMPARE(dialog.extra(), 1);  // the second dialog was closed without a choice too
    QVERIFY(boxes.isEmpty());
    QVERIFY(filesIn(work_).empty());
    QCOMPARE(window_->windowTitle(), QString("Z5 Def Tool"));
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(window_->statusBar()->currentMessage().isEmpty());
}

void CommandsTest::failureInStatusBar() {
    // The byte table counts offsets in 16 bits: a longer file fails.
    const std::string input = dir_->file("long.bin");
    writeFile(input, std::string(40000, 'x'));
    ModalAnswer<QFileDialog> dialog([&](QFileDialog* d) { pick(d, input); });
    QList<Box> boxes;
    auto done = recordBoxes(boxes);
    window_->findChild<QAction*>("mnuTxtDoc")->trigger();

    TempFolder reference;
    FakeHost host(reference.str());
    host.answer = input;
    const Outcome expected = findCommandByMenu("mnuTxtDoc")->run(host);
    QCOMPARE(expected.status, Status::Failed);

    QVERIFY(boxes.isEmpty());
    QCOMPARE(window_->statusBar()->currentMessage(),
             "File > Text Doc: " + QString::fromStdString(expected.reason));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(window_->windowTitle(), "Z5 DEF TOOL " + qs(input));

    // The next command starts with a clear status bar.
    ModalAnswer<QFileDialog> cancel([](QFileDialog* d) { d->reject(); });
    window_->findChild<QAction*>("mnuTxtDoc")->trigger();
    QVERIFY(window_->statusBar()->currentMessage().isEmpty());
}

void CommandsTest::nameFilters() {
    QCOMPARE(qtNameFilters("Trk Files(*.trk)|*.trk"),
             QStringList{"Trk Files(*.trk) (*.[tT][rR][kK])"});
    QCOMPARE(qtNameFilters("Files(*.*)|*.*"), QStringList{"Files(*.*) (*)"});
    QCOMPARE(qtNameFilters("Both|*.a;*.b|3do Files(*.3do)|*.3do"),
             (QStringList{"Both (*.[aA] *.[bB])", "3do Files(*.3do) (*.3[dD][oO])"}));

    // The dialog shows the text before "|" and nothing else.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(qtNameFilters("Trk Files(*.trk)|*.trk"));
    auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
    QVERIFY(types);
    QCOMPARE(types->itemText(0), QString("Trk Files(*.trk)"));
}

void CommandsTest::saveChoiceAndCaption() {
    QFileDialog dialog(window_.get());
    QtHost host(*window_, dialog, [this] { return qs(work_.string()); });
    QCOMPARE(host.workingFolder(), work_.string());

    QString directory;
    ModalAnswer<QFileDialog> answer([&](QFileDialog* d) {
        QCOMPARE(d->acceptMode(), QFileDialog::AcceptSave);
        directory = d->directory().absolutePath();
        pick(d, (work_ / "new.3do").string());
    });
    const auto chosen = host.saveFileName("3do Files(*.3do)|*.3do", work_.string());
    QCOMPARE(directory, qs(work_.string()));
    QVERIFY(chosen);
    QCOMPARE(*chosen, (work_ / "new.3do").string());

    // A path holding Qt's title placeholder is shown as written.
    host.setCaption("Z5 DEF TOOL /x/odd[*].trk");
    QCOMPARE(window_->windowHandle()->title(), QString("Z5 DEF TOOL /x/odd[*].trk"));

    // Messages other than "DONE" (the 3do decompiler's stages) show the same way.
    QList<Box> boxes;
    auto stage = recordBoxes(boxes);
    host.messageBox("Error reading PRIM", "3do");
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QString("Error reading PRIM"));
    QCOMPARE(boxes[0].title, QString("3do"));
    QCOMPARE(boxes[0].icon, QMessageBox::Warning);

    // The pointer is restored however often busy was asked for, and when a
    // host goes while busy.
    host.setBusy(true);
    host.setBusy(true);
    host.setBusy(false);
    QVERIFY(!QApplication::overrideCursor());
    {
        QtHost other(*window_, dialog, [] { return QString(); });
        other.setBusy(true);
        QVERIFY(QApplication::overrideCursor());
    }
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
