// cam.def and scr.def: the layout of each text, declared once and walked by
// a printer (decompile) and a parser (compile).
#include "textfmt/deftext.hpp"

#include <algorithm>
#include <span>

#include "camera/camera.hpp"
#include "textfmt/columns.hpp"

namespace z5::camera {
namespace {

constexpr std::size_t kValueColumn = 13;    // values are right-justified in 13 characters
constexpr std::size_t kReadColumns = 12;    // and read back from the last 12 of their line
constexpr std::size_t kCamLabelWidth = 9;   // "Value 1: " .. "Value 12:"
constexpr std::size_t kScrLabelWidth = 10;  // "Value 1:  " .. "Value 4:  "

constexpr std::string_view kAllows = "Allows you to alter, add and delete positions";
constexpr std::string_view kAdding =
    "When adding or deleting, be sure to increase the TV1 or TV2 positions";

// Writes each value as its label and the number in a column of 13.
class CamPrinter : public DefPrinter {
public:
    using DefPrinter::DefPrinter;

    void value(std::string_view label, std::int32_t& v, std::string_view) {
        std::string text(label);
        appendNumber(text, v, kValueColumn);
        line(text);
    }
    template <class Blocks>
    void count(std::string_view label, std::int32_t& count, Blocks&, std::string_view what) {
        value(label, count, what);
    }
};

// Reads each value from the last 12 characters of its line; labels are
// never read. A count sizes the blocks that follow it.
class CamParser : public DefParser {
public:
    using DefParser::DefParser;

    void value(std::string_view, std::int32_t& v, std::string_view what) {
        const std::string text = next(what);
        v = whole(trimBlanks(lastColumns(text, kReadColumns)), what);
    }
    template <class Blocks>
    void count(std::string_view label, std::int32_t& count, Blocks& blocks, std::string_view what) {
        value(label, count, what);
        blocks.resize(blocksOf(*this, count, what));
    }
};

// One line per value, labelled "Value 1:" on and filled with blanks to
// `labelWidth`; `block` names their block in failure reasons.
template <class IO>
void valueLines(IO& io, std::span<std::int32_t> values, std::size_t labelWidth,
                const std::string& block) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::string label = "Value " + std::to_string(i + 1);
        std::string what;
        if constexpr (!IO::printing) what = label + " of " + block;
        label += ':';
        label.resize(std::max(label.size(), labelWidth), ' ');
        io.value(label, values[i], what);
    }
}

// Each block: "Camera Position: i", its underline, an empty line, the values
// and two empty lines.
template <class IO, class Blocks>
void cameraPositions(IO& io, Blocks& blocks, std::string_view name) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        io.line("Camera Position: " + std::to_string(i + 1));
        io.line("====================");
        io.blank();
        valueLines(io, blocks[i], kCamLabelWidth, std::string(name) + " " + std::to_string(i + 1));
        io.blank(2);
    }
}

// Every line of cam.def, in order.
template <class IO>
void layout(IO& io, Cam& cam) {
    io.line("Camera File");
    io.line(kAllows);
    io.line(kAdding);
    io.line("Be certain SCR file matches Cam file");
    io.blank(2);
    io.count("Number of Cameras:  ", cam.cameraCount, cam.cameras, "camera count");
    io.blank(2);
    cameraPositions(io, cam.cameras, "camera");

    io.line("Section 2 Camera Position");
    io.line("=========================");
    io.value("Number:  ", cam.sectionTwo[0], "Number of section 2");
    valueLines(io, std::span(cam.sectionTwo).subspan(1), kCamLabelWidth, "section 2");
    io.blank(2);

    io.line("Section 3 Camera Positions");
    io.line("==========================");
    io.blank(2);
    io.count("Number of Camera Positions:", cam.positionCount, cam.positions,
             "camera position count");
    io.blank();
    cameraPositions(io, cam.positions, "camera position");
}

// Each camera of a feed: "TV 1 Camera:", its underline, the four values and
// an empty line. The blocks carry no number.
template <class IO>
void feed(IO& io, std::vector<ScrCamera>& cameras, const std::string& name) {
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        io.line(name + " Camera:");
        io.line("============");
        valueLines(io, cameras[i], kScrLabelWidth, name + " camera " + std::to_string(i + 1));
        io.blank();
    }
}

// Every line of scr.def, in order.
template <class IO>
void layout(IO& io, Scr& scr) {
    io.line("SCR File");
    io.line(kAllows);
    io.line(kAdding);
    io.blank(2);
    io.value("Camera Types:  ", scr.cameraTypes, "camera types");
    io.count("TV 1 Cameras:  ", scr.tv1Count, scr.tv1, "TV 1 camera count");
    io.count("TV 2 Cameras:  ", scr.tv2Count, scr.tv2, "TV 2 camera count");
    io.blank(2);
    feed(io, scr.tv1, "TV 1");
    feed(io, scr.tv2, "TV 2");
}

}  // namespace

void printCam(TextWriter& def, const Cam& cam) {
    printLayout<CamPrinter>(def, cam);
}
Cam parseCam(TextReader& def) {
    return parseLayout<CamParser, Cam>(def);
}
void printScr(TextWriter& def, const Scr& scr) {
    printLayout<CamPrinter>(def, scr);
}
Scr parseScr(TextReader& def) {
    return parseLayout<CamParser, Scr>(def);
}

}  // namespace z5::camera
