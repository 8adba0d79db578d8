// Converters run through the Qt window: its dialogs, caption, pointer and
// status bar; the window's Host; how the shared file dialog is set up for
// each choice.
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

#include "qt/picturewindow.hpp"
#include "qt/qthost.hpp"
#include "tests/qt/window_support.hpp"
#include "tests/support/followed.hpp"

using namespace z5;
using namespace z5::test;

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void doneFailedCancelled();
    void droppedFiles();
    void fileDialogSetUp();
    void hostDialogsCaptionAndPointer();
    void pictureWindow();
    void pictureFollowsItsFile();
};

void CommandsTest::doneFailedCancelled() {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(dir.str(), {}), script);
    window->show();
    const std::string input = dir.file("input.bin"), longInput = dir.file("long.bin");
    writeFile(input, "1234");
    // The byte table counts offsets in 16 bits: a longer file fails.
    writeFile(longInput, std::string(40000, 'x'));
    // The filter's text before "|" is shown; "*.*" matches every name. The
    // choice is made without the hourglass; the dumps keep it until "DONE"
    // is closed.
    const QString open = "open Files(*.*) (*) in " + qs(dir.str()),
                  done = "Warning Bank App: DONE (busy)";
    script.answers = {qs(input), qs(longInput)};
    window->findChild<QAction*>("mnuDecompile")->trigger();
    QCOMPARE(window->windowTitle(), "Z5 DEF TOOL " + qs(input));
    QCOMPARE(window->statusBar()->currentMessage(),
             "File > Decompile: DONE, wrote outputlong.def, outputfloat.def, outputbyt.def");
    window->findChild<QAction*>("mnuTxtDoc")->trigger();
    QCOMPARE(script.asked, QStringList({open, done, open}));
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(window->statusBar()->currentMessage().startsWith("File > Text Doc: "));
}

// Files dropped on the window reach the controller once the drop is over;
// the working folder's path is shown; Clean Up's question is asked.
void CommandsTest::droppedFiles() {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(dir.str(), {}), script);
    QCOMPARE(window->findChild<QLineEdit*>("txtFolder")->text(), qs(dir.str()));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString(Z5_SAMPLES_DIR) + "/oval.trk")});
    QDragEnterEvent enter({20, 60}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QDropEvent drop({20, 60}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    QVERIFY(enter.isAccepted() && drop.isAccepted());
    QTRY_COMPARE(window->statusBar()->currentMessage(),
                 QString("Trk > Def Tools > Decompile: DONE, wrote Trk.def"));
    QVERIFY(fileExists(dir.file("Trk.def")));

    writeFile(dir.file("dattext.pck"), "GAME\r\n1\r\nTrk.def\r\n");
    script.yes = false;
    window->findChild<QAction*>("mnuCleanUp")->trigger();
    QCOMPARE(script.asked, QStringList({"Warning Bank App: DONE",
                                        "Question Z5 Def Tool: Delete the 1 file that "
                                        "dattext.pck lists?"}));
    QVERIFY(fileExists(dir.file("Trk.def")));
}

void CommandsTest::fileDialogSetUp() {
    // Each pattern is matched without regard to case.
    const QStringList filters = qtNameFilters("Both|*.a;*.b|3do Files(*.3do)|*.3do");
    QCOMPARE(filters, (QStringList{"Both (*.[aA] *.[bB])", "3do Files(*.3do) (*.3[dD][oO])"}));

    TempFolder work, other;
    QWidget window;
    QFileDialog dialog(&window);
    auto shown = [&dialog] { return dialog.findChild<QComboBox*>("fileTypeCombo")->currentText(); };
    configureFileDialog(dialog, FileChoice::Save, filters, qs(work.str()), "cube.svg");
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dialog.selectedFiles(), QStringList{qs(work.file("cube.svg"))});
    QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
    QVERIFY(dialog.testOption(QFileDialog::HideNameFilterDetails));
    QCOMPARE(dialog.nameFilters(), filters);
    QCOMPARE(dialog.directory().absolutePath(), qs(work.str()));
    QCOMPARE(shown(), QString("Both"));  // the patterns are hidden

    // An open starts in the folder given, not where the last choice ended.
    dialog.setDirectory(qs(other.str()));
    configureFileDialog(dialog, FileChoice::Open, {"Files(*.*) (*)"}, qs(work.str()));
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog.directory().absolutePath(), qs(work.str()));
    QCOMPARE(shown(), QString("Files(*.*)"));
}

void CommandsTest::hostDialogsCaptionAndPointer() {
    TempFolder work;
    QWidget window;
    window.show();
    DialogScript script;
    ScriptedDialogs dialogs(script);
    std::vector<std::string> notices;
    QtHost host(window, dialogs, work.str(),
                [&](const std::string& line) { notices.push_back(line); });
    // The save choice starts in the folder asked for; the name comes back as
    // it was chosen, and a cancelled choice as none.
    script.answers = {qs(work.file("new.3do")), QString()};
    QCOMPARE(host.saveFileName("3do Files(*.3do)|*.3do", work.str(), "box.3do"),
             work.file("new.3do"));
    QVERIFY(!host.openFileName("Files(*.*)|*.*"));
    host.messageBox("DONE", "Bank App");
    host.notice("Trk.def:12: no number, read as 0");
    QCOMPARE(host.workingFolder(), work.str());
    QCOMPARE(notices, std::vector<std::string>{"Trk.def:12: no number, read as 0"});
    QCOMPARE(
        script.asked,
        QStringList({"save 3do Files(*.3do) (*.3[dD][oO]) in " + qs(work.str()) + " as box.3do",
                     "open Files(*.*) (*) in " + qs(work.str()), "Warning Bank App: DONE"}));

    // A path holding Qt's title placeholder is shown as written.
    host.setCaption("Z5 DEF TOOL /x/odd[*].trk");
    QCOMPARE(window.windowHandle()->title(), QString("Z5 DEF TOOL /x/odd[*].trk"));

    // The pointer is restored however often busy was asked for, and when a
    // host goes while busy.
    for (bool busy : {true, true, false}) host.setBusy(busy);
    QVERIFY(!QApplication::overrideCursor());
    {
        QtHost other(window, dialogs, {}, [](const std::string&) {});
        other.setBusy(true);
        QVERIFY(QApplication::overrideCursor());
    }
    QVERIFY(!QApplication::overrideCursor());
}

// 3do > View opens a picture window, which paints the cube's projected
// corners and leaves the paper white; pointing at a corner shows its key and
// coordinates, and the picture saves as SVG. A file that cannot be read
// opens no window.
void CommandsTest::pictureWindow() {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(dir.str(), {}), script);
    window->show();
    script.answers = {QString(Z5_SAMPLES_DIR) + "/cube.3do"};
    window->findChild<QAction*>("mnu3doView")->trigger();
    auto* picture = window->findChild<frmPicture*>();
    QVERIFY(picture && picture->isVisible());
    QCOMPARE(picture->windowTitle(), "Z5 DEF TOOL cube.3do");
    const picture::Drawing& drawing = picture->view()->drawing();

    QImage image(800, 728, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        paintDrawing(drawing, painter, image.width(), image.height());
    }
    const picture::PageFit fit = picture::fitPage(drawing, image.width(), image.height());
    auto pixel = [&](picture::Vec2 page) {
        const picture::Vec2 at = fit.toDevice(page);
        return qGray(image.pixel(int(at.x), int(at.y)));
    };
    for (std::size_t p = 1; p < drawing.panels.size(); ++p)
        for (const picture::Dot& dot : drawing.panels[p].dots)
            QVERIFY2(pixel(drawing.panels[p].toPage(dot.at)) < 128, drawing.panels[p].id.c_str());
    const picture::Frame& top = drawing.panels[1].frame;
    QCOMPARE(pixel({top.left + top.width / 2, top.top + top.height / 2}), 255);
    QCOMPARE(pixel({drawing.width - 2, 2}), 255);

    // Pointing at the first corner in the top view.
    PictureView* view = picture->view();
    view->resize(800, 728);
    const picture::PageFit shown = picture::fitPage(drawing, view->width(), view->height());
    const picture::Vec2 corner =
        shown.toDevice(drawing.panels[1].toPage(drawing.panels[1].dots[0].at));
    const QPointF point(corner.x, corner.y);
    QMouseEvent move(QEvent::MouseMove, point, view->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QCOMPARE(picture->statusBar()->currentMessage(), "key 0: -100, -100, -100");

    script.answers = {qs(dir.file("cube"))};  // .svg is added
    picture->findChild<QAction*>("mnuSaveSvg")->trigger();
    QVERIFY(readFile(dir.file("cube.svg")).find("<g id=\"iso\">") != std::string::npos);
    QCOMPARE(picture->windowTitle(), "Z5 DEF TOOL cube.3do");
    picture->close();
    QTRY_VERIFY(!window->findChild<frmPicture*>());

    script.answers = {qs(dir.file("missing.trk"))};
    window->findChild<QAction*>("mnuTrkView")->trigger();
    QVERIFY(window->statusBar()->currentMessage().startsWith("Trk > View...: "));
    QVERIFY(!window->findChild<frmPicture*>());
}

// Trk > View of Trk.def opens within the screen and follows the file: a
// save is drawn a moment later with the zoom kept, one that does not read
// leaves the picture and says why until the file reads again.
void CommandsTest::pictureFollowsItsFile() {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(dir.str(), {}), script);
    script.answers = {QString(Z5_SAMPLES_DIR) + "/speedway.trk", qs(dir.file("Trk.def"))};
    window->findChild<QAction*>("mnuTrkDecompile")->trigger();
    const std::string def = readFile(dir.file("Trk.def"));
    window->findChild<QAction*>("mnuTrkView")->trigger();
    auto* picture = window->findChild<frmPicture*>();
    QVERIFY(picture);
    const QRect area = picture->screen()->availableGeometry();
    QVERIFY(picture->width() <= area.width() && picture->height() <= area.height());
    PictureView* view = picture->view();
    QCOMPARE(firstHeight(view->drawing()), 0.0);

    // Zoomed in the Height 1 panel.
    const picture::Panel* panel = &view->drawing().panels[2];
    QCOMPARE(panel->id, std::string("banking-height-1"));
    const picture::PageFit fit = picture::fitPage(view->drawing(), view->width(), view->height());
    const picture::Vec2 middle = fit.toDevice(
        {panel->frame.left + panel->frame.width / 2, panel->frame.top + panel->frame.height / 2});
    const QPointF at(middle.x, middle.y);
    QWheelEvent wheel(at, view->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    const double zoomed = view->drawing().panels[2].scaleY;
    QVERIFY(zoomed != picture->picture().drawing().panels[2].scaleY);

    const auto save = [&](const std::string& text) { saveByRename(dir.file("Trk.def"), text); };
    std::string edited = def;
    save(edited.replace(edited.find(kFirstBankingRow), kFirstBankingRow.size(), kRaisedBankingRow));
    QTRY_COMPARE_WITH_TIMEOUT(firstHeight(view->drawing()), 3000.0, 20000);
    QCOMPARE(view->drawing().panels[2].scaleY, zoomed);

    save(def.substr(0, def.find("SURFACES:")));
    QTRY_VERIFY_WITH_TIMEOUT(picture->statusBar()->currentMessage().startsWith("Trk.def:"), 20000);
    QVERIFY(picture->statusBar()->currentMessage().contains("the file ends early"));
    QCOMPARE(firstHeight(view->drawing()), 3000.0);
    writeFile(dir.file("Trk.def"), def);  // in place this time
    QTRY_COMPARE_WITH_TIMEOUT(firstHeight(view->drawing()), 0.0, 20000);
    QCOMPARE(picture->statusBar()->currentMessage(), QString());
}

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
