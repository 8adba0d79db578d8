// The main window's menu tree as data, free of any window toolkit: every
// front end that draws a window builds its menu bar from this table, and the
// help lists it.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "window/settings.hpp"

namespace z5 {

enum class MenuRole {
    Submenu,    // opens the entries whose parent it is
    Separator,  // a line between entries
    Command,    // a converter: the command table has a row of the entry's name
    Shell,      // handled by the window itself: see ShellEntry
    Program,    // external program 1 .. 6, caption from z5.ini
    Nothing,    // shown but without a command in this version
};

// The entries the window handles itself.
enum class ShellEntry {
    DosWindow,  // the command shell in the working folder
    Exit,       // closes the window
    About,      // the About window
    // Runs of many files whose reasons and verdicts show in a list window.
    ExtractWorkspace,  // asks for an archive; z5def extract into the default folder
    BuildWorkspace,    // asks for a workspace's dattext.pck; z5def build
    Verify,            // asks for a file or a folder; z5def verify
    Check,             // asks for a file or a folder; z5def check
    ListArchive,       // asks for an archive; z5def list
    Compare,           // asks for two files; z5def diff
};

struct MenuEntry {
    std::string_view name;     // object name, e.g. "mnuTrkDecompile"
    std::string_view caption;  // "&" marks the access key; "-" for separators, empty for programs
    std::string_view parent;   // empty for the menu bar
    MenuRole role;
    bool enabledAtStart;
    // Disabled at start only to keep this version's window as it always
    // was; the --all-commands switch enables it so every converter can be
    // reached from the window too.
    bool enabledByAllCommands = false;
    int program = 0;                 // 1 .. 6 for Program entries
    std::string_view shortcut = {};  // "Ctrl+F1" .. "Ctrl+F6" for Program entries
    ShellEntry shell = {};           // for Shell entries
};

// Every entry in menu order: a parent always comes before its entries.
std::span<const MenuEntry> menuTree();
// The position of the entry `name` in menuTree(); its size for none.
std::size_t menuIndex(std::string_view name);

// How an entry shows once the window has read its settings: a program slot
// takes its caption from them and is disabled without one; the other
// entries keep their own captions and are enabled at start, or with
// --all-commands (`allCommands`) where that enables them.
struct MenuState {
    std::string_view caption;
    bool enabled;
};
MenuState menuState(const MenuEntry& entry, const Settings& settings, bool allCommands);

// "File > Text Doc": the captions without access keys from the menu bar
// down to the entry `name`.
std::string menuPath(std::string_view name);

// The caption without its access-key marks ("&Clean  Up" gives "Clean  Up";
// "&&" stands for one "&").
std::string stripAccessKeys(std::string_view caption);

}  // namespace z5
