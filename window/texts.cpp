#include "window/texts.hpp"

namespace z5 {

const char* const kLabel2Text = "V" Z5_VERSION_SHORT;

const char* const kAboutLines[kAboutLineCount] = {
    "Z5 Def Tool " Z5_VERSION ", written by the Z5 Def Tool developers",
    "Converts the game's 3D objects, tracks, cameras, camera scripts, car setups and archives "
    "to text definition files and back.",
    "Documentation: the help (F1), the README that comes with the tool, and on Linux the manual "
    "page: man z5deftool",
    "Free software under the MIT licence (LICENSE.txt in the Windows ZIP, "
    "/usr/share/doc/z5def/copyright in the Debian package).",
};

}  // namespace z5
