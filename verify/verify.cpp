#include "verify/verify.hpp"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>

#include "archive/format.hpp"
#include "commands/table.hpp"
#include "object3d/object3d.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/deftext.hpp"
#include "textfmt/failure.hpp"
#include "textfmt/files.hpp"
#include "textfmt/inorder.hpp"
#include "textfmt/paths.hpp"
#include "textfmt/printform.hpp"
#include "verify/fields.hpp"

namespace z5::verify {
namespace {

namespace fs = std::filesystem;

// Answers a command's dialogs for verify: the file being verified (its
// bytes already in memory), or a name in the private folder.
class VerifyHost : public WindowlessHost {
public:
    explicit VerifyHost(std::string folder) : WindowlessHost(std::move(folder), {}) {}
    std::optional<std::string_view> chosenFileBytes() override { return bytes; }

    std::optional<std::string_view> bytes;
};

std::string lowerExtension(std::string_view path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    std::string ext(path.substr(dot));
    for (char& c : ext) c = asciiLower(c);
    return ext;
}

// A new folder of this run's own below the system's temporary folder.
std::string privateFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder =
            fs::temp_directory_path() / ("z5verify-" + std::to_string(random()));
        std::error_code ec;
        if (fs::create_directory(folder, ec)) return folder.string();
    }
    throw CommandFailure("cannot create a private folder in " + fs::temp_directory_path().string());
}

// Empties a private folder between two files.
void emptyFolder(const std::string& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) fs::remove_all(entry.path(), ec);
}

// Runs a row of the command table for `host`; its reason when it failed.
std::optional<std::string> run(const CommandEntry& row, VerifyHost& host) {
    const Outcome outcome = row.run(host);
    if (outcome.status == Status::Done) return std::nullopt;
    return outcome.reason.empty() ? std::string("cancelled") : outcome.reason;
}

// The first byte at which `written` differs from `original`, named.
std::string difference(std::string_view extension, std::string_view original,
                       std::string_view written) {
    const auto mismatch =
        std::mismatch(original.begin(), original.end(), written.begin(), written.end());
    const auto offset = static_cast<std::int64_t>(mismatch.first - original.begin());
    const std::optional<Field> field = fieldAt(extension, original, offset);
    std::string text = "byte " + std::to_string(offset);
    if (!field)
        return text + ": the file has " + std::to_string(original.size()) + " bytes, " +
               std::to_string(written.size()) + " written";
    if (!field->number && field->width > 4) {
        text += " (" + field->name + ", byte " + std::to_string(offset - field->start) + ")";
    } else {
        text += " (" + field->name + ")";
    }
    return text + ": " + fieldValue(*field, original, offset) + " in the file, " +
           fieldValue(*field, written, offset) + " written";
}

// A kind of file verify knows: the row that decompiles (or unpacks) it and
// the row that compiles the result back.
struct Kind {
    std::string_view extension;  // ".trk", in lower case
    const CommandEntry* decompile;
    const CommandEntry* compile;
};

std::vector<Kind> makeKinds() {
    std::vector<Kind> kinds;
    for (const CommandEntry& row : commandTable())
        if (!row.compiledBy.empty())
            kinds.push_back({row.fileExtension(), &row, findCommandByMenu(row.compiledBy)});
    return kinds;
}

const Kind* kindOf(std::string_view path) {
    static const std::vector<Kind> kinds = makeKinds();
    const std::string extension = lowerExtension(path);
    for (const Kind& kind : kinds)
        if (kind.extension == extension) return &kind;
    return nullptr;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(nativePath(folder)))
        names.push_back(pathText(entry.path().filename()));
    return names;
}

// The file of `kind` that the compile wrote into `folder`: the one not in
// `before`, the folder's names before the compile ran.
std::string compiledFile(const Kind& kind, const std::string& folder,
                         const std::vector<std::string>& before) {
    for (const std::string& name : namesIn(folder))
        if (lowerExtension(name) == kind.extension &&
            std::find(before.begin(), before.end(), name) == before.end())
            return joinPath(folder, name);
    throw CommandFailure("the compile wrote no " + std::string(kind.extension) + " file");
}

void verifyMembers(const std::string& archive, const std::string& folder, Result& result);

object3d::ObjectRead readObjectBytes(std::string_view bytes, bool marks = true) {
    BinaryReader in = BinaryReader::ofBytes(bytes, "object");
    return object3d::readObject(in, marks);
}

// Where the 3do decompiler stopped at a flavor it cannot decode, as the
// message line of flavor.def says it.
std::optional<std::string> unsupportedFlavor(std::string_view bytes) {
    const auto stop = readObjectBytes(bytes, false).object.unsupported;
    if (!stop) return std::nullopt;
    return object3d::unsupportedMessage(*stop) + " at offset " + numberText(stop->offset);
}

// The object with the fields always written as 0 set to 0.
std::string withoutReserved(std::string bytes, const object3d::ObjectRead& read) {
    for (const object3d::Mark& mark : read.marks)
        if (mark.what == "Reserved")
            for (std::int64_t i = mark.position; i < mark.position + 4; ++i)
                if (i < static_cast<std::int64_t>(bytes.size()))
                    bytes[static_cast<std::size_t>(i)] = 0;
    return bytes;
}

bool sameObject(const object3d::Object& a, const object3d::Object& b) {
    const auto sameFlavor = [](const object3d::Flavor& x, const object3d::Flavor& y) {
        return x.type == y.type && x.offset == y.offset &&
               std::equal(x.values.begin(), x.values.end(), y.values.begin(), y.values.end(),
                          [](const object3d::Value& v, const object3d::Value& w) {
                              return v.number == w.number && v.field.width == w.field.width;
                          });
    };
    const auto samePoints = [](const object3d::PointSection& x, const object3d::PointSection& y) {
        return x.normals == y.normals && x.points == y.points;
    };
    return a.root == b.root && a.names == b.names &&
           std::equal(a.points.begin(), a.points.end(), b.points.begin(), b.points.end(),
                      samePoints) &&
           std::equal(a.flavors.begin(), a.flavors.end(), b.flavors.begin(), b.flavors.end(),
                      sameFlavor);
}

// An object that did not come back byte for byte: the same but for the
// reserved fields, or for the numbers the compiler gave its vertices,
// normals and flavors, or different.
void compareObjects(const std::string& original, const std::string& written, Result& result) {
    const object3d::ObjectRead before = readObjectBytes(original);
    const object3d::ObjectRead after = readObjectBytes(written);
    if (withoutReserved(original, before) == withoutReserved(written, after)) {
        result.verdict = Verdict::IdenticalButReserved;
        return;
    }
    result.verdict = Verdict::Differs;
    // The compiler makes the last flavor the root.
    const object3d::Object& object = before.object;
    if (!object.flavors.empty() && object.root != object.flavors.back().offset) {
        const auto root = std::find_if(before.marks.begin(), before.marks.end(),
                                       [](const object3d::Mark& m) { return m.what == "Root"; });
        result.detail = "byte " + std::to_string(root->position) +
                        " (Root): " + std::to_string(object.root) + " in the file, " +
                        std::to_string(after.object.root) + " written";
        return;
    }
    object3d::Object renumbered = object;
    object3d::compileObject(renumbered);
    // Records whose number the compiler changed: vertices, normals, flavors.
    std::size_t moved[3] = {0, 0, 0};
    for (const object3d::PointSection& section : object.points)
        for (std::size_t i = 0; i < section.points.size(); ++i)
            moved[section.normals] += section.points[i][0] != static_cast<std::int32_t>(i);
    for (std::size_t i = 0; i < object.flavors.size(); ++i)
        moved[2] += object.flavors[i].offset != renumbered.flavors[i].offset;
    if (moved[0] + moved[1] + moved[2] > 0 && sameObject(renumbered, after.object)) {
        result.verdict = Verdict::Equivalent;
        result.detail = std::to_string(moved[0]) + " vertices and " + std::to_string(moved[1]) +
                        " normals moved";
        if (moved[2] > 0) result.detail += ", " + std::to_string(moved[2]) + " flavors";
        return;
    }
    result.detail = difference(".3do", original, written);
}

// The kind of `path`, one verify knows.
const Kind& requireKind(std::string_view path) {
    const Kind* kind = kindOf(path);
    if (!kind) throw CommandFailure("not a kind of file verify knows");
    return *kind;
}

void roundTrip(const std::string& path, const std::string& original, const std::string& folder,
               bool deep, Result& result) {
    if (std::optional<Result> stop = decompileStep(path, original, folder)) {
        result.verdict = stop->verdict;
        result.detail = stop->detail;
        return;
    }
    std::string written;
    try {
        written = readFileBytes(compileStep(path, folder), "the compiled file");
    } catch (const CommandFailure& e) {
        result.verdict = Verdict::Failed;
        result.detail = e.what();
        return;
    }
    const Result judged = judge(path, original, written);
    result.verdict = judged.verdict;
    result.detail = judged.detail;
    if (deep && requireKind(path).extension == ".dat") verifyMembers(original, folder, result);
}

// The members of `archive`, unpacked in `folder`, that are of a known kind,
// in the archive's order. Each is verified in a folder beside `folder`, so
// no member name can meet a name of verify's own.
void verifyMembers(const std::string& archive, const std::string& folder, Result& result) {
    BinaryReader in = BinaryReader::ofBytes(archive, "archive");
    const std::uint16_t count = in.u16();
    std::vector<std::string> names;
    for (std::uint16_t i = 0; i < count; ++i) names.push_back(entryName(readDatEntry(in)));
    const std::string inner = folder + "-member";
    std::error_code ec;
    fs::create_directory(nativePath(inner), ec);
    for (const std::string& name : names) {
        if (!knownKind(name)) continue;
        Result member = verifyFile(joinPath(folder, nameToPath(name)), inner, false);
        member.path = name;
        result.members.push_back(std::move(member));
        emptyFolder(inner);
    }
    fs::remove_all(nativePath(inner), ec);
}

}  // namespace

bool knownKind(std::string_view path) {
    return kindOf(path) != nullptr;
}

std::optional<Result> decompileStep(const std::string& path, const std::string& original,
                                    const std::string& folder) {
    const Kind& kind = requireKind(path);
    VerifyHost host(folder);
    host.answer = path;
    host.bytes = original;
    if (auto failure = run(*kind.decompile, host))
        return Result{path, Verdict::Failed, *failure, {}};
    if (kind.extension == ".3do")
        if (auto stop = unsupportedFlavor(original))
            return Result{path, Verdict::NotSupported, *stop, {}};
    return std::nullopt;
}

std::string compileStep(std::string_view path, const std::string& folder) {
    const Kind& kind = requireKind(path);
    VerifyHost host(folder);
    // A compile that asks for a file opens what the decompile wrote first
    // (pack: the list), or saves a new file of the kind.
    host.answer = kind.compile->options.dialog == Dialog::Open
                      ? joinPath(folder, kind.decompile->writes[0])
                      : joinPath(folder, "compiled" + std::string(kind.extension));
    const std::vector<std::string> before = namesIn(folder);
    if (auto failure = run(*kind.compile, host)) throw CommandFailure(*failure);
    return compiledFile(kind, folder, before);
}

Result judge(const std::string& path, const std::string& original, const std::string& written) {
    Result result{path, Verdict::Identical, {}, {}};
    const Kind& kind = requireKind(path);
    if (written != original && kind.extension == ".3do") {
        compareObjects(original, written, result);
    } else if (written != original) {
        result.verdict = Verdict::Differs;
        result.detail = difference(kind.extension, original, written);
    }
    return result;
}

Plan plan(const std::vector<std::string>& paths) {
    Plan p;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            // A file, or a path that does not exist: verifying it says why.
            if (knownKind(path) || !fs::exists(path, ec))
                p.files.push_back(path);
            else
                ++p.skipped;
            continue;
        }
        std::vector<std::string> found;
        for (fs::recursive_directory_iterator it(path, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (!it->is_regular_file(ec)) continue;
            std::string file = it->path().string();
            if (knownKind(file))
                found.push_back(std::move(file));
            else
                ++p.skipped;
        }
        // Folder order is the file system's: sorted, the lines come out the
        // same on every run.
        std::sort(found.begin(), found.end());
        p.files.insert(p.files.end(), found.begin(), found.end());
    }
    return p;
}

Result verifyFile(const std::string& path, const std::string& folder, bool deep) {
    Result result{path, Verdict::Identical, {}, {}};
    try {
        requireKind(path);
        // The file is read once; every step works on these bytes.
        const std::string original = readFileBytes(path, path);
        roundTrip(path, original, folder, deep, result);
    } catch (const std::exception& e) {
        result.verdict = Verdict::Failed;
        result.detail = e.what();
    }
    return result;
}

void verifyAll(const Plan& plan, int jobs, bool deep,
               const std::function<void(const Result&)>& done,
               const std::function<void(std::size_t, const std::string&)>& progress) {
    // One private folder for the whole run, a subfolder per thread.
    const std::string root = privateFolder();
    struct Remove {
        std::string path;
        ~Remove() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    } removeRoot{root};

    const std::size_t count = plan.files.size();
    std::vector<std::optional<Result>> results(count);
    std::mutex progressLock;
    // The lines come out in the order of the plan, each as soon as it and
    // every one before it are known.
    runInOrder(
        count, static_cast<unsigned>(std::max(jobs, 1)), count,
        [&](std::size_t i, unsigned worker) {
            if (progress) {
                std::lock_guard lock(progressLock);
                progress(i, plan.files[i]);
            }
            const std::string folder = joinPath(root, "w" + std::to_string(worker));
            std::error_code ec;
            fs::create_directory(folder, ec);
            results[i] = verifyFile(plan.files[i], folder, deep);
            emptyFolder(folder);
        },
        [&](std::size_t i) {
            done(*results[i]);
            results[i].reset();
        });
}

std::string_view verdictText(Verdict verdict) {
    static constexpr std::string_view kTexts[] = {"identical",
                                                  "identical but for reserved fields",
                                                  "equivalent after renumbering",
                                                  "differs",
                                                  "not supported",
                                                  "failed"};
    return kTexts[static_cast<std::size_t>(verdict)];
}

std::string resultLines(const Result& result) {
    std::string text = result.path + ": " + std::string(verdictText(result.verdict));
    if (!result.detail.empty()) text += ": " + result.detail;
    text += '\n';
    for (const Result& member : result.members) text += "  " + resultLines(member);
    return text;
}

void Tally::add(const Result& result) {
    ++counts[static_cast<std::size_t>(result.verdict)];
    for (const Result& member : result.members) add(member);
}

std::string summaryLine(const Tally& t) {
    // Identical but for reserved fields counts as identical.
    const std::size_t shown[] = {
        t.count(Verdict::Identical) + t.count(Verdict::IdenticalButReserved),
        t.count(Verdict::Equivalent),
        t.count(Verdict::Differs),
        t.count(Verdict::NotSupported),
        t.count(Verdict::Failed),
        t.skipped};
    static constexpr const char* kNames[] = {"identical",     "equivalent", "differ",
                                             "not supported", "failed",     "skipped"};
    std::string line = std::to_string(t.files()) + " files:";
    for (std::size_t i = 0; i < std::size(shown); ++i)
        line += std::string(i ? ", " : " ") + std::to_string(shown[i]) + " " + kNames[i];
    return line;
}

}  // namespace z5::verify
