#include <array>

#include "camera/camera.hpp"
#include "camera/format.hpp"

namespace z5 {
namespace {

using namespace camera;

constexpr std::size_t kScrLabelWidth = 10;  // "Value 1:  " .. "Value 4:  "

// The blocks of one feed: heading, underline, four value lines, an empty line.
void writeFeed(BinaryReader& scr, TextWriter& def, std::int32_t count, std::string_view feed) {
    const int blocks = blocksOf(scr, count, std::string(feed) + " camera count");
    const std::string heading = std::string(feed) + " Camera:";
    std::array<std::int32_t, kScrCameraValues> values{};
    for (int i = 1; i <= blocks; ++i) {
        readValues(scr, values);
        def.line(heading);
        def.line("============");
        writeValueLines(def, values, kScrLabelWidth);
        def.line("");
    }
}

}  // namespace

void runScrDecompile(Command& cmd) {
    BinaryReader scr = cmd.openInput();
    TextWriter& def = cmd.createText("scr.def");

    def.line("SCR File");
    def.line("Allows you to alter, add and delete positions");
    def.line("When adding or deleting, be sure to increase the TV1 or TV2 positions");
    def.line("");
    def.line("");

    std::array<std::int32_t, kScrHeaderValues> header{};
    readValues(scr, header);
    def.line(valueLine("Camera Types:  ", header[0]));
    def.line(valueLine("TV 1 Cameras:  ", header[1]));
    def.line(valueLine("TV 2 Cameras:  ", header[2]));
    def.line("");
    def.line("");

    writeFeed(scr, def, header[1], "TV 1");
    writeFeed(scr, def, header[2], "TV 2");
}

}  // namespace z5
