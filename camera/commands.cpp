#include "camera/camera.hpp"

namespace z5 {

void runCamDecompile(Command& cmd) {
    BinaryReader cam = cmd.openInput();
    camera::printCam(cmd.createText("cam.def"), camera::readCam(cam));
}

void runCamCompile(Command& cmd) {
    TextReader def = cmd.openText("Cam.def");
    camera::writeCam(cmd.createBinary("New.cam"), camera::parseCam(def));
}

void runScrDecompile(Command& cmd) {
    BinaryReader scr = cmd.openInput();
    camera::printScr(cmd.createText("scr.def"), camera::readScr(scr));
}

void runScrCompile(Command& cmd) {
    TextReader def = cmd.openText("Scr.def");
    camera::writeScr(cmd.createBinary("New.scr"), camera::parseScr(def));
}

}  // namespace z5
