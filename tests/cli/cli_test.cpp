#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "cli/cli_host.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

using test::readFile;
using test::TempFolder;
using test::writeFile;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), "z5def");
    std::vector<const char*> argv;
    for (auto& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int status = runCli(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

TEST(Cli, HelpVersionAndUsageErrors) {
    CliRun r = cli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("dump"), std::string::npos);
    EXPECT_NE(r.out.find("textdoc"), std::string::npos);
    r = cli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("z5def"), std::string::npos);
    EXPECT_EQ(cli({}).status, 2);
    EXPECT_EQ(cli({"frobnicate"}).status, 2);
    EXPECT_EQ(cli({"dump"}).status, 2);  // FILE missing
    EXPECT_EQ(cli({"-C", "/no/such/folder", "dump", "x"}).status, 2);
}

TEST(Cli, RelativeFilesAreTakenFromTheWorkingFolder) {
    TempFolder dir;
    writeFile(dir.file("in.bin"), "AB");
    CliRun r = cli({"-C", dir.str(), "textdoc", "in.bin"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "DONE\n");
    EXPECT_EQ(readFile(dir.file("outputdoc.def")),
              test::crlf({" Byte  Value", "    0    65", "    1    66"}));
    r = cli({"-q", "-C", dir.str(), "dump", dir.file("in.bin")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFile(dir.file("outputlong.def")), test::crlf({" 16961 "}));
}

TEST(Cli, FailuresExitOneWithTheReasonOnStderr) {
    TempFolder dir;
    CliRun r = cli({"-C", dir.str(), "dump", "missing.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("missing.bin"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);

    writeFile(dir.file("big.bin"), std::string(40000, '\0'));
    r = cli({"-C", dir.str(), "textdoc", "big.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("32767"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace z5
