#include "picture/drawing.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <span>

namespace z5::picture {

void Panel::place(Vec2 low, Vec2 high, double sx, double sy) {
    scaleX = sx;
    scaleY = sy;
    origin.x = frame.left + (frame.width - (high.x - low.x) * sx) / 2 - low.x * sx;
    origin.y = frame.top + (frame.height - (high.y - low.y) * sy) / 2 + high.y * sy;
}

namespace {

constexpr double kLabelInset = 4;
constexpr Rgb kNumberColor{90, 90, 90};

// A guess at how wide `text` is at `size`, from its characters: the
// drawing knows no font, only that digits and letters take about this much.
double textWidth(std::string_view text, double size) {
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return 0.6 * size * double(characters);
}

// A tick's number: as many decimals as the step has.
std::string tickLabel(double value, double step) {
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    if (decimals == 0) return numberLabel(std::round(value));
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals)
            .ptr;
    std::string text(buffer, end);
    if (text.find_first_not_of("-0.") == std::string::npos) return "0";
    return text;
}

// The round steps of a panel's units from `low` to `high`, at least
// `least` page units apart at `scale`, and more where numbers need it
// (`apart` gives the room they need at a step).
template <class Apart>
std::vector<double> tickValues(double low, double high, double scale, double least,
                               const Apart& apart, double& step) {
    std::vector<double> values;
    scale = std::fabs(scale);
    if (!(scale > 0) || !(high > low) || !std::isfinite(high - low)) return values;
    step = roundLengthAbove(least / scale);
    for (int widen = 0; widen < 8 && step * scale < apart(low, high, step); ++widen)
        step = roundLengthAbove(step * 1.5);
    const double first = std::ceil(low / step), last = std::floor(high / step);
    if (!(last - first < 1000)) return values;
    for (double k = first; k <= last; ++k) values.push_back(k * step);
    return values;
}

// Numbers along the axes and the scale bar. `text` is the page size of a
// text; the panel's title and the label under it end at `labelsEnd`.
void paintTicks(const Panel& panel, Canvas& canvas, double text, double labelsEnd) {
    const Frame& f = panel.frame;
    const double right = f.left + f.width, bottom = f.top + f.height;
    const Path mark(Path::Shape::Line, kGrey);
    // The numbers' row at the bottom ends before the x axis' label.
    const double labelLeft = panel.xLabel.empty()
                                 ? right
                                 : right - kLabelInset - textWidth("right: " + panel.xLabel, text);
    if (panel.ticksX) {
        double step = 1;
        const double a = panel.fromPage({f.left, 0}).x, b = panel.fromPage({right, 0}).x;
        const auto apart = [&](double low, double high, double s) {
            return std::max(textWidth(tickLabel(low, s), text),
                            textWidth(tickLabel(high, s), text)) +
                   text;
        };
        for (const double v :
             tickValues(std::min(a, b), std::max(a, b), panel.scaleX, 2.5 * text, apart, step)) {
            const double x = panel.toPage({v, 0}).x;
            const std::string label = tickLabel(v, step);
            const double half = textWidth(label, text) / 2;
            if (x - half < f.left + 2 || x + half > labelLeft - text / 2) continue;
            const Vec2 line[] = {{x, bottom}, {x, bottom - 0.3 * text}};
            canvas.path(mark, line);
            canvas.text(label, {x, bottom - 0.45 * text}, Anchor::Middle, text, kNumberColor, {});
        }
    }
    if (panel.ticksY) {
        double step = 1;
        const double a = panel.fromPage({0, f.top}).y, b = panel.fromPage({0, bottom}).y;
        const auto apart = [&](double, double, double) { return 2 * text; };
        const double lowest = panel.ticksX ? bottom - 1.4 * text : bottom - 0.4 * text;
        for (const double v :
             tickValues(std::min(a, b), std::max(a, b), panel.scaleY, 2 * text, apart, step)) {
            const double y = panel.toPage({0, v}).y;
            if (y - 1.0 * text < labelsEnd || y > lowest) continue;
            const Vec2 line[] = {{f.left, y}, {f.left + 0.3 * text, y}};
            canvas.path(mark, line);
            // The number stands on its tick: beside it, the tick would read
            // as a minus sign.
            canvas.text(tickLabel(v, step), {f.left + 0.2 * text, y - 0.2 * text}, Anchor::Start,
                        text, kNumberColor, {});
        }
    }
    if (panel.scaleBar && std::fabs(panel.scaleX) > 0) {
        const double length = roundLength(0.3 * f.width / std::fabs(panel.scaleX));
        const double x = f.left + 0.7 * text, y = bottom - 0.6 * text;
        const double end = x + length * std::fabs(panel.scaleX);
        const Vec2 lines[3][2] = {{{x, y}, {end, y}},
                                  {{x, y - 0.3 * text}, {x, y + 0.3 * text}},
                                  {{end, y - 0.3 * text}, {end, y + 0.3 * text}}};
        for (const auto& line : lines) canvas.path(Path(Path::Shape::Line), line);
        canvas.text("scale: " + numberLabel(length) + " units", {x, y - 0.6 * text}, Anchor::Start,
                    text, kInk, {});
    }
}

void paintPanel(const Drawing& drawing, const Panel& panel, Canvas& canvas, std::vector<Vec2>& page,
                const TextScale& scale) {
    canvas.beginGroup(panel.id);
    const Frame& f = panel.frame;
    if (panel.framed) {
        const Vec2 corners[] = {{f.left, f.top}, {f.left + f.width, f.top + f.height}};
        canvas.path(Path(Path::Shape::Box, kGrey), corners);
    }
    const double text = scale.page(kTextSize), title = scale.page(kTitleSize);
    // A panel laid out in text grows from its origin with the texts.
    const double grow = panel.inText ? scale.growth() : 1;
    const auto place = [&](Vec2 p) {
        const Vec2 at = panel.toPage(p);
        return Vec2{panel.origin.x + (at.x - panel.origin.x) * grow,
                    panel.origin.y + (at.y - panel.origin.y) * grow};
    };
    if (panel.framed) canvas.clip(&f);
    for (const Path& path : panel.paths) {
        page.clear();
        for (const Vec2& p : panel.pointsOf(path)) page.push_back(place(p));
        canvas.path(path, page);
    }
    for (const Dot& dot : panel.dots) {
        const Vec2 at = place(dot.at);
        const Data data{panel.dotData, dot.value};
        canvas.dot(dot, data, drawing.textOf(dot.title), at, kDotRadius);
        if (dot.label != kNoText)
            canvas.text(drawing.textOf(dot.label), {at.x + kDotRadius + 1, at.y - kDotRadius - 1},
                        Anchor::Start, text, dot.color, data);
    }
    for (const Text& t : panel.texts) {
        const Vec2 at = place(t.at);
        canvas.text(t.text, {at.x + t.shift.x * text, at.y + t.shift.y * text}, t.anchor, text,
                    t.color, t.data);
    }
    if (panel.framed) canvas.clip(nullptr);
    double y = f.top + kLabelInset + title;
    if (!panel.title.empty()) {
        canvas.text(panel.title, {f.left + kLabelInset, y}, Anchor::Start, title, kInk, {});
        y += text + 2;
    }
    if (!panel.yLabel.empty())
        canvas.text("up: " + panel.yLabel, {f.left + kLabelInset, y}, Anchor::Start, text, kInk,
                    {});
    paintTicks(panel, canvas, text, y + 0.3 * text);
    if (!panel.xLabel.empty())
        canvas.text("right: " + panel.xLabel,
                    {f.left + f.width - kLabelInset, f.top + f.height - kLabelInset}, Anchor::End,
                    text, kInk, {});
    canvas.endGroup();
}

// The directions of a view: to the right on the page, up on it, and out
// of it toward the one who looks.
struct Basis {
    Vec3 right, up, toward;
};

Basis basis(Turn turn) {
    constexpr double kDegree = 3.14159265358979323846 / 180;
    const double a = turn.turn * kDegree, b = turn.tilt * kDegree;
    return {{std::cos(a), std::sin(a), 0},
            {-std::sin(a) * std::sin(b), std::cos(a) * std::sin(b), std::cos(b)},
            {std::sin(a) * std::cos(b), -std::cos(a) * std::cos(b), std::sin(b)}};
}

double dot3(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The fill of a face through `corners`: the solid's tint, lighter the more
// the face turns to a light above and left of the one who looks, whichever
// of its sides is seen. 16 shades, so that a renderer needs few brushes.
Rgb shade(const Solid& solid, std::span<const std::uint32_t> corners, const Basis& view) {
    Vec3 n;  // Newell's normal: of any outline, even one that is not flat
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Vec3 a = solid.vertices[corners[i]];
        const Vec3 b = solid.vertices[corners[(i + 1) % corners.size()]];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    double lit = 0.5;
    const double length = std::sqrt(dot3(n, n));
    if (length > 0 && std::isfinite(length)) {
        const auto along = [&](double r, double u, double t) {
            return Vec3{r * view.right.x + u * view.up.x + t * view.toward.x,
                        r * view.right.y + u * view.up.y + t * view.toward.y,
                        r * view.right.z + u * view.up.z + t * view.toward.z};
        };
        const double side = dot3(n, view.toward) < 0 ? -1 : 1;
        lit = std::clamp(side * dot3(n, along(-0.35, 0.55, 0.76)) / length, 0.0, 1.0);
    }
    const double a = 0.34 - 0.26 * std::round(lit * 15) / 15;
    const auto mix = [a](std::uint8_t tint) {
        return static_cast<std::uint8_t>(std::lround(255 + (double(tint) - 255) * a));
    };
    return {mix(solid.tint.r), mix(solid.tint.g), mix(solid.tint.b)};
}

}  // namespace

void project(Panel& panel, Turn turn) {
    if (!panel.solid) return;
    const Solid& solid = *panel.solid;
    panel.turn = turn;
    const Basis view = basis(turn), first = basis(Turn{});
    const Vec3 c = solid.centre;
    const Vec2 centre{dot3(first.right, c), dot3(first.up, c)};
    const std::size_t count = std::min(solid.vertices.size(), panel.dots.size());
    std::vector<double> depth(count);  // toward the one who looks
    for (std::size_t i = 0; i < count; ++i) {
        const Vec3 p = solid.vertices[i];
        const Vec3 d{p.x - c.x, p.y - c.y, p.z - c.z};
        panel.dots[i].at = {dot3(view.right, d) + centre.x, dot3(view.up, d) + centre.y};
        depth[i] = dot3(view.toward, d);
    }
    // The far faces first, by the mean depth of their corners; faces of
    // one depth in their order.
    std::vector<std::pair<double, std::uint32_t>> order;
    order.reserve(solid.faces.size());
    for (std::uint32_t i = 0; i < solid.faces.size(); ++i) {
        const Solid::Face& face = solid.faces[i];
        double sum = 0;
        bool drawn = face.count > 0;
        for (std::uint32_t k = face.first; k < face.first + face.count; ++k) {
            drawn = drawn && solid.corners[k] < count;
            if (drawn) sum += depth[solid.corners[k]];
        }
        if (drawn) order.emplace_back(sum / face.count, i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    panel.paths.clear();
    panel.points.clear();
    for (const auto& [far, i] : order) {
        const Solid::Face& face = solid.faces[i];
        const auto corners = std::span(solid.corners).subspan(face.first, face.count);
        panel.add(Path(Path::Shape::Outline, solid.stroke, shade(solid, corners, view), face.data));
        for (const std::uint32_t k : corners) panel.extend(panel.dots[k].at);
    }
    const bool firstView = turn == Turn{};
    panel.title = firstView ? solid.title
                            : "Turn " + numberLabel(std::round(turn.turn)) + "\xC2\xB0, tilt " +
                                  numberLabel(std::round(turn.tilt)) + "\xC2\xB0";
    panel.xLabel = firstView ? solid.xLabel : "";
    panel.yLabel = firstView ? solid.yLabel : "";
}

void paint(const Drawing& drawing, Canvas& canvas, const TextScale& scale) {
    const Vec2 page[] = {{0, 0}, {drawing.width, drawing.height}};
    canvas.path(Path(Path::Shape::Box, kPaper, kPaper), page);
    std::vector<Vec2> points;
    std::string_view group;
    for (const Panel& panel : drawing.panels) {
        if (panel.group != group) {
            if (!group.empty()) canvas.endGroup();
            group = panel.group;
            if (!group.empty()) canvas.beginGroup(group);
        }
        paintPanel(drawing, panel, canvas, points, scale);
    }
    if (!group.empty()) canvas.endGroup();
}

PageFit fitPage(const Drawing& drawing, double width, double height) {
    PageFit fit;
    if (drawing.width > 0 && drawing.height > 0 && width > 0 && height > 0)
        fit.scale = std::min(width / drawing.width, height / drawing.height);
    fit.offset = {(width - drawing.width * fit.scale) / 2,
                  (height - drawing.height * fit.scale) / 2};
    return fit;
}

std::optional<Hit> dotAt(const Drawing& drawing, Vec2 page, double radius) {
    std::optional<Hit> best;
    double nearest = radius * radius;
    for (const Panel& panel : drawing.panels) {
        const Frame& f = panel.frame;
        if (page.x < f.left - radius || page.x > f.left + f.width + radius ||
            page.y < f.top - radius || page.y > f.top + f.height + radius)
            continue;
        for (const Dot& dot : panel.dots) {
            const Vec2 at = panel.toPage(dot.at);
            // A dot a window moved out of its panel is not shown there.
            if (at.x < f.left || at.x > f.left + f.width || at.y < f.top || at.y > f.top + f.height)
                continue;
            const double d = (at.x - page.x) * (at.x - page.x) + (at.y - page.y) * (at.y - page.y);
            if (d < nearest) {
                nearest = d;
                best = Hit{&panel, &dot};
            }
        }
    }
    return best;
}

std::string warningsText(std::size_t warnings) {
    if (warnings == 0) return {};
    return ", " + std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings") +
           " from the layout";
}

std::string numberLabel(double value) {
    char buffer[32];
    const auto end =
        value == std::trunc(value) && std::fabs(value) < 1e15
            ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int64_t>(value)).ptr
            : std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

double roundLengthAbove(double least) {
    if (!(least > 0) || !std::isfinite(least)) return 1;
    double length = roundLength(least);
    while (length < least) length = roundLength(length * 2.5);  // 1, 2, 5, 10, ...
    return length;
}

double roundLength(double most) {
    if (!(most > 0) || !std::isfinite(most)) return 1;
    double step = 1;
    while (step * 10 <= most) step *= 10;
    while (step > most) step /= 10;
    if (step * 5 <= most) return step * 5;
    if (step * 2 <= most) return step * 2;
    return step;
}

}  // namespace z5::picture
