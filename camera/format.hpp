// Record shapes of camera files and camera scripts, and the value lines both
// definition files share: a label, then the value right-justified in 13
// characters; read back from the last 12 characters of the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "textfmt/binio.hpp"
#include "textfmt/textio.hpp"

namespace z5::camera {

// Every field of both formats is a signed 32-bit integer.
inline constexpr std::size_t kCamPositionValues = 9;       // CamPosition, 36 bytes
inline constexpr std::size_t kCamSectionTwoValues = 10;    // Number + 9 values, 40 bytes
inline constexpr std::size_t kCamSectionThreeValues = 12;  // 48 bytes
inline constexpr std::size_t kScrHeaderValues = 3;         // camera types, TV 1 and TV 2 counts
inline constexpr std::size_t kScrCameraValues = 4;         // ScrCamera, 16 bytes

// Block counters are 16-bit: a count of zero or less stands for no blocks,
// one above 32767 cannot be counted and is a failure. `blocksOf` takes a
// count read from a binary file (`what` names it in the reason);
// `readCountLine` reads a count line of a definition file, gives the count
// and sets `blocks`.
int blocksOf(const BinaryReader& in, std::int32_t count, std::string_view what);
std::int32_t readCountLine(TextReader& def, int& blocks);

// The label followed by the value's decimal text right-justified in 13
// characters.
std::string valueLine(std::string_view label, std::int32_t value);

// One value line per value, labelled from "Value 1:" on and filled with
// blanks to the label width: "Value 3: " in cam.def (width 9, so "Value 10:"
// has none), "Value 3:  " in scr.def (width 10).
void writeValueLines(TextWriter& def, std::span<const std::int32_t> values, std::size_t labelWidth);

// Reads the next line as a value: its last 12 characters (the whole line
// when shorter) read as a number and rounded to a 32-bit integer, halves to
// even. A value outside that range fails with the line number.
std::int32_t readValue(TextReader& def);

// One value per line, as readValue.
void readValueLines(TextReader& def, std::span<std::int32_t> values);

void skipLines(TextReader& def, int count);

// Reads and writes a run of 32-bit fields in file order. Bytes past the end
// of a short input read as zero.
void readValues(BinaryReader& in, std::span<std::int32_t> values);
void writeValues(BinaryWriter& out, std::span<const std::int32_t> values);

}  // namespace z5::camera
