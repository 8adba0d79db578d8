// 3D objects: .3do files to the definition files vertex.def and flavor.def,
// and back. The model is in object3d/model.hpp; the binary codec reads and
// writes it, the text codec prints and parses it through one layout of each
// definition file.
#pragma once

#include "core/command.hpp"
#include "object3d/model.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/textio.hpp"

namespace z5::object3d {

// Reads up to five section tags, the flavors last. A failure does not
// throw: what was read before it comes back with the reason. `marks`: note
// where each part of the file begins (for naming bytes; costs time).
ObjectRead readObject(BinaryReader& in, bool marks = false);
// Writes the sections in the model's order with their lengths and the
// total worked out, reserved fields 0 and blank padding.
void writeObject(BinaryWriter& out, const Object& object);

// How the compiler renumbers the records of the definition files, as
// offset.def shows it. A section of vertex.def: the key of each line as the
// file gives it; the new key is the line's position in its section.
struct RenumberedPoints {
    bool normals = false;
    std::vector<std::int32_t> oldKeys;
};
// A flavor line: its tag, its old offset and the references and counts it
// carries as the file spells them, and the offset the compiler gives it.
struct RenumberedFlavor {
    std::string words;
    std::int64_t newOffset = 0;
};

// The definition files: printed from an object, and parsed back into one.
// The parsers keep the lines the compiler reads and return the old and new
// number of each record; a line that cannot be compiled fails with its file
// and line number.
// The message line that ends a flavor list at a type or kind without a
// layout ("ERROR FLAVOR 1").
std::string unsupportedMessage(const Unsupported& stop);
void printVertexDef(TextWriter& def, const Object& object);
void printFlavorDef(TextWriter& def, const Object& object);
std::vector<RenumberedPoints> parseVertexDef(TextReader& def, Object& object);
std::vector<RenumberedFlavor> parseFlavorDef(TextReader& def, Object& object);

// Numbers vertices and normals by position, places each flavor after the one
// before it with the last as root, and renumbers every reference. When two
// records carry the same old number the first wins; a number no record
// carries stays as it is.
void compileObject(Object& object);

}  // namespace z5::object3d

namespace z5 {

// Writes vertex.def (vertices and normals) and flavor.def (file names and
// one line per flavor) from the chosen .3do file. A flavor type or kind
// without a layout ends the flavor list with a message line and the offset
// reached; the command still succeeds. A failure while reading keeps the
// lines of what was read and shows "CRASH - <section>" for the last section
// tag read.
void run3doDecompile(Command& cmd);

// Compiles vertex.def and flavor.def of the working folder into the chosen
// file: vertices and normals are numbered by position, flavors placed one
// after another with the last as root, and every reference renumbered.
// offset.def in the working folder shows the old and new numbers. A line
// that cannot be compiled fails the command with its file and line number.
void run3doCompile(Command& cmd);

}  // namespace z5
