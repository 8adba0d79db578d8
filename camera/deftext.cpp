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

// The blocks a count stands for: each begins with a line starting with
// `heading`; they end at the line `until` (the end of the file when empty).
struct Blocks {
    std::string_view heading;
    std::string_view until;
};

// Writes each value as its label and the number in a column of 13.
class CamPrinter : public DefPrinter {
public:
    using DefPrinter::DefPrinter;

    void value(std::string_view label, std::int32_t& v, std::string_view) {
        std::string text(label);
        appendNumber(text, v, kValueColumn);
        line(text);
    }
    template <class List>
    void count(std::string_view label, std::int32_t& count, List&, std::string_view what, Blocks) {
        value(label, count, what);
    }
    void end() {}
};

// Reads each value from the last 12 characters of its line, its label
// compared. A count sizes the blocks that follow it; when the blocks in the
// file are not as many, that is named at the count's line.
class CamParser : public DefParser {
public:
    using DefParser::DefParser;

    void value(std::string_view label, std::int32_t& v, std::string_view what) {
        next(what);
        v = labelled(label, kReadColumns, what);
    }
    template <class List>
    void count(std::string_view label, std::int32_t& count, List& list, std::string_view what,
               Blocks blocks) {
        value(label, count, what);
        list.resize(blocksOf(*this, count, what));
        // The blocks in the rest of the file, found by their headings.
        std::size_t found = 0;
        for (std::size_t i = 0;; ++i) {
            const std::string* l = peek(i);
            if (!l || (!blocks.until.empty() && trimBlanks(*l) == blocks.until)) break;
            found += trimBlanks(*l).starts_with(blocks.heading);
        }
        // The first count that disagrees is what makes the reading run past
        // the end, if it does: the counts after it are read out of place.
        if (found != list.size()) {
            if (!std::exchange(counted_, true))
                noteForEarlyEnd("; the " + std::string(what) + " on line " +
                                std::to_string(lineNumber()) + " says " + std::to_string(count));
            depart(trimBlanks(lastColumns(current(), kReadColumns)),
                   "the " + std::string(what) + " is " + std::to_string(count) + "; " +
                       std::to_string(found) + " " + quotedText(blocks.heading) + " blocks follow");
        }
    }
    // Lines after the last block are not read.
    void end() { finishNamingExtra("before this line", counted_); }

private:
    bool counted_ = false;  // a count that disagrees was named
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
    io.count("Number of Cameras:  ", cam.cameraCount, cam.cameras, "camera count",
             Blocks{"Camera Position:", "Section 2 Camera Position"});
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
             "camera position count", Blocks{"Camera Position:", {}});
    io.blank();
    cameraPositions(io, cam.positions, "camera position");
    io.end();
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
    io.count("TV 1 Cameras:  ", scr.tv1Count, scr.tv1, "TV 1 camera count",
             Blocks{"TV 1 Camera:", {}});
    io.count("TV 2 Cameras:  ", scr.tv2Count, scr.tv2, "TV 2 camera count",
             Blocks{"TV 2 Camera:", {}});
    io.blank(2);
    feed(io, scr.tv1, "TV 1");
    feed(io, scr.tv2, "TV 2");
    io.end();
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
