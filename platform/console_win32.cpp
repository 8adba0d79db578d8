// The standard streams on Windows only: UTF-16 for a console window,
// binary mode for redirected output.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <streambuf>

#include "platform/console.hpp"
#include "platform/encoding.hpp"

namespace z5 {
namespace {

// Text for a console window is written in UTF-16, so a path in any script
// shows as it is whatever the console's code page. Redirected output is not
// a console and gets the bytes, as on every other system.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}
    ~ConsoleBuffer() override { sync(); }

protected:
    int overflow(int c) override {
        if (c != traits_type::eof()) pending_ += static_cast<char>(c);
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return count;
    }
    int sync() override {
        // A character cut between two writes waits for its other bytes.
        std::size_t whole = pending_.size();
        for (std::size_t back = 1; back <= 3 && back <= pending_.size(); ++back) {
            const auto byte = static_cast<unsigned char>(pending_[pending_.size() - back]);
            if ((byte & 0xC0) == 0x80) continue;
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            if (length > back) whole = pending_.size() - back;
            break;
        }
        const std::wstring wide = widen(std::string_view(pending_).substr(0, whole));
        DWORD written = 0;
        if (!wide.empty() && !WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()),
                                            &written, nullptr))
            return -1;
        pending_.erase(0, whole);
        return 0;
    }

private:
    HANDLE console_;
    std::string pending_;
};

// `stream` writes through a ConsoleBuffer when `handle` is a console, else in
// binary mode: the same bytes as on every other system, no LF made CR LF.
// Restores the stream's own buffer when it ends.
class StandardStream {
public:
    StandardStream(std::ostream& stream, FILE* file, DWORD handle) : stream_(stream) {
        const HANDLE console = GetStdHandle(handle);
        DWORD mode = 0;
        if (console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode)) {
            buffer_ = std::make_unique<ConsoleBuffer>(console);
            original_ = stream.rdbuf(buffer_.get());
        } else {
            _setmode(_fileno(file), _O_BINARY);
        }
    }
    ~StandardStream() {
        stream_.flush();
        if (buffer_) stream_.rdbuf(original_);
    }

private:
    std::ostream& stream_;
    std::unique_ptr<ConsoleBuffer> buffer_;
    std::streambuf* original_ = nullptr;
};

}  // namespace

struct StandardStreams::Redirect : StandardStream {
    using StandardStream::StandardStream;
};

StandardStreams::StandardStreams() {
    redirects_.push_back(std::make_unique<Redirect>(std::cout, stdout, STD_OUTPUT_HANDLE));
    redirects_.push_back(std::make_unique<Redirect>(std::cerr, stderr, STD_ERROR_HANDLE));
}

StandardStreams::~StandardStreams() = default;

bool isTerminal(int fd) {
    return ::_isatty(fd) != 0;
}

std::vector<std::string> utf8Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(narrow(argv[i]));
    return arguments;
}

bool consoleOfItsOwn() {
    // A console that this process alone is attached to was made for it.
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1 && isTerminal(0);
}

}  // namespace z5
