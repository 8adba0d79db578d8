// The .3do object file: section tags, record sizes, and the shape of every
// flavor body. The binary reader and the flavor.def parser both take a
// flavor's values with `walkFlavorBody`, which tags each value with its
// field, so every direction agrees on a flavor's size, field widths and
// references.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace z5::object3d {

// Section tags as 32-bit little-endian values; their bytes in the file spell
// "3OD3", "PERP", "MRON", "NRTS" and "MIRP".
inline constexpr std::int32_t kTagObject = 0x33444F33;
inline constexpr std::int32_t kTagVertices = 0x50524550;
inline constexpr std::int32_t kTagNormals = 0x4E4F524D;
inline constexpr std::int32_t kTagNames = 0x5354524E;
inline constexpr std::int32_t kTagFlavors = 0x5052494D;

// Flavor header: the type byte and a reserved i32.
inline constexpr int kFlavorHeaderSize = 5;
// The Root field at the start of the flavor data; the first flavor follows it.
inline constexpr int kFirstFlavorOffset = 4;
// Ends the list of file names.
inline constexpr std::uint8_t kNamesEnd = 0xFF;
// Fills the name and flavor sections up to a multiple of 4 bytes.
inline constexpr std::uint8_t kPadByte = 0x20;
// The largest count of a list or record table that an object may hold.
inline constexpr std::int32_t kMaxCount = 32767;
// The largest Length of a name list (names, their zero bytes and the end
// mark): the reader takes it as a 16-bit value.
inline constexpr std::int32_t kMaxNamesLength = 32767;

// Bytes that bring `length` up to a multiple of 4.
constexpr int padFor(std::int64_t length) {
    return static_cast<int>((4 - length % 4) % 4);
}

// What a body field refers to, so the compiler knows which renumbering table
// translates it.
enum class Ref : std::uint8_t { None, Vertex, Normal, Flavor };

struct Field {
    std::uint8_t width;  // 2 (i16) or 4 (i32)
    Ref ref = Ref::None;
    // The compiler reads this field strictly: the whole text must be a number.
    bool wholeText = false;
};

inline constexpr Field kI32{4};
inline constexpr Field kI16{2};
inline constexpr Field kVertexRef{4, Ref::Vertex};
inline constexpr Field kNormalRef{4, Ref::Normal};
inline constexpr Field kFlavorRef{4, Ref::Flavor};
inline constexpr Field kI32Whole{4, Ref::None, true};

// Types that have a body layout: 2 to 17, 19 and 21.
constexpr bool isSupportedFlavor(int type) {
    return (type >= 2 && type <= 17) || type == 19 || type == 21;
}
// Types that are flavors but cannot be decoded: the flavor list ends there.
constexpr bool isUnsupportedFlavor(int type) {
    return type == 1 || type == 18 || type == 20 || (type >= 22 && type <= 24);
}

inline constexpr std::string_view kFlavorTags[] = {
    "",     "",     "FL02", "FL03", "FL04", "FL05", "FL06", "FL07", "FL08", "FL09", "FL10",
    "FL11", "FL12", "FL13", "FL14", "FL15", "FL16", "FL17", "",     "FL19", "",     "FL21"};

// "FL02" .. "FL21" for a supported type.
constexpr std::string_view flavorTag(int type) {
    return isSupportedFlavor(type) ? kFlavorTags[type] : std::string_view();
}

// The type whose tag is `tag` ("FL02" -> 2), or 0.
constexpr int flavorTypeOfTag(std::string_view tag) {
    if (tag.size() != 4 || tag[0] != 'F' || tag[1] != 'L') return 0;
    if (tag[2] < '0' || tag[2] > '9' || tag[3] < '0' || tag[3] > '9') return 0;
    const int type = (tag[2] - '0') * 10 + (tag[3] - '0');
    return isSupportedFlavor(type) ? type : 0;
}

// The flavor bodies of fixed size, by type: the number of plain values,
// then of references to flavors. The other types have their own layout.
inline constexpr std::array<std::array<std::int8_t, 2>, 22> kFixedBodies = {{
    {},     {}, {},     {3, 0}, {},     {}, {5, 1}, {5, 2}, {5, 4}, {5, 3}, {5, 3},
    {5, 2}, {}, {7, 1}, {2, 0}, {4, 0}, {}, {},     {},     {7, 1}, {},     {5, 0},
}};

// How a list count may be used. The decompiler and the compiler differ on
// FL12 (a compiled FL12 may carry an empty list, a stored one may not) and
// on FL05 kind 0 (a negative count is stored harmlessly but would give the
// compiler a negative size).
enum class CountUse { Stored, Compiled };

// The runs and pairs of a walker that takes every field with its own
// `decide` (see walkFlavorBody).
template <class W>
struct FieldByField {
    void run(Field field, std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) static_cast<W*>(this)->decide(field);
    }
    void pairs(Field first, Field second, std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) {
            static_cast<W*>(this)->decide(first);
            static_cast<W*>(this)->decide(second);
        }
    }
};

// Walks the body of a flavor of a supported `type` in storage order.
// The walker `W` provides:
//   std::int32_t decide(Field)       one field whose value shapes what follows
//   void run(Field, std::int32_t n)  n fields of the same kind
//   void pairs(Field, Field, std::int32_t n)  n pairs, stored pair by pair
//   [[noreturn]] void fail(std::string_view what)
//   static constexpr CountUse countUse
// Returns the kind of an FL02 or FL05 whose kind has no layout: the body
// stops at its kind field.
template <class W>
std::optional<std::int32_t> walkFlavorBody(int type, W& w) {
    constexpr bool compiling = W::countUse == CountUse::Compiled;
    // A list count in [lowest, highest], or the walker's failure.
    auto count = [&w](std::string_view tag, std::int32_t n, std::int32_t lowest,
                      std::int32_t highest = kMaxCount) {
        if (n < lowest || n > highest)
            w.fail(std::string(tag) + " count " + std::to_string(n) + " out of range " +
                   std::to_string(lowest) + ".." + std::to_string(highest));
        return n;
    };
    switch (type) {
        case 2: {
            const std::int32_t kind = w.decide(kI32);
            w.run(kI32, 1);
            const std::int32_t raw = w.decide(kI32);
            if (kind < 0 || (kind > 5 && kind != 12 && kind != 13)) return kind;
            const std::int32_t n = count("FL02", raw, 1);
            w.run(kind == 4 ? kI32 : kVertexRef, n);
            // By kind: two 16-bit values per entry (kinds 1, 2, 3, 5 and
            // 13), then a second run of 32-bit values (3, 4, 5, 12 and 13).
            if (kind != 0 && kind != 4 && kind != 12) w.run(kI16, 2 * n);
            if (kind >= 3) w.run(kind >= 12 ? kNormalRef : kI32, n);
            return std::nullopt;
        }
        case 4:
        case 16: {
            // A count, then a list: of references for FL04, which may be
            // empty, of plain values for FL16.
            const bool references = type == 4;
            const std::int32_t n = count(flavorTag(type), w.decide(kI32), references ? 0 : 1);
            w.run(references ? kFlavorRef : kI32, n);
            return std::nullopt;
        }
        case 5: {
            w.run(kFlavorRef, 1);
            const std::int32_t kind = w.decide(kI16);
            if (kind == 0) {
                const std::int32_t n = w.decide(kI16);
                if (compiling || n >= 1) count("FL05", n, 0, kMaxCount - 1);
                if (n >= 1) w.run(kI16, n + 1);
                return std::nullopt;
            }
            if (kind != 1 && kind != 4 && kind != 5 && kind != 12) return kind;
            w.run(kI16, 1);
            w.run(kI32Whole, 1);
            if (kind >= 5) w.run(kI32, 1);
            return std::nullopt;
        }
        case 12: {
            w.run(kFlavorRef, 1);
            const std::int32_t n = w.decide(kI32);
            w.run(kFlavorRef, count("FL12", n, compiling ? 0 : 1));
            return std::nullopt;
        }
        case 17: {
            w.run(kI32, 3);
            const std::int32_t n = count("FL17", w.decide(kI32), 1);
            w.pairs(kI32, kFlavorRef, n);
            return std::nullopt;
        }
        default:
            if (!isSupportedFlavor(type)) w.fail("not a flavor type with a layout");
            w.run(kI32, kFixedBodies[static_cast<std::size_t>(type)][0]);
            w.run(kFlavorRef, kFixedBodies[static_cast<std::size_t>(type)][1]);
            return std::nullopt;
    }
}

}  // namespace z5::object3d
