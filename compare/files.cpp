#include "compare/files.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <tuple>

#include "archive/archive.hpp"
#include "archive/directory.hpp"
#include "camera/camera.hpp"
#include "commands/kinds.hpp"
#include "object3d/object3d.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/inorder.hpp"
#include "platform/paths.hpp"
#include "setup/setup.hpp"
#include "textfmt/printform.hpp"
#include "track/track.hpp"

namespace z5::compare {
namespace {

namespace fs = std::filesystem;

// Members are compared a piece at a time: an archive is never held whole.
constexpr std::size_t kPiece = std::size_t{1} << 20;
// Runs of differing bytes closer than this are one.
constexpr std::size_t kGap = 16;
// At most this many runs are named; a line counts the others.
constexpr std::size_t kMostRanges = 64;
// Members compared ahead of the one whose lines are worked out.
constexpr std::size_t kAhead = 64;

// The definition files of each kind, the one named first standing for the
// kind in the lines.
struct Definitions {
    std::string_view kind;
    std::string_view files[2];
};
constexpr Definitions kDefinitions[] = {
    {"trk", {"Trk.def", {}}},
    {"cam", {"cam.def", {}}},
    {"scr", {"scr.def", {}}},
    {"stg", {"stg.def", {}}},
    {"3do", {"flavor.def", "vertex.def"}},
};

bool isFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(nativePath(path), ec);
}
bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(nativePath(path), ec);
}

object3d::Object readObjectBytes(std::string_view bytes, const std::string& name) {
    BinaryReader in = BinaryReader::ofBytes(bytes, name);
    object3d::ObjectRead object = object3d::readObject(in);
    if (!object.failure.empty())
        throw CommandFailure(object.failure.starts_with(name) ? object.failure
                                                              : name + ": " + object.failure);
    return std::move(object.object);
}

template <class Model, class Read>
Model read(std::string_view bytes, const std::string& name, Read reader) {
    BinaryReader in = BinaryReader::ofBytes(bytes, name);
    return reader(in);
}

// Members of two lists by name in any letter case: each of `a` removed,
// moved (out of the order the others keep) or compared by `compare`, then
// those only `b` has added. Where `same` tells members alike, they are not
// compared: it runs on worker threads a few members ahead, so the reading
// of the members after one overlaps its comparing.
void diffMembers(const std::vector<std::string>& a, const std::vector<std::string>& b,
                 const std::function<bool(std::size_t, std::size_t)>& same,
                 const std::function<std::vector<Difference>(std::size_t, std::size_t)>& compare,
                 const std::function<void(const FileLines&)>& report) {
    std::map<std::string, std::size_t> inB;
    for (std::size_t j = 0; j < b.size(); ++j) inB.emplace(foldCase(b[j]), j);
    std::vector<std::ptrdiff_t> partner(a.size(), -1);
    std::vector<bool> paired(b.size(), false);
    for (std::size_t i = 0; i < a.size(); ++i)
        if (const auto it = inB.find(foldCase(a[i])); it != inB.end()) {
            partner[i] = static_cast<std::ptrdiff_t>(it->second);
            paired[it->second] = true;
        }
    // The members that keep their order: a longest increasing run of
    // partners; the others moved.
    std::vector<std::size_t> tails, previous(a.size(), static_cast<std::size_t>(-1));
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (partner[i] < 0) continue;
        const auto at = std::lower_bound(
            tails.begin(), tails.end(), partner[i],
            [&partner](std::size_t k, std::ptrdiff_t p) { return partner[k] < p; });
        if (at != tails.begin()) previous[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> kept(a.size(), false);
    for (std::size_t i = tails.empty() ? static_cast<std::size_t>(-1) : tails.back();
         i != static_cast<std::size_t>(-1); i = previous[i])
        kept[i] = true;

    std::vector<char> alike(a.size(), 0);
    runInOrder(
        a.size(), copyThreads(), kAhead,
        [&](std::size_t i, unsigned) {
            if (partner[i] >= 0) alike[i] = same(i, static_cast<std::size_t>(partner[i]));
        },
        [&](std::size_t i) {
            if (partner[i] < 0) {
                report({a[i], true, Change::Removed, {}, {}, {}});
                return;
            }
            const auto j = static_cast<std::size_t>(partner[i]);
            if (!kept[i])
                report({a[i], true, Change::Moved, numberText(i + 1), numberText(j + 1), {}});
            std::vector<Difference> lines;
            if (!alike[i]) lines = compare(i, j);
            if (a[i] != b[j])
                lines.insert(lines.begin(), {Change::Changed, {}, "Name", a[i], b[j]});
            if (!lines.empty()) report({a[i], true, Change::Changed, {}, {}, std::move(lines)});
        });
    for (std::size_t j = 0; j < b.size(); ++j)
        if (!paired[j]) report({b[j], true, Change::Added, {}, {}, {}});
}

void diffArchives(const std::string& a, const std::string& shownA, const std::string& b,
                  const std::string& shownB, const std::function<void(const FileLines&)>& report) {
    const InputFile da(a, shownA), db(b, shownB);
    const std::vector<DatMember> ma = readDirectory(da), mb = readDirectory(db);
    requireMemberData(da, ma);
    requireMemberData(db, mb);
    std::vector<std::string> na, nb;
    for (const DatMember& m : ma) na.push_back(m.name);
    for (const DatMember& m : mb) nb.push_back(m.name);
    bool reported = false;
    diffMembers(
        na, nb,
        [&](std::size_t i, std::size_t j) {
            // Members with the same bytes are not read any further.
            const DatMember &x = ma[i], &y = mb[j];
            return x.entry.Size == y.entry.Size && sameBytes(da, x.data, db, y.data, x.entry.Size);
        },
        [&](std::size_t i, std::size_t j) -> std::vector<Difference> {
            const DatMember &x = ma[i], &y = mb[j];
            return compareBytes(kindOf(da, x.data, x.entry.Size, x.name),
                                readRange(da, x.data, x.entry.Size),
                                kindOf(db, y.data, y.entry.Size, y.name),
                                readRange(db, y.data, y.entry.Size), x.name);
        },
        [&](const FileLines& f) {
            reported = true;
            report(f);
        });
    // Members alike but archives not: the bytes of their directories (an
    // entry's tag or offset) or after the last member.
    if (reported || (da.size() == db.size() && sameBytes(da, 0, db, 0, da.size()))) return;
    const auto head = [](const InputFile& f, const std::vector<DatMember>& m) {
        return readRange(f, 0, m.empty() ? std::min<std::int64_t>(f.size(), 2) : m.front().data);
    };
    std::vector<Difference> lines = byteRanges(head(da, ma), head(db, mb));
    if (da.size() != db.size())
        lines.insert(lines.begin(),
                     {Change::Changed, {}, "Size", numberText(da.size()), numberText(db.size())});
    report({shownA, false, Change::Changed, {}, {}, std::move(lines)});
}

// A workspace's list: its member names.
std::vector<std::string> listedMembers(const std::string& folder, const std::string& shown) {
    const std::string path = findInFolder(folder, kListName);
    TextReader list(path, joinPath(shown, pathText(nativePath(path).filename())));
    readListName(list, "archive name");
    const std::int16_t count = readListCount(list);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(readMemberName(list, names));
    return names;
}

// The kind of a definitions folder: by the member's extension, else by the
// definition files it holds.
std::string kindOfDefinitions(const std::string& folder, std::string_view member) {
    const std::string extension = lowerExtension(member);
    for (const Definitions& d : kDefinitions)
        if (d.kind == extension) return extension;
    for (const Definitions& d : kDefinitions)
        if (exists(findInFolder(folder, d.files[0]))) return std::string(d.kind);
    return {};
}

// A member of a workspace: its file's bytes or its definitions.
struct WorkspaceMember {
    std::string kind;
    std::optional<std::string> bytes;
    std::string folder;
};
WorkspaceMember workspaceMember(const std::string& folder, const std::string& shown,
                                const std::string& name) {
    const std::string file = joinPath(folder, nameToPath(name));
    const std::string definitions = joinPath(folder, nameToPath(name + ".def"));
    if (isFolder(definitions)) return {kindOfDefinitions(definitions, name), {}, definitions};
    const InputFile in(file, joinPath(shown, name));
    return {kindOf(in, 0, in.size(), name), readRange(in, 0, in.size()), {}};
}

void diffWorkspaces(const std::string& a, const std::string& shownA, const std::string& b,
                    const std::string& shownB,
                    const std::function<void(const FileLines&)>& report) {
    const std::vector<std::string> na = listedMembers(a, shownA), nb = listedMembers(b, shownB);
    diffMembers(
        na, nb, [](std::size_t, std::size_t) { return false; },
        [&](std::size_t i, std::size_t j) -> std::vector<Difference> {
            const WorkspaceMember x = workspaceMember(a, shownA, na[i]);
            const WorkspaceMember y = workspaceMember(b, shownB, nb[j]);
            if (x.bytes && y.bytes)
                return *x.bytes == *y.bytes
                           ? std::vector<Difference>{}
                           : compareBytes(x.kind, *x.bytes, y.kind, *y.bytes, na[i]);
            if (x.kind != y.kind || x.kind.empty() || x.kind == "dat")
                return {{Change::Changed,
                         {},
                         "Kind",
                         x.kind.empty() ? "-" : x.kind,
                         y.kind.empty() ? "-" : y.kind}};
            const auto load = [&na, i](const WorkspaceMember& m, const std::string& shown) {
                return m.bytes ? loadBinary(m.kind, *m.bytes, na[i])
                               : loadDefinitions(m.kind, m.folder,
                                                 joinPath(shown, nameToPath(na[i] + ".def")));
            };
            return diffLoaded(load(x, shownA), load(y, shownB));
        },
        report);
}

void diffDefinitionFolders(const std::string& a, const std::string& shownA, const std::string& b,
                           const std::string& shownB,
                           const std::function<void(const FileLines&)>& report) {
    bool any = false;
    for (const Definitions& d : kDefinitions) {
        const bool inA = exists(findInFolder(a, d.files[0]));
        const bool inB = exists(findInFolder(b, d.files[0]));
        any = any || inA || inB;
        const std::string file(d.files[0]);
        if (inA && inB) {
            std::vector<Difference> lines =
                diffLoaded(loadDefinitions(d.kind, a, shownA), loadDefinitions(d.kind, b, shownB));
            if (!d.files[1].empty()) {
                // An object's vertices and normals are in vertex.def, the
                // rest in flavor.def: each file with its own lines.
                const auto points =
                    std::stable_partition(lines.begin(), lines.end(), [](const Difference& l) {
                        return l.place.starts_with("vertex ") || l.place.starts_with("normal ");
                    });
                std::vector<Difference> vertexLines(std::make_move_iterator(lines.begin()),
                                                    std::make_move_iterator(points));
                lines.erase(lines.begin(), points);
                if (!vertexLines.empty())
                    report({std::string(d.files[1]),
                            true,
                            Change::Changed,
                            {},
                            {},
                            std::move(vertexLines)});
            }
            if (!lines.empty()) report({file, true, Change::Changed, {}, {}, std::move(lines)});
        } else if (inA || inB) {
            report({file, true, inA ? Change::Removed : Change::Added, {}, {}, {}});
        }
    }
    if (!any)
        throw CommandFailure(shownA + " and " + shownB +
                             " hold no definition files and no dattext.pck");
}

std::string kindName(const std::string& kind) {
    return kind.empty() ? "a file of no known kind" : "a " + kind + " file";
}

}  // namespace

std::string readRange(const InputFile& file, std::int64_t offset, std::int64_t size) {
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const std::size_t n = file.readAt(bytes.data() + got, bytes.size() - got,
                                          offset + static_cast<std::int64_t>(got));
        if (n == 0) throw CommandFailure(file.name() + ": the file ends early");
        got += n;
    }
    return bytes;
}

bool sameBytes(const InputFile& a, std::int64_t offsetA, const InputFile& b, std::int64_t offsetB,
               std::int64_t size) {
    static thread_local std::string x(kPiece, '\0'), y(kPiece, '\0');
    for (std::int64_t done = 0; done < size;) {
        const auto n = static_cast<std::int64_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(kPiece), size - done));
        for (auto [file, offset, into] :
             {std::tuple{&a, offsetA + done, &x}, std::tuple{&b, offsetB + done, &y}}) {
            std::size_t got = 0;
            while (got < static_cast<std::size_t>(n)) {
                const std::size_t r =
                    file->readAt(into->data() + got, static_cast<std::size_t>(n) - got,
                                 offset + static_cast<std::int64_t>(got));
                if (r == 0) throw CommandFailure(file->name() + ": the file ends early");
                got += r;
            }
        }
        if (std::memcmp(x.data(), y.data(), static_cast<std::size_t>(n)) != 0) return false;
        done += n;
    }
    return true;
}

std::vector<Difference> compareBytes(std::string_view ka, const std::string& a, std::string_view kb,
                                     const std::string& b, const std::string& name) {
    if (!ka.empty() && ka == kb && ka != "dat") {
        try {
            std::vector<Difference> lines = diffBinaries(ka, a, b, name);
            if (!lines.empty()) return lines;
        } catch (const CommandFailure&) {
            // a member its kind's reader refuses: named by its bytes
        }
    }
    return byteRanges(a, b);
}

// Whether the bytes are an archive: a count, a directory whose entries
// have plain names, and their members' bytes to the end, nothing more.
bool looksLikeArchive(const InputFile& file, std::int64_t offset, std::int64_t size) {
    if (size < 2) return false;
    const std::string count = readRange(file, offset, 2);
    const std::int64_t entries =
        static_cast<unsigned char>(count[0]) + 256 * static_cast<unsigned char>(count[1]);
    const std::int64_t directory = 2 + entries * kDatEntryBytes;
    if (entries == 0 || entries > kMaxPackCount || directory > size) return false;
    const std::string bytes = readRange(file, offset + 2, directory - 2);
    BinaryReader in = BinaryReader::ofBytes(bytes, file.name());
    std::int64_t total = directory;
    for (std::int64_t i = 0; i < entries; ++i) {
        const DatEntry entry = readDatEntry(in);
        const std::string name = entryName(entry);
        if (entry.Size < 0 || name.empty() || name.find_first_of("/\\:") != std::string::npos)
            return false;
        total += entry.Size;
    }
    return total == size;
}

std::string kindOf(const InputFile& file, std::int64_t offset, std::int64_t size,
                   std::string_view name) {
    if (const std::string_view kind = kindOfContent(file, offset, size); !kind.empty())
        return std::string(kind);
    if (looksLikeArchive(file, offset, size)) return "dat";
    const std::string extension = lowerExtension(name);
    for (const std::string_view known : {"3do", "trk", "cam", "scr", "stg", "dat"})
        if (extension == known) return extension;
    return {};
}

Loaded loadBinary(std::string_view kind, std::string_view bytes, const std::string& name) {
    Loaded out{std::string(kind), {}, std::nullopt};
    if (kind == "trk") {
        out.tree = track::trackFields(read<track::Track>(bytes, name, track::readTrack));
    } else if (kind == "cam") {
        out.tree = camera::camFields(read<camera::Cam>(bytes, name, camera::readCam));
    } else if (kind == "scr") {
        out.tree = camera::scrFields(read<camera::Scr>(bytes, name, camera::readScr));
    } else if (kind == "stg") {
        out.tree = setup::setupFields(read<setup::Setup>(bytes, name, setup::readSetup));
    } else if (kind == "3do") {
        out.object = readObjectBytes(bytes, name);
        out.tree = object3d::objectFields(*out.object);
    } else {
        throw CommandFailure(name + ": not a kind of file diff reads by field");
    }
    return out;
}

Loaded loadDefinitions(std::string_view kind, const std::string& folder, const std::string& shown) {
    const auto open = [&](std::string_view file) {
        const std::string path = findInFolder(folder, file);
        return TextReader(path, joinPath(shown, pathText(nativePath(path).filename())));
    };
    Loaded out{std::string(kind), {}, std::nullopt};
    if (kind == "trk") {
        TextReader in = open("Trk.def");
        out.tree = track::trackFields(track::parseTrack(in));
    } else if (kind == "cam") {
        TextReader in = open("cam.def");
        out.tree = camera::camFields(camera::parseCam(in));
    } else if (kind == "scr") {
        TextReader in = open("scr.def");
        out.tree = camera::scrFields(camera::parseScr(in));
    } else if (kind == "stg") {
        TextReader in = open("stg.def");
        out.tree = setup::setupFields(setup::parseSetup(in));
    } else if (kind == "3do") {
        object3d::Object object;
        TextReader vertices = open("vertex.def");
        object3d::parseVertexDef(vertices, object);
        TextReader flavors = open("flavor.def");
        object3d::parseFlavorDef(flavors, object);
        out.tree = object3d::objectFields(object);
        out.object = std::move(object);
    } else {
        throw CommandFailure(shown + ": no definition files of a known kind");
    }
    return out;
}

namespace {

// Whether two objects number their records alike: then compiling both
// renumbers them alike, and they cannot be the same but renumbered.
bool numberedAlike(const object3d::Object& a, const object3d::Object& b) {
    const auto keys = [](const object3d::PointSection& x, const object3d::PointSection& y) {
        return x.normals == y.normals &&
               std::equal(
                   x.points.begin(), x.points.end(), y.points.begin(), y.points.end(),
                   [](const object3d::Point& p, const object3d::Point& q) { return p[0] == q[0]; });
    };
    return std::equal(a.points.begin(), a.points.end(), b.points.begin(), b.points.end(), keys) &&
           std::equal(a.flavors.begin(), a.flavors.end(), b.flavors.begin(), b.flavors.end(),
                      [](const object3d::Flavor& x, const object3d::Flavor& y) {
                          return x.offset == y.offset;
                      });
}

}  // namespace

namespace {

// The line of two objects that are the same but for their numbers, when
// they are: one line, not one per record.
std::optional<Difference> renumbered(const object3d::Object& a, const object3d::Object& b) {
    if (numberedAlike(a, b) || object3d::sameObject(a, b)) return std::nullopt;
    object3d::Object x = a, y = b;
    object3d::compileObject(x);
    object3d::compileObject(y);
    if (!object3d::sameObject(x, y)) return std::nullopt;
    const auto ra = object3d::renumberedRecords(a, x), rb = object3d::renumberedRecords(b, y);
    Difference d{Change::Moved, "Object", {}, std::nullopt, std::nullopt};
    d.note = "renumbered: the same records with other numbers (" +
             numberText(std::max(ra[0], rb[0])) + " vertices, " +
             numberText(std::max(ra[1], rb[1])) + " normals, " +
             numberText(std::max(ra[2], rb[2])) + " flavors)";
    return d;
}

bool uniqueKeys(const std::vector<object3d::Point>& points) {
    std::vector<std::int32_t> keys;
    keys.reserve(points.size());
    for (const object3d::Point& p : points) keys.push_back(p[0]);
    std::sort(keys.begin(), keys.end());
    return std::adjacent_find(keys.begin(), keys.end()) == keys.end();
}

// Leaves out of both objects what they hold alike, which gives no line:
// points alike at one place (where keys are unique, so each pairs with its
// twin), and the names and flavors when all are alike.
void leaveOutAlike(object3d::Object& a, object3d::Object& b) {
    for (std::size_t k = 0; k < std::min(a.points.size(), b.points.size()); ++k) {
        auto &p = a.points[k].points, &q = b.points[k].points;
        if (a.points[k].normals != b.points[k].normals || !uniqueKeys(p) || !uniqueKeys(q))
            continue;
        std::vector<object3d::Point> x, y;
        for (std::size_t i = 0; i < std::max(p.size(), q.size()); ++i) {
            if (i < p.size() && i < q.size() && p[i] == q[i]) continue;
            if (i < p.size()) x.push_back(p[i]);
            if (i < q.size()) y.push_back(q[i]);
        }
        p = std::move(x);
        q = std::move(y);
    }
    if (a.names == b.names) a.names.clear(), b.names.clear();
    if (a.root == b.root && std::equal(a.flavors.begin(), a.flavors.end(), b.flavors.begin(),
                                       b.flavors.end(), object3d::sameFlavor))
        a.flavors.clear(), b.flavors.clear();
}

}  // namespace

std::vector<Difference> diffLoaded(const Loaded& a, const Loaded& b) {
    if (a.object && b.object)
        if (const auto line = renumbered(*a.object, *b.object)) return {*line};
    return diffTrees(a.tree, b.tree);
}

std::vector<Difference> diffBinaries(std::string_view kind, std::string_view a, std::string_view b,
                                     const std::string& name) {
    if (kind == "trk") {
        track::Track x = read<track::Track>(a, name, track::readTrack);
        track::Track y = read<track::Track>(b, name, track::readTrack);
        // Sections alike give no line: only the header is listed.
        if (x.pointers == y.pointers && x.sections == y.sections && x.banking == y.banking &&
            x.surfaces == y.surfaces && x.walls == y.walls)
            for (track::Track* t : {&x, &y}) {
                t->pointers.clear();
                t->sections.clear();
                t->banking.clear();
                t->surfaces.clear();
                t->walls.clear();
            }
        return diffTrees(track::trackFields(x), track::trackFields(y));
    }
    if (kind == "3do") {
        object3d::Object x = readObjectBytes(a, name), y = readObjectBytes(b, name);
        if (const auto line = renumbered(x, y)) return {*line};
        leaveOutAlike(x, y);
        return diffTrees(object3d::objectFields(x), object3d::objectFields(y));
    }
    return diffLoaded(loadBinary(kind, a, name), loadBinary(kind, b, name));
}

std::vector<Difference> byteRanges(std::string_view a, std::string_view b) {
    std::vector<Difference> out;
    if (a.size() != b.size())
        out.push_back({Change::Changed, {}, "Size", numberText(a.size()), numberText(b.size())});
    const std::size_t n = std::max(a.size(), b.size());
    const auto differs = [&](std::size_t i) {
        return i >= a.size() || i >= b.size() || a[i] != b[i];
    };
    std::size_t ranges = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!differs(i)) continue;
        std::size_t last = i;
        for (std::size_t j = i + 1; j < n && j <= last + kGap; ++j)
            if (differs(j)) last = j;
        if (++ranges <= kMostRanges) {
            char text[64];
            std::snprintf(text, sizeof text, "bytes 0x%llx-0x%llx",
                          static_cast<unsigned long long>(i),
                          static_cast<unsigned long long>(last));
            out.push_back({Change::Changed, text, {}, std::nullopt, std::nullopt});
        }
        i = last;
    }
    if (ranges > kMostRanges) {
        Difference d{Change::Changed, "bytes", {}, std::nullopt, std::nullopt};
        d.note = "and " + numberText(ranges - kMostRanges) + " more runs";
        out.push_back(d);
    }
    return out;
}

std::vector<std::string> fileLinesText(const FileLines& f, bool brief) {
    static constexpr const char* kWords[] = {"changed", "added", "removed", "moved"};
    std::vector<std::string> out;
    if (f.member || brief)
        out.push_back(printableLine(f.file) + ": " + kWords[static_cast<int>(f.change)] +
                      (f.old && f.now ? " (" + *f.old + " -> " + *f.now + ")" : ""));
    if (!brief)
        for (const Difference& d : f.lines)
            out.push_back((f.member ? "  " : "") + differenceLine(d));
    return out;
}

void diffPaths(const std::string& a, const std::string& shownA, const std::string& b,
               const std::string& shownB, const std::function<void(const FileLines&)>& report) {
    for (const auto& [path, shown] : {std::pair{&a, &shownA}, {&b, &shownB}})
        if (!exists(*path)) throw CommandFailure(*shown + ": no such file or folder");
    if (isFolder(a) || isFolder(b)) {
        if (!isFolder(a) || !isFolder(b))
            throw CommandFailure(shownA + " and " + shownB + ": a file and a folder");
        const bool wa = exists(findInFolder(a, kListName)), wb = exists(findInFolder(b, kListName));
        if (wa != wb)
            throw CommandFailure((wa ? shownA : shownB) + " is a workspace, " +
                                 (wa ? shownB : shownA) + " is not");
        return wa ? diffWorkspaces(a, shownA, b, shownB, report)
                  : diffDefinitionFolders(a, shownA, b, shownB, report);
    }
    const InputFile fa(a, shownA), fb(b, shownB);
    const std::string ka = kindOf(fa, 0, fa.size(), shownA), kb = kindOf(fb, 0, fb.size(), shownB);
    if (ka != kb)
        throw CommandFailure(shownA + " is " + kindName(ka) + ", " + shownB + " " + kindName(kb));
    if (ka == "dat") return diffArchives(a, shownA, b, shownB, report);
    if (fa.size() == fb.size() && sameBytes(fa, 0, fb, 0, fa.size())) return;
    const std::string x = readRange(fa, 0, fa.size()), y = readRange(fb, 0, fb.size());
    std::vector<Difference> lines;
    if (ka.empty()) {
        lines = byteRanges(x, y);
    } else {
        loadBinary(kb, y, shownB);  // refused as its reader refuses it, naming it
        lines = diffBinaries(ka, x, y, shownA);
        if (lines.empty()) lines = byteRanges(x, y);
    }
    report({shownA, false, Change::Changed, {}, {}, std::move(lines)});
}

}  // namespace z5::compare
