// The four passes of the 3do compile and the state they share. GetVertex
// and GetFlavor count the definition files, place every flavor and record
// the old and new numbers in offset.def; MakeArray reads offset.def back into
// the renumbering tables; WriteFile writes the object in one forward pass.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "object3d/deftext.hpp"
#include "object3d/format.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/textio.hpp"

namespace z5::object3d {

struct CompileState {
    bool blnVerts = false;            // vertex lines were read
    bool blnNorms = false;            // normal lines were read
    bool blnNrts = false;             // file-name lines were read
    bool blnPrim = false;             // flavor lines were read
    std::int32_t lngVertCount = 0;    // last vertex index (-1: none)
    std::int32_t lngNormCount = 0;    // last normal index (-1: none)
    std::int32_t lngOffsetCount = 0;  // last flavor index (-1: none)
    std::int32_t lngPrimCount = 0;    // flavor data size: root field and all flavors
    std::int32_t lngNrtsCount = 0;    // name data size: names, their zero bytes, end mark
    std::int32_t lngRoot = 0;         // new offset of the last flavor
};

// Old numbers (as the text gives them) to new ones. When two entries carry
// the same old number the first in file order wins; a number no entry
// carries stays as it is. Looked up through an open-addressing hash index,
// so a lookup costs the same whatever the table's size.
class RenumberTable {
public:
    // Makes the table anew with `entries` entries, all (0, 0).
    void reset(std::size_t entries);
    void set(std::size_t i, std::int32_t oldNumber, std::int32_t newNumber);
    // Builds the lookup index; call after the last set().
    void index();
    std::int32_t renumber(std::int32_t value) const;
    std::span<const std::pair<std::int32_t, std::int32_t>> entries() const { return entries_; }

private:
    struct Slot {
        std::int32_t oldNumber = 0;
        std::int32_t newNumber = 0;
        bool used = false;
    };
    std::size_t slotOf(std::int32_t oldNumber) const;

    std::vector<std::pair<std::int32_t, std::int32_t>> entries_;
    std::vector<Slot> slots_;  // a power of two, at least twice the entries
    int shift_ = 64;
};

struct RenumberTables {
    RenumberTable lngVertTable;
    RenumberTable lngNormTable;
    RenumberTable lngOffsetTable;
};

// Counts the vertex and normal lines of vertex.def and appends their
// entries to offset.def.
void GetVertex(TextReader& vertexDef, TextWriter& offsetDef, CompileState& state);
// Counts the names and flavors of flavor.def, places each flavor, appends the
// flavor entries to offset.def and closes it.
void GetFlavor(TextReader& flavorDef, TextWriter& offsetDef, CompileState& state);
// Reads offset.def into the three tables.
void MakeArray(TextReader& offsetDef, const CompileState& state, RenumberTables& tables);
// Writes the object file from both definition files.
void WriteFile(TextReader& vertexDef, TextReader& flavorDef, BinaryWriter& out, CompileState& state,
               const RenumberTables& tables);

// The values of one flavor line after its offset, parsed with the body
// layout: GetFlavor takes the flavor's size from it and WriteFile its fields,
// so both passes read every line the same way.
class FlavorBody {
public:
    static constexpr CountUse countUse = CountUse::Compiled;

    struct Value {
        Field field;
        std::string_view text;
        std::int32_t number;  // set for values that shape the body (kinds, counts)
        bool converted;
    };

    explicit FlavorBody(const TextReader& def) : def_(def) {}

    // Takes the values of a flavor of `type` from `tokens`. The last value
    // takes the whole rest of the line. Fails on a kind without a layout, a
    // count out of range, or a missing value.
    void parse(int type, Tokens& tokens);
    // The flavor's size in bytes, header included.
    std::int32_t size() const { return size_; }
    std::span<const Value> values() const { return values_; }
    // The value's number: converted as its field is read.
    std::int32_t number(const Value& value) const;

    // Walker interface of walkFlavorBody.
    std::int32_t decide(Field field);
    void run(Field field, std::int32_t n);
    void pairs(Field first, Field second, std::int32_t n);
    [[noreturn]] void fail(std::string_view what) const { def_.fail(what); }

private:
    std::string_view take();

    const TextReader& def_;
    Tokens* tokens_ = nullptr;
    int type_ = 0;
    std::int32_t size_ = 0;
    std::vector<Value> values_;
};

}  // namespace z5::object3d
