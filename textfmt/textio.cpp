#include "textfmt/textio.hpp"

#include <cerrno>
#include <cstring>

#include "textfmt/failure.hpp"
#include "textfmt/numbers.hpp"

namespace z5 {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

std::string systemReason() {
    return std::strerror(errno);
}

void TextWriter::line(std::string_view text) {
    append(text);
    append("\r\n");
}

TextReader::TextReader(const std::string& path, std::string name) : file_(path, std::move(name)) {
    if (fill() && std::string_view(buffer_).starts_with(kByteOrderMark))
        pos_ = kByteOrderMark.size();
}

bool TextReader::fill() {
    if (pos_ < buffer_.size()) return true;
    buffer_.resize(kBufferSize);
    buffer_.resize(file_.read(buffer_.data(), kBufferSize));
    pos_ = 0;
    return !buffer_.empty();
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
        const std::size_t left = buffer_.size() - pos_;
        const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', left));
        const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', cr ? cr - begin : left));
        const char* stop = lf ? lf : cr;
        if (!stop) {  // the line goes on in the next block
            out.append(begin, left);
            pos_ = buffer_.size();
            continue;
        }
        out.append(begin, stop);
        pos_ += static_cast<std::size_t>(stop - begin) + 1;
        if (*stop == '\r' && fill() && buffer_[pos_] == '\n') ++pos_;
        break;
    }
    return out;
}

double TextReader::number(std::string_view text) const {
    bool found = false;
    const double value = LeadingNumber(text, &found);
    if (!found && notice_) notice_(name() + ":" + std::to_string(line_) + ": no number, read as 0");
    return value;
}

void TextReader::fail(std::string_view what) const {
    throw CommandFailure(name() + ":" + std::to_string(line_) + ": " + std::string(what));
}

}  // namespace z5
