#include "textfmt/textio.hpp"

#include <algorithm>
#include <cstring>

#include "platform/failure.hpp"
#include "textfmt/numbers.hpp"

namespace z5 {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

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
    nextLf_ = kUnknown;
    return !buffer_.empty();
}

bool TextReader::atEnd() {
    return !fill();
}

std::string TextReader::readLine() {
    std::string out;
    readLine(out);
    return out;
}

void TextReader::readLine(std::string& out) {
    readLine(out, std::string::npos);
}

bool TextReader::readLine(std::string& out, std::size_t most) {
    if (!fill()) {
        ++line_;
        fail("unexpected end of file");
    }
    ++line_;
    out.clear();
    bool whole = true;
    while (fill()) {
        const char* const begin = buffer_.data() + pos_;
        const char* const end = buffer_.data() + buffer_.size();
        // The next line feed is looked for once per block at most: a file
        // without line feeds does not rescan the block for every line. The
        // carriage return is looked for only up to it.
        if (nextLf_ < pos_ || nextLf_ > buffer_.size()) {
            const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', end - begin));
            nextLf_ = lf ? static_cast<std::size_t>(lf - buffer_.data()) : buffer_.size();
        }
        const char* const lf = buffer_.data() + nextLf_;
        const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', lf - begin));
        const char* const stop = cr ? cr : lf;
        const auto length = static_cast<std::size_t>(stop - begin);
        whole = whole && out.size() + length <= most;
        out.append(begin, whole ? length : std::min(length, most - out.size()));
        pos_ += length;
        if (stop == end) continue;  // the line goes on in the next block
        ++pos_;
        if (*stop == '\r' && fill() && buffer_[pos_] == '\n') ++pos_;
        break;
    }
    return whole;
}

void TextReader::fail(std::string_view what) const {
    throw CommandFailure(name() + ":" + std::to_string(line_) + ": " + std::string(what));
}

}  // namespace z5
