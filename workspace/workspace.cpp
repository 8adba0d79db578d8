#include "workspace/workspace.hpp"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "archive/format.hpp"
#include "commands/table.hpp"
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

std::string resolve(const std::string& workingFolder, const std::string& path) {
    const fs::path p = nativePath(path);
    return pathText(p.is_absolute() ? p : nativePath(workingFolder) / p);
}

std::string parentOf(const std::string& path) {
    return pathText(nativePath(path).lexically_normal().parent_path());
}

// A hidden folder of this run's own in `parent`, where its work files can
// be linked to the user's and renamed into place; removed with everything
// in it when the run ends, also by Ctrl+C or SIGTERM.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent)
        : folder_(parent, ".z5work-", "a work folder") {}
    const std::string& path() const { return folder_.path(); }

    // The folder of one worker, created when first asked for.
    std::string worker(unsigned index) const {
        const std::string folder = joinPath(path(), std::string("w").append(std::to_string(index)));
        std::error_code ec;
        fs::create_directory(nativePath(folder), ec);
        return folder;
    }

private:
    TemporaryFolder folder_;
};

void emptyFolder(const std::string& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(nativePath(folder), ec))
        fs::remove_all(entry.path(), ec);
}

// A definition file's name: any name ending in .def, in any letter case.
bool definitionName(std::string_view name) {
    return name.size() >= 4 && equalsIgnoringCase(name.substr(name.size() - 4), ".def");
}

// The definition files of `from` (any name ending in .def) made available
// in the empty folder `to`: linked, so nothing is copied and the compile,
// which only replaces files, never reaches the originals; copied where the
// file system has no links.
void linkDefinitions(const std::string& from, const std::string& to) {
    for (const auto& entry : fs::directory_iterator(nativePath(from))) {
        const std::string name = pathText(entry.path().filename());
        if (!entry.is_regular_file() || !definitionName(name)) continue;
        const fs::path target = nativePath(to) / entry.path().filename();
        std::error_code ec;
        fs::create_hard_link(entry.path(), target, ec);
        if (ec) fs::copy_file(entry.path(), target);
    }
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

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
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

// Refuses an archive that unpack, in `folder`, and pack do not give back
// byte for byte: what extract writes could not be built back into it.
void requireRoundTrip(const std::string& archive, const std::string& folder,
                      const std::string& archiveName) {
    try {
        runRow("mnuPack", folder, joinPath(folder, std::string(kListName)));
    } catch (const CommandFailure& e) {
        throw CommandFailure(archive + ": failed: " + e.what() + "; nothing was extracted");
    }
    const std::string packed = joinPath(folder, nameToPath(archiveName + ".dat"));
    if (!sameBytes(archive, packed)) {
        const verify::Result r =
            verify::judge(packed, readFileBytes(archive, archive), readFileBytes(packed, packed));
        if (r.verdict != verify::Verdict::Identical)
            throw CommandFailure(archive + ": " + std::string(verify::verdictText(r.verdict)) +
                                 ": " + r.detail +
                                 "; unpack and pack would not give it back, nothing was extracted");
    }
    fs::remove(nativePath(packed));
}

struct ExtractedMember {
    bool definitions = false;
    std::string line;  // in workspace.txt
};

// Gives the member `name`, unpacked in `folder`, a definitions folder when
// compiling exactly the files written there gives its bytes back (in the
// private folder `work`); otherwise the member file stays.
ExtractedMember extractMember(const std::string& folder, const std::string& name,
                              const std::string& work, bool all) {
    const std::string member = joinPath(folder, nameToPath(name));
    const std::string definitions = joinPath(folder, nameToPath(name + ".def"));
    const std::string original = readFileBytes(member, name);
    fs::create_directory(nativePath(definitions));
    verify::Result r{name, verify::Verdict::Identical, {}, {}};
    if (std::optional<verify::Result> stop = verify::decompileStep(member, original, definitions)) {
        r = *stop;
    } else {
        linkDefinitions(definitions, work);
        try {
            const std::string compiled = verify::compileStep(name, work);
            r = verify::judge(member, original, readFileBytes(compiled, name));
        } catch (const std::exception& e) {
            r = {name, verify::Verdict::Failed, e.what(), {}};
        }
        emptyFolder(work);
    }
    const std::string verdict(verify::verdictText(r.verdict));
    // Reasons name the member, not the scratch folder it was unpacked in.
    std::string detail = r.detail.empty() ? "" : ": " + r.detail;
    replaceAll(detail, member, name);
    if (r.verdict == verify::Verdict::Identical ||
        (all && r.verdict == verify::Verdict::Equivalent)) {
        fs::remove(nativePath(member));
        if (r.verdict == verify::Verdict::Identical) return {true, name + ": definitions"};
        return {true, name + ": definitions: " + verdict + detail};
    }
    fs::remove_all(nativePath(definitions));
    return {false, name + ": raw: " + verdict + detail};
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
        const std::string archive = resolve(request.workingFolder, request.archive);
        const std::string shown =
            request.folder.empty() ? defaultFolder(request.archive) : request.folder;
        const std::string target = resolve(request.workingFolder, shown);
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(nativePath(target), ec);
        const bool absent = status.type() == fs::file_type::not_found;
        if (!absent && !(fs::is_directory(status) && fs::is_empty(nativePath(target), ec)))
            throw CommandFailure(
                shown + ": not an empty folder; extract writes only into a new or empty one");

        ScratchFolder scratch(parentOf(target));
        const std::string folder = joinPath(scratch.path(), "workspace");
        fs::create_directory(nativePath(folder));
        runRow("mnuUnpack", folder, archive);

        TextReader list(joinPath(folder, std::string(kListName)), std::string(kListName));
        const std::string archiveName = list.readLine();
        list.readLine();
        std::vector<std::string> names;
        while (!list.atEnd()) names.push_back(list.readLine());
        for (const std::string& name : names)
            if (equalsIgnoringCase(name, kReportName))
                throw CommandFailure(archive + ": member " + name +
                                     " has the name of the workspace's report; nothing was "
                                     "extracted");
        requireRoundTrip(archive, folder, archiveName);

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
            [&](std::size_t i, unsigned worker) {
                const std::string& name = names[i];
                if (!convertible(name))
                    members[i] = {false, name + ": raw"};
                else if (collides[i])
                    members[i] = {false, name + ": raw: its folder " + name +
                                             ".def would be another member's name"};
                else
                    members[i] = extractMember(folder, name, scratch.worker(worker), request.all);
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
        if (!absent) fs::remove(nativePath(target));
        fs::rename(nativePath(folder), nativePath(target));
        return std::to_string(names.size()) + " members: " + std::to_string(definitions) +
               " as definitions, " + std::to_string(names.size() - definitions) +
               " as they are; wrote " + shown;
    });
}

Report build(const BuildRequest& request, const Progress& progress) {
    Report report;
    const std::string folder = resolve(request.workingFolder, request.folder);
    std::vector<std::string> names;
    std::string output, shown;
    bool replacing = false;  // an archive is there
    report = run([&] {
        if (!fs::is_directory(nativePath(folder)))
            throw CommandFailure(request.folder + ": not a folder");
        TextReader list(findInFolder(folder, kListName), std::string(kListName));
        const std::string archiveName = readListName(list, "archive name");
        const std::int16_t count = readListCount(list);
        for (int i = 0; i < count; ++i) names.push_back(readMemberName(list, names));
        shown = request.output.empty() ? archiveName + ".dat" : request.output;
        output = request.output.empty()
                     ? joinPath(request.workingFolder, nameToPath(archiveName + ".dat"))
                     : resolve(request.workingFolder, request.output);
        // Nothing is written into the workspace.
        const fs::path inside = fs::weakly_canonical(nativePath(parentOf(output)));
        const fs::path workspace = fs::weakly_canonical(nativePath(folder));
        const auto rest = std::mismatch(workspace.begin(), workspace.end(), inside.begin(),
                                        inside.end(), [](const fs::path& a, const fs::path& b) {
                                            return foldCase(pathText(a)) == foldCase(pathText(b));
                                        });
        if (rest.first == workspace.end())
            throw CommandFailure(shown + ": inside the workspace " + request.folder +
                                 ", which build only reads");
        // Before any member is compiled: the archive and its backup are
        // names that can be written.
        requireReplaceable(output, shown);
        std::error_code ec;
        replacing = fs::is_regular_file(fs::status(nativePath(output), ec));
        if (replacing && request.backup) try {
                requireReplaceable(output + ".bak", shown + ".bak");
            } catch (const CommandFailure& e) {
                throw CommandFailure(std::string(e.what()) +
                                     " (build keeps the archive it replaces there)");
            }
        return std::string();
    });
    if (!report.succeeded()) return report;

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
        scratch.emplace(parentOf(output));
        return std::string();
    });
    if (!report.succeeded()) return report;

    std::vector<PackMember> members(names.size());
    std::vector<std::string> reasons(names.size());
    std::vector<std::vector<Diagnostic>> departures(names.size());
    std::vector<Change> changes(names.size(), Change::Same);
    std::atomic<std::size_t> compiled = 0;
    const Strictness reading = request.lenient ? Strictness::Lenient : Strictness::Standard;
    // Every member is looked at, so that every reason is reported at once.
    runInOrder(
        names.size(), static_cast<unsigned>(std::max(request.jobs, 1)), names.size(),
        [&](std::size_t i, unsigned worker) {
            const std::string& name = names[i];
            const std::string definitions = joinPath(folder, nameToPath(name + ".def"));
            const std::string shownDefinitions =
                joinPath(request.folder, nameToPath(name + ".def"));
            std::string work;
            try {
                const std::string file = joinPath(folder, nameToPath(name));
                std::error_code ec;
                const bool hasFile = fs::exists(fs::symlink_status(nativePath(file), ec));
                const bool hasDefinitions = fs::is_directory(nativePath(definitions), ec);
                if (hasFile && hasDefinitions)
                    throw CommandFailure("both the member file and the folder " + name +
                                         ".def are in the workspace; keep one of them");
                if (!hasFile && !hasDefinitions)
                    throw CommandFailure("neither the member file nor a folder " + name +
                                         ".def is in the workspace");
                if (hasFile) {
                    members[i] = {name, file, memberFileSize(file, name)};
                } else {
                    if (!convertible(name))
                        throw CommandFailure(name + ".def: not a kind of file the tool compiles");
                    work = scratch->worker(worker);
                    linkDefinitions(definitions, work);
                    const std::string result =
                        joinPath(scratch->path(), std::string("m").append(std::to_string(i)));
                    fs::rename(nativePath(verify::compileStep(name, work, reading, &departures[i])),
                               nativePath(result));
                    members[i] = {name, result, memberFileSize(result, name)};
                    ++compiled;
                }
                if (old) changes[i] = old->compare(members[i]);
            } catch (const std::exception& e) {
                // Files named as the user knows them: not in the worker's
                // folder, and a definition file a reason begins with by
                // its place in the workspace, which names the member too.
                std::string reason = e.what();
                if (!work.empty()) replaceAll(reason, work, shownDefinitions);
                const std::string file = reason.substr(0, reason.find(':'));
                if (!work.empty() && file.size() < reason.size() && definitionName(file) &&
                    file.find_first_of("/\\") == std::string::npos)
                    reasons[i] =
                        userFile(definitions, shownDefinitions, file) + reason.substr(file.size());
                else
                    reasons[i] = name + ": " + reason;
            }
            if (!work.empty()) emptyFolder(work);
            for (Diagnostic& d : departures[i]) {
                d.file = userFile(definitions, shownDefinitions, d.file);
                if (!request.lenient && d.kind == DiagnosticKind::Warning)
                    d.kind = DiagnosticKind::Error;
            }
        },
        [&](std::size_t i) {
            if (progress) progress(i, names.size(), names[i]);
        });
    std::size_t departing = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        departing += !departures[i].empty();
        for (Diagnostic& d : departures[i]) report.diagnostics.push_back(std::move(d));
        if (!reasons[i].empty()) report.reasons.push_back(std::move(reasons[i]));
    }
    // A departure fails the build unless it is lenient.
    if (departing > 0 && !request.lenient)
        report.reasons.push_back("the definition files of " + std::to_string(departing) +
                                 (departing == 1 ? " member" : " members") +
                                 " depart from their layout; nothing was written (build "
                                 "--lenient builds in spite of them)");
    if (!report.succeeded()) return report;

    // Compared by name in any letter case: changed and added in the list's
    // order, removed in the old archive's.
    std::vector<std::string> changed, added, removed;
    if (old) {
        std::unordered_set<std::string> kept;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (changes[i] == Change::Changed) changed.push_back(names[i]);
            if (changes[i] == Change::Added) added.push_back(names[i]);
            kept.insert(foldCase(names[i]));
        }
        for (const OldArchive::Member& m : old->members())
            if (!kept.contains(foldCase(m.name))) removed.push_back(m.name);
    }
    const bool compared = old.has_value();
    old.reset();  // closed before it is replaced

    WindowlessHost host(parentOf(output), {});
    const Outcome written = runCommand(host, {.showsBusy = false}, [&](Command& cmd) {
        for (const PackMember& m : members) cmd.claimInput(m.path, m.name);
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
