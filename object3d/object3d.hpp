// 3D objects: .3do files to the definition files vertex.def and flavor.def,
// and back.
#pragma once

#include "textfmt/command.hpp"

namespace z5 {

// Writes vertex.def (vertices and normals) and flavor.def (file names and
// one line per flavor) from the chosen .3do file. A flavor type or kind
// without a layout ends the flavor list with a message line and the offset
// reached; the command still succeeds. A failure while reading keeps the
// lines written so far and shows "CRASH - <section>" for the last section
// tag read.
void run3doDecompile(Command& cmd);

// Compiles vertex.def and flavor.def of the working folder into the chosen
// file: vertices and normals are numbered by position, flavors placed one
// after another with the last as root, and every reference renumbered.
// offset.def in the working folder shows the old and new numbers. A line
// that cannot be compiled fails the command with its file and line number.
void run3doCompile(Command& cmd);

}  // namespace z5
