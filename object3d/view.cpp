// What an object shows: its outlines, a picture of them from four sides, and
// the command that writes that picture.
#include <algorithm>
#include <charconv>
#include <iterator>

#include "object3d/object3d.hpp"
#include "object3d/renumbering.hpp"
#include "platform/files.hpp"
#include "textfmt/printform.hpp"

namespace z5 {
namespace object3d {
namespace {

// Keys to positions: the first record with a key wins.
Renumbering keyIndex(const std::vector<Point>& points) {
    std::vector<Renumbering::Entry> keys;
    keys.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        keys.push_back({points[i][0], static_cast<std::int32_t>(i)});
    return Renumbering(std::move(keys));
}

bool hasVertexReferences(std::int32_t kind) {
    return kind == 0 || kind == 1 || kind == 2 || kind == 3 || kind == 5 || kind == 12 ||
           kind == 13;
}

}  // namespace

Outlines findOutlines(const Object& object) {
    Outlines out;
    std::vector<Point> normals;
    for (const PointSection& section : object.points) {
        auto& to = section.normals ? normals : out.vertices;
        to.insert(to.end(), section.points.begin(), section.points.end());
    }
    out.normals = normals.size();
    const Renumbering vertexKeys = keyIndex(out.vertices), normalKeys = keyIndex(normals);
    out.drawn.reserve(object.flavors.size());
    std::vector<std::optional<std::int32_t>> vertexOf, normalOf;  // of each corner
    for (const Flavor& flavor : object.flavors) {
        if (flavor.type != 2 || flavor.values.size() < 3) continue;
        const std::int32_t kind = flavor.values[0].number;
        if (!hasVertexReferences(kind)) {
            ++out.undrawn;
            continue;
        }
        // Kind, a value, the count, then the vertex references; Kinds 12 and
        // 13 end with as many normal references.
        const auto n = static_cast<std::size_t>(flavor.values[2].number);
        const bool withNormals = kind == 12 || kind == 13;
        Outline outline{flavor.offset, static_cast<std::uint32_t>(out.corners.size()), 0,
                        withNormals};
        // Each run is looked up at once; the normal of corner i stands at
        // values.size() - n + i, where that is a place of the line.
        const std::size_t size = flavor.values.size(), corners = std::min(n, size - 3);
        const auto normalAt = [&](std::size_t i) { return size - n + i; };
        vertexOf.resize(corners);
        normalOf.assign(corners, std::nullopt);
        vertexKeys.findEach(
            corners, [&](std::size_t i) { return flavor.values[3 + i].number; },
            [&](std::size_t i, std::optional<std::int32_t> found) { vertexOf[i] = found; });
        if (withNormals)
            normalKeys.findEach(
                corners,
                [&](std::size_t i) {
                    return normalAt(i) < size ? flavor.values[normalAt(i)].number : 0;
                },
                [&](std::size_t i, std::optional<std::int32_t> found) {
                    if (normalAt(i) < size) normalOf[i] = found;
                });
        for (std::size_t i = 0; i < corners; ++i) {
            const auto vertex = vertexOf[i];
            if (!vertex) {
                ++out.unresolved;
                continue;
            }
            out.corners.push_back(*vertex);
            ++outline.count;
            if (!withNormals) {
                out.cornerNormals.push_back(0);
                continue;
            }
            const auto normal = normalOf[i];
            if (!normal) ++out.unresolved;
            // A face refers to a normal at every corner or at none.
            outline.withNormals = outline.withNormals && normal;
            out.cornerNormals.push_back(normal.value_or(0));
        }
        if (outline.count < 3) {
            ++out.undrawn;
            out.corners.resize(outline.first);
            out.cornerNormals.resize(outline.first);
            continue;
        }
        out.drawn.push_back(outline);
    }
    return out;
}

namespace {

using namespace picture;

constexpr double kPageWidth = 1000;
constexpr double kTitleHeight = 110;
constexpr double kCellHeight = 400;
// Inside each panel: its title and label above, the numbers of its axes
// left and below.
constexpr double kInsetTop = 40, kInsetLeft = 48, kInsetRight = 16, kInsetBottom = 28;
constexpr Rgb kVertexColor = kInk;
constexpr Rgb kOutlineColor{0, 110, 60};

// The orthographic views; the isometric one is a solid (see picture::project).
struct View {
    const char* id;
    const char* title;
    const char* xLabel;
    const char* yLabel;
    Vec2 (*project)(const Point&);
};
constexpr View kViews[] = {
    {"top", "Top", "X", "Y",
     [](const Point& p) {
         return Vec2{double(p[1]), double(p[2])};
     }},
    {"iso", "Isometric", "X + Y", "Z", nullptr},
    {"front", "Front", "X", "Z",
     [](const Point& p) {
         return Vec2{double(p[1]), double(p[3])};
     }},
    {"side", "Side", "Y", "Z",
     [](const Point& p) {
         return Vec2{double(p[2]), double(p[3])};
     }},
};

std::string countsLine(const Object& object, const Outlines& outlines) {
    std::size_t names = 0;
    for (const auto& list : object.names) names += list.size();
    std::size_t byType[22] = {};
    for (const Flavor& f : object.flavors) ++byType[std::clamp(f.type, 0, 21)];
    std::string types;
    for (int t = 0; t < 22; ++t)
        if (byType[t])
            types += (types.empty() ? "" : ", ") + std::string(flavorTag(t)) + " " +
                     numberText(static_cast<std::int64_t>(byType[t]));
    return "vertices: " + numberText(static_cast<std::int64_t>(outlines.vertices.size())) +
           ", normals: " + numberText(static_cast<std::int64_t>(outlines.normals)) +
           ", file names: " + numberText(static_cast<std::int64_t>(names)) +
           ", flavors: " + numberText(static_cast<std::int64_t>(object.flavors.size())) +
           (types.empty() ? "" : " (" + types + ")");
}

// The outlines in three dimensions, turning about the middle of the
// vertices' extent.
std::shared_ptr<const Solid> solidOf(const Outlines& outlines) {
    auto solid = std::make_shared<Solid>();
    solid->vertices.reserve(outlines.vertices.size());
    Vec3 low, high;
    for (std::size_t i = 0; i < outlines.vertices.size(); ++i) {
        const Point& p = outlines.vertices[i];
        const Vec3 v{double(p[1]), double(p[2]), double(p[3])};
        solid->vertices.push_back(v);
        low = i ? Vec3{std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)} : v;
        high = i ? Vec3{std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)} : v;
    }
    solid->centre = {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
    solid->corners.assign(outlines.corners.begin(), outlines.corners.end());
    solid->faces.reserve(outlines.drawn.size());
    for (const Outline& o : outlines.drawn)
        solid->faces.push_back({o.first, o.count, {"offset", o.offset}});
    solid->stroke = solid->tint = kOutlineColor;
    solid->title = kViews[1].title;
    solid->xLabel = kViews[1].xLabel;
    solid->yLabel = kViews[1].yLabel;
    return solid;
}

}  // namespace

picture::Drawing objectDrawing(const Object& object, std::string_view name, std::size_t warnings) {
    const Outlines outlines = findOutlines(object);
    Drawing drawing(kPageWidth, kTitleHeight + 2 * kCellHeight);
    drawing.name = name;

    // Every vertex a dot in each view; the extent of each view, and one
    // scale for all of them.
    drawing.panels.resize(5);
    Vec2 low[4], high[4];
    double scale = 0;
    for (std::size_t v = 0; v < 4; ++v) {
        Panel& panel = drawing.panels[v + 1];
        std::vector<Dot>& dots = panel.dots;
        dots.reserve(outlines.vertices.size());
        for (std::size_t i = 0; i < outlines.vertices.size(); ++i)
            dots.push_back({kViews[v].project ? kViews[v].project(outlines.vertices[i]) : Vec2{},
                            outlines.vertices[i][0], static_cast<std::uint32_t>(i), kNoText,
                            kVertexColor});
        if (!kViews[v].project) {
            panel.solid = solidOf(outlines);
            project(panel, Turn{});
        }
        for (std::size_t i = 0; i < dots.size(); ++i) {
            const Vec2 q = dots[i].at;
            low[v] = i ? Vec2{std::min(low[v].x, q.x), std::min(low[v].y, q.y)} : q;
            high[v] = i ? Vec2{std::max(high[v].x, q.x), std::max(high[v].y, q.y)} : q;
        }
        const double width = kPageWidth / 2 - kInsetLeft - kInsetRight;
        const double height = kCellHeight - kInsetTop - kInsetBottom;
        for (const double fits : {width / (high[v].x - low[v].x), height / (high[v].y - low[v].y)})
            if (fits > 0 && fits < 1e300 && (scale == 0 || fits < scale)) scale = fits;
    }
    if (scale == 0) scale = 1;

    Panel& title = drawing.panels[0];
    title.id = "title";
    title.framed = false;
    title.inText = true;
    title.frame = {0, 0, kPageWidth, kTitleHeight};
    const std::string lines[] = {
        std::string(name) + warningsText(warnings),
        countsLine(object, outlines),
        "unresolved references: " + numberText(outlines.unresolved) +
            ", undrawn outlines: " + numberText(outlines.undrawn),
    };
    for (std::size_t i = 0; i < std::size(lines); ++i)
        title.texts.push_back(textAt({12, 22 + 18 * double(i)}, lines[i]));
    std::string extent = "extent:";
    const char* axes[] = {"X", "Y", "Z"};
    for (std::size_t a = 0; a < 3; ++a) {
        std::int64_t lo = 0, hi = 0;
        for (std::size_t i = 0; i < outlines.vertices.size(); ++i) {
            const std::int64_t c = outlines.vertices[i][a + 1];
            lo = i == 0 ? c : std::min(lo, c);
            hi = i == 0 ? c : std::max(hi, c);
        }
        extent += std::string(a ? ", " : " ") + axes[a] + " " + numberText(hi - lo) + " (" +
                  numberText(lo) + " to " + numberText(hi) + ")";
    }
    title.texts.push_back(textAt({12, 22 + 18 * 3}, extent));

    // Each vertex's key and coordinates, shown when it is pointed at.
    drawing.reserveTexts(outlines.vertices.size(), 36 * outlines.vertices.size());
    for (const Point& p : outlines.vertices) {
        char text[64] = "key ";
        char* end = std::to_chars(text + 4, std::end(text), p[0]).ptr;
        for (std::size_t axis = 1; axis < 4; ++axis) {
            *end++ = axis == 1 ? ':' : ',';
            *end++ = ' ';
            end = std::to_chars(end, std::end(text), p[axis]).ptr;
        }
        drawing.keep({text, end});
    }
    // The orthographic views are wireframes with numbers on both axes; the
    // isometric one has its faces filled and a scale bar.
    for (std::size_t v = 0; v < 4; ++v) {
        Panel& panel = drawing.panels[v + 1];
        panel.id = kViews[v].id;
        panel.dotData = "key";
        panel.title = kViews[v].title;
        panel.xLabel = kViews[v].xLabel;
        panel.yLabel = kViews[v].yLabel;
        panel.ticksX = panel.ticksY = !panel.solid;
        panel.scaleBar = bool(panel.solid);
        panel.frame = {kPageWidth / 2 * double(v % 2), kTitleHeight + kCellHeight * double(v / 2),
                       kPageWidth / 2, kCellHeight};
        Frame inner = {panel.frame.left + kInsetLeft, panel.frame.top + kInsetTop,
                       panel.frame.width - kInsetLeft - kInsetRight,
                       panel.frame.height - kInsetTop - kInsetBottom};
        std::swap(panel.frame, inner);
        panel.place(low[v], high[v], scale, scale);
        std::swap(panel.frame, inner);
        if (panel.solid) continue;
        panel.paths.reserve(outlines.drawn.size());
        panel.points.reserve(outlines.corners.size());
        for (const Outline& o : outlines.drawn) {
            panel.add(
                Path(Path::Shape::Outline, kOutlineColor, std::nullopt, {"offset", o.offset}));
            for (const std::int32_t c : outlines.cornersOf(o))
                panel.extend(panel.dots[static_cast<std::size_t>(c)].at);
        }
    }
    return drawing;
}

Object viewedObject(Command& cmd, std::string& name) {
    if (!cmd.choseDefinitions()) {
        BinaryReader in = cmd.openInput();
        ObjectRead read = readObject(in);
        if (!read.failure.empty()) throw CommandFailure(read.failure);
        name = cmd.chosenName();
        return std::move(read.object);
    }
    Object object;
    TextReader vertices = cmd.openText("vertex.def");
    parseVertexDef(vertices, object);
    TextReader flavors = cmd.openText("flavor.def");
    parseFlavorDef(flavors, object);
    name = "vertex.def and flavor.def";
    return object;
}

}  // namespace object3d

picture::Drawing draw3do(Command& cmd) {
    std::string name;
    const object3d::Object object = object3d::viewedObject(cmd, name);
    picture::Drawing drawing = object3d::objectDrawing(object, name, cmd.departures());
    drawing.svgName = cmd.choseDefinitions() ? "definitions.svg" : cmd.chosenStem() + ".svg";
    return drawing;
}

}  // namespace z5
