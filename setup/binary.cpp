// The .stg binary codec: readSetup and its mirror image writeSetup. A short
// file is not detected: bytes past its end read as zero.
#include <algorithm>

#include "setup/setup.hpp"

namespace z5::setup {

Setup readSetup(BinaryReader& in) {
    Setup setup;
    for (std::int32_t& value : setup.record) value = in.i32();
    in.read(setup.baseName);
    setup.commentMarker = in.i32();
    const std::int32_t length = in.i32();
    if (length > kMaxCommentLength)
        in.fail("comment length " + std::to_string(length) + " is above " +
                std::to_string(kMaxCommentLength));
    setup.comment.resize(static_cast<std::size_t>(std::max(length, 0)));
    in.read({reinterpret_cast<std::uint8_t*>(setup.comment.data()), setup.comment.size()});
    return setup;
}

void writeSetup(BinaryWriter& out, const Setup& setup) {
    for (std::int32_t value : setup.record) out.i32(value);
    out.bytes(setup.baseName);
    out.i32(setup.commentMarker);
    out.i32(static_cast<std::int32_t>(setup.comment.size()));
    out.bytes({reinterpret_cast<const std::uint8_t*>(setup.comment.data()), setup.comment.size()});
}

}  // namespace z5::setup
