#include "compare/merge.hpp"

#include <algorithm>
#include <filesystem>
#include <map>

#include "archive/archive.hpp"
#include "archive/directory.hpp"
#include "camera/camera.hpp"
#include "object3d/object3d.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/paths.hpp"
#include "setup/setup.hpp"
#include "track/track.hpp"

namespace z5::compare {
namespace {

namespace fs = std::filesystem;

// The three versions of one file or member.
struct Three {
    std::string kind;
    std::string base, ours, theirs;  // bytes
};

// Writes a merged model of `kind` (set from `merged`, the fields ours has
// beyond them kept) to `out`; the check warnings of a track go to
// `warnings`, naming `shown`.
void writeMerged(BinaryWriter& out, const std::string& kind, const TreeRecord& merged,
                 const std::string& ours, const std::string& shown,
                 std::vector<std::string>& warnings) {
    BinaryReader in = BinaryReader::ofBytes(ours, shown);
    if (kind == "trk") {
        const track::Track t = track::trackOfFields(merged);
        track::TrackPlaces places;
        places.starts.resize(t.sections.size());
        for (const Diagnostic& d : track::trackWarnings(t, places, shown))
            warnings.push_back(diagnosticLine(d));
        track::writeTrack(out, t);
    } else if (kind == "cam") {
        camera::writeCam(out, camera::camOfFields(merged));
    } else if (kind == "scr") {
        camera::writeScr(out, camera::scrOfFields(merged));
    } else if (kind == "stg") {
        setup::writeSetup(out, setup::setupOfFields(merged, setup::readSetup(in)));
    } else {
        object3d::writeObject(out,
                              object3d::objectOfFields(merged, object3d::readObject(in).object));
    }
}

// A merge of one file or member: which side's bytes it takes whole, or
// the merged records, with what came from theirs and the conflicts (each
// line after `prefix`).
struct Outcome {
    enum class Take { Ours, Theirs, Merged } take = Take::Ours;
    TreeRecord merged;
    std::vector<Difference> fromTheirs;
};
Outcome mergeThree(const Three& t, const std::string& name, const std::string& prefix,
                   std::vector<std::string>& conflicts) {
    Outcome out;
    if (t.ours == t.theirs || t.theirs == t.base) return out;
    if (t.ours == t.base) {
        out.take = Outcome::Take::Theirs;
        out.fromTheirs = compareBytes(t.kind, t.base, t.kind, t.theirs, name);
        return out;
    }
    if (t.kind.empty() || t.kind == "dat") {
        conflicts.push_back(prefix + "changed by ours and by theirs");
        return out;
    }
    const Loaded base = loadBinary(t.kind, t.base, name), ours = loadBinary(t.kind, t.ours, name),
                 theirs = loadBinary(t.kind, t.theirs, name);
    Merged merged = mergeTrees(base.tree, ours.tree, theirs.tree);
    for (const std::string& c : merged.conflicts) conflicts.push_back(prefix + c);
    out.take = Outcome::Take::Merged;
    out.merged = std::move(merged.record);
    out.fromTheirs = std::move(merged.fromTheirs);
    return out;
}

MergeReport mergeArchives(Command& cmd, const MergeInputs& in) {
    MergeReport report;
    const InputFile files[3] = {InputFile(in.base, in.shownBase), InputFile(in.ours, in.shownOurs),
                                InputFile(in.theirs, in.shownTheirs)};
    std::vector<DatMember> lists[3];
    std::map<std::string, std::size_t> index[3];  // by folded name
    for (int s = 0; s < 3; ++s) {
        lists[s] = readDirectory(files[s]);
        requireMemberData(files[s], lists[s]);
        for (std::size_t i = 0; i < lists[s].size(); ++i)
            index[s].emplace(foldCase(lists[s][i].name), i);
    }
    const auto find = [&index](int side, const std::string& name) -> const std::size_t* {
        const auto it = index[side].find(foldCase(name));
        return it == index[side].end() ? nullptr : &it->second;
    };
    const auto bytesOf = [&](int side, std::size_t i) {
        const DatMember& m = lists[side][i];
        return readRange(files[side], m.data, m.entry.Size);
    };
    const auto sameMember = [&](int x, std::size_t i, int y, std::size_t j) {
        const DatMember &a = lists[x][i], &b = lists[y][j];
        return a.entry.Size == b.entry.Size &&
               sameBytes(files[x], a.data, files[y], b.data, a.entry.Size);
    };
    const auto taken = [&](int side, std::size_t i) {
        const DatMember& m = lists[side][i];
        const std::string& path = side == 1 ? in.ours : side == 2 ? in.theirs : in.base;
        return PackMember{m.name, path, m.entry.Size, m.data, m.entry};
    };
    const auto line = [&report](const std::string& name, Change change,
                                std::vector<Difference> lines = {}) {
        report.fromTheirs.push_back({name, true, change, {}, {}, std::move(lines)});
    };

    // Ours' members in their order, each merged with the others' member
    // of its name.
    struct Planned {
        PackMember member;
        std::optional<Outcome> merged;
        std::size_t ours = 0;
    };
    std::vector<Planned> plan;
    for (std::size_t i = 0; i < lists[1].size(); ++i) {
        const std::string& name = lists[1][i].name;
        const std::size_t* b = find(0, name);
        const std::size_t* t = find(2, name);
        const std::string prefix = name + ": ";
        if (b && !t) {
            if (!sameMember(1, i, 0, *b))
                report.conflicts.push_back(prefix + "removed by theirs, changed by ours");
            else
                line(name, Change::Removed);
            continue;
        }
        Planned p{taken(1, i), std::nullopt, i};
        if (t && !sameMember(1, i, 2, *t)) {
            if (!b) {
                report.conflicts.push_back(prefix + "added by ours and by theirs, not alike");
            } else if (!sameMember(2, *t, 0, *b)) {
                const DatMember& m = lists[1][i];
                Three three{kindOf(files[1], m.data, m.entry.Size, name), bytesOf(0, *b),
                            bytesOf(1, i), bytesOf(2, *t)};
                Outcome o = mergeThree(three, name, prefix, report.conflicts);
                if (o.take == Outcome::Take::Theirs) {
                    p.member = taken(2, *t);
                    p.member.name = name;
                    setEntryName(*p.member.entry, name);
                    line(name, Change::Changed, std::move(o.fromTheirs));
                } else if (o.take == Outcome::Take::Merged) {
                    line(name, Change::Changed, o.fromTheirs);
                    p.merged = std::move(o);
                }
            }
        }
        plan.push_back(std::move(p));
    }
    // Theirs' members that ours does not have: removed by ours, or added
    // by theirs after the member they follow there, the nearest one before
    // them that the merge keeps. Each member has at most one such follower;
    // all are put in place in one pass.
    std::map<std::string, Planned> follower;  // by folded name; "" for the front
    std::string kept;                         // theirs' last member the merge keeps
    for (std::size_t j = 0; j < lists[2].size(); ++j) {
        const std::string& name = lists[2][j].name;
        if (find(1, name)) {
            kept = foldCase(name);
            continue;
        }
        if (const std::size_t* b = find(0, name)) {
            if (!sameMember(2, j, 0, *b))
                report.conflicts.push_back(name + ": removed by ours, changed by theirs");
            continue;
        }
        follower.emplace(kept, Planned{taken(2, j), std::nullopt, 0});
        line(name, Change::Added);
        kept = foldCase(name);
    }
    std::vector<Planned> ordered;
    ordered.reserve(plan.size() + follower.size());
    const auto followersOf = [&](std::string key) {
        for (auto it = follower.find(key); it != follower.end(); it = follower.find(key)) {
            key = foldCase(it->second.member.name);
            ordered.push_back(std::move(it->second));
            follower.erase(it);
        }
    };
    followersOf({});
    for (Planned& p : plan) {
        const std::string key = foldCase(p.member.name);
        ordered.push_back(std::move(p));
        followersOf(key);
    }
    plan = std::move(ordered);
    if (!report.conflicts.empty()) return report;
    if (plan.size() > static_cast<std::size_t>(kMaxPackCount))
        throw CommandFailure(in.shownOutput + ": " + std::to_string(plan.size()) +
                             " members are more than the " + std::to_string(kMaxPackCount) +
                             " an archive can hold");

    // Members merged by field are written to a private folder first.
    const TemporaryFolder scratch(pathText(nativePath(in.output).parent_path()), ".z5merge-",
                                  "a private folder");
    std::vector<PackMember> members;
    for (std::size_t k = 0; k < plan.size(); ++k) {
        Planned& p = plan[k];
        if (p.merged) {
            const std::string path = joinPath(scratch.path(), "m" + std::to_string(k));
            {
                BinaryWriter out(path, p.member.name);
                const DatMember& m = lists[1][p.ours];
                writeMerged(out, kindOf(files[1], m.data, m.entry.Size, m.name), p.merged->merged,
                            bytesOf(1, p.ours), in.shownOutput + ": " + m.name, report.warnings);
                out.close();
            }
            const std::int64_t size = InputFile(path, p.member.name).size();
            p.member =
                PackMember{p.member.name, path, static_cast<std::int32_t>(size), 0, std::nullopt};
        }
        members.push_back(p.member);
    }
    writeArchive(cmd.createBinaryAt(in.output, in.shownOutput), members);
    return report;
}

}  // namespace

MergeReport mergeFiles(Command& cmd, const MergeInputs& in) {
    for (const auto& [path, shown] : {std::pair{&in.base, &in.shownBase},
                                      {&in.ours, &in.shownOurs},
                                      {&in.theirs, &in.shownTheirs}})
        cmd.claimInput(*path, *shown);
    const InputFile files[3] = {InputFile(in.base, in.shownBase), InputFile(in.ours, in.shownOurs),
                                InputFile(in.theirs, in.shownTheirs)};
    std::string kinds[3];
    for (int s = 0; s < 3; ++s) kinds[s] = kindOf(files[s], 0, files[s].size(), files[s].name());
    if (kinds[0] != kinds[1] || kinds[1] != kinds[2])
        throw CommandFailure(in.shownBase + ", " + in.shownOurs + " and " + in.shownTheirs +
                             " are not of one kind (" + (kinds[0].empty() ? "-" : kinds[0]) + ", " +
                             (kinds[1].empty() ? "-" : kinds[1]) + ", " +
                             (kinds[2].empty() ? "-" : kinds[2]) + ")");
    // Each input must read as its kind, even one the merge takes whole.
    const std::string& kind = kinds[0];
    for (const InputFile& file : files) {
        if (kind == "dat")
            requireMemberData(file, readDirectory(file));
        else if (!kind.empty())
            loadBinary(kind, readRange(file, 0, file.size()), file.name());
    }
    const auto same = [&files](int x, int y) {
        return files[x].size() == files[y].size() &&
               sameBytes(files[x], 0, files[y], 0, files[x].size());
    };
    MergeReport report;
    // A side that kept the base: the other side whole.
    if (same(1, 2) || same(0, 2) || same(0, 1)) {
        const int taken = same(1, 2) || same(0, 2) ? 1 : 2;
        if (taken == 2)
            diffPaths(in.base, in.shownBase, in.theirs, in.shownTheirs,
                      [&report](const FileLines& f) { report.fromTheirs.push_back(f); });
        BinaryWriter& out = cmd.createBinaryAt(in.output, in.shownOutput);
        StreamCopy copy(out.flushedFile(), out.position());
        if (copy.append(files[taken], 0, files[taken].size()) < files[taken].size())
            throw CommandFailure(files[taken].name() + " became shorter while it was read");
        copy.flush();
        return report;
    }
    if (kind == "dat") return mergeArchives(cmd, in);

    const Three three{kind, readRange(files[0], 0, files[0].size()),
                      readRange(files[1], 0, files[1].size()),
                      readRange(files[2], 0, files[2].size())};
    Outcome o = mergeThree(three, in.shownOurs, "", report.conflicts);
    if (!report.conflicts.empty()) return report;
    if (!o.fromTheirs.empty())
        report.fromTheirs.push_back({in.shownTheirs, false, Change::Changed, {}, {}, o.fromTheirs});
    writeMerged(cmd.createBinaryAt(in.output, in.shownOutput), three.kind, o.merged, three.ours,
                in.shownOutput, report.warnings);
    return report;
}

}  // namespace z5::compare
