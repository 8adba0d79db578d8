#include "commands/table.hpp"

#include <array>

#include "archive/archive.hpp"
#include "camera/camera.hpp"
#include "object3d/object3d.hpp"
#include "rawdump/rawdump.hpp"
#include "setup/setup.hpp"
#include "track/track.hpp"

namespace z5 {
namespace {

// Order: as the entries stand in the menu tree.
constexpr std::array kCommands = {
    CommandEntry{"mnuUnpack", "mnuUnpack_Click", "", "unpack", CliArgument::InputFile,
                 "ARCHIVE.dat", "unpack ARCHIVE.dat into its member files and the list dattext.pck",
                 mnuUnpack_Click},
    CommandEntry{"mnuPack", "mnuPack_Click", "", "pack", CliArgument::InputFile, "LIST.pck",
                 "pack the files LIST.pck names into the archive named on its first line",
                 mnuPack_Click},
    CommandEntry{"mnuCleanUp", "mnuCleanUp_Click", "", "cleanup", CliArgument::None, "",
                 "delete the member files that dattext.pck names (the list itself stays)",
                 mnuCleanUp_Click},
    CommandEntry{"mnuDecompile", "mnuDecompile_Click", "", "dump", CliArgument::InputFile, "FILE",
                 "dump FILE as integers, floats and bytes (outputlong.def, outputfloat.def, "
                 "outputbyt.def)",
                 mnuDecompile_Click},
    CommandEntry{"mnuTxtDoc", "mnuTxtDoc_Click", "", "textdoc", CliArgument::InputFile, "FILE",
                 "write the offset/value table of FILE (outputdoc.def, first 32768 bytes)",
                 mnuTxtDoc_Click},
    CommandEntry{"mnuTrkDecompile", "mnuTrkDecompile_Click", "trk", "decompile",
                 CliArgument::InputFile, "FILE.trk", "write Trk.def from the track FILE.trk",
                 mnuTrkDecompile_Click},
    CommandEntry{"mnuTrkCompile", "mnuTrkCompile_Click", "trk", "compile", CliArgument::None, "",
                 "write New.trk from Trk.def", mnuTrkCompile_Click},
    CommandEntry{"mnu3doDecompile", "mnu3doDecompile_Click", "3do", "decompile",
                 CliArgument::InputFile, "FILE.3do",
                 "write the vertices and normals of FILE.3do to vertex.def, its file names and "
                 "flavors to flavor.def",
                 mnu3doDecompile_Click},
    CommandEntry{"mnu3doCompile", "mnu3doCompile_Click", "3do", "compile", CliArgument::OutputFile,
                 "OUT.3do",
                 "compile vertex.def and flavor.def of the working folder into OUT.3do (offset.def "
                 "shows how vertices, normals and flavors were renumbered)",
                 mnu3doCompile_Click},
    CommandEntry{"mnuCamDecompile", "mnuCamDecompile_Click", "cam", "decompile",
                 CliArgument::InputFile, "FILE.cam", "decompile a camera file into cam.def",
                 mnuCamDecompile_Click},
    CommandEntry{"mnuCamCompile", "mnuCamCompile_Click", "cam", "compile", CliArgument::None, "",
                 "compile Cam.def into New.cam", mnuCamCompile_Click},
    CommandEntry{"mnuScrDecompile", "mnuScrDecompile_Click", "scr", "decompile",
                 CliArgument::InputFile, "FILE.scr", "decompile a camera script into scr.def",
                 mnuScrDecompile_Click},
    CommandEntry{"mnuScrCompile", "mnuScrCompile_Click", "scr", "compile", CliArgument::None, "",
                 "compile Scr.def into New.scr", mnuScrCompile_Click},
    CommandEntry{"mnuSetupDecompile", "mnuSetupDecompile_Click", "stg", "decompile",
                 CliArgument::InputFile, "FILE.stg", "decompile a car setup into stg.def",
                 mnuSetupDecompile_Click},
    CommandEntry{"mnuSetupCompile", "mnuSetupCompile_Click", "stg", "compile", CliArgument::None,
                 "", "compile Stg.def into the setup named on its line 2 (NAME.stg)",
                 mnuSetupCompile_Click},
};

}  // namespace

std::span<const CommandEntry> commandTable() {
    return kCommands;
}

const CommandEntry* findCommandByMenu(std::string_view menu) {
    for (const auto& entry : kCommands)
        if (entry.menu == menu) return &entry;
    return nullptr;
}

}  // namespace z5
