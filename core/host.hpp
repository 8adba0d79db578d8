// What a command may ask of the front end that runs it (window or command
// line). Converters reach the outside world only through this and files.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "textfmt/diagnostic.hpp"

namespace z5 {

class Host {
public:
    virtual ~Host() = default;

    // Open-file choice. `filter` is "Shown text|pattern", for example
    // "Trk Files(*.trk)|*.trk". nullopt means the user cancelled.
    virtual std::optional<std::string> openFileName(std::string_view filter) = 0;
    // Save-file choice starting in `initialFolder`, offering `proposedName`
    // (empty: no name).
    virtual std::optional<std::string> saveFileName(std::string_view filter,
                                                    const std::string& initialFolder,
                                                    const std::string& proposedName) = 0;
    // The working folder, without a trailing separator except for a root.
    virtual std::string workingFolder() = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setBusy(bool busy) = 0;
    // A modal message with an exclamation icon and one OK button.
    virtual void messageBox(const std::string& text, const std::string& title) = 0;
    // The bytes of the chosen file when the host already holds them, so that
    // the command reads them instead of the file; nullopt: read the file.
    virtual std::optional<std::string_view> chosenFileBytes() { return std::nullopt; }
    // The path of an output the user named in place of the command's own
    // output name (the command line's -o); empty: the command's own name.
    virtual std::string outputName() { return {}; }
    // A one-line remark that does not stop the command, such as
    // "Trk.def:12: no number, read as 0".
    virtual void notice(const std::string& line) = 0;
    // How departures from a layout are taken: warned (the default), errors
    // (--strict), or warned with damaged binaries read as well (--lenient).
    virtual Strictness strictness() { return Strictness::Standard; }
    // A departure from a file's layout, or a note on them; by default one
    // notice line "FILE:LINE:COLUMN: warning: ...".
    virtual void diagnostic(const Diagnostic& d) { notice(diagnosticLine(d)); }
    // The command is about to read the file at `path` (the chosen file or a
    // definition file), so that a window showing what it read can follow it.
    virtual void reading(const std::string& /*path*/) {}
};

// A Host without a window: every file dialog answers `answer`, the caption
// and the pointer go nowhere, and so do messages unless a subclass shows them.
class WindowlessHost : public Host {
public:
    WindowlessHost(std::string folder, std::string answer)
        : answer(std::move(answer)), folder_(std::move(folder)) {}

    std::optional<std::string> openFileName(std::string_view) override { return answer; }
    std::optional<std::string> saveFileName(std::string_view, const std::string&,
                                            const std::string&) override {
        return answer;
    }
    std::string workingFolder() override { return folder_; }
    void setCaption(const std::string&) override {}
    void setBusy(bool) override {}
    void messageBox(const std::string&, const std::string&) override {}
    void notice(const std::string&) override {}
    std::string outputName() override { return output; }
    Strictness strictness() override { return reading; }

    std::string answer;
    std::string output;
    Strictness reading = Strictness::Standard;

private:
    std::string folder_;
};

}  // namespace z5
