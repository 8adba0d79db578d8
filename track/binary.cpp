// The .trk binary codec: readTrack and its mirror image writeTrack.
#include <algorithm>

#include "platform/display.hpp"
#include "textfmt/numbers.hpp"
#include "track/track.hpp"

namespace z5::track {
namespace {

// The file ends inside `what`, in `block` from byte `at` on: zeros made up
// for the missing bytes would come back as a different track, so only
// --lenient reads on.
void cutShort(BinaryReader& in, std::int64_t at, std::string_view block, std::string_view what) {
    in.damaged(Damage::CutShort,
               "byte " + std::to_string(at) + ": " + std::string(block) + ": the file ends after " +
                   std::to_string(in.size()) + " bytes, inside " + std::string(what),
               ": ");
}

// Unless `bytes` more bytes are in the file: a track is read strictly front
// to back. `describe` names what they would hold.
template <class Describe>
void need(BinaryReader& in, std::int64_t bytes, std::string_view block, Describe describe) {
    if (in.left() < bytes && !in.readingZeros())
        cutShort(in, in.position(), block, std::string(describe()));
}

template <std::size_t N, class Describe>
void record(BinaryReader& in, std::array<std::int32_t, N>& values, std::string_view block,
            Describe describe) {
    need(in, static_cast<std::int64_t>(4 * N), block, describe);
    for (auto& v : values) v = in.i32();
}

std::string countReason(std::string_view label, std::int32_t value) {
    return std::string(label) + " is " + std::to_string(value) +
           "; a count must lie between -32767 and 32768";
}

// The last position the surface count can be worked out from.
constexpr std::int64_t kMaxPosition = 32767;

// N, the number of surface records: the surface block ends where the
// section block begins (file length - Section 3) and is Section 2 bytes long.
// Both ends and the length are 16-bit positions.
std::int16_t surfaceCount(const BinaryReader& in, const TrackHeader& h) {
    const std::int64_t end = in.size() - h.section3;
    const std::int64_t begin = end - h.section2;
    const auto a = narrowTo<std::int16_t>(end);
    const auto b = narrowTo<std::int16_t>(begin);
    if (!a || !b || !narrowTo<std::int16_t>(*a - *b))
        in.fail("surface block: the surface block lies at bytes " + std::to_string(begin) + " to " +
                std::to_string(end) + " (file length " + std::to_string(in.size()) +
                " - Section 3 - Section 2); positions beyond 32767 cannot be counted");
    const auto n = roundTo<std::int16_t>((*a - *b) / 12.0);
    if (!n || *n < 0)
        in.fail("header: Section 2 is " + std::to_string(h.section2) +
                "; the surface block cannot have a negative size");
    return *n;
}

void readHeader(BinaryReader& in, Track& track) {
    TrackHeader& h = track.header;
    // A file of another kind is named as such before it is found short.
    in.read(h.magic);
    if (in.size() >= 4 && h.magic != kMagic)
        in.damaged(Damage::OtherKind,
                   "is not a track: it begins with \"" +
                       printableLine({reinterpret_cast<const char*>(h.magic.data()), 4}) +
                       "\", not \"KART\"");
    if (in.size() < kHeaderBytes) cutShort(in, 0, "header", "the 28-byte header");
    for (std::int32_t* v :
         {&h.version, &h.length, &h.eLines, &h.segments, &h.section2, &h.section3})
        *v = in.i32();
    record(in, track.eLineTable, "E-line table", [] { return "the ten E-line values"; });

    if (!countFits(h.segments)) in.fail("header: " + countReason("Segments", h.segments));
    track.pointers.resize(static_cast<std::size_t>(std::max(h.segments, 0)));
    for (std::size_t i = 0; i < track.pointers.size(); ++i) {
        std::array<std::int32_t, 1> v{};
        record(in, v, "pointer table", [i] { return "pointer " + std::to_string(i + 1); });
        track.pointers[i] = v[0];
    }
}

}  // namespace

Track readTrack(BinaryReader& in) {
    Track track;
    readHeader(in, track);
    const TrackHeader& h = track.header;
    const std::int16_t n = surfaceCount(in, h);
    if (h.segments < 1)
        in.fail("header: Segments is " + std::to_string(h.segments) +
                "; a track has at least one section");
    if (h.eLines < 1 || !countFits(h.eLines))
        in.fail("header: # Elines is " + std::to_string(h.eLines) +
                "; each section has 1 to 32768 banking records");

    // The banking table is sized from two counts in the file: it must be in
    // the file before it is given memory. Read on with zeros, it must end
    // where a track's blocks before its sections end, by byte 32767.
    const auto eLines = static_cast<std::size_t>(h.eLines);
    const std::int64_t bankingRows = std::int64_t{h.segments} * h.eLines;
    const auto banking = [&] {
        return std::to_string(bankingRows) + " banking records (Segments x # Elines)";
    };
    const std::int64_t bankingEnd = in.position() + bankingRows * kBankingBytes;
    if (in.lenient() && in.size() < bankingEnd && bankingEnd > kMaxPosition)
        in.fail("banking block: the file ends after " + std::to_string(in.size()) +
                " bytes, inside " + banking() + " that would end at byte " +
                std::to_string(bankingEnd) + ", past " + std::to_string(kMaxPosition) +
                ": too many to read with zeros");
    need(in, bankingRows * kBankingBytes, "banking block", banking);
    track.banking.resize(static_cast<std::size_t>(bankingRows));
    for (std::size_t i = 0; i < track.banking.size(); ++i)
        record(in, track.banking[i], "banking block", [&] {
            return "banking record " + std::to_string(i % eLines + 1) + " of " +
                   sectionName(i / eLines);
        });

    track.surfaces.resize(static_cast<std::size_t>(n));
    for (std::int16_t i = 0; i < n; ++i)
        record(in, track.surfaces[i], "surface block",
               [i] { return "surface record " + std::to_string(i + 1); });

    std::int64_t claimedSurfaces = 0;
    track.sections.resize(static_cast<std::size_t>(h.segments));
    for (std::size_t s = 0; s < track.sections.size(); ++s) {
        SectionRecord& section = track.sections[s];
        record(in, section, "section block", [s] { return sectionName(s); });
        for (std::size_t field : {kSurfacesField, kWallsField})
            if (!countFits(section[field]))
                in.fail("section block: " + sectionName(s) + ": " +
                        countReason(field == kWallsField ? "Walls" : "Surfaces", section[field]));
        claimedSurfaces += std::max(section[kSurfacesField], 0);
        for (std::int32_t w = 0; w < section[kWallsField]; ++w) {
            if (track.walls.size() == kMaxDecompiledWalls)
                in.fail("section block: " + sectionName(s) + " brings the track past " +
                        std::to_string(kMaxDecompiledWalls) + " walls");
            record(in, track.walls.emplace_back(), "section block",
                   [&] { return "wall " + std::to_string(w + 1) + " of " + sectionName(s); });
        }
    }
    // The sections may claim one record more than the block holds: it shows
    // as a row of zeros.
    if (claimedSurfaces > static_cast<std::int64_t>(track.surfaces.size()) + 1)
        in.fail("section block: the sections claim " + std::to_string(claimedSurfaces) +
                " surface records; the surface block holds " + std::to_string(n));
    // Trk.def lists each section's surfaces under it: records that no
    // section takes have no place there. (A file read on with zeros was
    // told to be cut short already.)
    if (claimedSurfaces < n && !in.readingZeros())
        in.warn((claimedSurfaces + 1 == n
                     ? "surface record " + std::to_string(n) + " is"
                     : "surface records " + std::to_string(claimedSurfaces + 1) + " to " +
                           std::to_string(n) + " are") +
                " taken by no section and not kept; compiling gives a shorter file");
    in.warnTrailing("the last section");
    return track;
}

std::optional<std::string> unreadable(const Track& track) {
    if (track.sections.empty()) return "no section; a track has at least one";
    if (track.walls.size() > kMaxDecompiledWalls)
        return std::to_string(track.walls.size()) + " walls, more than the " +
               std::to_string(kMaxDecompiledWalls) + " a track holds";
    const auto bytes = [](const auto& rows, std::int64_t size) {
        return size * static_cast<std::int64_t>(rows.size());
    };
    const std::int64_t sectionsAt =
        kHeaderBytes + 4 * kELineCount + bytes(track.sections, kPointerBytes) +
        bytes(track.banking, kBankingBytes) + bytes(track.surfaces, kSurfaceBytes);
    if (sectionsAt > kMaxPosition)
        return "the section block would begin at byte " + std::to_string(sectionsAt) +
               "; the blocks before it must end by byte " + std::to_string(kMaxPosition);
    return std::nullopt;
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

}  // namespace z5::track
