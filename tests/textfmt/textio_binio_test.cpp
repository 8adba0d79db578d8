#include <gtest/gtest.h>

#include <filesystem>

#include "platform/failure.hpp"
#include "tests/support/support.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/textio.hpp"

namespace z5 {
namespace {

using test::Bytes;
using test::readFile;
using test::TempFolder;
using test::writeFile;

TEST(TextWriter, EndsLinesWithCrLfAndPassesBytesThrough) {
    TempFolder dir;
    {
        TextWriter w(dir.file("a.def"), "a.def");
        w.line("abc");
        w.text("x\xE9");
        w.line("");
        w.line(std::string(100000, 'z'));  // longer than the buffer
        w.close();
        w.close();  // closing twice does nothing
    }
    EXPECT_EQ(readFile(dir.file("a.def")), "abc\r\nx\xE9\r\n" + std::string(100000, 'z') + "\r\n");
    // A partial output replaces the target only when asked.
    TextWriter w(dir.file("a.def"), "a.def");
    w.line("new");
    w.closePartial();
    EXPECT_EQ(readFile(dir.file("a.def")), "new\r\n");
}

// Line ends of every system read alike; a byte order mark is skipped only
// at the start; a CR LF may straddle the read buffer.
TEST(TextReader, LinesOfEveryKindAndFailReasons) {
    TempFolder dir;
    const std::string longLine(65535 - 19, 'x');  // its CR at byte 65535, its LF in the next read
    writeFile(dir.file("t"),
              "\xEF\xBB\xBF"
              "a\r\nb\rc\nd\r\r\n\xEF\xBB\xBF\r\n" +
                  longLine + "\r\ne");
    TextReader r(dir.file("t"), "t.def");
    std::vector<std::string> lines;
    while (!r.atEnd()) lines.push_back(r.readLine());
    EXPECT_EQ(lines,
              (std::vector<std::string>{"a", "b", "c", "d", "", "\xEF\xBB\xBF", longLine, "e"}));
    EXPECT_EQ(r.lineNumber(), 8);
    try {
        r.readLine();
        FAIL() << "reading past the end must fail";
    } catch (const CommandFailure& e) {
        EXPECT_STREQ(e.what(), "t.def:9: unexpected end of file");
    }

    writeFile(dir.file("e"), "");
    TextReader empty(dir.file("e"), "Trk.def");
    EXPECT_TRUE(empty.atEnd());
    EXPECT_THROW(empty.readLine(), CommandFailure);
    try {
        empty.fail("expected 13 fields");
    } catch (const CommandFailure& e) {
        EXPECT_STREQ(e.what(), "Trk.def:1: expected 13 fields");
    }
    EXPECT_THROW(TextReader(dir.file("none"), "none"), CommandFailure);
}

TEST(BinaryReader, LittleEndianFieldsAndZerosPastTheEnd) {
    TempFolder dir;
    writeFile(dir.file("b"), Bytes().i32(-2).i16(-300).f32(0.5f).u8(7).u8(0x34).str());
    BinaryReader r(dir.file("b"), "b");
    EXPECT_EQ(r.size(), 12);
    EXPECT_EQ(r.i32(), -2);
    EXPECT_EQ(r.i16(), -300);
    EXPECT_EQ(r.f32(), 0.5f);
    EXPECT_EQ(r.u8(), 7);
    EXPECT_FALSE(r.atEnd());
    EXPECT_EQ(r.i32(), 0x34);  // one real byte, three zeros
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(r.position(), 15);
    EXPECT_EQ(r.u8(), 0);
    std::vector<std::uint8_t> big(200000, 0xAA);
    EXPECT_EQ(r.read(big), 0u);
    EXPECT_EQ(big[0], 0);
    EXPECT_EQ(big.back(), 0);
}

TEST(BinaryReader, LargeReadsMixWithBufferedOnes) {
    TempFolder dir;
    std::string data;
    for (int i = 0; i < 300000; ++i) data.push_back(static_cast<char>(i * 7));
    writeFile(dir.file("b"), data);
    BinaryReader r(dir.file("b"), "b");
    EXPECT_EQ(r.u8(), static_cast<std::uint8_t>(data[0]));
    std::vector<std::uint8_t> chunk(250000);
    EXPECT_EQ(r.read(chunk), chunk.size());
    EXPECT_EQ(std::string(chunk.begin(), chunk.end()), data.substr(1, 250000));
    std::vector<std::uint8_t> rest(60000);
    EXPECT_EQ(r.read(rest), 300000u - 250001u);
    EXPECT_EQ(std::string(rest.begin(), rest.begin() + 49999), data.substr(250001));
    EXPECT_EQ(rest[49999], 0);
}

}  // namespace
}  // namespace z5
