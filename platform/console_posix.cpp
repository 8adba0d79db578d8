// The standard streams on POSIX systems only.
#include <unistd.h>

#include <csignal>

#include "platform/console.hpp"

namespace z5 {

struct StandardStreams::Redirect {};

StandardStreams::StandardStreams() {
    std::signal(SIGPIPE, SIG_IGN);
}

StandardStreams::~StandardStreams() = default;

bool isTerminal(int fd) {
    return ::isatty(fd) == 1;
}

bool consoleOfItsOwn() {
    return false;
}

}  // namespace z5
