// What every window shows, the same for the Qt window and the Win32 window:
// the menu tree once started with a z5.ini whose programs are
// kMenuTestPrograms, the reasons a start-up ends with, what a converter
// writes for any host, the current directory for a while, and a program
// starter that records.
#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/table.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "tests/support/support.hpp"
#include "window/controller.hpp"

namespace z5::test {

// One row per entry in menu order: name, caption, parent, shortcut, enabled
// at start, enabled with --all-commands ("-" captions are separators).
struct ExpectedMenuRow {
    const char* name;
    const char* caption;
    const char* parent;
    const char* shortcut;
    bool enabled;
    bool enabledAll;
};

inline constexpr ExpectedMenuRow kExpectedMenu[] = {
    {"mnuFile", "&File", "", "", true, true},
    {"mnuDos", "&Dos Window", "mnuFile", "", true, true},
    {"mnuFileBlank1", "-", "mnuFile", "", true, true},
    {"mnuUnpack", "&Unpack", "mnuFile", "", true, true},
    {"mnuPack", "&Pack", "mnuFile", "", true, true},
    {"mnuCleanUp", "&Clean  Up", "mnuFile", "", true, true},
    {"mnuListArchive", "&List Archive...", "mnuFile", "", true, true},
    {"mnuExtractWorkspace", "&Extract Workspace...", "mnuFile", "", true, true},
    {"mnuBuildWorkspace", "&Build Workspace...", "mnuFile", "", true, true},
    {"mnuVerify", "Ve&rify...", "mnuFile", "", true, true},
    {"mnuCheck", "Chec&k...", "mnuFile", "", true, true},
    {"mnuCompare", "Co&mpare...", "mnuFile", "", true, true},
    {"mnuFileBlank3", "-", "mnuFile", "", true, true},
    {"mnuDecompile", "&Decompile", "mnuFile", "", true, true},
    {"mnuTxtDoc", "&Text Doc", "mnuFile", "", true, true},
    {"mnuValueSearch", "&Value Search", "mnuFile", "", false, false},
    {"mnuFileBlank2", "-", "mnuFile", "", true, true},
    {"mnuExit", "E&xit", "mnuFile", "", true, true},
    {"mnu3do", "&3do", "", "", true, true},
    {"mnu3doDef", "&Def Tools", "mnu3do", "", true, true},
    {"mnu3doDecompile", "&Decompile", "mnu3doDef", "", true, true},
    {"mnu3doBlank1", "-", "mnu3doDef", "", true, true},
    {"mnu3doCompile", "&Compile", "mnu3doDef", "", false, true},
    {"mnu3doBlank2", "-", "mnu3do", "", true, true},
    {"mnu3doTools", "&Editing Tools", "mnu3do", "", false, false},
    {"mnu3doBlank3", "-", "mnu3do", "", true, true},
    {"mnu3doView", "&View...", "mnu3do", "", true, true},
    {"mnu3doExport", "E&xport OBJ...", "mnu3do", "", true, true},
    {"mnu3doPositions", "&Positions from OBJ...", "mnu3do", "", true, true},
    {"mnuTrk", "&Trk", "", "", true, true},
    {"mnuTrkDef", "&Def Tools", "mnuTrk", "", true, true},
    {"mnuTrkDecompile", "&Decompile", "mnuTrkDef", "", true, true},
    {"mnuTrkBlank1", "-", "mnuTrkDef", "", true, true},
    {"mnuTrkCompile", "&Compile", "mnuTrkDef", "", true, true},
    {"mnuTrkBlank2", "-", "mnuTrk", "", true, true},
    {"mnuTrkTools", "&Tools", "mnuTrk", "", false, false},
    {"mnuTrkBlank3", "-", "mnuTrk", "", true, true},
    {"mnuTrkView", "&View...", "mnuTrk", "", true, true},
    {"mnuLp", "&LP", "", "", true, true},
    {"mnuLPDef", "&Def Tools", "mnuLp", "", true, true},
    {"mnuLpDecompile", "&Decompile", "mnuLPDef", "", true, true},
    {"mnuLpFileBlank1", "-", "mnuLPDef", "", true, true},
    {"mnuLpCompile", "&Compile", "mnuLPDef", "", true, true},
    {"mnuLpFileBlank2", "-", "mnuLp", "", true, true},
    {"mnuLpTools", "&Tools", "mnuLp", "", false, false},
    {"mnuOther", "&Other", "", "", false, true},
    {"mnuCamera", "&Camera", "mnuOther", "", true, true},
    {"mnuCamDecompile", "&Decompile", "mnuCamera", "", true, true},
    {"mnuOtherBlank1", "-", "mnuCamera", "", true, true},
    {"mnuCamCompile", "&Compile", "mnuCamera", "", true, true},
    {"mnuScr", "&Scr Files", "mnuOther", "", true, true},
    {"mnuScrDecompile", "&Decompile", "mnuScr", "", true, true},
    {"mnuOtherBlank2", "-", "mnuScr", "", true, true},
    {"mnuScrCompile", "&Compile", "mnuScr", "", true, true},
    {"mnuOtherBlank3", "-", "mnuOther", "", true, true},
    {"mnuSetupFiles", "Se&tup Files", "mnuOther", "", true, true},
    {"mnuSetupDecompile", "&Decompile", "mnuSetupFiles", "", true, true},
    {"mnuOtherBlank5", "-", "mnuSetupFiles", "", true, true},
    {"mnuSetupCompile", "&Compile", "mnuSetupFiles", "", true, true},
    {"mnuBinFiles", "&Bin Files", "mnuOther", "", false, false},
    {"mnuPrograms", "&Programs", "", "", true, true},
    {"mnuProgram1", "&Editor", "mnuPrograms", "Ctrl+F1", true, true},
    {"mnuProgramBlank1", "-", "mnuPrograms", "", true, true},
    {"mnuProgram2", "&Viewer", "mnuPrograms", "Ctrl+F2", true, true},
    {"mnuProgramBlank2", "-", "mnuPrograms", "", true, true},
    {"mnuProgram3", "", "mnuPrograms", "Ctrl+F3", false, false},
    {"mnuProgramBlank3", "-", "mnuPrograms", "", true, true},
    {"mnuProgram4", "", "mnuPrograms", "Ctrl+F4", false, false},
    {"mnuProgramBlank4", "-", "mnuPrograms", "", true, true},
    {"mnuProgram5", "&Five", "mnuPrograms", "Ctrl+F5", true, true},
    {"mnuProgramBlank5", "-", "mnuPrograms", "", true, true},
    {"mnuProgram6", "", "mnuPrograms", "Ctrl+F6", false, false},
    {"mnuAbout", "&About", "", "", true, true},
};

// An entry as "<name> "<caption>" under <parent> [<shortcut>] <state>".
inline std::string menuRow(std::string_view name, std::string_view caption, std::string_view parent,
                           std::string_view shortcut, std::string_view state) {
    return std::string(name) + " \"" + std::string(caption) + "\" under " + std::string(parent) +
           " [" + std::string(shortcut) + "] " + std::string(state);
}

// kExpectedMenu as rows, each on or off as the window starts or with
// --all-commands.
inline std::vector<std::string> expectedMenuRows(bool allCommands) {
    std::vector<std::string> rows;
    for (const ExpectedMenuRow& r : kExpectedMenu)
        rows.push_back(menuRow(r.name, r.caption, r.parent, r.shortcut,
                               (allCommands ? r.enabledAll : r.enabled) ? "on" : "off"));
    return rows;
}

// Lines 2 .. 6 of that z5.ini (line 7 empty). Program 3 has a command line
// but no caption: unused. Program 5 has a caption but no command line: shown.
inline constexpr const char* kMenuTestPrograms[] = {"\"ed one\",&Editor", "view,&Viewer", "ed3,",
                                                    ",", ",&Five"};

// z5.ini text: the start folder, then command line and caption of programs
// 1 .. 6 (missing ones empty), one program per line.
inline std::string iniText(const std::string& start, const std::vector<std::string>& programs) {
    std::string text = "\"" + start + "\"\r\n";
    for (std::size_t n = 0; n < 6; ++n) text += (n < programs.size() ? programs[n] : ",") + "\r\n";
    return text;
}
inline std::vector<std::string> testPrograms() {
    return {std::begin(kMenuTestPrograms), std::end(kMenuTestPrograms)};
}

// z5.ini texts (an empty one writes none) that end the start-up in `dir`,
// each with the first line of its reason; `gone` names no file, `ini` is the
// z5.ini itself.
inline std::vector<std::pair<std::string, std::string>> startUpFailures(const std::string& dir,
                                                                        const std::string& gone,
                                                                        const std::string& ini) {
    return {
        {"", "no z5.ini in " + dir},
        {iniText(dir, {"a,A", "b,B", "c,C", "d,D", "e,E", "f"}),
         ini + ": input past end of file (12 of 13 fields)"},
        {iniText(gone, {}),
         ini + ": start folder \"" + gone + "\": path not found (" + std::strerror(ENOENT) + ")"},
        {iniText(ini, {}), ini + ": start folder \"" + ini + "\": path not found (not a folder)"},
    };
}

// What a start-up without a readable z5.ini says after its reason: what
// the file holds, and an example.
inline std::string settingsHelp() {
    return "\n\nz5.ini is the window's settings file. " + std::string(settingsFields()) + "\n\n" +
           settingsExample();
}

// Runs the command of menu entry `menu` on `input` for a scripted host
// writing into `folder`.
inline Outcome runScripted(const char* menu, const std::string& input, const std::string& folder) {
    FakeHost host(folder);
    host.answer = input;
    return findCommandByMenu(menu)->run(host);
}

// Makes `folder` (a path as the program holds it) the current directory for
// its lifetime.
struct InFolder {
    explicit InFolder(const std::string& folder) {
        std::filesystem::current_path(nativePath(folder));
    }
    ~InFolder() { std::filesystem::current_path(before); }
    std::filesystem::path before = std::filesystem::current_path();
};

// Records each program start as "<command line> in <folder>"; the command
// line `failing` does not start; the command shell is "shell".
class RecordingStarter : public ProgramStarter {
public:
    explicit RecordingStarter(std::vector<std::string>& starts, std::string failing = {})
        : starts_(starts), failing_(std::move(failing)) {}
    std::string start(const std::string& commandLine, const std::string& folder) override {
        starts_.push_back(commandLine + " in " + folder);
        return commandLine == failing_ ? "no such program" : "";
    }
    std::string shellCommandLine() override { return "shell"; }

private:
    std::vector<std::string>& starts_;
    std::string failing_;
};

}  // namespace z5::test
