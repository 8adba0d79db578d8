#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include "tests/support/support.hpp"
#include "textfmt/failure.hpp"
#include "textfmt/files.hpp"
#include "textfmt/inorder.hpp"

namespace z5 {
namespace {

using test::readFile;
using test::TempFolder;
using test::writeFile;

// Work of uneven length, so that items complete out of order.
void uneven(std::size_t i) {
    for (std::size_t n = (i * 7919) % 13 * 50; n > 0; --n) std::this_thread::yield();
}

TEST(RunInOrder, FinishesInOrderWithinTheWindowAndStopsAtTheFirstFailure) {
    for (const unsigned threads : {1u, 3u}) {
        SCOPED_TRACE(threads);
        constexpr std::size_t kAhead = 4;
        std::vector<std::size_t> finished;
        std::atomic<std::size_t> finishedCount{0};
        std::atomic<bool> beyondWindow{false};
        std::vector<int> worked(100, 0);
        runInOrder(
            100, threads, kAhead,
            [&](std::size_t i) {
                if (i >= finishedCount.load() + kAhead) beyondWindow = true;
                uneven(i);
                worked[i] = 1;
            },
            [&](std::size_t i) {
                EXPECT_EQ(worked[i], 1) << i;  // its work is complete and seen
                finished.push_back(i);
                finishedCount = i + 1;
            });
        ASSERT_EQ(finished.size(), 100u);
        for (std::size_t i = 0; i < finished.size(); ++i) EXPECT_EQ(finished[i], i);
        EXPECT_FALSE(beyondWindow);

        // A failure of work(6) comes out after finish(5); nothing after it is finished.
        finished.clear();
        EXPECT_THROW(runInOrder(
                         100, threads, kAhead,
                         [&](std::size_t i) {
                             uneven(i);
                             if (i == 6) throw CommandFailure("six");
                         },
                         [&](std::size_t i) { finished.push_back(i); }),
                     CommandFailure);
        EXPECT_EQ(finished, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));

        // A failure of finish itself ends the run the same way.
        finished.clear();
        EXPECT_THROW(runInOrder(
                         50, threads, 50, [](std::size_t i) { uneven(i); },
                         [&](std::size_t i) {
                             if (i == 3) throw std::runtime_error("three");
                             finished.push_back(i);
                         }),
                     std::runtime_error);
        EXPECT_EQ(finished, (std::vector<std::size_t>{0, 1, 2}));
    }
}

// Copies at chosen offsets of both files, from several threads, through the
// kernel where it can and through a buffer across file systems.
TEST(CopyFileRange, CopiesBetweenOffsetsWithoutMovingEitherFile) {
    namespace fs = std::filesystem;
    TempFolder here;
    std::string source(300000, '\0');
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>(i * 31 % 251);
    writeFile(here.file("in.bin"), source);
    std::vector<std::string> folders{here.str()};
    // A folder in memory makes the copy cross file systems.
    const fs::path shm = here.path().filename().string().insert(0, "/dev/shm/");
    struct Remove {
        fs::path path;
        ~Remove() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    } removeShm{shm};
    std::error_code ec;
    if (fs::create_directory(shm, ec)) folders.push_back(shm.string());
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        InputFile in(here.file("in.bin"), "in.bin");
        OutputFile out((fs::path(folder) / "out.bin").string(), "out.bin");
        out.write("head", 4);
        // Four pieces in reverse order, each from its own thread.
        std::vector<std::jthread> pieces;
        for (int p = 3; p >= 0; --p)
            pieces.emplace_back([&, p] {
                EXPECT_EQ(copyFileRange(in, 1000 + p * 50000, out, 4 + p * 50000, 50000), 50000);
            });
        pieces.clear();
        // Past the end of the input: only what is there.
        EXPECT_EQ(copyFileRange(in, 299990, out, 200004, 100), 10);
        EXPECT_EQ(copyFileRange(in, 400000, out, 200014, 100), 0);
#ifndef _WIN32
        char first[3] = {};
        ASSERT_EQ(in.read(first, 3), 3u);  // reading in order still begins at the start
        EXPECT_EQ(std::string(first, 3), source.substr(0, 3));
#endif
        out.commit();
        EXPECT_EQ(readFile((fs::path(folder) / "out.bin").string()),
                  "head" + source.substr(1000, 200000) + source.substr(299990));
    }
}

}  // namespace
}  // namespace z5
