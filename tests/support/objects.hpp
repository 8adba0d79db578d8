// 3D objects built from their records as the compiler lays them out, and
// the lines the decompiler writes of them, for tests that need objects
// whose bytes never come from the code under test.
#pragma once

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/support.hpp"

namespace z5::test {

constexpr std::int32_t kPerp = 0x50524550, kMron = 0x4E4F524D, kNrts = 0x5354524E,
                       kPrim = 0x5052494D;

// `value` right-justified in `width` columns; a longer text is kept whole.
inline std::string column(std::int64_t value, std::size_t width) {
    const std::string text = std::to_string(value);
    return std::string(width - std::min(width, text.size()), ' ') + text;
}

inline std::string section(std::int32_t tag, std::int32_t length, const std::string& data) {
    return Bytes().i32(tag).i32(0).i32(length).str() + data;
}
inline const std::string kObjectHeader = section(0x33444F33, 0, "");
// A PRIM section holding the given flavor bytes (root 4, length as stored).
inline std::string prim(const std::string& flavors) {
    return section(kPrim, static_cast<std::int32_t>(4 + flavors.size()),
                   Bytes().i32(4).str() + flavors);
}

inline const std::string kVertexHead = crlf(
    {"REM  Z5 DEF V1.0", "REM  Z5 Vertex File", "REM  Includes PERP and MRON Sections", "", ""});
inline const std::string kFlavorHead = crlf(
    {"REM  Z5 DEF V1.0", "REM  Z5 Vertex File", "REM  Includes NRTS and PRIM Sections", "", ""});

// One flavor record: its type and its body fields in storage order.
struct Flavor {
    int type;
    std::vector<std::pair<int, std::int32_t>> fields;  // width in bytes, value

    explicit Flavor(int type, std::initializer_list<std::int32_t> i32s = {}) : type(type) {
        l(i32s);
    }
    Flavor& l(std::initializer_list<std::int32_t> values) { return add(4, values); }
    Flavor& i(std::initializer_list<std::int32_t> values) { return add(2, values); }
    Flavor& add(int width, std::initializer_list<std::int32_t> values) {
        for (auto v : values) fields.emplace_back(width, v);
        return *this;
    }
    std::string bytes() const {
        Bytes b;
        b.u8(static_cast<std::uint8_t>(type)).i32(0);
        for (auto [width, v] : fields) width == 2 ? b.i16(static_cast<std::int16_t>(v)) : b.i32(v);
        return b.str();
    }
    // Its flavor.def line at `offset`.
    std::string line(std::int32_t offset) const {
        std::string out =
            (type < 10 ? "FL0" : "FL") + std::to_string(type) + " " + column(offset, 6);
        for (auto [width, v] : fields) out += column(v, 13);
        return out;
    }
};

using Point = std::array<std::int32_t, 4>;  // key, x, y, z

// A whole object laid out as the compiler writes it: PERP, MRON, NRTS and
// PRIM, each only when it has records, lengths and total worked out, the
// last flavor as root, reserved fields zero, blank padding.
struct Object {
    std::vector<Point> vertices = {};
    std::vector<Point> normals = {};
    std::vector<std::string> names = {};
    std::vector<Flavor> flavors = {};

    std::vector<std::int32_t> offsets() const {
        std::vector<std::int32_t> out;
        std::int32_t at = 4;
        for (const Flavor& f : flavors) {
            out.push_back(at);
            at += static_cast<std::int32_t>(f.bytes().size());
        }
        return out;
    }
    std::string bytes() const {
        std::string body;
        const auto add = [&body](std::int32_t tag, const std::string& data) {
            body += section(tag, static_cast<std::int32_t>(data.size()),
                            data + std::string((4 - data.size() % 4) % 4, ' '));
        };
        const auto points = [](const std::vector<Point>& records) {
            Bytes b;
            for (const Point& p : records) b.i32(p[0]).i32(p[1]).i32(p[2]).i32(p[3]);
            return b.str();
        };
        if (!vertices.empty()) add(kPerp, points(vertices));
        if (!normals.empty()) add(kMron, points(normals));
        std::string data;
        for (const auto& n : names) data += n + '\0';
        if (!names.empty()) add(kNrts, data + '\xFF');
        data = flavors.empty() ? "" : Bytes().i32(offsets().back()).str();
        for (const Flavor& f : flavors) data += f.bytes();
        if (!flavors.empty()) add(kPrim, data);
        return section(0x33444F33, static_cast<std::int32_t>(body.size()), body);
    }
    // flavor.def as the decompiler writes it.
    std::string flavorDef() const {
        std::string out = kFlavorHead;
        for (const auto& n : names) out += "FILE  " + n + "\r\n";
        if (!names.empty()) out += "\r\n";
        for (std::size_t k = 0; k < flavors.size(); ++k)
            out += flavors[k].line(offsets()[k]) + "\r\n";
        return out;
    }
};

}  // namespace z5::test
