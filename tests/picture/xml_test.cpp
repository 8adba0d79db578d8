// Pictures are XML a browser shows: the check the fuzz targets make of every
// picture, on the samples' pictures and on texts of every kind of byte, and
// on what it must refuse.
#include "tests/support/xml.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "commands/table.hpp"
#include "picture/svg.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using namespace test;

TEST(WellFormedXml, PicturesOfSamplesAndOfAnyTextAreWellFormed) {
    TempFolder dir;
    FakeHost host(dir.str());
    for (const char* name : {"box.3do", "cube.3do", "wheel.3do", "oval.trk", "speedway.trk"}) {
        const std::filesystem::path sample = std::filesystem::path(Z5_SAMPLES_DIR) / name;
        host.answer = sample.string();
        const bool track = sample.extension() == ".trk";
        ASSERT_EQ(findCommandByMenu(track ? "mnuTrkView" : "mnu3doView")->run(host).status,
                  Status::Done);
        EXPECT_TRUE(wellFormedXml(readFile(dir.file(sample.stem().string() + ".svg")))) << name;
    }

    // Markup, quotes, control characters, bytes that are not UTF-8, an
    // encoded surrogate and an overlong form, in every place a text goes.
    const std::string texts = "<a> & \"b\" 'c' \x01\x1F\x7F \xFF\xC3 \xED\xA0\x80 \xC0\xAF";
    picture::Drawing drawing(100, 100);
    picture::Panel& panel = drawing.panels.emplace_back();
    panel.id = panel.group = panel.title = panel.xLabel = panel.yLabel = texts;
    panel.texts.push_back(picture::textAt({1, 1}, texts));
    panel.dots.push_back({{2, 2}, 7, drawing.keep(texts), drawing.keep(texts)});
    std::string svg;
    picture::writeSvg(drawing, [&svg](std::string_view piece) { svg += piece; });
    EXPECT_TRUE(wellFormedXml(svg)) << svg;
}

TEST(WellFormedXml, RefusesWhatABrowserRefuses) {
    EXPECT_TRUE(
        wellFormedXml("<?xml version=\"1.0\"?>\n<svg a=\"1\" b='&amp;&#65;&#x41;'>"
                      "<g><text>\xC3\xA9 &lt;</text></g><!-- note --><c/></svg>\n"));
    // clang-format off
    const char* const bad[] = {
        // Structure: no root, two roots, text outside the root, unclosed,
        // crossed or cut elements, a '<' in a name.
        "", "<a/><b/>", "x<a/>", "<a/>x", "<a>", "<a></b>", "<a", "<a<b/>",
        // Attributes: twice, unquoted, not apart, a name from a digit, a '<'.
        "<a b=\"1\" b=\"2\"/>", "<a b=1/>", "<a b=\"1\"c=\"2\"/>", "<a 1b=\"2\"/>",
        "<a b=\"<\"/>",
        // References and '<' in text.
        "<a>&x;</a>", "<a>&</a>", "<a>&#;</a>", "<a>a<</a>",
        // Characters: a control, bytes that are not UTF-8 (alone, overlong,
        // a surrogate, cut short), and U+FFFE and U+FFFF.
        "<a>\x01</a>", "<a>\xFF</a>", "<a>\xC0\xAF</a>", "<a>\xED\xA0\x80</a>", "<a>\xC3</a>",
        "<a>\xEF\xBF\xBE</a>", "<a>\xEF\xBF\xBF</a>",
    };
    // clang-format on
    for (const char* text : bad) EXPECT_FALSE(wellFormedXml(text)) << text;
}

}  // namespace
}  // namespace z5
