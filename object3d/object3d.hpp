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

// Asks where to save the object, then compiles vertex.def and flavor.def of
// the working folder into it: vertices and normals are numbered by position,
// flavors placed one after another with the last as root, and every
// reference renumbered. offset.def in the working folder shows the old and
// new numbers. A line that cannot be compiled fails the command with its
// file and line number; an existing object is replaced only on success.
Outcome mnu3doCompile_Click(Host& host);

}  // namespace z5
