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

}  // namespace z5::test
