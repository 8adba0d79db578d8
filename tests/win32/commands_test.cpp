// Converters run through the Win32 window and its Host: the dialogs, the
// caption, the hourglass and the status bar; the filters in the dialogs'
// form; starting programs for real.
#include <gtest/gtest.h>
// After windows.h (through win32_support.hpp):
#include <shlobj.h>

#include <algorithm>

#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "tests/support/followed.hpp"
#include "tests/win32/win32_support.hpp"
#include "win32/picturewindow.hpp"
#include "win32/programstart.hpp"
#include "win32/system.hpp"

namespace z5 {
namespace {

using namespace test;

TEST(Win32Commands, RunThroughTheWindowsDialogsCaptionAndStatusBar) {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(".", {}), script);
    const std::string input = dir.file("input.bin"), longInput = dir.file("long.bin");
    writeFile(input, "1234");
    // The byte table counts offsets in 16 bits: a longer file fails.
    writeFile(longInput, std::string(40000, 'x'));
    // The filter in the dialogs' form; the choice is made without the
    // hourglass; the dumps keep it until "DONE" is closed.
    const std::string open = "open Files(*.*)\\0*.*\\0\\0 in " + dir.str(),
                      done = "exclamation Bank App: DONE (busy)";
    script.answers = {input, longInput};
    choose(*window, "mnuDecompile");
    EXPECT_EQ(windowText(window->hwnd()), "Z5 DEF TOOL " + input);
    EXPECT_EQ(window->statusText(),
              "File > Decompile: DONE, wrote outputlong.def, outputfloat.def, outputbyt.def");
    choose(*window, "mnuTxtDoc");
    EXPECT_EQ(script.asked, (std::vector<std::string>{open, done, open}));
    EXPECT_FALSE(hourglassShown());
    EXPECT_TRUE(window->statusText().starts_with("File > Text Doc: "));
}

// 3do > View opens a picture window; painted into a memory bitmap, the
// cube's projected corners are inked and the paper is white. Pointing at a
// corner shows its key and coordinates, and the picture saves as SVG. A file
// that cannot be read opens no window.
TEST(Win32Commands, PictureWindowPaintsPointsAndSaves) {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(".", {}), script);
    script.answers = {std::string(Z5_SAMPLES_DIR) + "/cube.3do"};
    choose(*window, "mnu3doView");
    const HWND shown = FindWindowExW(nullptr, nullptr, L"Z5DefPicture", nullptr);
    ASSERT_TRUE(shown);
    EXPECT_EQ(windowText(shown), "Z5 DEF TOOL cube.3do");
    auto* picture = reinterpret_cast<frmPicture*>(GetWindowLongPtrW(shown, GWLP_USERDATA));
    const picture::Drawing& drawing = picture->drawing();

    const int width = 800, height = 728;
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    paintDrawing(drawing, dc, width, height);
    const picture::PageFit fit = picture::fitPage(drawing, width, height);
    auto pixel = [&](picture::Vec2 page) {
        const picture::Vec2 at = fit.toDevice(page);
        const COLORREF c = GetPixel(dc, int(at.x + 0.5), int(at.y + 0.5));
        return (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
    };
    for (std::size_t p = 1; p < drawing.panels.size(); ++p)
        for (const picture::Dot& dot : drawing.panels[p].dots)
            EXPECT_LT(pixel(drawing.panels[p].toPage(dot.at)), 128) << drawing.panels[p].id;
    const picture::Frame& top = drawing.panels[1].frame;
    EXPECT_EQ(pixel({top.left + top.width / 2, top.top + top.height / 2}), 255);
    EXPECT_EQ(pixel({drawing.width - 2, 2}), 255);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);

    // Pointing at the first corner in the top view, at the window's size.
    const picture::Vec2 corner =
        picture->fit().toDevice(drawing.panels[1].toPage(drawing.panels[1].dots[0].at));
    picture->pointAt(int(corner.x + 0.5), int(corner.y + 0.5));
    EXPECT_EQ(picture->statusText(), "key 0: -100, -100, -100");
    picture->pointAt(0, 0);
    EXPECT_EQ(picture->statusText(), "");

    script.answers = {dir.file("cube")};  // .svg is added
    picture->mnuSaveSvg_Click();
    EXPECT_NE(readFile(dir.file("cube.svg")).find("<g id=\"iso\">"), std::string::npos);
    EXPECT_EQ(windowText(shown), "Z5 DEF TOOL cube.3do");
    DestroyWindow(shown);

    script.answers = {dir.file("missing.trk")};
    choose(*window, "mnuTrkView");
    EXPECT_TRUE(window->statusText().starts_with("Trk > View...: "));
    EXPECT_FALSE(FindWindowExW(nullptr, nullptr, L"Z5DefPicture", nullptr));
}

// Files dropped from Explorer (WM_DROPFILES) reach the controller; Clean Up's
// question is asked.
TEST(Win32Commands, DroppedFilesAndCleanUp) {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(".", {}), script);
    EXPECT_TRUE(GetWindowLongW(window->hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    const std::wstring list = widen(std::string(Z5_SAMPLES_DIR) + "/oval.trk") + L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (list.size() + 1) * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    *files = {sizeof(DROPFILES), {}, FALSE, TRUE};
    std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(files + 1));
    GlobalUnlock(memory);
    SendMessageW(window->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(window->statusText(), "Trk > Def Tools > Decompile: DONE, wrote Trk.def");
    EXPECT_TRUE(fileExists(dir.file("Trk.def")));

    writeFile(dir.file("dattext.pck"), "GAME\r\n1\r\nTrk.def\r\n");
    script.yes = false;
    choose(*window, "mnuCleanUp");
    EXPECT_EQ(script.asked,
              (std::vector<std::string>{
                  "exclamation Bank App: DONE",
                  "question Z5 Def Tool: Delete the 1 file that dattext.pck lists?"}));
    EXPECT_TRUE(fileExists(dir.file("Trk.def")));
}

// Trk > View of Trk.def opens within the work area and follows the file: a
// save is drawn a moment later with the zoom kept, one that does not read
// leaves the picture and says why until the file reads again.
TEST(Win32Commands, PictureWindowFollowsItsFile) {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(".", {}), script);
    script.answers = {std::string(Z5_SAMPLES_DIR) + "/speedway.trk", dir.file("Trk.def")};
    choose(*window, "mnuTrkDecompile");
    const std::string def = readFile(dir.file("Trk.def"));
    choose(*window, "mnuTrkView");
    const HWND shown = FindWindowExW(nullptr, nullptr, L"Z5DefPicture", nullptr);
    ASSERT_TRUE(shown);
    auto* picture = reinterpret_cast<frmPicture*>(GetWindowLongPtrW(shown, GWLP_USERDATA));
    RECT frame{};
    GetWindowRect(shown, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(shown, MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_GE(frame.left, monitor.rcWork.left);
    EXPECT_GE(frame.top, monitor.rcWork.top);
    EXPECT_LE(frame.right, monitor.rcWork.right);
    EXPECT_LE(frame.bottom, monitor.rcWork.bottom);
    EXPECT_EQ(firstHeight(picture->drawing()), 0);

    // Zoomed in the Height 1 panel by a notch of the wheel.
    const picture::Panel& panel = picture->drawing().panels[2];
    ASSERT_EQ(panel.id, "banking-height-1");
    const picture::Vec2 middle = picture->fit().toDevice(
        {panel.frame.left + panel.frame.width / 2, panel.frame.top + panel.frame.height / 2});
    POINT at{static_cast<LONG>(middle.x), static_cast<LONG>(middle.y)};
    ClientToScreen(shown, &at);
    SendMessageW(shown, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(at.x, at.y));
    const double zoomed = picture->drawing().panels[2].scaleY;
    EXPECT_NE(zoomed, picture->picture().drawing().panels[2].scaleY);

    std::string edited = def;
    saveByRename(dir.file("Trk.def"), edited.replace(edited.find(kFirstBankingRow),
                                                     kFirstBankingRow.size(), kRaisedBankingRow));
    EXPECT_TRUE(messagesUntil([&] { return firstHeight(picture->drawing()) == 3000; }));
    EXPECT_EQ(picture->drawing().panels[2].scaleY, zoomed);

    saveByRename(dir.file("Trk.def"), def.substr(0, def.find("SURFACES:")));
    EXPECT_TRUE(messagesUntil([&] { return picture->statusText().starts_with("Trk.def:"); }));
    EXPECT_NE(picture->statusText().find("the file ends early"), std::string::npos);
    EXPECT_EQ(firstHeight(picture->drawing()), 3000);
    writeFile(dir.file("Trk.def"), def);  // in place this time
    EXPECT_TRUE(messagesUntil([&] { return firstHeight(picture->drawing()) == 0; }));
    EXPECT_EQ(picture->statusText(), "");
    DestroyWindow(shown);
}

// A literal with NULs inside, without the one that ends it.
template <std::size_t N>
std::wstring withNuls(const wchar_t (&text)[N]) {
    return std::wstring(text, N - 1);
}

TEST(Win32Host, FiltersInTheDialogsForm) {
    const std::pair<std::string, std::wstring> cases[] = {
        {"Both|*.a;*.b|3do Files(*.3do)|*.3do", withNuls(L"Both\0*.a;*.b\0"
                                                         L"3do Files(*.3do)\0*.3do\0\0")},
        {"Fichiers \xC3\xA9t\xC3\xA9|*.x", withNuls(L"Fichiers \u00e9t\u00e9\0*.x\0\0")},
        // A shown text without its pattern is dropped.
        {"Shown|*.a|Orphan", withNuls(L"Shown\0*.a\0\0")},
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(visible(win32Filter(filter)), visible(expected)) << filter;
}

TEST(Win32Host, ChoicesCaptionAndPointer) {
    TempFolder work;
    frmZ5Def window;
    DialogScript script;
    ScriptedDialogs dialogs(script);
    std::vector<std::string> notices;
    Win32Host host(window.hwnd(), dialogs, work.str(),
                   [&](const std::string& line) { notices.push_back(line); });
    // Names cross as UTF-8 both ways; a cancelled choice is none.
    const std::string name = work.file("\xE3\x83\x88\xE3\x83\xA9\xE3\x83\x83\xE3\x82\xAF.3do");
    script.answers = {name, ""};
    EXPECT_EQ(host.saveFileName("3do Files(*.3do)|*.3do", work.str(), "box.3do"), name);
    EXPECT_FALSE(host.openFileName("Files(*.*)|*.*"));
    host.messageBox("DONE", "Bank App");
    host.notice("Trk.def:12: no number, read as 0");
    EXPECT_EQ(script.asked,
              (std::vector<std::string>{
                  "save 3do Files(*.3do)\\0*.3do\\0\\0 in " + work.str() + " as box.3do",
                  "open Files(*.*)\\0*.*\\0\\0 in " + work.str(), "exclamation Bank App: DONE"}));
    EXPECT_EQ(notices, std::vector<std::string>{"Trk.def:12: no number, read as 0"});
    EXPECT_EQ(host.workingFolder(), work.str());
    host.setCaption("Z5 DEF TOOL " + name);
    EXPECT_EQ(windowText(window.hwnd()), "Z5 DEF TOOL " + name);

    // The pointer is restored however often busy was asked for, and when a
    // host goes while busy.
    for (bool busy : {true, true, false}) host.setBusy(busy);
    EXPECT_FALSE(hourglassShown());
    {
        Win32Host other(window.hwnd(), dialogs, {}, [](const std::string&) {});
        other.setBusy(true);
        EXPECT_TRUE(hourglassShown());
    }
    EXPECT_FALSE(hourglassShown());
}

TEST(Win32Start, ProgramsStartInTheirFolderOrGiveTheSystemsReason) {
    TempFolder dir;
    SystemStarter starter;
    EXPECT_EQ(starter.start("cmd.exe /c echo started> started.txt", dir.str()), "");
    // Not waited for: the file appears once cmd.exe runs, and holds its line
    // once cmd.exe has written it.
    EXPECT_EQ(contentOnceItHolds(dir.file("started.txt"), "started\r\n"), "started\r\n");
    EXPECT_EQ(starter.start("z5-no-such-program.exe", dir.str()),
              windowsMessage(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(starter.start("   ", dir.str()), "the command line is empty");

    // The command shell: %COMSPEC%, in quotes when it holds a blank.
    auto shell = [](std::string comspec) {
        return shellCommandLine([=](const char*) { return comspec; });
    };
    EXPECT_EQ(shell("C:\\windows\\system32\\cmd.exe"), "C:\\windows\\system32\\cmd.exe");
    EXPECT_EQ(shell("C:\\Program Files\\sh.exe"), "\"C:\\Program Files\\sh.exe\"");
    EXPECT_EQ(shell(""), "cmd.exe");
}

}  // namespace
}  // namespace z5
