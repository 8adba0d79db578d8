// The kind of a file by what its bytes hold, for the commands that meet
// files of every kind (an archive's list, a comparison).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/files.hpp"

namespace z5 {

// "3do", "trk", "cam", "scr" or "stg" when the `size` bytes of `file` from
// byte `offset` on look like that kind and no other: an object begins with
// one of its section tags; a track with "KART" and as long as its counts
// say; a camera file, a camera script and a setup are exactly as long as
// their counts say, a setup with its record tag and comment marker. Empty
// when they fit no kind or more than one.
std::string_view kindOfContent(const InputFile& file, std::int64_t offset, std::int64_t size);

}  // namespace z5
