#include "textfmt/textio.hpp"

#include <cerrno>
#include <cstring>

#include "textfmt/failure.hpp"

namespace z5 {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

std::string systemReason() {
    return std::strerror(errno);
}

TextWriter::TextWriter(const std::string& path, std::string name)
    : file_(std::fopen(path.c_str(), "wb")), path_(path), name_(std::move(name)) {
    if (!file_) throw CommandFailure("cannot create " + path_ + ": " + systemReason());
    buffer_.reserve(kBufferSize);
}

TextWriter::~TextWriter() {
    if (file_) {
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get());
        file_.reset();
    }
}

void TextWriter::flush() {
    if (!buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size())
        throw CommandFailure("cannot write " + name_ + ": " + systemReason());
    buffer_.clear();
}

void TextWriter::text(std::string_view text) {
    if (!file_) throw CommandFailure("cannot write " + name_ + ": file is closed");
    buffer_.append(text);
    if (buffer_.size() >= kBufferSize) flush();
}

void TextWriter::line(std::string_view text) {
    if (!file_) throw CommandFailure("cannot write " + name_ + ": file is closed");
    buffer_.append(text);
    buffer_.append("\r\n");
    if (buffer_.size() >= kBufferSize) flush();
}

void TextWriter::close() {
    if (!file_) return;
    try {
        flush();
    } catch (...) {
        file_.reset();
        throw;
    }
    if (std::fclose(file_.release()) != 0)
        throw CommandFailure("cannot write " + name_ + ": " + systemReason());
}

TextReader::TextReader(const std::string& path, std::string name)
    : file_(std::fopen(path.c_str(), "rb")), name_(std::move(name)) {
    if (!file_) throw CommandFailure("cannot open " + path + ": " + systemReason());
}

bool TextReader::fill() {
    if (pos_ < buffer_.size()) return true;
    buffer_.resize(kBufferSize);
    const std::size_t n = std::fread(buffer_.data(), 1, kBufferSize, file_.get());
    if (n == 0 && std::ferror(file_.get()))
        throw CommandFailure("cannot read " + name_ + ": " + systemReason());
    buffer_.resize(n);
    pos_ = 0;
    return n > 0;
}

bool TextReader::atEnd() {
    return !fill();
}

std::string TextReader::readLine() {
    if (!fill()) {
        ++line_;
        fail("unexpected end of file");
    }
    ++line_;
    std::string out;
    while (fill()) {
        const char* begin = buffer_.data() + pos_;
        const char* end = buffer_.data() + buffer_.size();
        const char* stop = begin;
        while (stop < end && *stop != '\r' && *stop != '\n') ++stop;
        out.append(begin, stop);
        pos_ += static_cast<std::size_t>(stop - begin);
        if (stop == end) continue;  // line goes on in the next block
        const char ending = *stop;
        ++pos_;
        if (ending == '\r' && fill() && buffer_[pos_] == '\n') ++pos_;
        break;
    }
    return out;
}

void TextReader::fail(std::string_view what) const {
    throw CommandFailure(name_ + ":" + std::to_string(line_) + ": " + std::string(what));
}

}  // namespace z5
