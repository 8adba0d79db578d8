// The writing pass of the 3do compile and the compile command.
#include <limits>
#include <string>

#include "object3d/compile.hpp"
#include "object3d/deftext.hpp"
#include "object3d/object3d.hpp"
#include "textfmt/printform.hpp"

namespace z5::object3d {
namespace {

void sectionHeader(BinaryWriter& out, std::int32_t tag, std::int32_t length) {
    out.i32(tag);
    out.i32(0);
    out.i32(length);
}

void pad(BinaryWriter& out, int count) {
    for (int i = 0; i < count; ++i) out.u8(kPadByte);
}

// One vertex or normal record per line: its position index, then x, y and
// z (the last value takes the rest of the line). The old number is dropped.
void writePoints(TextReader& def, BinaryWriter& out, std::int32_t last) {
    for (std::int32_t i = 0; i <= last; ++i) {
        const std::string line = def.readLine();
        Tokens tokens(line);
        tokens.next();
        const auto x = tokens.next(), y = tokens.next();
        if (!y || tokens.rest().empty()) def.fail("a line needs a number and x, y, z");
        const auto coordinate = [&def](std::string_view text) {
            const auto n = leadingInteger<std::int32_t>(def, text);
            if (!n) def.fail("coordinate " + quoted(text) + " out of the 32-bit range");
            return *n;
        };
        out.i32(i);
        out.i32(coordinate(*x));
        out.i32(coordinate(*y));
        out.i32(coordinate(tokens.rest()));
    }
}

}  // namespace

void WriteFile(TextReader& vertexDef, TextReader& flavorDef, BinaryWriter& out, CompileState& state,
               const RenumberTables& tables) {
    const int objectPad = padFor(state.lngPrimCount);
    const int namePad = state.blnNrts ? padFor(state.lngNrtsCount) : 0;
    std::int64_t total = 0;
    if (state.blnVerts) total += 12 + 16 * (static_cast<std::int64_t>(state.lngVertCount) + 1);
    if (state.blnNorms) total += 12 + 16 * (static_cast<std::int64_t>(state.lngNormCount) + 1);
    if (state.blnPrim) total += 12 + static_cast<std::int64_t>(state.lngPrimCount) + objectPad;
    if (state.blnNrts) total += 12 + static_cast<std::int64_t>(state.lngNrtsCount) + namePad;
    if (total > std::numeric_limits<std::int32_t>::max())
        throw CommandFailure(out.name() + ": object larger than 32-bit sizes allow");
    sectionHeader(out, kTagObject, static_cast<std::int32_t>(total));

    // Each section header goes right before its records, so the sections
    // come out in the order in which vertex.def holds them.
    while (!vertexDef.atEnd()) {
        const std::string line = vertexDef.readLine();
        if (line == "VERTICES:" && state.blnVerts) {
            sectionHeader(out, kTagVertices, 16 * (state.lngVertCount + 1));
            writePoints(vertexDef, out, state.lngVertCount);
        } else if (line == "NORMALS:" && state.blnNorms) {
            sectionHeader(out, kTagNormals, 16 * (state.lngNormCount + 1));
            writePoints(vertexDef, out, state.lngNormCount);
        }
    }

    if (state.blnNrts) sectionHeader(out, kTagNames, state.lngNrtsCount);
    const std::int64_t namesStart = out.position();
    bool namesWritten = false;
    bool flavorsBegun = false;
    std::int64_t flavorsStart = 0;  // where offset 0 lies: the root field
    auto beginFlavors = [&] {
        if (flavorsBegun) return;
        flavorsBegun = true;
        if (namesWritten) {
            out.u8(kNamesEnd);
            if (out.position() - namesStart != state.lngNrtsCount)
                flavorDef.fail("name section size differs from the count of the first pass");
            pad(out, namePad);
        }
        if (state.blnPrim) {
            sectionHeader(out, kTagFlavors, state.lngPrimCount);
            flavorsStart = out.position();
            out.i32(state.lngRoot);
        }
    };

    FlavorBody body(flavorDef);
    const auto placed = tables.lngOffsetTable.entries();
    std::size_t k = 0;
    while (!flavorDef.atEnd()) {
        const std::string line = flavorDef.readLine();
        const FlavorDefLine l = classifyFlavorLine(line);
        if (l.kind == FlavorDefLine::Kind::Name) {
            for (char c : l.rest) out.u8(static_cast<std::uint8_t>(c));
            out.u8(0);
            namesWritten = true;
            continue;
        }
        if (l.kind == FlavorDefLine::Kind::OtherFlavor) beginFlavors();
        if (l.kind != FlavorDefLine::Kind::Flavor) continue;
        beginFlavors();
        // A flavor that does not land where GetFlavor placed it would make
        // every reference to it and after it wrong.
        const std::int64_t offset = out.position() - flavorsStart;
        if (k >= placed.size() || offset != placed[k].second)
            flavorDef.fail("flavor would be written at offset " + numberText(offset) +
                           ", not where the first pass placed it");
        ++k;
        Tokens tokens(l.rest);
        tokens.next();  // the old offset, already in the offset table
        body.parse(l.type, tokens);
        out.u8(static_cast<std::uint8_t>(l.type));
        out.i32(0);
        for (const FlavorBody::Value& v : body.values()) {
            std::int32_t n = body.number(v);
            switch (v.field.ref) {
                case Ref::None:
                    break;
                case Ref::Vertex:
                    n = tables.lngVertTable.renumber(n);
                    break;
                case Ref::Normal:
                    n = tables.lngNormTable.renumber(n);
                    break;
                case Ref::Flavor:
                    n = tables.lngOffsetTable.renumber(n);
                    break;
            }
            if (v.field.width == 2)
                out.i16(static_cast<std::int16_t>(n));
            else
                out.i32(n);
        }
    }
    // Names are followed by flavors: a file without any flavor line could
    // not be told apart from a damaged one.
    if (!flavorsBegun) flavorDef.fail("the file ends without a flavor line (FL02 to FL21)");
    if (state.blnPrim && out.position() - flavorsStart != state.lngPrimCount)
        flavorDef.fail("flavor section size differs from the count of the first pass");
    pad(out, objectPad);
    if (out.position() != 12 + total)
        throw CommandFailure(out.name() + ": written size differs from the header's total");
}

}  // namespace z5::object3d

namespace z5 {

void run3doCompile(Command& cmd) {
    using namespace object3d;
    // The work files live in the working folder, found without regard to
    // letter case. The object and offset.def replace older ones only
    // when the whole compile succeeded; the object may be neither an
    // input nor offset.def.
    BinaryWriter& out = cmd.createBinaryAt(cmd.chosenPath(), cmd.chosenPath());
    TextWriter& offsetDef = cmd.createText("offset.def");
    CompileState state;
    {
        TextReader vertexDef = cmd.openText("vertex.def");
        GetVertex(vertexDef, offsetDef, state);
        TextReader flavorDef = cmd.openText("flavor.def");
        GetFlavor(flavorDef, offsetDef, state);
    }
    RenumberTables tables;
    {
        // offset.def is read back from where it is being written.
        offsetDef.flush();
        TextReader offsets(offsetDef.temporaryPath(), "offset.def");
        MakeArray(offsets, state, tables);
    }
    TextReader vertexDef = cmd.openText("vertex.def");
    TextReader flavorDef = cmd.openText("flavor.def");
    WriteFile(vertexDef, flavorDef, out, state, tables);
}

}  // namespace z5
