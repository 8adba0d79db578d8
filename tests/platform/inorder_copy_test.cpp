#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/inorder.hpp"
#include "tests/support/support.hpp"

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
            [&](std::size_t i, unsigned) {
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
                         [&](std::size_t i, unsigned) {
                             uneven(i);
                             if (i == 6) throw CommandFailure("six");
                         },
                         [&](std::size_t i) { finished.push_back(i); }),
                     CommandFailure);
        EXPECT_EQ(finished, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
    }
}

// Pieces of files, at any offsets and of any size, and bytes from memory
// land in the output one after another.
TEST(StreamCopy, AppendsPiecesInOrderWhereverTheyLie) {
    TempFolder here;
    std::string source(3000000, '\0');
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>(i * 31 % 251);
    writeFile(here.file("in.bin"), source);
    const InputFile in(here.file("in.bin"), "in.bin");
    OutputFile out(here.file("out.bin"), "out.bin");
    out.write("head", 4);
    std::string expected = "head";
    StreamCopy copy(out, 4);
    // More than the pipe holds at once, then pieces of a few bytes from
    // far apart (one pipe slot each), then bytes from memory.
    EXPECT_EQ(copy.append(in, 1001, 2500000), 2500000);
    expected += source.substr(1001, 2500000);
    for (std::size_t at = 5; at < 3000000; at += 9000) {
        EXPECT_EQ(copy.append(in, static_cast<std::int64_t>(at), 7), 7);
        expected += source.substr(at, 7);
    }
    copy.append("xyz", 3);
    expected += "xyz";
    // Past the end of the input: only what is there.
    EXPECT_EQ(copy.append(in, 2999990, 100), 10);
    EXPECT_EQ(copy.append(in, 3000005, 100), 0);
    expected += source.substr(2999990);
    copy.flush();
    out.commit();
    EXPECT_EQ(readFile(here.file("out.bin")), expected);
}

}  // namespace
}  // namespace z5
