// Buffered little-endian binary files.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "textfmt/textio.hpp"

namespace z5 {

// Reads a file from its start. Bytes asked for past the end of the file read
// as zero, so a short file never stops a record read half-way; `atEnd` and
// `position` tell the caller where it stands.
class BinaryReader {
public:
    BinaryReader(const std::string& path, std::string name);

    bool atEnd();
    std::int64_t position() const { return position_; }
    // Length of the file in bytes, as it was when opened.
    std::int64_t size() const { return size_; }
    const std::string& name() const { return name_; }

    std::uint8_t u8();
    std::int16_t i16();
    std::uint16_t u16();
    std::int32_t i32();
    float f32();
    // Fills `out`; bytes past the end of the file are zero. Returns how many
    // bytes really came from the file.
    std::size_t read(std::span<std::uint8_t> out);

private:
    bool fill();
    FileHandle file_;
    std::string name_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::int64_t position_ = 0;
    std::int64_t size_ = 0;
};

// Writes a binary file. The file is emptied when opened. In replacing mode
// the bytes go to a temporary file beside the target, which is renamed over
// the target only by a successful close(): a failed or abandoned write leaves
// the target as it was.
class BinaryWriter {
public:
    enum class Mode { Truncate, Replace };
    BinaryWriter(const std::string& path, std::string name, Mode mode = Mode::Truncate);
    BinaryWriter(BinaryWriter&&) noexcept = default;
    BinaryWriter& operator=(BinaryWriter&&) noexcept = default;
    // Without close(): the buffered bytes are written (Truncate) or the
    // temporary file is removed (Replace).
    ~BinaryWriter();

    void u8(std::uint8_t v);
    void i16(std::int16_t v);
    void u16(std::uint16_t v);
    void i32(std::int32_t v);
    void f32(float v);
    void bytes(std::span<const std::uint8_t> data);
    std::int64_t position() const { return position_; }

    void close();
    // Closes and deletes what was written (the target in Truncate mode, the
    // temporary file in Replace mode).
    void discard();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& name() const { return name_; }

private:
    void flush();
    FileHandle file_;
    std::string path_;
    std::string writePath_;
    std::string name_;
    Mode mode_;
    std::vector<std::uint8_t> buffer_;
    std::int64_t position_ = 0;
};

}  // namespace z5
