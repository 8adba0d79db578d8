#include <gtest/gtest.h>

#include "tests/support/support.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/failure.hpp"
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
}

TEST(TextWriter, EmptiesAnExistingFileAndKeepsLinesWrittenBeforeAFailure) {
    TempFolder dir;
    writeFile(dir.file("a.def"), "old old old old");
    {
        TextWriter w(dir.file("a.def"), "a.def");
        w.line("new");
        // not closed: the failure path still leaves what was written
    }
    EXPECT_EQ(readFile(dir.file("a.def")), "new\r\n");
    EXPECT_THROW(TextWriter(dir.file("missing/a.def"), "a.def"), CommandFailure);
}

TEST(TextReader, LineEndsOfEverySystemReadAlike) {
    TempFolder dir;
    writeFile(dir.file("t"), "a\r\nb\rc\nd\r\r\ne");
    TextReader r(dir.file("t"), "t.def");
    std::vector<std::string> lines;
    while (!r.atEnd()) lines.push_back(r.readLine());
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(r.lineNumber(), 6);
    try {
        r.readLine();
        FAIL() << "reading past the end must fail";
    } catch (const CommandFailure& e) {
        EXPECT_STREQ(e.what(), "t.def:7: unexpected end of file");
    }
}

TEST(TextReader, CrLfSplitAcrossBufferBoundary) {
    TempFolder dir;
    std::string first(65535, 'x');
    writeFile(dir.file("t"), first + "\r\nnext\r\n");
    TextReader r(dir.file("t"), "t");
    EXPECT_EQ(r.readLine(), first);
    EXPECT_EQ(r.readLine(), "next");
    EXPECT_TRUE(r.atEnd());
}

TEST(TextReader, EmptyFileAndFailReasons) {
    TempFolder dir;
    writeFile(dir.file("e"), "");
    TextReader r(dir.file("e"), "Trk.def");
    EXPECT_TRUE(r.atEnd());
    EXPECT_THROW(r.readLine(), CommandFailure);
    try {
        r.fail("expected 13 fields");
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

TEST(BinaryWriter, WritesLittleEndianAndEmptiesOldFile) {
    TempFolder dir;
    writeFile(dir.file("o"), std::string(50, 'x'));
    BinaryWriter w(dir.file("o"), "o");
    w.i32(-2);
    w.i16(258);
    w.u8(9);
    w.f32(1.0f);
    EXPECT_EQ(w.position(), 11);
    w.close();
    EXPECT_EQ(readFile(dir.file("o")), Bytes().i32(-2).i16(258).u8(9).f32(1.0f).str());
}

TEST(BinaryWriter, ReplaceModeTouchesTheTargetOnlyOnSuccess) {
    TempFolder dir;
    writeFile(dir.file("car.stg"), "original");
    {
        BinaryWriter w(dir.file("car.stg"), "car.stg", BinaryWriter::Mode::Replace);
        w.i32(1);
        // abandoned without close: as if the compile failed half-way
    }
    EXPECT_EQ(readFile(dir.file("car.stg")), "original");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    {
        BinaryWriter w(dir.file("car.stg"), "car.stg", BinaryWriter::Mode::Replace);
        w.i32(1);
        w.close();
    }
    EXPECT_EQ(readFile(dir.file("car.stg")), Bytes().i32(1).str());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(BinaryWriter, DiscardRemovesThePartialFile) {
    TempFolder dir;
    BinaryWriter w(dir.file("member"), "member");
    w.u8(1);
    w.discard();
    EXPECT_FALSE(test::fileExists(dir.file("member")));
}

}  // namespace
}  // namespace z5
