// The 3D object model: what a .3do file holds, in the order it holds it.
//
// A .3do file is an object header, then tagged sections: vertices (PERP),
// normals (MRON), file names (NRTS), and last the flavors (PRIM): a root
// offset and flavor records back to back. A flavor is known by its offset,
// counted from the root field, and flavors refer to each other by offset
// and to vertices and normals by their Key.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "object3d/format.hpp"

namespace z5::object3d {

using Point = std::array<std::int32_t, 4>;  // Key, X, Y, Z

// A vertex or a normal section.
struct PointSection {
    bool normals = false;
    std::vector<Point> points;
};

// A body value, tagged with its field: its width in the file and what it
// refers to.
struct Value {
    std::int32_t number;
    Field field;
};

struct Flavor {
    int type = 0;             // 2 .. 21
    std::int32_t offset = 0;  // where it stands in the flavor data
    std::vector<Value> values;
};

// Header and body bytes of a flavor.
inline std::int64_t flavorSize(const Flavor& flavor) {
    std::int64_t size = kFlavorHeaderSize;
    for (const Value& v : flavor.values) size += v.field.width;
    return size;
}

// Where a flavor list ends that goes on with a flavor type, or a kind of
// FL02 or FL05, without a layout.
struct Unsupported {
    int type;
    std::optional<std::int32_t> kind;  // for FL02 and FL05
    std::int64_t offset;               // reached when reading stopped
};

struct Object {
    std::vector<PointSection> points;             // in file order
    std::vector<std::vector<std::string>> names;  // one list per NRTS section
    std::int32_t root = 0;                        // the top flavor's offset
    std::vector<Flavor> flavors;
    std::optional<Unsupported> unsupported;
};

// Where a part of the file begins, for naming a byte of it: "PERP header",
// "Reserved", "flavor at offset 21 (FL03)".
struct Mark {
    std::int64_t position;
    std::string what;
};

// What was read of a .3do file: everything before a failure, the last
// section tag recognised, and the failure's reason (empty when none). Asked
// for, `marks` lists where each part of the file begins, in file order; the
// fields always written as 0 are the marks named "Reserved" (4 bytes each).
struct ObjectRead {
    Object object;
    int stage = 0;  // 0 none yet, 1 header, 2 PERP, 3 MRON, 4 NRTS, 5 PRIM
    std::string failure;
    std::vector<Mark> marks;
};

// Names of the stages, for failure reasons and the message box.
struct Stage {
    std::string_view section;
    std::string_view crash;
    std::string_view title;
};
inline constexpr std::array<Stage, 6> kStages = {{
    {"start", "", ""},
    {"header", "CRASH - Header", "ERROR 1"},
    {"PERP", "CRASH - Vertex", "ERROR 2"},
    {"MRON", "CRASH - Normals", "ERROR 3"},
    {"NRTS", "CRASH - NRTS", "ERROR 4"},
    {"PRIM", "CRASH - PRIM", "ERROR 5"},
}};

}  // namespace z5::object3d
