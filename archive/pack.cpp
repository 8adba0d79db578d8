#include <string>
#include <vector>

#include "archive/archive.hpp"
#include "archive/format.hpp"

namespace z5 {

void runPack(Command& cmd) {
    TextReader list = cmd.openTextAt(cmd.chosenPath(), cmd.chosenPath());
    const std::string strArchive = readListName(list, "archive name") + ".dat";
    // It replaces an older archive only when complete; it may not be one of
    // the members (claimed as inputs below).
    BinaryWriter& dat = cmd.createBinaryAt(cmd.outputPath(strArchive), strArchive);
    const std::vector<std::string> names = readMemberNames(list);
    std::vector<PackMember> members;
    for (std::size_t i = 0; i < names.size(); ++i) {
        PackMember m;
        m.name = names[i];
        m.path = cmd.outputPath(m.name);
        try {
            cmd.claimInput(m.path, m.name);
            m.size = memberFileSize(m.path, m.name);
        } catch (const CommandFailure& e) {
            // Named by the list's line that names the member.
            throw CommandFailure(list.name() + ":" + std::to_string(3 + i) + ": " + e.what());
        }
        members.push_back(std::move(m));
    }
    writeArchive(dat, members);
}

}  // namespace z5
