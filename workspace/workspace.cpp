#include "workspace/workspace.hpp"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <span>
#include <unordered_map>
#include <unordered_set>

#include "archive/format.hpp"
#include "commands/table.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/inorder.hpp"
#include "platform/paths.hpp"
#include "verify/verify.hpp"

namespace z5::workspace {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kReportName = "workspace.txt";

// `path` taken from the working folder when it is relative.
std::string resolve(const std::string& workingFolder, const std::string& path) {
    const fs::path p = nativePath(path);
    return pathText(p.is_absolute() ? p : nativePath(workingFolder) / p);
}

// `path` without its "." parts and separators at its end: "ws/", "ws/."
// and "ws" are one folder. ".." parts stay for the system to resolve: after
// a link one leads to the parent of the link's target, not to the folder
// the link is in.
fs::path withoutDots(const fs::path& path) {
    fs::path kept = path.root_path();
    for (const fs::path& part : path.relative_path())
        if (!part.empty() && part != ".") kept /= part;
    return kept.empty() ? fs::path(".") : kept;
}

// A folder given by the user, as resolve takes it, without "." parts.
std::string resolveFolder(const std::string& workingFolder, const std::string& path) {
    return pathText(withoutDots(nativePath(resolve(workingFolder, path))));
}

std::string parentOf(const std::string& path) {
    return pathText(withoutDots(nativePath(path)).parent_path());
}

std::string lastPartOf(const std::string& path) {
    return pathText(nativePath(path).filename());
}

// Whether `path` is `folder` or lies in it, both final paths (links
// followed): compared as the file system compares names.
bool isIn(const std::string& path, const std::string& folder) {
    const std::string p = kNamesIgnoreCase ? foldCase(path) : path;
    const std::string f = kNamesIgnoreCase ? foldCase(folder) : folder;
    return p.starts_with(f) && (p.size() == f.size() || isNativeSeparator(p[f.size()]) ||
                                (!f.empty() && isNativeSeparator(f.back())));
}

// What the link `path` leads to when that lies outside the folder whose
// final path is `workspace`; nullopt for anything else (a link that leads
// nowhere fails when it is read, with the reason).
std::optional<std::string> leadsOutside(const std::string& path, const std::string& workspace) {
    std::string error;
    if (pathKind(path, error) != PathKind::Link) return std::nullopt;
    std::optional<std::string> target = finalPath(path);
    if (!target || isIn(*target, workspace)) return std::nullopt;
    return target;
}

// A folder, or a link to one.
bool isFolder(const std::string& path) {
    const std::optional<std::string> target = finalPath(path);
    std::string error;
    return target && pathKind(*target, error) == PathKind::Folder;
}

// A hidden folder of this run's own in `parent`, where its work files can
// be linked to the user's and renamed into place; removed with everything
// in it when the run ends, also by Ctrl+C or SIGTERM. `what` names it in
// the reason it cannot be made.
class ScratchFolder {
public:
    ScratchFolder(const std::string& parent, const std::string& what)
        : folder_(parent, ".z5work-", what) {}
    const std::string& path() const { return folder_.path(); }

private:
    TemporaryFolder folder_;
};

// A new empty folder in the scratch folder for the work on one member, and
// removed when that is done: each member starts from a folder of its own
// state, whatever the member before left behind.
class MemberFolder {
public:
    MemberFolder(const ScratchFolder& scratch, std::size_t index)
        : path_(joinPath(scratch.path(), "c" + std::to_string(index))) {
        createFolder(path_, "a work folder");
    }
    MemberFolder(const MemberFolder&) = delete;
    MemberFolder& operator=(const MemberFolder&) = delete;
    ~MemberFolder() { removeAll(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A definition file's name: any name ending in .def, in any letter case.
bool definitionName(std::string_view name) {
    return name.size() >= 4 && equalsIgnoringCase(name.substr(name.size() - 4), ".def");
}

// The system's reason in a failure to write, create or replace a file
// ("cannot write NAME: REASON"); nullopt for any other failure.
std::optional<std::string> writeFailure(std::string_view reason) {
    for (std::string_view verb : {"cannot write ", "cannot create ", "cannot replace "}) {
        const std::size_t at = reason.rfind(": ");
        if (reason.starts_with(verb) && at != std::string_view::npos && at >= verb.size())
            return std::string(reason.substr(at + 2));
    }
    return std::nullopt;
}

// The definition files of `from` (any name ending in .def) but those the
// compile of the member `name` writes itself, made available in the empty
// folder `to`: linked, so nothing is copied and the compile, which only
// replaces files, never reaches the originals; copied where the file system
// has no links. A folder or other non-file with such a name is refused.
void linkDefinitions(const std::string& from, const std::string& shownFrom, const std::string& to,
                     std::string_view name) {
    const std::span<const std::string_view> written = verify::compileWrites(name);
    std::string error;
    for (const FolderEntry& entry : listFolder(from, error)) {
        if (!definitionName(entry.name) || std::ranges::any_of(written, [&](std::string_view w) {
                return equalsIgnoringCase(w, entry.name);
            }))
            continue;
        const std::string shown = joinPath(shownFrom, entry.name);
        if (entry.kind != FolderEntry::Kind::File)
            throw CommandFailure(shown +
                                 (entry.kind == FolderEntry::Kind::Folder
                                      ? ": is a folder, not a definition file"
                                      : ": is a device, FIFO or socket, not a definition file"));
        try {
            OutputFile::copyOf(joinPath(from, entry.name), joinPath(to, entry.name), entry.name)
                .commit();
        } catch (const CommandFailure& e) {
            // Neither the work folder nor its copy is the user's to know.
            if (const auto why = writeFailure(e.what()))
                throw CommandFailure("cannot copy " + shown + " to compile it: " + *why);
            throw CommandFailure(replaced(e.what(), from, shownFrom));
        }
    }
    if (!error.empty()) throw CommandFailure("cannot read " + shownFrom + ": " + error);
}

// The kinds a member can become definition files of (an archive inside an
// archive stays a member file).
bool convertible(std::string_view name) {
    return verify::knownKind(name) &&
           !(name.size() >= 4 && equalsIgnoringCase(name.substr(name.size() - 4), ".dat"));
}

// Runs a command of the table in `folder`, its dialog answered by `answer`.
void runRow(std::string_view menu, const std::string& folder, const std::string& answer) {
    WindowlessHost host(folder, answer);
    const Outcome outcome = findCommandByMenu(menu)->run(host);
    if (outcome.status != Status::Done) throw CommandFailure(outcome.reason);
}

// Fills `data` from byte `offset` of `file` on; fewer bytes only at its end.
std::size_t readFully(const InputFile& file, char* data, std::size_t size, std::int64_t offset) {
    std::size_t done = 0;
    for (std::size_t n = 1; done < size && n > 0; done += n)
        n = file.readAt(data + done, size - done, offset + static_cast<std::int64_t>(done));
    return done;
}

// Whether `count` bytes of `x` from `xAt` on equal those of `y` from `yAt`
// on, read a piece at a time: neither file is held whole.
bool sameBytes(const InputFile& x, std::int64_t xAt, const InputFile& y, std::int64_t yAt,
               std::int64_t count) {
    constexpr std::int64_t kPiece = std::int64_t{1} << 20;
    const auto buffer = static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, kPiece));
    std::vector<char> p(buffer), q(buffer);
    for (std::int64_t done = 0; done < count;) {
        const auto want = static_cast<std::size_t>(std::min(count - done, kPiece));
        // A file shorter than it was when opened differs.
        if (readFully(x, p.data(), want, xAt + done) != want ||
            readFully(y, q.data(), want, yAt + done) != want ||
            !std::equal(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(want), q.begin()))
            return false;
        done += static_cast<std::int64_t>(want);
    }
    return true;
}

bool sameBytes(const std::string& a, const std::string& b) {
    const InputFile x(a, a), y(b, b);
    return x.size() == y.size() && sameBytes(x, 0, y, 0, x.size());
}

enum class Change : char { Same, Changed, Added };

// The archive a build replaces, open while the members are compared with
// it: each member where unpack finds its bytes, one after another behind
// the directory.
class OldArchive {
public:
    struct Member {
        std::string name;
        std::int64_t offset = 0;
        std::int32_t size = 0;
    };

    // A file that is not an archive is refused with the reason.
    explicit OldArchive(const std::string& path) : file_(path, path) {
        unsigned char count[2] = {};
        if (file_.readAt(count, 2, 0) < 2)
            throw CommandFailure("it ends inside its 2-byte entry count");
        std::string directory(
            static_cast<std::size_t>(kDatEntryBytes) * (count[0] + 256u * count[1]), '\0');
        if (readFully(file_, directory.data(), directory.size(), 2) < directory.size())
            throw CommandFailure("it ends inside its directory");
        BinaryReader in = BinaryReader::ofBytes(directory, path);
        std::int64_t offset = 2 + static_cast<std::int64_t>(directory.size());
        while (in.position() < in.size()) {
            const DatEntry entry = readDatEntry(in);
            Member m{entryName(entry), offset, entry.Size};
            if (m.size < 0 || offset + m.size > file_.size())
                throw CommandFailure("it ends inside member " + m.name);
            byName_.try_emplace(foldCase(m.name), members_.size());
            members_.push_back(std::move(m));
            offset += entry.Size;
        }
    }
    const std::vector<Member>& members() const { return members_; }

    // What `member` is to the member of its name, in any letter case.
    Change compare(const PackMember& member) const {
        const auto it = byName_.find(foldCase(member.name));
        if (it == byName_.end()) return Change::Added;
        const Member& old = members_[it->second];
        if (old.size != member.size) return Change::Changed;
        const InputFile now(member.path, member.name);
        return sameBytes(file_, old.offset, now, 0, old.size) ? Change::Same : Change::Changed;
    }

private:
    InputFile file_;
    std::vector<Member> members_;
    std::unordered_map<std::string, std::size_t> byName_;
};

// "changed: A, B"
std::string listLine(std::string_view what, const std::vector<std::string>& names) {
    std::string line(what);
    for (const std::string& name : names) line += (&name == &names.front() ? ": " : ", ") + name;
    return line;
}

// How the user's workspace names the definition file `name` (the fixed name
// a compile reads) of the definitions folder `definitions`, shown as
// `shownFolder`: spelled as it is in the folder.
std::string userFile(const std::string& definitions, const std::string& shownFolder,
                     const std::string& name) {
    std::string spelled = name;
    try {
        spelled = pathText(nativePath(findInFolder(definitions, name)).filename());
    } catch (const std::exception&) {
        // two spellings: the compile named neither, nor does this
    }
    return joinPath(shownFolder, spelled);
}

// A compile's reason as the user reads it. A failure to write in the work
// folder `work`, which holds only links to definition files and what the
// compile writes, is one to write the compiled member. Otherwise the work
// folder is named as the definitions folder whose files it holds,
// `shownDefinitions`, and a bare definition file name the reason begins
// with ("Trk.def:10: ...") by its place there, spelled as it is in the
// folder `definitions`.
std::string compileReason(const std::string& reason, const std::string& work,
                          const std::string& definitions, const std::string& shownDefinitions) {
    if (const auto why = writeFailure(reason)) return "cannot write the compiled member: " + *why;
    const std::string named = replaced(reason, work, shownDefinitions);
    const std::size_t colon = named.find(':');
    const std::string file = named.substr(0, colon);
    if (colon != std::string::npos && definitionName(file) &&
        file.find_first_of("/\\ \t") == std::string::npos)
        return userFile(definitions, shownDefinitions, file) + named.substr(colon);
    return named;
}

// Refuses an archive that unpack, in `folder`, and pack do not give back
// byte for byte: what extract writes could not be built back into it.
void requireRoundTrip(const std::string& archive, const std::string& shownArchive,
                      const std::string& folder, const std::string& archiveName) {
    try {
        runRow("mnuPack", folder, joinPath(folder, std::string(kListName)));
    } catch (const CommandFailure& e) {
        throw CommandFailure(shownArchive + ": failed: " + e.what() + "; nothing was extracted");
    }
    const std::string packed = joinPath(folder, nameToPath(archiveName + ".dat"));
    if (!sameBytes(archive, packed)) {
        const verify::Result r =
            verify::judge(packed, readFileBytes(archive, archive), readFileBytes(packed, packed));
        if (r.verdict != verify::Verdict::Identical)
            throw CommandFailure(shownArchive + ": " + std::string(verify::verdictText(r.verdict)) +
                                 ": " + r.detail +
                                 "; unpack and pack would not give it back, nothing was extracted");
    }
    removeFile(packed, archiveName + ".dat");
}

struct ExtractedMember {
    bool definitions = false;
    std::string line;  // in workspace.txt
};

// Gives the member `name`, unpacked in `folder` (the workspace being made,
// shown as `shownFolder`), a definitions folder when compiling exactly the
// files written there gives its bytes back (in the empty folder `work`);
// otherwise the member file stays.
ExtractedMember extractMember(const std::string& folder, const std::string& shownFolder,
                              const std::string& name, const std::string& work, bool all) {
    const std::string member = joinPath(folder, nameToPath(name));
    const std::string definitions = joinPath(folder, nameToPath(name + ".def"));
    const std::string shownDefinitions = joinPath(shownFolder, nameToPath(name + ".def"));
    const std::string original = readFileBytes(member, name);
    createFolder(definitions, shownDefinitions);
    verify::Result r{name, verify::Verdict::Identical, {}, {}};
    if (std::optional<verify::Result> stop = verify::decompileStep(member, original, definitions)) {
        r = *stop;
    } else {
        linkDefinitions(definitions, shownDefinitions, work, name);
        try {
            const std::string compiled = verify::compileStep(name, work);
            r = verify::judge(member, original, readFileBytes(compiled, name));
        } catch (const std::exception& e) {
            r = {name,
                 verify::Verdict::Failed,
                 compileReason(e.what(), work, definitions, shownDefinitions),
                 {}};
        }
    }
    const std::string verdict(verify::verdictText(r.verdict));
    // Reasons name the member and the workspace's files, not the scratch
    // folder they were made in.
    std::string detail = r.detail.empty() ? "" : ": " + r.detail;
    detail = replaced(replaced(replaced(detail, definitions, shownDefinitions), member, name),
                      folder, shownFolder);
    if (r.verdict == verify::Verdict::Identical ||
        (all && r.verdict == verify::Verdict::Equivalent)) {
        removeFile(member, name);
        if (r.verdict == verify::Verdict::Identical) return {true, name + ": definitions"};
        return {true, name + ": definitions: " + verdict + detail};
    }
    removeAll(definitions);
    return {false, name + ": raw: " + verdict + detail};
}

// Moves everything in `from` into the empty folder `to` (shown as
// `shown`): all of it or, when a move fails, none (what was moved goes
// back). Signals wait until it is done, so a Ctrl+C leaves either the
// folder as it was or the whole workspace.
void moveInto(const std::string& from, const std::string& to, const std::string& shown) {
    std::string error;
    const std::vector<FolderEntry> entries = listFolder(from, error);
    if (!error.empty()) throw CommandFailure("cannot read the work folder: " + error);
    const SignalsDeferred whole;
    std::size_t moved = 0;
    try {
        for (; moved < entries.size(); ++moved)
            renameToNew(joinPath(from, entries[moved].name), joinPath(to, entries[moved].name),
                        joinPath(shown, entries[moved].name));
    } catch (const CommandFailure&) {
        while (moved-- > 0) try {
                renameToNew(joinPath(to, entries[moved].name), joinPath(from, entries[moved].name),
                            entries[moved].name);
            } catch (const CommandFailure&) {
                // stays in the folder; the rest went back
            }
        throw;
    }
}

// "2 files are links to files outside the workspace"
std::string linkCount(std::size_t links) {
    return std::to_string(links) + (links == 1 ? " file is a link" : " files are links") +
           " to files outside the workspace";
}

// Why a strict build wrote nothing, from the errors shown above (`one`:
// a single one).
std::string refusal(const std::vector<std::string>& why, bool one) {
    std::string reason;
    for (const std::string& part : why) reason += part + "; ";
    return reason + "nothing was written (build --lenient builds in spite of " +
           (one ? "it)" : "them)");
}

Report run(const std::function<std::string()>& body) {
    Report report;
    try {
        report.summary = body();
    } catch (const std::exception& e) {
        report.reasons.emplace_back(e.what());
    }
    return report;
}

}  // namespace

std::string defaultFolder(std::string_view archive) {
    const fs::path name = nativePath(archive).filename();
    const std::string stem = pathText(name.stem());
    return name.has_extension() ? stem : stem + ".d";
}

Report extract(const ExtractRequest& request, const Progress& progress) {
    return run([&] {
        const std::string shown =
            request.folder.empty() ? defaultFolder(request.archive) : request.folder;
        const std::string target = resolveFolder(request.workingFolder, shown);
        // Whether the folder can be used is known before any work.
        if (kDeviceNamesEverywhere && isDeviceName(lastPartOf(target)))
            throw CommandFailure("folder \"" + shown + "\" is a device name on Windows");
        std::string error;
        const PathKind kind = pathKind(target, error);
        // An existing empty folder is filled, keeping its permissions.
        const bool fill = kind == PathKind::Folder && listFolder(target, error).empty();
        if (!error.empty()) throw CommandFailure(shown + ": " + error);
        if (kind != PathKind::Missing && !fill)
            throw CommandFailure(
                shown + ": not an empty folder; extract writes only into a new or empty one");

        const std::string archive = resolve(request.workingFolder, request.archive);
        ScratchFolder scratch(fill ? target : parentOf(target),
                              std::string("a work folder ") + (fill ? "in " : "beside ") + shown);
        const std::string folder = joinPath(scratch.path(), "workspace");
        createFolder(folder, "a work folder in " + shown);
        try {
            runRow("mnuUnpack", folder, archive);
        } catch (const CommandFailure& e) {
            throw CommandFailure(
                replaced(replaced(e.what(), archive, request.archive), folder, shown));
        }

        TextReader list(joinPath(folder, std::string(kListName)), std::string(kListName));
        const std::string archiveName = list.readLine();
        list.readLine();
        std::vector<std::string> names;
        while (!list.atEnd()) names.push_back(list.readLine());
        for (const std::string& name : names)
            if (equalsIgnoringCase(name, kReportName))
                throw CommandFailure(request.archive + ": member " + nameToPath(name) +
                                     " has the name of the workspace's report; nothing was "
                                     "extracted");
        requireRoundTrip(archive, request.archive, folder, archiveName);

        // A member whose folder would have another member's name, in any
        // letter case, stays a file, and so does that other member.
        std::vector<bool> collides(names.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            for (std::size_t j = 0; j < names.size(); ++j)
                if (equalsIgnoringCase(names[j], names[i] + ".def"))
                    collides[i] = collides[j] = true;

        std::vector<ExtractedMember> members(names.size());
        runInOrder(
            names.size(), static_cast<unsigned>(std::max(request.jobs, 1)), names.size(),
            [&](std::size_t i, unsigned) {
                const std::string& name = names[i];
                if (!convertible(name)) {
                    members[i] = {false, name + ": raw"};
                } else if (collides[i]) {
                    members[i] = {false, name + ": raw: its folder " + name +
                                             ".def would be another member's name"};
                } else {
                    const MemberFolder work(scratch, i);
                    members[i] = extractMember(folder, shown, name, work.path(), request.all);
                }
            },
            [&](std::size_t i) {
                if (progress) progress(i, names.size(), names[i]);
            });

        TextWriter report(joinPath(folder, std::string(kReportName)), std::string(kReportName));
        std::size_t definitions = 0;
        for (const ExtractedMember& m : members) {
            report.line(m.line);
            definitions += m.definitions;
        }
        report.close();
        if (fill)
            moveInto(folder, target, shown);
        else
            renameToNew(folder, target, shown);
        return std::to_string(names.size()) + " members: " + std::to_string(definitions) +
               " as definitions, " + std::to_string(names.size() - definitions) +
               " as they are; wrote " + shown;
    });
}

Report build(const BuildRequest& request, const Progress& progress) {
    Report report;
    const std::string folder = resolveFolder(request.workingFolder, request.folder);
    const DiagnosticKind departure =
        request.lenient ? DiagnosticKind::Warning : DiagnosticKind::Error;
    std::vector<std::string> names;
    std::string output, shown;
    std::string workspace;  // its final path
    std::vector<Diagnostic> listDepartures, listLink;
    bool replacing = false;  // an archive is there
    report = run([&] {
        std::string error;
        pathKind(folder, error);
        if (!error.empty()) throw CommandFailure(request.folder + ": " + error);
        const std::optional<std::string> final = finalPath(folder);
        if (!final || !isFolder(*final)) throw CommandFailure(request.folder + ": not a folder");
        workspace = *final;
        const std::string listPath = findInFolder(folder, kListName);
        const std::string shownList = joinPath(request.folder, lastPartOf(listPath));
        if (const auto target = leadsOutside(listPath, workspace)) {
            listLink.push_back({shownList,
                                0,
                                0,
                                "a link to " + *target + ", outside the workspace",
                                {},
                                departure});
            // Not even read unless the build is lenient: a reason could
            // quote it.
            if (!request.lenient) throw CommandFailure(refusal({linkCount(1)}, true));
        }
        TextReader list(listPath, shownList);
        list.setDiagnosticHook([&](Diagnostic d) {
            d.kind = departure;
            listDepartures.push_back(std::move(d));
        });
        const std::string archiveName = readListName(list, "archive name");
        names = readMemberNames(list);
        shown = request.output.empty() ? nameToPath(archiveName + ".dat") : request.output;
        output = request.output.empty()
                     ? joinPath(request.workingFolder, nameToPath(archiveName + ".dat"))
                     : resolve(request.workingFolder, request.output);
        if (kDeviceNamesEverywhere && isDeviceName(lastPartOf(output)))
            throw CommandFailure("output \"" + shown + "\" is a device name on Windows");
        // Nothing is written into the workspace: folders compared by what
        // they are, whatever links and letter case lead there.
        if (const auto into = finalPath(parentOf(output)); into && isIn(*into, workspace))
            throw CommandFailure(shown + ": inside the workspace " + request.folder +
                                 ", which build only reads");
        // Before any member is compiled: the archive and its backup are
        // names that can be written.
        requireReplaceable(output, shown);
        const std::optional<std::string> old = finalPath(output);
        replacing = old && pathKind(*old, error) == PathKind::File;
        if (replacing && request.backup) try {
                requireReplaceable(output + ".bak", shown + ".bak");
            } catch (const CommandFailure& e) {
                throw CommandFailure(std::string(e.what()) +
                                     " (build keeps the archive it replaces there)");
            }
        return std::string();
    });
    if (!report.succeeded()) {
        report.diagnostics = std::move(listLink);  // when that was the reason
        return report;
    }

    std::vector<std::string> lines;
    std::optional<OldArchive> old;
    if (replacing) try {
            old.emplace(output);
        } catch (const std::exception& e) {
            lines.push_back(shown + " did not read as an archive (" + e.what() +
                            "); its members are not compared");
        }

    std::optional<ScratchFolder> scratch;
    report = run([&] {
        scratch.emplace(parentOf(output), "a work folder beside " + shown);
        return std::string();
    });
    if (!report.succeeded()) return report;

    std::vector<PackMember> members(names.size());
    std::vector<std::string> reasons(names.size());
    std::vector<std::vector<Diagnostic>> departures(names.size());
    std::vector<std::vector<Diagnostic>> links(names.size());
    std::vector<Change> changes(names.size(), Change::Same);
    std::atomic<std::size_t> compiled = 0;
    const Strictness reading = request.lenient ? Strictness::Lenient : Strictness::Standard;
    // Every member is looked at, so that every reason is reported at once.
    runInOrder(
        names.size(), static_cast<unsigned>(std::max(request.jobs, 1)), names.size(),
        [&](std::size_t i, unsigned) {
            const std::string& name = names[i];
            const std::string shownName = nameToPath(name);
            const std::string definitions = joinPath(folder, nameToPath(name + ".def"));
            const std::string shownDefinitions =
                joinPath(request.folder, nameToPath(name + ".def"));
            // A file the build reads that is a link out of the workspace.
            const auto outside = [&](const std::string& path, const std::string& shownPath) {
                if (const auto target = leadsOutside(path, workspace))
                    links[i].push_back({shownPath,
                                        0,
                                        0,
                                        "a link to " + *target + ", outside the workspace",
                                        {},
                                        departure});
            };
            std::optional<MemberFolder> work;
            try {
                const std::string file = joinPath(folder, nameToPath(name));
                std::string error;
                const bool hasFile = pathKind(file, error) != PathKind::Missing;
                const bool hasDefinitions = isFolder(definitions);
                if (hasFile && hasDefinitions)
                    throw CommandFailure("both the member file and the folder " + shownName +
                                         ".def are in the workspace; keep one of them");
                if (!hasFile && !hasDefinitions)
                    throw CommandFailure("neither the member file nor a folder " + shownName +
                                         ".def is in the workspace");
                if (hasFile) {
                    outside(file, joinPath(request.folder, shownName));
                } else {
                    if (!convertible(name))
                        throw CommandFailure(shownName +
                                             ".def: not a kind of file the tool compiles");
                    outside(definitions, shownDefinitions);
                    for (const FolderEntry& entry : listFolder(definitions, error))
                        if (entry.link && definitionName(entry.name))
                            outside(joinPath(definitions, entry.name),
                                    joinPath(shownDefinitions, entry.name));
                }
                // What lies outside is not even read unless the build is
                // lenient: a reason could quote it.
                if (!links[i].empty() && !request.lenient) return;
                if (hasFile) {
                    members[i] = {name, file, memberFileSize(file, shownName)};
                } else {
                    work.emplace(*scratch, i);
                    linkDefinitions(definitions, shownDefinitions, work->path(), name);
                    std::string made;
                    try {
                        made = verify::compileStep(name, work->path(), reading, &departures[i]);
                    } catch (const CommandFailure& e) {
                        throw CommandFailure(
                            compileReason(e.what(), work->path(), definitions, shownDefinitions));
                    }
                    const std::string result =
                        joinPath(scratch->path(), std::string("m").append(std::to_string(i)));
                    renameToNew(made, result, "the compiled " + shownName);
                    members[i] = {name, result, memberFileSize(result, shownName)};
                    ++compiled;
                }
                if (old) changes[i] = old->compare(members[i]);
            } catch (const std::exception& e) {
                // A reason that begins with a file of the member's folder
                // names the member already.
                const std::string reason = e.what();
                reasons[i] =
                    reason.starts_with(shownDefinitions) ? reason : shownName + ": " + reason;
            }
            work.reset();
            for (Diagnostic& d : departures[i]) {
                d.file = userFile(definitions, shownDefinitions, d.file);
                if (!request.lenient && d.kind == DiagnosticKind::Warning)
                    d.kind = DiagnosticKind::Error;
            }
        },
        [&](std::size_t i) {
            if (progress) progress(i, names.size(), names[i]);
        });
    std::size_t departing = 0, linked = listLink.size();
    for (auto* list : {&listDepartures, &listLink})
        for (Diagnostic& d : *list) report.diagnostics.push_back(std::move(d));
    for (std::size_t i = 0; i < names.size(); ++i) {
        departing += !departures[i].empty();
        linked += links[i].size();
        for (Diagnostic& d : departures[i]) report.diagnostics.push_back(std::move(d));
        for (Diagnostic& d : links[i]) report.diagnostics.push_back(std::move(d));
        if (!reasons[i].empty()) report.reasons.push_back(std::move(reasons[i]));
    }
    // A departure fails the build unless it is lenient.
    if (!request.lenient) {
        std::vector<std::string> why;
        if (!listDepartures.empty()) why.push_back("the list departs from its layout");
        if (departing > 0)
            why.push_back("the definition files of " + std::to_string(departing) +
                          (departing == 1 ? " member depart" : " members depart") +
                          " from their layout");
        if (linked > 0) why.push_back(linkCount(linked));
        if (!why.empty())
            report.reasons.push_back(
                refusal(why, departing == 0 && listDepartures.size() + linked == 1));
    }
    if (!report.succeeded()) return report;

    // Compared by name in any letter case: changed and added in the list's
    // order, removed in the old archive's.
    std::vector<std::string> changed, added, removed;
    if (old) {
        std::unordered_set<std::string> kept;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (changes[i] == Change::Changed) changed.push_back(nameToPath(names[i]));
            if (changes[i] == Change::Added) added.push_back(nameToPath(names[i]));
            kept.insert(foldCase(names[i]));
        }
        for (const OldArchive::Member& m : old->members())
            if (!kept.contains(foldCase(m.name))) removed.push_back(nameToPath(m.name));
    }
    const bool compared = old.has_value();
    old.reset();  // closed before it is replaced

    WindowlessHost host(parentOf(output), {});
    const Outcome written = runCommand(host, {.showsBusy = false}, [&](Command& cmd) {
        for (const PackMember& m : members) cmd.claimInput(m.path, nameToPath(m.name));
        BinaryWriter& dat = cmd.createBinaryAt(output, shown);
        // Put in place only together with the new archive: a build that
        // fails leaves an older backup as it was.
        if (replacing && request.backup) cmd.createCopyAt(output, output + ".bak", shown + ".bak");
        writeArchive(dat, members);
    });
    if (written.status != Status::Done) {
        report.reasons.push_back(written.reason);
        return report;
    }
    report.lines = std::move(lines);
    report.summary = std::to_string(names.size()) + " members: " + std::to_string(compiled) +
                     " compiled, " + std::to_string(names.size() - compiled) + " taken as they are";
    if (compared) {
        report.summary += ", " + std::to_string(changed.size()) + " changed";
        if (!changed.empty()) report.lines.push_back(listLine("changed", changed));
        for (const auto& [what, list] : {std::pair{"added", &added}, {"removed", &removed}})
            if (!list->empty()) {
                report.lines.push_back(listLine(what, *list));
                report.summary += ", " + std::to_string(list->size()) + " " + what;
            }
    }
    report.summary += "; wrote " + shown;
    if (!replacing)
        report.summary += ", a new archive";
    else if (request.backup)
        report.summary += ", kept the old one as " + shown + ".bak";
    return report;
}

}  // namespace z5::workspace
