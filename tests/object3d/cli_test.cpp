#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "cli/cli_host.hpp"
#include "tests/object3d/objects.hpp"

namespace z5 {
namespace {

using namespace test;

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

TEST(Cli3do, DecompileWritesIntoTheWorkingFolderAndReportsCrashes) {
    TempFolder dir;
    Object obj;
    obj.vertices = {{0, 1, 2, 3}};
    obj.flavors = {Flavor{3, {}}.l({4, 5, 6})};
    writeFile(dir.file("box.3do"), obj.bytes());
    CliRun r = cli({"-C", dir.str(), "3do", "decompile", "box.3do"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "DONE\n");
    EXPECT_EQ(readFile(dir.file("vertex.def")), obj.vertexDef());
    EXPECT_EQ(readFile(dir.file("flavor.def")), obj.flavorDef());

    obj.flavors = {Flavor{16, {}}.l({0})};
    writeFile(dir.file("bad.3do"), obj.bytes());
    r = cli({"-C", dir.str(), "3do", "decompile", "bad.3do"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR 5: CRASH - PRIM\nz5def: " + dir.file("bad.3do") +
                         ": PRIM at byte 65: FL16 count 0 out of range 1..32767\n");
}

}  // namespace
}  // namespace z5
