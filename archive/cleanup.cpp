#include <string>
#include <vector>

#include "archive/archive.hpp"
#include "archive/format.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"

namespace z5 {

void runCleanUp(Command& cmd) {
    TextReader list = cmd.openText(kListName);
    const std::string archive = std::string(trimBlanks(list.readLine())) + ".dat";
    list.readLine();  // count: every following line is used, however many there are
    // Every line is checked before the first file goes: a list that
    // names the archive or itself deletes nothing.
    std::vector<std::pair<std::string, long>> names;  // and their line numbers
    while (!list.atEnd()) {
        std::string name = readListName(list, "member name");
        if (equalsIgnoringCase(name, archive))
            list.fail(name + " is the archive of this list; nothing was deleted");
        if (equalsIgnoringCase(name, kListName))
            list.fail("the list names itself; nothing was deleted");
        if (const auto longName = otherLongName(cmd.outputPath(name)))
            list.fail(name + " is another name of the file " + *longName + "; nothing was deleted");
        names.emplace_back(std::move(name), list.lineNumber());
    }
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
