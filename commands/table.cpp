#include "commands/table.hpp"

#include <array>

#include "archive/archive.hpp"
#include "camera/camera.hpp"
#include "commands/handlers.hpp"
#include "object3d/object3d.hpp"
#include "rawdump/rawdump.hpp"
#include "setup/setup.hpp"
#include "track/track.hpp"

namespace z5 {
namespace {

constexpr CommandOptions open(std::string_view filter) {
    return {.dialog = Dialog::Open, .filter = filter};
}

constexpr std::string_view k3doFilter = "3do Files(*.3do)|*.3do";
// A picture is made of a file, or of the definition files of the working
// folder when one of them is chosen.
constexpr CommandOptions kView3doOptions{
    .dialog = Dialog::Open,
    .filter =
        "3do Files(*.3do)|*.3do|Definition Files(vertex.def;flavor.def)|vertex.def;flavor.def",
    .fileOptional = true};
constexpr CommandOptions kViewTrkOptions{
    .dialog = Dialog::Open,
    .filter = "Trk Files(*.trk)|*.trk|Definition Files(Trk.def)|Trk.def",
    .fileOptional = true};

// The raw dumps put the pointer back only after "DONE" was closed; past its
// 16-bit offsets the byte table keeps the first 32768 bytes it listed.
constexpr CommandOptions kDumpOptions{
    .dialog = Dialog::Open, .filter = "Files(*.*)|*.*", .busyUntilMessageClosed = true};
constexpr CommandOptions kTextDocOptions{.dialog = Dialog::Open,
                                         .filter = "Files(*.*)|*.*",
                                         .busyUntilMessageClosed = true,
                                         .keepsPartialOutput = true};
// A damaged object keeps the lines read before the damage: they show where
// it lies.
constexpr CommandOptions k3doDecompileOptions{
    .dialog = Dialog::Open, .filter = k3doFilter, .keepsPartialOutput = true};

// Order: as the command line lists them. Clean up leaves the pointer alone.
constexpr std::array kCommands = {
    CommandEntry{"mnuUnpack",
                 "",
                 "unpack",
                 "ARCHIVE.dat",
                 "unpack ARCHIVE.dat into its member files and the list dattext.pck",
                 {.dialog = Dialog::Open, .filter = "dat files(*.dat)|*.dat"},
                 runUnpack},
    CommandEntry{"mnuPack",
                 "",
                 "pack",
                 "LIST.pck",
                 "pack the files LIST.pck names into the archive named on its first line",
                 {.dialog = Dialog::Open, .filter = "Dat Txt Files(*.pck)|*.pck"},
                 runPack},
    CommandEntry{"mnuCleanUp",
                 "",
                 "cleanup",
                 "",
                 "delete the member files that dattext.pck names (the list itself stays)",
                 {.showsBusy = false},
                 runCleanUp},
    CommandEntry{
        "mnuDecompile", "", "dump", "FILE",
        "dump FILE as integers, floats and bytes (outputlong.def, outputfloat.def, outputbyt.def)",
        kDumpOptions, runDump},
    CommandEntry{"mnuTxtDoc", "", "textdoc", "FILE",
                 "write the offset/value table of FILE (outputdoc.def, first 32768 bytes)",
                 kTextDocOptions, runTextDoc},
    CommandEntry{"mnuTrkDecompile", "trk", "decompile", "FILE.trk",
                 "write Trk.def from the track FILE.trk", open("Trk Files(*.trk)|*.trk"),
                 runTrkDecompile},
    CommandEntry{
        "mnuTrkCompile", "trk", "compile", "", "write New.trk from Trk.def", {}, runTrkCompile},
    CommandEntry{"mnuTrkView", "trk", "view", "FILE.trk",
                 "draw FILE.trk, or without FILE Trk.def: sections, banking and coordinates into "
                 "NAME.svg (Trk.svg)",
                 kViewTrkOptions, runTrkView, "OUT.svg"},
    CommandEntry{"mnu3doDecompile", "3do", "decompile", "FILE.3do",
                 "write the vertices and normals of FILE.3do to vertex.def, its file names and "
                 "flavors to flavor.def",
                 k3doDecompileOptions, run3doDecompile},
    CommandEntry{"mnu3doCompile",
                 "3do",
                 "compile",
                 "OUT.3do",
                 "compile vertex.def and flavor.def of the working folder into OUT.3do (offset.def "
                 "shows how vertices, normals and flavors were renumbered)",
                 {.dialog = Dialog::Save, .filter = k3doFilter},
                 run3doCompile},
    CommandEntry{"mnu3doView", "3do", "view", "FILE.3do",
                 "draw FILE.3do, or without FILE vertex.def and flavor.def, from four sides into "
                 "NAME.svg (definitions.svg)",
                 kView3doOptions, run3doView, "OUT.svg"},
    CommandEntry{"mnu3doExport", "3do", "export", "FILE.3do",
                 "write FILE.3do as a Wavefront OBJ (NAME.obj) for 3D editors", open(k3doFilter),
                 run3doExport, "OUT.obj"},
    CommandEntry{"mnu3doPositions", "3do", "positions", "FILE.obj",
                 "put the vertex positions of FILE.obj into vertex.def, which it replaces",
                 open("OBJ Files(*.obj)|*.obj"), run3doPositions},
    CommandEntry{"mnuCamDecompile", "cam", "decompile", "FILE.cam",
                 "decompile a camera file into cam.def", open("Cam Files(*.cam)|*.cam"),
                 runCamDecompile},
    CommandEntry{
        "mnuCamCompile", "cam", "compile", "", "compile Cam.def into New.cam", {}, runCamCompile},
    CommandEntry{"mnuScrDecompile", "scr", "decompile", "FILE.scr",
                 "decompile a camera script into scr.def", open("SCR Files(*.scr)|*.scr"),
                 runScrDecompile},
    CommandEntry{
        "mnuScrCompile", "scr", "compile", "", "compile Scr.def into New.scr", {}, runScrCompile},
    CommandEntry{"mnuSetupDecompile", "stg", "decompile", "FILE.stg",
                 "decompile a car setup into stg.def", open("Stg Files(*.stg)|*.stg"),
                 runStgDecompile},
    CommandEntry{"mnuSetupCompile",
                 "stg",
                 "compile",
                 "",
                 "compile Stg.def into the setup named on its line 2 (NAME.stg)",
                 {},
                 runStgCompile},
};

Outcome run(std::string_view menu, Host& host) {
    return findCommandByMenu(menu)->run(host);
}

}  // namespace

std::span<const CommandEntry> commandTable() {
    return kCommands;
}

const CommandEntry* findCommandByMenu(std::string_view menu) {
    for (const auto& entry : kCommands)
        if (entry.menu == menu) return &entry;
    return nullptr;
}

Outcome mnuUnpack_Click(Host& host) {
    return run("mnuUnpack", host);
}
Outcome mnuPack_Click(Host& host) {
    return run("mnuPack", host);
}
Outcome mnuCleanUp_Click(Host& host) {
    return run("mnuCleanUp", host);
}
Outcome mnuDecompile_Click(Host& host) {
    return run("mnuDecompile", host);
}
Outcome mnuTxtDoc_Click(Host& host) {
    return run("mnuTxtDoc", host);
}
Outcome mnuTrkDecompile_Click(Host& host) {
    return run("mnuTrkDecompile", host);
}
Outcome mnuTrkCompile_Click(Host& host) {
    return run("mnuTrkCompile", host);
}
Outcome mnu3doDecompile_Click(Host& host) {
    return run("mnu3doDecompile", host);
}
Outcome mnu3doCompile_Click(Host& host) {
    return run("mnu3doCompile", host);
}
Outcome mnuTrkView_Click(Host& host) {
    return run("mnuTrkView", host);
}
Outcome mnu3doView_Click(Host& host) {
    return run("mnu3doView", host);
}
Outcome mnu3doExport_Click(Host& host) {
    return run("mnu3doExport", host);
}
Outcome mnu3doPositions_Click(Host& host) {
    return run("mnu3doPositions", host);
}
Outcome mnuCamDecompile_Click(Host& host) {
    return run("mnuCamDecompile", host);
}
Outcome mnuCamCompile_Click(Host& host) {
    return run("mnuCamCompile", host);
}
Outcome mnuScrDecompile_Click(Host& host) {
    return run("mnuScrDecompile", host);
}
Outcome mnuScrCompile_Click(Host& host) {
    return run("mnuScrCompile", host);
}
Outcome mnuSetupDecompile_Click(Host& host) {
    return run("mnuSetupDecompile", host);
}
Outcome mnuSetupCompile_Click(Host& host) {
    return run("mnuSetupCompile", host);
}

}  // namespace z5
