// Pictures of objects and tracks, and the OBJ round trip, run through their
// rows of the command table in a scratch working folder. The pictures are
// read back as SVG: panels, elements and their data attributes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <regex>

#include "commands/table.hpp"
#include "picture/drawing.hpp"
#include "picture/svg.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using namespace test;

std::string sample(const char* name) {
    return (std::filesystem::path(Z5_SAMPLES_DIR) / name).string();
}

// An SVG element of a panel: its name, attributes and the text in it.
struct Element {
    std::string name;
    std::map<std::string, std::string> at;
    std::string content;
    double number(const std::string& key) const { return std::stod(at.at(key)); }
};

// The elements of each group, by the group's id (inner groups are groups of
// their own; their elements are not in the outer one's list).
std::map<std::string, std::vector<Element>> readSvg(const std::string& svg) {
    std::map<std::string, std::vector<Element>> groups;
    std::vector<std::string> open;
    const std::regex tag(R"(<(/?)([a-z]+)((?:\s+[a-z-]+="[^"]*")*)\s*/?>)");
    const std::regex attribute(R"(([a-z-]+)="([^"]*)\")");
    for (std::sregex_iterator it(svg.begin(), svg.end(), tag), end; it != end; ++it) {
        const std::string name = (*it)[2];
        if (name == "g" && (*it)[1] == "/") {
            open.pop_back();
            continue;
        }
        Element e{
            name, {}, std::string((*it)[0].second, std::find((*it)[0].second, svg.end(), '<'))};
        const std::string attributes = (*it)[3];
        for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute); a != end; ++a)
            e.at[(*a)[1]] = (*a)[2];
        if (name == "g") {
            open.push_back(e.at["id"]);
            groups[open.back()];
        } else if (!open.empty() && (*it)[1] != "/") {
            groups[open.back()].push_back(e);
        }
    }
    return groups;
}

std::vector<Element> named(const std::vector<Element>& elements, const std::string& name) {
    std::vector<Element> out;
    for (const Element& e : elements)
        if (e.name == name) out.push_back(e);
    return out;
}

class Picture : public ::testing::Test {
protected:
    TempFolder dir;
    FakeHost host{dir.str()};

    Outcome run(const std::string& menu, std::optional<std::string> answer) {
        host.answer = std::move(answer);
        return findCommandByMenu(menu)->run(host);
    }
    std::string file(const std::string& name) { return readFile(dir.file(name)); }
};

// Keys 10 to 15 (15 twice: the first is the one referred to), a normal of
// key 7; outlines with unresolved references, one left with two vertices,
// a Kind 4 (no vertex references) and a Kind 12 with normals: 2 references
// unresolved, 2 outlines undrawn.
const std::string kVertexDef =
    crlf({"VERTICES:", "    10     0     0     0", "    11   100     0     0",
          "    12   100    50     0", "    13     0    50    20", "    15     7     7     7",
          "    15     8     8     8", "", "NORMALS:", "     7 0 0 1"});
const std::string kFlavorDef =
    crlf({"FILE  a.pmp", "", "FL02 4 0 0 4 10 11 12 99", "FL02 33 0 0 3 10 98 13",
          "FL02 58 4 0 1 5 6", "FL02 79 12 0 3 11 12 13 7 7 7", "FL04 120 1 4"});

TEST_F(Picture, ObjectFromDefinitionsInFourPanelsAtOneScale) {
    writeFile(dir.file("vertex.def"), kVertexDef);
    writeFile(dir.file("flavor.def"), kFlavorDef);
    ASSERT_EQ(run("mnu3doView", "").status, Status::Done);
    const auto groups = readSvg(file("definitions.svg"));
    EXPECT_NE(file("definitions.svg").find("unresolved references: 2, undrawn outlines: 2"),
              std::string::npos);
    // X spans 100, Y 50, Z 20: each panel shows its two at one scale.
    const std::map<std::string, double> ratios = {
        {"top", 100.0 / 50}, {"front", 100.0 / 20}, {"side", 50.0 / 20}};
    for (const char* id : {"top", "front", "side", "iso"}) {
        SCOPED_TRACE(id);
        const auto circles = named(groups.at(id), "circle");
        const auto polygons = named(groups.at(id), "polygon");
        ASSERT_EQ(circles.size(), 6u);
        EXPECT_EQ(circles[4].at.at("data-key"), "15");
        ASSERT_EQ(polygons.size(), 2u);
        // Wireframes, but for the isometric view's faces, filled far first.
        const std::string iso = id == std::string("iso") ? "79" : "4";
        EXPECT_EQ(polygons[0].at.at("data-offset"), iso);
        EXPECT_EQ(polygons[1].at.at("data-offset"), iso == "4" ? "79" : "4");
        for (const Element& p : polygons)
            EXPECT_EQ(p.at.at("fill") == "none", iso == "4") << p.at.at("fill");
        if (!ratios.count(id)) continue;
        double low[2] = {1e9, 1e9}, high[2] = {-1e9, -1e9};
        for (std::size_t i = 0; i < 4; ++i)
            for (int a = 0; a < 2; ++a) {
                const double v = circles[i].number(a ? "cy" : "cx");
                low[a] = std::min(low[a], v);
                high[a] = std::max(high[a], v);
            }
        EXPECT_NEAR((high[0] - low[0]) / (high[1] - low[1]), ratios.at(id), 0.02);
    }
    EXPECT_EQ(named(groups.at("top"), "circle")[0].at.count("data-key"), 1u);
    EXPECT_NE(file("definitions.svg").find("<title>key 12: 100, 50, 0</title>"), std::string::npos);

    // The same object for a 3D editor: vertices 15 (both) are in no face.
    // A definition file chosen in any letter case stands for both.
    ASSERT_EQ(run("mnu3doExport", dir.file("FLAVOR.DEF")).status, Status::Done);
    const auto lines = splitLines(file("definitions.obj"), "\n");
    const std::vector<std::string> body(lines.begin() + 3, lines.end());
    EXPECT_EQ(body, (std::vector<std::string>{"o definitions", "v 0 0 0", "v 100 0 0",
                                              "v 100 0 -50", "v 0 20 -50", "v 7 7 -7", "v 8 8 -8",
                                              "vn 0 1 0", "# flavor 4", "f 1 2 3", "# flavor 79",
                                              "f 2//1 3//1 4//1", "l 5 6"}));
    EXPECT_NE(lines[1].find("2 unresolved references, 2 undrawn outlines"), std::string::npos);
    EXPECT_EQ(host.notices.back(),
              "vertex.def and flavor.def: 2 unresolved references, 2 undrawn outlines");
}

TEST_F(Picture, PaintedCubeInksItsProjectedCornersOnly) {
    ASSERT_EQ(run("mnu3doView", sample("cube.3do")).status, Status::Done);
    const auto groups = readSvg(file("cube.svg"));
    EXPECT_EQ(named(groups.at("top"), "polygon").size(), 6u);
    // From above the 8 corners fall on the 4 corners of a square; the
    // middle of the square stays paper.
    double cx = 0;
    for (const Element& c : named(groups.at("top"), "circle")) cx += c.number("cx") / 8;
    std::map<std::pair<long, long>, int> corners;
    for (const Element& c : named(groups.at("top"), "circle"))
        ++corners[{std::lround(c.number("cx") - cx), std::lround(c.number("cy"))}];
    ASSERT_EQ(corners.size(), 4u);
    const auto [first, count] = *corners.begin();
    EXPECT_EQ(count, 2);
    EXPECT_EQ(first.first, -corners.rbegin()->first.first);
}

// The texts of a group that are numbers, with where they stand.
std::vector<Element> numbers(const std::vector<Element>& elements) {
    std::vector<Element> out;
    for (const Element& e : named(elements, "text"))
        if (!e.content.empty() && !e.at.count("data-section") &&
            e.content.find_first_not_of("-0123456789.") == std::string::npos)
            out.push_back(e);
    return out;
}

TEST_F(Picture, AxesCarryNumbersInTheFilesUnits) {
    ASSERT_EQ(run("mnu3doView", sample("cube.3do")).status, Status::Done);
    const auto groups = readSvg(file("cube.svg"));
    // The cube spans -100 to 100 on every axis: the number 0 of each axis
    // stands at the middle of the corners, along the bottom and the left.
    for (const char* id : {"top", "front", "side"}) {
        SCOPED_TRACE(id);
        const auto circles = named(groups.at(id), "circle");
        double x = 0, y = 0;
        for (const Element& c : circles) x += c.number("cx") / 8, y += c.number("cy") / 8;
        const Element frame = named(groups.at(id), "rect").at(0);
        std::vector<double> along, up;
        for (const Element& n : numbers(groups.at(id))) {
            if (n.at.count("text-anchor")) {  // centred under its tick
                EXPECT_NEAR(n.number("y"), frame.number("y") + frame.number("height") - 5.4, 0.1);
                along.push_back(n.number("x"));
                if (n.content == "0") {
                    EXPECT_NEAR(n.number("x"), x, 0.1);
                }
            } else {  // standing on its tick
                up.push_back(n.number("y"));
                if (n.content == "0") {
                    EXPECT_NEAR(n.number("y"), y - 2.4, 0.1);
                }
            }
        }
        EXPECT_GE(along.size(), 3u);
        EXPECT_GE(up.size(), 3u);
        EXPECT_TRUE(std::is_sorted(along.begin(), along.end()));
    }
    // The isometric view has a scale bar and no numbers.
    EXPECT_TRUE(numbers(groups.at("iso")).empty());
    const auto texts = named(groups.at("iso"), "text");
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                            [](const Element& e) { return e.content == "scale: 100 units"; }));

    // A track's numeric axes: the distance along the lap, both coordinates,
    // the banking heights.
    ASSERT_EQ(run("mnuTrkView", sample("speedway.trk")).status, Status::Done);
    const auto track = readSvg(file("speedway.svg"));
    std::map<std::string, std::vector<std::string>> shown;
    for (const char* id : {"strip", "plan", "banking-height-1"})
        for (const Element& n : numbers(track.at(id))) shown[id].push_back(n.content);
    std::vector<std::string> lap;  // 245664 long
    for (int start = 0; start <= 210000; start += 10000) lap.push_back(std::to_string(start));
    EXPECT_EQ(shown["strip"], lap);
    EXPECT_GE(shown["plan"].size(), 8u);
    EXPECT_EQ(shown["banking-height-1"],
              (std::vector<std::string>{"0", "200", "400", "600", "800", "1000"}));
}

TEST_F(Picture, TrackPanelsCarryTheirSections) {
    ASSERT_EQ(run("mnuTrkView", sample("speedway.trk")).status, Status::Done);
    const auto groups = readSvg(file("speedway.svg"));
    std::map<std::string, int> perSection;
    for (const Element& e : groups.at("strip"))
        if (e.at.count("data-section")) ++perSection[e.at.at("data-section")];
    // Band, number, walls and three surface stretches each.
    EXPECT_EQ(perSection, (std::map<std::string, int>{{"1", 6}, {"2", 6}, {"3", 6}, {"4", 6}}));
    EXPECT_TRUE(groups.count("banking"));
    for (const char* id :
         {"banking-height-1", "banking-height-2", "banking-height-3", "banking-init-hgt"})
        EXPECT_EQ(std::count_if(groups.at(id).begin(), groups.at(id).end(),
                                [](const Element& e) { return e.at.count("data-eline"); }),
                  4)
            << id;
    // Two straights with 4 E-lines each, and two turn centres.
    EXPECT_EQ(named(groups.at("plan"), "circle").size(), 10u);
}

// vertex.def with a normal and lines in other columns that stay as they are.
const std::string kPositionsDef = crlf({"REM  keep me", "VERTICES:", "  1   10 20 30",
                                        "     2            0            0     16777217", "",
                                        "NORMALS:", "     0            0            0         1"});

TEST_F(Picture, PositionsRoundHalvesToEvenAndKeepFloatRoundedValues) {
    writeFile(dir.file("vertex.def"), kPositionsDef);
    // Words apart by tabs and spaces, CR LF line ends, a comment longer
    // than any line the reading holds.
    writeFile(dir.file("edit.obj"), "o x\r\nv\t10.0 30.0\t -20.0\r\n# " +
                                        std::string(3 << 20, '#') +
                                        "\nv  2.5\t16777216.0 3.5 \t\r\nl\t1 2\r\n");
    ASSERT_EQ(run("mnu3doPositions", dir.file("edit.obj")).status, Status::Done);
    EXPECT_EQ(file("vertex.def"), crlf({"REM  keep me", "VERTICES:", "  1   10 20 30",
                                        "     2            2           -4     16777217", "",
                                        "NORMALS:", "     0            0            0         1"}));
}

TEST_F(Picture, PositionsRefusalsLeaveVertexDefAsItWas) {
    // An OBJ, and what the refusal of it says.
    const std::pair<std::string, std::string> cases[] = {
        {"v 1 2 3\n", "edit.obj has 1 vertices, vertex.def has 2"},
        {"v 1 2 3\nv 1 2 3\nv 1 2 3\n", "edit.obj:3: more vertices than the 2 of vertex.def"},
        // The range is that of vertex.def's values: y is the third value
        // negated.
        {"v 1 2 3\n\nv 1 2 -2147483648\n", "edit.obj:3: y 2147483648 does not fit a 32-bit"},
        {"v 1 2 3\nv 1 2.2e9 3\n", "edit.obj:2: z 2200000000 does not fit"},
        {"v 1 2 3\nv -2147483649 2 3\n", "edit.obj:2: x -2147483649 does not fit"},
        {"# x\nv 1 2 x\nv 1 2 3\n", "edit.obj:2: a v line needs numbers; \"x\" is not one"},
        {"v 1 2\nv 1 2 3\n", "edit.obj:1: a v line holds x, y and z"},
        {"v 1 2 3\nv nan 2 3\n", "edit.obj:2: a v line needs numbers"},
        {"v 1\f2\v3 4\x1B\n", "edit.obj:1: a v line needs numbers; \"4\\x1b\" is not one"},
        // The reading holds at most 1 MiB of a line, and stops at the first
        // v line too many.
        {"v 1 2 3" + std::string(1 << 20, ' ') + "\n",
         "edit.obj:1: a v line longer than 1048576 bytes"},
        {"v 1 2 3\nv 1 2 3\nv 1 2 3" + std::string(1 << 20, ' ') + "\n",
         "edit.obj:3: more vertices than the 2 of vertex.def"},
    };
    writeFile(dir.file("vertex.def"), kPositionsDef);
    for (const auto& [obj, reason] : cases) {
        SCOPED_TRACE(obj);
        writeFile(dir.file("edit.obj"), obj);
        const Outcome outcome = run("mnu3doPositions", dir.file("edit.obj"));
        EXPECT_EQ(outcome.status, Status::Failed);
        EXPECT_NE(outcome.reason.find(reason), std::string::npos) << outcome.reason;
        EXPECT_EQ(file("vertex.def"), kPositionsDef);
    }
    EXPECT_EQ(folderNames(dir.str()), (std::vector<std::string>{"edit.obj", "vertex.def"}));
}

// Whether `text` is UTF-8 of XML 1.0's characters only: #x9, #xA, #xD,
// #x20-#xD7FF, #xE000-#xFFFD and #x10000-#x10FFFF.
bool xmlCharacters(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const std::size_t n = b < 0x80 ? 1 : b < 0xC0 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (n == 0 || i + n > text.size()) return false;
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            c = c << 6 | (t & 0x3F);
        }
        constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};  // else overlong
        if (c < kLeast[n] || c > 0x10FFFF) return false;
        if (!(c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
              (c >= 0xE000 && c <= 0xFFFD) || c >= 0x10000))
            return false;
        i += n;
    }
    return true;
}

TEST(Svg, TextOutsideXmlCharactersIsWrittenAsReplacementCharacters) {
    // U+FFFE, U+FFFF, a control byte, a surrogate, a byte that begins
    // nothing, an overlong slash, a code point past U+10FFFF and a cut
    // sequence; and what stays: U+FFFD, tab, DEL, U+1F600, U+1FFFE.
    const std::string name =
        "a\xEF\xBF\xBE"
        "b\xEF\xBF\xBF"
        "c\x01"
        "d\xED\xA0\x80"
        "e\xFF"
        "f\xC0\xAF"
        "g\xF4\x90\x80\x80"
        "h\xEF\xBF\xBD\t\x7F\xF0\x9F\x98\x80\xF0\x9F\xBF\xBE<&\">"
        "\xEF\xBF";
    const std::string r = "\xEF\xBF\xBD";
    const std::string shown =
        "a" + r + "b" + r + "c" + r + "d" + r + r + r + "e" + r + "f" + r + r + "g" + r + r + r +
        r + "h" + r + "\t\x7F\xF0\x9F\x98\x80\xF0\x9F\xBF\xBE" + "&lt;&amp;&quot;&gt;" + r + r;
    picture::Drawing d(100, 100);
    picture::Panel& p = d.panels.emplace_back();
    p.id = name;
    p.texts.push_back(picture::textAt({1, 2}, name));
    std::string svg;
    picture::writeSvg(d, [&svg](std::string_view piece) { svg += piece; });
    EXPECT_TRUE(xmlCharacters(svg));
    EXPECT_NE(svg.find("<g id=\"" + shown + "\">"), std::string::npos) << svg;
    EXPECT_NE(svg.find(">" + shown + "</text>"), std::string::npos) << svg;
}

TEST(DrawingModel, PointedDotAndRoundLengths) {
    picture::Drawing d(100, 100);
    d.keep("a");
    d.keep("b");
    picture::Panel& p = d.panels.emplace_back();
    p.frame = {0, 0, 100, 100};
    p.place({0, 0}, {10, 10}, 10, 10);
    p.dots.push_back({{2, 3}, 0, 0, picture::kNoText, picture::kInk});
    p.dots.push_back({{2, 4}, 0, 1, picture::kNoText, picture::kInk});
    // Panel y is up: (2, 4) lies 10 page units above (2, 3).
    const auto hit = picture::dotAt(d, p.toPage({2, 3.9}), 3);
    ASSERT_TRUE(hit);
    EXPECT_EQ(d.textOf(hit->dot->title), "b");
    EXPECT_FALSE(picture::dotAt(d, p.toPage({5, 5}), 3));
    for (const auto& [most, length] :
         {std::pair{740.0, 500.0}, {1.0, 1.0}, {0.3, 0.2}, {19.9, 10.0}})
        EXPECT_EQ(picture::roundLength(most), length) << most;
}

TEST(DrawingModel, SolidsTurnAboutTheirCentreFarFacesFirst) {
    // Two squares one above the other, a wall between them, and a dot for
    // each corner.
    auto solid = std::make_shared<picture::Solid>();
    for (const double z : {0.0, 10.0})
        for (const auto& [x, y] : {std::pair{0.0, 0.0}, {4.0, 0.0}, {4.0, 4.0}, {0.0, 4.0}})
            solid->vertices.push_back({x, y, z});
    solid->corners = {4, 5, 6, 7, 0, 1, 2, 3, 0, 3, 7, 4};
    solid->faces = {{0, 4, {"face", 1}}, {4, 4, {"face", 2}}, {8, 4, {"face", 3}}};
    solid->centre = {2, 2, 5};
    solid->tint = {0, 110, 60};
    solid->title = "Isometric";
    picture::Panel p;
    p.dots.resize(8);
    p.solid = solid;
    const auto middle = [&p] {
        picture::Vec2 m;
        for (const picture::Dot& d : p.dots) m = {m.x + d.at.x / 8, m.y + d.at.y / 8};
        return m;
    };
    picture::project(p, {});
    EXPECT_EQ(p.title, "Isometric");
    const picture::Vec2 centre = middle();
    // Seen from above: the lower square first, the upper one last, the
    // centre where it was; from below the other way round.
    picture::project(p, {0, 90});
    EXPECT_EQ(p.title, "Turn 0\xC2\xB0, tilt 90\xC2\xB0");
    ASSERT_EQ(p.paths.size(), 3u);
    EXPECT_EQ(p.paths[0].data.value, 2);
    EXPECT_EQ(p.paths[2].data.value, 1);
    EXPECT_NEAR(middle().x, centre.x, 1e-9);
    EXPECT_NEAR(middle().y, centre.y, 1e-9);
    EXPECT_NEAR(p.dots[2].at.x - p.dots[0].at.x, 4, 1e-9);
    // Lit from above the one who looks: the squares seen square on are
    // lighter than the wall seen edge on, each a light shade of the tint.
    const picture::Rgb square = *p.paths[2].fill, wall = *p.paths[1].fill;
    EXPECT_GT(square.r, wall.r);
    EXPECT_GT(wall.r, 150);
    EXPECT_LT(square.r, 255);
    picture::project(p, {0, -90});
    EXPECT_EQ(p.paths[0].data.value, 1);
    EXPECT_EQ(p.paths[2].data.value, 2);
}

}  // namespace
}  // namespace z5
