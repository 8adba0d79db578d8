// The main window's menu bar and keyboard shortcuts built from the shared
// menu tree (window/menu.hpp).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "window/menu.hpp"

namespace z5 {

// Each entry's command id is kFirstMenuId plus its index in menuTree();
// F1 sends kHelpCommandId.
inline constexpr UINT kFirstMenuId = 1000;
inline constexpr UINT kHelpCommandId = 999;

// The command id of the entry `name`; 0 for none.
UINT menuCommandId(std::string_view name);
// The entry a command id stands for; nullptr for none.
const MenuEntry* menuEntryOfCommand(UINT id);

// An item's text: the caption with its "&" access-key marks, and a shortcut
// after a tab, where the menu shows it right-aligned.
std::wstring menuItemText(std::string_view caption, std::string_view shortcut);

// The menu bar: every entry of menuTree() in order, with its own caption and
// enabled. Each item carries its index in menuTree() as its item data. The
// window the bar is set on owns and destroys it.
class MenuBar {
public:
    MenuBar();
    HMENU handle() const { return bar_; }
    // Shows `entry` with the caption and state of `state`.
    void apply(const MenuEntry& entry, const MenuState& state);

private:
    struct Place {
        HMENU menu;
        UINT position;
    };
    HMENU bar_;
    std::vector<Place> places_;  // by index in menuTree()
};

// Ctrl+F1 .. Ctrl+F6 for the program entries and F1 for the help.
HACCEL createAccelerators();

// The captions of the menu bar's items from left to right.
std::vector<std::string> menuBarCaptions(HMENU bar);

}  // namespace z5
