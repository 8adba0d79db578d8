// Car setup files (.stg) to stg.def and back. The model is in
// setup/model.hpp; the binary codec reads and writes it, the text codec
// prints and parses it through one layout of stg.def.
#pragma once

#include "core/command.hpp"
#include "setup/model.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/fieldtree.hpp"
#include "textfmt/textio.hpp"

namespace z5::setup {

// A comment length above 32768 fails naming the byte. A file whose record
// tag or comment marker is not a setup's, or that is shorter than 144 bytes
// or than its comment, fails too (a lenient reader reads on with zeros and a
// warning); bytes after the comment are warned of.
Setup readSetup(BinaryReader& in);
void writeSetup(BinaryWriter& out, const Setup& setup);

// stg.def, parsed by line number: the setup holds the fixed fields and
// marker, the name from line 2 and its first 8 characters as base name, a
// setup to be written as NAME.stg. Lines longer than 32767 characters fail.
// Printed, line 2 shows the model's folder and setup name.
Setup parseSetup(TextReader& def);
void printSetup(TextWriter& def, const Setup& setup);

// The setup as records of named fields, labelled as stg.def labels them
// (see textfmt/fieldtree.hpp): "Name" (the name it stores; line 2's folder
// is none), each row by its label and its values by their columns ("Gears:
// 3rd"), an indented row under the line above it ("Weight Jack: Rear"),
// and "Comments". `setupOfFields` sets those fields of `setup` from such
// records and keeps the others.
TreeRecord setupFields(const Setup& setup);
Setup setupOfFields(const TreeRecord& fields, Setup setup);

}  // namespace z5::setup

namespace z5 {

// Writes stg.def from the chosen .stg file: the folder and setup name, the
// shown fields of the setup record in columns, and the comment on line 37.
void runStgDecompile(Command& cmd);

// Reads stg.def from the working folder (any letter case) by line number and
// writes the setup named on its line 2 into the working folder as NAME.stg,
// replacing an existing setup of that name in any letter case.
void runStgCompile(Command& cmd);

}  // namespace z5
