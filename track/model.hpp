// The track model: what a .trk file holds, and the limits both codecs share.
//
// A .trk file is six blocks with no gaps: the 28-byte header, ten E-line
// values, one pointer per section, the banking records (section-major,
// `eLines` per section), the surface records of all sections, and the
// section records, each followed directly by its wall records.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace z5::track {

// Every field of every record is a signed 32-bit integer carried through
// unchanged; only the counts below drive the reading.
using SectionRecord = std::array<std::int32_t, 13>;
using BankingRecord = std::array<std::int32_t, 8>;
using SurfaceRecord = std::array<std::int32_t, 3>;
using WallRecord = std::array<std::int32_t, 5>;

inline constexpr std::int64_t kHeaderBytes = 28;
inline constexpr std::int64_t kELineCount = 10;
inline constexpr std::int64_t kPointerBytes = 4;
inline constexpr std::int64_t kBankingBytes = 32;
inline constexpr std::int64_t kSurfaceBytes = 12;
inline constexpr std::int64_t kSectionBytes = 52;
inline constexpr std::int64_t kWallBytes = 20;

// Section fields with a meaning to the converters.
inline constexpr std::size_t kTypeField = 0;
inline constexpr std::size_t kStartField = 1;
inline constexpr std::size_t kLengthField = 2;
inline constexpr std::size_t kSurfacesField = 10;
inline constexpr std::size_t kWallsField = 12;

inline constexpr std::int32_t kStraightType = 1;  // any other type is a turn
inline constexpr std::int32_t kTurnType = 2;      // what the compiler writes for a turn
inline constexpr std::int32_t kVersion = 1;       // what the compiler writes
inline constexpr std::array<std::uint8_t, 4> kMagic = {'K', 'A', 'R', 'T'};

struct TrackHeader {
    std::array<std::uint8_t, 4> magic{};
    std::int32_t version = 0;
    std::int32_t length = 0;
    std::int32_t eLines = 0;    // banking records per section
    std::int32_t segments = 0;  // sections
    std::int32_t section2 = 0;  // bytes of the surface block
    std::int32_t section3 = 0;  // bytes of the section block, walls included
};

struct Track {
    TrackHeader header;
    std::array<std::int32_t, kELineCount> eLineTable{};
    std::vector<std::int32_t> pointers;
    std::vector<SectionRecord> sections;
    std::vector<BankingRecord> banking;   // header.eLines rows per section, in section order
    std::vector<SurfaceRecord> surfaces;  // handed out to sections in order by their Surfaces
    std::vector<WallRecord> walls;        // handed out to sections in order by their Walls
};

// The counts a track may hold: count - 1 must lie in -32768..32767, so
// -32767 to 32768. A count of zero or less means no rows.
constexpr bool countFits(std::int64_t count) {
    return count >= -32767 && count <= 32768;
}

// The decompiler keeps at most this many wall records over the whole track.
inline constexpr std::size_t kMaxDecompiledWalls = 1001;
// The compiler keeps at most this many surface rows and wall rows.
inline constexpr std::size_t kMaxCompiledRows = 501;

// "section 3" for the section at index 2, in failure reasons.
inline std::string sectionName(std::size_t index) {
    return "section " + std::to_string(index + 1);
}

}  // namespace z5::track
