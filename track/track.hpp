// Track files: .trk to Trk.def and back.
#pragma once

#include "textfmt/command.hpp"

namespace z5 {

// Writes Trk.def from the chosen .trk file: header, pointers, and per
// section its data row, banking, surfaces and walls in fixed 13-character
// columns.
void runTrkDecompile(Command& cmd);

// Reads Trk.def from the working folder (any letter case) and writes New.trk
// beside it, recomputing the two block sizes of the header.
void runTrkCompile(Command& cmd);

// The conversions without the command around them.
void decompileTrack(BinaryReader& trk, TextWriter& def);
void compileTrack(TextReader& def, BinaryWriter& trk);

}  // namespace z5
