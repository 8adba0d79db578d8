// Archive members by name: unpack some of them, add or replace files.
#include <algorithm>

#include "archive/archive.hpp"
#include "archive/directory.hpp"
#include "platform/display.hpp"
#include "platform/encoding.hpp"
#include "platform/paths.hpp"

namespace z5 {

void runUnpackMembers(Command& cmd, const std::vector<std::string>& names) {
    cmd.claimInput(cmd.chosenPath(), cmd.chosenPath());
    const InputFile dat(cmd.chosenPath(), cmd.chosenPath());
    const std::vector<DatMember> members = readDirectory(dat);
    // Every name is found, and its bytes are in the archive, before a
    // member is written; each is written under the archive's spelling.
    std::vector<const DatMember*> chosen;
    for (const std::string& name : names) {
        const DatMember* m = findMember(members, name);
        if (!m) throw CommandFailure(dat.name() + ": no member " + displayName(name));
        if (std::find(chosen.begin(), chosen.end(), m) != chosen.end()) continue;
        requireMemberData(dat, {*m});
        chosen.push_back(m);
    }
    for (const DatMember* m : chosen) {
        // At the member's own path: a file whose name differs only in
        // letter case is another file, kept as plain unpack keeps it.
        BinaryWriter& out = cmd.createBinaryAt(cmd.outputPath(m->name), m->name);
        StreamCopy copy(out.flushedFile(), out.position());
        copy.append(dat, m->data, m->entry.Size);
        copy.flush();
    }
}

AddReport runAdd(Command& cmd, const std::string& archive, const std::vector<std::string>& files,
                 bool backup) {
    AddReport report;
    std::vector<PackMember> members;
    std::error_code ec;
    const bool existing = std::filesystem::exists(nativePath(archive), ec);
    if (existing) {
        cmd.claimInput(archive, archive);
        const InputFile dat(archive, archive);
        const std::vector<DatMember> old = readDirectory(dat);
        requireMemberData(dat, old);
        for (const DatMember& m : old)
            members.push_back({m.name, archive, m.entry.Size, m.data, m.entry});
    }
    std::vector<std::string> given;
    for (const std::string& file : files) {
        const std::string name = pathToName(pathText(nativePath(file).filename()), "member name");
        requireMemberName(name);
        if (name.size() > kDatNameBytes)
            throw CommandFailure(file + ": member name \"" + displayName(name) +
                                 "\" is longer than 13 characters");
        for (const std::string& other : given)
            if (equalsIgnoringCase(other, name))
                throw CommandFailure(file + ": " + displayName(name) + " is given twice (also as " +
                                     displayName(other) + ")");
        given.push_back(name);
        if (existing && fileIdentity(file) == fileIdentity(archive))
            throw CommandFailure(file + " is the archive itself");
        cmd.claimInput(file, file);
        PackMember added{name, file, memberFileSize(file, name), 0, std::nullopt};
        const auto same = std::find_if(members.begin(), members.end(), [&](const PackMember& m) {
            return equalsIgnoringCase(m.name, name);
        });
        if (same != members.end()) {
            // The member keeps its place and its name's spelling.
            added.name = same->name;
            *same = std::move(added);
            report.replaced.push_back(same->name);
        } else {
            members.push_back(std::move(added));
            report.added.push_back(name);
        }
    }
    if (members.size() > static_cast<std::size_t>(kMaxPackCount))
        throw CommandFailure(archive + ": " + std::to_string(members.size()) +
                             " members are more than the " + std::to_string(kMaxPackCount) +
                             " an archive can hold");
    BinaryWriter& out =
        existing ? cmd.replaceBinaryAt(archive, archive) : cmd.createBinaryAt(archive, archive);
    // The backup takes its name together with the new archive.
    if (existing && backup) {
        report.backup = archive + ".bak";
        cmd.createCopyAt(archive, report.backup, report.backup);
    }
    writeArchive(out, members);
    return report;
}

}  // namespace z5
