// The Win32 window in this process, on the tests' display: the menu tree and
// its shortcuts, boxes, About and help, labels, the drive and folder lists
// forwarding to the controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "commands/table.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "tests/win32/win32_support.hpp"
#include "win32/folders.hpp"
#include "win32/popups.hpp"
#include "win32/system.hpp"
#include "window/help.hpp"
#include "window/texts.hpp"

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

TEST(Win32Window, EntriesReachTheControllerAndBoxesShow) {
    TempFolder dir;
    DialogScript script;
    {
        InFolder in(dir.str());  // no z5.ini: an error box, no window
        frmZ5Def window;
        window.setDialogs(std::make_unique<ScriptedDialogs>(script));
        EXPECT_FALSE(window.Form_Load());
    }
    auto window = loadWindow(dir.str(), iniText(".", testPrograms()), script);
    std::vector<std::string> starts;
    window->controller().setStarter(std::make_unique<RecordingStarter>(starts, "view"));
    choose(*window, "mnuProgram1");
    choose(*window, "mnuProgram3");  // unused: disabled, nothing
    choose(*window, "mnuProgram2");  // fails: a warning box
    EXPECT_EQ(starts, (std::vector<std::string>{"ed one in " + dir.str(), "view in " + dir.str()}));
    EXPECT_EQ(script.asked,
              (std::vector<std::string>{
                  "error Z5 Def Tool: no z5.ini in " + dir.str() + settingsHelp(),
                  "exclamation Z5 Def Tool: Cannot start \"view\": no such program"}));
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
    const LONG style = GetWindowLongW(window->help().text(), GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(GetWindowLongW(help, GWL_STYLE) & WS_THICKFRAME);  // resizable
    // Its lines wrap to the window: no horizontal scrolling, and a long
    // paragraph takes several lines of the control.
    EXPECT_FALSE(style & (ES_AUTOHSCROLL | WS_HSCROLL));
    const auto lines = SendMessageW(window->help().text(), EM_GETLINECOUNT, 0, 0);
    EXPECT_GT(lines, static_cast<LRESULT>(std::count(text.begin(), text.end(), '\n') + 20));
    SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(kHelpCommandId, 1), 0);
    EXPECT_EQ(window->help().hwnd(), help);

    choose(*window, "mnuAbout");
    HWND about = window->about().hwnd();
    choose(*window, "mnuAbout");
    ASSERT_EQ(window->about().hwnd(), about);
    ASSERT_TRUE(about && IsWindowVisible(about));
    for (std::size_t i = 0; i < kAboutLineCount; ++i)
        EXPECT_EQ(windowText(GetDlgItem(about, 11 + static_cast<int>(i))), kAboutLines[i]);
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
    EXPECT_EQ(windowText(GetDlgItem(w, kLabel2)), kLabel2Text);
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
                                                     ": " + std::strerror(ENOENT)});
}

TEST(Win32Window, DriveListForwardsThePickAndFollowsTheFolder) {
    TempFolder dir;
    for (const char* sub : {"a\\deep", "b"}) fs::create_directories(dir.path() / sub);
    const std::string a = dir.file("a"), b = dir.file("b");
    DialogScript script;
    auto window = loadWindow(dir.str(), iniText(dir.file("a\\deep"), {}), script);
    window->setDrives({a, b});
    EXPECT_EQ(window->driveRows(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(window->chosenDrive(), 0);
    HWND drives = GetDlgItem(window->hwnd(), kDrvList1);
    SendMessageW(drives, CB_SETCURSEL, 1, 0);
    SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(kDrvList1, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drives));
    EXPECT_EQ(window->workingFolder(), b);
    EXPECT_EQ(window->folderRows().back().path, b);
    // The working folder's full path stands in a read-only line.
    HWND line = GetDlgItem(window->hwnd(), kFolderText);
    EXPECT_EQ(windowText(line), b);
    EXPECT_TRUE(GetWindowLongW(line, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(window->controller().folderChosen(a));
    EXPECT_EQ(window->chosenDrive(), 0);  // the drive list follows the folder list
    EXPECT_TRUE(script.asked.empty());
}

// z5def.exe and z5deftool.exe carry the version information Explorer shows.
TEST(Win32Programs, VersionInformation) {
    for (const auto& [exe, description] : {std::pair{Z5DEF_EXE, "Z5 Def Tool command line"},
                                           {Z5DEFTOOL_EXE, "Z5 Def Tool window"}}) {
        const std::wstring path = widen(exe);
        DWORD handle = 0;
        std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), &handle));
        ASSERT_FALSE(info.empty()) << exe;
        ASSERT_TRUE(
            GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        auto value = [&](const char* name) {
            void* text = nullptr;
            UINT length = 0;
            const std::wstring key = L"\\StringFileInfo\\040904B0\\" + widen(name);
            if (!VerQueryValueW(info.data(), key.c_str(), &text, &length)) return std::string();
            return narrow(static_cast<const wchar_t*>(text));
        };
        EXPECT_EQ(value("ProductName"), "Z5 Def Tool") << exe;
        EXPECT_EQ(value("ProductVersion"), Z5_VERSION) << exe;
        EXPECT_EQ(value("FileDescription"), description) << exe;
        EXPECT_EQ(value("OriginalFilename"), fs::path(exe).filename().string());
        EXPECT_TRUE(value("LegalCopyright").ends_with("MIT licence.")) << value("LegalCopyright");
    }
}

TEST(Win32Folders, CleanFoldersAndDrives) {
    const std::pair<std::string, std::string> clean[] = {
        {"C:\\a\\..\\b\\", "C:\\b"},
        {"C:/x/./y", "C:\\x\\y"},
        {"C:\\", "C:\\"},
        {"c:/", "c:\\"},
    };
    for (const auto& [folder, expected] : clean) EXPECT_EQ(cleanFolder(folder), expected) << folder;

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
