// What the running system offers a user of the window, as its help, its
// start-up message and its About box name it: programs a z5.ini may start,
// and where the package puts its documents.
#pragma once

#include <string_view>

namespace z5 {

#ifdef _WIN32
inline constexpr std::string_view kExampleStartFolder = "C:\\Games\\Z5\\data";
// A command line that shows the text dump outputdoc.def of the working folder.
inline constexpr std::string_view kExampleTextViewer = "notepad.exe outputdoc.def";
// A command line that opens the working folder in the file manager.
inline constexpr std::string_view kExampleFolderOpener = "explorer.exe .";
// Where README, CHANGELOG, LICENSE and the docs folder are once installed.
inline constexpr std::string_view kDocumentsPlace = "in the folder of z5deftool.exe";
#else
inline constexpr std::string_view kExampleStartFolder = "/home/me/game/data";
inline constexpr std::string_view kExampleTextViewer = "xdg-open outputdoc.def";
inline constexpr std::string_view kExampleFolderOpener = "xdg-open .";
inline constexpr std::string_view kDocumentsPlace =
    "in /usr/share/doc/z5def in the Debian package, and the manual page man z5deftool";
#endif

}  // namespace z5
