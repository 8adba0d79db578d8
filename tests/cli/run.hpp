// Runs the command line in the test's own process.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_host.hpp"

namespace z5::test {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), "z5def");
    std::vector<const char*> argv;
    for (auto& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int status = runCli(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

}  // namespace z5::test
