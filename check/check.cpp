#include "check/check.hpp"

#include <algorithm>
#include <cctype>
#include <climits>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <tuple>

#include "archive/format.hpp"
#include "camera/camera.hpp"
#include "commands/table.hpp"
#include "core/host.hpp"
#include "object3d/object3d.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/inorder.hpp"
#include "platform/paths.hpp"
#include "setup/setup.hpp"
#include "track/track.hpp"
#include "verify/verify.hpp"

namespace z5::check {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kShownPerFile = 20;

// The definition files by the kind they are of.
struct DefinitionName {
    std::string_view name;
    std::string_view family;
};
constexpr DefinitionName kDefinitionNames[] = {
    {"Trk.def", "trk"}, {"cam.def", "cam"},    {"scr.def", "scr"},
    {"stg.def", "stg"}, {"vertex.def", "3do"}, {"flavor.def", "3do"},
};

std::string_view familyOf(std::string_view name) {
    for (const DefinitionName& d : kDefinitionNames)
        if (equalsIgnoringCase(name, d.name)) return d.family;
    return {};
}

std::string fileName(const std::string& path) {
    return pathText(nativePath(path).filename());
}

std::string parentOf(const std::string& path) {
    return pathText(nativePath(path).parent_path());
}

bool wanted(std::string_view path) {
    const std::string name = fileName(std::string(path));
    return verify::knownKind(path) || !familyOf(name).empty() ||
           equalsIgnoringCase(name, kListName);
}

// The decompile row of a binary's kind.
const CommandEntry* decompileRow(const std::string& path) {
    const std::string name = fileName(path);
    for (const CommandEntry& row : commandTable()) {
        const std::string_view extension = row.fileExtension();
        if (row.compiledBy.empty() || extension.empty() || name.size() <= extension.size())
            continue;
        if (equalsIgnoringCase(std::string_view(name).substr(name.size() - extension.size()),
                               extension))
            return &row;
    }
    return nullptr;
}

// `text` with every `from` replaced by `to`: reasons name the user's file,
// not the path it was read at.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    if (from.empty() || from == to) return text;
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

// The number that `text` begins with, and its digits taken off; none when
// it does not begin with a digit.
std::optional<std::int64_t> leadingNumber(std::string_view& text) {
    std::size_t digits = 0;
    while (digits < text.size() && digits < 15 && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    if (digits == 0) return std::nullopt;
    const std::int64_t n = std::stoll(std::string(text.substr(0, digits)));
    text.remove_prefix(digits);
    return n;
}

// A failure's one-line reason as an error of `file`: "file:12: what" gives
// line 12.
Diagnostic failureOf(const std::string& reason, const std::string& file) {
    Diagnostic d{file, 0, 0, reason, {}, DiagnosticKind::Error};
    if (!reason.starts_with(file + ":")) return d;
    std::string_view rest = std::string_view(reason).substr(file.size() + 1);
    std::string_view after = rest;
    if (const auto line = leadingNumber(after); line && after.starts_with(':')) {
        d.line = static_cast<long>(*line);
        rest = after.substr(1);
    }
    d.message = std::string(trimBlanks(rest));
    return d;
}

// A decompiler's failure as an error of the binary `file`, without the
// file's name the reason begins with ("cube.3do ends at byte 61, ...",
// "oval.trk: byte 980: section block: ...", "x.trk is not a track: ..."), at
// the first byte the reason names: "oval.trk: byte 980: error: section
// block: ...", "x.trk: error: not a track: ...".
Diagnostic binaryFailureOf(const std::string& reason, const std::string& file) {
    std::string_view rest = reason;
    if (rest.starts_with(file) &&
        (rest.substr(file.size()).starts_with(": ") || rest.substr(file.size()).starts_with(" ")))
        rest = trimBlanks(rest.substr(file.size() + 1));
    // "x.trk is not a track: ..." says "not a track: ..." of x.trk.
    if (rest.starts_with("is not ")) rest.remove_prefix(3);
    Diagnostic d{file, 0, 0, std::string(rest), {}, DiagnosticKind::Error};
    for (std::size_t at = 0; (at = rest.find("byte ", at)) != std::string_view::npos; ++at) {
        if (at > 0 && std::isalpha(static_cast<unsigned char>(rest[at - 1]))) continue;
        std::string_view after = rest.substr(at + 5);
        if (const auto n = leadingNumber(after)) {
            d.byte = *n;
            // A reason that begins with its byte has it only there.
            if (at == 0 && after.starts_with(": ")) d.message = std::string(after.substr(2));
            break;
        }
    }
    return d;
}

// A host that reads a binary with the decompiler in a private folder and
// keeps what it reported.
class ReadingHost : public WindowlessHost {
public:
    using WindowlessHost::WindowlessHost;
    void diagnostic(const Diagnostic& d) override { diagnostics.push_back(d); }
    std::vector<Diagnostic> diagnostics;
};

void checkBinary(const Unit& unit, const std::string& scratch, Result& result) {
    result.files = 1;
    const CommandEntry* row = decompileRow(unit.path);
    if (!row) {
        result.diagnostics.push_back(
            {unit.shown, 0, 0, "not a kind of file check reads", {}, DiagnosticKind::Error});
        return;
    }
    ReadingHost host(scratch, unit.path);
    const Outcome outcome = row->run(host);
    for (Diagnostic d : host.diagnostics) {
        d.file = replaced(d.file, unit.path, unit.shown);
        result.diagnostics.push_back(std::move(d));
    }
    if (outcome.status == Status::Failed)
        result.diagnostics.push_back(
            binaryFailureOf(replaced(outcome.reason, unit.path, unit.shown), unit.shown));
}

// Reads the definition file `name` of the unit's folder with `read`, its
// departures errors; a failure is an error too. False when it failed.
template <class Read>
bool readDefinitions(const Unit& unit, std::string_view name, Result& result, Read read) {
    const std::string path = findInFolder(unit.path, name);
    const std::string shown = joinPath(unit.shown, fileName(path));
    ++result.files;
    try {
        TextReader reader(path, shown);
        reader.setDiagnosticHook([&result](Diagnostic d) {
            d.kind = DiagnosticKind::Error;
            result.diagnostics.push_back(std::move(d));
        });
        read(reader, shown);
        return true;
    } catch (const std::exception& e) {
        result.diagnostics.push_back(failureOf(e.what(), shown));
        return false;
    }
}

void checkDefinitions(const Unit& unit, Result& result) {
    const auto add = [&result](std::vector<Diagnostic> found) {
        for (Diagnostic& d : found) result.diagnostics.push_back(std::move(d));
    };
    if (unit.family == "trk") {
        readDefinitions(unit, "Trk.def", result, [&](TextReader& in, const std::string& shown) {
            track::TrackPlaces places;
            const track::Track t = track::parseTrack(in, &places);
            add(track::trackWarnings(t, places, shown));
        });
    } else if (unit.family == "cam") {
        readDefinitions(unit, "cam.def", result,
                        [](TextReader& in, const std::string&) { camera::parseCam(in); });
    } else if (unit.family == "scr") {
        readDefinitions(unit, "scr.def", result,
                        [](TextReader& in, const std::string&) { camera::parseScr(in); });
    } else if (unit.family == "stg") {
        readDefinitions(unit, "stg.def", result,
                        [](TextReader& in, const std::string&) { setup::parseSetup(in); });
    } else {
        object3d::Object object;
        object3d::ObjectPlaces places;
        std::string files[2];
        const bool vertices =
            readDefinitions(unit, "vertex.def", result, [&](TextReader& in, const std::string& s) {
                files[0] = s;
                object3d::parseVertexDef(in, object, &places);
            });
        const bool flavors =
            readDefinitions(unit, "flavor.def", result, [&](TextReader& in, const std::string& s) {
                files[1] = s;
                object3d::parseFlavorDef(in, object, &places);
            });
        if (vertices && flavors) add(object3d::objectWarnings(object, places, files[0], files[1]));
    }
}

// A workspace's list, and for each member its file or its definitions
// folder, not both.
void checkWorkspace(const Unit& unit, Result& result) {
    const std::string listPath = findInFolder(unit.path, kListName);
    const std::string listShown = joinPath(unit.shown, fileName(listPath));
    try {
        TextReader list(listPath, listShown);
        // A count that leaves names out fails a build, as departures do.
        list.setDiagnosticHook([&result](Diagnostic d) {
            d.kind = DiagnosticKind::Error;
            result.diagnostics.push_back(std::move(d));
        });
        readListName(list, "archive name");
        for (const std::string& name : readMemberNames(list)) {
            std::error_code ec;
            const bool file = fs::exists(
                fs::symlink_status(nativePath(joinPath(unit.path, nameToPath(name))), ec));
            const bool folder =
                fs::is_directory(nativePath(joinPath(unit.path, nameToPath(name + ".def"))), ec);
            if (file == folder)
                result.diagnostics.push_back(
                    {listShown,
                     0,
                     0,
                     name + ": " +
                         (file ? "both the member file and the folder " + name +
                                     ".def are in the workspace; build takes neither"
                               : "neither the member file nor a folder " + name +
                                     ".def is in the workspace"),
                     {},
                     DiagnosticKind::Error});
        }
    } catch (const std::exception& e) {
        result.diagnostics.push_back(failureOf(e.what(), listShown));
    }
}

// Each file's diagnostics in the order of its lines, as a compiler lists
// them (a count is named at its line only once the rows after it are read),
// the remarks on the whole file after them; the files in the order they
// were first named.
void sortByLine(std::vector<Diagnostic>& diagnostics) {
    std::map<std::string, std::size_t> order;
    for (const Diagnostic& d : diagnostics) order.emplace(d.file, order.size());
    const auto key = [&order](const Diagnostic& d) {
        return std::tuple(order.at(d.file), d.line > 0 ? d.line : LONG_MAX, d.column);
    };
    std::stable_sort(diagnostics.begin(), diagnostics.end(),
                     [&key](const Diagnostic& a, const Diagnostic& b) { return key(a) < key(b); });
}

// At most 20 diagnostics of each file, then how many more.
void cap(std::vector<Diagnostic>& diagnostics) {
    std::map<std::string, std::size_t> counts;
    std::vector<Diagnostic> kept;
    for (Diagnostic& d : diagnostics)
        if (++counts[d.file] <= kShownPerFile) kept.push_back(std::move(d));
    for (const auto& [file, count] : counts)
        if (count > kShownPerFile)
            kept.push_back({file,
                            0,
                            0,
                            "(and " + std::to_string(count - kShownPerFile) + " more)",
                            {},
                            DiagnosticKind::Note});
    diagnostics = std::move(kept);
}

}  // namespace

std::vector<Unit> plan(const std::vector<std::string>& paths, const std::string& base) {
    const std::vector<std::string> given = paths.empty() ? std::vector<std::string>{""} : paths;
    const std::string from = base.empty() ? "." : base;
    std::vector<Unit> units;
    std::set<std::pair<std::string, std::string>> seen;  // folder and family of a unit
    for (const std::string& shown : given) {
        const std::string path = nativePath(shown).is_relative() ? joinPath(from, shown) : shown;
        std::error_code ec;
        const fs::file_status status = fs::status(nativePath(path), ec);
        if (!fs::exists(status)) {
            units.push_back({Unit::Kind::Problem, path, shown, {}, "no such file or folder"});
            continue;
        }
        if (!fs::is_directory(status) && !wanted(path)) {
            units.push_back({Unit::Kind::Problem,
                             path,
                             shown,
                             {},
                             "not a binary of a known kind, a definition file or a folder"});
            continue;
        }
        for (const verify::Planned& f : verify::plan({shown}, from, wanted).files) {
            if (!f.failure.empty()) {
                units.push_back({Unit::Kind::Problem, f.path, f.shown, {}, f.failure});
                continue;
            }
            const std::string name = fileName(f.path);
            const std::string_view family = familyOf(name);
            const bool list = equalsIgnoringCase(name, kListName);
            if (family.empty() && !list) {
                units.push_back({Unit::Kind::Binary, f.path, f.shown, {}, {}});
                continue;
            }
            const std::string folder = parentOf(f.path);
            if (!seen.emplace(foldCase(folder), list ? "list" : std::string(family)).second)
                continue;
            units.push_back({list ? Unit::Kind::Workspace : Unit::Kind::Definitions,
                             folder,
                             parentOf(f.shown),
                             std::string(family),
                             {}});
        }
    }
    return units;
}

Result checkUnit(const Unit& unit, const std::string& scratch) {
    Result result;
    switch (unit.kind) {
        case Unit::Kind::Problem:
            result.diagnostics.push_back(
                {unit.shown, 0, 0, unit.problem, {}, DiagnosticKind::Error});
            break;
        case Unit::Kind::Binary:
            checkBinary(unit, scratch, result);
            break;
        case Unit::Kind::Definitions:
            checkDefinitions(unit, result);
            break;
        case Unit::Kind::Workspace:
            checkWorkspace(unit, result);
            break;
    }
    for (const Diagnostic& d : result.diagnostics) {
        result.errors += d.kind == DiagnosticKind::Error;
        result.warnings += d.kind == DiagnosticKind::Warning;
    }
    sortByLine(result.diagnostics);
    cap(result.diagnostics);
    return result;
}

void checkAll(const std::vector<Unit>& units, int jobs,
              const std::function<void(const Result&)>& done,
              const std::function<void(std::size_t, const std::string&)>& progress) {
    const TemporaryFolder root(systemTemporaryFolder(), "z5check-", "a private folder");
    std::vector<std::optional<Result>> results(units.size());
    std::mutex progressLock;
    runInOrder(
        units.size(), static_cast<unsigned>(std::max(jobs, 1)), units.size(),
        [&](std::size_t i, unsigned worker) {
            if (progress) {
                std::lock_guard lock(progressLock);
                progress(i, units[i].shown);
            }
            const std::string folder = joinPath(root.path(), "w" + std::to_string(worker));
            std::error_code made;
            fs::create_directory(nativePath(folder), made);
            results[i] = checkUnit(units[i], folder);
            for (const auto& entry : fs::directory_iterator(nativePath(folder), made))
                fs::remove_all(entry.path(), made);
        },
        [&](std::size_t i) {
            done(*results[i]);
            results[i].reset();
        });
}

void Tally::add(const Result& result) {
    files += result.files;
    errors += result.errors;
    warnings += result.warnings;
}

std::string summaryLine(const Tally& t) {
    const auto counted = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + ' ' + (n == 1 ? one : many);
    };
    return counted(t.files, "file", "files") + ": " + counted(t.errors, "error", "errors") + ", " +
           counted(t.warnings, "warning", "warnings");
}

}  // namespace z5::check
