// Tracks as a .trk file lays them out, built from their records, for tests
// whose bytes never come from the code under test.
#pragma once

#include <array>
#include <string>

#include "tests/support/support.hpp"
#include "track/model.hpp"

namespace z5::test {

// Sets the header as a well-formed file has it.
inline void fixHeader(track::Track& t) {
    t.header.magic = track::kMagic;
    t.header.version = 1;
    t.header.segments = static_cast<std::int32_t>(t.sections.size());
    t.header.section2 = static_cast<std::int32_t>(12 * t.surfaces.size());
    t.header.section3 = static_cast<std::int32_t>(52 * t.sections.size() + 20 * t.walls.size());
}

inline std::string bytesOf(const track::Track& t) {
    Bytes b;
    const auto put = [&b](const auto& values) {
        for (std::int32_t v : values) b.i32(v);
    };
    for (auto c : t.header.magic) b.u8(c);
    put(std::array{t.header.version, t.header.length, t.header.eLines, t.header.segments,
                   t.header.section2, t.header.section3});
    put(t.eLineTable);
    put(t.pointers);
    for (const auto& row : t.banking) put(row);
    for (const auto& row : t.surfaces) put(row);
    std::size_t wall = 0;
    for (const auto& section : t.sections) {
        put(section);
        for (std::int32_t i = 0; i < section[track::kWallsField]; ++i) put(t.walls[wall++]);
    }
    return b.str();
}

}  // namespace z5::test
