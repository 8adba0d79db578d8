#include "platform/files.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>
#include <vector>

#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files_system.hpp"
#include "platform/paths.hpp"

namespace z5 {

std::string systemReason() {
    return std::strerror(errno);
}

namespace files {
namespace {

// A fixed table of fixed-size paths, so the signal handler neither
// allocates nor follows pointers that another thread may free.
struct TemporarySlot {
    std::atomic<int> state{0};  // 0 free, 1 being filled, 2 holds a path
    bool folder = false;
    std::array<NativeChar, 4096> path{};
};
std::array<TemporarySlot, 64> temporaries;

}  // namespace

std::string reasonOf(int error) {
    return std::strerror(error);
}

std::size_t lastPartAt(const std::string& path) {
    const auto separator = std::find_if(path.rbegin(), path.rend(), isNativeSeparator);
    return static_cast<std::size_t>(path.rend() - separator);
}

std::string folderOf(const std::string& path) {
    const std::size_t at = lastPartAt(path);
    if (at == 0) return ".";
    return at == 1 ? path.substr(0, 1) : path.substr(0, at - 1);
}

std::string temporaryName() {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}() ^
                                        (static_cast<std::uint64_t>(processId()) << 32)};
    std::string name = ".z5-";
    for (int i = 0; i < 10; ++i) name += kAlphabet[random() % (sizeof kAlphabet - 1)];
    return name + ".tmp";
}

int registerTemporary(const std::string& path, bool folder) {
    const std::basic_string<NativeChar> native = nativeText(path);
    if (native.size() >= TemporarySlot{}.path.size()) return -1;
    for (std::size_t i = 0; i < temporaries.size(); ++i) {
        int expected = 0;
        if (!temporaries[i].state.compare_exchange_strong(expected, 1)) continue;
        std::copy(native.c_str(), native.c_str() + native.size() + 1, temporaries[i].path.begin());
        temporaries[i].folder = folder;
        temporaries[i].state.store(2);
        return static_cast<int>(i);
    }
    return -1;  // more than 64 at once: this one is not cleaned up on a signal
}

void unregisterTemporary(int slot) {
    if (slot >= 0) temporaries[static_cast<std::size_t>(slot)].state.store(0);
}

void removeTemporaries() {
    for (auto& slot : temporaries)
        if (slot.state.load() == 2 && !slot.folder) removeNative(slot.path.data());
    for (auto& slot : temporaries)
        if (slot.state.load() == 2 && slot.folder) removeNativeFolder(slot.path.data());
}

}  // namespace files

using namespace files;

std::string systemTemporaryFolder() {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec) throw CommandFailure("no folder for temporary files: " + ec.message());
    return pathText(folder);
}

TemporaryFolder::TemporaryFolder(const std::string& parent, std::string_view prefix,
                                 std::string_view what) {
    std::random_device random;
    std::string reason;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(parent, std::string(prefix) + std::to_string(random()));
        slot_ = registerTemporary(candidate, true);
        bool taken = false;
        if (makeFolder(candidate, reason, taken)) {
            path_ = std::move(candidate);
            return;
        }
        unregisterTemporary(slot_);
        // Another name helps only when this one was taken.
        if (!taken) break;
    }
    throw CommandFailure("cannot create " + std::string(what) + ": " + reason);
}

TemporaryFolder::~TemporaryFolder() {
    // Out of the clean-up table only once it is gone: a signal that comes
    // while it is being removed removes the rest.
    removeAll(path_);
    unregisterTemporary(slot_);
}

void createFolder(const std::string& path, std::string_view display) {
    std::string reason;
    bool taken = false;
    if (!makeFolder(path, reason, taken))
        throw CommandFailure("cannot create " + std::string(display) + ": " + reason);
}

void removeAll(const std::string& path) {
    removeNativeFolder(nativeText(path).c_str());
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), name_(std::move(other.name_)), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) closeDescriptor(fd_);
        fd_ = std::exchange(other.fd_, -1);
        name_ = std::move(other.name_);
        size_ = other.size_;
    }
    return *this;
}

InputFile::~InputFile() {
    if (fd_ >= 0) closeDescriptor(fd_);
}

OutputFile::OutputFile(OutputFile&& other) noexcept {
    *this = std::move(other);
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        abandon();
        fd_ = std::exchange(other.fd_, -1);
        target_ = std::move(other.target_);
        name_ = std::move(other.name_);
        temporary_ = std::move(other.temporary_);
        slot_ = std::exchange(other.slot_, -1);
        broken_ = other.broken_;
        linked_ = other.linked_;
        replacing_ = other.replacing_;
        placed_ = other.placed_;
        movedAway_ = other.movedAway_;
        backup_ = std::move(other.backup_);
        backupSlot_ = std::exchange(other.backupSlot_, -1);
    }
    return *this;
}

OutputFile OutputFile::copyOf(const std::string& source, std::string target, std::string name) {
    OutputFile link;
    link.target_ = target;
    link.name_ = name;
    if (link.linkTemporary(source)) return link;
    OutputFile copy(std::move(target), std::move(name));
    const InputFile from(source, source);
    StreamCopy stream(copy, 0);
    if (stream.append(from, 0, from.size()) < from.size())
        throw CommandFailure(source + " became shorter while it was copied to " + copy.name_);
    stream.flush();
    return copy;
}

void OutputFile::write(const void* data, std::size_t size) {
    writeAll(data, size, -1);
}

void OutputFile::writeAt(const void* data, std::size_t size, std::int64_t offset) {
    writeAll(data, size, offset);
}

void OutputFile::writeAll(const void* data, std::size_t size, std::int64_t offset) {
    if (fd_ < 0) throw CommandFailure("cannot write " + name_ + ": it is closed");
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        std::string reason;
        const std::size_t n = writeSome(fd_, bytes, size, offset, reason);
        if (n == 0) {
            broken_ = true;
            throw CommandFailure("cannot write " + name_ + ": " + reason);
        }
        bytes += n;
        size -= n;
        if (offset >= 0) offset += static_cast<std::int64_t>(n);
    }
}

void OutputFile::commit(bool replaceCaseVariants) {
    commitTogether({{this, replaceCaseVariants}});
}

bool OutputFile::restore() {
    if (backup_.empty()) {
        if (placed_) removePath(target_);  // it replaced nothing
    } else if (placed_ || movedAway_) {
        if (!renamePath(backup_, target_)) {
            // The old file stays under the backup name, which is named in
            // the reason: out of the clean-up table.
            unregisterTemporary(std::exchange(backupSlot_, -1));
            return false;
        }
    } else {
        removePath(backup_);  // a second name of the file still in place
    }
    unregisterTemporary(std::exchange(backupSlot_, -1));
    backup_.clear();
    placed_ = movedAway_ = false;
    return true;
}

void commitTogether(const std::vector<std::pair<OutputFile*, bool>>& outputs) {
    for (const auto& [file, variants] : outputs) file->prepare();
    std::size_t placed = 0;
    try {
        for (; placed < outputs.size(); ++placed) outputs[placed].first->place();
    } catch (const std::exception& e) {
        // Back to the old files, the one that failed included, latest first.
        std::string lost;
        for (std::size_t i = std::min(placed + 1, outputs.size()); i-- > 0;) {
            OutputFile& file = *outputs[i].first;
            if (!file.restore())
                lost +=
                    "; " + file.name() + " could not be put back: its old file is " + file.backup_;
        }
        for (const auto& [file, variants] : outputs) file->abandon();
        if (lost.empty()) throw;
        throw CommandFailure(e.what() + lost);
    }
    for (const auto& [file, variants] : outputs) file->finish(variants);
}

OutputFile::~OutputFile() {
    abandon();
}

void OutputFile::release() {
    unregisterTemporary(std::exchange(slot_, -1));
    temporary_.clear();
}

void OutputFile::abandon() {
    if (fd_ >= 0) closeDescriptor(std::exchange(fd_, -1));
    if (!temporary_.empty()) removePath(temporary_);
    release();
}

BufferedOutput::BufferedOutput(const std::string& path, std::string name, bool fixedName)
    : file_(path, std::move(name)), fixedName_(fixedName) {
    buffer_.reserve(kBufferSize);
}

void BufferedOutput::appendSlow(std::string_view bytes) {
    if (!file_.isOpen()) throw CommandFailure("cannot write " + name() + ": file is closed");
    if (buffer_.size() + bytes.size() > kBufferSize) {
        flush();
        if (bytes.size() >= kBufferSize) return file_.write(bytes.data(), bytes.size());
    }
    buffer_.append(bytes);
}

void BufferedOutput::flush() {
    if (!buffer_.empty()) file_.write(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void BufferedOutput::close() {
    if (!file_.isOpen()) return;
    flush();
    file_.commit(fixedName_);
    std::string().swap(buffer_);
}

void BufferedOutput::closePartial() {
    if (!file_.isOpen()) return;
    try {
        if (!file_.broken()) close();
    } catch (const CommandFailure&) {
        // What could not be written is not shown; the target stays.
    }
    discard();
}

void BufferedOutput::discard() {
    file_.abandon();
    std::string().swap(buffer_);
}

std::string readFileBytes(const std::string& path, std::string name, std::size_t limit) {
    InputFile in(path, std::move(name));
    std::string bytes(std::min(static_cast<std::size_t>(in.size()), limit), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const std::size_t n = in.read(bytes.data() + got, bytes.size() - got);
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

StreamCopy::~StreamCopy() {
    for (int& end : pipe_)
        if (end >= 0) closeDescriptor(std::exchange(end, -1));
}

std::int64_t StreamCopy::appendThroughBuffer(const InputFile& from, std::int64_t fromOffset,
                                             std::int64_t count) {
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 20)));
    std::int64_t done = 0;
    while (done < count) {
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(count - done, static_cast<std::int64_t>(buffer.size())));
        const std::size_t got = from.readAt(buffer.data(), want, fromOffset + done);
        if (got == 0) break;
        append(buffer.data(), got);
        done += static_cast<std::int64_t>(got);
    }
    return done;
}

void StreamCopy::append(const void* data, std::size_t size) {
    flush();
    to_.writeAt(data, size, position_);
    position_ += static_cast<std::int64_t>(size);
}

void StreamCopy::flush() {
    drain(inPipe_);
}

void StreamCopy::drainToPieceEnd() {
    // Up to the last piece boundary the bytes reach, so that the next write
    // begins on one; everything when they reach none.
    const std::int64_t end = (position_ + inPipe_) / piece_ * piece_;
    drain(end > position_ ? end - position_ : inPipe_);
}

}  // namespace z5
