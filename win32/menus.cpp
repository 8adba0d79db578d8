#include "win32/menus.hpp"

#include "textfmt/files.hpp"

namespace z5 {
namespace {

// "Ctrl+F1" .. "Ctrl+F12" as a virtual key with Ctrl; false for anything else.
bool parseShortcut(std::string_view shortcut, ACCEL& accel) {
    constexpr std::string_view prefix = "Ctrl+F";
    if (!shortcut.starts_with(prefix)) return false;
    int n = 0;
    for (char c : shortcut.substr(prefix.size())) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > 12) return false;
    accel.fVirt = FVIRTKEY | FCONTROL;
    accel.key = static_cast<WORD>(VK_F1 + n - 1);
    return true;
}

}  // namespace

UINT menuCommandId(std::string_view name) {
    const std::size_t index = menuIndex(name);
    return index < menuTree().size() ? kFirstMenuId + static_cast<UINT>(index) : 0;
}

const MenuEntry* menuEntryOfCommand(UINT id) {
    if (id < kFirstMenuId || id - kFirstMenuId >= menuTree().size()) return nullptr;
    return &menuTree()[id - kFirstMenuId];
}

std::wstring menuItemText(std::string_view caption, std::string_view shortcut) {
    std::wstring text = widen(caption);
    if (!shortcut.empty()) text += L'\t' + widen(shortcut);
    return text;
}

MenuBar::MenuBar() : bar_(CreateMenu()) {
    const auto tree = menuTree();
    places_.resize(tree.size());
    std::vector<HMENU> submenus(tree.size(), nullptr);
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const MenuEntry& e = tree[i];
        const std::size_t parent = menuIndex(e.parent);
        HMENU menu = parent < tree.size() ? submenus[parent] : bar_;
        std::wstring text = menuItemText(e.caption, e.shortcut);
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_DATA | MIIM_FTYPE;
        item.wID = kFirstMenuId + static_cast<UINT>(i);
        item.dwItemData = i;
        if (e.role == MenuRole::Separator) {
            item.fType = MFT_SEPARATOR;
        } else {
            item.fType = MFT_STRING;
            item.fMask |= MIIM_STRING;
            item.dwTypeData = text.data();
        }
        if (e.role == MenuRole::Submenu) {
            submenus[i] = CreatePopupMenu();
            item.fMask |= MIIM_SUBMENU;
            item.hSubMenu = submenus[i];
        }
        const UINT position = static_cast<UINT>(GetMenuItemCount(menu));
        InsertMenuItemW(menu, position, TRUE, &item);
        places_[i] = {menu, position};
    }
}

void MenuBar::apply(const MenuEntry& entry, const MenuState& state) {
    const std::size_t index = menuIndex(entry.name);
    if (index >= places_.size() || entry.role == MenuRole::Separator) return;
    std::wstring text = menuItemText(state.caption, entry.shortcut);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING | MIIM_STATE;
    item.dwTypeData = text.data();
    item.fState = state.enabled ? MFS_ENABLED : MFS_GRAYED;
    SetMenuItemInfoW(places_[index].menu, places_[index].position, TRUE, &item);
}

HACCEL createAccelerators() {
    std::vector<ACCEL> keys;
    for (const MenuEntry& e : menuTree()) {
        ACCEL accel{};
        if (!parseShortcut(e.shortcut, accel)) continue;
        accel.cmd = static_cast<WORD>(menuCommandId(e.name));
        keys.push_back(accel);
    }
    keys.push_back({FVIRTKEY, VK_F1, static_cast<WORD>(kHelpCommandId)});
    return CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

std::vector<std::string> menuBarCaptions(HMENU bar) {
    std::vector<std::string> captions;
    const int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(bar, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        captions.push_back(narrow(text));
    }
    return captions;
}

}  // namespace z5
