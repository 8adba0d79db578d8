#include <gtest/gtest.h>

#include "object3d/object3d.hpp"
#include "tests/object3d/objects.hpp"

namespace z5 {
namespace {

using namespace test;

constexpr std::int32_t kPerp = 0x50524550, kMron = 0x4E4F524D, kNrts = 0x5354524E,
                       kPrim = 0x5052494D;

// A PRIM section holding the given flavor bytes (root 4, length as stored).
std::string prim(const std::string& flavors) {
    return section(kPrim, static_cast<std::int32_t>(4 + flavors.size()),
                   Bytes().i32(4).str() + flavors);
}

struct Decompile : ::testing::Test {
    TempFolder dir;
    FakeHost host{dir.str()};

    Outcome run(const std::string& bytes) {
        writeFile(dir.file("obj.3do"), bytes);
        host.answer = dir.file("obj.3do");
        return mnu3doDecompile_Click(host);
    }
    std::string vertexDef() { return readFile(dir.file("vertex.def")); }
    std::string flavorDef() { return readFile(dir.file("flavor.def")); }
    // The flavor lines after the head (and after the names, if any).
    std::string flavorBody() { return flavorDef().substr(flavorHead().size()); }
    void expectDone(const Outcome& o) {
        ASSERT_EQ(o.status, Status::Done) << o.reason;
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0], std::make_pair(std::string("DONE"), std::string("Bank App")));
    }
    void expectCrash(const Outcome& o, const char* text, const char* title) {
        ASSERT_EQ(o.status, Status::Failed);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0], std::make_pair(std::string(text), std::string(title)));
        EXPECT_FALSE(host.busyChanges.back());
    }
};

TEST_F(Decompile, WholeObjectToTheByte) {
    Object obj;
    obj.vertices = {{0, 1, -2, 3}, {100000, -2147483647 - 1, 0, 7}};
    obj.normals = {{-10000, 0, 1, 0}};
    obj.names = {"a", "bb"};
    obj.flavors = {Flavor{3, {}}.l({1, 2, 3}), Flavor{14, {}}.l({-5, 6})};
    const Outcome o = run(obj.bytes());
    expectDone(o);
    EXPECT_EQ(host.filters, std::vector<std::string>{"3do Files(*.3do)|*.3do"});
    EXPECT_EQ(host.captions, std::vector<std::string>{"Z5 DEF TOOL " + dir.file("obj.3do")});
    // Six-character keys run straight into the X column.
    EXPECT_EQ(vertexDef(),
              vertexHead() + crlf({"VERTICES:", "     0            1           -2            3",
                                   "100000  -2147483648            0            7", "", "",
                                   "NORMALS:", "-10000            0            1            0"}));
    EXPECT_EQ(flavorDef(),
              flavorHead() + crlf({"FILE  a", "FILE  bb", "",
                                   "FL03      4            1            2            3",
                                   "FL14     21           -5            6"}));
    EXPECT_EQ(flavorDef(), obj.flavorDef());
}

TEST_F(Decompile, EveryFlavorTypeAndKind) {
    Object obj;
    obj.flavors = everyFlavor();
    expectDone(run(obj.bytes()));
    EXPECT_EQ(flavorDef(), obj.flavorDef());
    // Sizes that the layout fixes: FL04 with no list is 9 bytes, FL05 kind 0
    // is 13 bytes with K = 0 and 19 with K = 2.
    EXPECT_EQ(obj.flavors[9].size(), 9);
    EXPECT_EQ(obj.flavors[11].size(), 13);
    EXPECT_EQ(obj.flavors[12].size(), 19);
}

TEST_F(Decompile, UnsupportedTypesAndKindsEndTheListWithTheirOffset) {
    const Flavor first = Flavor{3, {}}.l({1, 2, 3});  // at 4, next at 21
    struct Case {
        Flavor flavor;
        const char* message;
        std::int32_t offset;
    };
    const std::vector<Case> cases = {
        {Flavor{1, {}}, "ERROR FLAVOR 1", 21},
        {Flavor{18, {}}, "ERROR - Flavor 18", 21},
        {Flavor{20, {}}, "ERROR - Flavor 20", 21},
        {Flavor{22, {}}, "ERROR - Flavor 22", 21},
        {Flavor{23, {}}, "ERROR - Flavor 23", 21},
        {Flavor{24, {}}, "ERROR - Flavor 24", 21},
        {Flavor{2, {}}.l({6, 0, 0}), "ERROR Flavor 2 T6", 38},
        {Flavor{2, {}}.l({11, 0, 5}), "ERROR Flavor 2 T11", 38},
        {Flavor{2, {}}.l({-1, 0, 1}), "ERROR Flavor 2 ELSE", 38},
        {Flavor{2, {}}.l({14, 0, 1}), "ERROR Flavor 2 ELSE", 38},
        {Flavor{5, {}}.l({4}).i({2}), "ERROR - Flavor 5 Type 2", 32},
        {Flavor{5, {}}.l({4}).i({3}), "ERROR - Flavor 5 Type 3", 32},
        {Flavor{5, {}}.l({4}).i({6}), "ERROR Flavor 5 T6", 32},
        {Flavor{5, {}}.l({4}).i({11}), "ERROR Flavor 5 T11", 32},
        {Flavor{5, {}}.l({4}).i({13}), "ERROR - Flavor 5 Type ELSE", 32},
        {Flavor{5, {}}.l({4}).i({-1}), "ERROR - Flavor 5 Type ELSE", 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        host.messages.clear();
        // A valid flavor after the unsupported one is never reached.
        expectDone(run(objectHeader() + prim(first.bytes() + c.flavor.bytes() + first.bytes())));
        EXPECT_EQ(flavorBody(),
                  crlf({first.line(4), c.message, " " + std::to_string(c.offset) + " "}));
    }
}

TEST_F(Decompile, NonFlavorTypesAreSkippedByTheirHeaderOnly) {
    const Flavor fl14 = Flavor{14, {}}.l({7, 8});
    // Type 0 and type 30: five header bytes each, the offset does not move.
    const std::string bytes = objectHeader() + prim(Flavor{0, {}}.bytes() + fl14.bytes() +
                                                    Flavor{30, {}}.bytes() + fl14.bytes());
    expectDone(run(bytes));
    EXPECT_EQ(flavorBody(), crlf({fl14.line(4), fl14.line(17)}));
    EXPECT_EQ(vertexDef(), vertexHead());
}

TEST_F(Decompile, SectionsInAnyOrderAndUnknownTags) {
    const std::string names = Bytes().text("x").u8(0).u8(0xFF).str();
    const std::string bytes = section(kNrts, 3, names + " ") + Bytes().i32(0x12345678).str() +
                              section(kMron, 16, Bytes().i32(1).i32(2).i32(3).i32(4).str()) +
                              section(kPerp, 0, "") + prim(Flavor{14, {}}.l({1, 2}).bytes());
    expectDone(run(bytes));
    EXPECT_EQ(vertexDef(),
              vertexHead() + crlf({"", "", "NORMALS:", pointLine({1, 2, 3, 4}), "VERTICES:"}));
    EXPECT_EQ(flavorBody(), crlf({"FILE  x", "", Flavor{14, {}}.l({1, 2}).line(4)}));

    // A fifth tag that is not PRIM ends the reading: no flavor lines.
    host.messages.clear();
    expectDone(run(Bytes().i32(1).i32(2).str() + bytes));
    EXPECT_EQ(flavorBody(), crlf({"FILE  x", ""}));
}

TEST_F(Decompile, NamePaddingOfZeroToThreeBytes) {
    const Flavor fl14 = Flavor{14, {}}.l({1, 2});
    for (const char* name : {"abcdefg", "abcd", "ab", "a"}) {
        SCOPED_TRACE(name);
        host.messages.clear();
        Object obj;
        obj.names = {name, "z"};
        obj.flavors = {fl14};
        expectDone(run(obj.bytes()));
        EXPECT_EQ(flavorDef(), obj.flavorDef());
    }
}

TEST_F(Decompile, EarlyEndMarkSkipsTheRestOfTheNameList) {
    // Length 8 with the end mark at the fourth byte: the rest of the list is
    // skipped, so the PRIM tag after it is still found.
    const std::string names = Bytes().text("ab").u8(0).u8(0xFF).text("cd").u8(0).u8(0xFF).str();
    const Flavor fl14 = Flavor{14, {}}.l({3, 4});
    expectDone(run(objectHeader() + section(kNrts, 8, names) + prim(fl14.bytes())));
    EXPECT_EQ(flavorBody(), crlf({"FILE  ab", "", fl14.line(4)}));
}

TEST_F(Decompile, CountOutOfRangeCrashesInPrimKeepingEarlierLines) {
    const Flavor fl14 = Flavor{14, {}}.l({1, 2});
    const Outcome o = run(objectHeader() + prim(fl14.bytes() + Flavor{2, {}}.l({0, 0, 0}).bytes()));
    expectCrash(o, "CRASH - PRIM", "ERROR 5");
    // The reason names the section and where reading stopped: after the
    // 12-byte header, 16 bytes of PRIM head, 13 of FL14 and 17 of FL02.
    EXPECT_EQ(o.reason,
              dir.file("obj.3do") + ": PRIM at byte 58: FL02 count 0 out of range 1..32767");
    EXPECT_EQ(flavorBody(), crlf({fl14.line(4)}));

    struct Case {
        Flavor flavor;
        const char* what;
    };
    for (const Case& c : std::vector<Case>{
             {Flavor{2, {}}.l({0, 0, 32768}), "FL02 count 32768 out of range 1..32767"},
             {Flavor{5, {}}.l({0}).i({0, 32767}), "FL05 count 32767 out of range 0..32766"},
             {Flavor{12, {}}.l({0, 0}), "FL12 count 0 out of range 1..32767"},
             {Flavor{17, {}}.l({0, 0, 0, -5}), "FL17 count -5 out of range 1..32767"},
         }) {
        host.messages.clear();
        const Outcome bad = run(objectHeader() + prim(c.flavor.bytes()));
        expectCrash(bad, "CRASH - PRIM", "ERROR 5");
        EXPECT_NE(bad.reason.find(c.what), std::string::npos) << bad.reason;
    }
}

TEST_F(Decompile, SectionLengthsOutOfRangeCrashByStage) {
    Outcome o = run(objectHeader() + section(kPerp, 16 * 32769, ""));
    expectCrash(o, "CRASH - Vertex", "ERROR 2");
    EXPECT_NE(o.reason.find("PERP at byte 24"), std::string::npos) << o.reason;
    EXPECT_EQ(vertexDef(), vertexHead());

    host.messages.clear();
    o = run(section(kPerp, 16, Bytes().i32(5).i32(6).i32(7).i32(8).str()) +
            section(kMron, -16 * 32770, ""));
    expectCrash(o, "CRASH - Normals", "ERROR 3");
    EXPECT_EQ(vertexDef(), vertexHead() + crlf({"VERTICES:", pointLine({5, 6, 7, 8})}));

    for (std::int32_t length : {0, -4, 32768}) {
        host.messages.clear();
        o = run(objectHeader() + section(kNrts, length, ""));
        expectCrash(o, "CRASH - NRTS", "ERROR 4");
    }
}

TEST_F(Decompile, TruncatedDataReadsAsZeroAndEnds) {
    // A list whose count runs past the end of the file, then nothing: the
    // missing bytes are zero and the loop stops at the end.
    const std::string bytes = objectHeader() + prim(Bytes().u8(16).i32(0).i32(3).i32(9).str());
    expectDone(run(bytes));
    EXPECT_EQ(flavorBody(), crlf({Flavor{16, {}}.l({3, 9, 0, 0}).line(4)}));

    // A vertex section promising 32768 records in a short file writes them
    // all as zeros and ends: bounded by the 16-bit count.
    host.messages.clear();
    expectDone(run(section(kPerp, 16 * 32768, "")));
    EXPECT_EQ(vertexDef().size(), vertexHead().size() + 11 + 32768 * 47);
}

TEST_F(Decompile, CancelAndMissingFileShowNothing) {
    host.answer.reset();
    EXPECT_EQ(mnu3doDecompile_Click(host).status, Status::Cancelled);
    EXPECT_FALSE(fileExists(dir.file("vertex.def")));
    host.answer = dir.file("missing.3do");
    const Outcome o = mnu3doDecompile_Click(host);
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_NE(o.reason.find("missing.3do"), std::string::npos);
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace z5
