#include "tests/object3d/objects.hpp"

namespace z5::test {
namespace {
constexpr std::int32_t kObject = 0x33444F33, kPerp = 0x50524550, kMron = 0x4E4F524D,
                       kNrts = 0x5354524E, kPrim = 0x5052494D;

std::string points(const std::vector<Point>& records) {
    Bytes b;
    for (const Point& p : records) b.i32(p[0]).i32(p[1]).i32(p[2]).i32(p[3]);
    return b.str();
}

std::string tagOf(int type) {
    return std::string(type < 10 ? "FL0" : "FL") + std::to_string(type);
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
std::int32_t Flavor::size() const {
    return static_cast<std::int32_t>(bytes().size());
}
std::string Flavor::line(std::int32_t offset) const {
    std::string out = tagOf(type) + " " + column(offset, 6);
    for (auto [width, value] : fields) out += column(value, 13);
    return out;
}

std::string column(std::int64_t value, std::size_t width) {
    std::string text = std::to_string(value);
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string pointLine(const Point& p) {
    return column(p[0], 6) + column(p[1], 13) + column(p[2], 13) + column(p[3], 13);
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
    return Bytes().i32(kObject).i32(0).i32(total).str();
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
    if (!vertices.empty())
        body += section(kPerp, static_cast<std::int32_t>(16 * vertices.size()), points(vertices));
    if (!normals.empty())
        body += section(kMron, static_cast<std::int32_t>(16 * normals.size()), points(normals));
    if (!names.empty()) {
        std::string data;
        for (const auto& n : names) data += n + '\0';
        data += '\xFF';
        const auto length = static_cast<std::int32_t>(data.size());
        body += section(kNrts, length, data + std::string((4 - length % 4) % 4, ' '));
    }
    if (!flavors.empty()) {
        std::string data;
        for (const Flavor& f : flavors) data += f.bytes();
        const auto length = static_cast<std::int32_t>(4 + data.size());
        body += section(
            kPrim, length,
            Bytes().i32(offsets().back()).str() + data + std::string((4 - length % 4) % 4, ' '));
    }
    return objectHeader(static_cast<std::int32_t>(body.size())) + body;
}

std::string Object::vertexDef() const {
    std::string out = vertexHead();
    if (!vertices.empty()) {
        out += "VERTICES:\r\n";
        for (const Point& p : vertices) out += pointLine(p) + "\r\n";
    }
    if (!normals.empty()) {
        out += "\r\n\r\nNORMALS:\r\n";
        for (const Point& p : normals) out += pointLine(p) + "\r\n";
    }
    return out;
}

std::string Object::flavorDef() const {
    std::string out = flavorHead();
    if (!names.empty()) {
        for (const auto& n : names) out += "FILE  " + n + "\r\n";
        out += "\r\n";
    }
    const auto at = offsets();
    for (std::size_t k = 0; k < flavors.size(); ++k) out += flavors[k].line(at[k]) + "\r\n";
    return out;
}

// Every flavor type and every FL02 and FL05 kind with a layout.
std::vector<Flavor> everyFlavor() {
    return {
        Flavor{2, {}}.l({0, 9, 2}).l({1, 0}),
        Flavor{2, {}}.l({1, 9, 2}).l({0, 1}).i({-1, 2, 3, 4}),
        Flavor{2, {}}.l({2, 9, 1}).l({1}).i({5, 6}),
        Flavor{2, {}}.l({3, 9, 2}).l({1, 0}).i({1, 2, 3, 4}).l({7, 8}),
        Flavor{2, {}}.l({4, 9, 2}).l({10, 11}).l({12, 13}),
        Flavor{2, {}}.l({5, 9, 2}).l({0, 1}).i({1, 2}).i({3, 4}).l({7, 8}),
        Flavor{2, {}}.l({12, 9, 1}).l({1}).l({0}),
        Flavor{2, {}}.l({13, 9, 2}).l({1, 0}).i({1, 2}).i({32767, -32768}).l({0, 0}),
        Flavor{3, {}}.l({1, 2, 3}),
        Flavor{4, {}}.l({0}),
        Flavor{4, {}}.l({2, 4, 21}),
        Flavor{5, {}}.l({4}).i({0, 0}),
        Flavor{5, {}}.l({4}).i({0, 2, 7, 8, 9}),
        Flavor{5, {}}.l({21}).i({1, 5}).l({-6}),
        Flavor{5, {}}.l({4}).i({4, 5}).l({6}),
        Flavor{5, {}}.l({4}).i({5, 5}).l({6, 7}),
        Flavor{5, {}}.l({4}).i({12, 5}).l({6, 7}),
        Flavor{6, {}}.l({1, 2, 3, 4, 5, 4}),
        Flavor{7, {}}.l({1, 2, 3, 4, 5, 4, 21}),
        Flavor{8, {}}.l({1, 2, 3, 4, 5, 4, 21, 38, 4}),
        Flavor{9, {}}.l({1, 2, 3, 4, 5, 6, 7, 8}),
        Flavor{10, {}}.l({1, 2, 3, 4, 5, 6, 7, 8}),
        Flavor{11, {}}.l({1, 2, 3, 4, 5, 6, 7}),
        Flavor{12, {}}.l({4, 2, 21, 38}),
        Flavor{13, {}}.l({1, 2, 3, 4, 5, 6, 7, 8}),
        Flavor{14, {}}.l({1, 2}),
        Flavor{15, {}}.l({1, 2, 3, 4}),
        Flavor{16, {}}.l({1, 99}),
        Flavor{17, {}}.l({1, 2, 3, 2, 10, 4, 11, 21}),
        Flavor{19, {}}.l({1, 2, 3, 4, 5, 6, 7, 8}),
        Flavor{21, {}}.l({1, 2, 3, 4, 5}),
    };
}

}  // namespace z5::test
