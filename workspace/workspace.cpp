#include "workspace/workspace.hpp"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>

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
    for (const auto& entry : fs::directory_iterator(nativePath(folder)))
        fs::remove_all(entry.path());
}

// The definition files of `from` (any name ending in .def) made available
// in the empty folder `to`: linked, so nothing is copied and the compile,
// which only replaces files, never reaches the originals; copied where the
// file system has no links.
void linkDefinitions(const std::string& from, const std::string& to) {
    for (const auto& entry : fs::directory_iterator(nativePath(from))) {
        const std::string name = pathText(entry.path().filename());
        if (!entry.is_regular_file() || name.size() < 4 ||
            !equalsIgnoringCase(std::string_view(name).substr(name.size() - 4), ".def"))
            continue;
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

// Whether two files hold the same bytes, read a piece at a time.
bool sameBytes(const std::string& a, const std::string& b) {
    InputFile x(a, a), y(b, b);
    if (x.size() != y.size()) return false;
    std::string p(1 << 20, '\0'), q(1 << 20, '\0');
    for (std::int64_t at = 0; at < x.size();) {
        const std::size_t n = x.readAt(p.data(), p.size(), at);
        if (n == 0) return false;  // shorter than it was when opened
        for (std::size_t got = 0, more = 1; got < n && more; got += more)
            more = y.readAt(q.data() + got, n - got, at + static_cast<std::int64_t>(got));
        if (p.compare(0, n, q, 0, n) != 0) return false;
        at += static_cast<std::int64_t>(n);
    }
    return true;
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
    for (std::size_t at; (at = detail.find(member)) != std::string::npos;)
        detail.replace(at, member.size(), name);
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
        return std::string();
    });
    if (!report.succeeded()) return report;

    std::optional<ScratchFolder> scratch;
    report = run([&] {
        scratch.emplace(parentOf(output));
        return std::string();
    });
    if (!report.succeeded()) return report;

    std::vector<PackMember> members(names.size());
    std::vector<std::string> reasons(names.size());
    std::atomic<std::size_t> compiled = 0;
    // Every member is looked at, so that every reason is reported at once.
    runInOrder(
        names.size(), static_cast<unsigned>(std::max(request.jobs, 1)), names.size(),
        [&](std::size_t i, unsigned worker) {
            const std::string& name = names[i];
            try {
                const std::string file = joinPath(folder, nameToPath(name));
                const std::string definitions = joinPath(folder, nameToPath(name + ".def"));
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
                    return;
                }
                if (!convertible(name))
                    throw CommandFailure(name + ".def: not a kind of file the tool compiles");
                const std::string work = scratch->worker(worker);
                linkDefinitions(definitions, work);
                const std::string result =
                    joinPath(scratch->path(), std::string("m").append(std::to_string(i)));
                fs::rename(nativePath(verify::compileStep(name, work)), nativePath(result));
                emptyFolder(work);
                members[i] = {name, result, memberFileSize(result, name)};
                ++compiled;
            } catch (const std::exception& e) {
                reasons[i] = name + ": " + e.what();
            }
        },
        [&](std::size_t i) {
            if (progress) progress(i, names.size(), names[i]);
        });
    for (std::string& reason : reasons)
        if (!reason.empty()) report.reasons.push_back(std::move(reason));
    if (!report.succeeded()) return report;

    WindowlessHost host(parentOf(output), {});
    const Outcome written = runCommand(host, {.showsBusy = false}, [&](Command& cmd) {
        for (const PackMember& m : members) cmd.claimInput(m.path, m.name);
        writeArchive(cmd.createBinaryAt(output, shown), members);
    });
    if (written.status != Status::Done) {
        report.reasons.push_back(written.reason);
        return report;
    }
    report.summary = std::to_string(names.size()) + " members: " + std::to_string(compiled) +
                     " compiled, " + std::to_string(names.size() - compiled) +
                     " taken as they are; wrote " + shown;
    return report;
}

}  // namespace z5::workspace
