// Camera files (.cam) and camera scripts (.scr) to definition files and back.
#pragma once

#include "textfmt/command.hpp"

namespace z5 {

// Asks for a .cam file and writes cam.def into the working folder: the
// camera positions, the section 2 record and the section 3 positions, one
// labelled value per line.
Outcome mnuCamDecompile_Click(Host& host);

// Reads Cam.def from the working folder (any letter case) by line position
// and writes New.cam beside it. The two counts decide how many blocks are
// read.
Outcome mnuCamCompile_Click(Host& host);

// Asks for a .scr file and writes scr.def: the camera types value, the two
// feed counts and a block of four values per camera.
Outcome mnuScrDecompile_Click(Host& host);

// Reads Scr.def from the working folder (any letter case) and writes New.scr.
Outcome mnuScrCompile_Click(Host& host);

}  // namespace z5
