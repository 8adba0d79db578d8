// Raw dumps of any file: as 32-bit integers, 32-bit floats and bytes, and as
// an offset table.
#pragma once

#include "textfmt/command.hpp"

namespace z5 {

// Writes outputlong.def, outputfloat.def and outputbyt.def from the chosen
// file, one printed value per line. A final group of fewer than 4 bytes is
// read with zero bytes after it, so every byte shows up in each dump.
void runDump(Command& cmd);

// Writes outputdoc.def: " Byte  Value", then offset (5 columns) and byte
// value (6 columns) per byte. Offsets are 16-bit, so the table ends at
// offset 32767; past it the command fails with the table written so far.
void runTextDoc(Command& cmd);

}  // namespace z5
