#include "platform/pathnames.hpp"
#include "platform/paths.hpp"
#include "setup/setup.hpp"

namespace z5 {

void runStgDecompile(Command& cmd) {
    // The names come first: a chosen name too short to drop an extension
    // fails before anything is read.
    std::string folderName = cmd.workingFolder();
    GetTrackName2().GetName(folderName);
    folderName = pathToName(folderName, "folder name");
    std::string baseName = cmd.chosenPath();
    GetTrackName().GetName(baseName);
    baseName = pathToName(baseName, "setup name");

    BinaryReader stg = cmd.openInput();
    setup::Setup setup = setup::readSetup(stg);
    setup.folderName = std::move(folderName);
    setup.name = std::move(baseName);
    setup::printSetup(cmd.createText("stg.def"), setup);
}

void runStgCompile(Command& cmd) {
    TextReader def = cmd.openText("stg.def");
    const setup::Setup setup = setup::parseSetup(def);
    // Usually the setup the text was decompiled from, found in any letter
    // case; replaced only once the new one is written whole.
    const std::string fileName = setup.name + ".stg";
    setup::writeSetup(cmd.createBinaryAt(findInFolder(cmd.workingFolder(), fileName), fileName),
                      setup);
}

}  // namespace z5
