#include <cstdint>
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
    const std::int16_t intCount = readListCount(list);
    std::vector<PackMember> members;
    std::vector<std::string> names;
    for (int i = 1; i <= intCount; ++i) {
        PackMember m;
        m.name = names.emplace_back(readMemberName(list, names));
        m.path = cmd.outputPath(m.name);
        try {
            cmd.claimInput(m.path, m.name);
            m.size = memberFileSize(m.path, m.name);
        } catch (const CommandFailure& e) {
            list.fail(e.what());
        }
        members.push_back(std::move(m));
    }
    writeArchive(dat, members);
}

}  // namespace z5
