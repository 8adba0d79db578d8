// The texts every window front end shows besides its menus: the main
// window's caption and labels, and the About window's.
#pragma once

#include <cstddef>
#include <string>

namespace z5 {

inline constexpr const char* kWindowTitle = "Z5 Def Tool";
inline constexpr const char* kLabel1Text = "DEF TOOL";
// The version as the label under the title shows it: "V1.7".
extern const char* const kLabel2Text;
inline constexpr const char* kLabel3Text = "Press F1 for help";
// Label1 and Label2 are set in this face.
inline constexpr const char* kLabelFace = "Times New Roman";

inline constexpr const char* kAboutTitle = "About Z5 Def Tool";
// The About window's lines: the version and who wrote the tool, what it
// does, where its documentation is, and its licence.
inline constexpr std::size_t kAboutLineCount = 4;
extern const std::string kAboutLines[kAboutLineCount];

// What z5deftool --help and --version say, in both windows: what the program
// is, its switch and its arguments.
inline constexpr const char* kProgramSummary =
    "Z5 Def Tool window: converts the data files of the racing simulation to editable "
    "definition files and back. Reads z5.ini from the current folder, else from the program's "
    "own folder.";
inline constexpr const char* kAllCommandsHelp =
    "Start with 3do > Def Tools > Compile and the Other menu enabled, so every converter can be "
    "reached from the window.";
inline constexpr const char* kFilesHelp =
    "Files to open as if dropped on the window: the first one's folder becomes the working "
    "folder, and each file gets the command of its kind.";
// The whole --help text, for a window that shows it in a box.
std::string usageText();
// "z5deftool 1.7.0".
extern const char* const kVersionLine;

// The help window's caption, before the help file's name.
inline constexpr const char* kHelpTitle = "Z5 Def Tool Help - ";

}  // namespace z5
