#include <iostream>

#include "cli/cli_host.hpp"

int main(int argc, char** argv) {
    return z5::runCli(argc, argv, std::cout, std::cerr);
}
