#include <array>

#include "camera/camera.hpp"
#include "camera/format.hpp"

namespace z5 {
namespace {

using namespace camera;

constexpr std::size_t kCamLabelWidth = 9;  // "Value 1: " .. "Value 12:"

// "Camera Position: i", the underline, an empty line, the value lines and
// two empty lines.
void writePosition(TextWriter& def, int number, std::span<const std::int32_t> values) {
    def.line("Camera Position: " + std::to_string(number));
    def.line("====================");
    def.line("");
    writeValueLines(def, values, kCamLabelWidth);
    def.line("");
    def.line("");
}

}  // namespace

void runCamDecompile(Command& cmd) {
    BinaryReader cam = cmd.openInput();
    TextWriter& def = cmd.createText("cam.def");
    std::array<std::int32_t, kCamSectionThreeValues> values{};

    def.line("Camera File");
    def.line("Allows you to alter, add and delete positions");
    def.line("When adding or deleting, be sure to increase the TV1 or TV2 positions");
    def.line("Be certain SCR file matches Cam file");
    def.line("");
    def.line("");

    const std::int32_t cameras = cam.i32();
    def.line(valueLine("Number of Cameras:  ", cameras));
    def.line("");
    def.line("");
    const int cameraBlocks = blocksOf(cam, cameras, "camera count");
    const auto position = std::span(values).first(kCamPositionValues);
    for (int i = 1; i <= cameraBlocks; ++i) {
        readValues(cam, position);
        writePosition(def, i, position);
    }

    const auto sectionTwo = std::span(values).first(kCamSectionTwoValues);
    readValues(cam, sectionTwo);
    def.line("Section 2 Camera Position");
    def.line("=========================");
    def.line(valueLine("Number:  ", sectionTwo[0]));
    writeValueLines(def, sectionTwo.subspan(1), kCamLabelWidth);
    def.line("");
    def.line("");

    def.line("Section 3 Camera Positions");
    def.line("==========================");
    def.line("");
    def.line("");
    const std::int32_t positions = cam.i32();
    def.line(valueLine("Number of Camera Positions:", positions));
    def.line("");
    const int positionBlocks = blocksOf(cam, positions, "camera position count");
    for (int i = 1; i <= positionBlocks; ++i) {
        readValues(cam, values);
        writePosition(def, i, values);
    }
}

}  // namespace z5
