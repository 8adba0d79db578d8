#include "track/track.hpp"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <vector>

#include "tests/support/rows.hpp"
#include "tests/support/support.hpp"
#include "tests/support/tracks.hpp"

namespace z5 {
namespace {

using namespace test;
using track::Track;

using SectionShape = std::array<std::int32_t, 3>;  // type, surfaces, walls

// A track whose every value differs, extremes included.
Track buildTrack(std::initializer_list<SectionShape> shapes, std::int32_t eLines) {
    std::int32_t next = 1;
    auto fill = [&next](auto& row) {
        for (auto& v : row) v = (next++ % 3 == 0) ? -next * 1001 : next * 37;
    };
    Track t;
    t.header.length = 4321;
    t.header.eLines = eLines;
    t.eLineTable = {INT32_MIN, INT32_MAX, 0, -1, 1, 2, 3, 4, 5, 6};
    for (const auto& [type, surfaces, walls] : shapes) {
        t.pointers.push_back(next++);
        track::SectionRecord& section = t.sections.emplace_back();
        fill(section);
        section[track::kTypeField] = type;
        section[track::kSurfacesField] = surfaces;
        section[track::kWallsField] = walls;
        for (std::int32_t i = 0; i < eLines; ++i) fill(t.banking.emplace_back());
        for (std::int32_t i = 0; i < surfaces; ++i) fill(t.surfaces.emplace_back());
        for (std::int32_t i = 0; i < walls; ++i) fill(t.walls.emplace_back());
    }
    fixHeader(t);
    return t;
}

// The rule under a column header: nine blanks, then `n` "=".
std::string rule(std::size_t n) {
    return std::string(9, ' ') + std::string(n, '=');
}

struct TrackTest : ::testing::Test {
    TempFolder dir;
    FakeHost host{dir.str()};

    Outcome decompile(std::string_view bytes) {
        writeFile(dir.file("in.trk"), bytes);
        host.answer = dir.file("in.trk");
        return runRow("mnuTrkDecompile", host);
    }
    std::string def() { return readFile(dir.file("Trk.def")); }
    std::vector<std::string> defLines() { return splitCrlf(def()); }
    void setDef(const std::vector<std::string>& lines) {
        writeFile(dir.file("Trk.def"), joinCrlf(lines));
    }
    Outcome compile() { return runRow("mnuTrkCompile", host); }
    std::string newTrk() { return readFile(dir.file("New.trk")); }
    // A command that must fail with a reason holding `text`.
    static void expectFailure(const Outcome& o, const std::string& text) {
        EXPECT_EQ(o.status, Status::Failed);
        EXPECT_NE(o.reason.find(text), std::string::npos) << o.reason;
    }

    // Index of the first line of section n (from 1) in the text.
    static std::size_t sectionLine(const std::vector<std::string>& lines, int n) {
        const std::string title = "     Section: " + std::to_string(n);
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == title) return i;
        ADD_FAILURE() << "no " << title;
        return 0;
    }
    // Offsets of the rows within a section, as the layout places them.
    static constexpr std::size_t kDataRow = 7, kFirstBankingRow = 15;
};

TEST_F(TrackTest, DecompileWritesTheLayoutToTheByte) {
    Track t{.header = {.length = 12345, .eLines = 1},
            .eLineTable = {0, -1, INT32_MAX, INT32_MIN, 5, 6, 7, 8, 9, 10},
            .pointers = {0, 52},
            .sections = {{1, 10, 20, 30, 40, 50, 60, 70, 80, 90, 2, -7, 1},
                         {0, 11, 21, 31, 41, 51, 61, 0, 0, 91, 1, 0, 0}},
            .banking = {{1, 2, 3, 4, 5, 6, 7, 8}, {-1, -2, -3, -4, -5, -6, -7, -8}},
            .surfaces = {{0, 100, 3}, {100, 200, 4}, {200, 300, 5}},
            .walls = {{1, 0, 500, 0, 0}}};
    fixHeader(t);
    const Outcome o = decompile(bytesOf(t));
    ASSERT_EQ(o.status, Status::Done) << o.reason;
    // clang-format off
    EXPECT_EQ(def(), crlf({
        "Z5 TRK Def File", "All values are long integers", "", "",
        "**********", "* HEADER *", "**********", "",
        "Version:               1", "Length:            12345", "# Elines:              1",
        "Segments:              2", "Section 2:            36", "Section 3:           124",
        "E Line:                0", "E Line:               -1", "E Line:       2147483647",
        "E Line:      -2147483648", "E Line:                5", "E Line:                6",
        "E Line:                7", "E Line:                8", "E Line:                9",
        "E Line:               10", "", "",
        "************", "* POINTERS *", "************", "",
        "Pointers:              0", "Pointers:             52", "", "",
        "************", "* SECTIONS *", "************", "",
        // A straight: straight headers, surfaces 1 and 2, one wall.
        "     Section: 1", "", "         SECTION DATA:", "         -------------", "",
        "         Type            Start       Length  Orientation      Angle 1      Angle 2      "
        "Angle 3      Angle 4      Angle 5     Offset 1     Surfaces     Offset 2        Walls",
        rule(164),
        "         Straight           10           20           30           40           50"
        "           60           70           80           90            2           -7            1",
        "", "", "         BANKING:", "         --------", "",
        "         Height 1     Height 2     Height 3     Init Hgt        Val 1        Val 2      "
        "X Coord      Y Coord",
        rule(99),
        "                1            2            3            4            5            6"
        "            7            8",
        "", "", "         SURFACES:", "         ---------", "",
        "            Start          End      Surface", rule(34),
        "                0          100            3",
        "              100          200            4",
        "", "", "         WALLS:", "         ------", "",
        "         Wall Type       Start          End         NULL         NULL", rule(60),
        "                1            0          500            0            0",
        "", "",
        // Type 0 is a turn; it takes surface 3 by the running cursor, no walls.
        "     Section: 2", "", "         SECTION DATA:", "         -------------", "",
        "         Type            Start        Length  Orientation     X Coord      Y Coord      "
        "    Arc         NULL         NULL     Offset 1     Surfaces     Offset 2        Walls",
        rule(164),
        "         Turn               11           21           31           41           51"
        "           61            0            0           91            1            0            0",
        "", "", "         BANKING:", "         --------", "",
        "         Height 1     Height 2     Height 3     Init Hgt        Val 1        Val 2      "
        " Radius         NULL",
        rule(99),
        "               -1           -2           -3           -4           -5           -6"
        "           -7           -8",
        "", "", "         SURFACES:", "         ---------", "",
        "            Start          End      Surface", rule(34),
        "              200          300            5",
        "", "", "         WALLS:", "         ------", "",
        "         Wall Type       Start          End         NULL         NULL", rule(60),
        "", "",
    }));
    // clang-format on
    EXPECT_EQ(host.filters, std::vector<std::string>{"Trk Files(*.trk)|*.trk"});
    EXPECT_EQ(host.messages.size(), 1u);

    // The magic is not printed. A file that does not begin with it is of
    // another kind, read only leniently; the picture refuses it alike.
    t.header.magic = {'3', 'O', 'D', 0};
    const std::string first = def();
    const std::string reason =
        dir.file("in.trk") + " is not a track: it begins with \"3OD\\x00\", not \"KART\"";
    EXPECT_EQ(decompile(bytesOf(t)).reason, reason);
    EXPECT_EQ(runRow("mnuTrkView", host).reason, reason);
    host.reading = Strictness::Lenient;
    ASSERT_EQ(decompile(bytesOf(t)).status, Status::Done);
    EXPECT_EQ(def(), first);
    ASSERT_EQ(host.diagnostics.size(), 1u);
    EXPECT_EQ(diagnosticLine(host.diagnostics[0]),
              dir.file("in.trk") +
                  ": warning: is not a track: it begins with \"3OD\\x00\", not "
                  "\"KART\"; read as one (--lenient)");
}

TEST_F(TrackTest, RoundTripGivesTheSameBytesAndReplacesAnOlderLongerFile) {
    // Counts below zero mean no rows and are carried through as they are; a
    // track need not have any surface or wall.
    const Track t = buildTrack({{1, 2, 1}, {2, 3, 0}, {1, -3, -1}, {2, 1, 3}, {2, 0, 0}}, 3);
    for (const Track& each : {t, buildTrack({{1, 0, 0}, {2, 0, 0}}, 1)}) {
        writeFile(dir.file("New.trk"), std::string(5000, 'x'));
        ASSERT_EQ(decompile(bytesOf(each)).status, Status::Done);
        const Outcome o = compile();
        ASSERT_EQ(o.status, Status::Done) << o.reason;
        EXPECT_EQ(newTrk(), bytesOf(each));
    }

    // Types other than 1 and 2 come back as turns (2); nothing else moves.
    Track odd = t;
    odd.sections[1][track::kTypeField] = 0;
    odd.sections[3][track::kTypeField] = -5;
    ASSERT_EQ(decompile(bytesOf(odd)).status, Status::Done);
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(newTrk(), bytesOf(t));
}

TEST_F(TrackTest, HandEditedValuesLandInTheirBytes) {
    Track t = buildTrack({{1, 1, 1}, {2, 2, 1}}, 2);
    ASSERT_EQ(decompile(bytesOf(t)).status, Status::Done);
    auto lines = defLines();
    // Version and the two block sizes are the compiler's own.
    lines[8] = "Version:             99";
    lines[12] = "Section 2:   99999999999";
    lines[13] = "Section 3:          -3";
    lines[9] = "Length:            7.5";  // halves go to the even neighbour
    const std::size_t s2 = sectionLine(lines, 2);
    // Single blanks between values read like the aligned columns.
    lines[s2 + kFirstBankingRow] = "12.5 13.5 -2147483648 2147483647 &H10 0 1 2";
    // A data row typed by hand: not the exact word "Straight", one more surface.
    lines[s2 + kDataRow] = "straight 1 2 3 4 5 6 7 8 9 3 11 1";
    const std::size_t wallRow = lines.size() - 3;
    lines[wallRow] = "     5  ";      // fields before the last get 0
    lines[wallRow - 8] = " 1 2 3 4";  // surplus digits join the last field
    lines.insert(lines.begin() + static_cast<long>(wallRow - 7), "   7   8   9");
    lines.insert(lines.begin() + 25, "Pointers: 77 junk between blocks");
    lines.insert(lines.begin(), "* HEADER");  // not a whole marker line
    lines.push_back("* HEADER *");            // after the last section: never read
    lines.push_back("garbage that would fail");
    setDef(lines);
    const Outcome o = compile();
    ASSERT_EQ(o.status, Status::Done) << o.reason;

    t.header.length = 8;
    t.banking[2] = {12, 14, INT32_MIN, INT32_MAX, 16, 0, 1, 2};
    t.sections[1] = {2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 3, 11, 1};
    t.surfaces[2] = {1, 2, 34};
    t.surfaces.push_back({7, 8, 9});
    t.walls[1] = {0, 0, 0, 0, 5};
    fixHeader(t);
    EXPECT_EQ(newTrk(), bytesOf(t));
}

TEST_F(TrackTest, DecompileLimits) {
    // Sections may claim one row beyond the surface block: it prints as zeros.
    Track t = buildTrack({{1, 1, 0}, {1, 2, 0}}, 1);
    t.surfaces.pop_back();
    t.header.section2 -= 12;
    ASSERT_EQ(decompile(bytesOf(t)).status, Status::Done);
    auto lines = defLines();
    EXPECT_EQ(lines[lines.size() - 10], "                0            0            0");
    t.sections[1][track::kSurfacesField] = 3;
    expectFailure(decompile(bytesOf(t)), "section block: the sections claim 4 surface records");

    // 1001 walls in a track are read, the 1002nd is not.
    EXPECT_EQ(decompile(bytesOf(buildTrack({{2, 0, 1000}, {2, 0, 1}}, 1))).status, Status::Done);
    expectFailure(decompile(bytesOf(buildTrack({{2, 0, 1000}, {2, 0, 2}}, 1))),
                  "section 2 brings the track past 1001 walls");

    // Everything before the section block must lie within 32767 bytes.
    EXPECT_EQ(decompile(bytesOf(buildTrack({{2, 2721, 0}}, 1))).status, Status::Done);
    expectFailure(decompile(bytesOf(buildTrack({{2, 2722, 0}}, 1))),
                  "surface block: the surface block lies at bytes 104 to 32768");
}

TEST_F(TrackTest, BadTrackFilesFailNamingTheBlock) {
    const std::string bytes = bytesOf(buildTrack({{1, 1, 1}, {2, 1, 1}}, 2));
    auto withHeader = [&bytes](std::int32_t eLines, std::int32_t segments) {
        return bytes.substr(0, 12) + Bytes().i32(eLines).i32(segments).str() + bytes.substr(20);
    };
    // 1000 sections of 32768 banking records each would need a gigabyte.
    Bytes hugeBanking;
    hugeBanking.text("KART").i32(1).i32(0).i32(32768).i32(1000).i32(0).i32(0).fill(40 + 4000);
    const std::pair<std::string, std::string> cases[] = {
        {bytes.substr(0, 20),
         "byte 0: header: the file ends after 20 bytes, inside the 28-byte header"},
        {bytes.substr(0, 74),
         "byte 72: pointer table: the file ends after 74 bytes, inside pointer 2"},
        {bytes.substr(0, bytes.size() - 1), "byte 352: section block: the file ends after"},
        // Huge counts in a small file fail before anything is sized from them.
        {hugeBanking.str(),
         "byte 4068: banking block: the file ends after 4068 bytes, inside 32768000"},
        {withHeader(2, 40000), "byte 68: header: Segments is 40000"},
        {withHeader(0, 2), "byte 76: header: # Elines is 0"},
        {withHeader(2, 0), "byte 68: header: Segments is 0"},
    };
    for (const auto& [input, reason] : cases) {
        expectFailure(decompile(input), dir.file("in.trk") + ": " + reason);
        EXPECT_TRUE(host.messages.empty());
    }
    // A failed decompile writes no Trk.def.
    EXPECT_FALSE(fileExists(dir.file("Trk.def")));
}

TEST_F(TrackTest, LenientReadingAndBytesAfterTheLastSection) {
    const std::string bytes = bytesOf(buildTrack({{1, 1, 1}, {2, 1, 1}}, 2));
    ASSERT_EQ(decompile(bytes).status, Status::Done);
    const std::string whole = def();
    // Cut short, read leniently: what the file filled up with zeros gives
    // (whose sections hold no walls: 40 bytes after them).
    std::string zeros = bytes.substr(0, 74);
    zeros.resize(bytes.size(), '\0');
    ASSERT_EQ(decompile(zeros).status, Status::Done);
    const std::string filled = def();
    host.diagnostics.clear();
    host.reading = Strictness::Lenient;
    ASSERT_EQ(decompile(bytes.substr(0, 74)).status, Status::Done);
    EXPECT_EQ(def(), filled);
    ASSERT_EQ(host.diagnostics.size(), 1u);
    EXPECT_EQ(diagnosticLine(host.diagnostics[0]),
              dir.file("in.trk") +
                  ": warning: byte 72: pointer table: the file ends after 74 bytes, inside "
                  "pointer 2; read with zeros past its end (--lenient)");
    // Zeros are made up only for blocks that end where a track's positions
    // can be counted.
    Bytes hugeBanking;
    hugeBanking.text("KART").i32(1).i32(0).i32(32768).i32(1000).i32(0).i32(0).fill(40 + 4000);
    expectFailure(decompile(hugeBanking.str()),
                  "byte 4068: banking block: the file ends after 4068 bytes, inside 32768000 "
                  "banking records (Segments x # Elines) that would end at byte 1048580068, past "
                  "32767: too many to read with zeros");

    // Bytes after the last section: a warning, and the same text.
    host.reading = Strictness::Standard;
    host.diagnostics.clear();
    ASSERT_EQ(decompile(bytes + std::string(240, '\x7f')).status, Status::Done);
    EXPECT_EQ(def(), whole);
    ASSERT_EQ(host.diagnostics.size(), 1u);
    EXPECT_EQ(diagnosticLine(host.diagnostics[0]),
              dir.file("in.trk") +
                  ": warning: 240 bytes after the last section are not kept; "
                  "compiling gives a shorter file");
    // So are surface records that no section takes.
    host.diagnostics.clear();
    Track spare = buildTrack({{1, 1, 1}, {2, 1, 1}}, 2);
    spare.surfaces.resize(4);
    fixHeader(spare);
    ASSERT_EQ(decompile(bytesOf(spare)).status, Status::Done);
    ASSERT_EQ(host.diagnostics.size(), 1u);
    EXPECT_EQ(diagnosticLine(host.diagnostics[0]),
              dir.file("in.trk") +
                  ": warning: surface records 3 to 4 are taken by no section and not kept; "
                  "compiling gives a shorter file");
    // Under --strict the warning is an error and nothing is written.
    host.reading = Strictness::Strict;
    writeFile(dir.file("Trk.def"), "older");
    expectFailure(decompile(bytes + "x"), "1 departure from the layout under --strict");
    EXPECT_EQ(host.notices.back(), dir.file("in.trk") +
                                       ": error: 1 byte after the last section is not kept; "
                                       "compiling gives a shorter file");
    EXPECT_EQ(def(), "older");
}

TEST_F(TrackTest, CompileLimits) {
    // 501 surface rows and 501 wall rows compile; one more of either fails.
    Track t = buildTrack({{1, 500, 1}, {2, 1, 500}}, 1);
    ASSERT_EQ(decompile(bytesOf(t)).status, Status::Done);
    ASSERT_EQ(compile().status, Status::Done);
    EXPECT_EQ(newTrk(), bytesOf(t));
    for (const SectionShape& more : {SectionShape{2, 2, 500}, SectionShape{2, 1, 501}}) {
        ASSERT_EQ(decompile(bytesOf(buildTrack({{1, 500, 1}, more}, 1))).status, Status::Done);
        expectFailure(compile(), "section 2 brings the definition past 501");
        EXPECT_EQ(newTrk(), bytesOf(t));  // the last good compile stays
    }
}

TEST_F(TrackTest, BadDefinitionsFailWithLineAndExpectation) {
    ASSERT_EQ(decompile(bytesOf(buildTrack({{1, 1, 1}, {2, 1, 1}}, 2))).status, Status::Done);
    const auto good = defLines();
    const std::size_t s2 = sectionLine(good, 2);
    auto edited = [&](std::size_t index, std::string text) {
        auto lines = good;
        lines[index] = std::move(text);
        return lines;
    };
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {edited(s2 + kFirstBankingRow, "1 2 3 2147483647.5 5 6 7 8"),
         "Trk.def:" + std::to_string(s2 + kFirstBankingRow + 1) +
             ": banking row 1 of section 2, field 4: \"2147483647.5\" is outside the 32-bit range"},
        {edited(s2 + kDataRow, "Turn " + std::string(255, '1') + " 2"),
         "data row of section 2: field 2 is longer than 254 characters"},
        {edited(s2 + kDataRow, "Turn" + std::string(32764, ' ')), "longer than 32767 characters"},
        {edited(s2 + kDataRow, "Turn 0 0 0 0 0 0 0 0 0 40000 0 0"),
         "Trk.def:" + std::to_string(s2 + kDataRow + 1) +
             ": Surfaces is 40000; it must lie between -32767 and 32768"},
        {edited(11, "Segments:              0"),
         "Trk.def:12: Segments is 0; it must lie between 1 and 32768"},
        {std::vector(good.begin(), good.begin() + static_cast<long>(s2 + kFirstBankingRow + 1)),
         "Trk.def:" + std::to_string(s2 + kFirstBankingRow + 2) +
             ": the file ends early; expected banking row 2 of section 2"},
        {std::vector(good.begin(), good.begin() + 34), "no \"* SECTIONS *\" line"},
        {edited(5, "* POINTERS *"), "Trk.def:6: POINTERS block before the HEADER block"},
        {edited(24, "* HEADER *"), "Trk.def:25: a second HEADER block"},
    };
    for (const auto& [lines, reason] : cases) {
        setDef(lines);
        expectFailure(compile(), reason);
    }

    // Trk.def is found whatever its case, and nothing after the last wall row
    // is needed; without it nothing is created.
    std::filesystem::remove(dir.file("Trk.def"));
    std::filesystem::remove(dir.file("New.trk"));
    writeFile(dir.file("tRK.DEF"), joinCrlf({good.begin(), good.end() - 2}));
    EXPECT_EQ(compile().status, Status::Done);
    std::filesystem::remove(dir.file("tRK.DEF"));
    std::filesystem::remove(dir.file("New.trk"));
    expectFailure(compile(), "Trk.def");
    EXPECT_FALSE(fileExists(dir.file("New.trk")));
}

// A slip in Trk.def is named where it stands, and the track is read by
// position as always: the same bytes, or nothing at all under --strict.
TEST_F(TrackTest, SlipsAreNamedAtTheirLineAndColumn) {
    const Track t = buildTrack({{1, 2, 1}, {2, 1, 0}}, 2);
    ASSERT_EQ(decompile(bytesOf(t)).status, Status::Done);
    const std::vector<std::string> good = defLines();
    const std::size_t s1 = sectionLine(good, 1), row = s1 + kDataRow;
    // The row with its field `field` (0: the type word) replaced by `text`.
    const auto withField = [&good, row](std::size_t field, const std::string& text) {
        std::vector<std::string> lines = good;
        const std::size_t end = 17 + 13 * field, begin = field == 0 ? 9 : end - 13;
        lines[row].replace(begin, end - begin, std::string(end - begin - text.size(), ' ') + text);
        return lines;
    };
    struct Slip {
        std::vector<std::string> lines;
        long line, column;
        std::string message;  // the first departure's
    };
    std::vector<std::string> deleted = good, added = good, labelled = good, extra = good;
    deleted.erase(deleted.begin() + static_cast<long>(s1 + 12));  // the empty line under BANKING:
    added.insert(added.begin() + static_cast<long>(s1 + 26), "    7 8 9");  // a third surface row
    labelled[9] = "Lenght:" + labelled[9].substr(7);
    extra[s1 + kFirstBankingRow] += " 5";
    const std::string last = std::to_string(t.banking[0][7]);
    const Slip slips[] = {
        {deleted, static_cast<long>(s1 + 13), 10,
         "the layout has an empty line here; found \"Height 1     Height 2     Height 3     "
         "I...\"; the lines after it are read one line early"},
        {withField(2, "4O000"), static_cast<long>(row + 1), 39,
         "the layout has a whole number here (the data row of section 1, field 3); found "
         "\"4O000\", read as 4"},
        {withField(2, "600.5"), static_cast<long>(row + 1), 39,
         "the layout has a whole number here (the data row of section 1, field 3); found "
         "\"600.5\", read as 600"},
        {withField(0, "Stright"), static_cast<long>(row + 1), 11,
         "the layout has the type word \"Straight\" or \"Turn\" here; found \"Stright\", read "
         "as a turn"},
        {extra, static_cast<long>(s1 + kFirstBankingRow + 1), static_cast<long>(109 - last.size()),
         "the layout has 8 values in banking row 1 of section 1; found 9: the last value is read "
         "from \"" +
             last + " 5\" as " + last + "5"},
        {added, static_cast<long>(row + 1), 147,
         "Surfaces is 2; 3 surface rows follow in section 1"},
        {labelled, 10, 1, "the layout has the label \"Length:\" here; found \"Lenght:\""},
    };
    for (const Slip& slip : slips) {
        SCOPED_TRACE(slip.message);
        setDef(slip.lines);
        host.diagnostics.clear();
        const Outcome o = compile();
        ASSERT_EQ(o.status, Status::Done) << o.reason;
        ASSERT_FALSE(host.diagnostics.empty());
        const Diagnostic& d = host.diagnostics.front();
        EXPECT_EQ(d.file, "Trk.def");
        EXPECT_EQ(d.line, slip.line);
        EXPECT_EQ(d.column, slip.column);
        EXPECT_EQ(d.message, slip.message);
        EXPECT_EQ(d.kind, DiagnosticKind::Warning);
    }

    // The values land where the reading by position puts them.
    setDef(withField(2, "4O000"));
    ASSERT_EQ(compile().status, Status::Done);
    Track expected = t;
    expected.sections[0][2] = 4;
    EXPECT_EQ(newTrk(), bytesOf(expected));
    setDef(withField(0, "Stright"));
    ASSERT_EQ(compile().status, Status::Done);
    expected = t;
    expected.sections[0][track::kTypeField] = track::kTurnType;
    EXPECT_EQ(newTrk(), bytesOf(expected));

    // Under --strict each departure is an error and New.trk stays as it was.
    host.reading = Strictness::Strict;
    writeFile(dir.file("New.trk"), "old");
    setDef(deleted);
    host.diagnostics.clear();
    const Outcome strict = compile();
    EXPECT_EQ(strict.status, Status::Failed);
    EXPECT_NE(strict.reason.find("from the layout under --strict; nothing was written"),
              std::string::npos);
    ASSERT_FALSE(host.diagnostics.empty());
    EXPECT_EQ(host.diagnostics.front().kind, DiagnosticKind::Error);
    EXPECT_EQ(newTrk(), "old");
    setDef(good);
    EXPECT_EQ(compile().status, Status::Done);
    EXPECT_EQ(newTrk(), bytesOf(t));
}

// Counts that disagree with the rows after them are named at the count.
TEST_F(TrackTest, CountsThatDisagreeAreNamedAtTheirLine) {
    const Track t = buildTrack({{1, 1, 1}, {2, 1, 1}}, 1);
    ASSERT_EQ(decompile(bytesOf(t)).status, Status::Done);
    const std::vector<std::string> good = defLines();
    const std::size_t s2 = sectionLine(good, 2);

    // One section fewer than the file holds: the extra pointer line and the
    // extra section are named, the second at the Segments line.
    std::vector<std::string> lines = good;
    lines[11] = "Segments:              1";
    setDef(lines);
    ASSERT_EQ(compile().status, Status::Done);
    ASSERT_EQ(host.diagnostics.size(), 2u);
    EXPECT_EQ(host.diagnostics[0].line, 32);
    EXPECT_EQ(host.diagnostics[0].message,
              "the layout has nothing more here before \"* SECTIONS *\"; found \"" + good[31] +
                  "\", a pointer line more than Segments says; it is not read");
    EXPECT_EQ(host.diagnostics[1].line, 12);
    EXPECT_EQ(host.diagnostics[1].message,
              "Segments is 1; 2 sections follow, and those after section 1 are not read");

    // A wall row too few: the empty line read as the row names the count.
    lines = good;
    lines.erase(lines.begin() + static_cast<long>(s2 + 31));
    setDef(lines);
    host.diagnostics.clear();
    ASSERT_EQ(compile().status, Status::Done);
    ASSERT_FALSE(host.diagnostics.empty());
    EXPECT_EQ(host.diagnostics[0].line, static_cast<long>(s2 + kDataRow + 1));
    EXPECT_EQ(host.diagnostics[0].message, "Walls is 1; 0 wall rows follow in section 2");

    // Sections cut off: the reading runs past the end, and the reason names
    // the Segments line.
    lines = good;
    lines[11] = "Segments:              3";
    lines.insert(lines.begin() + 32, "Pointers:              9");
    setDef(lines);
    const Outcome o = compile();
    EXPECT_EQ(o.status, Status::Failed);
    EXPECT_NE(o.reason.find("; Segments on line 12 says 3"), std::string::npos) << o.reason;

    // Walls too many in section 1: its rows take in section 2, whose lines
    // are then read as section 3, and the reading runs past the end while
    // the rows of another count are read. The reason names the count that
    // disagreed first. (Zeros, so that every line taken in reads.)
    Track zeros = buildTrack({{1, 0, 1}, {2, 0, 1}, {2, 0, 1}}, 1);
    for (auto& section : zeros.sections)
        for (std::size_t f = 1; f < section.size(); ++f)
            if (f != track::kSurfacesField && f != track::kWallsField) section[f] = 0;
    for (auto& row : zeros.banking) row.fill(0);
    for (auto& row : zeros.walls) row.fill(0);
    ASSERT_EQ(decompile(bytesOf(zeros)).status, Status::Done);
    lines = defLines();
    const std::size_t row1 = sectionLine(lines, 1) + kDataRow;
    // From the wall row of section 1 to the title of section 3.
    const std::size_t walls = sectionLine(lines, 3) - sectionLine(lines, 2) + 3;
    lines[row1].replace(lines[row1].size() - 13, 13, "           " + std::to_string(walls));
    setDef(lines);
    host.diagnostics.clear();
    EXPECT_EQ(compile().reason, "Trk.def:" + std::to_string(lines.size() + 1) +
                                    ": the file ends early; expected the data row of section 3; "
                                    "Walls on line " +
                                    std::to_string(row1 + 1) + " says " + std::to_string(walls));
    ASSERT_FALSE(host.diagnostics.empty());
    EXPECT_EQ(diagnosticLine(host.diagnostics[0]),
              "Trk.def:" + std::to_string(row1 + 1) + ":" + std::to_string(lines[row1].size() - 1) +
                  ": warning: Walls is " + std::to_string(walls) +
                  "; 1 wall rows follow in section 1");

    // At most 20 departures of a file are shown, then how many more.
    ASSERT_EQ(decompile(bytesOf(buildTrack({{1, 0, 0}}, 25))).status, Status::Done);
    lines = defLines();
    const std::size_t first = sectionLine(lines, 1) + kFirstBankingRow;
    for (std::size_t i = first; i < first + 25; ++i) lines[i].replace(4, 13, "           x1");
    setDef(lines);
    host.diagnostics.clear();
    ASSERT_EQ(compile().status, Status::Done);
    ASSERT_EQ(host.diagnostics.size(), 21u);
    EXPECT_EQ(host.diagnostics[19].line, static_cast<long>(first + 20));
    EXPECT_EQ(host.diagnostics.back().kind, DiagnosticKind::Note);
    EXPECT_EQ(diagnosticLine(host.diagnostics.back()), "Trk.def: note: (and 5 more)");
}

}  // namespace
}  // namespace z5
