#include "textfmt/binio.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/failure.hpp"

namespace z5 {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

BinaryReader::BinaryReader(const std::string& path, std::string name)
    : file_(path, std::move(name)), buffer_(kBufferSize) {}

BinaryReader BinaryReader::ofBytes(std::string_view bytes, std::string name) {
    return BinaryReader(InMemory{}, bytes, std::move(name));
}

BinaryReader::BinaryReader(InMemory, std::string_view bytes, std::string name)
    : file_(std::move(name), static_cast<std::int64_t>(bytes.size())),
      buffer_(bytes.begin(), bytes.end()),
      end_(bytes.size()) {}

bool BinaryReader::fill() {
    if (pos_ < end_) return true;
    end_ = file_.read(buffer_.data(), buffer_.size());
    pos_ = 0;
    return end_ > 0;
}

void BinaryReader::fail(std::string_view what) const {
    throw CommandFailure(name() + ": byte " + std::to_string(position_) + ": " + std::string(what));
}

void BinaryReader::warn(std::string message) const {
    if (hook_) hook_({name(), 0, 0, std::move(message), {}, DiagnosticKind::Warning});
}

void BinaryReader::damaged(Damage damage, std::string_view what, std::string_view separator) {
    if (!lenient_) throw CommandFailure(name() + std::string(separator) + std::string(what));
    if (damage == Damage::CutShort) {
        if (readingZeros_) return;
        readingZeros_ = true;
    }
    warn(std::string(what) +
         (damage == Damage::CutShort ? "; read with zeros past its end" : "; read as one") +
         " (--lenient)");
}

void BinaryReader::warnTrailing(std::string_view after) const {
    const std::int64_t extra = left();
    if (extra <= 0) return;
    warn(std::to_string(extra) + (extra == 1 ? " byte after " : " bytes after ") +
         std::string(after) + (extra == 1 ? " is" : " are") +
         " not kept; compiling gives a shorter file");
}

std::string placeInRun(std::int64_t end, std::int64_t start, std::int64_t size, std::int64_t count,
                       std::string_view record) {
    const std::int64_t into = end - start;
    return std::string(into % size == 0 ? "before " : "inside ") + std::string(record) + " " +
           std::to_string(into / size + 1) + " of " + std::to_string(count);
}

bool BinaryReader::atEnd() {
    return !fill();
}

std::size_t BinaryReader::read(std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        if (pos_ == end_ && out.size() - done >= buffer_.size()) {
            // Large reads go straight into the caller's memory.
            const std::size_t n = file_.read(out.data() + done, out.size() - done);
            done += n;
            if (n == 0) break;
            continue;
        }
        if (!fill()) break;
        const std::size_t n = std::min(end_ - pos_, out.size() - done);
        std::memcpy(out.data() + done, buffer_.data() + pos_, n);
        pos_ += n;
        done += n;
    }
    std::memset(out.data() + done, 0, out.size() - done);
    position_ += static_cast<std::int64_t>(out.size());
    return done;
}

std::uint8_t BinaryReader::u8() {
    if (pos_ < end_) {
        ++position_;
        return buffer_[pos_++];
    }
    std::uint8_t b = 0;
    read({&b, 1});
    return b;
}

std::uint16_t BinaryReader::u16() {
    std::uint8_t b[2];
    read(b);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::int16_t BinaryReader::i16() {
    return static_cast<std::int16_t>(u16());
}

std::int32_t BinaryReader::i32() {
    std::uint8_t b[4];
    if (end_ - pos_ >= 4) {  // the usual case: the value is in the buffer
        std::memcpy(b, buffer_.data() + pos_, 4);
        pos_ += 4;
        position_ += 4;
    } else {
        read(b);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (b[1] << 8) | (b[2] << 16) |
                                     (static_cast<std::uint32_t>(b[3]) << 24));
}

float BinaryReader::f32() {
    return std::bit_cast<float>(i32());
}

void BinaryWriter::bytes(std::span<const std::uint8_t> data) {
    append({reinterpret_cast<const char*>(data.data()), data.size()});
    position_ += static_cast<std::int64_t>(data.size());
}

void BinaryWriter::u8(std::uint8_t v) {
    bytes({&v, 1});
}

void BinaryWriter::u16(std::uint16_t v) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    bytes(b);
}

void BinaryWriter::i16(std::int16_t v) {
    u16(static_cast<std::uint16_t>(v));
}

void BinaryWriter::i32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                               static_cast<std::uint8_t>(u >> 16),
                               static_cast<std::uint8_t>(u >> 24)};
    bytes(b);
}

void BinaryWriter::f32(float v) {
    i32(std::bit_cast<std::int32_t>(v));
}

std::int64_t BinaryReader::copyRange(std::int64_t offset, StreamCopy& to,
                                     std::int64_t count) const {
    if (file_.descriptor() >= 0) return to.append(file_, offset, count);
    // Bytes held in memory: all of them are in the buffer.
    const auto size = static_cast<std::int64_t>(end_);
    const std::int64_t n = std::clamp<std::int64_t>(size - offset, 0, count);
    if (n > 0) to.append(buffer_.data() + offset, static_cast<std::size_t>(n));
    return n;
}

}  // namespace z5
