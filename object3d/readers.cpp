// The counting passes of the 3do compile: GetVertex, GetFlavor, MakeArray.
#include <limits>
#include <string>

#include "object3d/compile.hpp"
#include "object3d/deftext.hpp"
#include "textfmt/printform.hpp"

namespace z5::object3d {
namespace {

constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();
// Tables are indexed by 16-bit counters: 32768 entries at most.
constexpr std::int32_t kMaxEntries = kMaxCount + 1;

// The values of a flavor line that offset.def shows after the offset, as
// 1-based positions among the values (the references and counts it carries).
std::string shownValues(int type, std::span<const FlavorBody::Value> values,
                        std::string_view afterOffset) {
    auto show = [&](std::initializer_list<std::size_t> positions) {
        std::string out;
        for (std::size_t p : positions) {
            out += ' ';
            out += values[p - 1].text;
        }
        return out;
    };
    switch (type) {
        case 2:
            return show({1, 3});
        case 4:
            return afterOffset.empty() ? std::string() : std::string(" ").append(afterOffset);
        case 5:
            return show({1});
        case 6:
            return show({6});
        case 7:
        case 11:
            return show({6, 7});
        case 8:
            return show({6, 7, 8, 9});
        case 9:
        case 10:
            return show({6, 7, 8});
        case 12:
            return show({1, 2});
        case 13:
        case 19:
            return show({8});
        case 16:
            return show({1});
        case 17:
            return show({4});
        default:
            return "";
    }
}

}  // namespace

void RenumberTable::reset(std::size_t entries) {
    entries_.assign(entries, {0, 0});
    slots_.clear();
}

void RenumberTable::set(std::size_t i, std::int32_t oldNumber, std::int32_t newNumber) {
    entries_.at(i) = {oldNumber, newNumber};
}

// Fibonacci hashing: the top bits of the product spread neighbouring
// numbers over the whole table.
std::size_t RenumberTable::slotOf(std::int32_t oldNumber) const {
    return static_cast<std::size_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(oldNumber)) * 0x9E3779B97F4A7C15u) >>
        shift_);
}

void RenumberTable::index() {
    int bits = 1;
    while ((std::size_t{1} << bits) < 2 * entries_.size()) ++bits;
    shift_ = 64 - bits;
    slots_.assign(std::size_t{1} << bits, Slot{});
    const std::size_t mask = slots_.size() - 1;
    for (const auto& [oldNumber, newNumber] : entries_) {
        std::size_t i = slotOf(oldNumber);
        while (slots_[i].used && slots_[i].oldNumber != oldNumber) i = (i + 1) & mask;
        if (!slots_[i].used) slots_[i] = Slot{oldNumber, newNumber, true};
    }
}

std::int32_t RenumberTable::renumber(std::int32_t value) const {
    if (slots_.empty()) return value;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = slotOf(value);; i = (i + 1) & mask) {
        if (!slots_[i].used) return value;
        if (slots_[i].oldNumber == value) return slots_[i].newNumber;
    }
}

std::int32_t FlavorBody::number(const Value& value) const {
    if (value.converted) return value.number;
    const std::optional<std::int32_t> n =
        value.field.width == 2
            ? std::optional<std::int32_t>(leadingInteger<std::int16_t>(def_, value.text))
        : value.field.wholeText ? wholeInteger<std::int32_t>(value.text)
                                : leadingInteger<std::int32_t>(def_, value.text);
    if (!n)
        fail(std::string(flavorTag(type_)) + " value " + quoted(value.text) +
             (value.field.wholeText    ? " is not a number that fits 32 bits"
              : value.field.width == 2 ? " out of the 16-bit range"
                                       : " out of the 32-bit range"));
    return *n;
}

std::string_view FlavorBody::take() {
    const auto token = tokens_->next();
    if (!token)
        fail(std::string(flavorTag(type_)) + " line ends after " + std::to_string(values_.size()) +
             " values; its layout needs more");
    return *token;
}

std::int32_t FlavorBody::decide(Field field) {
    Value& v = values_.emplace_back(Value{field, take(), 0, false});
    v.number = number(v);
    v.converted = true;
    size_ += field.width;
    return v.number;
}

void FlavorBody::run(Field field, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) values_.push_back(Value{field, take(), 0, false});
    size_ += field.width * n;
}

void FlavorBody::pairs(Field first, Field second, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) {
        values_.push_back(Value{first, take(), 0, false});
        values_.push_back(Value{second, take(), 0, false});
    }
    size_ += (first.width + second.width) * n;
}

void FlavorBody::parse(int type, Tokens& tokens) {
    tokens_ = &tokens;
    type_ = type;
    size_ = kFlavorHeaderSize;
    values_.clear();
    if (const auto unsupported = walkFlavorBody(type, *this))
        fail(std::string(flavorTag(type)) + " kind " + std::to_string(unsupported->kind) +
             " has no layout");
    // The last value takes the rest of the line, blanks and all.
    const std::string_view rest = tokens.rest();
    if (!rest.empty() && !values_.empty() && !values_.back().converted) {
        std::string_view& last = values_.back().text;
        last = std::string_view(last.data(),
                                static_cast<std::size_t>(rest.data() + rest.size() - last.data()));
    }
    tokens_ = nullptr;
}

void GetVertex(TextReader& vertexDef, TextWriter& offsetDef, CompileState& state) {
    enum class Section { None, Vertices, Normals };
    Section section = Section::None;
    bool headerJustRead = false;
    bool seenVertices = false, seenNormals = false;
    std::int32_t vertices = 0, normals = 0;
    std::string entry;
    while (!vertexDef.atEnd()) {
        const std::string line = vertexDef.readLine();
        const bool isVertices = line == "VERTICES:", isNormals = line == "NORMALS:";
        // A header with no line of its own would leave its table empty while
        // offset.def holds its header: the next table would be read out of step.
        if (headerJustRead && (line.empty() || isVertices || isNormals))
            vertexDef.fail("the section above has no lines");
        headerJustRead = false;
        if (line.empty()) {
            section = Section::None;
        } else if (isVertices || isNormals) {
            bool& seen = isVertices ? seenVertices : seenNormals;
            if (seen) vertexDef.fail("a second " + line + " section");
            seen = true;
            offsetDef.line(isVertices ? "VERT" : "NORM");
            section = isVertices ? Section::Vertices : Section::Normals;
            headerJustRead = true;
        } else if (section != Section::None) {
            Tokens tokens(line);
            const auto key = tokens.next();
            const auto number = wholeInteger<std::int32_t>(key.value_or(""));
            if (!number)
                vertexDef.fail(quoted(key.value_or("")) + " is not a number that fits 32 bits");
            std::int32_t& count = section == Section::Vertices ? vertices : normals;
            if (count == kMaxEntries) vertexDef.fail("more than 32768 lines in one section");
            entry.clear();
            appendPrintNumber(entry, *number);
            appendPrintNumber(entry, count++);
            offsetDef.line(entry);
        }
    }
    if (headerJustRead) vertexDef.fail("the section above has no lines");
    state.lngVertCount = vertices - 1;
    state.lngNormCount = normals - 1;
    state.blnVerts = state.blnVerts || state.lngVertCount >= 0;
    state.blnNorms = state.blnNorms || state.lngNormCount >= 0;
}

void GetFlavor(TextReader& flavorDef, TextWriter& offsetDef, CompileState& state) {
    std::int64_t primCount = kFirstFlavorOffset;
    std::int64_t nrtsCount = 1;  // the end mark
    std::int32_t flavors = 0;
    bool flavorLinesBegun = false;
    FlavorBody body(flavorDef);
    std::string entry;
    while (!flavorDef.atEnd()) {
        const std::string line = flavorDef.readLine();
        const FlavorDefLine l = classifyFlavorLine(line);
        switch (l.kind) {
            case FlavorDefLine::Kind::Other:
                break;
            case FlavorDefLine::Kind::OtherFlavor:
                flavorLinesBegun = true;
                break;
            case FlavorDefLine::Kind::Name:
                // The writer puts the names before the flavors: a later name
                // would be counted into the name section but never written.
                if (flavorLinesBegun) flavorDef.fail("file name after the first flavor line");
                if (l.rest.empty()) flavorDef.fail("empty file name");
                if (l.rest.find_first_of(std::string_view("\0\xFF", 2)) != std::string_view::npos)
                    flavorDef.fail("a file name cannot hold the bytes 0 or 255");
                state.blnNrts = true;
                nrtsCount += static_cast<std::int64_t>(l.rest.size()) + 1;
                if (nrtsCount > kMaxInt32) flavorDef.fail("file names beyond 32-bit sizes");
                break;
            case FlavorDefLine::Kind::Flavor: {
                flavorLinesBegun = true;
                state.blnPrim = true;
                if (flavors == kMaxEntries) flavorDef.fail("more than 32768 flavor lines");
                ++flavors;
                state.lngRoot = static_cast<std::int32_t>(primCount);
                Tokens tokens(l.rest);
                const auto offset = tokens.next();
                if (!offset) flavorDef.fail("flavor line without its offset");
                if (!leadingInteger<std::int32_t>(flavorDef, *offset))
                    flavorDef.fail("offset " + quoted(*offset) + " out of the 32-bit range");
                const std::string_view afterOffset = tokens.rest();
                body.parse(l.type, tokens);
                entry = flavorTag(l.type);
                entry += ' ';
                entry += *offset;
                entry += shownValues(l.type, body.values(), afterOffset);
                offsetDef.line(entry);
                offsetDef.line(numberText(primCount));
                primCount += body.size();
                if (primCount > kMaxInt32) flavorDef.fail("flavors beyond 32-bit offsets");
                break;
            }
        }
    }
    state.lngPrimCount = static_cast<std::int32_t>(primCount);
    state.lngNrtsCount = static_cast<std::int32_t>(nrtsCount);
    state.lngOffsetCount = flavors - 1;
}

void MakeArray(TextReader& offsetDef, const CompileState& state, RenumberTables& tables) {
    auto number = [&offsetDef](std::string_view text) {
        const auto n = leadingInteger<std::int32_t>(offsetDef, text);
        if (!n) offsetDef.fail(quoted(text) + " out of the 32-bit range");
        return *n;
    };
    auto readPoints = [&](RenumberTable& table, std::int32_t last) {
        if (last < 0) return;
        table.reset(static_cast<std::size_t>(last) + 1);
        offsetDef.readLine();  // "VERT" or "NORM"
        for (std::int32_t i = 0; i <= last; ++i) {
            const std::string line = offsetDef.readLine();
            Tokens tokens(line);
            const std::string_view first = tokens.next().value_or("");
            table.set(static_cast<std::size_t>(i), number(first), number(tokens.rest()));
        }
        table.index();
    };
    readPoints(tables.lngVertTable, state.lngVertCount);
    readPoints(tables.lngNormTable, state.lngNormCount);
    if (state.lngOffsetCount >= 0) {
        RenumberTable& table = tables.lngOffsetTable;
        table.reset(static_cast<std::size_t>(state.lngOffsetCount) + 1);
        for (std::int32_t k = 0; k <= state.lngOffsetCount; ++k) {
            const std::string tagLine = offsetDef.readLine();
            Tokens tokens(tagLine.size() > 4 ? std::string_view(tagLine).substr(4) : "");
            const std::int32_t oldOffset = number(tokens.next().value_or(""));
            table.set(static_cast<std::size_t>(k), oldOffset, number(offsetDef.readLine()));
        }
        table.index();
    }
}

}  // namespace z5::object3d
