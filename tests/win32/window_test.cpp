// The Win32 window in this process, on the tests' display: z5.ini and how
// start-up ends when it cannot, the menu tree and its shortcuts, programs
// and the command shell, About and help, the drive and folder lists.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "commands/help.hpp"
#include "commands/table.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "tests/win32/win32_support.hpp"
#include "win32/folders.hpp"
#include "win32/popups.hpp"
#include "win32/system.hpp"

namespace z5 {
namespace {

using namespace test;
namespace fs = std::filesystem;

// The menu as the window holds it (see menuRow), each item named by its
// item data.
void collect(HMENU menu, std::string_view parent, std::vector<std::string>& rows) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_DATA | MIIM_SUBMENU | MIIM_ID;
        item.dwTypeData = text;
        item.cch = 256;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item));
        ASSERT_LT(item.dwItemData, menuTree().size());
        const MenuEntry& entry = menuTree()[item.dwItemData];
        EXPECT_EQ(item.wID, menuCommandId(entry.name));
        const std::string shown = narrow(text);
        const std::size_t tab = shown.find('\t');
        const std::string caption = (item.fType & MFT_SEPARATOR) ? "-" : shown.substr(0, tab);
        const std::string shortcut = tab == std::string::npos ? "" : shown.substr(tab + 1);
        rows.push_back(menuRow(entry.name, caption, parent, shortcut,
                               (item.fState & MFS_GRAYED) ? "off" : "on"));
        if (item.hSubMenu) collect(item.hSubMenu, entry.name, rows);
    }
}

TEST(Win32Window, StartUpReadsZ5IniOrEndsWithTheReason) {
    TempFolder dir;
    InFolder in(dir.str());
    const std::string gone = dir.file("gone"), file = dir.file("z5.ini");
    const auto cases = startUpFailures(dir.str(), gone, file);
    DialogScript script;
    std::vector<std::string> expected;
    for (const auto& [ini, reason] : cases) {
        if (!ini.empty()) writeFile(file, ini);
        frmZ5Def window;
        window.setDialogs(std::make_unique<ScriptedDialogs>(script));
        EXPECT_FALSE(window.Form_Load()) << reason;
        expected.push_back("error Z5 Def Tool: " + reason);
    }
    EXPECT_EQ(script.asked, expected);

    // A relative start folder is taken from the current directory: "." is
    // the folder the window starts in, as the Windows ZIP's z5.ini has it.
    fs::create_directory(dir.path() / "data");
    for (const auto& [start, folder] : {std::pair{"data", dir.file("data")}, {".", dir.str()}}) {
        writeFile(file, iniText(start, {}));
        frmZ5Def window;
        ASSERT_TRUE(window.Form_Load());
        EXPECT_EQ(window.workingFolder(), folder);
    }
}

TEST(Win32Window, MenuTreeAndShortcutsAsTheTableSays) {
    TempFolder dir;
    for (const bool allCommands : {false, true}) {
        DialogScript script;
        auto window = loadWindow(dir.str(), iniText(".", testPrograms()), script,
                                 {.allCommands = allCommands});
        std::vector<std::string> rows;
        collect(GetMenu(window->hwnd()), "", rows);
        EXPECT_EQ(rows, expectedMenuRows(allCommands))
            << (allCommands ? "with --all-commands" : "as it starts");
    }

    // Ctrl+F1 .. Ctrl+F6 choose the program entries, F1 shows the help.
    HACCEL table = createAccelerators();
    ACCEL keys[16];
    const int count = CopyAcceleratorTableW(table, keys, 16);
    DestroyAcceleratorTable(table);
    std::vector<std::string> shortcuts;
    for (int i = 0; i < count; ++i) {
        const MenuEntry* entry = menuEntryOfCommand(keys[i].cmd);
        shortcuts.push_back(std::string(keys[i].fVirt & FCONTROL ? "Ctrl+" : "") + "F" +
                            std::to_string(keys[i].key - VK_F1 + 1) + " " +
                            (entry                           ? std::string(entry->name)
                             : keys[i].cmd == kHelpCommandId ? "help"
                                                             : "?"));
    }
    EXPECT_EQ(shortcuts,
              (std::vector<std::string>{"Ctrl+F1 mnuProgram1", "Ctrl+F2 mnuProgram2",
                                        "Ctrl+F3 mnuProgram3", "Ctrl+F4 mnuProgram4",
                                        "Ctrl+F5 mnuProgram5", "Ctrl+F6 mnuProgram6", "F1 help"}));
}

TEST(Win32Window, ProgramsAndTheCommandShellStartInTheWorkingFolder) {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(".", testPrograms()), script);
    std::vector<std::string> starts;
    window->setStarter(std::make_unique<RecordingStarter>(starts, "view"));
    choose(*window, "mnuProgram1");
    choose(*window, "mnuProgram3");  // unused: disabled, nothing
    choose(*window, "mnuProgram2");  // fails: the reason, the window goes on
    choose(*window, "mnuDos");
    // LP's Decompile and Compile are enabled and do nothing; entries that
    // are disabled, or under a disabled menu, do nothing either.
    for (const char* name :
         {"mnuLpDecompile", "mnuLpCompile", "mnu3doCompile", "mnuCamDecompile", "mnuValueSearch"})
        choose(*window, name);
    const std::string in = " in " + window->workingFolder();
    EXPECT_EQ(starts,
              (std::vector<std::string>{"ed one" + in, "view" + in, shellCommandLine() + in}));
    EXPECT_EQ(script.asked, std::vector<std::string>{
                                "exclamation Z5 Def Tool: Cannot start \"view\": no such program"});
    EXPECT_EQ(window->statusText(), "");
}

TEST(Win32Window, HelpAndAboutShowOnceWithoutBlockingTheWindow) {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(".", {}), script);
    SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(kHelpCommandId, 1), 0);  // F1
    HWND help = window->help().hwnd();
    ASSERT_TRUE(help && IsWindowVisible(help));
    std::string text;
    for (char c : helpText()) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(windowText(window->help().text()), text);
    EXPECT_TRUE(GetWindowLongW(window->help().text(), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongW(help, GWL_STYLE) & WS_THICKFRAME);  // resizable
    SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(kHelpCommandId, 1), 0);
    EXPECT_EQ(window->help().hwnd(), help);

    choose(*window, "mnuAbout");
    HWND about = window->about().hwnd();
    choose(*window, "mnuAbout");
    ASSERT_EQ(window->about().hwnd(), about);
    ASSERT_TRUE(about && IsWindowVisible(about));
    EXPECT_TRUE(IsWindowEnabled(window->hwnd()));  // not modal
    RECT frame{};
    GetWindowRect(about, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(about, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& screen = monitor.rcMonitor;
    EXPECT_LE(std::abs(frame.left + frame.right - screen.left - screen.right), 2);
    EXPECT_LE(std::abs(frame.top + frame.bottom - screen.top - screen.bottom), 2);
    // The picture button closes it; About opens it again.
    EXPECT_TRUE(SendMessageW(window->about().cmdOK(), BM_GETIMAGE, IMAGE_BITMAP, 0));
    SendMessageW(window->about().cmdOK(), BM_CLICK, 0, 0);
    EXPECT_FALSE(window->about().hwnd());
    EXPECT_FALSE(IsWindow(about));
    choose(*window, "mnuAbout");
    EXPECT_TRUE(window->about().hwnd() && IsWindowVisible(window->about().hwnd()));
    EXPECT_TRUE(script.asked.empty());
}

TEST(Win32Window, LabelsLogoAndIcon) {
    TempFolder dir;
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(".", {}), script);
    HWND w = window->hwnd();
    EXPECT_EQ(windowText(w), "Z5 Def Tool");
    EXPECT_EQ(windowText(GetDlgItem(w, kLabel1)), "DEF TOOL");
    EXPECT_EQ(windowText(GetDlgItem(w, kLabel2)), "V1.6");
    EXPECT_EQ(windowText(GetDlgItem(w, kLabel3)), "Press F1 for help");
    for (int label : {kLabel1, kLabel2}) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(w, label), WM_GETFONT, 0, 0)),
                   sizeof font, &font);
        EXPECT_EQ(std::wstring(font.lfFaceName), L"Times New Roman");
    }
    EXPECT_TRUE(SendMessageW(GetDlgItem(w, kImage1), STM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_TRUE(GetClassLongPtrW(w, GCLP_HICON));
}

TEST(Win32Window, FolderListShowsThePathAndOpensSubfoldersByDoubleClick) {
    TempFolder dir;
    for (const char* sub : {"b", "A", "c d", "hidden", "A\\deep"})
        fs::create_directory(dir.path() / sub);
    SetFileAttributesW((dir.path() / "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    writeFile(dir.file("file.txt"), "x");
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(".", {}), script);

    // The root, each folder down to the working folder (open, each a level
    // deeper), then its subfolders by name (closed).
    std::vector<std::string> down, rows, expected;
    for (fs::path p = dir.path(); p != p.root_path(); p = p.parent_path())
        down.insert(down.begin(), pathText(p));
    down.insert(down.begin(), pathText(dir.path().root_path()));
    for (const auto& row : window->folderRows())
        rows.push_back(row.open ? row.path + " at " + std::to_string(row.depth) : row.name);
    for (std::size_t i = 0; i < down.size(); ++i)
        expected.push_back(down[i] + " at " + std::to_string(i));
    for (const char* sub : {"A", "b", "c d"}) expected.push_back(sub);
    EXPECT_EQ(rows, expected);
    HWND list = GetDlgItem(window->hwnd(), kDirList1);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), static_cast<LRESULT>(down.size() - 1));

    auto doubleClick = [&](std::size_t row) {
        SendMessageW(list, LB_SETCURSEL, row, 0);
        SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(kDirList1, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(list));
        return window->workingFolder();
    };
    EXPECT_EQ(doubleClick(down.size()), dir.file("A"));
    EXPECT_EQ(window->folderRows().back().name, "deep");
    EXPECT_EQ(doubleClick(down.size() - 1), dir.str());  // back up the path
    // A folder gone since it was listed: the reason, and the list as it is.
    fs::remove(dir.path() / "b");
    EXPECT_EQ(doubleClick(down.size() + 1), dir.str());
    EXPECT_EQ(script.asked, std::vector<std::string>{"exclamation Z5 Def Tool: " + dir.file("b") +
                                                     ": " + windowsMessage(ERROR_FILE_NOT_FOUND)});
}

TEST(Win32Window, DriveListSwitchesToTheFolderLastUsedThere) {
    TempFolder dir;
    for (const char* sub : {"a\\deep", "b\\x"}) fs::create_directories(dir.path() / sub);
    const std::string a = dir.file("a"), b = dir.file("b"), gone = dir.file("c");
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(dir.file("a\\deep"), {}), script);
    window->setDrives({a, b, gone});
    EXPECT_EQ(window->driveRows(), (std::vector<std::string>{a, b, gone}));
    EXPECT_EQ(window->chosenDrive(), 0);
    HWND drives = GetDlgItem(window->hwnd(), kDrvList1);
    auto pick = [&](int index) {  // picks a drive; the working folder it shows
        SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(kDrvList1, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(drives));
        return window->workingFolder();
    };
    EXPECT_EQ(pick(1), b);  // never visited: its root
    EXPECT_TRUE(window->DirList1_Change(b + "\\x"));
    EXPECT_EQ(window->chosenDrive(), 1);  // the drive list follows the folder list
    EXPECT_EQ(pick(0), a + "\\deep");     // back to the folder last used there
    EXPECT_EQ(pick(1), b + "\\x");
    fs::remove(dir.path() / "b\\x");
    EXPECT_EQ(pick(0), a + "\\deep");
    EXPECT_EQ(pick(1), b);  // its last folder is gone: the root
    EXPECT_EQ(pick(2), b);  // not there: the reason, and the lists stay as they were
    EXPECT_EQ(window->chosenDrive(), 1);
    EXPECT_EQ(script.asked, std::vector<std::string>{"exclamation Z5 Def Tool: " + gone + ": " +
                                                     windowsMessage(ERROR_FILE_NOT_FOUND)});
}

TEST(Win32Folders, CleanFoldersAndVolumes) {
    const std::pair<std::string, std::string> clean[] = {
        {"C:\\a\\..\\b\\", "C:\\b"},
        {"C:/x/./y", "C:\\x\\y"},
        {"C:\\", "C:\\"},
        {"c:/", "c:\\"},
    };
    for (const auto& [folder, expected] : clean) EXPECT_EQ(cleanFolder(folder), expected) << folder;

    const std::vector<std::string> roots = {"C:\\", "C:\\Games", "D:\\"};
    const std::pair<std::string, std::string> volumes[] = {
        {"C:\\Games\\oval", "C:\\Games"},
        {"c:\\GAMES", "C:\\Games"},  // without regard to case
        {"C:\\Gamesx", "C:\\"},      // only at a separator
        {"D:\\", "D:\\"},
        {"E:\\x", ""},
    };
    for (const auto& [folder, root] : volumes) EXPECT_EQ(volumeOf(folder, roots), root) << folder;

    // The machine's drives end in a separator; the list shows them as "x:".
    for (const std::string& root : logicalDrives()) {
        ASSERT_EQ(root.size(), 3u);
        EXPECT_EQ(root.substr(1), ":\\");
        EXPECT_TRUE(driveCaption(root).starts_with(std::string{asciiLower(root[0]), ':'}));
    }
    EXPECT_EQ(driveCaption("C:\\not\\a\\drive"), "C:\\not\\a\\drive");
}

}  // namespace
}  // namespace z5
