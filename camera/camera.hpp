// Camera files (.cam) and camera scripts (.scr) to cam.def and scr.def and
// back. The models are in camera/model.hpp; the binary codecs read and write
// them, the text codecs print and parse them through one layout per file.
#pragma once

#include "camera/model.hpp"
#include "core/command.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/fieldtree.hpp"
#include "textfmt/textio.hpp"

namespace z5::camera {

// Each format's binary codec, then its text codec. Reading, a count above
// 32767 fails naming the count and byte, and a file shorter than its counts
// say fails naming the record it ends in (a lenient reader reads on with
// zeros and a warning); bytes after the last record are warned of. The
// texts are parsed back by line position: each value from the last 12
// characters of its line, labels and fixed lines only counted.
Cam readCam(BinaryReader& in);
void writeCam(BinaryWriter& out, const Cam& cam);
void printCam(TextWriter& def, const Cam& cam);
Cam parseCam(TextReader& def);

Scr readScr(BinaryReader& in);
void writeScr(BinaryWriter& out, const Scr& scr);
void printScr(TextWriter& def, const Scr& scr);
Scr parseScr(TextReader& def);

// Each as records of named fields, labelled as its definition file labels
// them (see textfmt/fieldtree.hpp): the blocks of a count named by their
// heading and number ("Camera Position 3", "TV 1 Camera 2"), a block of its
// own by its heading; and each set from such records, the counts worked
// out from the blocks.
TreeRecord camFields(const Cam& cam);
Cam camOfFields(const TreeRecord& fields);
TreeRecord scrFields(const Scr& scr);
Scr scrOfFields(const TreeRecord& fields);

}  // namespace z5::camera

namespace z5 {

// Writes cam.def from the chosen .cam file: the camera positions, the
// section 2 record and the section 3 positions, one labelled value per line.
void runCamDecompile(Command& cmd);

// Reads cam.def from the working folder (any letter case) by line position
// and writes New.cam beside it. The two counts decide how many blocks are
// read.
void runCamCompile(Command& cmd);

// Writes scr.def from the chosen .scr file: the camera types value, the two
// feed counts and a block of four values per camera.
void runScrDecompile(Command& cmd);

// Reads scr.def from the working folder (any letter case) and writes New.scr.
void runScrCompile(Command& cmd);

}  // namespace z5
