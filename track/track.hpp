// Track files: .trk to Trk.def and back.
#pragma once

#include "textfmt/binio.hpp"
#include "textfmt/command.hpp"
#include "textfmt/textio.hpp"

namespace z5 {

// Asks for a .trk file and writes Trk.def into the working folder: header,
// pointers, and per section its data row, banking, surfaces and walls in
// fixed 13-character columns. Lines written before a failure stay.
Outcome mnuTrkDecompile_Click(Host& host);

// Reads Trk.def from the working folder (any letter case) and writes New.trk
// beside it, recomputing the two block sizes of the header. New.trk is
// emptied when opened and gets its bytes only once the whole text was read.
Outcome mnuTrkCompile_Click(Host& host);

// The conversions without the command around them.
void decompileTrack(BinaryReader& trk, TextWriter& def);
void compileTrack(TextReader& def, BinaryWriter& trk);

}  // namespace z5
