#include <csignal>
#include <iostream>

#include "cli/cli_host.hpp"

int main(int argc, char** argv) {
#ifdef SIGPIPE
    // A reader that went away is a write error to report, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    return z5::runCli(argc, argv, std::cout, std::cerr);
}
