// The 3do decompile and compile, run through their rows of the command table in a
// scratch working folder. Objects are built here from their records, so
// expected bytes and lines never come from the code under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <tuple>

#include "object3d/renumbering.hpp"
#include "platform/encoding.hpp"
#include "platform/files.hpp"
#include "tests/support/objects.hpp"
#include "tests/support/rows.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using namespace test;

// One flavor of every type and of every FL02 and FL05 kind with a layout.
// clang-format off
const std::vector<Flavor> kEveryFlavor = {
    // FL02 kinds 0 to 5, 12 and 13: kind, reserved, count, then the lists.
    Flavor(2, {0, 9, 2, 1, 0}), Flavor(2, {1, 9, 2, 0, 1}).i({-1, 2, 3, 4}),
    Flavor(2, {2, 9, 1, 1}).i({5, 6}), Flavor(2, {3, 9, 2, 1, 0}).i({1, 2, 3, 4}).l({7, 8}),
    Flavor(2, {4, 9, 2, 10, 11, 12, 13}), Flavor(2, {5, 9, 2, 0, 1}).i({1, 2, 3, 4}).l({7, 8}),
    Flavor(2, {12, 9, 1, 1, 0}), Flavor(2, {13, 9, 2, 1, 0}).i({1, 2, 32767, -32768}).l({0, 0}),
    Flavor(3, {1, 2, 3}), Flavor(4, {0}), Flavor(4, {2, 4, 21}),
    // FL05 kind 0 with no list and with two, kinds 1, 4, 5 and 12.
    Flavor(5, {4}).i({0, 0}), Flavor(5, {4}).i({0, 2, 7, 8, 9}),
    Flavor(5, {21}).i({1, 5}).l({-6}), Flavor(5, {4}).i({4, 5}).l({6}),
    Flavor(5, {4}).i({5, 5}).l({6, 7}), Flavor(5, {4}).i({12, 5}).l({6, 7}),
    Flavor(6, {1, 2, 3, 4, 5, 4}), Flavor(7, {1, 2, 3, 4, 5, 4, 21}),
    Flavor(8, {1, 2, 3, 4, 5, 4, 21, 38, 4}), Flavor(9, {1, 2, 3, 4, 5, 6, 7, 8}),
    Flavor(10, {1, 2, 3, 4, 5, 6, 7, 8}), Flavor(11, {1, 2, 3, 4, 5, 6, 7}),
    Flavor(12, {4, 2, 21, 38}), Flavor(13, {1, 2, 3, 4, 5, 6, 7, 8}), Flavor(14, {1, 2}),
    Flavor(15, {1, 2, 3, 4}), Flavor(16, {1, 99}), Flavor(17, {1, 2, 3, 2, 10, 4, 11, 21}),
    Flavor(19, {1, 2, 3, 4, 5, 6, 7, 8}), Flavor(21, {1, 2, 3, 4, 5})};
// clang-format on

// Runs the decompile (from obj.3do) and the compile (into new.3do).
struct Object3d : ::testing::Test {
    TempFolder dir;
    FakeHost host{dir.str()};

    Outcome decompile(const std::string& bytes) {
        writeFile(dir.file("obj.3do"), bytes);
        host.answer = dir.file("obj.3do");
        host.messages.clear();
        return runRow("mnu3doDecompile", host);
    }
    std::string vertexDef() const { return readFile(dir.file("vertex.def")); }
    std::string flavorDef() const { return readFile(dir.file("flavor.def")); }
    // The lines after the head.
    std::string flavorBody() const { return flavorDef().substr(kFlavorHead.size()); }

    void defs(const std::string& vertexDef, const std::string& flavorDef) {
        writeFile(dir.file("vertex.def"), vertexDef);
        writeFile(dir.file("flavor.def"), flavorDef);
    }
    Outcome run(const char* row, const std::string& answer) {
        host.answer = answer;
        host.messages.clear();
        return runRow(row, host);
    }
    Outcome compile(const char* name = "new.3do") {
        host.answer = dir.file(name);
        host.messages.clear();
        return runRow("mnu3doCompile", host);
    }
    std::string compiled() {
        const Outcome o = compile();
        expectDone(o);
        return o.status == Status::Done ? readFile(dir.file("new.3do")) : "";
    }
    void expectBox(const Outcome& o, Status status, const char* text, const char* title) {
        EXPECT_EQ(o.status, status) << o.reason;
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0], std::make_pair(std::string(text), std::string(title)));
        EXPECT_FALSE(host.busyChanges.back());
    }
    void expectDone(const Outcome& o) { expectBox(o, Status::Done, "DONE", "Bank App"); }
};

TEST_F(Object3d, DecompileWholeObjectToTheByte) {
    const Object obj{.vertices = {{0, 1, -2, 3}, {100000, -2147483647 - 1, 0, 7}},
                     .normals = {{-10000, 0, 1, 0}},
                     .names = {"a", "bb"},
                     .flavors = {Flavor(3, {1, 2, 3}), Flavor(14, {-5, 6})}};
    expectDone(decompile(obj.bytes()));
    EXPECT_EQ(host.filters, std::vector<std::string>{"3do Files(*.3do)|*.3do"});
    // Six-character keys run straight into the X column.
    EXPECT_EQ(vertexDef(),
              kVertexHead + crlf({"VERTICES:", "     0            1           -2            3",
                                  "100000  -2147483648            0            7", "", "",
                                  "NORMALS:", "-10000            0            1            0"}));
    EXPECT_EQ(flavorDef(), kFlavorHead + crlf({"FILE  a", "FILE  bb", "",
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
         .flavors = kEveryFlavor},
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
    expectDone(decompile(kObjectHeader + prim(Flavor(0).bytes() + first.bytes() +
                                              Flavor(30).bytes() + first.bytes())));
    EXPECT_EQ(flavorBody(), crlf({first.line(4), first.line(21)}));

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
        expectDone(decompile(kObjectHeader + prim(first.bytes() + flavor.bytes() + first.bytes())));
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
        kVertexHead + crlf({"", "", "NORMALS:", "     1            2            3            4"});
    expectDone(decompile(bytes));
    EXPECT_EQ(vertexDef(), normals + crlf({"VERTICES:"}));
    EXPECT_EQ(flavorBody(), crlf({"FILE  x", "", fl14.line(4)}));

    // Five tags are read at most: PERP and PRIM are never reached.
    expectDone(decompile(Bytes().i32(1).i32(2).str() + bytes));
    EXPECT_EQ(vertexDef(), normals);
    EXPECT_EQ(flavorBody(), crlf({"FILE  x", ""}));

    // A section that comes twice is shown twice, each in its place.
    const std::string vertex = section(kPerp, 16, Bytes().i32(5).i32(6).i32(7).i32(8).str());
    expectDone(decompile(vertex + section(kNrts, 3, names) + vertex + section(kNrts, 3, names) +
                         prim(fl14.bytes())));
    const std::string line = "     5            6            7            8";
    EXPECT_EQ(vertexDef(), kVertexHead + crlf({"VERTICES:", line, "VERTICES:", line}));
    EXPECT_EQ(flavorBody(), crlf({"FILE  x", "", "FILE  x", "", fl14.line(4)}));

    // Length 8 with the end mark at the fourth byte: the rest of the list is
    // skipped, neither read as names nor as a tag, so after two unknown words
    // PRIM is still the fifth tag read.
    const std::string early = Bytes().text("ab").u8(0).u8(0xFF).text("cd").u8(0).u8(0xFF).str();
    expectDone(decompile(kObjectHeader + section(kNrts, 8, early) + Bytes().i32(1).i32(2).str() +
                         prim(fl14.bytes())));
    EXPECT_EQ(flavorBody(), crlf({"FILE  ab", "", fl14.line(4)}));
}

TEST_F(Object3d, DecompileFailuresKeepWhatWasReadAndNameTheStage) {
    const Flavor fl14(14, {1, 2});
    Outcome o = decompile(kObjectHeader + prim(fl14.bytes() + Flavor(2, {0, 0, 0}).bytes()));
    expectBox(o, Status::Failed, "CRASH - PRIM", "ERROR 5");
    // The reason names the section and where reading stopped: after the
    // 12-byte header, 16 bytes of PRIM head, 13 of FL14 and 17 of FL02.
    EXPECT_EQ(o.reason,
              dir.file("obj.3do") + ": PRIM at byte 58: FL02 count 0 out of range 1..32767");
    EXPECT_EQ(flavorBody(), crlf({fl14.line(4)}));

    o = decompile(kObjectHeader + section(kPerp, 16 * 32769, ""));
    expectBox(o, Status::Failed, "CRASH - Vertex", "ERROR 2");
    EXPECT_NE(o.reason.find("PERP at byte 24"), std::string::npos) << o.reason;
    EXPECT_EQ(vertexDef(), kVertexHead);

    o = decompile(section(kPerp, 16, Bytes().i32(5).i32(6).i32(7).i32(8).str()) +
                  section(kMron, -16 * 32770, ""));
    expectBox(o, Status::Failed, "CRASH - Normals", "ERROR 3");
    EXPECT_EQ(vertexDef(),
              kVertexHead + crlf({"VERTICES:", "     5            6            7            8"}));

    // The section each stops in, and the end of the reason.
    const std::tuple<std::string, const char*, const char*> cases[] = {
        {prim(Flavor(2, {0, 0, 32768}).bytes()), "ERROR 5",
         "FL02 count 32768 out of range 1..32767"},
        {prim(Flavor(5, {0}).i({0, 32767}).bytes()), "ERROR 5",
         "FL05 count 32767 out of range 0..32766"},
        {prim(Flavor(12, {0, 0}).bytes()), "ERROR 5", "FL12 count 0 out of range 1..32767"},
        {prim(Flavor(17, {0, 0, 0, -5}).bytes()), "ERROR 5", "FL17 count -5 out of range 1..32767"},
        {section(kNrts, 0, ""), "ERROR 4", "name list length 0 below 1"},
        {section(kNrts, -4, ""), "ERROR 4", "name list length -4 below 1"},
        {section(kNrts, 32768, ""), "ERROR 4", "length 32768 out of the 16-bit range"},
    };
    for (const auto& [bytes, title, what] : cases) {
        o = decompile(kObjectHeader + bytes);
        expectBox(o, Status::Failed, title[6] == '5' ? "CRASH - PRIM" : "CRASH - NRTS", title);
        EXPECT_TRUE(o.reason.ends_with(what)) << o.reason;
    }

    // Before the first tag nothing names a section: no crash message.
    host.answer = dir.file("missing.3do");
    host.messages.clear();
    o = runRow("mnu3doDecompile", host);
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_NE(o.reason.find("missing.3do"), std::string::npos);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Object3d, FilesOfAnotherKindAreRefusedAndLeaveTheDefinitions) {
    // A track, an empty file, three bytes, and PRIM as the sixth word: none
    // of the words read as tags is one.
    const std::string others[] = {Bytes().text("KART").i32(1).i32(0).i32(1).i32(1).fill(8).str(),
                                  "", "3OD", Bytes().fill(20).str() + prim(Flavor(3).bytes())};
    for (const std::string& bytes : others) {
        defs("old vertices", "old flavors");
        const Outcome o = decompile(bytes);
        EXPECT_EQ(o.reason, dir.file("obj.3do") +
                                " is not a 3do object: none of the tags 3OD3 PERP MRON NRTS PRIM");
        EXPECT_TRUE(host.messages.empty());  // no section to name
        EXPECT_EQ(vertexDef(), "old vertices");
        EXPECT_EQ(flavorDef(), "old flavors");
    }
    // Read leniently, it is an object without sections.
    host.reading = Strictness::Lenient;
    expectDone(decompile(others[0]));
    EXPECT_EQ(vertexDef(), kVertexHead);
    EXPECT_EQ(flavorDef(), kFlavorHead);
    ASSERT_EQ(host.diagnostics.size(), 1u);
    EXPECT_EQ(diagnosticLine(host.diagnostics[0]),
              dir.file("obj.3do") +
                  ": warning: is not a 3do object: none of the tags 3OD3 PERP MRON NRTS PRIM; "
                  "read as one (--lenient)");
}

TEST_F(Object3d, CutShortObjectsAreRefusedNamingWhereTheyEnd) {
    const Flavor fl14(14, {1, 2});
    // Vertices from byte 24; names from 24 to 30, padded to 32; the root at
    // 24, FL14 from 28, FL03 (offset 17) from 41 to 58, padded to 60.
    const std::string cube = Object{.vertices = std::vector<Point>(8, {1, 2, 3, 4})}.bytes();
    const std::string names = Object{.names = {"a", "bb"}}.bytes();
    const std::string flavors = Object{.flavors = {fl14, Flavor(3, {1, 2, 3})}}.bytes();
    const std::string unsupported = kObjectHeader + prim(fl14.bytes() + Bytes().u8(18).str());
    // The bytes, the reason after the file's name, the box and its title.
    const std::tuple<std::string, std::string, const char*, const char*> cases[] = {
        {cube.substr(0, 61), "ends at byte 61, inside vertex 3 of 8 (PERP at byte 12)",
         "CRASH - Vertex", "ERROR 2"},
        // A huge count in a short file is refused before anything is sized.
        {section(kPerp, 16 * 32768, ""),
         "ends at byte 12, before vertex 1 of 32768 (PERP at byte 0)", "CRASH - Vertex", "ERROR 2"},
        {cube.substr(0, 20), "ends at byte 20, inside the section header (PERP at byte 12)",
         "CRASH - Vertex", "ERROR 2"},
        {cube.substr(0, 14), "ends at byte 14, inside the section tag at byte 12", "CRASH - Header",
         "ERROR 1"},
        // Between two sections, and between two flavors: the Lengths of the
        // object and of the flavors tell where they end.
        {cube.substr(0, 12),
         "ends at byte 12, inside the object, whose Length 140 runs to byte 152 (3OD3 at byte 0)",
         "CRASH - Header", "ERROR 1"},
        {flavors.substr(0, 41),
         "ends at byte 41, inside the flavors, whose Length 34 runs to byte 58 (PRIM at byte 12)",
         "CRASH - PRIM", "ERROR 5"},
        {names.substr(0, 27), "ends at byte 27, inside the file names (NRTS at byte 12)",
         "CRASH - NRTS", "ERROR 4"},
        {names.substr(0, 31),
         "ends at byte 31, inside the padding after the file names (NRTS at byte 12)",
         "CRASH - NRTS", "ERROR 4"},
        {flavors.substr(0, 26), "ends at byte 26, inside the Root field (PRIM at byte 12)",
         "CRASH - PRIM", "ERROR 5"},
        {flavors.substr(0, 50), "ends at byte 50, inside FL03 at offset 17 (PRIM at byte 12)",
         "CRASH - PRIM", "ERROR 5"},
        {unsupported, "ends at byte 42, inside flavor type 18 at offset 17 (PRIM at byte 12)",
         "CRASH - PRIM", "ERROR 5"},
    };
    for (const auto& [bytes, where, box, title] : cases) {
        SCOPED_TRACE(where);
        const Outcome o = decompile(bytes);
        expectBox(o, Status::Failed, box, title);
        EXPECT_EQ(o.reason, dir.file("obj.3do") + " " + where);
    }
    // What was read before the damage stays.
    EXPECT_EQ(flavorBody(), crlf({fl14.line(4)}));
    decompile(cube.substr(0, 61));
    EXPECT_EQ(vertexDef(), kVertexHead);

    // The padding after the last flavor is no flavor the file ends inside;
    // only the object's Length counts it.
    const std::string list = flavors.substr(kObjectHeader.size());
    for (const std::size_t size : {list.size(), list.size() - 1}) {
        expectDone(decompile(list.substr(0, size)));
        EXPECT_EQ(flavorBody(), crlf({fl14.line(4), Flavor(3, {1, 2, 3}).line(17)}));
    }
}

TEST_F(Object3d, AnObjectCutAtAnyByteIsRefusedAndReadLeniently) {
    const std::string whole = Object{.vertices = {{1, 2, 3, 4}},
                                     .normals = {{5, 6, 7, 8}},
                                     .names = {"ab"},
                                     .flavors = {Flavor(14, {1, 2}), Flavor(3, {1, 2, 3})}}
                                  .bytes();
    expectDone(decompile(whole));
    for (std::size_t size = 4; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        const Outcome o = decompile(whole.substr(0, size));
        EXPECT_EQ(o.status, Status::Failed);
        EXPECT_TRUE(o.reason.starts_with(dir.file("obj.3do") + " ends at byte " +
                                         std::to_string(size) + ", "))
            << o.reason;
    }
    // Cut after FL14 (the root at 96): read leniently, what stands before
    // the cut is kept.
    host.reading = Strictness::Lenient;
    expectDone(decompile(whole.substr(0, 113)));
    EXPECT_EQ(flavorBody(), crlf({"FILE  ab", "", Flavor(14, {1, 2}).line(4)}));
    ASSERT_EQ(host.diagnostics.size(), 1u);
    EXPECT_EQ(diagnosticLine(host.diagnostics[0]),
              dir.file("obj.3do") +
                  ": warning: ends at byte 113, inside the flavors, whose Length 34 runs to byte "
                  "130 (PRIM at byte 84); read with zeros past its end (--lenient)");
}

TEST_F(Object3d, LenientReadingTakesZerosPastTheEndWithAWarning) {
    // Each file cut short, and where its last record ends: read leniently it
    // gives what the file filled up with zeros to there gives.
    const std::string cube = Object{.vertices = std::vector<Point>(8, {1, 2, 3, 4})}.bytes();
    const std::string list = kObjectHeader + prim(Bytes().u8(16).i32(0).i32(3).i32(9).str());
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {cube.substr(0, 61), cube.size(),
         "ends at byte 61, inside vertex 3 of 8 (PERP at byte 12)"},
        {list, list.size() + 8, "ends at byte 41, inside FL16 at offset 4 (PRIM at byte 12)"},
    };
    for (const auto& [bytes, filled, warning] : cases) {
        SCOPED_TRACE(warning);
        host.reading = Strictness::Standard;
        std::string zeros = bytes;
        zeros.resize(filled, '\0');
        expectDone(decompile(zeros));
        const std::string vertices = vertexDef(), flavors = flavorDef();
        host.reading = Strictness::Lenient;
        host.diagnostics.clear();
        expectDone(decompile(bytes));
        EXPECT_EQ(vertexDef(), vertices);
        EXPECT_EQ(flavorDef(), flavors);
        ASSERT_EQ(host.diagnostics.size(), 1u);
        EXPECT_EQ(diagnosticLine(host.diagnostics[0]),
                  dir.file("obj.3do") + ": warning: " + warning +
                      "; read with zeros past its end (--lenient)");
    }
    EXPECT_EQ(flavorBody(), crlf({Flavor(16, {3, 9, 0, 0}).line(4)}));

    // The picture and the OBJ export read the object as the decompile does.
    writeFile(dir.file("obj.3do"), cube.substr(0, 61));
    for (const char* row : {"mnu3doView", "mnu3doExport"}) {
        SCOPED_TRACE(row);
        host.reading = Strictness::Standard;
        EXPECT_EQ(runRow(row, host).reason,
                  dir.file("obj.3do") + " ends at byte 61, inside vertex 3 of 8 (PERP at byte 12)");
        host.reading = Strictness::Lenient;
        host.diagnostics.clear();
        EXPECT_EQ(runRow(row, host).status, Status::Done);
        EXPECT_EQ(host.diagnostics.size(), 1u);
    }
}

TEST_F(Object3d, CompileOffsetFileShowsEveryRenumbering) {
    defs(crlf({"VERTICES:", "    12  1  2  3", "", "", "NORMALS:", "     7  0  0  1"}),
         crlf({"FILE  x.mip", "", "FL02  100  1  5  2  12  12  1  2  3  4",
               "FL04  117  2  100  117", "FL05  200  100  0  0", "FL06  300  1  2  3  4  5  100",
               "FL07  400  1  2  3  4  5  100  117", "FL08  500  1  2  3  4  5  6  7  8  9",
               "FL09  600  1  2  3  4  5  100  7  8", "FL12  700  100  1  117",
               "FL13  800  1  2  3  4  5  6  7  117", "FL16  900  1  100",
               "FL17  999  117  2  3  1  5  100"}));
    const Object expected{
        .vertices = {{0, 1, 2, 3}},
        .normals = {{0, 0, 0, 1}},
        .names = {"x.mip"},
        .flavors = {Flavor(2, {1, 5, 2, 0, 0}).i({1, 2, 3, 4}), Flavor(4, {2, 4, 37}),
                    Flavor(5, {4}).i({0, 0}), Flavor(6, {1, 2, 3, 4, 5, 4}),
                    Flavor(7, {1, 2, 3, 4, 5, 4, 37}), Flavor(8, {1, 2, 3, 4, 5, 6, 7, 8, 9}),
                    Flavor(9, {1, 2, 3, 4, 5, 4, 7, 8}), Flavor(12, {4, 1, 37}),
                    Flavor(13, {1, 2, 3, 4, 5, 6, 7, 37}), Flavor(16, {1, 100}),
                    Flavor(17, {117, 2, 3, 1, 5, 4})}};
    EXPECT_EQ(compiled(), expected.bytes());
    // Each flavor's entry: its tag, old offset and the values it refers by,
    // then its new offset on a line of its own.
    // clang-format off
    EXPECT_EQ(readFile(dir.file("offset.def")), crlf({
        "VERT", " 12  0 ", "NORM", " 7  0 ",
        "FL02 100 1 2", "4",            "FL04 117 2  100  117", "37",
        "FL05 200 100", "54",           "FL06 300 100", "67",
        "FL07 400 100 117", "96",       "FL08 500 6 7 8 9", "129",
        "FL09 600 100 7 8", "170",      "FL12 700 100 1", "207",
        "FL13 800 117", "224",          "FL16 900 1", "261",
        "FL17 999 1", "274"}));
    // clang-format on
}

TEST_F(Object3d, CompileRenumbersOnlyTheFieldsThatReferToFlavors) {
    // Every value is 21, the old offset of the first flavor, which lands at 4.
    const std::vector<Flavor> flavors = {
        Flavor(14, {21, 21}),
        Flavor(3, {21, 21, 21}),
        Flavor(6, {21, 21, 21, 21, 21, 4}),
        Flavor(7, {21, 21, 21, 21, 21, 4, 4}),
        Flavor(8, {21, 21, 21, 21, 21, 4, 4, 4, 4}),
        Flavor(9, {21, 21, 21, 21, 21, 4, 4, 4}),
        Flavor(10, {21, 21, 21, 21, 21, 4, 4, 4}),
        Flavor(11, {21, 21, 21, 21, 21, 4, 4}),
        Flavor(13, {21, 21, 21, 21, 21, 21, 21, 4}),
        Flavor(15, {21, 21, 21, 21}),
        Flavor(19, {21, 21, 21, 21, 21, 21, 21, 4}),
        Flavor(21, {21, 21, 21, 21, 21}),
    };
    std::string text;
    for (const Flavor& f : flavors) {
        text += f.line(text.empty() ? 21 : 999).substr(0, 11);
        for (std::size_t k = 0; k < f.fields.size(); ++k) text += " 21";
        text += "\r\n";
    }
    defs("", text);
    EXPECT_EQ(compiled(), Object{.flavors = flavors}.bytes());
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

TEST_F(Object3d, CompileTakesOnlyTheLinesItReads) {
    // Kinds written with a leading zero or a point, and indented flavor and
    // name lines, are placed exactly as they are written.
    defs("", crlf({"  FILE  ab", "   FL02  4  01  0  2  0  0  1  2  3  4", "FL05  30  4  1.0  5  6",
                   "FL14  40  1  2"}));
    const Object obj{.names = {"ab"},
                     .flavors = {Flavor(2, {1, 0, 2, 0, 0}).i({1, 2, 3, 4}),
                                 Flavor(5, {4}).i({1, 5}).l({6}), Flavor(14, {1, 2})}};
    EXPECT_EQ(compiled(), obj.bytes());

    // Remarks, message lines and flavor types without a layout write nothing.
    defs(crlf({"REM x", "VERTICES:", "0 0 0 0"}),
         crlf({"REM  Z5", "FL18  4  1  2", "FL14  4  1  2", "ERROR - Flavor 20", " 21 "}));
    EXPECT_EQ(compiled(),
              (Object{.vertices = {{0, 0, 0, 0}}, .flavors = {Flavor(14, {1, 2})}}.bytes()));

    // Normals before vertices: each section header goes right before its
    // records, with the same total.
    defs(crlf({"NORMALS:", "0 4 5 6", "", "VERTICES:", "0 1 2 3"}), crlf({"FL14  4  1  2"}));
    const std::string usual = Object{
        .vertices = {{0, 1, 2, 3}},
        .normals = {{0, 4, 5, 6}},
        .flavors = {
            Flavor(14, {1, 2})}}.bytes();
    EXPECT_EQ(compiled(),
              usual.substr(0, 12) + usual.substr(40, 28) + usual.substr(12, 28) + usual.substr(68));
}

// Slips in vertex.def and flavor.def are named where they stand; the object
// is compiled as the reading by position takes it.
TEST_F(Object3d, SlipsAreNamedWhereTheyStand) {
    const Object obj{.vertices = {{0, 1, 2, 3}, {1, 4, 5, 6}},
                     .flavors = {Flavor(3, {1, 2, 3}), Flavor(4, {1, 4})}};
    ASSERT_EQ(decompile(obj.bytes()).status, Status::Done);
    std::vector<std::string> vertex = splitCrlf(vertexDef()), flavor = splitCrlf(flavorDef());
    vertex.insert(vertex.begin() + 3, "a remark");  // a line the layout does not have
    vertex[7] += " 9";                              // a fifth value on a point line
    vertex[8].replace(vertex[8].find('4'), 1, "4.5");
    flavor[5] += "  1";  // a fourth value of the FL03
    flavor.insert(flavor.begin() + 6, "FL20     30            1");
    writeFile(dir.file("vertex.def"), joinCrlf(vertex));
    writeFile(dir.file("flavor.def"), joinCrlf(flavor));
    const Object read{.vertices = {{0, 1, 2, 39}, {1, 4, 5, 6}},
                      .flavors = {Flavor(3, {1, 2, 31}), Flavor(4, {1, 4})}};
    EXPECT_EQ(compiled(), read.bytes());
    std::vector<std::string> lines;
    for (const Diagnostic& d : host.diagnostics) lines.push_back(diagnosticLine(d));
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "vertex.def:4:1: warning: the layout has nothing more here before "
                  "\"VERTICES:\"; found \"a remark\"; it is not read",
                  "vertex.def:8:45: warning: the layout has 4 values on a point line; found "
                  "more: the last, z, is read from \"3 9\" as 39",
                  "vertex.def:9:19: warning: the layout has a whole number here (x); found "
                  "\"4.5\", read as 4",
                  "flavor.def:6:50: warning: the layout has 3 values after the offset of this "
                  "FL03; found more: the last is read from \"3  1\" as 31",
                  "flavor.def:7:1: warning: the layout has a flavor line of a type with a layout "
                  "here (FL02 to FL21, not FL18 or FL20); found \"FL20\", and the line is "
                  "skipped"}));

    // A misspelt last header: its section is not read, and the warning
    // counts the lines that go with it.
    defs(crlf({"VERTICES:", "0 1 2 3", "", "", "NORMAL:", "0 0 0 1", "", "1 0 1 0"}),
         crlf({"FL14  4  1  2"}));
    host.diagnostics.clear();
    EXPECT_EQ(compiled(),
              (Object{.vertices = {{0, 1, 2, 3}}, .flavors = {Flavor(14, {1, 2})}}.bytes()));
    ASSERT_EQ(host.diagnostics.size(), 3u);  // the heads missing, and the header
    EXPECT_EQ(diagnosticLine(host.diagnostics[1]),
              "vertex.def:5:1: warning: the layout has a point line or a section header "
              "(\"VERTICES:\", \"NORMALS:\") here; found \"NORMAL:\"; it and 2 more lines are "
              "not read");
}

TEST_F(Object3d, CompileRefusesLinesNamingTheirFileAndLine) {
    const std::string vertices = crlf({"VERTICES:", "0 0 0 0"}), flavors = crlf({"FL14 4 1 2"});
    // Fails with `reason` and writes no object.
    const auto refused = [this](const std::string& vertexDef, const std::string& flavorDef,
                                const std::string& reason) {
        defs(vertexDef, flavorDef);
        const Outcome o = compile("refused.3do");
        EXPECT_EQ(o.status, Status::Failed);
        EXPECT_EQ(o.reason, reason);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_FALSE(fileExists(dir.file("refused.3do")));
    };
    // A flavor line that cannot be compiled, alone in flavor.def.
    const std::pair<const char*, const char*> lines[] = {
        {"FL05  4  4  3", "FL05 kind 3 has no layout"},
        {"FL02  4  0  0  0", "FL02 count 0 out of range 1..32767"},
        {"FL04  4  -1", "FL04 count -1 out of range 0..32767"},
        {"FL12  4  4  -2", "FL12 count -2 out of range 0..32767"},
        {"FL05  4  4  0  -1", "FL05 count -1 out of range 0..32766"},
        {"FL16  4  0", "FL16 count 0 out of range 1..32767"},
        {"FL17  4  1  2  3  0", "FL17 count 0 out of range 1..32767"},
        {"FL03  4  1  2", "FL03 line ends after 2 values; its layout needs more"},
        {"FL03", "flavor line without its offset"},
        {"FL18  4  1  2", "the file ends without a flavor line (FL02 to FL21)"},
        {"FL05  4  4  1  70000  1", "FL05 value \"70000\" out of the 16-bit range"},
        {"FL05  4  4  1  5  x", "FL05 value \"x\" is not a number that fits 32 bits"},
        {"FL14  4  3000000000  1", "FL14 value \"3000000000\" out of the 32-bit range"},
    };
    for (const auto& [line, reason] : lines)
        refused(vertices, crlf({line}), "flavor.def:1: " + std::string(reason));

    // Names stand before the flavors and hold no byte that ends one.
    refused(vertices, crlf({"FL14 4 1 2", "FL02  21  7  0  1  0"}),
            "flavor.def:2: FL02 kind 7 has no layout");
    for (const char* first : {"FL14 4 1 2", "FL18 4 1 2"})
        refused(vertices, crlf({first, "FILE  late.mip"}),
                "flavor.def:2: file name after the first flavor line");
    refused(vertices, crlf({"FILE", "FL14 4 1 2"}), "flavor.def:1: empty file name");
    refused(vertices, crlf({"FILE  a\xFF", "FL14 4 1 2"}),
            "flavor.def:1: a file name cannot hold the bytes 0 or 255");

    // vertex.def: sections with lines, once each, of a number and x, y, z.
    const std::pair<std::string, const char*> vertexDefs[] = {
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
        {crlf({"VERTICES:", "5 -3000000000 2 3"}),
         "vertex.def:2: coordinate \"-3000000000\" out of the 32-bit range"},
        {crlf({"VERTICES:", "2147483648 1 2 3"}),
         "vertex.def:2: \"2147483648\" is not a number that fits 32 bits"},
        {crlf({"VERTICES:", "5 1"}), "vertex.def:2: a line needs a number and x, y, z"},
    };
    for (const auto& [vertexDef, reason] : vertexDefs) refused(vertexDef, flavors, reason);

    // Lines and flavors are counted with 16-bit counters: 32768 at most.
    std::string manyPoints = "VERTICES:\r\n", manyFlavors;
    for (int i = 0; i <= 32768; ++i) {
        manyPoints += "0 0 0 0\r\n";
        manyFlavors += "FL14 4 1 2\r\n";
    }
    refused(manyPoints, flavors, "vertex.def:32770: more than 32768 lines in one section");
    refused(vertices, manyFlavors, "flavor.def:32769: more than 32768 flavor lines");
}

// A quad, a triangle with normals, a quad that stays on its third corner,
// the first quad again, a quad through vertex 1 twice, and a loose vertex.
const Object kFaces{
    .vertices = {{0, 0, 0, 0},
                 {1, 100, 0, 0},
                 {2, 100, 100, 0},
                 {3, 0, 100, 0},
                 {4, 50, 50, 80},
                 {5, 7, 7, 7}},
    .normals = {{0, 0, 0, 1}},
    .flavors = {Flavor(2, {0, 9, 4, 0, 1, 2, 3}), Flavor(2, {12, 9, 3, 0, 1, 4, 0, 0, 0}),
                Flavor(2, {0, 9, 4, 1, 2, 2, 4}), Flavor(2, {0, 9, 4, 0, 1, 2, 3}),
                Flavor(2, {0, 9, 4, 0, 2, 0, 3})}};

TEST_F(Object3d, ExportWithoutFileWritesTheDefinitionsAsTheirCompiledObject) {
    expectDone(decompile(kFaces.bytes()));
    expectDone(run("mnu3doExport", ""));
    const std::string definitions = readFile(dir.file("definitions.obj"));
    EXPECT_EQ(splitLines(definitions, "\n").at(3), "o definitions");
    // The compiled object of that name, exported, differs in its first line only.
    expectDone(compile("definitions.3do"));
    expectDone(run("mnu3doExport", dir.file("definitions.3do")));
    const std::string object = readFile(dir.file("definitions.obj"));
    EXPECT_EQ(definitions.substr(0, definitions.find('\n')),
              "# Wavefront OBJ of vertex.def and flavor.def, written by z5def");
    EXPECT_EQ(object.substr(0, object.find('\n')),
              "# Wavefront OBJ of definitions.3do, written by z5def");
    EXPECT_EQ(definitions.substr(definitions.find('\n')), object.substr(object.find('\n')));
}

TEST_F(Object3d, ExportStandsTheObjectUpAndPositionsTurnsItBackExactly) {
    // The ends of the 32-bit range: -y of -2147483648 does not fit 32 bits.
    const Object extremes{.vertices = {{0, 1, 2, 3},
                                       {1, -2147483647 - 1, -2147483647 - 1, 2147483647},
                                       {2, 2147483647, 2147483647, -2147483647 - 1}},
                          .normals = {{0, 0, -1, 0}},
                          .flavors = {Flavor(2, {12, 9, 3, 0, 1, 2, 0, 0, 0})}};
    expectDone(decompile(extremes.bytes()));
    const std::string decompiled = vertexDef();
    expectDone(run("mnu3doExport", dir.file("obj.3do")));
    const auto lines = splitLines(readFile(dir.file("obj.obj")), "\n");
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 2, lines.begin() + 8),
        (std::vector<std::string>{"# v and vn: x, z, -y of the object, its z up as the second axis",
                                  "o obj", "v 1 3 -2", "v -2147483648 2147483647 2147483648",
                                  "v 2147483647 -2147483648 -2147483647", "vn 0 0 1"}));
    // Positions of that OBJ gives every value back to definitions that had
    // others.
    std::string zeroed = decompiled;
    for (const std::string_view line : {"     1  -2147483648  -2147483648   2147483647",
                                        "     2   2147483647   2147483647  -2147483648"}) {
        const std::size_t at = zeroed.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        zeroed.replace(at + 6, line.size() - 6, "            0            0            0");
    }
    writeFile(dir.file("vertex.def"), zeroed);
    expectDone(run("mnu3doPositions", dir.file("obj.obj")));
    EXPECT_EQ(vertexDef(), decompiled);

    // An exact edit that a 32-bit float cannot tell from the old value is
    // still an edit; and one past the range is refused, though its float
    // is the old value's.
    const auto edited = [&](std::string_view from, std::string_view to) {
        std::string obj = readFile(dir.file("obj.obj"));
        obj.replace(obj.find(from), from.size(), to);
        writeFile(dir.file("edit.obj"), obj);
        return run("mnu3doPositions", dir.file("edit.obj"));
    };
    expectDone(edited("v 2147483647 -2147483648", "v 2147483600 -2147483648"));
    std::string expected = decompiled;
    expected.replace(expected.find("   2147483647   2147483647"), 13, "   2147483600");
    EXPECT_EQ(vertexDef(), expected);
    const Outcome o =
        edited("v -2147483648 2147483647 2147483648", "v -2147483648 2147483647 2147483700");
    EXPECT_EQ(o.reason, "edit.obj:6: y -2147483700 does not fit a 32-bit integer");
    EXPECT_EQ(vertexDef(), expected);
}

TEST_F(Object3d, PositionsTakesOnlyAnObjWithTheExportsFaces) {
    expectDone(decompile(kFaces.bytes()));
    const std::string before = vertexDef();
    std::string moved = before;
    const std::string line = "     4           50           50           80";
    moved.replace(moved.find(line), line.size(), "     4           50           50           90");
    // The v lines (vertex 5 moved up by 10), the faces from line 7 on.
    const auto positions = [this](const std::vector<std::string_view>& faces) {
        std::string obj = "v 0 0 0\nv 100 0 0\nv 100 0 -100\nv 0 0 -100\nv 50 90 -50\nv 7 7 -7\n";
        for (const std::string_view f : faces) (obj += f) += '\n';
        writeFile(dir.file("edit.obj"), obj);
        return run("mnu3doPositions", dir.file("edit.obj"));
    };
    const std::vector<std::vector<std::string_view>> taken = {
        // As export writes them; v lines only.
        {"f 1 2 3 4", "f 1//1 2//1 5//1", "f 2 3 3 5", "f 1 2 3 4", "f 1 3 1 4", "l 6 6"},
        {},
        // Each face once, in any order, started at any corner; a corner
        // merged with the one before it; relative numbers; other l lines;
        // tabs between the words.
        {"f 1 4 1 3", "f\t5 2\t 3", "f -3 -6 -5 -4", "f 5/1/1 1/2/1 2/3/1", "l 1 6"},
    };
    for (const auto& faces : taken) {
        expectDone(positions(faces));
        EXPECT_EQ(vertexDef(), moved);
        writeFile(dir.file("vertex.def"), before);
    }
    const std::string all[] = {"f 1 2 3 4", "f 1 2 5", "f 2 3 5", "f 1 3 1 4"};
    const std::pair<std::vector<std::string_view>, std::string> refused[] = {
        // Two vertices numbered the other way round, a face turned over, and
        // a face added.
        {{all[0], all[1], "f 3 2 5", all[3]},
         "edit.obj:9: face 3 2 5 is not a face of the object: the editor changed the vertex order"},
        {{"f 4 3 2 1"}, "edit.obj:7: face 4 3 2 1 is not a face of the object"},
        {{all[0], all[1], all[2], all[3], "f 3 4 5"},
         "edit.obj:11: face 3 4 5 is not a face of the object"},
        {{all[0], all[2], all[3]},
         "edit.obj: face 1 2 5 of the object (flavor 37) is missing: the editor changed the "
         "vertex order or removed the face"},
        {{"f 1 x 3"}, "edit.obj:7: an f line needs vertex numbers; \"x\" has none"},
        {{"f 1 2 /3"}, "edit.obj:7: an f line needs vertex numbers; \"/3\" has none"},
        {{"f 0 1 2"}, "edit.obj:7: an f line needs vertex numbers; \"0\" has none"},
        {{"f 1 2 -7"}, "edit.obj:7: vertex -7 lies before the first v line"},
        {{"f"}, "edit.obj:7: an f line lists no vertices"},
        // Refused at the first vertex too many, before the line after it.
        {{"v 1 2 3", "v x"}, "edit.obj:7: more vertices than the 6 of vertex.def"},
    };
    for (const auto& [faces, reason] : refused) {
        SCOPED_TRACE(reason);
        const Outcome o = positions(faces);
        EXPECT_EQ(o.status, Status::Failed);
        EXPECT_TRUE(o.reason.starts_with(reason)) << o.reason;
        EXPECT_EQ(vertexDef(), before);
    }
}

// `count` keys that a hash table of them (Fibonacci hashing, 2 x `count`
// slots rounded up to a power of two) puts into one slot: the keys a
// hostile object chooses to make every lookup walk them all.
std::vector<std::int32_t> collidingKeys(std::size_t count) {
    const int shift = 64 - std::countr_zero(std::bit_ceil(2 * count + 2));
    std::vector<std::int32_t> keys;
    for (std::uint32_t k = 1; keys.size() < count; ++k)
        if ((std::uint64_t{k} * 0x9E3779B97F4A7C15u) >> shift == 0)
            keys.push_back(static_cast<std::int32_t>(k));
    return keys;
}

TEST(Renumbering, FirstWinsAndLookupsTakeTheSameStepsWhateverTheKeys) {
    using object3d::Renumbering;
    // Searched, and numbers without a gap (from 100) looked up directly.
    const Renumbering searched({{7, 0}, {3, 1}, {7, 2}, {-5, 3}, {INT32_MIN, 4}});
    const Renumbering gapless({{101, 0}, {100, 1}, {101, 2}, {102, 3}});
    for (const auto& [r, old, wanted] :
         std::vector<std::tuple<const Renumbering*, std::int32_t, std::int32_t>>{
             {&searched, 7, 0},
             {&searched, 3, 1},
             {&searched, -5, 3},
             {&searched, INT32_MIN, 4},
             {&searched, 4, 4},
             {&searched, INT32_MAX, INT32_MAX},
             {&gapless, 101, 0},
             {&gapless, 100, 1},
             {&gapless, 102, 3},
             {&gapless, 99, 99},
             {&gapless, 103, 103}})
        EXPECT_EQ((*r)(old), wanted) << old;
    EXPECT_FALSE(searched.find(4));
    EXPECT_EQ(gapless.steps(), 0u);

    // 1024 keys in one slot of the table, in reverse order, against keys 3
    // apart: each lookup of a key or of a number beside it halves the
    // range 10 times, one by one or side by side (2047: the last group of
    // 16 is not full).
    constexpr std::size_t kCount = 1024, kLookups = 2 * kCount - 1;
    const std::vector<std::int32_t> colliding = collidingKeys(kCount);
    std::vector<Renumbering::Entry> crafted, plain;
    for (std::size_t i = 0; i < kCount; ++i) {
        crafted.push_back({colliding[kCount - 1 - i], static_cast<std::int32_t>(i)});
        plain.push_back({static_cast<std::int32_t>(3 * i), static_cast<std::int32_t>(i)});
    }
    const Renumbering hostile(crafted), usual(plain);
    std::vector<std::optional<std::int32_t>> found(kLookups);
    hostile.findEach(
        kLookups,
        [&](std::size_t i) { return colliding[kCount - 1 - i / 2] + std::int32_t(i % 2); },
        [&](std::size_t i, std::optional<std::int32_t> f) { found[i] = f; });
    for (std::size_t i = 0; i < kLookups; ++i) {
        const auto position = i % 2 ? std::nullopt : std::optional(std::int32_t(i / 2));
        EXPECT_EQ(found[i], position) << i;
        EXPECT_EQ(usual.find(std::int32_t(3 * (i / 2) + i % 2)), position) << i;
    }
    EXPECT_EQ(hostile.steps(), kLookups * 10);
    EXPECT_EQ(usual.steps(), kLookups * 10);
}

}  // namespace
}  // namespace z5
