// The command skeleton every converter runs in: ask for the input, set the
// caption and the busy pointer, run the body, close every file, and show
// "DONE" only when everything succeeded. Any failure inside the body ends in
// the failure outcome with a one-line reason, every file closed.
#pragma once

#include <functional>
#include <list>
#include <string>
#include <string_view>

#include "textfmt/binio.hpp"
#include "textfmt/failure.hpp"
#include "textfmt/host.hpp"
#include "textfmt/textio.hpp"

namespace z5 {

enum class Status { Done, Cancelled, Failed };

struct Outcome {
    Status status = Status::Done;
    std::string reason;  // set for Failed
};

enum class Dialog { None, Open, Save };

struct CommandOptions {
    Dialog dialog = Dialog::None;
    std::string_view filter;  // for Open and Save
    // The raw dumps put the pointer back only after "DONE" was closed.
    bool busyUntilMessageClosed = false;
    // Clean up runs without the busy pointer.
    bool showsBusy = true;
};

inline constexpr std::string_view kCaptionPrefix = "Z5 DEF TOOL ";
inline constexpr std::string_view kDoneText = "DONE";
inline constexpr std::string_view kDoneTitle = "Bank App";

class Command {
public:
    Command(Host& host, std::string chosenPath);
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    Host& host() { return host_; }
    // The file chosen in the dialog (empty for commands without one).
    const std::string& chosenPath() const { return chosenPath_; }
    const std::string& workingFolder() const { return folder_; }

    // Working folder + fixed name.
    std::string outputPath(std::string_view name) const;
    // Fixed input name in the working folder, found without regard to case.
    std::string inputPath(std::string_view name) const;

    // Output files live until the command ends; the skeleton closes them and
    // reports write errors before "DONE". They may be closed earlier.
    TextWriter& createText(std::string_view name);
    BinaryWriter& createBinary(std::string_view name);
    // A binary output at any path; `display` names it in failure reasons.
    BinaryWriter& createBinaryAt(const std::string& path, std::string display,
                                 BinaryWriter::Mode mode = BinaryWriter::Mode::Truncate);

    // The chosen file for binary reading.
    BinaryReader openInput() const;
    // A fixed-name text input in the working folder (case-insensitive).
    TextReader openText(std::string_view name) const;

    // Closes every output, reporting the first write error.
    void closeOutputs();

private:
    Host& host_;
    std::string chosenPath_;
    std::string folder_;
    std::list<TextWriter> texts_;
    std::list<BinaryWriter> binaries_;
};

// Runs one command through the skeleton. The body throws CommandFailure (or
// any std::exception) to fail; its outputs are closed either way.
Outcome runCommand(Host& host, const CommandOptions& options,
                   const std::function<void(Command&)>& body);

}  // namespace z5
