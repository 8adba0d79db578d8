#include "verify/verify.hpp"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <span>

#include "archive/format.hpp"
#include "commands/table.hpp"
#include "object3d/object3d.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/inorder.hpp"
#include "platform/paths.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/printform.hpp"
#include "verify/fields.hpp"

namespace z5::verify {
namespace {

namespace fs = std::filesystem;

// The most of a file read into memory to name the field a difference lies
// in: more than an archive's directory or a camera file can take. Files are
// compared piece by piece, so a worker's memory does not grow with them.
constexpr std::size_t kNamingBytes = std::size_t{8} << 20;
constexpr std::size_t kComparePiece = std::size_t{1} << 16;

// Empties a private folder between two files.
void emptyFolder(const std::string& folder) {
    std::string error;
    for (const FolderEntry& entry : listFolder(folder, error))
        removeAll(joinPath(folder, entry.name));
}

// Answers a command's dialogs for verify: the file being verified (its
// bytes in memory when the caller holds them), or a name in the private
// folder.
class VerifyHost : public WindowlessHost {
public:
    using WindowlessHost::WindowlessHost;
    std::optional<std::string_view> chosenFileBytes() override { return bytes; }
    void diagnostic(const Diagnostic& d) override {
        if (departures) departures->push_back(d);
    }

    std::optional<std::string_view> bytes;
    std::vector<Diagnostic>* departures = nullptr;
};

// Runs a row of the command table for `host`; its reason when it failed.
std::optional<std::string> run(const CommandEntry& row, VerifyHost& host) {
    const Outcome outcome = row.run(host);
    if (outcome.status == Status::Done) return std::nullopt;
    return outcome.reason.empty() ? std::string("cancelled") : outcome.reason;
}

// Bytes to compare: a file, read piece by piece, or bytes in memory.
class Source {
public:
    explicit Source(const InputFile& file) : file_(&file), size_(file.size()) {}
    explicit Source(std::string_view bytes)
        : bytes_(bytes), size_(static_cast<std::int64_t>(bytes.size())) {}
    std::int64_t size() const { return size_; }

    // Fills `data` from byte `offset` on; fewer bytes only at the end.
    std::size_t read(std::span<char> data, std::int64_t offset) const {
        if (!file_) {
            if (offset >= size_) return 0;
            return bytes_.copy(data.data(), data.size(), static_cast<std::size_t>(offset));
        }
        std::size_t done = 0;
        while (done < data.size()) {
            const std::size_t n = file_->readAt(data.data() + done, data.size() - done,
                                                offset + static_cast<std::int64_t>(done));
            if (n == 0) break;
            done += n;
        }
        return done;
    }

private:
    const InputFile* file_ = nullptr;
    std::string_view bytes_;
    std::int64_t size_;
};

// The first `limit` bytes of `file`, or all of them.
std::string readHead(const Source& file, std::size_t limit) {
    std::string bytes(std::min(limit, static_cast<std::size_t>(file.size())), '\0');
    bytes.resize(file.read(bytes, 0));
    return bytes;
}

// The first byte at which the two files differ; nullopt when they hold the
// same bytes.
std::optional<std::int64_t> firstDifference(const Source& a, const Source& b) {
    std::vector<char> x(kComparePiece), y(kComparePiece);
    for (std::int64_t at = 0;; at += static_cast<std::int64_t>(kComparePiece)) {
        const std::size_t n = a.read(x, at), m = b.read(y, at);
        const auto [p, q] = std::mismatch(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n),
                                          y.begin(), y.begin() + static_cast<std::ptrdiff_t>(m));
        if (p != x.begin() + static_cast<std::ptrdiff_t>(n) ||
            q != y.begin() + static_cast<std::ptrdiff_t>(m))
            return at + (p - x.begin());
        if (n < kComparePiece) return std::nullopt;
    }
}

// The value of `field` at byte `offset` of `file`, as fieldValue shows it,
// read from the file.
std::string valueIn(const Field& field, const Source& file, std::int64_t offset) {
    const bool whole = field.number && field.width <= 4;
    const std::int64_t from = whole ? field.start : offset;
    std::string window(whole ? static_cast<std::size_t>(field.width) : 1, '\0');
    window.resize(file.read(window, from));
    Field shifted = field;
    shifted.start -= from;
    return fieldValue(shifted, window, offset - from);
}

// The first differing byte, `offset`, named by its field, which `head` (the
// start of the original) tells.
std::string difference(std::string_view extension, std::string_view head, const Source& original,
                       const Source& written, std::int64_t offset) {
    const std::optional<Field> field = fieldAt(extension, head, offset);
    std::string text = "byte " + std::to_string(offset);
    if (!field)
        return text + ": the file has " + std::to_string(original.size()) + " bytes, " +
               std::to_string(written.size()) + " written";
    if (!field->number && field->width > 4) {
        text += " (" + field->name + ", byte " + std::to_string(offset - field->start) + ")";
    } else {
        text += " (" + field->name + ")";
    }
    return text + ": " + valueIn(*field, original, offset) + " in the file, " +
           valueIn(*field, written, offset) + " written";
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
    const std::string extension = "." + lowerExtension(path);
    for (const Kind& kind : kinds)
        if (kind.extension == extension) return &kind;
    return nullptr;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::string error;
    std::vector<std::string> names;
    for (FolderEntry& entry : listFolder(folder, error)) names.push_back(std::move(entry.name));
    if (!error.empty()) throw CommandFailure("cannot read " + folder + ": " + error);
    return names;
}

// The file of `kind` that the compile wrote into `folder`: the one not in
// `before`, the folder's names before the compile ran.
std::string compiledFile(const Kind& kind, const std::string& folder,
                         const std::vector<std::string>& before) {
    for (const std::string& name : namesIn(folder))
        if ("." + lowerExtension(name) == kind.extension &&
            std::find(before.begin(), before.end(), name) == before.end())
            return joinPath(folder, name);
    throw CommandFailure("the compile wrote no " + std::string(kind.extension) + " file");
}

object3d::ObjectRead readObjectBytes(std::string_view bytes, bool marks = true) {
    BinaryReader in = BinaryReader::ofBytes(bytes, "object");
    return object3d::readObject(in, marks);
}

// Where the 3do decompiler stopped at a flavor it cannot decode, as the
// message line of flavor.def says it.
std::optional<std::string> unsupportedFlavor(BinaryReader& in) {
    const auto stop = object3d::readObject(in).object.unsupported;
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

// An object that did not come back byte for byte (first at `offset`): the
// same but for the reserved fields, or for the numbers the compiler gave
// its vertices, normals and flavors, or different.
void compareObjects(const Source& originalFile, const Source& writtenFile, std::int64_t offset,
                    Result& result) {
    const std::string original = readHead(originalFile, std::string::npos);
    const std::string written = readHead(writtenFile, std::string::npos);
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
    const auto moved = object3d::renumberedRecords(object, renumbered);
    if (moved[0] + moved[1] + moved[2] > 0 && object3d::sameObject(renumbered, after.object)) {
        result.verdict = Verdict::Equivalent;
        result.detail = std::to_string(moved[0]) + " vertices and " + std::to_string(moved[1]) +
                        " normals moved";
        if (moved[2] > 0) result.detail += ", " + std::to_string(moved[2]) + " flavors";
        return;
    }
    result.detail = difference(".3do", original, originalFile, writtenFile, offset);
}

// The kind of `path`, one verify knows.
const Kind& requireKind(std::string_view path) {
    const Kind* kind = kindOf(path);
    if (!kind) throw CommandFailure("not a kind of file verify knows");
    return *kind;
}

// Decompiles `path` into `folder` (from `bytes` when the caller holds them):
// nullopt, or the verdict it stopped with.
std::optional<Result> decompile(const Kind& kind, const std::string& path,
                                std::optional<std::string_view> bytes, const std::string& folder) {
    VerifyHost host(folder, path);
    host.bytes = bytes;
    if (auto failure = run(*kind.decompile, host))
        return Result{path, Verdict::Failed, *failure, {}};
    if (kind.extension == ".3do") {
        BinaryReader in = bytes ? BinaryReader::ofBytes(*bytes, path) : BinaryReader(path, path);
        if (auto stop = unsupportedFlavor(in))
            return Result{path, Verdict::NotSupported, *stop, {}};
    }
    return std::nullopt;
}

// The verdict on `written`, compiled back from `original`.
Result judgeBytes(const Kind& kind, const std::string& path, const Source& original,
                  const Source& written) {
    Result result{path, Verdict::Identical, {}, {}};
    if (const auto offset = firstDifference(original, written)) {
        if (kind.extension == ".3do") {
            compareObjects(original, written, *offset, result);
        } else {
            result.verdict = Verdict::Differs;
            result.detail = difference(kind.extension, readHead(original, kNamingBytes), original,
                                       written, *offset);
        }
    }
    return result;
}

// Told each member of an archive as its check starts: its name, its place
// among the members of a known kind and their count.
using MemberProgress = std::function<void(const std::string&, std::size_t, std::size_t)>;

void verifyMembers(const Source& archive, const std::string& folder, Result& result,
                   const MemberProgress& progress);

// The file is not held in memory: the decompile reads it, and the compiled
// file is compared with it piece by piece.
void roundTrip(const Kind& kind, const std::string& path, const std::string& folder, bool deep,
               Result& result, const MemberProgress& progress) {
    if (std::optional<Result> stop = decompile(kind, path, std::nullopt, folder)) {
        result.verdict = stop->verdict;
        result.detail = stop->detail;
        return;
    }
    std::string compiled;
    try {
        compiled = compileStep(path, folder);
    } catch (const CommandFailure& e) {
        result.verdict = Verdict::Failed;
        result.detail = e.what();
        return;
    }
    const InputFile originalFile(path, path);
    const InputFile writtenFile(compiled, "the compiled file");
    const Source original(originalFile);
    const Result judged = judgeBytes(kind, path, original, Source(writtenFile));
    result.verdict = judged.verdict;
    result.detail = judged.detail;
    if (deep && kind.extension == ".dat") verifyMembers(original, folder, result, progress);
}

// The members of `archive`, unpacked in `folder`, that are of a known kind,
// in the archive's order. Each is verified in a folder beside `folder`, so
// no member name can meet a name of verify's own, and named by its name,
// its reason by the archive and its name ("m.dat: B.TRK").
void verifyMembers(const Source& archive, const std::string& folder, Result& result,
                   const MemberProgress& progress) {
    BinaryReader in = BinaryReader::ofBytes(readHead(archive, kNamingBytes), "archive");
    const std::uint16_t count = in.u16();
    std::vector<std::string> names;
    for (std::uint16_t i = 0; i < count; ++i) names.push_back(entryName(readDatEntry(in)));
    const std::string inner = folder + "-member";
    createFolder(inner, "a private folder");
    const std::size_t known = static_cast<std::size_t>(std::count_if(
        names.begin(), names.end(), [](const std::string& n) { return knownKind(n); }));
    std::size_t done = 0;
    for (const std::string& name : names) {
        if (!knownKind(name)) continue;
        if (progress) progress(name, done++, known);
        const std::string unpacked = joinPath(folder, nameToPath(name));
        Result member = verifyFile(unpacked, inner, false);
        member.path = nameToPath(name);
        member.detail = replaced(member.detail, unpacked, result.path + ": " + member.path);
        result.members.push_back(std::move(member));
        emptyFolder(inner);
    }
    removeAll(inner);
}

// Walks folders for the files to verify. Each folder is walked once,
// whatever links lead to it again (a link to a folder above it would lead
// round for ever); links to folders are followed after the folders
// themselves, so a folder is shown by its own name where the walk meets it.
class Walk {
public:
    Walk(Plan& plan, const std::function<bool(std::string_view)>& wanted)
        : plan_(plan), wanted_(wanted) {}

    // An entry, its links followed: a folder is walked, a file of a known
    // kind verified; FIFOs, devices and other files are skipped. `path` is
    // where it is read, `shown` how the lines name it.
    void entry(const std::string& path, const std::string& shown, FolderEntry::Kind kind,
               bool link) {
        if (kind == FolderEntry::Kind::Folder) {
            if (link)
                links_.push_back({path, shown, {}});
            else
                folder(path, shown);
        } else if (wanted_(path) && kind == FolderEntry::Kind::File) {
            found_.push_back({path, shown, {}});
        } else {
            ++plan_.skipped;
        }
    }

    // Follows the links met so far, then adds the files found to the plan
    // sorted by how they are shown: the order of a folder is the file
    // system's, sorted the lines come out the same on every run.
    void finish() {
        while (!links_.empty()) {
            std::vector<Planned> links = std::move(links_);
            links_.clear();
            std::sort(links.begin(), links.end(), byShown);
            for (const Planned& link : links) folder(link.path, link.shown);
        }
        std::sort(found_.begin(), found_.end(), byShown);
        plan_.files.insert(plan_.files.end(), found_.begin(), found_.end());
        found_.clear();
    }

private:
    static bool byShown(const Planned& a, const Planned& b) { return a.shown < b.shown; }

    void folder(const std::string& path, const std::string& shown) {
        if (const auto identity = fileIdentity(path); identity && !walked_.insert(*identity).second)
            return;
        std::string error;
        for (const FolderEntry& found : listFolder(path, error))
            entry(joinPath(path, found.name), joinPath(shown, found.name), found.kind, found.link);
        if (!error.empty()) found_.push_back({path, shown, "cannot read the folder: " + error});
    }

    Plan& plan_;
    const std::function<bool(std::string_view)>& wanted_;
    std::vector<Planned> found_;
    std::vector<Planned> links_;
    std::set<FileIdentity> walked_;
};

}  // namespace

bool knownKind(std::string_view path) {
    return kindOf(path) != nullptr;
}

std::optional<Result> decompileStep(const std::string& path, const std::string& original,
                                    const std::string& folder) {
    return decompile(requireKind(path), path, original, folder);
}

std::string compileStep(std::string_view path, const std::string& folder, Strictness reading,
                        std::vector<Diagnostic>* departures) {
    const Kind& kind = requireKind(path);
    VerifyHost host(folder, {});
    host.reading = reading;
    host.departures = departures;
    // A compile that asks for a file opens what the decompile wrote first
    // (pack: the list), or saves a new file of the kind.
    host.answer = kind.compile->options.dialog == Dialog::Open
                      ? joinPath(folder, kind.decompile->writes[0])
                      : joinPath(folder, "compiled" + std::string(kind.extension));
    const std::vector<std::string> before = namesIn(folder);
    if (auto failure = run(*kind.compile, host)) throw CommandFailure(*failure);
    return compiledFile(kind, folder, before);
}

std::span<const std::string_view> compileWrites(std::string_view path) {
    return requireKind(path).compile->writes;
}

Result judge(const std::string& path, const std::string& original, const std::string& written) {
    return judgeBytes(requireKind(path), path, Source(original), Source(written));
}

Plan plan(const std::vector<std::string>& paths, const std::string& base,
          const std::function<bool(std::string_view)>& wanted) {
    const std::function<bool(std::string_view)> takes =
        wanted ? wanted : [](std::string_view path) { return knownKind(path); };
    Plan p;
    Walk walk(p, takes);
    for (const std::string& shown : paths) {
        const std::string path = base.empty() || !nativePath(shown).is_relative()
                                     ? shown
                                     : pathText(nativePath(base) / nativePath(shown));
        std::error_code ec;
        const fs::file_status status = fs::status(nativePath(path), ec);
        // A file, or a path that does not exist: verifying it says why.
        if (!fs::is_directory(status) && (takes(path) || !fs::exists(status))) {
            p.files.push_back({path, shown, {}});
        } else {
            walk.entry(path, shown,
                       fs::is_directory(status) ? FolderEntry::Kind::Folder
                       : fs::is_other(status)   ? FolderEntry::Kind::Other
                                                : FolderEntry::Kind::File,
                       false);
            walk.finish();
        }
    }
    return p;
}

Result verifyFile(const std::string& path, const std::string& folder, bool deep,
                  const MemberProgress& memberProgress) {
    Result result{path, Verdict::Identical, {}, {}};
    try {
        const Kind* kind = &requireKind(path);
        // A file larger than its format can hold is refused unread.
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(nativePath(path), ec);
        const std::optional<std::int64_t> largest = largestFile(kind->extension);
        if (!ec && largest && size > static_cast<std::uintmax_t>(*largest))
            throw CommandFailure("the file has " + std::to_string(size) + " bytes; a " +
                                 std::string(kind->extension) + " file holds at most " +
                                 std::to_string(*largest));
        roundTrip(*kind, path, folder, deep, result, memberProgress);
    } catch (const std::exception& e) {
        result.verdict = Verdict::Failed;
        result.detail = e.what();
    }
    return result;
}

void verifyAll(const Plan& plan, int jobs, bool deep,
               const std::function<void(const Result&)>& done,
               const std::function<void(std::size_t, const std::string&)>& progress) {
    // One private folder for the whole run, a subfolder per thread. A
    // signal that ends the run removes it too.
    const std::string parent = systemTemporaryFolder();
    const TemporaryFolder root(parent, "z5verify-", "a private folder in " + parent);

    const std::size_t count = plan.files.size();
    std::vector<std::optional<Result>> results(count);
    std::vector<char> made(static_cast<std::size_t>(std::max(jobs, 1)));  // workers' folders
    std::mutex progressLock;
    // The lines come out in the order of the plan, each as soon as it and
    // every one before it are known.
    runInOrder(
        count, static_cast<unsigned>(std::max(jobs, 1)), count,
        [&](std::size_t i, unsigned worker) {
            const Planned& file = plan.files[i];
            if (progress) {
                std::lock_guard lock(progressLock);
                progress(i, file.shown);
            }
            if (!file.failure.empty()) {
                results[i] = Result{file.shown, Verdict::Failed, file.failure, {}};
                return;
            }
            const std::string folder = joinPath(root.path(), "w" + std::to_string(worker));
            if (!made[worker]) {
                try {
                    createFolder(folder, "a private folder");
                    made[worker] = 1;
                } catch (const CommandFailure& e) {
                    results[i] = Result{file.shown, Verdict::Failed, e.what(), {}};
                    return;
                }
            }
            // An archive's members count on in the progress line too.
            const MemberProgress members = [&](const std::string& name, std::size_t at,
                                               std::size_t known) {
                if (!progress) return;
                std::lock_guard lock(progressLock);
                progress(i, file.shown + ": " + name + " (" + std::to_string(at + 1) + " of " +
                                std::to_string(known) + ")");
            };
            Result& result = results[i].emplace(verifyFile(file.path, folder, deep, members));
            // Named as the user named the file, its members too.
            result.path = file.shown;
            result.detail = replaced(result.detail, file.path, file.shown);
            for (Result& member : result.members)
                member.detail = replaced(member.detail, file.path, file.shown);
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
    // A name may hold any byte but the separator: escaped, a line break in
    // it cannot make a line of its own.
    std::string text = printableLine(result.path) + ": " + std::string(verdictText(result.verdict));
    if (!result.detail.empty()) text += ": " + printableLine(result.detail);
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
    std::string line = std::to_string(t.files()) + (t.files() == 1 ? " file:" : " files:");
    for (std::size_t i = 0; i < std::size(shown); ++i)
        line += std::string(i ? ", " : " ") + std::to_string(shown[i]) + " " + kNames[i];
    return line;
}

}  // namespace z5::verify
