// Buffered little-endian binary files.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.hpp"

namespace z5 {

// Reads a file from its start. Bytes asked for past the end of the file read
// as zero, so a short file never stops a record read half-way; `atEnd` and
// `position` tell the caller where it stands.
class BinaryReader {
public:
    BinaryReader(const std::string& path, std::string name);
    // Reads `bytes` already in memory as if they were the file `name`.
    static BinaryReader ofBytes(std::string_view bytes, std::string name);

    bool atEnd();
    std::int64_t position() const { return position_; }
    // Length of the file in bytes, as it was when opened.
    std::int64_t size() const { return file_.size(); }
    const std::string& name() const { return file_.name(); }
    // Leaves the command with "name: byte N: what", N being the position
    // reached: how every decoder names where a file went wrong.
    [[noreturn]] void fail(std::string_view what) const;

    std::uint8_t u8();
    std::int16_t i16();
    std::uint16_t u16();
    std::int32_t i32();
    float f32();
    // Fills `out`; bytes past the end of the file are zero. Returns how many
    // bytes really came from the file.
    std::size_t read(std::span<std::uint8_t> out);
    // Appends `count` bytes of the file, from byte `offset` on, to `to`. The
    // reader does not move, so several threads may copy out of it at once
    // (once it is no longer read in order). Returns the bytes copied: fewer
    // when the file ends first.
    std::int64_t copyRange(std::int64_t offset, StreamCopy& to, std::int64_t count) const;

private:
    struct InMemory {};
    BinaryReader(InMemory, std::string_view bytes, std::string name);
    bool fill();
    InputFile file_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::int64_t position_ = 0;
};

// A binary output: bytes go to a temporary file that replaces the target
// only when close() completes it.
class BinaryWriter : public BufferedOutput {
public:
    BinaryWriter(const std::string& path, std::string name, bool fixedName = false)
        : BufferedOutput(path, std::move(name), fixedName) {}

    void u8(std::uint8_t v);
    void i16(std::int16_t v);
    void u16(std::uint16_t v);
    void i32(std::int32_t v);
    void f32(float v);
    void bytes(std::span<const std::uint8_t> data);
    std::int64_t position() const { return position_; }

private:
    std::int64_t position_ = 0;
};

}  // namespace z5
