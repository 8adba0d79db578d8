// Builders for .3do test objects and the definition text expected of them.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/support.hpp"

namespace z5::test {

// Section tags, as the test spells them independently of the code.
inline constexpr std::int32_t kPerp = 0x50524550, kMron = 0x4E4F524D, kNrts = 0x5354524E,
                              kPrim = 0x5052494D;

// One flavor record: its type and its body fields in storage order.
struct Flavor {
    int type;
    std::vector<std::pair<int, std::int32_t>> fields;  // width in bytes, value

    explicit Flavor(int type, std::initializer_list<std::int32_t> i32s = {}) : type(type) {
        l(i32s);
    }
    Flavor& l(std::initializer_list<std::int32_t> values);  // i32 fields
    Flavor& i(std::initializer_list<std::int32_t> values);  // i16 fields
    std::string bytes() const;                              // header and body
    std::int32_t size() const { return static_cast<std::int32_t>(bytes().size()); }
    // The flavor.def line for this flavor at `offset`.
    std::string line(std::int32_t offset) const;
};

using Point = std::array<std::int32_t, 4>;  // key, x, y, z

// A whole object laid out as the compiler writes it: header, PERP, MRON,
// NRTS, PRIM, each only when it has records, lengths and total worked out,
// the last flavor as root, reserved fields zero, blank padding.
// Every part defaults to empty, so a test names only the parts it needs.
struct Object {
    std::vector<Point> vertices = {};
    std::vector<Point> normals = {};
    std::vector<std::string> names = {};
    std::vector<Flavor> flavors = {};

    std::string bytes() const;
    // Offsets of the flavors in the flavor data, counted from the root field.
    std::vector<std::int32_t> offsets() const;
    // flavor.def as the decompiler writes it.
    std::string flavorDef() const;
};

// One flavor of every type and of every FL02 and FL05 kind with a layout.
std::vector<Flavor> everyFlavor();

// The five head lines of both definition files (the third line differs).
std::string vertexHead();
std::string flavorHead();

// A section: tag, reserved 0, length, then the data.
std::string section(std::int32_t tag, std::int32_t length, const std::string& data);
std::string objectHeader(std::int32_t total = 0);

}  // namespace z5::test
