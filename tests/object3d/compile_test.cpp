#include "object3d/compile.hpp"

#include <gtest/gtest.h>

#include "object3d/object3d.hpp"
#include "tests/object3d/objects.hpp"

namespace z5 {
namespace {

using namespace test;

struct Compile : ::testing::Test {
    TempFolder dir;
    FakeHost host{dir.str()};

    void defs(const std::string& vertexDef, const std::string& flavorDef) {
        writeFile(dir.file("vertex.def"), vertexDef);
        writeFile(dir.file("flavor.def"), flavorDef);
    }
    Outcome compile(const char* name = "new.3do") {
        host.answer = dir.file(name);
        host.messages.clear();
        return mnu3doCompile_Click(host);
    }
    std::string compiled(const char* name = "new.3do") {
        const Outcome o = compile(name);
        EXPECT_EQ(o.status, Status::Done) << o.reason;
        return o.status == Status::Done ? readFile(dir.file(name)) : "";
    }
    void decompile(const std::string& bytes) {
        writeFile(dir.file("old.3do"), bytes);
        host.answer = dir.file("old.3do");
        ASSERT_EQ(mnu3doDecompile_Click(host).status, Status::Done);
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

TEST_F(Compile, DecompiledObjectsCompileBackToTheSameBytes) {
    Object full;
    full.vertices = {{0, 1, -2, 3}, {1, 100000, -2147483647 - 1, 2147483647}};
    full.normals = {{0, 0, 1, 0}, {1, 0, 0, -1}};
    full.names = {"car.mip", "a", "wheel_l.pmp"};
    full.flavors = everyFlavor();

    Object onlyFlavors;
    onlyFlavors.flavors = {Flavor{4, {}}.l({1, 17}), Flavor{3, {}}.l({4, 5, 6})};
    Object onlyPoints;
    onlyPoints.normals = {{0, 7, 8, 9}};
    Object nothing;
    Object namesOnly;
    namesOnly.names = {"abcd"};

    for (const Object* obj : {&full, &onlyFlavors, &onlyPoints, &nothing, &namesOnly}) {
        decompile(obj->bytes());
        EXPECT_EQ(compiled(), obj->bytes());
        EXPECT_EQ(host.filters.back(), "3do Files(*.3do)|*.3do");
        EXPECT_EQ(host.saveFolders.back(), dir.str());
        EXPECT_EQ(host.captions.back(), "Z5 DEF TOOL " + dir.file("new.3do"));
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].first, "DONE");
    }
    // One name of four characters: 6 bytes of name data and 2 of padding.
    EXPECT_EQ(namesOnly.bytes().size(), 12u + 12 + 6 + 2);
}

TEST_F(Compile, SmallestObjectToTheByte) {
    defs(crlf({"VERTICES:", "     0            5            6            7"}),
         crlf({"FL03      4            1            2            3"}));
    EXPECT_EQ(compiled(), Bytes()
                              .text("3OD3")
                              .i32(0)
                              .i32(64)
                              .text("PERP")
                              .i32(0)
                              .i32(16)
                              .i32(0)
                              .i32(5)
                              .i32(6)
                              .i32(7)
                              .text("MIRP")
                              .i32(0)
                              .i32(21)
                              .i32(4)
                              .u8(3)
                              .i32(0)
                              .i32(1)
                              .i32(2)
                              .i32(3)
                              .text("   ")
                              .str());
    EXPECT_EQ(readFile(dir.file("offset.def")), crlf({"VERT", " 0  0 ", "FL03 4", "4"}));
}

TEST_F(Compile, OffsetFileShowsEveryRenumbering) {
    defs(crlf({"VERTICES:", "    12  1  2  3", "", "", "NORMALS:", "     7  0  0  1"}),
         crlf({"FILE  x.mip", "", "FL02  100  1  5  2  12  12  1  2  3  4",
               "FL04  117  2  100  117", "FL05  200  100  0  0", "FL06  300  1  2  3  4  5  100",
               "FL07  400  1  2  3  4  5  100  117", "FL08  500  1  2  3  4  5  6  7  8  9",
               "FL09  600  1  2  3  4  5  6  7  8", "FL12  700  100  1  117",
               "FL13  800  1  2  3  4  5  6  7  8", "FL16  900  1  5",
               "FL17  999  1  2  3  1  5  100"}));
    Object expected;
    expected.vertices = {{0, 1, 2, 3}};
    expected.normals = {{0, 0, 0, 1}};
    expected.names = {"x.mip"};
    expected.flavors = {
        Flavor{2, {}}.l({1, 5, 2}).l({0, 0}).i({1, 2, 3, 4}),
        Flavor{4, {}}.l({2, 4, 37}),
        Flavor{5, {}}.l({4}).i({0, 0}),
        Flavor{6, {}}.l({1, 2, 3, 4, 5, 4}),
        Flavor{7, {}}.l({1, 2, 3, 4, 5, 4, 37}),
        Flavor{8, {}}.l({1, 2, 3, 4, 5, 6, 7, 8, 9}),
        Flavor{9, {}}.l({1, 2, 3, 4, 5, 6, 7, 8}),
        Flavor{12, {}}.l({4, 1, 37}),
        Flavor{13, {}}.l({1, 2, 3, 4, 5, 6, 7, 8}),
        Flavor{16, {}}.l({1, 5}),
        Flavor{17, {}}.l({1, 2, 3, 1, 5, 4}),
    };
    EXPECT_EQ(compiled(), expected.bytes());
    EXPECT_EQ(readFile(dir.file("offset.def")), crlf({"VERT",
                                                      " 12  0 ",
                                                      "NORM",
                                                      " 7  0 ",
                                                      "FL02 100 1 2",
                                                      "4",
                                                      "FL04 117 2  100  117",
                                                      "37",
                                                      "FL05 200 100",
                                                      "54",
                                                      "FL06 300 100",
                                                      "67",
                                                      "FL07 400 100 117",
                                                      "96",
                                                      "FL08 500 6 7 8 9",
                                                      "129",
                                                      "FL09 600 6 7 8",
                                                      "170",
                                                      "FL12 700 100 1",
                                                      "207",
                                                      "FL13 800 8",
                                                      "224",
                                                      "FL16 900 1",
                                                      "261",
                                                      "FL17 999 1",
                                                      "274"}));
}

TEST_F(Compile, EditsMoveExactlyTheRightBytes) {
    // A vertex line whose old number is 9 at position 3: references to 9 come
    // out as 3, references to 3 as the position of the line numbered 3, and a
    // number no line carries as it stands.
    defs(crlf({"VERTICES:", "  0  0 0 0", "  1  1 1 1", "  2  2 2 2", "  9  9 9 9", "  3  3 3 3"}),
         crlf({"FL02  4  0  0  4  9  3  7  0"}));
    Object renumbered;
    renumbered.vertices = {{0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 2, 2}, {3, 9, 9, 9}, {4, 3, 3, 3}};
    renumbered.flavors = {Flavor{2, {}}.l({0, 0, 4}).l({3, 4, 7, 0})};
    EXPECT_EQ(compiled(), renumbered.bytes());

    // A 17-byte FL03 inserted before the last flavor moves the last flavor,
    // every reference to it, the root and the section size by 17.
    Object before;
    before.flavors = {Flavor{4, {}}.l({1, 30}), Flavor{14, {}}.l({1, 2}),
                      Flavor{5, {}}.l({4}).i({1, 2}).l({3})};
    ASSERT_EQ(before.offsets().back(), 30);
    decompile(before.bytes());
    std::string flavors = readFile(dir.file("flavor.def"));
    const std::string last = before.flavors[2].line(30) + "\r\n";
    flavors.insert(flavors.find(last), "FL03   999   7   8   9\r\n");
    writeFile(dir.file("flavor.def"), flavors);
    Object after;
    after.flavors = {Flavor{4, {}}.l({1, 47}), Flavor{14, {}}.l({1, 2}), Flavor{3, {}}.l({7, 8, 9}),
                     Flavor{5, {}}.l({4}).i({1, 2}).l({3})};
    ASSERT_EQ(after.offsets().back(), 47);
    EXPECT_EQ(compiled(), after.bytes());

    // Two lines with the same old offset: references go to the first one.
    defs(crlf({"VERTICES:", "0 0 0 0"}),
         crlf({"FL14  100  1  2", "FL14  100  3  4", "FL04  7  2  100  55"}));
    Object duplicated;
    duplicated.vertices = {{0, 0, 0, 0}};
    duplicated.flavors = {Flavor{14, {}}.l({1, 2}), Flavor{14, {}}.l({3, 4}),
                          Flavor{4, {}}.l({2, 4, 55})};
    EXPECT_EQ(compiled(), duplicated.bytes());

    // The last value takes the rest of the line: a fifth token on a vertex
    // line joins its digits onto z.
    defs(crlf({"VERTICES:", "     0     1     2     3     4"}), crlf({"FL14  4  1  2"}));
    Object joined;
    joined.vertices = {{0, 1, 2, 34}};
    joined.flavors = {Flavor{14, {}}.l({1, 2})};
    EXPECT_EQ(compiled(), joined.bytes());
}

TEST_F(Compile, BothPassesReadLinesAlike) {
    // Kinds written with a leading zero or a point, and indented flavor and
    // name lines, are sized by the first pass exactly as they are written.
    defs(crlf({"VERTICES:", "0 0 0 0"}),
         crlf({"  FILE  ab", "   FL02  4  01  0  2  0  0  1  2  3  4", "FL05  30  4  1.0  5  6",
               "FL14  40  1  2"}));
    Object obj;
    obj.vertices = {{0, 0, 0, 0}};
    obj.names = {"ab"};
    obj.flavors = {Flavor{2, {}}.l({1, 0, 2}).l({0, 0}).i({1, 2, 3, 4}),
                   Flavor{5, {}}.l({4}).i({1, 5}).l({6}), Flavor{14, {}}.l({1, 2})};
    EXPECT_EQ(compiled(), obj.bytes());

    // Remarks, message lines and flavor types without a layout write nothing.
    defs(crlf({"REM x", "VERTICES:", "0 0 0 0"}),
         crlf({"REM  Z5", "FL18  4  1  2", "FL14  4  1  2", "ERROR - Flavor 20", " 21 "}));
    Object skipped;
    skipped.vertices = {{0, 0, 0, 0}};
    skipped.flavors = {Flavor{14, {}}.l({1, 2})};
    EXPECT_EQ(compiled(), skipped.bytes());
}

TEST_F(Compile, SectionsComeOutInTheirTextOrder) {
    // Normals before vertices: each section header goes right before its
    // records, so the file stays readable.
    Object obj;
    obj.vertices = {{0, 1, 2, 3}};
    obj.normals = {{0, 4, 5, 6}};
    obj.flavors = {Flavor{14, {}}.l({1, 2})};
    defs(crlf({"NORMALS:", "0 4 5 6", "", "VERTICES:", "0 1 2 3"}), crlf({"FL14  4  1  2"}));
    const std::string bytes = compiled();
    const std::string expected = obj.bytes();
    // Same size and total; MRON and its record before PERP and its record.
    ASSERT_EQ(bytes.size(), expected.size());
    EXPECT_EQ(bytes.substr(0, 12), expected.substr(0, 12));
    EXPECT_EQ(bytes.substr(12, 28), expected.substr(40, 28));
    EXPECT_EQ(bytes.substr(40, 28), expected.substr(12, 28));
    EXPECT_EQ(bytes.substr(68), expected.substr(68));
}

TEST_F(Compile, RefusedLinesNameTheirFileAndLine) {
    const std::string vertices = crlf({"VERTICES:", "0 0 0 0"});
    struct Case {
        std::string vertexDef;
        std::string flavorDef;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {vertices, crlf({"FL14 4 1 2", "FL02  21  7  0  1  0"}),
         "flavor.def:2: FL02 kind 7 has no layout"},
        {vertices, crlf({"FL05  4  4  3"}), "flavor.def:1: FL05 kind 3 has no layout"},
        {vertices, crlf({"FL02  4  0  0  0"}), "flavor.def:1: FL02 count 0 out of range 1..32767"},
        {vertices, crlf({"FL04  4  -1"}), "flavor.def:1: FL04 count -1 out of range 0..32767"},
        {vertices, crlf({"FL12  4  4  -2"}), "flavor.def:1: FL12 count -2 out of range 0..32767"},
        {vertices, crlf({"FL05  4  4  0  -1"}),
         "flavor.def:1: FL05 count -1 out of range 0..32766"},
        {vertices, crlf({"FL17  4  1  2  3  0"}),
         "flavor.def:1: FL17 count 0 out of range 1..32767"},
        {vertices, crlf({"FL03  4  1  2"}),
         "flavor.def:1: FL03 line ends after 2 values; its layout needs more"},
        {vertices, crlf({"FL03"}), "flavor.def:1: flavor line without its offset"},
        {vertices, crlf({"FL05  4  4  1  70000  1"}),
         "flavor.def:1: FL05 value \"70000\" out of the 16-bit range"},
        {vertices, crlf({"FL05  4  4  1  5  x"}),
         "flavor.def:1: FL05 value \"x\" is not a number that fits 32 bits"},
        {vertices, crlf({"FL14  4  3000000000  1"}),
         "flavor.def:1: FL14 value \"3000000000\" out of the 32-bit range"},
        {vertices, crlf({"FL14 4 1 2", "FILE  late.mip"}),
         "flavor.def:2: file name after the first flavor line"},
        {vertices, crlf({"FILE", "FL14 4 1 2"}), "flavor.def:1: empty file name"},
        {vertices, crlf({"FILE  a\xFF", "FL14 4 1 2"}),
         "flavor.def:1: a file name cannot hold the bytes 0 or 255"},
        {crlf({"VERTICES:", ""}), crlf({"FL14 4 1 2"}),
         "vertex.def:2: the section above has no lines"},
        {crlf({"VERTICES:", "NORMALS:", "0 0 0 0"}), crlf({"FL14 4 1 2"}),
         "vertex.def:2: the section above has no lines"},
        {crlf({"0 0 0 0", "NORMALS:"}), crlf({"FL14 4 1 2"}),
         "vertex.def:2: the section above has no lines"},
        {crlf({"VERTICES:", "0 0 0 0", "", "VERTICES:", "1 0 0 0"}), crlf({"FL14 4 1 2"}),
         "vertex.def:4: a second VERTICES: section"},
        {crlf({"VERTICES:", "x1 0 0 0"}), crlf({"FL14 4 1 2"}),
         "vertex.def:2: \"x1\" is not a number that fits 32 bits"},
        {crlf({"VERTICES:", "5 1 2"}), crlf({"FL14 4 1 2"}),
         "vertex.def:2: a line needs a number and x, y, z"},
        {crlf({"VERTICES:", "5 1 2 99999999999"}), crlf({"FL14 4 1 2"}),
         "vertex.def:2: coordinate \"99999999999\" out of the 32-bit range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        defs(c.vertexDef, c.flavorDef);
        expectRefused(c.reason);
    }
    std::filesystem::remove(dir.file("flavor.def"));
    const Outcome o = compile();
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_NE(o.reason.find("flavor.def"), std::string::npos) << o.reason;
}

TEST_F(Compile, OutputIsReplacedOnlyByACompleteObject) {
    defs(crlf({"VERTICES:", "0 1 2 3"}), crlf({"FL14  4  1  2"}));
    writeFile(dir.file("new.3do"), std::string(500, 'x'));
    Object obj;
    obj.vertices = {{0, 1, 2, 3}};
    obj.flavors = {Flavor{14, {}}.l({1, 2})};
    EXPECT_EQ(compiled(), obj.bytes());  // the longer old file is gone entirely

    defs(crlf({"VERTICES:", "0 1 2 3"}), crlf({"FL14  4  1  2", "FL16  9  0"}));
    EXPECT_EQ(compile().status, Status::Failed);
    EXPECT_EQ(readFile(dir.file("new.3do")), obj.bytes());
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find("z5tmp"), std::string::npos);
}

TEST_F(Compile, WorkFilesLiveInTheWorkingFolderWhateverTheirCase) {
    writeFile(dir.file("VERTEX.DEF"), crlf({"VERTICES:", "0 1 2 3"}));
    writeFile(dir.file("Flavor.Def"), crlf({"FL14  4  1  2"}));
    writeFile(dir.file("Offset.DEF"), "old");
    Object obj;
    obj.vertices = {{0, 1, 2, 3}};
    obj.flavors = {Flavor{14, {}}.l({1, 2})};
    EXPECT_EQ(compiled(), obj.bytes());
    EXPECT_EQ(readFile(dir.file("Offset.DEF")), crlf({"VERT", " 0  0 ", "FL14 4", "4"}));
    EXPECT_FALSE(fileExists(dir.file("offset.def")));
}

TEST_F(Compile, WriterRefusesAFlavorOffTheFirstPassPlacement) {
    defs(crlf({"VERTICES:", "0 1 2 3"}), crlf({"FL14  4  1  2", "FL14  17  3  4"}));
    using namespace object3d;
    CompileState state;
    RenumberTables tables;
    TextWriter offsets(dir.file("offset.def"), "offset.def");
    TextReader vertexDef(dir.file("vertex.def"), "vertex.def");
    TextReader flavorDef(dir.file("flavor.def"), "flavor.def");
    GetVertex(vertexDef, offsets, state);
    GetFlavor(flavorDef, offsets, state);
    EXPECT_EQ(state.lngPrimCount, 30);
    EXPECT_EQ(state.lngRoot, 17);
    TextReader offsetDef(dir.file("offset.def"), "offset.def");
    MakeArray(offsetDef, state, tables);
    // Pretend the first pass placed the second flavor one byte later.
    tables.lngOffsetTable.set(1, 17, 18);
    TextReader v(dir.file("vertex.def"), "vertex.def"), f(dir.file("flavor.def"), "flavor.def");
    BinaryWriter out(dir.file("x.3do"), "x.3do");
    try {
        WriteFile(v, f, out, state, tables);
        ADD_FAILURE() << "a misplaced flavor was written";
    } catch (const CommandFailure& e) {
        EXPECT_STREQ(e.what(),
                     "flavor.def:2: flavor would be written at offset 17, not where the first "
                     "pass placed it");
    }
}

}  // namespace
}  // namespace z5
