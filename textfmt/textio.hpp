// Buffered 8-bit text files: lines written with CR LF, lines read up to
// CR LF, CR or LF. Bytes pass through unchanged (no locale, no code page).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/files.hpp"
#include "textfmt/diagnostic.hpp"

namespace z5 {

// A text output: lines go to a temporary file that replaces the target only
// when close() completes it.
class TextWriter : public BufferedOutput {
public:
    using BufferedOutput::BufferedOutput;
    TextWriter(const std::string& path, std::string name)
        : BufferedOutput(path, std::move(name), false) {}

    void line(std::string_view text);  // text, then CR LF
    void text(std::string_view text) { append(text); }
};

class TextReader {
public:
    TextReader(const std::string& path, std::string name);

    // True when no bytes are left to read.
    bool atEnd();
    // The next line without its line end. Reading past the end is a
    // CommandFailure naming the file and the line that was expected. A UTF-8
    // byte order mark at the start of the file is skipped.
    std::string readLine();
    // The same into `line`, whose storage is reused from line to line.
    void readLine(std::string& line);
    // The same keeping at most `most` bytes of the line: the rest of a
    // longer line is passed over without being held, and false says so.
    bool readLine(std::string& line, std::size_t most);
    // Number of the line last read, counted from 1 (0 before the first).
    long lineNumber() const { return line_; }
    const std::string& name() const { return file_.name(); }

    // Where the departures from a file's layout go (Command::watch sets it);
    // without a hook they are dropped.
    void setDiagnosticHook(std::function<void(Diagnostic)> hook) { hook_ = std::move(hook); }
    void report(Diagnostic d) const {
        if (hook_) hook_(std::move(d));
    }

    // Leaves the command with "name:line: what", the line being the one last read.
    [[noreturn]] void fail(std::string_view what) const;

private:
    bool fill();
    InputFile file_;
    std::string buffer_;
    std::size_t pos_ = 0;
    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
    std::size_t nextLf_ = kUnknown;  // the next line feed in the block, or its end
    long line_ = 0;
    std::function<void(Diagnostic)> hook_;
};

}  // namespace z5
