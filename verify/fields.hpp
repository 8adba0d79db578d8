// Names for the bytes of each binary format, so a difference can be shown
// as "byte 4 (Version): 3 in the file, 1 written".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace z5::verify {

struct Field {
    std::string name;    // "Version", "section 2, value 5", "member 7 TRACK3.TRK"
    std::int64_t start;  // its first byte
    std::int64_t width;  // 1, 2 or 4 for a number; longer for names and data
    bool number = true;  // shown as a little-endian signed value
};

// The field of `bytes` (a file of the kind `extension` names: ".trk", ...)
// that holds byte `offset`; nullopt where the format cannot tell.
std::optional<Field> fieldAt(std::string_view extension, std::string_view bytes,
                             std::int64_t offset);

// The most bytes a file of the kind `extension` names can hold, where its
// format bounds it.
std::optional<std::int64_t> largestFile(std::string_view extension);

// The value of a field in `bytes` as the line shows it: a number for a
// numeric field, else the byte at `offset`; "nothing" past the end.
std::string fieldValue(const Field& field, std::string_view bytes, std::int64_t offset);

}  // namespace z5::verify
