// z5def merge on triples built from the formats: the merged bytes, what it
// says came from theirs, conflicts with nothing written, and what check
// makes of the result.
#include <gtest/gtest.h>

#include "check/check.hpp"
#include "object3d/object3d.hpp"
#include "tests/tools/builders.hpp"

namespace z5 {
namespace {

using namespace test;

struct Merge : ::testing::Test {
    TempFolder dir{"z5merge"};

    CliRun merge(const std::string& base, const std::string& ours, const std::string& theirs,
                 const std::string& name = "x") {
        for (const auto& [side, bytes] :
             {std::pair{"base", &base}, {"ours", &ours}, {"theirs", &theirs}}) {
            std::filesystem::create_directories(dir.path() / side);
            writeFile(dir.file(std::string(side) + "/" + name), *bytes);
        }
        return cli({"-C", dir.str(), "merge", "base/" + name, "ours/" + name, "theirs/" + name,
                    "-o", "out"});
    }
    std::string out() const { return readFile(dir.file("out")); }
    // Errors and warnings check finds in the merged file.
    std::pair<std::size_t, std::size_t> checked(std::string_view kind) const {
        const std::string path = dir.file("out." + std::string(kind));
        writeFile(path, out());
        TempFolder scratch;
        const check::Result r =
            check::checkUnit({check::Unit::Kind::Binary, path, path, {}, {}}, scratch.str());
        return {r.errors, r.warnings};
    }
};

// Section ends meet, and the header's Length is where the last ends.
const std::vector<SectionSpec> kTrack = {
    {true, 0, 1000, 100, {3}}, {false, 1000, 2000, 110, {1, 2}}, {true, 3000, 500, 120, {}}};
constexpr std::int32_t kEnd = 3500;

TEST_F(Merge, FieldsChangedOnOneSideEach) {
    auto ours = kTrack, theirs = kTrack, merged = kTrack;
    ours[0].height = merged[0].height = 130;
    theirs[1].length = merged[1].length = 2100;
    const CliRun r =
        merge(trackBytes(kTrack, kEnd), trackBytes(ours, kEnd), trackBytes(theirs, kEnd));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(out(), trackBytes(merged, kEnd));
    EXPECT_EQ(r.out,
              "Section 2: Length: 2000 -> 2100\n"
              "Section 2: Surface 1: End: 2000 -> 2100\n"
              "Section 2: Surface 2: End: 2000 -> 2100\n");
    // Theirs' longer section 2 breaks the chain of starts: written, and
    // check's warning said.
    EXPECT_EQ(r.err,
              "out: warning: Start of section 3 is 3000; it is usually section 2's Start + "
              "Length, 3100\n");
    EXPECT_EQ(checked("trk"), (std::pair<std::size_t, std::size_t>{0, 0}));
}

TEST_F(Merge, ConflictsAreListedAndNothingIsWritten) {
    auto ours = kTrack, theirs = kTrack;
    ours[2].start = 3100;
    theirs[2].start = 2900;
    theirs[0].height = 101;
    const CliRun r = merge(trackBytes(kTrack), trackBytes(ours), trackBytes(theirs));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Section 3: Start: base 3000, ours 3100, theirs 2900\n");
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fileExists(dir.file("out")));
}

TEST_F(Merge, RecordsAddedOnOneSideAndEditedOnTheOther) {
    auto theirs = kTrack;
    theirs.insert(theirs.begin() + 1, SectionSpec{false, 7, 900, 300, {4}});
    auto ours = kTrack, merged = theirs;
    ours[2].height = merged[3].height = 125;
    CliRun r = merge(trackBytes(kTrack), trackBytes(ours), trackBytes(theirs));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(out(), trackBytes(merged));
    EXPECT_EQ(r.out,
              "Section 2: Pointer: 200 -> 300\n"
              "Section 3: Pointer: 300 -> 400\n"
              "Section 2: added (turn, Length 900)\n");

    // An object: a vertex moved by ours, a flavor put before the others by
    // theirs, whose references then name the same flavors at new offsets.
    const Object base = smallObject();
    Object o = base, t = base;
    o.vertices[1][2] = 55;
    t.flavors.insert(t.flavors.begin(), Flavor(14, {7, 8}));
    const auto at = t.offsets();
    t.flavors.back() = Flavor(4, {3, at[1], at[2], at[3]});
    Object m = t;
    m.vertices[1][2] = 55;
    r = merge(base.bytes(), o.bytes(), t.bytes());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(out(), m.bytes());
    EXPECT_EQ(r.out, "flavor 4 (FL14): added\n");
    EXPECT_EQ(checked("3do"), (std::pair<std::size_t, std::size_t>{0, 0}));

    // Vertices added on both sides under other keys: all of them, ours
    // first, and no conflict.
    o = base, t = base, m = base;
    o.vertices.push_back({10, 1, 2, 3});
    t.vertices.push_back({20, 4, 5, 6});
    t.vertices.push_back({21, 7, 8, 9});
    m.vertices.insert(m.vertices.end(), {{10, 1, 2, 3}, {20, 4, 5, 6}, {21, 7, 8, 9}});
    r = merge(base.bytes(), o.bytes(), t.bytes());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(out(), m.bytes());
    EXPECT_EQ(r.out, "vertex 20: added\nvertex 21: added\n");
}

TEST_F(Merge, AnInsertionThatMovesTheStartsAfterIt) {
    // Ours inserts a section and moves the starts after it; theirs edits
    // the last section, which keeps its place among the merged ones.
    auto ours = kTrack, theirs = kTrack;
    ours.insert(ours.begin() + 1, SectionSpec{false, 1000, 900, 300});
    ours[2].start += 900, ours[3].start += 900;
    theirs[2].height = 125;
    auto merged = ours;
    merged[3].height = 125;
    const CliRun r = merge(trackBytes(kTrack), trackBytes(ours), trackBytes(theirs));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(out(), trackBytes(merged));
    EXPECT_EQ(r.out,
              "Section 3: Banking 1: Height 1: 120 -> 125\n"
              "Section 3: Banking 1: Height 2: 121 -> 126\n"
              "Section 3: Banking 1: Height 3: 122 -> 127\n");
}

TEST_F(Merge, ArchivesMemberByMember) {
    auto ours = kTrack, theirs = kTrack, merged = kTrack;
    ours[0].start = merged[0].start = 5;
    theirs[2].length = merged[2].length = 600;
    const std::string base =
        archive({{"OVAL.TRK", trackBytes(kTrack)}, {"A.BIN", "a"}, {"B.BIN", "b"}});
    CliRun r = merge(
        base, archive({{"OVAL.TRK", trackBytes(ours)}, {"A.BIN", "a"}}),
        archive(
            {{"OVAL.TRK", trackBytes(theirs)}, {"A.BIN", "a"}, {"NEW.BIN", "n"}, {"B.BIN", "b"}}),
        "game.dat");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(out(), archive({{"OVAL.TRK", trackBytes(merged)}, {"A.BIN", "a"}, {"NEW.BIN", "n"}}));
    EXPECT_EQ(r.out,
              "OVAL.TRK: changed\n"
              "  Section 3: Length: 500 -> 600\n"
              "NEW.BIN: added\n");

    // Runs added by theirs, at the front and after a member ours moved,
    // each after the member it follows there; one that follows a member
    // ours removed goes after the one before that.
    const std::string few = archive({{"A.BIN", "a"}, {"B.BIN", "b"}, {"C.BIN", "c"}});
    r = merge(few, archive({{"C.BIN", "c"}, {"A.BIN", "a"}}),
              archive({{"N1", "1"},
                       {"N2", "2"},
                       {"A.BIN", "a"},
                       {"B.BIN", "b"},
                       {"N3", "3"},
                       {"C.BIN", "c"},
                       {"N4", "4"}}),
              "game.dat");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        out(),
        archive(
            {{"N1", "1"}, {"N2", "2"}, {"C.BIN", "c"}, {"N4", "4"}, {"A.BIN", "a"}, {"N3", "3"}}));

    r = merge(base, archive({{"OVAL.TRK", trackBytes(kTrack)}, {"B.BIN", "d"}}),
              archive({{"OVAL.TRK", trackBytes(kTrack)}, {"A.BIN", "A"}, {"B.BIN", "c"}}),
              "game.dat");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "B.BIN: changed by ours and by theirs\n"
              "A.BIN: removed by ours, changed by theirs\n");
}

TEST_F(Merge, AMergeBeyondWhatTheReaderTakesIsTroubleAndNotWritten) {
    // A name of 16385 letters added by ours, the name there made one by
    // theirs: with their zero bytes and the end mark, 32773 bytes.
    const Object base = smallObject();
    Object o = base, t = base;
    o.names.push_back(std::string(16385, 'o'));
    t.names[0] = std::string(16385, 't');
    const CliRun r = merge(base.bytes(), o.bytes(), t.bytes());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "z5def merge: file names of 32773 bytes with their zero bytes and end mark, more "
              "than the 32767 a name list holds\n");
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fileExists(dir.file("out")));

    // 32768 vertices set an object; one more does not.
    object3d::Object many;
    many.points.push_back({false, {}});
    for (std::int32_t i = 0; i < 32768; ++i) many.points[0].points.push_back({i, 1, 2, 3});
    object3d::objectOfFields(object3d::objectFields(many), {});
    many.points[0].points.push_back({32768, 0, 0, 0});
    try {
        object3d::objectOfFields(object3d::objectFields(many), {});
        ADD_FAILURE() << "32769 vertices set an object";
    } catch (const CommandFailure& e) {
        EXPECT_STREQ(e.what(), "32769 vertices, more than the 32768 a section holds");
    }

    // A track: 1400 surface rows added to section 1 by ours and to section 3
    // by theirs push the section block past byte 32767, where the reader
    // can no longer count the surfaces: 68 + 3 x 4 + 3 x 32 + 2803 x 12.
    auto ours = kTrack, theirs = kTrack;
    ours[0].surfaces.resize(1401, 5);
    theirs[2].surfaces.resize(1400, 6);
    const CliRun trk = merge(trackBytes(kTrack), trackBytes(ours), trackBytes(theirs));
    EXPECT_EQ(trk.status, 2);
    EXPECT_EQ(trk.err,
              "z5def merge: the section block would begin at byte 33812; the blocks before it "
              "must end by byte 32767\n");
    EXPECT_FALSE(fileExists(dir.file("out")));
}

TEST_F(Merge, OutputNameAndTrouble) {
    const std::string track = trackBytes(kTrack);
    merge(track, track, track, "OVAL.TRK");
    // By default ours' name in the working folder, never an input.
    CliRun r = cli({"-C", dir.str(), "merge", "base/OVAL.TRK", "ours/OVAL.TRK", "theirs/OVAL.TRK"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(dir.file("OVAL.TRK")), track);
    r = cli(
        {"-C", dir.file("ours"), "merge", "../base/OVAL.TRK", "OVAL.TRK", "../theirs/OVAL.TRK"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "z5def merge: OVAL.TRK is an input of this command; it is not written over\n");
    writeFile(dir.file("theirs/OVAL.TRK"), camBytes({}, {}, {}));
    r = cli({"-C", dir.str(), "merge", "base/OVAL.TRK", "ours/OVAL.TRK", "theirs/OVAL.TRK"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "z5def merge: base/OVAL.TRK, ours/OVAL.TRK and theirs/OVAL.TRK are not of one kind "
              "(trk, trk, cam)\n");
}

}  // namespace
}  // namespace z5
