#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif
#include <filesystem>

#include "platform/files.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using test::folderNames;
using test::TempFolder;
using test::writeFile;

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

// SIGTERM while an output is being written removes its temporary file.
TEST(SafeOutput, SignalsLeaveNoTemporaryFile) {
    TempFolder dir;
    const pid_t child = ::fork();
    if (child == 0) {
        removeTemporaryFilesOnSignals();
        OutputFile out(dir.file("big.dat"), "big.dat");
        out.write(std::string(1 << 20, '7').data(), 1 << 20);
        std::raise(SIGTERM);
        std::_Exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_TRUE(folderNames(dir.str()).empty());
}
#endif

}  // namespace
}  // namespace z5
