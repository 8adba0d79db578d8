// The texts every window front end shows besides its menus: the main
// window's caption and labels, and the About window's.
#pragma once

namespace z5 {

inline constexpr const char* kWindowTitle = "Z5 Def Tool";
inline constexpr const char* kLabel1Text = "DEF TOOL";
inline constexpr const char* kLabel2Text = "V1.6";
inline constexpr const char* kLabel3Text = "Press F1 for help";
// Label1 and Label2 are set in this face.
inline constexpr const char* kLabelFace = "Times New Roman";

inline constexpr const char* kAboutTitle = "About Z5 Def Tool";
inline constexpr const char* kAboutCredit =
    "Z5 Def Tool V1.6, written by the Z5 Def Tool developers";
inline constexpr const char* kAboutSiteName = "Z5 Def Tool home page";
inline constexpr const char* kAboutSite = "https://z5deftool.example.org/";

// The help window's caption, before the help file's name.
inline constexpr const char* kHelpTitle = "Z5 Def Tool Help - ";

}  // namespace z5
