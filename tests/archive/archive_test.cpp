#include "archive/archive.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>

#include "archive/limits.hpp"
#include "platform/failure.hpp"
#include "tests/support/rows.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;
using namespace test;

// Rounding up is caught by the pack count tests below.
TEST(RoundValue, TruncatesTowardZeroAndRefusesWhatDoesNotFit) {
    std::int32_t out = 12345;
    Round().RoundValue(-2.9f, out);
    EXPECT_EQ(out, -2);
    EXPECT_THROW(Round().RoundValue(2147483648.0f, out), CommandFailure);
    EXPECT_THROW(Round().RoundValue(std::nanf(""), out), CommandFailure);
}

struct Archive : ::testing::Test {
    test::TempFolder root;  // the archive and list usually lie here, outside the working folder
    std::string work = root.file("work");
    test::FakeHost host{work};
    Archive() { fs::create_directory(work); }

    // Failed, with `reason` somewhere in the message.
    static testing::AssertionResult failed(const Outcome& o, std::string_view reason) {
        if (o.status == Status::Failed && o.reason.find(reason) != std::string::npos)
            return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << "expected failure \"" << reason << "\", got: " << o.reason;
    }
    std::string in(std::string_view name) const { return (fs::path(work) / name).string(); }
    void fresh() { fs::remove_all(work), fs::create_directory(work); }
    Outcome unpack(const std::string& bytes) {
        writeFile(root.file("game.dat"), bytes);
        host.answer = root.file("game.dat");
        return runRow("mnuUnpack", host);
    }
    Outcome pack(const std::string& listText) {
        writeFile(root.file("list.pck"), listText);
        host.answer = root.file("list.pck");
        return runRow("mnuPack", host);
    }
    std::vector<std::string> files() const { return folderNames(work); }
};

const std::vector<Member> kMembers = {{"EMPTY", ""},
                                      {"FIVE.TXT", "12345"},
                                      {"ODD.BIN", std::string(2047, 'o')},
                                      {"TWO.BIN", std::string(4096, 't')},
                                      {"ABCDEFGHI.JKL", "13 characters, no zero byte"}};

TEST_F(Archive, UnpackThenPackGivesTheSameBytesAndEditsLandExactly) {
    const std::string original = archive(kMembers);
    writeFile(in("FIVE.TXT"), std::string(100, '#'));  // a longer old file is emptied first
    const Outcome o = unpack(original);
    ASSERT_EQ(o.status, Status::Done) << o.reason;
    EXPECT_EQ(host.filters.back(), "dat files(*.dat)|*.dat");
    EXPECT_EQ(host.messages.at(0).first + host.messages[0].second, "DONEBank App");
    EXPECT_EQ(readFile(in("dattext.pck")),
              crlf({"game", " 5 ", "EMPTY", "FIVE.TXT", "ODD.BIN", "TWO.BIN", "ABCDEFGHI.JKL"}));
    for (const auto& m : kMembers) EXPECT_EQ(readFile(in(m.name)), m.data) << m.name;

    host.answer = in("dattext.pck");
    ASSERT_EQ(runRow("mnuPack", host).status, Status::Done);
    EXPECT_EQ(readFile(in("game.dat")), original);

    // A member grows by three bytes: its sizes and every later offset move.
    writeFile(in("FIVE.TXT"), "12345678");
    ASSERT_EQ(runRow("mnuPack", host).status, Status::Done);
    std::vector<Member> edited = kMembers;
    edited[1].data = "12345678";
    EXPECT_EQ(readFile(in("game.dat")), archive(edited));

    // Unpack ignores the tag, the second size and the offset, and cuts names at the first zero.
    fresh();
    std::string bytes = archive({{"ABC", "abc", 0x15, 99}, {"D", "d"}});
    bytes[2 + 10 + 4] = 'Z';      // a byte after the first zero of "ABC"
    bytes[2 + 27 + 23] = '\x7f';  // a wrong offset for "D"
    ASSERT_EQ(unpack(bytes).status, Status::Done);
    EXPECT_EQ(readFile(in("dattext.pck")), crlf({"game", " 2 ", "ABC", "D"}));
    EXPECT_EQ(readFile(in("ABC")) + readFile(in("D")), "abcd");

    ASSERT_EQ(unpack(archive({})).status, Status::Done);
    EXPECT_EQ(readFile(in("dattext.pck")), crlf({"game", " 0 "}));
}

TEST_F(Archive, UnpackFailuresGiveAReasonAndLeaveNoShortFile) {
    // Cut inside the third member: the list and the first two stay, an
    // older C is kept as it was.
    writeFile(in("C"), "older C");
    const std::string bytes = archive({{"A", "aaaa"}, {"B", "bb"}, {"C", std::string(3000, 'c')}});
    EXPECT_TRUE(failed(unpack(bytes.substr(0, bytes.size() - 10)),
                       "member C, 10 of its 3000 bytes are missing; no file was written for it"));
    EXPECT_EQ(files(), (std::vector<std::string>{"A", "B", "C", "dattext.pck"}));
    EXPECT_EQ(readFile(in("C")), "older C");

    // A failure in the directory leaves the older list as it was.
    const std::string list = readFile(in("dattext.pck"));
    EXPECT_TRUE(failed(unpack(std::string("\x00\x80", 2)), "entry count 32768 is more than 32767"));
    EXPECT_EQ(readFile(in("dattext.pck")), list);

    // Names that leave the folder or cannot round trip: nothing is extracted anywhere.
    const std::string outside = "/tmp/z5esc" + std::to_string(::getpid() % 1000);
    ASSERT_LE(outside.size(), 13u);
    fs::remove(outside);
    std::vector<std::pair<std::string, std::string>> cases;
    for (const std::string& bad :
         std::vector<std::string>{"..\\x", "../x", outside, "c:x", "..", ".", "", "a\r\nb", " lead",
                                  "trail ", "end.", "NUL.TXT", "a|b"})
        cases.emplace_back(archive({{"OK.TXT", "fine"}, {bad, "evil"}}),
                           "entry 2 of 2: member name");
    // Names that are one file on Windows, and the archive that packing the
    // list would write over its member, are refused before any member.
    cases.insert(cases.end(),
                 {{archive({{"ok.txt", "1"}, {"OK.TXT", "2"}}),
                   "entry 2 of 2: OK.TXT and ok.txt would be written as one file"},
                  {archive({{"OK.TXT", "1"}, {"GAME.DAT", "2"}}),
                   "member name \"GAME.DAT\" is the archive that packing the list writes"},
                  {archive({{"OK.TXT", "1"}, {"DATTEXT.PCK", "2"}}),
                   "DATTEXT.PCK and dattext.pck would be written as one file"}});
    cases.insert(
        cases.end(),
        {{"\x01", "ends inside its 2-byte entry count"},
         {archive({{"A", "a"}, {"B", "b"}}).substr(0, 40), "entry 2 of 2: the archive ends inside"},
         {Bytes().i16(1).u8(5).u8(0).i32(67108864).i32(0).fixed("BIG", 13).i32(0).str(),
          "67108864 bytes"},
         {Bytes().i16(1).u8(5).u8(0).i32(-5).i32(0).fixed("NEG", 13).i32(0).str(), "negative"}});
    for (const auto& [input, reason] : cases) {
        EXPECT_TRUE((fresh(), failed(unpack(input), reason)));
        EXPECT_EQ(files(), std::vector<std::string>{}) << reason;
    }
    EXPECT_FALSE(fileExists(outside));
    EXPECT_FALSE(fileExists(root.file("x")));

    // Neither the archive being read nor the list may be overwritten.
    const std::string self = archive({{"game.dat", "x"}});
    writeFile(in("game.dat"), self);
    host.answer = in("game.dat");
    EXPECT_EQ(runRow("mnuUnpack", host).status, Status::Failed);
    EXPECT_EQ(readFile(in("game.dat")), self);
    EXPECT_TRUE(failed(unpack(archive({{"dattext.pck", "x"}})), "would be written as one file"));
    EXPECT_FALSE(fileExists(in("dattext.pck")));
}

// Members are copied several at a time: every byte still lands in place, and
// when one fails, exactly the members before it are in place.
TEST_F(Archive, ManyMembersRoundTripAndAFailureKeepsExactlyThoseBefore) {
    std::vector<Member> many;
    for (int i = 0; i < 200; ++i) {
        many.push_back({"M" + std::to_string(1000 + i), std::string(i * 37 % 5000, '\0')});
        for (std::size_t b = 0; b < many.back().data.size(); ++b)
            many.back().data[b] = static_cast<char>(i + b * 7);
    }
    const std::string bytes = archive(many);
    ASSERT_EQ(unpack(bytes).status, Status::Done);
    for (const Member& m : many) ASSERT_EQ(readFile(in(m.name)), m.data) << m.name;
    host.answer = in("dattext.pck");
    ASSERT_EQ(runRow("mnuPack", host).status, Status::Done);
    EXPECT_EQ(readFile(in("game.dat")), bytes);

    // An archive that ends inside M1100: M1000 to M1099 and the list are in
    // place, nothing after them.
    fresh();
    std::size_t tail = 0;
    for (int i = 100; i < 200; ++i) tail += many[i].data.size();
    EXPECT_TRUE(failed(unpack(bytes.substr(0, bytes.size() - tail + 1)), "inside member M1100"));
    std::vector<std::string> expected;
    for (int i = 0; i < 100; ++i) expected.push_back(many[i].name);
    expected.push_back("dattext.pck");
    EXPECT_EQ(files(), expected);

    // Every member's target is checked before any is written: a folder at
    // M1100 stops the unpack with nothing written.
    fresh();
    fs::create_directory(in("M1100"));
    EXPECT_TRUE(failed(unpack(bytes), "M1100: it is a folder"));
    EXPECT_EQ(files(), std::vector<std::string>{"M1100"});
}

TEST_F(Archive, PackWritesCountsOffsetsAndTakesListsFromAnyFolder) {
    writeFile(in("A"), "0123456789");
    writeFile(in("B"), "");
    writeFile(in("C"), "abcdefg");
    // Blanks around lines, blank lines at the end, the list outside the folder.
    ASSERT_EQ(pack(crlf({"  out  ", " 3 ", " A", "B  ", "C", "", " "})).status, Status::Done);
    EXPECT_EQ(host.filters, std::vector<std::string>{"Dat Txt Files(*.pck)|*.pck"});
    const std::string dat = readFile(in("out.dat"));
    EXPECT_EQ(dat, archive({{"A", "0123456789"}, {"B", ""}, {"C", "abcdefg"}}));

    // Names after those counted are left out, with a warning on the count's
    // line (under --strict an error: nothing is written).
    EXPECT_EQ(pack(crlf({"out", " 2 ", "A", "B", "C", "D"})).status, Status::Done);
    EXPECT_EQ(host.notices, std::vector<std::string>{root.file("list.pck") +
                                                     ":2:1: warning: the member count is 2, but 4 "
                                                     "names follow it; those after the first 2 "
                                                     "are left out"});
    EXPECT_EQ(readFile(in("out.dat")), archive({{"A", "0123456789"}, {"B", ""}}));
    host.reading = Strictness::Strict;
    EXPECT_EQ(pack(crlf({"out", "1", "A", "B"})).status, Status::Failed);
    EXPECT_EQ(readFile(in("out.dat")), archive({{"A", "0123456789"}, {"B", ""}}));
    host.reading = Strictness::Standard;

    // The count's low and high bytes (255 must not round up to a high byte of 1).
    for (int i = 0; i < 300; ++i) writeFile(in("M" + std::to_string(i)), "");
    for (int count : {0, 255, 300}) {
        std::string list = crlf({"many", std::to_string(count)});
        std::vector<Member> members(count);
        for (int i = 0; i < count; ++i)
            list += (members[i].name = "M" + std::to_string(i)) + "\r\n";
        ASSERT_EQ(pack(list).status, Status::Done) << count;
        EXPECT_EQ(readFile(in("many.dat")), archive(members)) << count;
    }
}

TEST_F(Archive, PackFailuresKeepTheOldArchiveAndNameTheLine) {
    writeFile(in("A"), "a");
    writeFile(root.file("x"), "outside");
    writeFile(in("game.dat"), "OLD");
    const std::pair<std::string, std::string> cases[] = {
        {crlf({"game", "2", "A"}), "list.pck:2: the member count is 2, but 1 name follows it"},
        {crlf({"game", "1", "FOURTEEN.CHARS"}),
         "list.pck:3: member name \"FOURTEEN.CHARS\" is longer"},
        {crlf({"game", "1", "MISSING"}), "list.pck:3: member MISSING"},
        {crlf({"game", "2", "A", "a"}), "list.pck:4: member a is listed twice (also as A)"},
        {crlf({"game", "two"}), "list.pck:2: the member count \"two\" is not a whole number"},
        {crlf({"game", "-1"}), "negative"},
        {crlf({"game", "40000"}), "outside the 16-bit range"},
        {crlf({"game", "1214"}), "more than the 1213 members"},
        {crlf({"game", "1", "../x"}), "list.pck:3: member name \"../x\" holds a path separator"},
        {crlf({"../game", "0"}), "list.pck:1: archive name"},
    };
    for (const auto& [list, reason] : cases) {
        EXPECT_TRUE(failed(pack(list), reason));
        EXPECT_EQ(files(), (std::vector<std::string>{"A", "game.dat"})) << reason;
        EXPECT_EQ(readFile(in("game.dat")), "OLD");
    }
    EXPECT_EQ(readFile(root.file("x")), "outside");

    // The archive may not be written over one of its members.
    EXPECT_TRUE(failed(pack(crlf({"game", "2", "GAME.DAT", "A"})),
                       "list.pck:3: GAME.DAT is an input of this command"));
    EXPECT_EQ(readFile(in("game.dat")), "OLD");

    fs::resize_file(in("A"), 67108864);  // sparse: the size is refused before copying
    EXPECT_TRUE(failed(pack(crlf({"big", "1", "A"})), "member A is 67108864 bytes"));
}

TEST_F(Archive, CleanUpDeletesExactlyTheListedFiles) {
    for (const char* name : {"A", "B", "C", "a1", "a2", "keep"}) writeFile(in(name), "x");
    writeFile(root.file("x"), "outside");
    fs::create_directory(in("sub"));
    // The count line is not consulted; blanks around names are dropped.
    writeFile(in("dattext.pck"), crlf({"game", " 1 ", " A ", "B", "C"}));
    ASSERT_EQ(runRow("mnuCleanUp", host).status, Status::Done);
    EXPECT_EQ(files(), (std::vector<std::string>{"a1", "a2", "dattext.pck", "keep", "sub"}));

    // A second run stops at the first missing name and deletes nothing after it.
    writeFile(in("C"), "x");
    EXPECT_EQ(runRow("mnuCleanUp", host).reason, "dattext.pck:3: cannot delete A: no such file");
    EXPECT_TRUE(fileExists(in("C")));

    const std::pair<std::string, std::string> cases[] = {
        {"a*", "member name \"a*\" holds \"*\""},     {"?2", "member name \"?2\" holds \"?\""},
        {"../x", "holds a path separator"},           {"..\\x", "holds a path separator"},
        {root.file("x"), "holds a path separator"},   {"sub", "sub is a folder"},
        {"gone", "cannot delete gone: no such file"},
    };
    for (const auto& [name, reason] : cases) {
        writeFile(in("dattext.pck"), crlf({"game", "1", name}));
        EXPECT_TRUE(failed(runRow("mnuCleanUp", host), reason));
    }
    // A list that names its archive or itself anywhere deletes nothing.
    writeFile(in("game.dat"), "archive");
    for (const char* self : {"Game.Dat", "DATTEXT.PCK"}) {
        writeFile(in("dattext.pck"), crlf({"game", "2", "C", self}));
        EXPECT_TRUE(failed(runRow("mnuCleanUp", host), "nothing was deleted"));
    }
    fs::remove(in("game.dat"));
    EXPECT_EQ(files(), (std::vector<std::string>{"C", "a1", "a2", "dattext.pck", "keep", "sub"}));
    EXPECT_EQ(readFile(root.file("x")), "outside");
}

TEST_F(Archive, PeerArchives) {
    const fs::path peer = Z5_PEER_DAT;
    if (!fs::exists(peer / "default.dat")) GTEST_SKIP() << "no peer archives at " << peer;
    host.answer = (peer / "default.dat").string();
    ASSERT_EQ(runRow("mnuUnpack", host).status, Status::Done);
    EXPECT_EQ(readFile(in("dattext.pck")),
              crlf({"default", " 4 ", "ONE.TXT", "TWO.TXT", "THREE.TXT", "FOUR.TXT"}));
    for (auto [name, nth] :
         {std::pair{"ONE", "first"}, {"TWO", "second"}, {"THREE", "third"}, {"FOUR", "fourth"}})
        EXPECT_EQ(readFile(in(name + std::string(".TXT"))),
                  "This is the " + std::string(nth) + " file");
    host.answer = in("dattext.pck");
    ASSERT_EQ(runRow("mnuPack", host).status, Status::Done);
    EXPECT_EQ(readFile(in("default.dat")), readFile((peer / "default.dat").string()));

    // Malformed archives either unpack or fail with a reason, inside the folder.
    for (const auto& e : fs::directory_iterator(peer)) {
        if (e.path().extension() != ".dat") continue;
        fresh();
        host.answer = e.path().string();
        const Outcome o = runRow("mnuUnpack", host);
        EXPECT_TRUE(o.status == Status::Done || !o.reason.empty()) << e.path();
        for (const auto& f : fs::directory_iterator(root.path()))
            EXPECT_EQ(f.path().filename(), "work");
        if (e.path().filename() == "file_ends_past_eof.dat") {
            EXPECT_NE(o.reason.find("member FOUR.TXT"), std::string::npos) << o.reason;
            EXPECT_FALSE(fileExists(in("FOUR.TXT")));
        }
    }
}

// Members by name: unpack of some, add (replace in place, append, create),
// each against archives built here from the format alone.
TEST_F(Archive, MembersByName) {
    const std::vector<Member> members = {
        {"A.TXT", "first"}, {"kept.bin", "second", 7, 99}, {"C.TRK", "third"}};
    writeFile(root.file("game.dat"), archive(members));
    host.answer = root.file("game.dat");
    const auto unpackSome = [this](std::vector<std::string> names) {
        return runCommand(host, findCommandByMenu("mnuUnpack")->options,
                          [&](Command& cmd) { runUnpackMembers(cmd, names); });
    };
    // In any letter case, under the archive's spelling; no list. A file
    // whose name differs only in letter case is another file, and stays.
    // (Where the file system folds letter case, they are one file.)
    writeFile(in("c.trk"), "mine");
    const bool oneFile = fileExists(in("C.TRK"));
    ASSERT_EQ(unpackSome({"c.trk", "a.txt"}).status, Status::Done);
    EXPECT_EQ(files().size(), oneFile ? 2u : 3u);
    EXPECT_EQ(readFile(in("A.TXT")), "first");
    EXPECT_EQ(readFile(in("C.TRK")), "third");
    if (!oneFile) {
        EXPECT_EQ(readFile(in("c.trk")), "mine");
    }
    fresh();
    EXPECT_TRUE(failed(unpackSome({"A.TXT", "NOPE.BIN"}), "game.dat: no member NOPE.BIN"));
    EXPECT_TRUE(files().empty());

    const auto add = [this](const std::vector<std::string>& files, bool backup = true) {
        AddReport report;
        const Outcome o = runCommand(host, {}, [&](Command& cmd) {
            report = runAdd(cmd, root.file("game.dat"), files, backup);
        });
        return std::pair{o, report};
    };
    writeFile(in("a.txt"), "FIRST, LONGER");
    writeFile(in("D.NEW"), "fourth");
    const std::string before = readFile(root.file("game.dat"));
    const auto [o, report] = add({in("a.txt"), in("D.NEW")});
    ASSERT_EQ(o.status, Status::Done) << o.reason;
    EXPECT_EQ(report.replaced, std::vector<std::string>{"A.TXT"});
    EXPECT_EQ(report.added, std::vector<std::string>{"D.NEW"});
    EXPECT_EQ(readFile(root.file("game.dat.bak")), before);
    // The replaced member keeps its place and spelling, the untouched one
    // its entry but the offset, the new one comes last as pack writes it.
    std::string expected = archive({{"A.TXT", "FIRST, LONGER"},
                                    {"kept.bin", "second", 7, 99},
                                    {"C.TRK", "third"},
                                    {"D.NEW", "fourth"}});
    EXPECT_EQ(readFile(root.file("game.dat")), expected);

    // A missing archive is created; limits and names as pack has them, and
    // a refusal changes nothing.
    fs::remove(root.file("game.dat"));
    fs::remove(root.file("game.dat.bak"));
    ASSERT_EQ(add({in("D.NEW")}).first.status, Status::Done);
    EXPECT_EQ(readFile(root.file("game.dat")), archive({{"D.NEW", "fourth"}}));
    EXPECT_FALSE(fileExists(root.file("game.dat.bak")));
    writeFile(in("FOURTEEN.CHARS"), "x");
    EXPECT_TRUE(failed(add({in("FOURTEEN.CHARS")}).first, "longer than 13 characters"));
    writeFile(in("d.new"), "again");
    EXPECT_TRUE(failed(add({in("D.NEW"), in("d.new")}).first, "given twice"));
    EXPECT_TRUE(failed(add({root.file("game.dat")}).first, "is the archive itself"));
    // A name the archive's readers would refuse is never written into it.
    writeFile(in(" lead"), "x");
    EXPECT_TRUE(failed(add({in(" lead")}).first, "begins or ends with a blank"));
    EXPECT_EQ(readFile(root.file("game.dat")), archive({{"D.NEW", "fourth"}}));
    EXPECT_FALSE(fileExists(root.file("game.dat.bak")));
}

}  // namespace
}  // namespace z5
