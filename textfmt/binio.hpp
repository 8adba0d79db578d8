// Buffered little-endian binary files.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.hpp"
#include "textfmt/diagnostic.hpp"

namespace z5 {

// How a file departs from its kind: it ends inside a record its counts
// announce, or it is plainly a file of another kind.
enum class Damage { CutShort, OtherKind };

// Reads a file from its start. Bytes asked for past the end of the file read
// as zero, so a short file never stops a record read half-way; `atEnd` and
// `position` tell the caller where it stands. The decoders check a file's
// length against what its counts announce (`need`) and read past its end
// only under --lenient.
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
    // Bytes from the position reached to the end of the file; negative once
    // reading went past it.
    std::int64_t left() const { return size() - position_; }

    // How a command takes a damaged file (a Command sets both on the readers
    // it opens): read on under --lenient, remarks reported through the hook.
    void setLenient(bool lenient) { lenient_ = lenient; }
    bool lenient() const { return lenient_; }
    void setDiagnosticHook(std::function<void(Diagnostic)> hook) { hook_ = std::move(hook); }
    // A warning on the whole file ("NAME: warning: MESSAGE", the message
    // naming the byte); dropped without a hook.
    void warn(std::string message) const;
    // Damage that --lenient reads through. Otherwise the command fails with
    // the file's name, `separator` and `what` ("cube.3do ends at byte 61,
    // inside vertex 3 of 8"). Under --lenient `what` is a warning that says
    // how the file is read on: a file cut short with zeros past its end (told
    // once: every later record is past its end too), a file of another kind
    // as one of this kind.
    void damaged(Damage damage, std::string_view what, std::string_view separator = " ");
    // Whether a file cut short is being read on with zeros past its end.
    bool readingZeros() const { return readingZeros_; }
    // Damage unless `bytes` more bytes are in the file (or zeros are read
    // already): "ends at byte N, " and what `where()` names ("inside the
    // camera count").
    template <class Where>
    void need(std::int64_t bytes, Where where) {
        if (left() < bytes && !readingZeros_)
            damaged(Damage::CutShort,
                    "ends at byte " + std::to_string(size()) + ", " + std::string(where()));
    }
    // Warns of the bytes after the position reached, which the command does
    // not keep: "240 bytes after the last section are not kept; compiling
    // gives a shorter file".
    void warnTrailing(std::string_view after) const;

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
    bool lenient_ = false;
    bool readingZeros_ = false;
    std::function<void(Diagnostic)> hook_;
};

// Where a file that ends at byte `end` stops in a run of `count` records of
// `size` bytes from byte `start` on: "inside vertex 3 of 8", or "before
// vertex 3 of 8" when it ends between two.
std::string placeInRun(std::int64_t end, std::int64_t start, std::int64_t size, std::int64_t count,
                       std::string_view record);

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
