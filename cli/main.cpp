#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_host.hpp"
#include "textfmt/files.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>

// Windows passes the arguments in UTF-16; inside they are UTF-8 like every
// path, so a folder named in any script reaches the file system unchanged.
int wmain(int argc, wchar_t** argv) {
    z5::removeTemporaryFilesOnSignals();
    // The same bytes as on every other system: no LF becomes CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(z5::narrow(argv[i]));
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    return z5::runCli(argc, pointers.data(), std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
    // Ctrl+C during a long unpack or pack leaves no temporary file behind.
    z5::removeTemporaryFilesOnSignals();
    // A reader that went away is a write error to report, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    return z5::runCli(argc, argv, std::cout, std::cerr);
}
#endif
