// The .stg binary codec: readSetup and its mirror image writeSetup.
#include <algorithm>
#include <cstdio>

#include "setup/setup.hpp"

namespace z5::setup {
namespace {

// The record, the base name, the comment marker and the comment length.
constexpr std::int64_t kHeadBytes = 144;

std::string hex(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// The part of the head a file ending at byte `end` (below 144) ends inside.
std::string_view headPart(std::int64_t end) {
    return end < 128   ? "the setup record"
           : end < 136 ? "the base name"
           : end < 140 ? "the comment marker"
                       : "the comment length";
}

}  // namespace

Setup readSetup(BinaryReader& in) {
    Setup setup;
    for (std::int32_t& value : setup.record) value = in.i32();
    // A file of another kind is named as such before it is found short.
    if (in.size() >= 4 && setup.record[0] != kFixedRecord[0])
        in.damaged(Damage::OtherKind, "is not a setup: its record tag is " + hex(setup.record[0]) +
                                          ", not " + hex(kFixedRecord[0]));
    in.need(kHeadBytes - in.position(), [&] {
        return "inside " + std::string(headPart(in.size())) + " (a setup has at least " +
               std::to_string(kHeadBytes) + " bytes)";
    });
    in.read(setup.baseName);
    setup.commentMarker = in.i32();
    if (!in.readingZeros() && setup.commentMarker != kCommentMarker)
        in.damaged(Damage::OtherKind, "is not a setup: its comment marker (byte 136) is " +
                                          hex(setup.commentMarker) + ", not " +
                                          hex(kCommentMarker));
    const std::int32_t length = in.i32();
    if (length > kMaxCommentLength)
        in.fail("comment length " + std::to_string(length) + " is above " +
                std::to_string(kMaxCommentLength));
    // The comment is in the file before it is given memory.
    in.need(std::max(length, 0), [&] {
        return "inside the comment of " + std::to_string(length) + " bytes at byte " +
               std::to_string(kHeadBytes);
    });
    setup.comment.resize(static_cast<std::size_t>(std::max(length, 0)));
    in.read({reinterpret_cast<std::uint8_t*>(setup.comment.data()), setup.comment.size()});
    in.warnTrailing("the comment");
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
