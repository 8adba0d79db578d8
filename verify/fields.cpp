#include "verify/fields.hpp"

#include <algorithm>
#include <array>
#include <exception>
#include <vector>

#include "archive/format.hpp"
#include "camera/camera.hpp"
#include "object3d/object3d.hpp"
#include "setup/setup.hpp"
#include "textfmt/binio.hpp"
#include "track/track.hpp"

namespace z5::verify {
namespace {

// Walks the fields of a file in order until the one holding `target`.
class Locator {
public:
    explicit Locator(std::int64_t target) : target_(target) {}

    // A field of `width` bytes; `name` is only called for the one found.
    template <class Name>
    void field(std::int64_t width, Name name, bool number = true) {
        if (!found_ && target_ < at_ + width)
            found_ = Field{std::string(name()), at_, width, number};
        at_ += width;
    }
    // `count` 32-bit values named "<what>, value k".
    template <class What>
    void values(std::size_t count, What what) {
        for (std::size_t k = 0; k < count; ++k)
            field(4, [&] { return what() + ", value " + std::to_string(k + 1); });
    }
    const std::optional<Field>& found() const { return found_; }

private:
    std::int64_t target_;
    std::int64_t at_ = 0;
    std::optional<Field> found_;
};

auto named(std::string name) {
    return [name = std::move(name)] { return name; };
}

template <class Model, class Read>
Model readModel(std::string_view bytes, Read read) {
    BinaryReader in = BinaryReader::ofBytes(bytes, "file");
    return read(in);
}

void trackFields(std::string_view bytes, Locator& at) {
    const track::Track t = readModel<track::Track>(bytes, track::readTrack);
    at.field(4, named("Magic"), false);
    for (const char* name : {"Version", "Length", "# Elines", "Segments", "Section 2", "Section 3"})
        at.field(4, named(name));
    for (std::size_t i = 0; i < t.eLineTable.size(); ++i)
        at.field(4, [i] { return "E Line " + std::to_string(i + 1); });
    for (std::size_t i = 0; i < t.pointers.size(); ++i)
        at.field(4, [i] { return "Pointer " + std::to_string(i + 1); });
    const auto eLines = static_cast<std::size_t>(std::max(t.header.eLines, 1));
    for (std::size_t i = 0; i < t.banking.size(); ++i)
        at.values(8, [&] {
            return "banking record " + std::to_string(i % eLines + 1) + " of " +
                   track::sectionName(i / eLines);
        });
    for (std::size_t i = 0; i < t.surfaces.size(); ++i)
        at.values(3, [i] { return "surface record " + std::to_string(i + 1); });
    for (std::size_t s = 0; s < t.sections.size(); ++s) {
        at.values(13, [s] { return track::sectionName(s); });
        for (std::int32_t w = 0; w < t.sections[s][track::kWallsField]; ++w)
            at.values(5, [&] {
                return "wall " + std::to_string(w + 1) + " of " + track::sectionName(s);
            });
    }
}

void camFields(std::string_view bytes, Locator& at) {
    const camera::Cam c = readModel<camera::Cam>(bytes, camera::readCam);
    at.field(4, named("Number of Cameras"));
    for (std::size_t i = 0; i < c.cameras.size(); ++i)
        at.values(9, [i] { return "camera position " + std::to_string(i + 1); });
    at.field(4, named("Section 2 Number"));
    at.values(9, [] { return std::string("Section 2"); });
    at.field(4, named("Number of Camera Positions"));
    for (std::size_t i = 0; i < c.positions.size(); ++i)
        at.values(12, [i] { return "section 3 position " + std::to_string(i + 1); });
}

void scrFields(std::string_view bytes, Locator& at) {
    const camera::Scr s = readModel<camera::Scr>(bytes, camera::readScr);
    for (const char* name : {"Camera Types", "TV 1 Cameras", "TV 2 Cameras"})
        at.field(4, named(name));
    for (std::size_t i = 0; i < s.tv1.size(); ++i)
        at.values(4, [i] { return "TV 1 camera " + std::to_string(i + 1); });
    for (std::size_t i = 0; i < s.tv2.size(); ++i)
        at.values(4, [i] { return "TV 2 camera " + std::to_string(i + 1); });
}

void setupFields(std::string_view bytes, Locator& at) {
    // The bytes after the comment its length gives are no field.
    const setup::Setup s = readModel<setup::Setup>(bytes, setup::readSetup);
    using namespace setup::field;
    const std::pair<std::size_t, const char*> shown[] = {{Gears1st, "Gears 1st"},
                                                         {Gears1st + 1, "Gears 2nd"},
                                                         {Gears1st + 2, "Gears 3rd"},
                                                         {Gears1st + 3, "Gears 4th"},
                                                         {TirePressureRF, "Tire Pressure RF"},
                                                         {TirePressureRF + 1, "Tire Pressure RR"},
                                                         {TirePressureRF + 2, "Tire Pressure LR"},
                                                         {TirePressureRF + 3, "Tire Pressure LF"},
                                                         {CamberRF, "Camber RF"},
                                                         {CamberLF, "Camber LF"},
                                                         {ShocksRF, "Shocks RF"},
                                                         {ShocksRF + 1, "Shocks RR"},
                                                         {ShocksRF + 2, "Shocks LR"},
                                                         {ShocksRF + 3, "Shocks LF"},
                                                         {SwayBarsFront, "Sway Bars Front"},
                                                         {SwayBarsRear, "Sway Bars Rear"},
                                                         {RearSpoiler, "Rear Spoiler"},
                                                         {GrilleTape, "Grille Tape"},
                                                         {SteeringLock, "Steering Lock"},
                                                         {Fuel, "Fuel"},
                                                         {WeightJackLeft, "Weight Jack Left"},
                                                         {WeightJackRear, "Weight Jack Rear"},
                                                         {WeightJackWedge, "Weight Jack Wedge"}};
    for (std::size_t i = 0; i < setup::kRecordFields; ++i)
        at.field(4, [&] {
            const auto it = std::find_if(std::begin(shown), std::end(shown),
                                         [i](const auto& s) { return s.first == i; });
            return it != std::end(shown) ? std::string(it->second)
                                         : "record field " + std::to_string(i + 1);
        });
    at.field(setup::kBaseNameBytes, named("base name"), false);
    at.field(4, named("comment marker"));
    at.field(4, named("comment length"));
    at.field(static_cast<std::int64_t>(s.comment.size()), named("comment"), false);
}

void archiveFields(std::string_view bytes, Locator& at) {
    BinaryReader in = BinaryReader::ofBytes(bytes, "file");
    at.field(2, named("entry count"));
    const int count = static_cast<std::uint8_t>(bytes.size() > 1 ? bytes[1] : 0) * 256 +
                      static_cast<std::uint8_t>(bytes.empty() ? 0 : bytes[0]);
    in.u16();
    std::vector<DatEntry> entries;
    for (int i = 1; i <= count && in.position() < in.size(); ++i) {
        entries.push_back(readDatEntry(in));
        const auto entry = [i](const char* part) {
            return [i, part] { return "directory entry " + std::to_string(i) + " (" + part + ")"; };
        };
        at.field(1, entry("Tag"));
        at.field(1, entry("Reserved"));
        at.field(4, entry("Size"));
        at.field(4, entry("Size2"));
        at.field(kDatNameBytes, entry("Name"), false);
        at.field(4, entry("Offset"));
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        at.field(
            std::max(entries[i].Size, 0),
            [&] { return "member " + std::to_string(i + 1) + " " + entryName(entries[i]); }, false);
}

// A 3do object names its parts as its reader marks them.
std::optional<Field> objectField(std::string_view bytes, std::int64_t offset) {
    BinaryReader in = BinaryReader::ofBytes(bytes, "file");
    const auto marks = object3d::readObject(in, true).marks;
    const auto next =
        std::upper_bound(marks.begin(), marks.end(), offset,
                         [](std::int64_t o, const object3d::Mark& m) { return o < m.position; });
    if (next == marks.begin()) return std::nullopt;
    const object3d::Mark& mark = *std::prev(next);
    const std::int64_t end =
        next == marks.end() ? static_cast<std::int64_t>(bytes.size()) : next->position;
    const std::int64_t width = end - mark.position;
    return Field{mark.what, mark.position, width, width == 4};
}

}  // namespace

std::optional<Field> fieldAt(std::string_view extension, std::string_view bytes,
                             std::int64_t offset) {
    static const std::pair<std::string_view, void (*)(std::string_view, Locator&)> kinds[] = {
        {".trk", trackFields}, {".cam", camFields},     {".scr", scrFields},
        {".stg", setupFields}, {".dat", archiveFields},
    };
    if (extension == ".3do") return objectField(bytes, offset);
    Locator at(offset);
    for (const auto& [kind, walk] : kinds) {
        if (kind != extension) continue;
        try {
            walk(bytes, at);
        } catch (const std::exception&) {
            // A file its reader refuses is named as far as it was read.
        }
    }
    return at.found();
}

std::optional<std::int64_t> largestFile(std::string_view extension) {
    constexpr std::int64_t kMostBlocks = 32767;
    if (extension == ".cam")
        return 4 + kMostBlocks * std::int64_t{sizeof(camera::CamPosition)} +
               std::int64_t{sizeof(camera::CamSectionTwo)} + 4 +
               kMostBlocks * std::int64_t{sizeof(camera::CamSectionThreePosition)};
    if (extension == ".scr") return 12 + 2 * kMostBlocks * std::int64_t{sizeof(camera::ScrCamera)};
    if (extension == ".stg")
        return std::int64_t{sizeof(setup::SetupRecord)} + setup::kBaseNameBytes + 8 +
               setup::kMaxCommentLength;
    return std::nullopt;
}

std::string fieldValue(const Field& field, std::string_view bytes, std::int64_t offset) {
    if (offset >= static_cast<std::int64_t>(bytes.size())) return "nothing";
    if (!field.number || field.width > 4 ||
        field.start + field.width > static_cast<std::int64_t>(bytes.size()))
        return std::to_string(static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(offset)]));
    std::uint32_t value = 0;
    for (std::int64_t i = field.width - 1; i >= 0; --i)
        value = value << 8 |
                static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(field.start + i)]);
    const int shift = 32 - 8 * static_cast<int>(field.width);
    return std::to_string(static_cast<std::int32_t>(value << shift) >> shift);
}

}  // namespace z5::verify
