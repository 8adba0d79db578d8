// z5def textconv: the definition files of a binary under their names, an
// archive's members, and one line for a file it cannot read; never a
// failure.
#include <gtest/gtest.h>

#include "tests/tools/builders.hpp"

namespace z5 {
namespace {

using namespace test;

struct Textconv : ::testing::Test {
    TempFolder dir{"z5textconv"};

    CliRun textconv(const std::string& name, const std::string& bytes) {
        writeFile(dir.file(name), bytes);
        return cli({"textconv", dir.file(name)});
    }
    // What the decompile row of `words` writes as `def`, with line feeds.
    std::string decompiled(const std::string& group, const std::string& name,
                           const std::string& def) {
        EXPECT_EQ(cli({"-C", dir.str(), "-q", group, "decompile", name}).status, 0);
        std::string text;
        for (const std::string& line : splitCrlf(readFile(dir.file(def)))) text += line + '\n';
        return text;
    }
};

TEST_F(Textconv, DefinitionFilesUnderTheirNames) {
    const std::vector<SectionSpec> sections = {{true, 0, 1000, 100, {3}}};
    CliRun r = textconv("made-up-name.trk", trackBytes(sections));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "==> Trk.def <==\n" + decompiled("trk", "made-up-name.trk", "Trk.def"));

    r = textconv("x.3do", smallObject().bytes());
    EXPECT_EQ(r.out, "==> vertex.def <==\n" + decompiled("3do", "x.3do", "vertex.def") +
                         "==> flavor.def <==\n" + decompiled("3do", "x.3do", "flavor.def"));

    // A setup's line 2 holds the name it stores, whatever its path.
    r = textconv("tmp_1234.stg", setupBytes("FAST", {250, 180, 132, 100}));
    const std::vector<std::string> lines = splitLines(r.out, "\n");
    ASSERT_GT(lines.size(), 3u);
    EXPECT_EQ(lines[0], "==> stg.def <==");
    EXPECT_EQ(lines[2], "     FAST");
}

TEST_F(Textconv, ArchivesMemberByMemberAndUnreadableFiles) {
    CliRun r = textconv("game.dat", archive({{"OVAL.TRK", trackBytes({{true, 0, 1000}})},
                                             {"CHECK.BIN", "123456789"}}));
    EXPECT_EQ(r.status, 0);
    const std::vector<std::string> lines = splitLines(r.out, "\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with("OVAL.TRK             156  trk  crc32 ")) << lines[0];
    EXPECT_EQ(lines[1], "CHECK.BIN              9  -    crc32 cbf43926");

    r = textconv("bad.trk", "123456789");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "z5def textconv: the file is not a track: it begins with \"1234\", not \"KART\" "
              "(9 bytes, crc32 cbf43926)\n");
    r = cli({"textconv", dir.file("missing")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with("z5def textconv: cannot open the file: ")) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1);
}

}  // namespace
}  // namespace z5
