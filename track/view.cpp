// A picture of a track, its values plotted as they stand: the sections along
// the lap with their surfaces, the banking heights of each E-line, and the
// coordinates the file holds.
#include <algorithm>
#include <map>

#include "textfmt/printform.hpp"
#include "track/track.hpp"

namespace z5 {
namespace track {
namespace {

using namespace picture;

// A page wider than high, as screens are: the strip along the top, below
// it the coordinates, the four banking panels and the legend side by side.
constexpr double kPageWidth = 1600;
constexpr double kTitleHeight = 70;
constexpr double kStripHeight = 200;
constexpr double kLowerHeight = 630;
constexpr double kLowerTop = kTitleHeight + kStripHeight;
constexpr double kPlanWidth = 700;
constexpr double kBankingWidth = 330;
constexpr double kLegendWidth = kPageWidth - kPlanWidth - 2 * kBankingWidth;
// Inside each panel: its title and label above, the numbers of its axes
// left and below.
constexpr double kInsetTop = 40, kInsetLeft = 48, kInsetRight = 24, kInsetBottom = 28;
constexpr Rgb kStraightColor{200, 215, 240};
constexpr Rgb kTurnColor{245, 215, 180};
constexpr Rgb kPalette[] = {{31, 119, 180}, {214, 39, 40}, {44, 160, 44},   {148, 103, 189},
                            {255, 127, 14}, {140, 86, 75}, {227, 119, 194}, {127, 127, 127},
                            {188, 189, 34}, {23, 190, 207}};

Rgb paletteColor(std::size_t i) {
    return kPalette[i % std::size(kPalette)];
}

// The frame of a panel and the part inside its labels.
Panel& addPanel(Drawing& d, std::string id, std::string title, Frame frame) {
    Panel& p = d.panels.emplace_back();
    p.id = std::move(id);
    p.title = std::move(title);
    p.frame = frame;
    return p;
}

// Fits panel units from `low` to `high` into the panel, inside its labels;
// with `uniform`, at one scale both ways.
void fit(Panel& panel, Vec2 low, Vec2 high, bool uniform) {
    const Frame outer = panel.frame;
    panel.frame = {outer.left + kInsetLeft, outer.top + kInsetTop,
                   outer.width - kInsetLeft - kInsetRight, outer.height - kInsetTop - kInsetBottom};
    auto scale = [](double room, double span) { return span > 0 ? room / span : 1.0; };
    double sx = scale(panel.frame.width, high.x - low.x);
    double sy = scale(panel.frame.height, high.y - low.y);
    if (uniform) sx = sy = std::min(high.x > low.x ? sx : sy, high.y > low.y ? sy : sx);
    panel.place(low, high, sx, sy);
    panel.frame = outer;
}

struct Bounds {
    Vec2 low, high;
    bool empty = true;
    void add(Vec2 p) {
        low = empty ? p : Vec2{std::min(low.x, p.x), std::min(low.y, p.y)};
        high = empty ? p : Vec2{std::max(high.x, p.x), std::max(high.y, p.y)};
        empty = false;
    }
};

std::string count(std::size_t n) {
    return numberText(static_cast<std::int64_t>(n));
}

void strip(Drawing& d, const Track& t, std::map<std::int32_t, std::size_t>& surfaceColors) {
    Panel& panel =
        addPanel(d, "strip", "Sections along the lap", {0, kTitleHeight, kPageWidth, kStripHeight});
    panel.xLabel = "Start, Start + Length";
    panel.ticksX = true;
    panel.yLabel = "straights and turns, surfaces (Start to End of each section's own)";
    Bounds bounds;
    for (const SectionRecord& s : t.sections) {
        bounds.add({double(s[1]), 0});
        bounds.add({double(s[1]) + s[2], 1});
    }
    if (bounds.empty) bounds.add({0, 0}), bounds.add({1, 1});
    bounds.low.y = 0;
    bounds.high.y = 1;
    fit(panel, bounds.low, bounds.high, false);

    std::size_t surface = 0;
    for (std::size_t i = 0; i < t.sections.size(); ++i) {
        const SectionRecord& s = t.sections[i];
        const Data data{"section", static_cast<std::int64_t>(i) + 1};
        const double start = s[1], end = double(s[1]) + s[2];
        const bool straight = s[kTypeField] == kStraightType;
        panel.add(Path(Path::Shape::Box, kInk, straight ? kStraightColor : kTurnColor, data),
                  {{start, 0.25}, {end, 0.85}});
        panel.texts.push_back(
            {{(start + end) / 2, 0.85}, count(i + 1), Anchor::Middle, {0, -1.0 / 3}, kInk, data});
        panel.texts.push_back({{(start + end) / 2, 0.25},
                               "walls " + numberText(std::max(s[kWallsField], 0)),
                               Anchor::Middle,
                               {0, 7.0 / 6},
                               kInk,
                               data});
        // The section's surfaces on their own axis, from the lowest Start or
        // End to the highest, across the band.
        const std::size_t n = static_cast<std::size_t>(std::max(s[kSurfacesField], 0));
        const std::size_t first = std::min(surface, t.surfaces.size());
        const std::size_t last = std::min(surface + n, t.surfaces.size());
        surface += n;
        if (first == last) continue;
        double lo = t.surfaces[first][0], hi = lo;
        for (std::size_t r = first; r < last; ++r)
            for (const double v : {double(t.surfaces[r][0]), double(t.surfaces[r][1])}) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        auto along = [&](double v) {
            return hi > lo ? start + (v - lo) / (hi - lo) * (end - start) : start;
        };
        for (std::size_t r = first; r < last; ++r) {
            const SurfaceRecord& row = t.surfaces[r];
            const auto color =
                surfaceColors.try_emplace(row[2], surfaceColors.size()).first->second;
            const double from = along(row[0]), to = hi > lo ? along(row[1]) : end;
            panel.add(Path(Path::Shape::Box, paletteColor(color), paletteColor(color), data),
                      {{from, 0.35}, {to, 0.6}});
        }
    }
}

void banking(Drawing& d, const Track& t) {
    static constexpr const char* kFields[] = {"Height 1", "Height 2", "Height 3", "Init Hgt"};
    static constexpr const char* kIds[] = {"banking-height-1", "banking-height-2",
                                           "banking-height-3", "banking-init-hgt"};
    const auto eLines = static_cast<std::size_t>(std::max(t.header.eLines, 0));
    for (std::size_t f = 0; f < 4; ++f) {
        Panel& panel = addPanel(
            d, kIds[f], kFields[f],
            {kPlanWidth + kBankingWidth * double(f % 2),
             kLowerTop + kLowerHeight / 2 * double(f / 2), kBankingWidth, kLowerHeight / 2});
        panel.group = "banking";
        panel.ticksY = true;
        Bounds bounds;
        for (std::size_t e = 0; e < eLines; ++e) {
            panel.add(Path(Path::Shape::Line, paletteColor(e), std::nullopt,
                           {"eline", static_cast<std::int64_t>(e) + 1}));
            for (std::size_t s = 0; s < t.sections.size(); ++s) {
                const std::size_t row = s * eLines + e;
                if (row >= t.banking.size()) break;
                panel.extend({double(s) + 1, double(t.banking[row][f])});
                bounds.add(panel.points.back());
            }
        }
        if (bounds.empty) bounds.add({1, 0});
        fit(panel, bounds.low, bounds.high, false);
        // What the axes span, since the lines carry no numbers of their own.
        panel.xLabel = "Section " + numberLabel(bounds.low.x) + " to " + numberLabel(bounds.high.x);
        panel.yLabel = std::string(kFields[f]) + ", " + numberLabel(bounds.low.y) + " to " +
                       numberLabel(bounds.high.y);
    }
}

void plan(Drawing& d, const Track& t) {
    Panel& panel = addPanel(d, "plan", "Coordinates", {0, kLowerTop, kPlanWidth, kLowerHeight});
    panel.dotData = "section";
    panel.ticksX = panel.ticksY = true;
    panel.xLabel = "X Coord";
    panel.yLabel = "Y Coord";
    const auto eLines = static_cast<std::size_t>(std::max(t.header.eLines, 0));
    Bounds bounds;
    for (std::size_t s = 0; s < t.sections.size(); ++s) {
        const SectionRecord& section = t.sections[s];
        auto add = [&](std::int32_t x, std::int32_t y, const std::string& what, Rgb color) {
            const std::uint32_t title =
                d.keep("section " + count(s + 1) + ", " + what + ": X Coord " + numberText(x) +
                       ", Y Coord " + numberText(y));
            panel.dots.push_back({{double(x), double(y)},
                                  static_cast<std::int32_t>(s + 1),
                                  title,
                                  d.keep(count(s + 1)),
                                  color});
            bounds.add(panel.dots.back().at);
        };
        if (section[kTypeField] != kStraightType) {
            add(section[4], section[5], "turn centre", {170, 90, 20});
            continue;
        }
        for (std::size_t e = 0; e < eLines && s * eLines + e < t.banking.size(); ++e) {
            const BankingRecord& b = t.banking[s * eLines + e];
            add(b[6], b[7], "straight, E-line " + count(e + 1), {30, 70, 160});
        }
    }
    if (bounds.empty) bounds.add({0, 0});
    fit(panel, bounds.low, bounds.high, true);
}

void legend(Drawing& d, std::int32_t eLines,
            const std::map<std::int32_t, std::size_t>& surfaceColors) {
    Panel& panel = addPanel(d, "legend", "Legend",
                            {kPageWidth - kLegendWidth, kLowerTop, kLegendWidth, kLowerHeight});
    // In page units from the panel's corner, growing with the texts.
    panel.inText = true;
    panel.origin = {panel.frame.left, panel.frame.top};
    constexpr double x = 12;
    double y = 40;
    auto entry = [&](Rgb color, std::string text) {
        panel.add(Path(Path::Shape::Box, kInk, color), {{x, y}, {x + 14, y + 12}});
        panel.texts.push_back(textAt({x + 20, y + 11}, std::move(text)));
        y += 18;
    };
    auto more = [&](std::size_t n, const char* what) {
        panel.texts.push_back(textAt({x, y + 11}, "and " + count(n) + what));
        y += 18;
    };
    entry(kStraightColor, "straight");
    entry(kTurnColor, "turn");
    // The E-lines' colours in the banking panels, then the surfaces': as many
    // as the panel holds.
    constexpr std::int32_t kELinesShown = 8;
    for (std::int32_t e = 0; e < eLines; ++e) {
        if (e == kELinesShown) {
            more(std::size_t(eLines - kELinesShown), " more E-lines");
            break;
        }
        panel.add(Path(Path::Shape::Line, paletteColor(std::size_t(e))),
                  {{x, y + 6}, {x + 14, y + 6}});
        panel.texts.push_back(textAt({x + 20, y + 11}, "E-line " + numberText(e + 1)));
        y += 18;
    }
    constexpr std::size_t kSurfacesShown = 12;
    std::size_t shown = 0;
    for (const auto& [value, color] : surfaceColors) {
        if (shown++ == kSurfacesShown) {
            more(surfaceColors.size() - kSurfacesShown, " more surface values");
            break;
        }
        entry(paletteColor(color), "Surface " + numberText(value));
    }
}

}  // namespace

picture::Drawing trackDrawing(const Track& t, std::string_view name, std::size_t warnings) {
    Drawing d(kPageWidth, kLowerTop + kLowerHeight);
    d.name = name;
    Panel& title = addPanel(d, "title", "", {0, 0, kPageWidth, kTitleHeight});
    title.framed = false;
    title.inText = true;
    std::size_t straights = 0;
    for (const SectionRecord& s : t.sections) straights += s[kTypeField] == kStraightType;
    title.texts.push_back(textAt({12, 22}, std::string(name) + warningsText(warnings)));
    title.texts.push_back(
        textAt({12, 40}, "sections: " + count(t.sections.size()) + " (" + count(straights) +
                             " straights, " + count(t.sections.size() - straights) +
                             " turns), E-lines: " + numberText(t.header.eLines) + ", surfaces: " +
                             count(t.surfaces.size()) + ", walls: " + count(t.walls.size())));
    std::map<std::int32_t, std::size_t> surfaceColors;
    strip(d, t, surfaceColors);
    banking(d, t);
    plan(d, t);
    legend(d, t.header.eLines, surfaceColors);
    return d;
}

}  // namespace track

picture::Drawing drawTrk(Command& cmd) {
    if (cmd.choseDefinitions()) {
        TextReader def = cmd.openText("Trk.def");
        const track::Track t = track::parseTrack(def);
        picture::Drawing drawing = track::trackDrawing(t, "Trk.def", cmd.departures());
        drawing.svgName = "Trk.svg";
        return drawing;
    }
    BinaryReader in = cmd.openInput();
    picture::Drawing drawing = track::trackDrawing(track::readTrack(in), cmd.chosenName());
    drawing.svgName = cmd.chosenStem() + ".svg";
    return drawing;
}

}  // namespace z5
