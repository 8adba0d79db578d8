#include "camera/camera.hpp"
#include "tests/camera/fixture.hpp"

namespace z5 {
namespace {

using namespace test;

// A .scr file: camera types, the two counts, then four values per camera.
std::string scrFile(std::int32_t types, std::int32_t tv1, std::int32_t tv2, int cameras) {
    Bytes b;
    b.i32(types).i32(tv1).i32(tv2);
    for (std::int32_t v = 1; v <= 4 * cameras; ++v) b.i32(v % 2 ? v : -v);
    return b.str();
}

struct ScrFixture : PairFixture {
    ScrFixture()
        : PairFixture({"x.scr", "scr.def", "New.scr", mnuScrDecompile_Click, mnuScrCompile_Click}) {
    }
};

TEST_F(ScrFixture, HeaderOnlyFile) {
    const std::string bytes = scrFile(-5, 0, 0, 0);
    EXPECT_EQ(decompile(bytes),
              crlf({"SCR File", "Allows you to alter, add and delete positions",
                    "When adding or deleting, be sure to increase the TV1 or TV2 positions", "", "",
                    "Camera Types:             -5", "TV 1 Cameras:              0",
                    "TV 2 Cameras:              0", "", ""}));
    EXPECT_EQ(host.filters, std::vector<std::string>{"SCR Files(*.scr)|*.scr"});
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), bytes);
}

TEST_F(ScrFixture, TwoFeedsRoundTrip) {
    const std::string bytes = scrFile(3, 2, 1, 3);
    ASSERT_EQ(bytes.size(), 60u);
    const std::vector<std::string> lines = splitCrlf(decompile(bytes + "more"));
    ASSERT_EQ(lines.size(), 31u);
    const std::vector<std::string> tv2(lines.begin() + 24, lines.end());
    EXPECT_EQ(tv2,
              (std::vector<std::string>{"TV 2 Camera:", "============", "Value 1:              9",
                                        "Value 2:            -10", "Value 3:             11",
                                        "Value 4:            -12", ""}));
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), bytes);
}

TEST_F(ScrFixture, CountRaisedWithoutABlockRunsOutOfLines) {
    std::vector<std::string> lines = splitCrlf(decompile(scrFile(3, 2, 1, 3)));
    lines[6].back() = '3';
    const Outcome o = compile(lines);
    EXPECT_EQ(o.reason, "Scr.def:32: unexpected end of file");
    // The TV 2 block was read as the third TV 1 camera.
    EXPECT_EQ(compiled(), scrFile(3, 3, 1, 3));

    lines[7].replace(lines[7].size() - 5, 5, "32768");
    EXPECT_EQ(compile(lines).reason, "Scr.def:8: count 32768 is above 32767");
}

}  // namespace
}  // namespace z5
