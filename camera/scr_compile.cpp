#include <array>

#include "camera/camera.hpp"
#include "camera/format.hpp"

namespace z5 {
namespace {

using namespace camera;

// The blocks of one feed: skip the heading and underline, read four values,
// skip the empty line.
void readFeed(TextReader& def, BinaryWriter& scr, int blocks) {
    std::array<std::int32_t, kScrCameraValues> values{};
    for (int i = 1; i <= blocks; ++i) {
        skipLines(def, 2);
        readValueLines(def, values);
        writeValues(scr, values);
        skipLines(def, 1);
    }
}

}  // namespace

void runScrCompile(Command& cmd) {
    TextReader def = cmd.openText("Scr.def");
    BinaryWriter& scr = cmd.createBinary("New.scr");

    // Camera types, then the TV 1 and TV 2 counts; the camera types value
    // is carried through and counts nothing.
    skipLines(def, 5);
    int tv1 = 0;
    int tv2 = 0;
    const std::array<std::int32_t, kScrHeaderValues> header = {
        readValue(def), readCountLine(def, tv1), readCountLine(def, tv2)};
    writeValues(scr, header);
    skipLines(def, 2);

    readFeed(def, scr, tv1);
    readFeed(def, scr, tv2);
}

}  // namespace z5
