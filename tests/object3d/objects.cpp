#include "tests/object3d/objects.hpp"

namespace z5::test {
namespace {

std::string points(const std::vector<Point>& records) {
    Bytes b;
    for (const Point& p : records) b.i32(p[0]).i32(p[1]).i32(p[2]).i32(p[3]);
    return b.str();
}

// The decimal text of `value` right-justified in `width` columns (longer
// texts are kept whole).
std::string column(std::int64_t value, std::size_t width) {
    std::string text = std::to_string(value);
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}
}  // namespace

Flavor& Flavor::l(std::initializer_list<std::int32_t> values) {
    for (auto v : values) fields.emplace_back(4, v);
    return *this;
}
Flavor& Flavor::i(std::initializer_list<std::int32_t> values) {
    for (auto v : values) fields.emplace_back(2, v);
    return *this;
}
std::string Flavor::bytes() const {
    Bytes b;
    b.u8(static_cast<std::uint8_t>(type)).i32(0);
    for (auto [width, value] : fields)
        width == 2 ? b.i16(static_cast<std::int16_t>(value)) : b.i32(value);
    return b.str();
}
std::string Flavor::line(std::int32_t offset) const {
    std::string out = (type < 10 ? "FL0" : "FL") + std::to_string(type) + " " + column(offset, 6);
    for (auto [width, value] : fields) out += column(value, 13);
    return out;
}

std::string vertexHead() {
    return crlf({"REM  Z5 DEF V1.0", "REM  Z5 Vertex File", "REM  Includes PERP and MRON Sections",
                 "", ""});
}
std::string flavorHead() {
    return crlf({"REM  Z5 DEF V1.0", "REM  Z5 Vertex File", "REM  Includes NRTS and PRIM Sections",
                 "", ""});
}

std::string section(std::int32_t tag, std::int32_t length, const std::string& data) {
    return Bytes().i32(tag).i32(0).i32(length).str() + data;
}
std::string objectHeader(std::int32_t total) {
    return section(0x33444F33, total, "");
}

std::vector<std::int32_t> Object::offsets() const {
    std::vector<std::int32_t> out;
    std::int32_t at = 4;
    for (const Flavor& f : flavors) {
        out.push_back(at);
        at += f.size();
    }
    return out;
}

std::string Object::bytes() const {
    std::string body;
    // Length counts the data; blanks pad it to a multiple of 4.
    const auto add = [&body](std::int32_t tag, const std::string& data) {
        body += section(tag, static_cast<std::int32_t>(data.size()),
                        data + std::string((4 - data.size() % 4) % 4, ' '));
    };
    if (!vertices.empty()) add(kPerp, points(vertices));
    if (!normals.empty()) add(kMron, points(normals));
    if (!names.empty()) {
        std::string data;
        for (const auto& n : names) data += n + '\0';
        add(kNrts, data + '\xFF');
    }
    if (!flavors.empty()) {
        std::string data = Bytes().i32(offsets().back()).str();
        for (const Flavor& f : flavors) data += f.bytes();
        add(kPrim, data);
    }
    return objectHeader(static_cast<std::int32_t>(body.size())) + body;
}

std::string Object::flavorDef() const {
    std::string out = flavorHead();
    for (const auto& n : names) out += "FILE  " + n + "\r\n";
    if (!names.empty()) out += "\r\n";
    const auto at = offsets();
    for (std::size_t k = 0; k < flavors.size(); ++k) out += flavors[k].line(at[k]) + "\r\n";
    return out;
}

std::vector<Flavor> everyFlavor() {
    // clang-format off
    return {
        // FL02 kinds 0 to 5, 12 and 13: kind, reserved, count, then the lists.
        Flavor(2, {0, 9, 2, 1, 0}), Flavor(2, {1, 9, 2, 0, 1}).i({-1, 2, 3, 4}),
        Flavor(2, {2, 9, 1, 1}).i({5, 6}), Flavor(2, {3, 9, 2, 1, 0}).i({1, 2, 3, 4}).l({7, 8}),
        Flavor(2, {4, 9, 2, 10, 11, 12, 13}), Flavor(2, {5, 9, 2, 0, 1}).i({1, 2, 3, 4}).l({7, 8}),
        Flavor(2, {12, 9, 1, 1, 0}), Flavor(2, {13, 9, 2, 1, 0}).i({1, 2, 32767, -32768}).l({0, 0}),
        Flavor(3, {1, 2, 3}), Flavor(4, {0}), Flavor(4, {2, 4, 21}),
        // FL05 kind 0 with no list and with two, kinds 1, 4, 5 and 12.
        Flavor(5, {4}).i({0, 0}), Flavor(5, {4}).i({0, 2, 7, 8, 9}),
        Flavor(5, {21}).i({1, 5}).l({-6}), Flavor(5, {4}).i({4, 5}).l({6}),
        Flavor(5, {4}).i({5, 5}).l({6, 7}), Flavor(5, {4}).i({12, 5}).l({6, 7}),
        Flavor(6, {1, 2, 3, 4, 5, 4}), Flavor(7, {1, 2, 3, 4, 5, 4, 21}),
        Flavor(8, {1, 2, 3, 4, 5, 4, 21, 38, 4}), Flavor(9, {1, 2, 3, 4, 5, 6, 7, 8}),
        Flavor(10, {1, 2, 3, 4, 5, 6, 7, 8}), Flavor(11, {1, 2, 3, 4, 5, 6, 7}),
        Flavor(12, {4, 2, 21, 38}), Flavor(13, {1, 2, 3, 4, 5, 6, 7, 8}), Flavor(14, {1, 2}),
        Flavor(15, {1, 2, 3, 4}), Flavor(16, {1, 99}), Flavor(17, {1, 2, 3, 2, 10, 4, 11, 21}),
        Flavor(19, {1, 2, 3, 4, 5, 6, 7, 8}), Flavor(21, {1, 2, 3, 4, 5})};
    // clang-format on
}

}  // namespace z5::test
