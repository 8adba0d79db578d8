#include "window/texts.hpp"

#include "platform/desktop.hpp"

namespace z5 {

const char* const kLabel2Text = "V" Z5_VERSION_SHORT;
const char* const kVersionLine = "z5deftool " Z5_VERSION;

const std::string kAboutLines[kAboutLineCount] = {
    "Z5 Def Tool " Z5_VERSION ", written by the Z5 Def Tool developers",
    "Converts the game's 3D objects, tracks, cameras, camera scripts, car setups and archives "
    "to text definition files and back.",
    "Documentation: the help (F1); README, CHANGELOG, LICENSE and the docs folder " +
        std::string(kDocumentsPlace) + ".",
    "Free software under the MIT licence (LICENSE.txt in the Windows ZIP, "
    "/usr/share/doc/z5def/copyright in the Debian package).",
};

std::string usageText() {
    return std::string("Usage: z5deftool [--all-commands] [FILE...]\n\n") + kProgramSummary +
           "\n\n--all-commands\n    " + kAllCommandsHelp + "\nFILE...\n    " + kFilesHelp +
           "\n--help\n    Show this text.\n--version\n    Show the version.";
}

}  // namespace z5
