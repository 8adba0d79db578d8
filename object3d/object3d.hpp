// 3D objects: .3do files to the definition files vertex.def and flavor.def,
// and back.
#pragma once

#include "textfmt/command.hpp"

namespace z5 {

// Asks for a .3do file and writes vertex.def (vertices and normals) and
// flavor.def (file names and one line per flavor) into the working folder.
// A flavor type or kind without a layout ends the flavor list with a message
// line and the offset reached; the command still succeeds. A failure while
// reading shows "CRASH - <section>" for the last section tag read.
Outcome mnu3doDecompile_Click(Host& host);

}  // namespace z5
