// z5def diff on pairs built from the formats: the line of every difference
// by place and label, records inserted and removed as one line, objects
// renumbered, archives member by member, and the exit statuses and forms.
#include <gtest/gtest.h>

#include "tests/tools/builders.hpp"

namespace z5 {
namespace {

using namespace test;
namespace fs = std::filesystem;

struct Diff : ::testing::Test {
    TempFolder dir{"z5diff"};

    CliRun diff(const std::string& a, const std::string& b, std::vector<std::string> options = {}) {
        writeFile(dir.file("a"), a);
        writeFile(dir.file("b"), b);
        return diffPaths(dir.file("a"), dir.file("b"), std::move(options));
    }
    static CliRun diffPaths(const std::string& a, const std::string& b,
                            std::vector<std::string> options = {}) {
        std::vector<std::string> args = {"diff"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(a);
        args.push_back(b);
        return cli(args);
    }
    std::string shown(const std::string& name) const { return dir.file(name); }
};

const std::vector<SectionSpec> kTrack = {
    {true, 0, 1000, 100, {3}}, {false, 1000, 2000, 110, {1, 2}}, {true, 3000, 500, 120, {}}};

TEST_F(Diff, TrackFieldsAreNamedByPlaceAndLabel) {
    auto edited = kTrack;
    edited[1].length = 2100;
    edited[1].height = 150;
    edited[2].start = 3100;
    edited[1].surfaces[1] = 9;
    const CliRun r = diff(trackBytes(kTrack), trackBytes(edited, 90100));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "Header: Length: 90000 -> 90100\n"
              "Section 2: Length: 2000 -> 2100\n"
              "Section 2: Banking 1: Height 1: 110 -> 150\n"
              "Section 2: Banking 1: Height 2: 111 -> 151\n"
              "Section 2: Banking 1: Height 3: 112 -> 152\n"
              "Section 2: Surface 1: End: 2000 -> 2100\n"
              "Section 2: Surface 2: End: 2000 -> 2100\n"
              "Section 2: Surface 2: Surface: 2 -> 9\n"
              "Section 3: Start: 3000 -> 3100\n");
}

TEST_F(Diff, SectionsAddedOrRemovedAreOneLineEach) {
    auto inserted = kTrack;
    inserted.insert(inserted.begin() + 1, SectionSpec{false, 7, 900, 300, {4}});
    const std::string a = trackBytes(kTrack), b = trackBytes(inserted);
    CliRun r = diff(a, b);
    // The pointers after it are 100 more: data of their own, not derived.
    EXPECT_EQ(r.out,
              "Section 2: Pointer: 200 -> 300\n"
              "Section 3: Pointer: 300 -> 400\n"
              "Section 2: added (turn, Length 900)\n");
    r = diff(b, a);
    EXPECT_EQ(r.out,
              "Section 3: Pointer: 300 -> 200\n"
              "Section 4: Pointer: 400 -> 300\n"
              "Section 2: removed (turn, Length 900)\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(Diff, ASectionInsertedBeforeSectionsItMovesIsOneLine) {
    // Starts chained as in a real track: the sections after an inserted
    // one start later, yet each is paired with its old self; one whose
    // length changed too is paired with its old self rather than with the
    // inserted turn before it.
    const std::vector<SectionSpec> a = {
        {true, 0, 1000}, {false, 1000, 2000, 110}, {true, 3000, 500, 120}, {false, 3500, 700}};
    const std::vector<SectionSpec> b = {{true, 0, 1000},
                                        {false, 1000, 900, 300},
                                        {false, 1900, 2100, 110},
                                        {true, 4000, 500, 120},
                                        {false, 4500, 700}};
    const CliRun r = diff(trackBytes(a), trackBytes(b));
    EXPECT_EQ(r.out,
              "Section 2: Pointer: 200 -> 300\n"
              "Section 3: Pointer: 300 -> 400\n"
              "Section 4: Pointer: 400 -> 500\n"
              "Section 2: added (turn, Length 900)\n"
              "Section 2: Start: 1000 -> 1900\n"
              "Section 2: Length: 2000 -> 2100\n"
              "Section 3: Start: 3000 -> 4000\n"
              "Section 4: Start: 3500 -> 4500\n");
}

TEST_F(Diff, ObjectsByKeyAndFlavorsByWhatTheyReferTo) {
    const Object a = smallObject();
    Object b = a;
    b.vertices[2][1] = 120;
    b.vertices.push_back({4, 5, 6, 7});
    // A flavor inserted before the others moves every offset, but each
    // reference still names the flavor it named.
    b.flavors.insert(b.flavors.begin(), Flavor(14, {7, 8}));
    b.flavors[2].fields[3].second = 3;  // the second outline's first corner
    const auto at = b.offsets();
    b.flavors.back() = Flavor(4, {3, at[1], at[2], at[3]});
    const CliRun r = diff(a.bytes(), b.bytes());
    EXPECT_EQ(r.out,
              "vertex 2: X: 100 -> 120\n"
              "vertex 4: added\n"
              "flavor 4 (FL14): added\n"
              "flavor 33 (FL02): value 4: 0 -> 3\n");
    EXPECT_EQ(r.status, 1);

    // A flavor appended becomes the root, as the compiler makes the last
    // one: no line of its own. A reference that names another flavor names
    // both in a's numbering.
    Object c = a;
    const auto was = a.offsets();
    c.flavors.back() = Flavor(4, {3, was[0], was[0], was[2]});
    c.flavors.push_back(Flavor(14, {7, 8}));
    const auto n = [](std::int32_t v) { return std::to_string(v); };
    EXPECT_EQ(diff(a.bytes(), c.bytes()).out,
              "flavor " + n(was[3]) + " (FL04): value 3: " + n(was[1]) + " -> " + n(was[0]) +
                  "\nflavor " + n(c.offsets()[4]) + " (FL14): added\n");
}

TEST_F(Diff, AnObjectRenumberedOnlyIsOneLine) {
    const Object a = smallObject();
    Object b = a;
    for (Point& p : b.vertices) p[0] += 10;
    for (Flavor& f : b.flavors)
        if (f.type == 2)
            for (std::size_t k = 3; k < f.fields.size(); ++k) f.fields[k].second += 10;
    const CliRun r = diff(a.bytes(), b.bytes());
    EXPECT_EQ(r.out,
              "Object: renumbered: the same records with other numbers (4 vertices, 0 normals, "
              "0 flavors)\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(Diff, CamerasScriptsAndSetupsByTheirLabels) {
    const std::array<std::int32_t, 10> two = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::array<std::int32_t, 10> twoEdited = two;
    twoEdited[3] = 33;
    CliRun r = diff(camBytes({{1, 2, 3, 4, 5, 6, 7, 8, 9}}, two, {{}}),
                    camBytes({{1, 5, 3, 4, 5, 6, 7, 8, 9}, {9, 9, 9, 9, 9, 9, 9, 9, 9}}, twoEdited,
                             {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12}}));
    EXPECT_EQ(r.out,
              "Camera Position 1: Value 2: 2 -> 5\n"
              "Camera Position 2: added\n"
              "Section 2 Camera Position: Value 3: 4 -> 33\n"
              "Section 3 Camera Positions: Camera Position 1: Value 12: 0 -> 12\n");

    r = diff(scrBytes(1, {{1, 2, 3, 4}}, {}), scrBytes(2, {{1, 2, 3, 4}, {5, 6, 7, 8}}, {}));
    EXPECT_EQ(r.out, "Camera Types: 1 -> 2\nTV 1 Camera 2: added\n");

    r = diff(setupBytes("FAST", {250, 180, 132, 100}),
             setupBytes("QUICK", {250, 180, 135, 100}, 1500));
    EXPECT_EQ(r.out, "Name: FAST -> QUICK\nGears: 3rd: 1.32 -> 1.35\nFuel: 12.5 -> 15\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(Diff, ArchivesMemberByMember) {
    const std::string track = trackBytes(kTrack);
    auto edited = kTrack;
    edited[0].start = 5;
    const std::string a = archive({{"OVAL.TRK", track},
                                   {"A.BIN", "abcdefgh"},
                                   {"GONE.BIN", "x"},
                                   {"B.BIN", "same"},
                                   {"C.BIN", "same too"}});
    const std::string b = archive({{"C.BIN", "same too"},
                                   {"oval.trk", trackBytes(edited)},
                                   {"A.BIN", "abcXefgh"},
                                   {"B.BIN", "same"},
                                   {"NEW.BIN", "y"}});
    CliRun r = diff(a, b);
    EXPECT_EQ(r.out,
              "OVAL.TRK: changed\n"
              "  Name: OVAL.TRK -> oval.trk\n"
              "  Section 1: Start: 0 -> 5\n"
              "A.BIN: changed\n"
              "  bytes 0x3-0x3\n"
              "GONE.BIN: removed\n"
              "C.BIN: moved (5 -> 1)\n"
              "NEW.BIN: added\n");
    EXPECT_EQ(r.status, 1);
    r = diff(a, b, {"--brief"});
    EXPECT_EQ(r.out,
              "OVAL.TRK: changed\nA.BIN: changed\nGONE.BIN: removed\nC.BIN: moved (5 -> "
              "1)\nNEW.BIN: added\n");
    r = diff(a, b, {"--json"});
    const std::vector<std::string> json = splitLines(r.out, "\n");
    ASSERT_EQ(json.size(), 6u) << r.out;
    EXPECT_EQ(json[1],
              R"({"change":"changed","file":"OVAL.TRK","place":"Section 1","field":"Start",)"
              R"("old":"0","new":"5"})");
    EXPECT_EQ(json[2], R"({"change":"changed","file":"A.BIN","place":"bytes 0x3-0x3","field":null,)"
                       R"("old":null,"new":null})");
    EXPECT_EQ(json[4],
              R"({"change":"moved","file":"C.BIN","place":null,"field":null,"old":"5","new":"1"})");
    // Members alike, an entry's tag not: the directory's bytes.
    r = diff(archive({{"A.BIN", "a"}}), archive({{"A.BIN", "a", 7}}));
    EXPECT_EQ(r.out, "bytes 0x2-0x2\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(json[5], R"({"change":"added","file":"NEW.BIN","place":null,"field":null,"old":null,)"
                       R"("new":null})");
}

TEST_F(Diff, DefinitionFoldersAndWorkspaces) {
    for (const char* side : {"x", "y"}) {
        fs::create_directories(dir.path() / side / "OVAL.TRK.def");
        writeFile(dir.file(std::string(side) + "/dattext.pck"),
                  crlf({"game", "2", "OVAL.TRK", "R.BIN"}));
        writeFile(dir.file(std::string(side) + "/R.BIN"), side);
    }
    auto edited = kTrack;
    edited[2].length = 600;
    writeFile(dir.file("x/OVAL.TRK"), trackBytes(kTrack));
    writeFile(dir.file("t.trk"), trackBytes(edited));
    ASSERT_EQ(cli({"-C", dir.str(), "-q", "trk", "decompile", "t.trk"}).status, 0);
    fs::rename(dir.path() / "Trk.def", dir.path() / "y" / "OVAL.TRK.def" / "Trk.def");
    fs::remove(dir.path() / "x" / "OVAL.TRK.def");
    // One member a file, the other its definitions.
    CliRun r = diffPaths(dir.file("x"), dir.file("y"));
    EXPECT_EQ(r.out,
              "OVAL.TRK: changed\n"
              "  Section 3: Length: 500 -> 600\n"
              "R.BIN: changed\n"
              "  bytes 0x0-0x0\n");
    EXPECT_EQ(r.status, 1);
    r = diffPaths(dir.file("y/OVAL.TRK.def"), dir.file("y/OVAL.TRK.def"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(Diff, SameIsZeroAndTroubleIsTwo) {
    const std::string track = trackBytes(kTrack);
    EXPECT_EQ(diff(track, track).status, 0);
    CliRun r = diff(track, camBytes({}, {}, {}));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "z5def diff: " + shown("a") + " is a trk file, " + shown("b") + " a cam file\n");
    r = diff(track, track.substr(0, 40));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "z5def diff: " + shown("a") + " is a trk file, " + shown("b") +
                         " a file of no known kind\n");
    r = diffPaths(dir.file("a"), dir.file("missing"));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "z5def diff: " + dir.file("missing") + ": no such file or folder\n");
    // Bytes no field shows: named by their place in the file.
    std::string other = track;
    other[4] = 7;  // Version
    r = diff(track, other);
    EXPECT_EQ(r.out, "bytes 0x4-0x4\n");
    EXPECT_EQ(r.status, 1);
}

}  // namespace
}  // namespace z5
