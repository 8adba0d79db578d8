#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#else
#include <windows.h>
#endif
#include <filesystem>
#include <map>
#include <optional>

#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/paths.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using test::folderNames;
using test::TempFolder;
using test::writeFile;

// A folder's entries, each with its kind and whether it is a link, also
// where the folder's path is longer than old Windows paths.
TEST(Folders, ListingTellsKindsAndLinks) {
    TempFolder dir;
    std::string folder = dir.str();
    while (folder.size() < 300) folder = joinPath(folder, std::string(40, 'd'));
    std::filesystem::create_directories(nativePath(joinPath(folder, "sub")));
    writeFile(joinPath(folder, "file.trk"), "x");
    using Kind = FolderEntry::Kind;
    std::map<std::string, std::pair<Kind, bool>> expected = {{"file.trk", {Kind::File, false}},
                                                             {"sub", {Kind::Folder, false}}};
#ifndef _WIN32
    std::filesystem::create_directory_symlink("sub", joinPath(folder, "link"));
    std::filesystem::create_symlink("gone", joinPath(folder, "gone.trk"));
    ASSERT_EQ(::mkfifo(joinPath(folder, "fifo").c_str(), 0600), 0);
    expected.insert({{"link", {Kind::Folder, true}},
                     {"gone.trk", {Kind::File, true}},
                     {"fifo", {Kind::Other, false}}});
#endif
    std::string error;
    std::map<std::string, std::pair<Kind, bool>> listed;
    for (const FolderEntry& entry : listFolder(folder, error))
        listed[entry.name] = {entry.kind, entry.link};
    EXPECT_EQ(error, "");
    EXPECT_EQ(listed, expected);
    EXPECT_TRUE(listFolder(joinPath(folder, "none"), error).empty());
    EXPECT_NE(error, "");
}

// A copy of a file, put in place together with the output that replaces
// that file, holds the file's old bytes; the older file at its name is put
// back when the outputs cannot all be put in place, and an abandoned copy
// leaves nothing behind.
TEST(SafeOutput, CopyOfAFileKeepsTheBytesItReplaces) {
    TempFolder dir;
    const std::string archive = dir.file("game.dat"), backup = dir.file("game.dat.bak");
    writeFile(archive, "old archive");
    writeFile(backup, "older");
    const auto replace = [&](std::string_view bytes) {
        OutputFile copy = OutputFile::copyOf(archive, backup, "game.dat.bak");
        OutputFile out(archive, "game.dat");
        out.write(bytes.data(), bytes.size());
        commitTogether({{&copy, false}, {&out, false}});
    };
    { OutputFile abandoned = OutputFile::copyOf(archive, backup, "game.dat.bak"); }
    EXPECT_EQ(test::readFile(backup), "older");
    replace("new archive");
    EXPECT_EQ(test::readFile(archive), "new archive");
    EXPECT_EQ(test::readFile(backup), "old archive");
    EXPECT_EQ(folderNames(dir.str()), (std::vector<std::string>{"game.dat", "game.dat.bak"}));

    // The archive's name taken by a folder: neither name changes.
    std::filesystem::create_directory(dir.file("other.dat"));
    {
        OutputFile copy = OutputFile::copyOf(archive, backup, "game.dat.bak");
        OutputFile out(dir.file("other.dat"), "other.dat");
        out.write("x", 1);
        EXPECT_THROW(commitTogether({{&copy, false}, {&out, false}}), CommandFailure);
    }
    EXPECT_EQ(test::readFile(backup), "old archive");
    EXPECT_EQ(folderNames(dir.str()),
              (std::vector<std::string>{"game.dat", "game.dat.bak", "other.dat"}));
#ifndef _WIN32
    // Where no link can be made (another file system), the bytes are copied.
    const std::string elsewhere = "/dev/shm/z5-copy-" + std::to_string(::getpid());
    const auto device = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? std::optional(st.st_dev) : std::nullopt;
    };
    if (device("/dev/shm") && device("/dev/shm") != device(dir.str())) {
        writeFile(elsewhere, "from another disk");
        OutputFile copy = OutputFile::copyOf(elsewhere, backup, "game.dat.bak");
        copy.commit();
        std::filesystem::remove(elsewhere);
        EXPECT_EQ(test::readFile(backup), "from another disk");
    }
#endif
}

#ifndef _WIN32
TEST(SafeOutput, NewFilesGetThePlainCreateModeAndFixedNamesDropCaseVariants) {
    TempFolder dir;
    const mode_t old = ::umask(027);
    writeFile(dir.file("Cam.def"), "older");
    writeFile(dir.file("CAM.DEF"), "oldest");
    OutputFile out(dir.file("cam.def"), "cam.def");
    out.write("x", 1);
    out.commit(true);
    ::umask(old);
    EXPECT_EQ(folderNames(dir.str()), std::vector<std::string>{"cam.def"});
    EXPECT_EQ(std::filesystem::status(dir.file("cam.def")).permissions(),
              std::filesystem::perms(0640));
}

// Both ways a temporary file is made: without a name, and (Z5_NO_TMPFILE=1)
// with a unique one.
class Temporaries : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) ::setenv("Z5_NO_TMPFILE", "1", 1);
    }
    void TearDown() override { ::unsetenv("Z5_NO_TMPFILE"); }
};
INSTANTIATE_TEST_SUITE_P(SafeOutput, Temporaries, ::testing::Bool());

// A replaced file passes on its mode; one without write permission stays,
// whoever runs the command, and nothing is left beside it.
TEST_P(Temporaries, ReplacingKeepsTheModeAndRefusesReadOnlyFiles) {
    TempFolder dir;
    for (const auto& [name, mode] : {std::pair{"private.def", 0600}, {"shared.def", 0664}}) {
        writeFile(dir.file(name), "old");
        ::chmod(dir.file(name).c_str(), static_cast<mode_t>(mode));
        OutputFile out(dir.file(name), name);
        out.write("new", 3);
        out.commit();
        EXPECT_EQ(test::readFile(dir.file(name)), "new");
        EXPECT_EQ(std::filesystem::status(dir.file(name)).permissions(),
                  std::filesystem::perms(mode));
    }
    writeFile(dir.file("locked.def"), "old");
    ::chmod(dir.file("locked.def").c_str(), 0444);
    EXPECT_THROW(requireReplaceable(dir.file("locked.def"), "locked.def"), CommandFailure);
    OutputFile out(dir.file("locked.def"), "locked.def");
    out.write("new", 3);
    try {
        out.commit();
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const CommandFailure& e) {
        EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
    }
    EXPECT_EQ(test::readFile(dir.file("locked.def")), "old");
    EXPECT_EQ(folderNames(dir.str()),
              (std::vector<std::string>{"locked.def", "private.def", "shared.def"}));
}

// SIGTERM while an output is being written removes its temporary file.
TEST_P(Temporaries, SignalsLeaveNoTemporaryFile) {
    TempFolder dir;
    EXPECT_EQ(test::signalThatEnds([&] {
                  OutputFile out(dir.file("big.dat"), "big.dat");
                  out.write(std::string(1 << 20, '7').data(), 1 << 20);
                  std::raise(SIGTERM);
              }),
              SIGTERM);
    EXPECT_TRUE(folderNames(dir.str()).empty());
}
#else
// A replaced file passes on its hidden attribute; one with the read-only
// attribute stays, and nothing is left beside it.
TEST(SafeOutput, ReplacingKeepsAttributesAndRefusesReadOnlyFiles) {
    TempFolder dir;
    for (const DWORD attribute : {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_READONLY}}) {
        const std::string path = dir.file("kept.def");
        writeFile(path, "old");
        ASSERT_TRUE(
            SetFileAttributesW(dir.path().wstring().append(L"\\kept.def").c_str(), attribute));
        OutputFile out(path, "kept.def");
        out.write("new", 3);
        if (attribute == FILE_ATTRIBUTE_READONLY) {
            EXPECT_THROW(requireReplaceable(path, "kept.def"), CommandFailure);
            EXPECT_THROW(out.commit(), CommandFailure);
            EXPECT_EQ(test::readFile(path), "old");
        } else {
            out.commit();
            EXPECT_EQ(test::readFile(path), "new");
        }
        EXPECT_TRUE(GetFileAttributesW(dir.path().wstring().append(L"\\kept.def").c_str()) &
                    attribute);
        EXPECT_EQ(folderNames(dir.str()), std::vector<std::string>{"kept.def"});
        SetFileAttributesW(dir.path().wstring().append(L"\\kept.def").c_str(),
                           FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove(dir.path() / "kept.def");
    }
}

// A target held open by another program without leave to delete it cannot
// be replaced: the output put in place before it gets its old file back.
TEST(SafeOutput, OutputsPutInPlaceTogetherAreRolledBack) {
    TempFolder dir;
    for (const char* name : {"first.def", "held.def"}) writeFile(dir.file(name), "old");
    const HANDLE held = CreateFileW((dir.path() / "held.def").wstring().c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    OutputFile first(dir.file("first.def"), "first.def"), second(dir.file("held.def"), "held.def");
    first.write("new", 3);
    second.write("new", 3);
    EXPECT_THROW(commitTogether({{&first, false}, {&second, false}}), CommandFailure);
    CloseHandle(held);
    EXPECT_EQ(test::readFile(dir.file("first.def")), "old");
    EXPECT_EQ(test::readFile(dir.file("held.def")), "old");
    EXPECT_EQ(folderNames(dir.str()), (std::vector<std::string>{"first.def", "held.def"}));
}
#endif

#ifndef _WIN32
// A signal that comes while a step must not be cut in half ends the
// program once the step is done.
TEST(Signals, WaitForADeferredStep) {
    TempFolder dir;
    EXPECT_EQ(test::signalThatEnds([&] {
                  {
                      const SignalsDeferred whole;
                      std::raise(SIGINT);
                      writeFile(dir.file("done"), "done");
                  }
                  writeFile(dir.file("after"), "after");
              }),
              SIGINT);
    EXPECT_EQ(folderNames(dir.str()), std::vector<std::string>{"done"});
}
#endif

}  // namespace
}  // namespace z5
