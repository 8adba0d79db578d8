// A picture as data, without any toolkit: panels on a page, each holding
// lines, outlines, boxes, dots and texts in its own units (the file's units
// for the coordinates a file holds), with a title and axis labels. The
// families build a Drawing; `paint` walks it once for every renderer (SVG
// text, QPainter, GDI), so no renderer decides what is drawn, only how.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
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

struct Vec3 {
    double x = 0;
    double y = 0;
    double z = 0;
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
// number. No name carries nothing.
struct Data {
    const char* name = nullptr;
    std::int64_t value = 0;
};

struct Path {
    enum class Shape {
        Line,     // an open polyline through the points
        Outline,  // a closed polygon through the points
        Box,      // the rectangle with the first two points as opposite corners
    };
    explicit Path(Shape shape, Rgb stroke = kInk, std::optional<Rgb> fill = std::nullopt,
                  Data data = {})
        : shape(shape), stroke(stroke), fill(fill), data(data) {}

    Shape shape;
    Rgb stroke;
    std::optional<Rgb> fill;
    Data data;
    // Its points in the panel's list: a drawing of the largest object holds
    // 32000 paths, which one list keeps without an allocation each.
    std::uint32_t first = 0, count = 0;
};

// A point: a dot with a text to show when it is pointed at (SVG: its
// title) and an optional label written beside it. Both texts are kept once
// in the drawing, for the dots of every panel; a drawing of the largest
// object holds 131068 dots.
inline constexpr std::uint32_t kNoText = 0xFFFFFFFF;
struct Dot {
    Vec2 at;
    std::int32_t value = 0;         // the number it carries, named by its panel's dotData
    std::uint32_t title = kNoText;  // a text the drawing keeps (Drawing::keep)
    std::uint32_t label = kNoText;
    Rgb color = kInk;
};

struct Text {
    Vec2 at;
    std::string text;
    Anchor anchor = Anchor::Start;
    Vec2 shift;  // added after `at` is placed, y down, in heights of the text
    Rgb color = kInk;
    Data data;
};

// A text at `at` starting there: the common case.
inline Text textAt(Vec2 at, std::string text) {
    return {at, std::move(text), Anchor::Start, {}, kInk, {}};
}

// A rectangle on the page, in page units, y down.
struct Frame {
    double left = 0, top = 0, width = 0, height = 0;
};

// A view of a solid, in degrees: turned about the vertical (Z) axis, and
// tilted so that it is seen from above. The first are the isometric view's.
struct Turn {
    double turn = 45;
    double tilt = 35.264389682754654;  // atan(1 / sqrt 2)
    friend bool operator==(Turn, Turn) = default;
};

// What a panel shows of an object in three dimensions, so that it can be
// drawn again from any side: a vertex for each of the panel's dots, in
// their order, and faces through them.
struct Solid {
    struct Face {
        std::uint32_t first = 0, count = 0;  // its vertices' indices in `corners`
        Data data;
    };
    std::vector<Vec3> vertices;
    std::vector<std::uint32_t> corners;
    std::vector<Face> faces;
    Vec3 centre;                        // what it turns about
    Rgb stroke;                         // of the outlines
    Rgb tint;                           // the faces' fill, lightened by the way each faces
    std::string title, xLabel, yLabel;  // of its panel in the first view
};

struct Panel {
    std::string id;     // SVG: the id of the panel's group
    std::string group;  // panels in a row with the same group share an outer group of this id
    std::string title;  // written in the top left corner, the labels under it and bottom right
    std::string xLabel, yLabel;
    bool framed = true;
    // Numbers along the bottom edge for x, along the left edge for y, at
    // round steps of the panel's units where the frame shows them; a bar
    // of a round length in the bottom left corner.
    bool ticksX = false, ticksY = false, scaleBar = false;
    // Its content is laid out in text: page units where texts have the
    // SVG's size, grown from the origin with them where they are shown
    // larger than the page (a window fitted to a small screen).
    bool inText = false;
    const char* dotData = nullptr;  // what the number of each dot is, or nothing
    Frame frame;
    // Panel units to page units: page = origin + (x * scaleX, -y * scaleY),
    // so y is up in the panel. A panel in page units has scaleY -1.
    Vec2 origin;
    double scaleX = 1, scaleY = -1;
    std::vector<Path> paths;
    std::vector<Vec2> points;  // of the paths
    std::vector<Dot> dots;
    std::vector<Text> texts;
    // A solid the dots and paths show, and from which side.
    std::shared_ptr<const Solid> solid;
    Turn turn;

    // Panels that a window zooms, moves or turns: those with numbers.
    bool movable() const { return ticksX || ticksY || scaleBar; }

    // Adds a path through `through`; more points can follow with extend().
    void add(Path path, std::initializer_list<Vec2> through = {}) {
        path.first = static_cast<std::uint32_t>(points.size());
        path.count = 0;
        paths.push_back(path);
        for (const Vec2& p : through) extend(p);
    }
    void extend(Vec2 p) {
        points.push_back(p);
        ++paths.back().count;
    }
    std::span<const Vec2> pointsOf(const Path& path) const {
        return std::span(points).subspan(path.first, path.count);
    }

    Vec2 toPage(Vec2 p) const { return {origin.x + p.x * scaleX, origin.y - p.y * scaleY}; }
    Vec2 fromPage(Vec2 p) const { return {(p.x - origin.x) / scaleX, (origin.y - p.y) / scaleY}; }
    // Sets the scales and puts the panel units from `low` to `high` in the
    // middle of the frame (y up).
    void place(Vec2 low, Vec2 high, double sx, double sy);
};

class Drawing {
public:
    Drawing(double width, double height) : width(width), height(height) {}

    double width, height;  // page units
    std::string name;      // what is drawn: a file name, or the definition files
    // The name of its SVG file: after the file drawn ("oval.svg"), or the
    // definition files' own ("Trk.svg").
    std::string svgName;
    std::vector<Panel> panels;

    // A text kept for dots, by its index; empty for kNoText.
    std::string_view textOf(std::uint32_t index) const {
        if (index + 1 >= textEnds_.size()) return {};
        return std::string_view(texts_).substr(textEnds_[index],
                                               textEnds_[index + 1] - textEnds_[index]);
    }
    void reserveTexts(std::size_t count, std::size_t bytes) {
        textEnds_.reserve(count + 1);
        texts_.reserve(bytes);
    }
    // Keeps a text for dots; its index.
    std::uint32_t keep(std::string_view text) {
        texts_ += text;
        textEnds_.push_back(texts_.size());
        return static_cast<std::uint32_t>(textEnds_.size() - 2);
    }

private:
    // The texts one after another, and where each ends (after a 0 for the
    // start of the first).
    std::string texts_;
    std::vector<std::size_t> textEnds_{0};
};

// Page sizes the renderers share. Texts are sized in points: the SVG
// shows a point as 4/3 page units (a page unit is a CSS pixel there).
inline constexpr double kDotRadius = 2.5;
inline constexpr double kTextSize = 9;      // points
inline constexpr double kTitleSize = 10.5;  // points
inline constexpr double kPagePerPoint = 4.0 / 3;

// How large texts are on the page: in a window they keep their size in
// points (never less than `least` page units) whatever the drawing's scale.
struct TextScale {
    double pagePerPoint = kPagePerPoint;
    double least = 0;
    double page(double points) const { return std::max(points * pagePerPoint, least); }
    // How much larger than in the SVG a text of kTextSize is.
    double growth() const { return page(kTextSize) / (kTextSize * kPagePerPoint); }
};

// The renderer's side of `paint`: every call in page units, y down.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void beginGroup(std::string_view /*id*/) {}
    virtual void endGroup() {}
    // `page` holds the path's points on the page (two corners for a box).
    virtual void path(const Path& path, std::span<const Vec2> page) = 0;
    virtual void dot(const Dot& dot, const Data& data, std::string_view title, Vec2 page,
                     double radius) = 0;
    virtual void text(std::string_view text, Vec2 page, Anchor anchor, double size, Rgb color,
                      const Data& data) = 0;
    // What follows is drawn inside `frame` only, until clip(nullptr). The
    // SVG has no need of it: its panels are drawn as they were fitted.
    virtual void clip(const Frame* /*frame*/) {}
};

// Draws the page white, then each panel: its frame, its paths, dots and
// texts (inside the frame), its numbers or scale bar, and last its title
// and axis labels. Texts are `scale` large.
void paint(const Drawing& drawing, Canvas& canvas, const TextScale& scale = {});

// Draws the panel's solid seen from `turn`: each dot at its vertex, each
// face an outline filled in a light shade of the solid's tint by the way
// it faces, the far ones first. Turned about the solid's centre, which
// stays where the first view puts it; the title says both angles when
// they are not the first view's.
void project(Panel& panel, Turn turn);

// How a window shows the page: at one scale, centred in its `width` x
// `height` device units, so every renderer maps the page the same way.
struct PageFit {
    double scale = 1;
    Vec2 offset;
    Vec2 toDevice(Vec2 page) const {
        return {offset.x + page.x * scale, offset.y + page.y * scale};
    }
    Vec2 toPage(Vec2 device) const {
        return {(device.x - offset.x) / scale, (device.y - offset.y) / scale};
    }
};
PageFit fitPage(const Drawing& drawing, double width, double height);

// The dot whose centre is nearest to `page`, within `radius` page units;
// of dots at one place, the first.
struct Hit {
    const Panel* panel;
    const Dot* dot;
};
std::optional<Hit> dotAt(const Drawing& drawing, Vec2 page, double radius);

// "12", "-3.5": a number as short as it reads back the same, for texts.
std::string numberLabel(double value);

// ", 3 warnings from the layout" after a title whose definition files
// departed from their layout; empty for none.
std::string warningsText(std::size_t warnings);

// A round length (1, 2 or 5 times a power of ten) of at most `most`.
double roundLength(double most);
// The round length of at least `least`.
double roundLengthAbove(double least);

}  // namespace z5::picture
