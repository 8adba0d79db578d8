#include "window/menu.hpp"

#include <array>
#include <string>

namespace z5 {
namespace {

using R = MenuRole;

constexpr MenuEntry sub(std::string_view name, std::string_view caption, std::string_view parent,
                        bool enabled = true, bool byAll = false) {
    return {name, caption, parent, R::Submenu, enabled, byAll};
}
constexpr MenuEntry line(std::string_view name, std::string_view parent) {
    return {name, "-", parent, R::Separator, true};
}
constexpr MenuEntry entry(std::string_view name, std::string_view caption, std::string_view parent,
                          MenuRole role, bool enabled = true, bool byAll = false) {
    return {name, caption, parent, role, enabled, byAll};
}
constexpr MenuEntry shell(std::string_view name, std::string_view caption, std::string_view parent,
                          ShellEntry what) {
    return {name, caption, parent, R::Shell, true, false, 0, {}, what};
}
constexpr std::string_view kProgramKeys[] = {"Ctrl+F1", "Ctrl+F2", "Ctrl+F3",
                                             "Ctrl+F4", "Ctrl+F5", "Ctrl+F6"};
constexpr MenuEntry program(std::string_view name, int n) {
    return {name, "", "mnuPrograms", R::Program, true, false, n, kProgramKeys[n - 1]};
}

constexpr std::array kMenuTree = {
    sub("mnuFile", "&File", ""),
    shell("mnuDos", "&Dos Window", "mnuFile", ShellEntry::DosWindow),
    line("mnuFileBlank1", "mnuFile"),
    entry("mnuUnpack", "&Unpack", "mnuFile", R::Command),
    entry("mnuPack", "&Pack", "mnuFile", R::Command),
    entry("mnuCleanUp", "&Clean  Up", "mnuFile", R::Command),
    shell("mnuListArchive", "&List Archive...", "mnuFile", ShellEntry::ListArchive),
    shell("mnuExtractWorkspace", "&Extract Workspace...", "mnuFile", ShellEntry::ExtractWorkspace),
    shell("mnuBuildWorkspace", "&Build Workspace...", "mnuFile", ShellEntry::BuildWorkspace),
    shell("mnuVerify", "Ve&rify...", "mnuFile", ShellEntry::Verify),
    shell("mnuCheck", "Chec&k...", "mnuFile", ShellEntry::Check),
    shell("mnuCompare", "Co&mpare...", "mnuFile", ShellEntry::Compare),
    line("mnuFileBlank3", "mnuFile"),
    entry("mnuDecompile", "&Decompile", "mnuFile", R::Command),
    entry("mnuTxtDoc", "&Text Doc", "mnuFile", R::Command),
    entry("mnuValueSearch", "&Value Search", "mnuFile", R::Nothing, false),
    line("mnuFileBlank2", "mnuFile"),
    shell("mnuExit", "E&xit", "mnuFile", ShellEntry::Exit),

    sub("mnu3do", "&3do", ""),
    sub("mnu3doDef", "&Def Tools", "mnu3do"),
    entry("mnu3doDecompile", "&Decompile", "mnu3doDef", R::Command),
    line("mnu3doBlank1", "mnu3doDef"),
    entry("mnu3doCompile", "&Compile", "mnu3doDef", R::Command, false, true),
    line("mnu3doBlank2", "mnu3do"),
    entry("mnu3doTools", "&Editing Tools", "mnu3do", R::Nothing, false),
    line("mnu3doBlank3", "mnu3do"),
    entry("mnu3doView", "&View...", "mnu3do", R::Command),
    entry("mnu3doExport", "E&xport OBJ...", "mnu3do", R::Command),
    entry("mnu3doPositions", "&Positions from OBJ...", "mnu3do", R::Command),

    sub("mnuTrk", "&Trk", ""),
    sub("mnuTrkDef", "&Def Tools", "mnuTrk"),
    entry("mnuTrkDecompile", "&Decompile", "mnuTrkDef", R::Command),
    line("mnuTrkBlank1", "mnuTrkDef"),
    entry("mnuTrkCompile", "&Compile", "mnuTrkDef", R::Command),
    line("mnuTrkBlank2", "mnuTrk"),
    entry("mnuTrkTools", "&Tools", "mnuTrk", R::Nothing, false),
    line("mnuTrkBlank3", "mnuTrk"),
    entry("mnuTrkView", "&View...", "mnuTrk", R::Command),

    sub("mnuLp", "&LP", ""),
    sub("mnuLPDef", "&Def Tools", "mnuLp"),
    entry("mnuLpDecompile", "&Decompile", "mnuLPDef", R::Nothing),
    line("mnuLpFileBlank1", "mnuLPDef"),
    entry("mnuLpCompile", "&Compile", "mnuLPDef", R::Nothing),
    line("mnuLpFileBlank2", "mnuLp"),
    entry("mnuLpTools", "&Tools", "mnuLp", R::Nothing, false),

    sub("mnuOther", "&Other", "", false, true),
    sub("mnuCamera", "&Camera", "mnuOther"),
    entry("mnuCamDecompile", "&Decompile", "mnuCamera", R::Command),
    line("mnuOtherBlank1", "mnuCamera"),
    entry("mnuCamCompile", "&Compile", "mnuCamera", R::Command),
    sub("mnuScr", "&Scr Files", "mnuOther"),
    entry("mnuScrDecompile", "&Decompile", "mnuScr", R::Command),
    line("mnuOtherBlank2", "mnuScr"),
    entry("mnuScrCompile", "&Compile", "mnuScr", R::Command),
    line("mnuOtherBlank3", "mnuOther"),
    sub("mnuSetupFiles", "Se&tup Files", "mnuOther"),
    entry("mnuSetupDecompile", "&Decompile", "mnuSetupFiles", R::Command),
    line("mnuOtherBlank5", "mnuSetupFiles"),
    entry("mnuSetupCompile", "&Compile", "mnuSetupFiles", R::Command),
    entry("mnuBinFiles", "&Bin Files", "mnuOther", R::Nothing, false),

    sub("mnuPrograms", "&Programs", ""),
    program("mnuProgram1", 1),
    line("mnuProgramBlank1", "mnuPrograms"),
    program("mnuProgram2", 2),
    line("mnuProgramBlank2", "mnuPrograms"),
    program("mnuProgram3", 3),
    line("mnuProgramBlank3", "mnuPrograms"),
    program("mnuProgram4", 4),
    line("mnuProgramBlank4", "mnuPrograms"),
    program("mnuProgram5", 5),
    line("mnuProgramBlank5", "mnuPrograms"),
    program("mnuProgram6", 6),

    shell("mnuAbout", "&About", "", ShellEntry::About),
};

}  // namespace

std::span<const MenuEntry> menuTree() {
    return kMenuTree;
}

std::size_t menuIndex(std::string_view name) {
    std::size_t i = 0;
    while (i < kMenuTree.size() && kMenuTree[i].name != name) ++i;
    return i;
}

MenuState menuState(const MenuEntry& entry, const Settings& settings, bool allCommands) {
    MenuState state{entry.caption,
                    entry.enabledAtStart || (allCommands && entry.enabledByAllCommands)};
    if (entry.role == MenuRole::Program) {
        state.caption = settings.strPName[entry.program - 1];
        state.enabled = state.enabled && !state.caption.empty();
    }
    return state;
}

std::string menuPath(std::string_view name) {
    std::string path;
    for (std::size_t i = menuIndex(name); i < kMenuTree.size(); i = menuIndex(name)) {
        const std::string caption = stripAccessKeys(kMenuTree[i].caption);
        path = path.empty() ? caption : caption + " > " + path;
        name = kMenuTree[i].parent;
    }
    return path;
}

std::string stripAccessKeys(std::string_view caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

}  // namespace z5
