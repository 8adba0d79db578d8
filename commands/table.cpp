#include "commands/table.hpp"

#include <array>

#include "archive/archive.hpp"
#include "camera/camera.hpp"
#include "object3d/object3d.hpp"
#include "picture/svg.hpp"
#include "rawdump/rawdump.hpp"
#include "setup/setup.hpp"
#include "track/track.hpp"

namespace z5 {
namespace {

constexpr CommandOptions open(std::string_view filter) {
    return {.dialog = Dialog::Open, .filter = filter};
}

constexpr std::string_view k3doFilter = "3do Files(*.3do)|*.3do";
// A picture or an export is made of a file, or of the definition files of
// the working folder when one of them is chosen.
constexpr CommandOptions kObject3doOptions{
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
// A view row writes its picture as SVG under the name the drawing gives.
template <picture::Drawing (*draw)(Command&)>
void runView(Command& cmd) {
    const picture::Drawing drawing = draw(cmd);
    picture::writeSvg(cmd.createNamedText(drawing.svgName), drawing);
}

constexpr std::array kCommands = {
    CommandEntry{"mnuUnpack",
                 "",
                 "unpack",
                 "ARCHIVE.dat",
                 "unpack ARCHIVE.dat into its member files and the list dattext.pck",
                 {.dialog = Dialog::Open, .filter = "dat files(*.dat)|*.dat"},
                 runUnpack,
                 {"dattext.pck"},
                 "mnuPack",
                 {},
                 nullptr,
                 "MEMBER",
                 "only these members, in any letter case, each under the archive's spelling, "
                 "and no dattext.pck",
                 runUnpackMembers},
    CommandEntry{"mnuPack",
                 "",
                 "pack",
                 "LIST.pck",
                 "pack the files LIST.pck names into the archive named on its first line",
                 {.dialog = Dialog::Open, .filter = "Dat Txt Files(*.pck)|*.pck"},
                 runPack,
                 {},
                 ""},
    CommandEntry{"mnuCleanUp",
                 "",
                 "cleanup",
                 "",
                 "delete the member files that dattext.pck names (the list itself stays)",
                 {.showsBusy = false},
                 runCleanUp,
                 {},
                 ""},
    CommandEntry{
        "mnuDecompile",
        "",
        "dump",
        "FILE",
        "dump FILE as integers, floats and bytes (outputlong.def, outputfloat.def, outputbyt.def)",
        kDumpOptions,
        runDump,
        {"outputlong.def", "outputfloat.def", "outputbyt.def"},
        ""},
    CommandEntry{"mnuTxtDoc",
                 "",
                 "textdoc",
                 "FILE",
                 "write the offset/value table of FILE (outputdoc.def, first 32768 bytes)",
                 kTextDocOptions,
                 runTextDoc,
                 {"outputdoc.def"},
                 ""},
    CommandEntry{"mnuTrkDecompile",
                 "trk",
                 "decompile",
                 "FILE.trk",
                 "write Trk.def from the track FILE.trk",
                 open("Trk Files(*.trk)|*.trk"),
                 runTrkDecompile,
                 {"Trk.def"},
                 "mnuTrkCompile"},
    CommandEntry{"mnuTrkCompile",
                 "trk",
                 "compile",
                 "",
                 "write New.trk from Trk.def",
                 {},
                 runTrkCompile,
                 {"New.trk"},
                 ""},
    CommandEntry{"mnuTrkView",
                 "trk",
                 "view",
                 "FILE.trk",
                 "draw FILE.trk, or without FILE Trk.def: sections, banking and coordinates into "
                 "NAME.svg (Trk.svg)",
                 kViewTrkOptions,
                 runView<drawTrk>,
                 {},
                 "",
                 "OUT.svg",
                 drawTrk},
    CommandEntry{"mnu3doDecompile",
                 "3do",
                 "decompile",
                 "FILE.3do",
                 "write the vertices and normals of FILE.3do to vertex.def, its file names and "
                 "flavors to flavor.def",
                 k3doDecompileOptions,
                 run3doDecompile,
                 {"vertex.def", "flavor.def"},
                 "mnu3doCompile"},
    CommandEntry{"mnu3doCompile",
                 "3do",
                 "compile",
                 "OUT.3do",
                 "compile vertex.def and flavor.def of the working folder into OUT.3do (offset.def "
                 "shows how vertices, normals and flavors were renumbered)",
                 {.dialog = Dialog::Save, .filter = k3doFilter},
                 run3doCompile,
                 {"offset.def"},
                 ""},
    CommandEntry{"mnu3doView",
                 "3do",
                 "view",
                 "FILE.3do",
                 "draw FILE.3do, or without FILE vertex.def and flavor.def, from four sides into "
                 "NAME.svg (definitions.svg)",
                 kObject3doOptions,
                 runView<draw3do>,
                 {},
                 "",
                 "OUT.svg",
                 draw3do},
    CommandEntry{"mnu3doExport",
                 "3do",
                 "export",
                 "FILE.3do",
                 "write FILE.3do, or without FILE vertex.def and flavor.def, as a Wavefront OBJ "
                 "(NAME.obj, definitions.obj) for 3D editors, upright: a vertex (x, y, z) as "
                 "v x z -y",
                 kObject3doOptions,
                 run3doExport,
                 {},
                 "",
                 "OUT.obj"},
    CommandEntry{"mnu3doPositions",
                 "3do",
                 "positions",
                 "FILE.obj",
                 "put the vertex positions of FILE.obj into vertex.def, which it replaces (v a b c "
                 "as (a, -c, b)); its faces must be those 3do export writes for vertex.def and "
                 "flavor.def",
                 open("OBJ Files(*.obj)|*.obj"),
                 run3doPositions,
                 {"vertex.def"},
                 ""},
    CommandEntry{"mnuCamDecompile",
                 "cam",
                 "decompile",
                 "FILE.cam",
                 "decompile a camera file into cam.def",
                 open("Cam Files(*.cam)|*.cam"),
                 runCamDecompile,
                 {"cam.def"},
                 "mnuCamCompile"},
    CommandEntry{"mnuCamCompile",
                 "cam",
                 "compile",
                 "",
                 "compile cam.def into New.cam",
                 {},
                 runCamCompile,
                 {"New.cam"},
                 ""},
    CommandEntry{"mnuScrDecompile",
                 "scr",
                 "decompile",
                 "FILE.scr",
                 "decompile a camera script into scr.def",
                 open("SCR Files(*.scr)|*.scr"),
                 runScrDecompile,
                 {"scr.def"},
                 "mnuScrCompile"},
    CommandEntry{"mnuScrCompile",
                 "scr",
                 "compile",
                 "",
                 "compile scr.def into New.scr",
                 {},
                 runScrCompile,
                 {"New.scr"},
                 ""},
    CommandEntry{"mnuSetupDecompile",
                 "stg",
                 "decompile",
                 "FILE.stg",
                 "decompile a car setup into stg.def",
                 open("Stg Files(*.stg)|*.stg"),
                 runStgDecompile,
                 {"stg.def"},
                 "mnuSetupCompile"},
    CommandEntry{"mnuSetupCompile",
                 "stg",
                 "compile",
                 "",
                 "compile stg.def into the setup named on its line 2 (NAME.stg)",
                 {},
                 runStgCompile,
                 {},
                 ""},
};

}  // namespace

std::string_view CommandEntry::fileExtension() const {
    const std::size_t pattern = options.filter.rfind("|*.");
    if (pattern == std::string_view::npos || options.filter.ends_with(".*")) return {};
    return options.filter.substr(pattern + 2);
}

std::span<const CommandEntry> commandTable() {
    return kCommands;
}

Outcome CommandEntry::runDrawing(Host& host, std::optional<picture::Drawing>& drawing) const {
    CommandOptions shown = options;
    shown.showsDone = false;
    return runCommand(host, shown, [this, &drawing](Command& cmd) { drawing.emplace(draw(cmd)); });
}

std::string_view definitionFileOf(const CommandEntry& row) {
    if (row.takesFile()) return {};
    for (const auto& entry : kCommands)
        if (entry.compiledBy == row.menu) return entry.writes[0];
    return {};
}

const CommandEntry* findCommandByMenu(std::string_view menu) {
    for (const auto& entry : kCommands)
        if (entry.menu == menu) return &entry;
    return nullptr;
}

}  // namespace z5
