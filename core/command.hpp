// The command skeleton every converter runs in: ask for the input, set the
// caption and the busy pointer, run the body, close every file, and show
// "DONE" only when everything succeeded. Any failure inside the body ends in
// the failure outcome with a one-line reason, every file closed.
#pragma once

#include <functional>
#include <list>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/host.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/textio.hpp"

namespace z5 {

enum class Status { Done, Cancelled, Failed };

struct Outcome {
    Status status = Status::Done;
    std::string reason;  // set for Failed
    // Set for Done: the path of every file the command wrote, in the order
    // it claimed them.
    std::vector<std::string> written = {};
};

enum class Dialog { None, Open, Save };

struct CommandOptions {
    Dialog dialog = Dialog::None;
    std::string_view filter = {};  // for Open and Save
    // The raw dumps put the pointer back only after "DONE" was closed.
    bool busyUntilMessageClosed = false;
    // Clean up runs without the busy pointer.
    bool showsBusy = true;
    // On failure the text outputs keep what was written so far, because it
    // shows where the input went wrong (the 3do decompiler, the byte table).
    bool keepsPartialOutput = false;
    // The file may be left out (the command line's FILE is optional); the
    // command then reads the working folder's definition files.
    bool fileOptional = false;
    // A picture shown in a window ends without the "DONE" box.
    bool showsDone = true;
    // The chosen file becomes the window's caption; a picture window keeps
    // the name of what it shows when the picture is saved.
    bool setsCaption = true;
    // The name a save dialog offers (empty: none).
    std::string_view proposedName = {};
};

inline constexpr std::string_view kCaptionPrefix = "Z5 DEF TOOL ";
inline constexpr std::string_view kDoneText = "DONE";
inline constexpr std::string_view kDoneTitle = "Bank App";

class Command {
public:
    Command(Host& host, std::string chosenPath);
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // The file chosen in the dialog (empty for commands without one).
    const std::string& chosenPath() const { return chosenPath_; }
    const std::string& workingFolder() const { return folder_; }
    // The chosen file's name without its folder ("box.3do"), and without its
    // last extension too ("box").
    std::string chosenName() const;
    std::string chosenStem() const;
    // No file chosen, or a definition file (.def): the command reads the
    // working folder's definition files.
    bool choseDefinitions() const;
    // A one-line remark that does not stop the command.
    void notice(const std::string& line) { host_.notice(line); }
    // A departure from the layout of an input, or a remark on a binary read
    // in spite of damage (`file` as the reader names it): a warning, or an
    // error under --strict. Each file shows its first 20, then a count.
    void depart(Diagnostic d);
    // Departures reported so far, of every input.
    std::size_t departures() const { return departures_; }
    Strictness strictness() const { return strictness_; }
    // Under --lenient a binary that is not of its kind, or is cut short, is
    // read anyway (zeros past its end) with a warning.
    bool lenient() const { return strictness_ == Strictness::Lenient; }
    // "(and N more)" for each file past its 20.
    void noteHiddenDepartures();
    // Ends the reading: the notes, and under --strict the failure when any
    // input departed from its layout.
    void finishDepartures();

    // Working folder + fixed name.
    std::string outputPath(std::string_view name) const;
    // Fixed input name in the working folder, found without regard to case;
    // two names that differ only in case are refused as ambiguous.
    std::string inputPath(std::string_view name) const;

    // Output files live until the command ends; the skeleton completes them
    // only when the whole command succeeded, and they replace their targets
    // together: all of them or, when one cannot, none. A fixed name is joined to
    // the working folder and replaces its letter-case variants there.
    TextWriter& createText(std::string_view name);
    BinaryWriter& createBinary(std::string_view name);
    // A binary output at any path; `display` names it in failure reasons.
    BinaryWriter& createBinaryAt(const std::string& path, std::string display);
    // A text output at any path; `display` names it in failure reasons.
    TextWriter& createTextAt(const std::string& path, std::string display);
    // An output at `path` holding the bytes the file `source` has now (see
    // OutputFile::copyOf), put in place together with the other outputs,
    // before them. `source` may be the target of another output, whose old
    // bytes this keeps: it is not claimed as an input.
    void createCopyAt(const std::string& source, const std::string& path, std::string display);
    // The text output the user named instead of the command's own (the
    // command line's -o), else the file `fileName` in the working folder.
    // The name is a file name as paths hold it (made from the chosen
    // file's, say), not a name kept inside a file: it is taken as it is,
    // never through the code page of such names.
    TextWriter& createNamedText(std::string_view fileName);
    // The one output written over an input: the fixed-name text input `name`,
    // which this command has read, replaced through the safe writer when the
    // command succeeds. Nothing else may read or write it afterwards.
    TextWriter& replaceText(std::string_view name);
    // The same for a binary input at any path (add replaces the archive it
    // read): claimed as an input before, and replaceable.
    BinaryWriter& replaceBinaryAt(const std::string& path, std::string display);

    // Inputs: the chosen file, a fixed-name text in the working folder, or
    // any file. Readers opened here report their departures to this command;
    // under --lenient a binary reader reads on through damage.
    BinaryReader openInput();
    // A fixed-name text is named as it is spelled in the folder.
    TextReader openText(std::string_view name);
    TextReader openTextAt(const std::string& path, std::string display);
    BinaryReader openBinaryAt(const std::string& path, std::string display);

    // Records that the command writes `path` or reads it. No command writes
    // over one of its inputs, or writes one file twice: a path naming the
    // same folder entry as another, in any letter case (one file on
    // Windows), or the same file (a hard link, a name Windows resolves to
    // it) is refused before anything is written, as is an output name that
    // Windows takes for an existing file of another name (an 8.3 alias).
    void claimOutput(const std::string& path, std::string_view display);
    void claimInput(const std::string& path, std::string_view display);

    // The paths of the outputs claimed so far, in claim order.
    std::vector<std::string> outputPaths() const;

    // Completes every output and puts them in place together (see
    // commitTogether), reporting the first error.
    void closeOutputs();
    // After a failure: keeps what the text outputs hold so far.
    void keepPartialOutputs();

private:
    struct Claim {
        std::string key;  // resolved folder + name in lower case
        std::string path;
        std::string display;
        bool output;
    };
    void claim(const std::string& path, std::string_view display, bool output);
    std::string claimKey(const std::string& path, bool output);
    std::string folderKey(const std::string& folder);
    void watch(TextReader& reader);
    void watch(BinaryReader& reader);

    Host& host_;
    std::string chosenPath_;
    std::string folder_;
    std::list<TextWriter> texts_;
    std::list<BinaryWriter> binaries_;
    std::list<OutputFile> copies_;
    std::vector<Claim> claims_;
    std::unordered_map<std::string, std::size_t> claimIndex_;
    std::map<FileIdentity, std::size_t> identityIndex_;
    std::unordered_map<std::string, std::string> folderKeys_;
    Strictness strictness_;
    std::size_t departures_ = 0;
    std::map<std::string, std::size_t> departuresByFile_;
};

// Runs one command through the skeleton. The body throws CommandFailure (or
// any std::exception) to fail; its outputs are closed either way.
Outcome runCommand(Host& host, const CommandOptions& options,
                   const std::function<void(Command&)>& body);

}  // namespace z5
