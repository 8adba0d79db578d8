#include <iostream>

#include "cli/cli_host.hpp"
#include "textfmt/files.hpp"

int main(int argc, char** argv) {
    // Ctrl+C during a long unpack or pack leaves no temporary file behind.
    z5::removeTemporaryFilesOnSignals();
    return z5::runCli(argc, argv, std::cout, std::cerr);
}
