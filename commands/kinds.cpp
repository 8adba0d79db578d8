#include "commands/kinds.hpp"

#include <array>

#include "object3d/format.hpp"
#include "setup/model.hpp"

namespace z5 {
namespace {

// The little-endian 32-bit value at `at` of the member, or nullopt past its
// end.
class Member {
public:
    Member(const InputFile& file, std::int64_t offset, std::int64_t size)
        : file_(file), offset_(offset), size_(size) {}
    std::int64_t size() const { return size_; }
    bool i32(std::int64_t at, std::int64_t& value) const {
        if (at < 0 || at + 4 > size_) return false;
        std::array<unsigned char, 4> b{};
        std::size_t got = 0;
        while (got < 4) {
            const std::size_t n = file_.readAt(b.data() + got, 4 - got,
                                               offset_ + at + static_cast<std::int64_t>(got));
            if (n == 0) return false;
            got += n;
        }
        value = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
            static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
        return true;
    }

private:
    const InputFile& file_;
    std::int64_t offset_, size_;
};

bool object(const Member& m) {
    std::int64_t tag = 0;
    if (!m.i32(0, tag)) return false;
    using namespace object3d;
    for (const std::int32_t t : {kTagObject, kTagVertices, kTagNormals, kTagNames, kTagFlavors})
        if (tag == t) return true;
    return false;
}

bool track(const Member& m) {
    std::int64_t magic = 0, eLines = 0, segments = 0, surfaces = 0, sections = 0;
    if (!m.i32(0, magic) || magic != 0x5452414B) return false;  // "KART", little-endian
    if (!m.i32(12, eLines) || !m.i32(16, segments) || !m.i32(20, surfaces) || !m.i32(24, sections))
        return false;
    return segments > 0 && eLines > 0 &&
           m.size() == 68 + 4 * segments + 32 * segments * eLines + surfaces + sections;
}

bool camera(const Member& m) {
    std::int64_t cameras = 0, positions = 0;
    if (!m.i32(0, cameras) || cameras < 0 || !m.i32(44 + 36 * cameras, positions) || positions < 0)
        return false;
    return m.size() == 48 + 36 * cameras + 48 * positions;
}

bool script(const Member& m) {
    std::int64_t tv1 = 0, tv2 = 0;
    if (!m.i32(4, tv1) || !m.i32(8, tv2) || tv1 < 0 || tv2 < 0) return false;
    return m.size() == 12 + 16 * (tv1 + tv2);
}

bool setupFile(const Member& m) {
    std::int64_t tag = 0, marker = 0, comment = 0;
    if (!m.i32(0, tag) || !m.i32(136, marker) || !m.i32(140, comment)) return false;
    return tag == setup::kFixedRecord[0] && marker == setup::kCommentMarker &&
           m.size() == 144 + comment;
}

}  // namespace

std::string_view kindOfContent(const InputFile& file, std::int64_t offset, std::int64_t size) {
    const Member m(file, offset, size);
    std::string_view kind;
    int kinds = 0;
    const std::pair<bool (*)(const Member&), std::string_view> tests[] = {
        {object, "3do"}, {track, "trk"}, {camera, "cam"}, {script, "scr"}, {setupFile, "stg"}};
    for (const auto& [looks, name] : tests)
        if (looks(m)) {
            kind = name;
            ++kinds;
        }
    return kinds == 1 ? kind : std::string_view();
}

}  // namespace z5
