#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>

#include "textfmt/failure.hpp"
#include "textfmt/numbers.hpp"
#include "track/format.hpp"
#include "track/track.hpp"

namespace z5 {
namespace {

using namespace track;

// Values are found by line position, never by label: the compiler counts the
// lines the decompiler writes between a marker and a value.
constexpr std::size_t kFixedColumn = 12;        // header and pointer values: the last 12 characters
constexpr std::size_t kMaxBlankPosition = 255;  // blank positions in a row are 8-bit
constexpr std::size_t kMaxRowLength = 32767;

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Trk.def read line by line; every failure names the line and what was
// expected there.
class DefInput {
public:
    explicit DefInput(TextReader& in) : in_(in) {}

    [[noreturn]] void fail(std::string_view what) const { in_.fail(what); }

    // The next line of a block; the end of the file here is a block that
    // ends early. `expected` is only called then.
    template <class Expected>
    std::string next(Expected expected) {
        if (in_.atEnd())
            throw CommandFailure(in_.name() + ":" + std::to_string(in_.lineNumber() + 1) +
                                 ": the file ends early; expected " + std::string(expected()));
        return in_.readLine();
    }

    template <class Expected>
    void skip(int count, Expected expected) {
        for (int i = 0; i < count; ++i) next(expected);
    }

    // `what` names the value and is only called on failure.
    template <class What>
    std::int32_t number(std::string_view token, What what) const {
        const auto value = roundTo<std::int32_t>(in_.number(token));
        if (!value)
            fail(std::string(what()) + ": \"" + std::string(token) +
                 "\" is outside the 32-bit range");
        return *value;
    }

    // A header or pointer value: the line's last 12 characters.
    template <class Expected>
    std::int32_t fixedColumnValue(Expected expected) {
        const std::string line = next(expected);
        std::string_view text(line);
        if (text.size() > kFixedColumn) text.remove_prefix(text.size() - kFixedColumn);
        return number(trimBlanks(text), expected);
    }

    // Splits a row into N tokens: each of the first N - 1 is the text up to
    // the first blank of the trimmed rest (an empty token when the rest has
    // no blank), the last is the whole trimmed rest. Columns may be any
    // number of blanks apart; surplus tokens stay in the last field.
    template <std::size_t N, class What>
    std::array<std::string_view, N> tokens(std::string_view row, What what) const {
        if (row.size() > kMaxRowLength)
            fail(std::string(what()) + ": the row is longer than " + std::to_string(kMaxRowLength) +
                 " characters");
        std::array<std::string_view, N> out;
        for (std::size_t i = 0; i + 1 < N; ++i) {
            row = trimBlanks(row);
            const std::size_t blank = row.find(' ');
            const std::size_t p = blank == std::string_view::npos ? 0 : blank + 1;
            if (p > kMaxBlankPosition)
                fail(std::string(what()) + ": field " + std::to_string(i + 1) + " is longer than " +
                     std::to_string(kMaxBlankPosition - 1) + " characters");
            out[i] = trimBlanks(row.substr(0, p));
            row.remove_prefix(p);
        }
        out[N - 1] = trimBlanks(row);
        return out;
    }

    template <std::size_t N, class What>
    std::array<std::int32_t, N> numbers(const std::array<std::string_view, N>& fields,
                                        std::size_t first, What what) const {
        std::array<std::int32_t, N> out{};
        for (std::size_t i = first; i < N; ++i)
            out[i] = number(fields[i], [&] {
                return std::string(what()) + ", field " + std::to_string(i + 1);
            });
        return out;
    }

    template <std::size_t N, class What>
    std::array<std::int32_t, N> row(What what) {
        const std::string line = next(what);
        return numbers(tokens<N>(line, what), 0, what);
    }

    std::int32_t count(std::int32_t value, std::string_view label, std::int32_t least) const {
        if (value < least || !countFits(value))
            fail(std::string(label) + " is " + std::to_string(value) + "; it must lie between " +
                 std::to_string(least) + " and 32768");
        return value;
    }

private:
    TextReader& in_;
};

void readHeader(DefInput& def, Track& track) {
    TrackHeader& h = track.header;
    auto expect = [](const char* label) { return [label] { return std::string(label); }; };
    def.skip(kLinesAfterMarker, expect("the lines under \"* HEADER *\""));
    // Version, Section 2 and Section 3 are not read: the compiler writes its
    // own version and derives both block sizes from the rows.
    def.next(expect("the Version line"));
    h.magic = kMagic;
    h.version = kVersion;
    h.length = def.fixedColumnValue(expect("the Length line"));
    h.eLines = def.count(def.fixedColumnValue(expect("the # Elines line")), "# Elines", 1);
    h.segments = def.count(def.fixedColumnValue(expect("the Segments line")), "Segments", 1);
    def.next(expect("the Section 2 line"));
    def.next(expect("the Section 3 line"));
    for (std::size_t i = 0; i < track.eLineTable.size(); ++i)
        track.eLineTable[i] =
            def.fixedColumnValue([i] { return "E Line " + std::to_string(i + 1); });
}

void readPointers(DefInput& def, Track& track) {
    def.skip(kLinesAfterMarker, [] { return "the lines under \"* POINTERS *\""; });
    track.pointers.resize(static_cast<std::size_t>(track.header.segments));
    for (std::size_t i = 0; i < track.pointers.size(); ++i)
        track.pointers[i] =
            def.fixedColumnValue([i] { return "pointer " + std::to_string(i + 1); });
}

template <class Rows>
void appendRows(DefInput& def, Rows& rows, std::int32_t count, std::string_view kind,
                std::size_t section) {
    for (std::int32_t i = 0; i < count; ++i) {
        if (rows.size() == kMaxCompiledRows)
            def.fail(sectionName(section) + " brings the definition past " +
                     std::to_string(kMaxCompiledRows) + " " + std::string(kind) + " rows");
        rows.push_back(def.row<std::tuple_size_v<typename Rows::value_type>>([&] {
            return std::string(kind) + " row " + std::to_string(i + 1) + " of " +
                   sectionName(section);
        }));
    }
}

void readSections(DefInput& def, Track& track) {
    const std::size_t segments = static_cast<std::size_t>(track.header.segments);
    def.skip(kLinesAfterMarker, [] { return "the lines under \"* SECTIONS *\""; });
    track.sections.resize(segments);
    for (std::size_t s = 0; s < segments; ++s) {
        const auto title = [s](std::string_view what) {
            return [s, what] { return std::string(what) + " of " + sectionName(s); };
        };
        def.skip(kLinesBeforeDataRow, title("the title lines"));
        const std::string line = def.next(title("the data row"));
        const auto what = title("the data row");
        const auto fields = def.tokens<std::tuple_size_v<SectionRecord>>(line, what);
        SectionRecord& section = track.sections[s];
        section = def.numbers(fields, 1, what);
        // Only the exact word marks a straight; any other first word is a turn.
        section[kTypeField] = fields[0] == "Straight" ? kStraightType : kTurnType;
        const std::int32_t surfaces = def.count(section[kSurfacesField], "Surfaces", -32767);
        const std::int32_t walls = def.count(section[kWallsField], "Walls", -32767);

        def.skip(kLinesBeforeGroupRows, title("the BANKING title lines"));
        for (std::int32_t i = 0; i < track.header.eLines; ++i)
            track.banking.push_back(def.row<std::tuple_size_v<BankingRecord>>(
                [&] { return "banking row " + std::to_string(i + 1) + " of " + sectionName(s); }));
        def.skip(kLinesBeforeGroupRows, title("the SURFACES title lines"));
        appendRows(def, track.surfaces, surfaces, "surface", s);
        def.skip(kLinesBeforeGroupRows, title("the WALLS title lines"));
        appendRows(def, track.walls, walls, "wall", s);
        if (s + 1 < segments) def.skip(kLinesBetweenSections, title("the lines after the walls"));
    }
}

// Scans for the block markers; text outside the blocks is skipped and
// nothing after the last section is read. Each block is needed once, in the
// order header, pointers, sections: the later blocks are sized by the header.
Track readDefinition(TextReader& in) {
    DefInput def(in);
    Track track;
    bool header = false;
    bool pointers = false;
    while (!in.atEnd()) {
        const std::string line = in.readLine();
        if (line == kHeaderMarker) {
            if (header) def.fail("a second HEADER block");
            readHeader(def, track);
            header = true;
        } else if (line == kPointersMarker) {
            if (!header || pointers)
                def.fail(header ? "a second POINTERS block"
                                : "POINTERS block before the HEADER block");
            readPointers(def, track);
            pointers = true;
        } else if (line == kSectionsMarker) {
            if (!pointers)
                def.fail(header ? "SECTIONS block before the POINTERS block"
                                : "SECTIONS block before the HEADER block");
            readSections(def, track);
            return track;
        }
    }
    const char* missing = !header ? "HEADER" : !pointers ? "POINTERS" : "SECTIONS";
    throw CommandFailure(in.name() + ": no \"* " + std::string(missing) + " *\" line; the " +
                         missing + " block is missing");
}

void writeTrack(BinaryWriter& out, const Track& track) {
    const TrackHeader& h = track.header;
    out.bytes(h.magic);
    for (std::int32_t v : {h.version, h.length, h.eLines, h.segments, h.section2, h.section3})
        out.i32(v);
    for (std::int32_t v : track.eLineTable) out.i32(v);
    for (std::int32_t v : track.pointers) out.i32(v);
    const auto values = [&out](const auto& rows) {
        for (const auto& row : rows)
            for (std::int32_t v : row) out.i32(v);
    };
    values(track.banking);
    values(track.surfaces);
    std::size_t wallCursor = 0;
    for (const SectionRecord& section : track.sections) {
        for (std::int32_t v : section) out.i32(v);
        for (std::int32_t w = 0; w < section[kWallsField]; ++w)
            for (std::int32_t v : track.walls[wallCursor++]) out.i32(v);
    }
}

}  // namespace

void compileTrack(TextReader& def, BinaryWriter& trk) {
    Track track = readDefinition(def);
    // The rows read decide both block sizes, whatever the header said. At
    // most 501 rows each and 32768 sections keep these inside 32 bits.
    track.header.section2 = static_cast<std::int32_t>(kSurfaceBytes * track.surfaces.size());
    track.header.section3 = static_cast<std::int32_t>(kWallBytes * track.walls.size() +
                                                      kSectionBytes * track.sections.size());
    writeTrack(trk, track);
}

void runTrkCompile(Command& cmd) {
    TextReader def = cmd.openText("Trk.def");
    compileTrack(def, cmd.createBinary("New.trk"));
}

}  // namespace z5
