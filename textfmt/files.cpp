#include "textfmt/files.hpp"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#include "textfmt/failure.hpp"

namespace z5 {
namespace {

std::string reasonOf(int error) {
    return std::strerror(error);
}

// The folder part of a path, for the temporary file beside the target.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Temporary files in progress, for the signal handler: a fixed table of
// fixed-size paths, so the handler neither allocates nor follows pointers
// that another thread may free.
struct TemporarySlot {
    std::atomic<int> state{0};  // 0 free, 1 being filled, 2 holds a path
    std::array<char, 4096> path{};
};
std::array<TemporarySlot, 64> temporaries;

int registerTemporary(const std::string& path) {
    if (path.size() >= TemporarySlot{}.path.size()) return -1;
    for (std::size_t i = 0; i < temporaries.size(); ++i) {
        int expected = 0;
        if (!temporaries[i].state.compare_exchange_strong(expected, 1)) continue;
        std::memcpy(temporaries[i].path.data(), path.c_str(), path.size() + 1);
        temporaries[i].state.store(2);
        return static_cast<int>(i);
    }
    return -1;  // more than 64 at once: this one is not cleaned up on a signal
}

void unregisterTemporary(int slot) {
    if (slot >= 0) temporaries[static_cast<std::size_t>(slot)].state.store(0);
}

extern "C" void removeTemporariesAndEnd(int signal) {
    for (auto& slot : temporaries)
        if (slot.state.load() == 2) ::unlink(slot.path.data());
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// A name no other output uses: ".z5-" and 10 random letters and digits.
std::string temporaryName() {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}() ^
                                        (static_cast<std::uint64_t>(::getpid()) << 32)};
    std::string name = ".z5-";
    for (int i = 0; i < 10; ++i) name += kAlphabet[random() % (sizeof kAlphabet - 1)];
    return name + ".tmp";
}

}  // namespace

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

InputFile::InputFile(const std::string& path, std::string name) : name_(std::move(name)) {
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) throw CommandFailure("cannot open " + path + ": " + reasonOf(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int error = errno;
        ::close(std::exchange(fd_, -1));
        throw CommandFailure("cannot open " + path + ": " + reasonOf(error));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(std::exchange(fd_, -1));
        throw CommandFailure(path + (S_ISDIR(st.st_mode)
                                         ? " is a folder, not a file"
                                         : " is not a regular file (a device, FIFO or socket)"));
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    size_ = static_cast<std::int64_t>(st.st_size);
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), name_(std::move(other.name_)), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        name_ = std::move(other.name_);
        size_ = other.size_;
    }
    return *this;
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t InputFile::read(void* data, std::size_t size) {
    if (fd_ < 0) return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, data, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw CommandFailure("cannot read " + name_ + ": " + reasonOf(errno));
    }
}

OutputFile::OutputFile(std::string target, std::string name)
    : target_(std::move(target)), name_(std::move(name)) {
    const std::string folder = folderOf(target_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = (folder == "/" ? "" : folder) + "/" + temporaryName();
        // O_EXCL with O_CREAT never follows a link and never opens an
        // existing file; mode 0666 is reduced by the umask as for any file.
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = std::move(candidate);
            slot_ = registerTemporary(temporary_);
            return;
        }
        if (errno != EEXIST) break;
    }
    throw CommandFailure("cannot create " + name_ + " in " + folder + ": " + reasonOf(errno));
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      target_(std::move(other.target_)),
      name_(std::move(other.name_)),
      temporary_(std::move(other.temporary_)),
      slot_(std::exchange(other.slot_, -1)),
      broken_(other.broken_) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        abandon();
        fd_ = std::exchange(other.fd_, -1);
        target_ = std::move(other.target_);
        name_ = std::move(other.name_);
        temporary_ = std::move(other.temporary_);
        slot_ = std::exchange(other.slot_, -1);
        broken_ = other.broken_;
    }
    return *this;
}

OutputFile::~OutputFile() {
    abandon();
}

void OutputFile::write(const void* data, std::size_t size) {
    if (fd_ < 0) throw CommandFailure("cannot write " + name_ + ": it is closed");
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            broken_ = true;
            throw CommandFailure("cannot write " + name_ + ": " + reasonOf(n < 0 ? errno : ENOSPC));
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

void OutputFile::release() {
    unregisterTemporary(std::exchange(slot_, -1));
    temporary_.clear();
}

void OutputFile::commit(bool replaceCaseVariants) {
    if (fd_ < 0) throw CommandFailure("cannot write " + name_ + ": it is closed");
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        release();
        throw CommandFailure("cannot write " + name_ + ": " + reasonOf(error));
    }
    // rename() replaces a link at the target by the file, never the file the
    // link points to, and readers see either the old or the new file whole.
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        release();
        throw CommandFailure("cannot replace " + target_ + ": " + reasonOf(error));
    }
    release();
    if (replaceCaseVariants) removeCaseVariants(target_);
}

void OutputFile::abandon() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    release();
}

std::int64_t copyFileBytes(InputFile& from, OutputFile& to, std::int64_t count) {
    if (!to.isOpen()) throw CommandFailure("cannot write " + to.name() + ": it is closed");
    std::int64_t done = 0;
    // copy_file_range lets the file system share or copy the blocks itself;
    // sendfile still copies inside the kernel where that is refused (other
    // file systems, old kernels); a read/write loop is the last resort.
    enum class Way { Range, Send, Buffer } way = Way::Range;
    std::vector<char> buffer;
    while (done < count) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(count - done, 1 << 30));
        ssize_t n = -1;
        if (way == Way::Range) {
            n = ::copy_file_range(from.descriptor(), nullptr, to.descriptor(), nullptr, want, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                          errno == EOPNOTSUPP || errno == EPERM)) {
                way = Way::Send;
                continue;
            }
        } else if (way == Way::Send) {
            n = ::sendfile(to.descriptor(), from.descriptor(), nullptr, want);
            if (n < 0 && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                way = Way::Buffer;
                continue;
            }
        } else {
            buffer.resize(1 << 20);
            const std::size_t got = from.read(buffer.data(), std::min(want, buffer.size()));
            if (got == 0) break;
            to.write(buffer.data(), got);
            done += static_cast<std::int64_t>(got);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            throw CommandFailure("cannot copy " + from.name() + " into " + to.name() + ": " +
                                 reasonOf(error));
        }
        if (n == 0) break;  // the input ended
        done += n;
    }
    return done;
}

void removeCaseVariants(const std::string& path) {
    const std::string folder = folderOf(path);
    const std::string name = path.substr(path.find_last_of('/') + 1);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (entry == name || !equalsIgnoringCase(entry, name)) continue;
        std::error_code statusError;
        if (it->symlink_status(statusError).type() == std::filesystem::file_type::directory)
            continue;
        ::unlink(it->path().c_str());
    }
}

void removeFile(const std::string& path, std::string_view name) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        throw CommandFailure("cannot delete " + std::string(name) + ": " +
                             (errno == ENOENT ? std::string("no such file") : reasonOf(errno)));
    if (S_ISDIR(st.st_mode)) throw CommandFailure(std::string(name) + " is a folder, not a file");
    if (::unlink(path.c_str()) != 0)
        throw CommandFailure("cannot delete " + std::string(name) + ": " + reasonOf(errno));
}

void removeTemporaryFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace z5
