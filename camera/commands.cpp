#include "camera/camera.hpp"

namespace z5 {
namespace {

// Both formats convert alike: the chosen file read and printed as its text,
// or the text parsed and written as the compiled file.
template <class Model>
void decompile(Command& cmd, Model (*read)(BinaryReader&), void (*print)(TextWriter&, const Model&),
               std::string_view defName) {
    BinaryReader in = cmd.openInput();
    print(cmd.createText(defName), read(in));
}

template <class Model>
void compile(Command& cmd, std::string_view defName, Model (*parse)(TextReader&),
             void (*write)(BinaryWriter&, const Model&), std::string_view outputName) {
    TextReader def = cmd.openText(defName);
    write(cmd.createBinary(outputName), parse(def));
}

}  // namespace

void runCamDecompile(Command& cmd) {
    decompile(cmd, camera::readCam, camera::printCam, "cam.def");
}
void runCamCompile(Command& cmd) {
    compile(cmd, "cam.def", camera::parseCam, camera::writeCam, "New.cam");
}
void runScrDecompile(Command& cmd) {
    decompile(cmd, camera::readScr, camera::printScr, "scr.def");
}
void runScrCompile(Command& cmd) {
    compile(cmd, "scr.def", camera::parseScr, camera::writeScr, "New.scr");
}

}  // namespace z5
