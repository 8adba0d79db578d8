// A picture as data, without any toolkit: panels on a page, each holding
// lines, outlines, boxes, dots and texts in its own units (the file's units
// for the coordinates a file holds), with a title and axis labels. The
// families build a Drawing; `paint` walks it once for every renderer (SVG
// text, QPainter, GDI), so no renderer decides what is drawn, only how.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace z5::picture {

struct Vec2 {
    double x = 0;
    double y = 0;
};

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

inline constexpr Rgb kInk{0, 0, 0};
inline constexpr Rgb kPaper{255, 255, 255};
inline constexpr Rgb kGrey{150, 150, 150};

enum class Anchor { Start, Middle, End };

// A number an element carries for programs that read the picture (in SVG
// the attribute "data-NAME"): a flavor's offset, a vertex's key, a section's
// number. An empty name carries nothing.
struct Data {
    std::string_view name;
    std::int64_t value = 0;
};

struct Path {
    enum class Shape {
        Line,     // an open polyline through the points
        Outline,  // a closed polygon through the points
        Box,      // the rectangle with the first two points as opposite corners
    };
    Shape shape = Shape::Line;
    std::vector<Vec2> points;
    Rgb stroke = kInk;
    std::optional<Rgb> fill;
    Data data;
};

// A point: a dot with a text to show when it is pointed at (SVG: its title)
// and an optional label written beside it.
struct Dot {
    Vec2 at;
    Rgb color = kInk;
    Data data;
    std::string title;
    std::string label;
};

struct Text {
    Vec2 at;
    std::string text;
    Anchor anchor = Anchor::Start;
    Vec2 shift;  // page units added after `at` is placed, y down
    Rgb color = kInk;
    Data data;
};

// A text at `at` starting there, and an open line: the common cases.
inline Text textAt(Vec2 at, std::string text) {
    return {at, std::move(text), Anchor::Start, {}, kInk, {}};
}
inline Path lineThrough(std::vector<Vec2> points) {
    return {Path::Shape::Line, std::move(points), kInk, std::nullopt, {}};
}

// A rectangle on the page, in page units, y down.
struct Frame {
    double left = 0, top = 0, width = 0, height = 0;
};

struct Panel {
    std::string id;     // SVG: the id of the panel's group
    std::string group;  // panels in a row with the same group share an outer group of this id
    std::string title;  // written in the top left corner, the labels under it and bottom right
    std::string xLabel, yLabel;
    bool framed = true;
    Frame frame;
    // Panel units to page units: page = origin + (x * scaleX, -y * scaleY),
    // so y is up in the panel. A panel in page units has scaleY -1.
    Vec2 origin;
    double scaleX = 1, scaleY = -1;
    std::vector<Path> paths;
    std::vector<Dot> dots;
    std::vector<Text> texts;

    Vec2 toPage(Vec2 p) const { return {origin.x + p.x * scaleX, origin.y - p.y * scaleY}; }
    Vec2 fromPage(Vec2 p) const { return {(p.x - origin.x) / scaleX, (origin.y - p.y) / scaleY}; }
    // Sets the scales and puts the panel units from `low` to `high` in the
    // middle of the frame (y up).
    void place(Vec2 low, Vec2 high, double sx, double sy);
};

struct Drawing {
    double width = 0, height = 0;  // page units
    std::vector<Panel> panels;
};

// Page sizes the renderers share.
inline constexpr double kDotRadius = 2.5;
inline constexpr double kTextSize = 12;
inline constexpr double kTitleSize = 14;

// The renderer's side of `paint`: every call in page units, y down.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void beginGroup(std::string_view /*id*/) {}
    virtual void endGroup() {}
    // `page` holds the path's points on the page (two corners for a box).
    virtual void path(const Path& path, std::span<const Vec2> page) = 0;
    virtual void dot(const Dot& dot, Vec2 page, double radius) = 0;
    virtual void text(std::string_view text, Vec2 page, Anchor anchor, double size, Rgb color,
                      const Data& data) = 0;
};

// Draws the page white, then each panel: its frame, its paths, dots and
// texts, and last its title and axis labels.
void paint(const Drawing& drawing, Canvas& canvas);

// The dot whose centre is nearest to `page`, within `radius` page units.
struct Hit {
    const Panel* panel;
    const Dot* dot;
};
std::optional<Hit> dotAt(const Drawing& drawing, Vec2 page, double radius);

// "12", "-3.5": a number as short as it reads back the same, for texts.
std::string numberLabel(double value);

// A round length (1, 2 or 5 times a power of ten) of at most `most`.
double roundLength(double most);

}  // namespace z5::picture
