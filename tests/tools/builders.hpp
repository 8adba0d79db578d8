// Files of every kind built from their records, for the tests of diff,
// merge and textconv: a track of sections with one E-line, cameras,
// scripts and setups, each laid out as its format says.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "setup/model.hpp"
#include "tests/cli/run.hpp"
#include "tests/support/objects.hpp"
#include "tests/support/support.hpp"
#include "tests/support/tracks.hpp"

namespace z5::test {

// A section: straight or turn, Start, Length, its banking heights and its
// surface rows' Surface values; Offset fields fixed.
struct SectionSpec {
    bool straight;
    std::int32_t start, length;
    std::int32_t height = 100;
    std::vector<std::int32_t> surfaces = {};
};

// A track of one E-line; each section's pointer is 100 times its number.
inline std::string trackBytes(const std::vector<SectionSpec>& specs, std::int32_t length = 90000) {
    track::Track t;
    t.header.length = length;
    t.header.eLines = 1;
    t.eLineTable = {-5000, -4000, -3000, -2000, -1000, 0, 1000, 2000, 3000, 4000};
    for (const SectionSpec& s : specs) {
        t.pointers.push_back(100 * static_cast<std::int32_t>(t.pointers.size() + 1));
        t.sections.push_back({s.straight ? 1 : 2, s.start, s.length, 90, 1, 2, 3, 4, 5, 6,
                              static_cast<std::int32_t>(s.surfaces.size()), 7, 0});
        t.banking.push_back({s.height, s.height + 1, s.height + 2, 0, 5, 6, 7, 8});
        for (std::int32_t surface : s.surfaces) t.surfaces.push_back({0, s.length, surface});
    }
    fixHeader(t);
    return bytesOf(t);
}

// A camera file: each camera its nine values, the section 2 record, each
// section 3 position its twelve.
inline std::string camBytes(const std::vector<std::array<std::int32_t, 9>>& cameras,
                            const std::array<std::int32_t, 10>& sectionTwo,
                            const std::vector<std::array<std::int32_t, 12>>& positions) {
    Bytes b;
    b.i32(static_cast<std::int32_t>(cameras.size()));
    for (const auto& c : cameras)
        for (std::int32_t v : c) b.i32(v);
    for (std::int32_t v : sectionTwo) b.i32(v);
    b.i32(static_cast<std::int32_t>(positions.size()));
    for (const auto& p : positions)
        for (std::int32_t v : p) b.i32(v);
    return b.str();
}

inline std::string scrBytes(std::int32_t types, const std::vector<std::array<std::int32_t, 4>>& tv1,
                            const std::vector<std::array<std::int32_t, 4>>& tv2) {
    Bytes b;
    b.i32(types)
        .i32(static_cast<std::int32_t>(tv1.size()))
        .i32(static_cast<std::int32_t>(tv2.size()));
    for (const auto* feed : {&tv1, &tv2})
        for (const auto& camera : *feed)
            for (std::int32_t v : camera) b.i32(v);
    return b.str();
}

// A setup named `name` (its first 8 bytes stored) with gears 1st to 4th in
// hundredths and the comment `comment` (its last byte made 0 as the
// compiler does).
inline std::string setupBytes(const std::string& name, std::array<std::int32_t, 4> gears,
                              std::int32_t fuel = 1250, std::string comment = "fast.") {
    setup::SetupRecord record = setup::kFixedRecord;
    for (std::size_t i = 0; i < 4; ++i) record[setup::field::Gears1st + i] = gears[i];
    record[setup::field::Fuel] = fuel;
    comment.back() = '\0';
    Bytes b;
    for (std::int32_t v : record) b.i32(v);
    b.fixed(name, setup::kBaseNameBytes).i32(setup::kCommentMarker);
    b.i32(static_cast<std::int32_t>(comment.size())).text(comment);
    return b.str();
}

// A small object: vertices 0 to 3, normal 0, a name, three outlines (FL02
// kind 0 over vertices) and an FL04 list of them as root.
inline Object smallObject() {
    Object o;
    o.vertices = {{0, 0, 0, 0}, {1, 100, 0, 0}, {2, 100, 100, 0}, {3, 0, 100, 0}};
    o.normals = {{0, 0, 0, 1}};
    o.names = {"box.mip"};
    o.flavors = {Flavor(2, {0, 0, 3, 0, 1, 2}), Flavor(2, {0, 0, 3, 0, 2, 3}),
                 Flavor(3, {1, 2, 3})};
    const auto at = o.offsets();
    o.flavors.push_back(Flavor(4, {3, at[0], at[1], at[2]}));
    return o;
}

}  // namespace z5::test
