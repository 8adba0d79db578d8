// The main window's menu tree as data: the window builds its menu bar from
// this table, and the help lists it.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace z5 {

enum class MenuRole {
    Submenu,    // opens the entries whose parent it is
    Separator,  // a line between entries
    Command,    // a converter from the command table, found by the entry's name
    Shell,      // handled by the window itself (Dos Window, Exit, About)
    Program,    // external program 1 .. 6, caption from z5.ini
    Nothing,    // shown but without a command in this version
};

struct MenuEntry {
    std::string_view name;     // object name, e.g. "mnuTrkDecompile"
    std::string_view caption;  // "&" marks the access key; empty for programs
    std::string_view parent;   // empty for the menu bar
    MenuRole role;
    bool enabledAtStart;
    // Disabled at start only to keep this version's window as it always
    // was; the --all-commands switch enables it so every converter can be
    // reached from the window too.
    bool enabledByAllCommands = false;
    int program = 0;  // 1 .. 6 for Program entries (shortcut Ctrl+F<program>)
};

// Every entry in menu order: a parent always comes before its entries.
std::span<const MenuEntry> menuTree();

// "File > Text Doc": the captions without access keys from the menu bar
// down to the entry `name`.
std::string menuPath(std::string_view name);

// The caption without its access-key marks ("&Clean  Up" gives "Clean  Up";
// "&&" stands for one "&").
std::string stripAccessKeys(std::string_view caption);

}  // namespace z5
