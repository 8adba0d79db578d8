#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "commands/handlers.hpp"
#include "object3d/compile.hpp"
#include "tests/object3d/objects.hpp"
#include "textfmt/files.hpp"

namespace z5 {
namespace {

using namespace test;

// Runs the decompile (from obj.3do) and the compile (into new.3do) in a
// scratch working folder.
struct Object3d : ::testing::Test {
    TempFolder dir;
    FakeHost host{dir.str()};

    Outcome decompile(const std::string& bytes) {
        writeFile(dir.file("obj.3do"), bytes);
        host.answer = dir.file("obj.3do");
        host.messages.clear();
        return mnu3doDecompile_Click(host);
    }
    std::string vertexDef() const { return readFile(dir.file("vertex.def")); }
    std::string flavorDef() const { return readFile(dir.file("flavor.def")); }
    // The flavor lines after the head (and after the names, if any).
    std::string flavorBody() const { return flavorDef().substr(flavorHead().size()); }

    void defs(const std::string& vertexDef, const std::string& flavorDef) {
        writeFile(dir.file("vertex.def"), vertexDef);
        writeFile(dir.file("flavor.def"), flavorDef);
    }
    Outcome compile(const char* name = "new.3do") {
        host.answer = dir.file(name);
        host.messages.clear();
        return mnu3doCompile_Click(host);
    }
    std::string compiled() {
        const Outcome o = compile();
        expectDone(o);
        return o.status == Status::Done ? readFile(dir.file("new.3do")) : "";
    }

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
    // A compile that must fail with `reason` and leave no object behind.
    void expectRefused(const std::string& reason) {
        const Outcome o = compile("refused.3do");
        EXPECT_EQ(o.status, Status::Failed);
        EXPECT_EQ(o.reason, reason);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_FALSE(fileExists(dir.file("refused.3do")));
    }
};

// A PRIM section holding the given flavor bytes (root 4, length as stored).
std::string prim(const std::string& flavors) {
    return section(kPrim, static_cast<std::int32_t>(4 + flavors.size()),
                   Bytes().i32(4).str() + flavors);
}

TEST_F(Object3d, DecompileWholeObjectToTheByte) {
    const Object obj{.vertices = {{0, 1, -2, 3}, {100000, -2147483647 - 1, 0, 7}},
                     .normals = {{-10000, 0, 1, 0}},
                     .names = {"a", "bb"},
                     .flavors = {Flavor(3, {1, 2, 3}), Flavor(14, {-5, 6})}};
    expectDone(decompile(obj.bytes()));
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
    EXPECT_EQ(flavorDef(), obj.flavorDef());  // the builder agrees with the literal text
}

TEST_F(Object3d, CompileSmallestObjectToTheByteWithWorkFilesOfAnyCase) {
    // The work files are found in the working folder whatever their case;
    // offset.def replaces an older one of any case.
    writeFile(dir.file("VERTEX.DEF"),
              crlf({"VERTICES:", "     0            5            6            7"}));
    writeFile(dir.file("Flavor.Def"),
              crlf({"FILE  a", "", "FL03      4            1            2            3"}));
    writeFile(dir.file("Offset.DEF"), "old");
    // clang-format off
    EXPECT_EQ(compiled(), Bytes()
        .text("3OD3").i32(0).i32(80)
        .text("PERP").i32(0).i32(16).i32(0).i32(5).i32(6).i32(7)
        .text("NRTS").i32(0).i32(3).text("a").u8(0).u8(0xFF).text(" ")
        .text("MIRP").i32(0).i32(21).i32(4).u8(3).i32(0).i32(1).i32(2).i32(3).text("   ")
        .str());
    // clang-format on
    EXPECT_EQ(host.filters.back(), "3do Files(*.3do)|*.3do");
    EXPECT_EQ(host.saveFolders.back(), dir.str());
    EXPECT_EQ(host.captions.back(), "Z5 DEF TOOL " + dir.file("new.3do"));
    EXPECT_EQ(readFile(dir.file("offset.def")), crlf({"VERT", " 0  0 ", "FL03 4", "4"}));
    const auto names = test::folderNames(dir.str());
    EXPECT_EQ(
        std::count_if(names.begin(), names.end(),
                      [](const std::string& n) { return equalsIgnoringCase(n, "offset.def"); }),
        1);
}

TEST_F(Object3d, DecompiledObjectsCompileBackToTheSameBytes) {
    const std::vector<Object> objects = {
        // Name data of 23 bytes: one byte of padding.
        {.vertices = {{0, 1, -2, 3}, {1, 100000, -2147483647 - 1, 2147483647}},
         .normals = {{0, 0, 1, 0}, {1, 0, 0, -1}},
         .names = {"car.mip", "a", "wheel_l.pmp"},
         .flavors = everyFlavor()},
        {.flavors = {Flavor(4, {1, 17}), Flavor(3, {4, 5, 6})}},
        // 8 and 5 bytes of names: no padding and three bytes of it before PRIM.
        {.names = {"abcd", "z"}, .flavors = {Flavor(14, {1, 2})}},
        {.names = {"a", "z"}, .flavors = {Flavor(14, {1, 2})}},
    };
    for (const Object& obj : objects) {
        expectDone(decompile(obj.bytes()));
        EXPECT_EQ(flavorDef(), obj.flavorDef());
        EXPECT_EQ(compiled(), obj.bytes());
    }
    // An object without flavors decompiles, but its flavor.def cannot be
    // told from a damaged one: the compile refuses it and keeps the old object.
    for (const Object& obj :
         {Object{.normals = {{0, 7, 8, 9}}}, Object{}, Object{.names = {"abcd"}}}) {
        expectDone(decompile(obj.bytes()));
        EXPECT_EQ(flavorDef(), obj.flavorDef());
        const std::string before = readFile(dir.file("new.3do"));
        const Outcome o = compile();
        EXPECT_NE(o.reason.find("the file ends without a flavor line"), std::string::npos);
        EXPECT_EQ(readFile(dir.file("new.3do")), before);
    }
}

TEST_F(Object3d, DecompileSkipsNonFlavorsAndEndsTheListAtUnsupportedFlavors) {
    const Flavor first(3, {1, 2, 3});  // at 4, next at 21
    // Type 0 and type 30 are no flavors: five header bytes each, the offset
    // does not move.
    expectDone(decompile(objectHeader() + prim(Flavor(0).bytes() + first.bytes() +
                                               Flavor(30).bytes() + first.bytes())));
    EXPECT_EQ(flavorBody(), crlf({first.line(4), first.line(21)}));

    // Unsupported types and kinds end the list with a message and the offset.
    // The flavor, its message line and the offset where reading stopped.
    const std::tuple<Flavor, const char*, int> cases[] = {
        {Flavor(1), "ERROR FLAVOR 1", 21},
        {Flavor(18), "ERROR - Flavor 18", 21},
        {Flavor(20), "ERROR - Flavor 20", 21},
        {Flavor(22), "ERROR - Flavor 22", 21},
        {Flavor(24), "ERROR - Flavor 24", 21},
        {Flavor(2, {6, 0, 0}), "ERROR Flavor 2 T6", 38},
        {Flavor(2, {11, 0, 5}), "ERROR Flavor 2 T11", 38},
        {Flavor(2, {-1, 0, 1}), "ERROR Flavor 2 ELSE", 38},
        {Flavor(2, {14, 0, 1}), "ERROR Flavor 2 ELSE", 38},
        {Flavor(5, {4}).i({2}), "ERROR - Flavor 5 Type 2", 32},
        {Flavor(5, {4}).i({3}), "ERROR - Flavor 5 Type 3", 32},
        {Flavor(5, {4}).i({6}), "ERROR Flavor 5 T6", 32},
        {Flavor(5, {4}).i({11}), "ERROR Flavor 5 T11", 32},
        {Flavor(5, {4}).i({13}), "ERROR - Flavor 5 Type ELSE", 32}};
    for (const auto& [flavor, message, offset] : cases) {
        SCOPED_TRACE(message);
        // A valid flavor after the unsupported one is never reached.
        expectDone(
            decompile(objectHeader() + prim(first.bytes() + flavor.bytes() + first.bytes())));
        EXPECT_EQ(flavorBody(), crlf({first.line(4), message, " " + std::to_string(offset) + " "}));
    }
}

TEST_F(Object3d, DecompileTakesSectionsInAnyOrderAndPassesOverUnknownTags) {
    const Flavor fl14(14, {1, 2});
    const std::string names = Bytes().text("x").u8(0).u8(0xFF).text(" ").str();
    const std::string bytes = section(kNrts, 3, names) + Bytes().i32(0x12345678).str() +
                              section(kMron, 16, Bytes().i32(1).i32(2).i32(3).i32(4).str()) +
                              section(kPerp, 0, "") + prim(fl14.bytes());
    const std::string normals =
        vertexHead() + crlf({"", "", "NORMALS:", "     1            2            3            4"});
    expectDone(decompile(bytes));
    EXPECT_EQ(vertexDef(), normals + crlf({"VERTICES:"}));
    EXPECT_EQ(flavorBody(), crlf({"FILE  x", "", fl14.line(4)}));

    // Five tags are read at most: PERP and PRIM are never reached.
    expectDone(decompile(Bytes().i32(1).i32(2).str() + bytes));
    EXPECT_EQ(vertexDef(), normals);
    EXPECT_EQ(flavorBody(), crlf({"FILE  x", ""}));

    // Length 8 with the end mark at the fourth byte: the rest of the list is
    // skipped, neither read as names nor as a tag, so after two unknown words
    // PRIM is still the fifth tag read.
    const std::string early = Bytes().text("ab").u8(0).u8(0xFF).text("cd").u8(0).u8(0xFF).str();
    expectDone(decompile(objectHeader() + section(kNrts, 8, early) + Bytes().i32(1).i32(2).str() +
                         prim(fl14.bytes())));
    EXPECT_EQ(flavorBody(), crlf({"FILE  ab", "", fl14.line(4)}));
}

TEST_F(Object3d, DecompileCountOutOfRangeCrashesInPrimKeepingEarlierLines) {
    const Flavor fl14(14, {1, 2});
    const Outcome o = decompile(objectHeader() + prim(fl14.bytes() + Flavor(2, {0, 0, 0}).bytes()));
    expectCrash(o, "CRASH - PRIM", "ERROR 5");
    // The reason names the section and where reading stopped: after the
    // 12-byte header, 16 bytes of PRIM head, 13 of FL14 and 17 of FL02.
    EXPECT_EQ(o.reason,
              dir.file("obj.3do") + ": PRIM at byte 58: FL02 count 0 out of range 1..32767");
    EXPECT_EQ(flavorBody(), crlf({fl14.line(4)}));

    const std::pair<Flavor, const char*> cases[] = {
        {Flavor(2, {0, 0, 32768}), "FL02 count 32768 out of range 1..32767"},
        {Flavor(5, {0}).i({0, 32767}), "FL05 count 32767 out of range 0..32766"},
        {Flavor(12, {0, 0}), "FL12 count 0 out of range 1..32767"},
        {Flavor(17, {0, 0, 0, -5}), "FL17 count -5 out of range 1..32767"},
    };
    for (const auto& [flavor, what] : cases) {
        const Outcome bad = decompile(objectHeader() + prim(flavor.bytes()));
        expectCrash(bad, "CRASH - PRIM", "ERROR 5");
        EXPECT_NE(bad.reason.find(what), std::string::npos) << bad.reason;
    }
}

TEST_F(Object3d, DecompileSectionLengthsOutOfRangeCrashByStage) {
    Outcome o = decompile(objectHeader() + section(kPerp, 16 * 32769, ""));
    expectCrash(o, "CRASH - Vertex", "ERROR 2");
    EXPECT_NE(o.reason.find("PERP at byte 24"), std::string::npos) << o.reason;
    EXPECT_EQ(vertexDef(), vertexHead());

    o = decompile(section(kPerp, 16, Bytes().i32(5).i32(6).i32(7).i32(8).str()) +
                  section(kMron, -16 * 32770, ""));
    expectCrash(o, "CRASH - Normals", "ERROR 3");
    EXPECT_EQ(vertexDef(),
              vertexHead() + crlf({"VERTICES:", "     5            6            7            8"}));

    for (std::int32_t length : {0, -4, 32768})
        expectCrash(decompile(objectHeader() + section(kNrts, length, "")), "CRASH - NRTS",
                    "ERROR 4");

    // Before the first tag nothing names a section: no crash message.
    host.answer = dir.file("missing.3do");
    host.messages.clear();
    o = mnu3doDecompile_Click(host);
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_NE(o.reason.find("missing.3do"), std::string::npos);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Object3d, DecompileReadsTruncatedDataAsZeroAndEnds) {
    // A list whose count runs past the end of the file, then nothing: the
    // missing bytes are zero and the loop stops at the end.
    expectDone(decompile(objectHeader() + prim(Bytes().u8(16).i32(0).i32(3).i32(9).str())));
    EXPECT_EQ(flavorBody(), crlf({Flavor(16, {3, 9, 0, 0}).line(4)}));

    // A vertex section promising 32768 records in a short file writes them
    // all as zeros and ends: bounded by the 16-bit count.
    expectDone(decompile(section(kPerp, 16 * 32768, "")));
    EXPECT_EQ(vertexDef().size(), vertexHead().size() + 11 + 32768 * 47);
}

TEST_F(Object3d, CompileOffsetFileShowsEveryRenumbering) {
    defs(crlf({"VERTICES:", "    12  1  2  3", "", "", "NORMALS:", "     7  0  0  1"}),
         crlf({"FILE  x.mip", "", "FL02  100  1  5  2  12  12  1  2  3  4",
               "FL04  117  2  100  117", "FL05  200  100  0  0", "FL06  300  1  2  3  4  5  100",
               "FL07  400  1  2  3  4  5  100  117", "FL08  500  1  2  3  4  5  6  7  8  9",
               "FL09  600  1  2  3  4  5  100  7  8", "FL12  700  100  1  117",
               "FL13  800  1  2  3  4  5  6  7  117", "FL16  900  1  5",
               "FL17  999  1  2  3  1  5  100"}));
    const Object expected{
        .vertices = {{0, 1, 2, 3}},
        .normals = {{0, 0, 0, 1}},
        .names = {"x.mip"},
        .flavors = {Flavor(2, {1, 5, 2, 0, 0}).i({1, 2, 3, 4}), Flavor(4, {2, 4, 37}),
                    Flavor(5, {4}).i({0, 0}), Flavor(6, {1, 2, 3, 4, 5, 4}),
                    Flavor(7, {1, 2, 3, 4, 5, 4, 37}), Flavor(8, {1, 2, 3, 4, 5, 6, 7, 8, 9}),
                    Flavor(9, {1, 2, 3, 4, 5, 4, 7, 8}), Flavor(12, {4, 1, 37}),
                    Flavor(13, {1, 2, 3, 4, 5, 6, 7, 37}), Flavor(16, {1, 5}),
                    Flavor(17, {1, 2, 3, 1, 5, 4})}};
    EXPECT_EQ(compiled(), expected.bytes());
    // Each flavor's entry: its tag, old offset and the values it refers by,
    // then its new offset on a line of its own.
    // clang-format off
    EXPECT_EQ(readFile(dir.file("offset.def")), crlf({
        "VERT", " 12  0 ", "NORM", " 7  0 ",
        "FL02 100 1 2", "4",            "FL04 117 2  100  117", "37",
        "FL05 200 100", "54",           "FL06 300 100", "67",
        "FL07 400 100 117", "96",       "FL08 500 6 7 8 9", "129",
        "FL09 600 100 7 8", "170",        "FL12 700 100 1", "207",
        "FL13 800 117", "224",            "FL16 900 1", "261",
        "FL17 999 1", "274"}));
    // clang-format on
}

TEST_F(Object3d, CompileEditsMoveExactlyTheRightBytes) {
    // A vertex line whose old number is 9 at position 3: references to 9 come
    // out as 3, references to 3 as the position of the line numbered 3, and a
    // number no line carries as it stands. Normal references (kinds 12, 13)
    // go by the normal lines; the i32 lists of kinds 3 and 4 are no references.
    defs(crlf({"VERTICES:", "  0  0 0 0", "  1  1 1 1", "  2  2 2 2", "  9  9 9 9", "  3  3 3 3",
               "", "NORMALS:", "  5  0 0 1", "  9  0 1 0"}),
         crlf({"FL02  4  0  0  4  9  3  7  0", "FL02  40  12  0  1  9  9",
               "FL02  60  13  0  1  9  1  2  5", "FL02  80  4  0  1  9  9",
               "FL02  99  3  0  1  9  1  2  9"}));
    const Object renumbered{
        .vertices = {{0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 2, 2}, {3, 9, 9, 9}, {4, 3, 3, 3}},
        .normals = {{0, 0, 0, 1}, {1, 0, 1, 0}},
        .flavors = {Flavor(2, {0, 0, 4, 3, 4, 7, 0}), Flavor(2, {12, 0, 1, 3, 1}),
                    Flavor(2, {13, 0, 1, 3}).i({1, 2}).l({0}), Flavor(2, {4, 0, 1, 9, 9}),
                    Flavor(2, {3, 0, 1, 3}).i({1, 2}).l({9})}};
    EXPECT_EQ(compiled(), renumbered.bytes());

    // A 17-byte FL03 inserted before the last flavor (at 30) moves it, every
    // reference to it, the root and the section size by 17.
    const Object before{
        .flavors = {Flavor(4, {1, 30}), Flavor(14, {1, 2}), Flavor(5, {4}).i({1, 2}).l({3})}};
    ASSERT_EQ(decompile(before.bytes()).status, Status::Done);
    std::string flavors = flavorDef();
    flavors.insert(flavors.find(before.flavors[2].line(30)), "FL03   999   7   8   9\r\n");
    writeFile(dir.file("flavor.def"), flavors);
    const Object after{.flavors = {Flavor(4, {1, 47}), Flavor(14, {1, 2}), Flavor(3, {7, 8, 9}),
                                   Flavor(5, {4}).i({1, 2}).l({3})}};
    EXPECT_EQ(compiled(), after.bytes());

    // Two lines with the same old offset: references go to the first one.
    defs("", crlf({"FL14  100  1  2", "FL14  100  3  4", "FL04  7  2  100  55"}));
    const Object duplicated{
        .flavors = {Flavor(14, {1, 2}), Flavor(14, {3, 4}), Flavor(4, {2, 4, 55})}};
    EXPECT_EQ(compiled(), duplicated.bytes());

    // The last value takes the rest of the line: a token too many joins its
    // digits onto the last field.
    defs(crlf({"VERTICES:", "     0     1     2     3     4"}), crlf({"FL14  4  1  2  3"}));
    EXPECT_EQ(compiled(),
              (Object{.vertices = {{0, 1, 2, 34}}, .flavors = {Flavor(14, {1, 23})}}.bytes()));
}

TEST_F(Object3d, CompileReadsLinesAlikeInBothPasses) {
    // Kinds written with a leading zero or a point, and indented flavor and
    // name lines, are sized by the first pass exactly as they are written.
    defs("", crlf({"  FILE  ab", "   FL02  4  01  0  2  0  0  1  2  3  4", "FL05  30  4  1.0  5  6",
                   "FL14  40  1  2"}));
    const Object obj{.names = {"ab"},
                     .flavors = {Flavor(2, {1, 0, 2, 0, 0}).i({1, 2, 3, 4}),
                                 Flavor(5, {4}).i({1, 5}).l({6}), Flavor(14, {1, 2})}};
    EXPECT_EQ(compiled(), obj.bytes());

    // Remarks, message lines and flavor types without a layout write nothing.
    defs(crlf({"REM x", "VERTICES:", "0 0 0 0"}),
         crlf({"REM  Z5", "FL18  4  1  2", "FL14  4  1  2", "ERROR - Flavor 20", " 21 "}));
    const Object skipped{.vertices = {{0, 0, 0, 0}}, .flavors = {Flavor(14, {1, 2})}};
    EXPECT_EQ(compiled(), skipped.bytes());
}

TEST_F(Object3d, CompileWritesSectionsInTheirTextOrder) {
    // Normals before vertices: each section header goes right before its
    // records, so the file stays readable.
    defs(crlf({"NORMALS:", "0 4 5 6", "", "VERTICES:", "0 1 2 3"}), crlf({"FL14  4  1  2"}));
    const std::string usual = Object{
        .vertices = {{0, 1, 2, 3}},
        .normals = {{0, 4, 5, 6}},
        .flavors = {
            Flavor(14, {1, 2})}}.bytes();
    // The same total; MRON and its record before PERP and its record.
    EXPECT_EQ(compiled(),
              usual.substr(0, 12) + usual.substr(40, 28) + usual.substr(12, 28) + usual.substr(68));
}

TEST_F(Object3d, CompileRefusesLinesNamingTheirFileAndLine) {
    // flavor.def texts under a good vertex.def.
    const std::pair<std::string, std::string> flavorCases[] = {
        {crlf({"FL14 4 1 2", "FL02  21  7  0  1  0"}), "flavor.def:2: FL02 kind 7 has no layout"},
        {crlf({"FL05  4  4  3"}), "flavor.def:1: FL05 kind 3 has no layout"},
        {crlf({"FL02  4  0  0  0"}), "flavor.def:1: FL02 count 0 out of range 1..32767"},
        {crlf({"FL04  4  -1"}), "flavor.def:1: FL04 count -1 out of range 0..32767"},
        {crlf({"FL12  4  4  -2"}), "flavor.def:1: FL12 count -2 out of range 0..32767"},
        {crlf({"FL05  4  4  0  -1"}), "flavor.def:1: FL05 count -1 out of range 0..32766"},
        {crlf({"FL17  4  1  2  3  0"}), "flavor.def:1: FL17 count 0 out of range 1..32767"},
        {crlf({"FL03  4  1  2"}),
         "flavor.def:1: FL03 line ends after 2 values; its layout needs more"},
        {crlf({"FL03"}), "flavor.def:1: flavor line without its offset"},
        {crlf({"FL05  4  4  1  70000  1"}),
         "flavor.def:1: FL05 value \"70000\" out of the 16-bit range"},
        {crlf({"FL05  4  4  1  5  x"}),
         "flavor.def:1: FL05 value \"x\" is not a number that fits 32 bits"},
        {crlf({"FL14  4  3000000000  1"}),
         "flavor.def:1: FL14 value \"3000000000\" out of the 32-bit range"},
        {crlf({"FL14 4 1 2", "FILE  late.mip"}),
         "flavor.def:2: file name after the first flavor line"},
        {crlf({"FL18 4 1 2", "FILE  late.mip"}),
         "flavor.def:2: file name after the first flavor line"},
        {crlf({"FILE", "FL14 4 1 2"}), "flavor.def:1: empty file name"},
        {crlf({"FILE  a\xFF", "FL14 4 1 2"}),
         "flavor.def:1: a file name cannot hold the bytes 0 or 255"},
    };
    for (const auto& [flavorDef, reason] : flavorCases) {
        defs(crlf({"VERTICES:", "0 0 0 0"}), flavorDef);
        expectRefused(reason);
    }
    // vertex.def texts beside a good flavor.def.
    const std::pair<std::string, std::string> vertexCases[] = {
        {crlf({"VERTICES:", ""}), "vertex.def:2: the section above has no lines"},
        {crlf({"VERTICES:", "NORMALS:", "0 0 0 0"}),
         "vertex.def:2: the section above has no lines"},
        {crlf({"0 0 0 0", "NORMALS:"}), "vertex.def:2: the section above has no lines"},
        {crlf({"VERTICES:", "0 0 0 0", "", "VERTICES:", "1 0 0 0"}),
         "vertex.def:4: a second VERTICES: section"},
        {crlf({"VERTICES:", "1x 0 0 0"}), "vertex.def:2: \"1x\" is not a number that fits 32 bits"},
        {crlf({"VERTICES:", "5 1 2"}), "vertex.def:2: a line needs a number and x, y, z"},
        {crlf({"VERTICES:", "5 1 2 99999999999"}),
         "vertex.def:2: coordinate \"99999999999\" out of the 32-bit range"},
    };
    for (const auto& [vertexDef, reason] : vertexCases) {
        defs(vertexDef, crlf({"FL14 4 1 2"}));
        expectRefused(reason);
    }
    std::filesystem::remove(dir.file("flavor.def"));
    const Outcome o = compile();
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_NE(o.reason.find("flavor.def"), std::string::npos) << o.reason;
}

TEST_F(Object3d, CompileReplacesTheOutputOnlyByACompleteObject) {
    defs(crlf({"VERTICES:", "0 1 2 3"}), crlf({"FL14  4  1  2"}));
    writeFile(dir.file("new.3do"), std::string(500, 'x'));
    const Object obj{.vertices = {{0, 1, 2, 3}}, .flavors = {Flavor(14, {1, 2})}};
    EXPECT_EQ(compiled(), obj.bytes());  // the longer old file is gone entirely

    defs(crlf({"VERTICES:", "0 1 2 3"}), crlf({"FL14  4  1  2", "FL16  9  0"}));
    EXPECT_EQ(compile().status, Status::Failed);
    EXPECT_EQ(readFile(dir.file("new.3do")), obj.bytes());
}

TEST_F(Object3d, CompileWriterRefusesAFlavorOffTheFirstPassPlacement) {
    defs(crlf({"VERTICES:", "0 1 2 3"}), crlf({"FL14  4  1  2", "FL14  17  3  4"}));
    using namespace object3d;
    auto reader = [this](const char* name) { return TextReader(dir.file(name), name); };
    CompileState state;
    TextWriter offsets(dir.file("offset.def"), "offset.def");
    TextReader vertexDef = reader("vertex.def"), flavorDef = reader("flavor.def");
    GetVertex(vertexDef, offsets, state);
    GetFlavor(flavorDef, offsets, state);
    offsets.close();
    RenumberTables tables;
    TextReader offsetDef = reader("offset.def");
    MakeArray(offsetDef, state, tables);
    // Pretend the first pass placed the second flavor one byte later.
    tables.lngOffsetTable.set(1, 17, 18);
    TextReader vertexAgain = reader("vertex.def"), flavorAgain = reader("flavor.def");
    BinaryWriter out(dir.file("x.3do"), "x.3do");
    try {
        WriteFile(vertexAgain, flavorAgain, out, state, tables);
        ADD_FAILURE() << "a misplaced flavor was written";
    } catch (const CommandFailure& e) {
        EXPECT_STREQ(e.what(),
                     "flavor.def:2: flavor would be written at offset 17, not where the first "
                     "pass placed it");
    }
}

}  // namespace
}  // namespace z5
