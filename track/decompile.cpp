#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "textfmt/columns.hpp"
#include "textfmt/failure.hpp"
#include "textfmt/numbers.hpp"
#include "textfmt/printform.hpp"
#include "track/format.hpp"
#include "track/track.hpp"

namespace z5 {
namespace {

using namespace track;

constexpr std::string_view kStraightHeader =
    "         Type            Start       Length  Orientation      Angle 1      Angle 2"
    "      Angle 3      Angle 4      Angle 5     Offset 1     Surfaces     Offset 2        Walls";
// Length and Orientation stand one column further right than for a straight.
constexpr std::string_view kTurnHeader =
    "         Type            Start        Length  Orientation     X Coord      Y Coord"
    "          Arc         NULL         NULL     Offset 1     Surfaces     Offset 2        Walls";
constexpr std::string_view kStraightBankingHeader =
    "         Height 1     Height 2     Height 3     Init Hgt        Val 1        Val 2"
    "      X Coord      Y Coord";
constexpr std::string_view kTurnBankingHeader =
    "         Height 1     Height 2     Height 3     Init Hgt        Val 1        Val 2"
    "       Radius         NULL";
constexpr std::string_view kSurfaceHeader = "            Start          End      Surface";
constexpr std::string_view kWallHeader =
    "         Wall Type       Start          End         NULL         NULL";

// The rule under a column header: nine blanks, then "=" to the header's end.
std::string rule(std::string_view header) {
    return std::string(9, ' ') + std::string(header.size() - 9, '=');
}

// Reads the track strictly from front to back. A file that ends before a
// record it announces fails, naming the block: zeros made up for missing
// bytes would come back as a different track.
class TrackInput {
public:
    explicit TrackInput(BinaryReader& in) : in_(in) {}

    [[noreturn]] void fail(std::string_view block, std::string_view what) const {
        throw CommandFailure(in_.name() + ": " + std::string(block) + ": " + std::string(what));
    }

    // Fails unless `bytes` more bytes are in the file; `describe` names what
    // they would hold and is only called on failure.
    template <class Describe>
    void need(std::int64_t bytes, std::string_view block, Describe describe) {
        if (in_.size() - in_.position() < bytes)
            fail(block, "the file ends after " + std::to_string(in_.size()) + " bytes, inside " +
                            std::string(describe()));
    }

    template <std::size_t N, class Describe>
    void record(std::array<std::int32_t, N>& values, std::string_view block, Describe describe) {
        need(static_cast<std::int64_t>(4 * N), block, describe);
        for (auto& v : values) v = in_.i32();
    }

    BinaryReader& reader() { return in_; }

private:
    BinaryReader& in_;
};

std::string countReason(std::string_view label, std::int32_t value) {
    return std::string(label) + " is " + std::to_string(value) +
           "; a count must lie between -32767 and 32768";
}

// Header, E-line table and pointer table.
void readLeadingBlocks(TrackInput& trk, Track& track) {
    TrackHeader& h = track.header;
    trk.need(kHeaderBytes, "header", [] { return "the 28-byte header"; });
    for (auto& b : h.magic) b = trk.reader().u8();
    h.version = trk.reader().i32();
    h.length = trk.reader().i32();
    h.eLines = trk.reader().i32();
    h.segments = trk.reader().i32();
    h.section2 = trk.reader().i32();
    h.section3 = trk.reader().i32();

    trk.record(track.eLineTable, "E-line table", [] { return "the ten E-line values"; });

    if (!countFits(h.segments)) trk.fail("header", countReason("Segments", h.segments));
    track.pointers.resize(static_cast<std::size_t>(std::max(h.segments, 0)));
    for (std::size_t i = 0; i < track.pointers.size(); ++i) {
        std::array<std::int32_t, 1> v{};
        trk.record(v, "pointer table", [i] { return "pointer " + std::to_string(i + 1); });
        track.pointers[i] = v[0];
    }
}

// N, the number of surface records: the surface block ends where the
// section block begins (file length - Section 3) and is Section 2 bytes long.
// Both ends and the length are 16-bit positions.
std::int16_t surfaceCount(TrackInput& trk, const TrackHeader& h) {
    const std::int64_t end = trk.reader().size() - h.section3;
    const std::int64_t begin = end - h.section2;
    const auto a = narrowTo<std::int16_t>(end);
    const auto b = narrowTo<std::int16_t>(begin);
    if (!a || !b || !narrowTo<std::int16_t>(*a - *b))
        trk.fail("surface block",
                 "the surface block lies at bytes " + std::to_string(begin) + " to " +
                     std::to_string(end) + " (file length " + std::to_string(trk.reader().size()) +
                     " - Section 3 - Section 2); positions beyond 32767 cannot be counted");
    const auto n = roundTo<std::int16_t>((*a - *b) / 12.0);
    if (!n || *n < 0)
        trk.fail("header", "Section 2 is " + std::to_string(h.section2) +
                               "; the surface block cannot have a negative size");
    return *n;
}

void readBody(TrackInput& trk, Track& track) {
    const TrackHeader& h = track.header;
    const std::int16_t n = surfaceCount(trk, h);
    if (h.segments < 1)
        trk.fail("header", "Segments is " + std::to_string(h.segments) +
                               "; a track has at least one section");
    if (h.eLines < 1 || !countFits(h.eLines))
        trk.fail("header", "# Elines is " + std::to_string(h.eLines) +
                               "; each section has 1 to 32768 banking records");

    // The banking table is sized from two counts in the file: it must be in
    // the file before it is given memory.
    const auto eLines = static_cast<std::size_t>(h.eLines);
    const std::int64_t bankingRows = std::int64_t{h.segments} * h.eLines;
    trk.need(bankingRows * kBankingBytes, "banking block", [&] {
        return std::to_string(bankingRows) + " banking records (Segments x # Elines)";
    });
    track.banking.resize(static_cast<std::size_t>(bankingRows));
    for (std::size_t i = 0; i < track.banking.size(); ++i)
        trk.record(track.banking[i], "banking block", [&] {
            return "banking record " + std::to_string(i % eLines + 1) + " of " +
                   sectionName(i / eLines);
        });

    // N records and the spare zero row that a section may still claim.
    track.surfaces.resize(static_cast<std::size_t>(n) + 1);
    for (std::int16_t i = 0; i < n; ++i)
        trk.record(track.surfaces[i], "surface block",
                   [i] { return "surface record " + std::to_string(i + 1); });

    std::int64_t claimedSurfaces = 0;
    track.sections.resize(static_cast<std::size_t>(h.segments));
    for (std::size_t s = 0; s < track.sections.size(); ++s) {
        SectionRecord& section = track.sections[s];
        trk.record(section, "section block", [s] { return sectionName(s); });
        for (std::size_t field : {kSurfacesField, kWallsField})
            if (!countFits(section[field]))
                trk.fail(
                    "section block",
                    sectionName(s) + ": " +
                        countReason(field == kWallsField ? "Walls" : "Surfaces", section[field]));
        claimedSurfaces += std::max(section[kSurfacesField], 0);
        for (std::int32_t w = 0; w < section[kWallsField]; ++w) {
            if (track.walls.size() == kMaxDecompiledWalls)
                trk.fail("section block", sectionName(s) + " brings the track past " +
                                              std::to_string(kMaxDecompiledWalls) + " walls");
            trk.record(track.walls.emplace_back(), "section block",
                       [&] { return "wall " + std::to_string(w + 1) + " of " + sectionName(s); });
        }
    }
    if (claimedSurfaces > static_cast<std::int64_t>(track.surfaces.size()))
        trk.fail("section block", "the sections claim " + std::to_string(claimedSurfaces) +
                                      " surface records; the surface block holds " +
                                      std::to_string(n));
}

// Appends each value right-justified in a 13-character column.
template <class Values>
void appendColumns(std::string& line, const Values& values) {
    for (std::int32_t v : values) {
        std::string text = numberText(v);
        PadTo13(text);
        line += text;
    }
}

template <class Values>
void writeRows(TextWriter& def, const Values& rows, std::size_t first, std::int32_t count) {
    std::string line;
    for (std::int32_t i = 0; i < count; ++i) {
        line.assign(4, ' ');
        appendColumns(line, rows[first + static_cast<std::size_t>(i)]);
        def.line(line);
    }
}

void writeLabelled(TextWriter& def, std::string_view label, std::int32_t value) {
    std::string line(label);
    appendColumns(line, std::array{value});
    def.line(line);
}

void writeBanner(TextWriter& def, std::string_view title) {
    const std::string stars(title.size(), '*');
    def.line(stars);
    def.line(title);
    def.line(stars);
    def.line("");
}

void writeGroupTitle(TextWriter& def, std::string_view title, int blanksBefore) {
    for (int i = 0; i < blanksBefore; ++i) def.line("");
    def.line(std::string(9, ' ') + std::string(title));
    def.line(std::string(9, ' ') + std::string(title.size(), '-'));
    def.line("");
}

// A titled group of a section: title, column header, rule, then `count`
// rows from `first` on.
template <class Rows>
void writeGroup(TextWriter& def, std::string_view title, std::string_view header, const Rows& rows,
                std::size_t first, std::int32_t count) {
    writeGroupTitle(def, title, 2);
    def.line(header);
    def.line(rule(header));
    writeRows(def, rows, first, count);
}

void writePreamble(TextWriter& def) {
    def.line("Z5 TRK Def File");
    def.line("All values are long integers");
    def.line("");
    def.line("");
    writeBanner(def, kHeaderMarker);
}

void writeLeadingBlocks(TextWriter& def, const Track& track) {
    const TrackHeader& h = track.header;
    writeLabelled(def, "Version:   ", h.version);
    writeLabelled(def, "Length:    ", h.length);
    writeLabelled(def, "# Elines:  ", h.eLines);
    writeLabelled(def, "Segments:  ", h.segments);
    writeLabelled(def, "Section 2: ", h.section2);
    writeLabelled(def, "Section 3: ", h.section3);
    for (std::int32_t v : track.eLineTable) writeLabelled(def, "E Line:    ", v);
    def.line("");
    def.line("");
    writeBanner(def, kPointersMarker);
    for (std::int32_t v : track.pointers) writeLabelled(def, "Pointers:  ", v);
    def.line("");
    def.line("");
    writeBanner(def, kSectionsMarker);
}

void writeSections(TextWriter& def, const Track& track) {
    const auto eLines = static_cast<std::size_t>(track.header.eLines);
    std::size_t surfaceCursor = 0;
    std::size_t wallCursor = 0;
    for (std::size_t s = 0; s < track.sections.size(); ++s) {
        const SectionRecord& section = track.sections[s];
        const bool straight = section[kTypeField] == kStraightType;

        def.line("     Section: " + std::to_string(s + 1));
        writeGroupTitle(def, "SECTION DATA:", 1);
        const std::string_view header = straight ? kStraightHeader : kTurnHeader;
        def.line(header);
        def.line(rule(header));
        std::string line(straight ? "         Straight" : "         Turn    ");
        appendColumns(line, std::span(section).subspan(1));
        def.line(line);

        writeGroup(def, "BANKING:", straight ? kStraightBankingHeader : kTurnBankingHeader,
                   track.banking, s * eLines, track.header.eLines);
        const std::int32_t surfaces = std::max(section[kSurfacesField], 0);
        writeGroup(def, "SURFACES:", kSurfaceHeader, track.surfaces, surfaceCursor, surfaces);
        surfaceCursor += static_cast<std::size_t>(surfaces);
        const std::int32_t walls = std::max(section[kWallsField], 0);
        writeGroup(def, "WALLS:", kWallHeader, track.walls, wallCursor, walls);
        wallCursor += static_cast<std::size_t>(walls);

        def.line("");
        def.line("");
    }
}

}  // namespace

void decompileTrack(BinaryReader& in, TextWriter& def) {
    TrackInput trk(in);
    Track track;
    writePreamble(def);
    readLeadingBlocks(trk, track);
    writeLeadingBlocks(def, track);
    readBody(trk, track);
    writeSections(def, track);
}

void runTrkDecompile(Command& cmd) {
    BinaryReader trk = cmd.openInput();
    decompileTrack(trk, cmd.createText("Trk.def"));
}

}  // namespace z5
