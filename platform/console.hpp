// The standard streams of a command-line program.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace z5 {

// Sets up standard output and error for the whole run, and puts them back
// when it ends. On Windows text for a console window is written in UTF-16,
// so a path in any script shows as it is whatever the console's code page,
// and redirected output gets the bytes in binary mode (no LF made CR LF), as
// everywhere else. Elsewhere a reader that went away is a write error to
// report, not a silent end (SIGPIPE is ignored).
class StandardStreams {
public:
    StandardStreams();
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;
    ~StandardStreams();

private:
    struct Redirect;
    std::vector<std::unique_ptr<Redirect>> redirects_;
};

// True when the descriptor (2: standard error) is a terminal or console.
bool isTerminal(int fd);

// True when the program has a console window of its own, which closes as it
// ends (Windows started it for a file dropped on it, from Explorer), and
// reads its standard input from it: then it may ask the user to press Enter
// before the window closes. Never true elsewhere, nor when standard input is
// a file or a pipe, so scripts and tests never wait.
bool consoleOfItsOwn();

#ifdef _WIN32
// The arguments Windows passes in UTF-16, as UTF-8 like every path.
std::vector<std::string> utf8Arguments(int argc, wchar_t** argv);
#endif

}  // namespace z5
