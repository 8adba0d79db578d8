// Camera files (.cam) and camera scripts (.scr) to definition files and back.
#pragma once

#include "textfmt/command.hpp"

namespace z5 {

// Writes cam.def from the chosen .cam file: the camera positions, the
// section 2 record and the section 3 positions, one labelled value per line.
void runCamDecompile(Command& cmd);

// Reads Cam.def from the working folder (any letter case) by line position
// and writes New.cam beside it. The two counts decide how many blocks are
// read.
void runCamCompile(Command& cmd);

// Writes scr.def from the chosen .scr file: the camera types value, the two
// feed counts and a block of four values per camera.
void runScrDecompile(Command& cmd);

// Reads Scr.def from the working folder (any letter case) and writes New.scr.
void runScrCompile(Command& cmd);

}  // namespace z5
