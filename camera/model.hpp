// The camera models: what a .cam file and a .scr file hold.
//
// Both are little-endian signed 32-bit values throughout, with no padding;
// the values are carried through unchanged, only the counts drive reading.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace z5::camera {

using CamPosition = std::array<std::int32_t, 9>;               // 36 bytes
using CamSectionTwo = std::array<std::int32_t, 10>;            // Number, Value 1..9
using CamSectionThreePosition = std::array<std::int32_t, 12>;  // 48 bytes
using ScrCamera = std::array<std::int32_t, 4>;                 // 16 bytes

// A .cam file: the camera count and its positions, the section 2 record,
// the position count and the section 3 positions.
struct Cam {
    std::int32_t cameraCount = 0;
    std::vector<CamPosition> cameras;  // blocksOf(cameraCount) of them
    CamSectionTwo sectionTwo{};
    std::int32_t positionCount = 0;
    std::vector<CamSectionThreePosition> positions;  // blocksOf(positionCount)
};

// A .scr file: a camera types value (carried through, counting nothing), the
// TV 1 and TV 2 counts, then the cameras of both feeds.
struct Scr {
    std::int32_t cameraTypes = 0;
    std::int32_t tv1Count = 0;
    std::int32_t tv2Count = 0;
    std::vector<ScrCamera> tv1;  // blocksOf(tv1Count)
    std::vector<ScrCamera> tv2;  // blocksOf(tv2Count)
};

// How many blocks a count announces. A file holds at most 32767 blocks of
// a kind: a count of zero or less announces none, and one above 32767 is
// refused, which `in.fail` reports as "<what> <count> is above 32767". `in` is the binary
// reader or the definition parser the count came from.
template <class Source>
std::size_t blocksOf(const Source& in, std::int32_t count, std::string_view what) {
    if (count > 32767) in.fail(std::string(what) + " " + std::to_string(count) + " is above 32767");
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

}  // namespace z5::camera
