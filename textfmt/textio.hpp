// Buffered 8-bit text files: lines written with CR LF, lines read up to
// CR LF, CR or LF. Bytes pass through unchanged (no locale, no code page).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace z5 {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

class TextWriter {
public:
    // Creates the file, or empties it if it exists. `name` is how failure
    // reasons refer to it (usually the bare file name).
    TextWriter(const std::string& path, std::string name);
    TextWriter(TextWriter&&) noexcept = default;
    TextWriter& operator=(TextWriter&&) noexcept = default;
    ~TextWriter();

    void line(std::string_view text);  // text, then CR LF
    void text(std::string_view text);  // text only
    // Flushes and closes; a write error becomes a CommandFailure. Closing a
    // closed writer does nothing.
    void close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& name() const { return name_; }
    const std::string& path() const { return path_; }

private:
    void flush();
    FileHandle file_;
    std::string path_;
    std::string name_;
    std::string buffer_;
};

class TextReader {
public:
    TextReader(const std::string& path, std::string name);

    // True when no bytes are left to read.
    bool atEnd();
    // The next line without its line end. Reading past the end is a
    // CommandFailure naming the file and the line that was expected.
    std::string readLine();
    // Number of the line last read, counted from 1 (0 before the first).
    long lineNumber() const { return line_; }
    const std::string& name() const { return name_; }

    // Leaves the command with "name:line: what", the line being the one last read.
    [[noreturn]] void fail(std::string_view what) const;

private:
    bool fill();
    FileHandle file_;
    std::string name_;
    std::string buffer_;
    std::size_t pos_ = 0;
    long line_ = 0;
};

}  // namespace z5
