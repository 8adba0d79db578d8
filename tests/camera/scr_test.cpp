#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <vector>

#include "camera/camera.hpp"
#include "tests/camera/fixture.hpp"

namespace z5 {
namespace {

using test::Bytes;
using test::crlf;
using test::FakeHost;
using test::joinCrlf;
using test::readFile;
using test::splitCrlf;
using test::TempFolder;
using test::writeFile;

using ScrCamera = std::array<std::int32_t, 4>;

std::string scrFile(std::int32_t types, const std::vector<ScrCamera>& tv1,
                    const std::vector<ScrCamera>& tv2) {
    Bytes b;
    b.i32(types)
        .i32(static_cast<std::int32_t>(tv1.size()))
        .i32(static_cast<std::int32_t>(tv2.size()));
    for (const auto* feed : {&tv1, &tv2})
        for (const auto& camera : *feed)
            for (auto v : camera) b.i32(v);
    return b.str();
}

struct ScrFixture : test::PairFixture {
    ScrFixture()
        : PairFixture({"x.scr", "scr.def", "New.scr", mnuScrDecompile_Click, mnuScrCompile_Click}) {
    }
};

TEST_F(ScrFixture, HeaderOnlyFile) {
    const std::string bytes = scrFile(-5, {}, {});
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
    const std::string bytes =
        scrFile(3, {{1, 2, 3, 4}, {INT_MIN, 0, -1, INT_MAX}}, {{-40, 30, -20, 10}});
    const std::vector<std::string> lines = splitCrlf(decompile(bytes + "more"));
    ASSERT_EQ(lines.size(), 31u);
    const std::vector<std::string> tail(lines.begin() + 17, lines.end());
    EXPECT_EQ(
        tail,
        (std::vector<std::string>{
            "TV 1 Camera:", "============", "Value 1:    -2147483648", "Value 2:              0",
            "Value 3:             -1", "Value 4:     2147483647", "",
            "TV 2 Camera:", "============", "Value 1:            -40", "Value 2:             30",
            "Value 3:            -20", "Value 4:             10", ""}));
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(compiled(), bytes);
    EXPECT_EQ(bytes.size(), 60u);
}

TEST_F(ScrFixture, CountRaisedWithoutABlockRunsOutOfLines) {
    std::vector<std::string> lines =
        splitCrlf(decompile(scrFile(3, {{1, 2, 3, 4}, {5, 6, 7, 8}}, {{9, 10, 11, 12}})));
    lines[6].back() = '3';
    const Outcome o = compile(joinCrlf(lines));
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_EQ(o.reason, "Scr.def:32: unexpected end of file");
    // The TV 2 block was read as the third TV 1 camera.
    Bytes expected;
    expected.i32(3).i32(3).i32(1);
    for (std::int32_t v = 1; v <= 12; ++v) expected.i32(v);
    EXPECT_EQ(compiled(), expected.str());
}

TEST_F(ScrFixture, CountsAboveTheBlockCounterFail) {
    writeFile(dir.file("x.scr"), Bytes().i32(0).i32(0).i32(40000).str());
    host.answer = dir.file("x.scr");
    Outcome o = mnuScrDecompile_Click(host);
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_EQ(o.reason, dir.file("x.scr") + ": TV 2 camera count 40000 is above 32767");

    std::vector<std::string> lines = splitCrlf(decompile(scrFile(0, {}, {})));
    lines[7].replace(lines[7].size() - 5, 5, "32768");
    o = compile(joinCrlf(lines));
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_EQ(o.reason, "Scr.def:8: count 32768 is above 32767");
}

}  // namespace
}  // namespace z5
