// The texts every window front end shows besides its menus: the main
// window's caption and labels, and the About window's.
#pragma once

#include <cstddef>

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
extern const char* const kAboutLines[kAboutLineCount];

// The help window's caption, before the help file's name.
inline constexpr const char* kHelpTitle = "Z5 Def Tool Help - ";

}  // namespace z5
