// The setup model: what a .stg file holds, and what line 2 of stg.def shows.
//
// A .stg file is a record of 32 signed 32-bit fields, the setup's base name
// (8 bytes), a comment marker, the comment length and the comment.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace z5::setup {

inline constexpr std::size_t kRecordFields = 32;  // 128 bytes
using SetupRecord = std::array<std::int32_t, kRecordFields>;

// Positions of the shown fields in the record (byte offset / 4). Tyre
// pressures and shocks are stored RF, RR, LR, LF from their first field on;
// gears 1st to 4th. Gears, camber, rear spoiler and fuel are hundredths.
namespace field {
inline constexpr std::size_t Gears1st = 1;
inline constexpr std::size_t TirePressureRF = 9;
inline constexpr std::size_t CamberRF = 13;
inline constexpr std::size_t CamberLF = 16;
inline constexpr std::size_t ShocksRF = 17;
inline constexpr std::size_t SwayBarsFront = 21;
inline constexpr std::size_t SwayBarsRear = 22;
inline constexpr std::size_t RearSpoiler = 24;
inline constexpr std::size_t GrilleTape = 26;
inline constexpr std::size_t SteeringLock = 27;
inline constexpr std::size_t Fuel = 28;
inline constexpr std::size_t WeightJackLeft = 29;
inline constexpr std::size_t WeightJackRear = 30;
inline constexpr std::size_t WeightJackWedge = 31;
}  // namespace field

// The fields stg.def does not show hold these values in every setup the
// compiler writes (the record tag first); the shown fields are 0 here.
inline constexpr SetupRecord kFixedRecord = [] {
    SetupRecord r{};
    r[0] = static_cast<std::int32_t>(0xCDEF0002u);
    r[5] = 370;
    r[6] = 330;
    r[7] = 65537;
    r[23] = 350;
    r[25] = 1000;
    return r;
}();

inline constexpr std::size_t kBaseNameBytes = 8;
inline constexpr std::int32_t kCommentMarker = static_cast<std::int32_t>(0x80185F00u);

// A setup's comment holds at most 32768 bytes.
inline constexpr std::int32_t kMaxCommentLength = 32768;

struct Setup {
    SetupRecord record = kFixedRecord;
    std::array<std::uint8_t, kBaseNameBytes> baseName{};  // shown nowhere
    std::int32_t commentMarker = kCommentMarker;
    std::string comment;  // its bytes; a stored length of zero or less is no comment

    // Line 2 of stg.def, not in the file: the working folder's name and the
    // setup name (the chosen file's base name; compiled, the output's name).
    std::string folderName;
    std::string name;
};

}  // namespace z5::setup
