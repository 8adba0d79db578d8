// Track files: .trk to Trk.def and back. The model is in track/model.hpp;
// the binary codec reads and writes it, the text codec prints and parses it
// through one layout of Trk.def.
#pragma once

#include <optional>
#include <string>

#include "core/command.hpp"
#include "picture/drawing.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/fieldtree.hpp"
#include "textfmt/textio.hpp"
#include "track/model.hpp"

namespace z5 {

// Writes Trk.def from the chosen .trk file: header, pointers, and per
// section its data row, banking, surfaces and walls in fixed 13-character
// columns.
void runTrkDecompile(Command& cmd);

// Reads Trk.def from the working folder (any letter case) and writes New.trk
// beside it, recomputing the two block sizes of the header.
void runTrkCompile(Command& cmd);

// The picture of the chosen .trk file, or without one (or with a definition
// file chosen) of Trk.def: the sections along the lap with their surfaces,
// the banking heights of every E-line, and the coordinates the file holds.
// The view row writes it as SVG (NAME.svg after the file, Trk.svg); a window
// shows it.
picture::Drawing drawTrk(Command& cmd);

namespace track {

// A .trk file, read strictly front to back: a file that does not begin with
// KART, that ends before a record it announces, or whose counts do not fit,
// fails naming the block and byte. A lenient reader reads the first two on
// with a warning (zeros past the end); bytes after the last section are
// warned of.
Track readTrack(BinaryReader& in);
void writeTrack(BinaryWriter& out, const Track& track);

// Trk.def: printed from a track, and parsed back by line position. The
// parsed track holds no magic, version or block sizes: the compiler writes
// its own (compileTrack).
void printTrack(TextWriter& def, const Track& track);
// Where the values that a check compares across records stand in Trk.def.
struct TrackPlaces {
    TextPlace length;                // the header's Length
    std::vector<TextPlace> starts;   // each section's Start
    std::vector<TextPlace> lengths;  // each section's Length
};
Track parseTrack(TextReader& def, TrackPlaces* places = nullptr);
// What usually holds of a track and an edit may break while it still
// compiles: each section starts where the one before it ends, and the
// header's Length is where the last one ends. A warning for each that does
// not hold, at its place in `file`.
std::vector<Diagnostic> trackWarnings(const Track& track, const TrackPlaces& places,
                                      const std::string& file);

// The parsed track with its magic, version and the two block sizes made up
// from its rows.
Track compileTrack(TextReader& def);
// Sets the magic and the two block sizes from the rows the track holds.
void setBlockSizes(Track& track);
// Why readTrack would refuse the track these rows make up (no section, more
// walls than it keeps, the blocks before the sections past byte 32767), or
// nothing: the compile and the merge write no such track.
std::optional<std::string> unreadable(const Track& track);

// The track as records of named fields, labelled as Trk.def labels them
// (see textfmt/fieldtree.hpp), and a track set from such records, its
// counts and block sizes worked out from the records. A section whose
// banking rows are not # Elines fails.
TreeRecord trackFields(const Track& track);
Track trackOfFields(const TreeRecord& fields);

// `warnings`: departures from the layout met reading it, counted in the
// title block.
picture::Drawing trackDrawing(const Track& track, std::string_view name, std::size_t warnings = 0);

}  // namespace track
}  // namespace z5
