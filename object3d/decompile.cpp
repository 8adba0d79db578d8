// The .3do decompiler: reads the tagged sections in file order and writes
// each value as a right-justified decimal column.
#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "object3d/format.hpp"
#include "object3d/object3d.hpp"
#include "textfmt/columns.hpp"
#include "textfmt/numbers.hpp"
#include "textfmt/printform.hpp"

namespace z5 {
namespace {

using namespace object3d;

// Section names by stage (1 to 5), for failure reasons and stage messages.
struct Stage {
    std::string_view section;
    std::string_view crash;
    std::string_view title;
};
constexpr std::array<Stage, 6> kStages = {{
    {"start", "", ""},
    {"header", "CRASH - Header", "ERROR 1"},
    {"PERP", "CRASH - Vertex", "ERROR 2"},
    {"MRON", "CRASH - Normals", "ERROR 3"},
    {"NRTS", "CRASH - NRTS", "ERROR 4"},
    {"PRIM", "CRASH - PRIM", "ERROR 5"},
}};

void appendColumn(std::string& line, std::int64_t value, std::size_t width) {
    std::string text = numberText(value);
    padTo(text, width);
    line += text;
}

// The message line for a flavor body that stops at an unsupported kind.
std::string unsupportedKindMessage(const UnsupportedKind& u) {
    const bool named = u.kind >= 6 && u.kind <= 11;
    if (u.type == 2) return named ? "ERROR Flavor 2 T" + numberText(u.kind) : "ERROR Flavor 2 ELSE";
    if (u.kind == 2 || u.kind == 3) return "ERROR - Flavor 5 Type " + numberText(u.kind);
    return named ? "ERROR Flavor 5 T" + numberText(u.kind) : "ERROR - Flavor 5 Type ELSE";
}

std::string unsupportedTypeMessage(int type) {
    return type == 1 ? "ERROR FLAVOR 1" : "ERROR - Flavor " + numberText(type);
}

class Decompiler {
public:
    static constexpr CountUse countUse = CountUse::Stored;

    Decompiler(Command& cmd, int& stage)
        : in_(cmd.openInput()),
          vertexDef_(cmd.createText("vertex.def")),
          flavorDef_(cmd.createText("flavor.def")),
          stage_(stage) {}

    void run() {
        for (TextWriter* def : {&vertexDef_, &flavorDef_}) {
            def->line("REM  Z5 DEF V1.0");
            def->line("REM  Z5 Vertex File");
            def->line(def == &vertexDef_ ? "REM  Includes PERP and MRON Sections"
                                         : "REM  Includes NRTS and PRIM Sections");
            def->line("");
            def->line("");
        }
        for (int tags = 0; tags < 5; ++tags) {
            switch (in_.i32()) {
                case kTagObject:
                    stage_ = 1;
                    in_.i32();  // Reserved
                    in_.i32();  // Length, recomputed by the compiler
                    break;
                case kTagVertices:
                    stage_ = 2;
                    points("VERTICES:", lastIndex());
                    break;
                case kTagNormals: {
                    stage_ = 3;
                    const std::int16_t last = lastIndex();
                    vertexDef_.line("");
                    vertexDef_.line("");
                    points("NORMALS:", last);
                    break;
                }
                case kTagNames: {
                    stage_ = 4;
                    in_.i32();
                    const std::int32_t length = in_.i32();
                    NRTS(int16(length % 4), int16(length));
                    break;
                }
                case kTagFlavors:
                    stage_ = 5;
                    PRIM();
                    return;
                default:
                    break;  // not a tag: its 4 bytes are passed over
            }
        }
    }

    // Walker interface of walkFlavorBody: each field is read, written as a
    // 13-column value and counted into the running offset.
    std::int32_t decide(Field field) {
        const std::int32_t value = field.width == 2 ? in_.i16() : in_.i32();
        offset_ += field.width;
        appendColumn(line_, value, 13);
        return value;
    }
    void run(Field field, std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) decide(field);
    }
    void pairs(Field first, Field second, std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) {
            decide(first);
            decide(second);
        }
    }
    [[noreturn]] void fail(std::string_view what) const {
        throw CommandFailure(in_.name() + ": " + std::string(kStages[stage_].section) +
                             " at byte " + numberText(in_.position()) + ": " + std::string(what));
    }

private:
    std::int16_t int16(std::int32_t value) const {
        const auto v = narrowTo<std::int16_t>(value);
        if (!v) fail("length " + numberText(value) + " out of the 16-bit range");
        return *v;
    }

    // Reads a section header and gives the index of the last record: the
    // record count less one, worked out in floating point and rounded half
    // to even, as the stored Length need not be a multiple of 16.
    std::int16_t lastIndex() {
        in_.i32();
        const std::int32_t length = in_.i32();
        const auto last = roundTo<std::int16_t>(length / 16.0 - 1);
        if (!last) fail("length " + numberText(length) + " gives more than 32768 records");
        return *last;
    }

    // The vertex or normal block: a label line, then Key (6 columns) and X,
    // Y, Z (13 columns each) per record.
    void points(std::string_view label, std::int16_t intTemp) {
        vertexDef_.line(label);
        for (std::int32_t i = 0; i <= intTemp; ++i) {
            line_.clear();
            appendColumn(line_, in_.i32(), 6);
            for (int axis = 0; axis < 3; ++axis) appendColumn(line_, in_.i32(), 13);
            vertexDef_.line(line_);
        }
    }

    // One "FILE  " line per zero-ended name up to the end mark, then an empty
    // line. Bytes after an early end mark are skipped up to the section's
    // Length so that the next tag is read where the section ends.
    void NRTS(std::int16_t intTemp, std::int16_t intY) {
        if (intY < 1) fail("name list length " + numberText(intY) + " below 1");
        line_ = "FILE  ";
        std::int32_t index = 1;
        for (; index <= intY; ++index) {
            const std::uint8_t byte = in_.u8();
            if (byte != 0) {
                line_.push_back(static_cast<char>(byte));
            } else {
                flavorDef_.line(line_);
                line_ = "FILE  ";
            }
            if (byte == kNamesEnd) break;
        }
        for (; index < intY; ++index) in_.u8();
        for (int pad = padFor(intTemp); pad > 0; --pad) in_.u8();
        flavorDef_.line("");
    }

    void PRIM() {
        in_.i32();  // Reserved
        in_.i32();  // Length
        in_.i32();  // Root: the compiler makes the last flavor the root
        offset_ = kFirstFlavorOffset;
        while (!in_.atEnd()) {
            if (offset_ > std::numeric_limits<std::int32_t>::max())
                fail("flavor offset beyond 32 bits");
            const int type = in_.u8();
            in_.i32();  // Reserved
            if (isSupportedFlavor(type)) {
                line_ = flavorTag(type);
                line_ += ' ';
                appendColumn(line_, offset_, 6);
                offset_ += kFlavorHeaderSize;
                if (const auto unsupported = walkFlavorBody(type, *this)) {
                    stop(unsupportedKindMessage(*unsupported));
                    return;
                }
                flavorDef_.line(line_);
            } else if (isUnsupportedFlavor(type)) {
                stop(unsupportedTypeMessage(type));
                return;
            }
            // Type 0 and types above 24 are no flavors: only the header is
            // consumed and the offset stays.
        }
    }

    // Ends the flavor list: the message, then the offset reached.
    void stop(const std::string& message) {
        flavorDef_.line(message);
        flavorDef_.line(printNumber(offset_));
    }

    BinaryReader in_;
    TextWriter& vertexDef_;
    TextWriter& flavorDef_;
    int& stage_;
    std::string line_;
    std::int64_t offset_ = 0;
};

}  // namespace

void run3doDecompile(Command& cmd) {
    int stage = 0;
    try {
        Decompiler(cmd, stage).run();
    } catch (const std::exception& e) {
        // Once the files are closed and the pointer is back, a box names the
        // section the object was damaged in.
        if (stage == 0) throw;
        throw StageFailure(e.what(), std::string(kStages[stage].crash),
                           std::string(kStages[stage].title));
    }
}

}  // namespace z5
