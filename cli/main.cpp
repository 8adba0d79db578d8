#include <csignal>
#include <iostream>

#include "cli/cli_host.hpp"
#include "textfmt/files.hpp"

int main(int argc, char** argv) {
    // Ctrl+C during a long unpack or pack leaves no temporary file behind.
    z5::removeTemporaryFilesOnSignals();
#ifdef SIGPIPE
    // A reader that went away is a write error to report, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    return z5::runCli(argc, argv, std::cout, std::cerr);
}
