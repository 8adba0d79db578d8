#include <array>

#include "camera/camera.hpp"
#include "camera/format.hpp"

namespace z5 {
using namespace camera;

void runCamCompile(Command& cmd) {
    TextReader def = cmd.openText("Cam.def");
    BinaryWriter& cam = cmd.createBinary("New.cam");
    std::array<std::int32_t, kCamSectionThreeValues> values{};
    int blocks = 0;

    // Lines are counted, labels never compared: each block starts after
    // the empty lines, heading and underline that precede its values.
    skipLines(def, 6);
    cam.i32(readCountLine(def, blocks));
    const auto position = std::span(values).first(kCamPositionValues);
    for (int i = 1; i <= blocks; ++i) {
        skipLines(def, 5);
        readValueLines(def, position);
        writeValues(cam, position);
    }

    skipLines(def, 4);
    const auto sectionTwo = std::span(values).first(kCamSectionTwoValues);
    readValueLines(def, sectionTwo);
    writeValues(cam, sectionTwo);

    skipLines(def, 6);
    cam.i32(readCountLine(def, blocks));
    for (int i = 1; i <= blocks; ++i) {
        skipLines(def, 4);
        readValueLines(def, values);
        writeValues(cam, values);
        // The last block needs no empty lines after its values.
        if (i < blocks) skipLines(def, 1);
    }
}

}  // namespace z5
