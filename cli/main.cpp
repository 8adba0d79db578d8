#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_host.hpp"
#include "platform/console.hpp"
#include "platform/files.hpp"

namespace {

int run(const std::vector<std::string>& arguments) {
    // Ctrl+C during a long unpack or pack leaves no temporary file behind.
    z5::removeTemporaryFilesOnSignals();
    const z5::StandardStreams streams;
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    return z5::runCli(static_cast<int>(pointers.size()), pointers.data(), std::cout, std::cerr);
}

}  // namespace

// Windows passes the arguments in UTF-16; inside they are UTF-8 like every
// path, so a folder named in any script reaches the file system unchanged.
#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return run(z5::utf8Arguments(argc, argv));
}
#else
int main(int argc, char** argv) {
    return run({argv, argv + argc});
}
#endif
