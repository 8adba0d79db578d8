// The picture window's decisions without a toolkit: the files it follows
// and how it draws them again, zooming, moving and turning, the size it
// opens with and the size of its texts.
#include "window/picture.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "commands/table.hpp"
#include "picture/svg.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using namespace test;

std::string svgOf(const picture::Drawing& drawing) {
    std::string svg;
    picture::writeSvg(drawing, [&svg](std::string_view piece) { svg += piece; });
    return svg;
}

// A picture as the window opens it: `menu`'s row run on `chosen` in `dir`,
// with the files it read.
PictureController opened(const TempFolder& dir, std::string_view menu, const std::string& chosen) {
    struct ReadingHost : FakeHost {
        using FakeHost::FakeHost;
        void reading(const std::string& path) override { read.push_back(path); }
        std::vector<std::string> read;
    } host(dir.str());
    host.answer = chosen;
    const CommandEntry& row = *findCommandByMenu(menu);
    std::optional<picture::Drawing> drawing;
    if (row.runDrawing(host, drawing).status != Status::Done)
        throw std::runtime_error("no picture");
    return PictureController(std::move(*drawing), [folder = dir.str()] { return folder; },
                             {&row, chosen, dir.str(), host.read});
}

std::string sample(const char* name) {
    return (std::filesystem::path(Z5_SAMPLES_DIR) / name).string();
}

// Saved as editors often save: a new file renamed over the old one.
void save(const std::string& path, const std::string& text) {
    writeFile(path + ".new", text);
    std::filesystem::rename(path + ".new", path);
}

TEST(PictureController, FollowsItsFilesAndKeepsTheLastPictureWhileTheyDoNotRead) {
    TempFolder dir;
    FakeHost decompile(dir.str());
    decompile.answer = sample("cube.3do");
    ASSERT_EQ(findCommandByMenu("mnu3doDecompile")->run(decompile).status, Status::Done);
    const std::string vertices = readFile(dir.file("vertex.def")),
                      flavors = readFile(dir.file("flavor.def"));
    const auto moved = [&](const std::string& from, const std::string& to) {
        std::string text = vertices;
        return text.replace(text.find(from), from.size(), to);
    };
    const std::string corner1 = "     1          100";
    PictureController picture = opened(dir, "mnu3doView", "");
    EXPECT_EQ(picture.watchedFiles(),
              (std::vector<std::string>{dir.file("vertex.def"), dir.file("flavor.def")}));
    EXPECT_EQ(picture.watchedFolders(), std::vector<std::string>{dir.str()});
    EXPECT_FALSE(picture.reload());  // nothing changed

    // The top panel zoomed about a point, which stays under the pointer.
    const picture::Panel& top = picture.shown().panels[1];
    const picture::Vec2 at{top.frame.left + 100, top.frame.top + 150};
    const picture::Vec2 unit = top.fromPage(at);
    const double width = picture.drawing().width, height = picture.drawing().height;
    ASSERT_TRUE(picture.wheel(at.x, at.y, 2, width, height));
    EXPECT_NEAR(top.scaleX, picture.drawing().panels[1].scaleX * 1.5625, 1e-9);
    EXPECT_NEAR(top.fromPage(at).x, unit.x, 1e-9);
    EXPECT_NEAR(top.fromPage(at).y, unit.y, 1e-9);
    const double zoomed = top.scaleX;

    // A save that reads: drawn again, the zoom kept.
    save(dir.file("vertex.def"), moved(corner1, "     1          300"));
    ASSERT_TRUE(picture.reload());
    EXPECT_EQ(picture.shown().panels[1].dots[1].at.x, 300);
    EXPECT_EQ(picture.shown().panels[1].scaleX, zoomed);
    EXPECT_EQ(picture.status(), "");

    // One that does not: the last picture, the reason and the departures.
    save(dir.file("vertex.def"), moved(corner1, "     1          4x0"));
    std::filesystem::remove(dir.file("flavor.def"));
    ASSERT_TRUE(picture.reload());
    EXPECT_EQ(picture.shown().panels[1].dots[1].at.x, 300);
    EXPECT_EQ(picture.drawing().panels[1].dots[1].at.x, 300);
    const std::string status = picture.status();
    EXPECT_NE(status.find("flavor.def"), std::string::npos) << status;
    EXPECT_NE(status.find("; vertex.def:8:"), std::string::npos) << status;
    EXPECT_FALSE(picture.reload());  // still the same files

    // It reads again: the picture, and its departure until it is mended.
    save(dir.file("flavor.def"), flavors);
    ASSERT_TRUE(picture.reload());
    EXPECT_EQ(picture.shown().panels[1].dots[1].at.x, 4);
    EXPECT_EQ(picture.status().find("vertex.def:8:"), 0u) << picture.status();
    EXPECT_NE(picture.shown().panels[0].texts[0].text.find("1 warning"), std::string::npos);
    save(dir.file("vertex.def"), vertices);
    ASSERT_TRUE(picture.reload());
    EXPECT_EQ(picture.status(), "");
}

TEST(PictureController, ZoomMoveAndTurnLeaveTheSvgAsDrawn) {
    TempFolder dir;
    PictureController picture =
        opened(dir, "mnu3doView", std::string(Z5_SAMPLES_DIR) + "/cube.3do");
    EXPECT_EQ(picture.watchedFiles(),
              std::vector<std::string>{std::string(Z5_SAMPLES_DIR) + "/cube.3do"});
    const std::string drawn = svgOf(picture.drawing());
    const double width = picture.drawing().width, height = picture.drawing().height;
    const auto middle = [&](std::size_t panel) {
        const picture::Frame& f = picture.shown().panels[panel].frame;
        return picture::Vec2{f.left + f.width / 2, f.top + f.height / 2};
    };

    // The title block neither zooms nor moves; the top panel moves.
    EXPECT_FALSE(picture.wheel(20, 20, 1, width, height));
    picture.press(20, 20, PictureController::Button::Left, width, height);
    EXPECT_FALSE(picture.drag(40, 40, width, height));
    const picture::Vec2 t = middle(1), origin = picture.shown().panels[1].origin;
    picture.press(t.x, t.y, PictureController::Button::Left, width, height);
    ASSERT_TRUE(picture.drag(t.x + 30, t.y - 10, width, height));
    picture.release();
    EXPECT_FALSE(picture.drag(t.x + 60, t.y, width, height));
    EXPECT_EQ(picture.shown().panels[1].origin.x, origin.x + 30);
    EXPECT_EQ(picture.shown().panels[1].origin.y, origin.y - 10);

    // The right button turns the isometric panel only, its title saying how.
    picture.press(t.x, t.y, PictureController::Button::Right, width, height);
    EXPECT_FALSE(picture.drag(t.x + 20, t.y + 10, width, height));
    const picture::Vec2 iso = middle(2);
    const picture::Vec2 corner = picture.shown().panels[2].dots[0].at;
    picture.press(iso.x, iso.y, PictureController::Button::Right, width, height);
    ASSERT_TRUE(picture.drag(iso.x + 20, iso.y + 10, width, height));
    EXPECT_EQ(picture.shown().panels[2].title, "Turn 35\xC2\xB0, tilt 40\xC2\xB0");
    EXPECT_NE(picture.shown().panels[2].dots[0].at.x, corner.x);

    // Saved as drawn; Home shows it so again.
    EXPECT_EQ(svgOf(picture.drawing()), drawn);
    FakeHost host(dir.str());
    host.answer = dir.file("saved.svg");
    EXPECT_FALSE(picture.save(host));
    EXPECT_EQ(readFile(dir.file("saved.svg")), drawn);
    EXPECT_TRUE(picture.home());
    EXPECT_EQ(svgOf(picture.shown()), drawn);
    EXPECT_FALSE(picture.home());
}

TEST(PictureController, OpensWithinTheScreenWithTextsNoSmallerThanItsMenus) {
    TempFolder dir;
    PictureController track = opened(dir, "mnuTrkView", sample("speedway.trk"));
    const double width = track.drawing().width, height = track.drawing().height;
    // A screen of 1280 x 800 with a frame, a menu bar and a status bar.
    const auto small = track.startSize(1264, 720);
    EXPECT_LE(small.width, 1264);
    EXPECT_LE(small.height, 720);
    EXPECT_NEAR(double(small.width) / small.height, width / height, 0.01);
    const auto large = track.startSize(4000, 4000);
    EXPECT_EQ(large.width, int(width * 0.8));
    EXPECT_EQ(large.height, int(height * 0.8));

    // A 9 point text at 96 dpi is 12 pixels, the menu's 15 when it is larger,
    // whatever the scale of the page.
    track.setScreenText(96 / 72.0, 15);
    for (const double scale : {0.5, 1.0, 2.0}) {
        const picture::TextScale text = track.textScale({scale, {}});
        EXPECT_NEAR(text.page(picture::kTextSize) * scale, 15, 1e-9) << scale;
        EXPECT_NEAR(text.page(20) * scale, 20 * 96 / 72.0, 1e-9) << scale;
    }
}

}  // namespace
}  // namespace z5
