// The command-line Host: the file argument answers the dialog, messages go
// to stdout/stderr, caption and pointer are ignored.
#pragma once

#include <iosfwd>
#include <string>

#include "core/host.hpp"

namespace z5 {

class CliHost : public WindowlessHost {
public:
    CliHost(std::string workingFolder, std::string fileArgument, bool quiet, std::ostream& out,
            std::ostream& err)
        : WindowlessHost(std::move(workingFolder), std::move(fileArgument)),
          quiet_(quiet),
          out_(out),
          err_(err) {}

    void messageBox(const std::string& text, const std::string& title) override;
    void notice(const std::string& line) override;
    void diagnostic(const Diagnostic& d) override;

private:
    bool quiet_;
    std::ostream& out_;
    std::ostream& err_;
};

// Runs the command line; returns the exit status (0 done, 1 failed, 2 usage).
// Output that cannot be written to `out` (checked after a flush) fails.
int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace z5
