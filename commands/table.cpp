#include "commands/table.hpp"

#include <array>

#include "camera/camera.hpp"
#include "rawdump/rawdump.hpp"
#include "setup/setup.hpp"

namespace z5 {
namespace {

// Order: as the entries stand in the menu tree.
constexpr std::array kCommands = {
    CommandEntry{"mnuDecompile", "mnuDecompile_Click", "", "dump", CliArgument::InputFile, "FILE",
                 "dump FILE as integers, floats and bytes (outputlong.def, outputfloat.def, "
                 "outputbyt.def)",
                 mnuDecompile_Click},
    CommandEntry{"mnuTxtDoc", "mnuTxtDoc_Click", "", "textdoc", CliArgument::InputFile, "FILE",
                 "write the offset/value table of FILE (outputdoc.def, first 32768 bytes)",
                 mnuTxtDoc_Click},
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
