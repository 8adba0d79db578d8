#include <string>
#include <vector>

#include "archive/archive.hpp"
#include "archive/format.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"

namespace z5 {

namespace {

// The member names of the list `list` (lines 3 onward) and their line
// numbers, each line checked: neither the archive of the list nor the list
// itself may be named.
std::vector<std::pair<std::string, long>> readCleanUpNames(TextReader& list) {
    const std::string archive = std::string(trimBlanks(list.readLine())) + ".dat";
    list.readLine();  // count: every following line is used, however many there are
    std::vector<std::pair<std::string, long>> names;
    while (!list.atEnd()) {
        std::string name = readListName(list, "member name");
        if (equalsIgnoringCase(name, archive))
            list.fail(name + " is the archive of this list; nothing was deleted");
        if (equalsIgnoringCase(name, kListName))
            list.fail("the list names itself; nothing was deleted");
        names.emplace_back(std::move(name), list.lineNumber());
    }
    return names;
}

}  // namespace

std::size_t cleanUpCount(const std::string& folder) {
    TextReader list(findInFolder(folder, kListName), std::string(kListName));
    return readCleanUpNames(list).size();
}

void runCleanUp(Command& cmd) {
    TextReader list = cmd.openText(kListName);
    // Every line is checked before the first file goes: a list that
    // names the archive or itself deletes nothing.
    const auto names = readCleanUpNames(list);
    for (const auto& [name, line] : names)
        if (const auto longName = otherLongName(cmd.outputPath(name)))
            throw CommandFailure(list.name() + ":" + std::to_string(line) + ": " + name +
                                 " is another name of the file " + *longName +
                                 "; nothing was deleted");
    // Only the file of exactly each name goes: no wildcard expansion, no
    // folders. A file already gone stops the command there.
    for (const auto& [name, line] : names) {
        try {
            removeFile(cmd.outputPath(name), name);
        } catch (const CommandFailure& e) {
            throw CommandFailure(list.name() + ":" + std::to_string(line) + ": " + e.what());
        }
    }
}

}  // namespace z5
