#include "textfmt/binio.hpp"

#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "textfmt/failure.hpp"

namespace z5 {
namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

BinaryReader::BinaryReader(const std::string& path, std::string name)
    : file_(std::fopen(path.c_str(), "rb")), name_(std::move(name)), buffer_(kBufferSize) {
    if (!file_) throw CommandFailure("cannot open " + path + ": " + systemReason());
    std::error_code ec;
    const auto n = std::filesystem::file_size(path, ec);
    size_ = ec ? 0 : static_cast<std::int64_t>(n);
}

bool BinaryReader::fill() {
    if (pos_ < end_) return true;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
    pos_ = 0;
    if (end_ == 0 && std::ferror(file_.get()))
        throw CommandFailure("cannot read " + name_ + ": " + systemReason());
    return end_ > 0;
}

bool BinaryReader::atEnd() {
    return !fill();
}

std::size_t BinaryReader::read(std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        if (pos_ == end_ && out.size() - done >= buffer_.size()) {
            // Large reads go straight into the caller's memory.
            const std::size_t n = std::fread(out.data() + done, 1, out.size() - done, file_.get());
            if (n == 0 && std::ferror(file_.get()))
                throw CommandFailure("cannot read " + name_ + ": " + systemReason());
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
    read(b);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (b[1] << 8) | (b[2] << 16) |
                                     (static_cast<std::uint32_t>(b[3]) << 24));
}

float BinaryReader::f32() {
    return std::bit_cast<float>(i32());
}

BinaryWriter::BinaryWriter(const std::string& path, std::string name, Mode mode)
    : path_(path),
      writePath_(mode == Mode::Replace ? path + ".z5tmp" : path),
      name_(std::move(name)),
      mode_(mode) {
    file_.reset(std::fopen(writePath_.c_str(), "wb"));
    if (!file_) throw CommandFailure("cannot create " + writePath_ + ": " + systemReason());
    buffer_.reserve(kBufferSize);
}

BinaryWriter::~BinaryWriter() {
    if (!file_) return;
    if (mode_ == Mode::Replace) {
        discard();
    } else {
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get());
        file_.reset();
    }
}

void BinaryWriter::flush() {
    if (!buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size())
        throw CommandFailure("cannot write " + name_ + ": " + systemReason());
    buffer_.clear();
}

void BinaryWriter::bytes(std::span<const std::uint8_t> data) {
    if (!file_) throw CommandFailure("cannot write " + name_ + ": file is closed");
    position_ += static_cast<std::int64_t>(data.size());
    if (buffer_.size() + data.size() > kBufferSize) {
        flush();
        if (data.size() >= kBufferSize) {
            if (std::fwrite(data.data(), 1, data.size(), file_.get()) != data.size())
                throw CommandFailure("cannot write " + name_ + ": " + systemReason());
            return;
        }
    }
    buffer_.insert(buffer_.end(), data.begin(), data.end());
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

void BinaryWriter::close() {
    if (!file_) return;
    try {
        flush();
    } catch (...) {
        discard();
        throw;
    }
    if (std::fclose(file_.release()) != 0) {
        const std::string reason = systemReason();
        if (mode_ == Mode::Replace) std::remove(writePath_.c_str());
        throw CommandFailure("cannot write " + name_ + ": " + reason);
    }
    if (mode_ == Mode::Replace) {
        // filesystem::rename replaces an existing target on every platform.
        std::error_code ec;
        std::filesystem::rename(writePath_, path_, ec);
        if (ec) {
            std::remove(writePath_.c_str());
            throw CommandFailure("cannot replace " + path_ + ": " + ec.message());
        }
    }
}

void BinaryWriter::discard() {
    if (file_) file_.reset();
    std::remove(writePath_.c_str());
}

}  // namespace z5
