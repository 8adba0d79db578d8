// The command-line Host: the file argument answers the dialog, messages go
// to stdout/stderr, caption and pointer are ignored.
#pragma once

#include <iosfwd>
#include <string>

#include "textfmt/host.hpp"

namespace z5 {

class CliHost : public Host {
public:
    CliHost(std::string workingFolder, std::string fileArgument, bool quiet, std::ostream& out,
            std::ostream& err)
        : folder_(std::move(workingFolder)),
          file_(std::move(fileArgument)),
          quiet_(quiet),
          out_(out),
          err_(err) {}

    std::optional<std::string> openFileName(std::string_view) override { return file_; }
    std::optional<std::string> saveFileName(std::string_view, const std::string&) override {
        return file_;
    }
    std::string workingFolder() override { return folder_; }
    void setCaption(const std::string&) override {}
    void setBusy(bool) override {}
    void messageBox(const std::string& text, const std::string& title) override;
    void notice(const std::string& line) override;

private:
    std::string folder_;
    std::string file_;
    bool quiet_;
    std::ostream& out_;
    std::ostream& err_;
};

// Runs the command line; returns the exit status (0 done, 1 failed, 2 usage).
// Output that cannot be written to `out` (checked after a flush) fails.
int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace z5
