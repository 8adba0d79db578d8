#include "picture/drawing.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace z5::picture {

void Panel::place(Vec2 low, Vec2 high, double sx, double sy) {
    scaleX = sx;
    scaleY = sy;
    origin.x = frame.left + (frame.width - (high.x - low.x) * sx) / 2 - low.x * sx;
    origin.y = frame.top + (frame.height - (high.y - low.y) * sy) / 2 + high.y * sy;
}

namespace {

constexpr double kLabelInset = 4;

void paintPanel(const Drawing& drawing, const Panel& panel, Canvas& canvas,
                std::vector<Vec2>& page) {
    canvas.beginGroup(panel.id);
    if (panel.framed) {
        const Frame& f = panel.frame;
        const Vec2 corners[] = {{f.left, f.top}, {f.left + f.width, f.top + f.height}};
        canvas.path(Path(Path::Shape::Box, kGrey), corners);
    }
    for (const Path& path : panel.paths) {
        page.clear();
        for (const Vec2& p : panel.pointsOf(path)) page.push_back(panel.toPage(p));
        canvas.path(path, page);
    }
    for (const Dot& dot : panel.dots) {
        const Vec2 at = panel.toPage(dot.at);
        const Data data{panel.dotData, dot.value};
        canvas.dot(dot, data, drawing.textOf(dot.title), at, kDotRadius);
        if (dot.label != kNoText)
            canvas.text(drawing.textOf(dot.label), {at.x + kDotRadius + 1, at.y - kDotRadius - 1},
                        Anchor::Start, kTextSize, dot.color, data);
    }
    for (const Text& text : panel.texts) {
        const Vec2 at = panel.toPage(text.at);
        canvas.text(text.text, {at.x + text.shift.x, at.y + text.shift.y}, text.anchor, kTextSize,
                    text.color, text.data);
    }
    const Frame& f = panel.frame;
    double y = f.top + kLabelInset + kTitleSize;
    if (!panel.title.empty()) {
        canvas.text(panel.title, {f.left + kLabelInset, y}, Anchor::Start, kTitleSize, kInk, {});
        y += kTextSize + 2;
    }
    if (!panel.yLabel.empty())
        canvas.text("up: " + panel.yLabel, {f.left + kLabelInset, y}, Anchor::Start, kTextSize,
                    kInk, {});
    if (!panel.xLabel.empty())
        canvas.text("right: " + panel.xLabel,
                    {f.left + f.width - kLabelInset, f.top + f.height - kLabelInset}, Anchor::End,
                    kTextSize, kInk, {});
    canvas.endGroup();
}

}  // namespace

void paint(const Drawing& drawing, Canvas& canvas) {
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
        paintPanel(drawing, panel, canvas, points);
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
