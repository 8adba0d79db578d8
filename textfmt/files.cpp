#include "textfmt/files.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#include "textfmt/failure.hpp"
#include "textfmt/paths.hpp"

namespace z5 {
namespace {

std::string reasonOf(int error) {
    return std::strerror(error);
}

#ifdef _WIN32
using PathChar = wchar_t;

// The reason for a Windows error, in the words the C library uses for the
// same error elsewhere where there is one ("No such file or directory").
std::string windowsReason(DWORD error) {
    static constexpr std::pair<DWORD, int> kSameAs[] = {{ERROR_FILE_NOT_FOUND, ENOENT},
                                                        {ERROR_PATH_NOT_FOUND, ENOENT},
                                                        {ERROR_INVALID_NAME, ENOENT},
                                                        {ERROR_BAD_NETPATH, ENOENT},
                                                        {ERROR_ACCESS_DENIED, EACCES},
                                                        {ERROR_SHARING_VIOLATION, EACCES},
                                                        {ERROR_LOCK_VIOLATION, EACCES},
                                                        {ERROR_WRITE_PROTECT, EACCES},
                                                        {ERROR_FILE_EXISTS, EEXIST},
                                                        {ERROR_ALREADY_EXISTS, EEXIST},
                                                        {ERROR_DISK_FULL, ENOSPC},
                                                        {ERROR_HANDLE_DISK_FULL, ENOSPC},
                                                        {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
                                                        {ERROR_OUTOFMEMORY, ENOMEM},
                                                        {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG}};
    for (const auto& [windows, posix] : kSameAs)
        if (windows == error) return reasonOf(posix);
    return windowsMessage(error);
}

}  // namespace

std::string windowsMessage(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length ? narrow(std::wstring_view(text, length)) : std::string();
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "Windows error " + std::to_string(error) : reason;
}

namespace {

std::string lastReason() {
    return windowsReason(GetLastError());
}

bool removePath(const std::string& path) {
    return DeleteFileW(widen(path).c_str()) != 0;
}

int processId() {
    return static_cast<int>(GetCurrentProcessId());
}

// A file opened through its UTF-16 name, as a C library descriptor in binary
// mode. Every file may be read, written and deleted by others while it is
// open: a command reads its own work file back, and Ctrl+C removes a
// temporary file that is still open.
int openDescriptor(const std::string& path, bool create) {
    HANDLE handle =
        CreateFileW(widen(path).c_str(), create ? GENERIC_WRITE : GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    create ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return -1;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), create ? 0 : _O_RDONLY);
    if (fd < 0) {
        CloseHandle(handle);
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return -1;
    }
    _setmode(fd, _O_BINARY);
    return fd;
}

int closeDescriptor(int fd) {
    return _close(fd);
}
#else
using PathChar = char;

std::string lastReason() {
    return reasonOf(errno);
}

bool removePath(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

int processId() {
    return static_cast<int>(::getpid());
}

int closeDescriptor(int fd) {
    return ::close(fd);
}
#endif

// Where the last part of a path begins.
std::size_t lastPartAt(const std::string& path) {
    const auto separator = std::find_if(path.rbegin(), path.rend(), isNativeSeparator);
    return static_cast<std::size_t>(path.rend() - separator);
}

// The folder part of a path, for the temporary file beside the target.
std::string folderOf(const std::string& path) {
    const std::size_t at = lastPartAt(path);
    if (at == 0) return ".";
    return at == 1 ? path.substr(0, 1) : path.substr(0, at - 1);
}

// Temporary files in progress, for the signal handler: a fixed table of
// fixed-size paths, so the handler neither allocates nor follows pointers
// that another thread may free.
struct TemporarySlot {
    std::atomic<int> state{0};  // 0 free, 1 being filled, 2 holds a path
    bool folder = false;        // removed with everything in it, after the files
    std::array<PathChar, 4096> path{};
};
std::array<TemporarySlot, 64> temporaries;

int registerTemporary(const std::string& path, bool folder = false) {
#ifdef _WIN32
    const std::wstring native = widen(path);
#else
    const std::string& native = path;
#endif
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

#ifdef _WIN32
void removeNative(const wchar_t* path) {
    DeleteFileW(path);
}

void removeNativeFolder(const wchar_t* path) {
    // The console's handler runs on a thread of its own: it may allocate.
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path), ec);
}
#else
void removeNative(const char* path) {
    ::unlink(path);
}

// Removes the entry `name` of the folder open as `parent`, and what it
// holds when it is a folder, with calls a signal handler may make: no
// allocation, a buffer on the stack per level, at most 16 levels.
void removeEntryAt(int parent, const char* name, int depth) {
    if (::unlinkat(parent, name, 0) == 0 || depth == 16) return;
    const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return;
    alignas(dirent64) char buffer[4096];
    // Read from the start again after each batch: removing entries while a
    // folder is read could make the reading skip others.
    for (bool removed = true; removed;) {
        removed = false;
        ::lseek(folder, 0, SEEK_SET);
        const ssize_t length = ::getdents64(folder, buffer, sizeof buffer);
        for (ssize_t at = 0; at < length;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const char* entryName = entry->d_name;
            if (entryName[0] == '.' &&
                (entryName[1] == 0 || (entryName[1] == '.' && entryName[2] == 0)))
                continue;
            removeEntryAt(folder, entryName, depth + 1);
            removed = true;
        }
    }
    ::close(folder);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

void removeNativeFolder(const char* path) {
    removeEntryAt(AT_FDCWD, path, 0);
}
#endif

// Removes the temporary files, then the temporary folders; safe in a signal
// handler.
void removeTemporaries() {
    for (auto& slot : temporaries)
        if (slot.state.load() == 2 && !slot.folder) removeNative(slot.path.data());
    for (auto& slot : temporaries)
        if (slot.state.load() == 2 && slot.folder) removeNativeFolder(slot.path.data());
}

#ifdef _WIN32
// Runs on a thread of its own; returning FALSE lets the next handler end
// the program as usual. Files still open are deleted once closed.
BOOL WINAPI removeTemporariesAndEnd(DWORD) {
    removeTemporaries();
    return FALSE;
}
#else
extern "C" void removeTemporariesAndEnd(int signal) {
    removeTemporaries();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
#endif

// A name no other output uses: ".z5-" and 10 random letters and digits.
std::string temporaryName() {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}() ^
                                        (static_cast<std::uint64_t>(processId()) << 32)};
    std::string name = ".z5-";
    for (int i = 0; i < 10; ++i) name += kAlphabet[random() % (sizeof kAlphabet - 1)];
    return name + ".tmp";
}

}  // namespace

#ifdef _WIN32
std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size);
    wide.resize(static_cast<std::size_t>(std::max(length, 0)));
    return wide;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int size = static_cast<int>(utf16.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

std::filesystem::path nativePath(std::string_view path) {
    return std::filesystem::path(widen(path));
}

std::string pathText(const std::filesystem::path& path) {
    return narrow(path.native());
}

std::string foldCase(std::string_view text) {
    std::wstring wide = widen(text);
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return narrow(wide);
}
#else
std::filesystem::path nativePath(std::string_view path) {
    return std::filesystem::path(path);
}

std::string pathText(const std::filesystem::path& path) {
    return path.native();
}

std::string foldCase(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), asciiLower);
    return folded;
}
#endif

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

#ifdef _WIN32
InputFile::InputFile(const std::string& path, std::string name) : name_(std::move(name)) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw CommandFailure(path + " is a folder, not a file");
    fd_ = openDescriptor(path, false);
    if (fd_ < 0) throw CommandFailure("cannot open " + path + ": " + lastReason());
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
        ::_close(std::exchange(fd_, -1));
        throw CommandFailure(path + " is not a regular file (a device, FIFO or socket)");
    }
    size_ = static_cast<std::int64_t>(size.QuadPart);
}
#else
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
#endif

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

std::size_t InputFile::read(void* data, std::size_t size) {
    if (fd_ < 0) return 0;
#ifdef _WIN32
    const int n = ::_read(fd_, data, static_cast<unsigned>(std::min<std::size_t>(size, 1 << 30)));
    if (n < 0) throw CommandFailure("cannot read " + name_ + ": " + reasonOf(errno));
    return static_cast<std::size_t>(n);
#else
    for (;;) {
        const ssize_t n = ::read(fd_, data, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw CommandFailure("cannot read " + name_ + ": " + reasonOf(errno));
    }
#endif
}

std::size_t InputFile::readAt(void* data, std::size_t size, std::int64_t offset) const {
    if (fd_ < 0) return 0;
#ifdef _WIN32
    // A read at an offset on a handle opened for plain (not overlapped) I/O.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), data,
                  static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30)), &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) return 0;
        throw CommandFailure("cannot read " + name_ + ": " + lastReason());
    }
    return got;
#else
    for (;;) {
        const ssize_t n = ::pread(fd_, data, size, offset);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw CommandFailure("cannot read " + name_ + ": " + reasonOf(errno));
    }
#endif
}

OutputFile::OutputFile(std::string target, std::string name)
    : target_(std::move(target)), name_(std::move(name)) {
    const std::string folder = folderOf(target_);
#ifndef _WIN32
    // Where the system allows it, the file has no name until it is complete:
    // it cannot be seen, and it vanishes by itself if the program ends
    // before, so a new output costs one name in the folder instead of two.
    static const bool namesLater = ::access("/proc/self/fd", X_OK) == 0;
    if (namesLater) {
        fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0) return;
    }
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(folder, temporaryName());
#ifdef _WIN32
        // CREATE_NEW never opens an existing file or link.
        fd_ = openDescriptor(candidate, true);
        const bool taken = fd_ < 0 && (GetLastError() == ERROR_FILE_EXISTS ||
                                       GetLastError() == ERROR_ALREADY_EXISTS);
#else
        // O_EXCL with O_CREAT never follows a link and never opens an
        // existing file; mode 0666 is reduced by the umask as for any file.
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        const bool taken = fd_ < 0 && errno == EEXIST;
#endif
        if (fd_ >= 0) {
            temporary_ = std::move(candidate);
            slot_ = registerTemporary(temporary_);
            return;
        }
        if (!taken) break;
    }
    throw CommandFailure("cannot create " + name_ + " in " + folder + ": " + lastReason());
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
#ifdef _WIN32
        const int n =
            ::_write(fd_, bytes, static_cast<unsigned>(std::min<std::size_t>(size, 1 << 30)));
#else
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
#endif
        if (n <= 0) {
            broken_ = true;
            throw CommandFailure("cannot write " + name_ + ": " + reasonOf(n < 0 ? errno : ENOSPC));
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

void OutputFile::writeAt(const void* data, std::size_t size, std::int64_t offset) {
    if (fd_ < 0) throw CommandFailure("cannot write " + name_ + ": it is closed");
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
#ifdef _WIN32
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
        DWORD n = 0;
        const bool wrote =
            WriteFile(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), bytes,
                      static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30)), &n, &at) &&
            n > 0;
        if (!wrote) {
            broken_ = true;
            throw CommandFailure("cannot write " + name_ + ": " + lastReason());
        }
#else
        const ssize_t n = ::pwrite(fd_, bytes, size, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            broken_ = true;
            throw CommandFailure("cannot write " + name_ + ": " + reasonOf(n < 0 ? errno : ENOSPC));
        }
#endif
        bytes += n;
        offset += n;
        size -= static_cast<std::size_t>(n);
    }
}

void OutputFile::release() {
    unregisterTemporary(std::exchange(slot_, -1));
    temporary_.clear();
}

#ifndef _WIN32
bool OutputFile::nameUnnamed() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    // A new output takes its name directly, never replacing anything.
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST) return false;
    // Something has the name: a unique name first, then the rename below.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(folderOf(target_), temporaryName());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary_ = std::move(candidate);
            slot_ = registerTemporary(temporary_);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}
#endif

void OutputFile::commit(bool replaceCaseVariants) {
    if (fd_ < 0) throw CommandFailure("cannot write " + name_ + ": it is closed");
#ifndef _WIN32
    if (temporary_.empty()) {
        if (!nameUnnamed()) {
            const std::string reason = lastReason();
            abandon();
            throw CommandFailure("cannot create " + target_ + ": " + reason);
        }
        if (temporary_.empty()) {  // it took the target's name
            if (closeDescriptor(std::exchange(fd_, -1)) != 0) {
                const std::string reason = lastReason();
                removePath(target_);
                throw CommandFailure("cannot write " + name_ + ": " + reason);
            }
            if (replaceCaseVariants) removeCaseVariants(target_);
            return;
        }
    }
#endif
    const int fd = std::exchange(fd_, -1);
    if (closeDescriptor(fd) != 0) {
        const int error = errno;
        removePath(temporary_);
        release();
        throw CommandFailure("cannot write " + name_ + ": " + reasonOf(error));
    }
    // The rename replaces a link at the target by the file, never the file
    // the link points to, and readers see either the old or the new file
    // whole.
#ifdef _WIN32
    const bool renamed = MoveFileExW(widen(temporary_).c_str(), widen(target_).c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    const bool renamed = ::rename(temporary_.c_str(), target_.c_str()) == 0;
#endif
    if (!renamed) {
        const std::string reason = lastReason();
        removePath(temporary_);
        release();
        throw CommandFailure("cannot replace " + target_ + ": " + reason);
    }
    release();
    if (replaceCaseVariants) removeCaseVariants(target_);
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

StreamCopy::StreamCopy(OutputFile& to, std::int64_t offset) : to_(to), position_(offset) {
#ifndef _WIN32
    if (::pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return;
    }
    // A larger pipe lets the output be written half a megabyte at a time;
    // where the system refuses it (its limit per user), the usual one works.
    ::fcntl(pipe_[1], F_SETPIPE_SZ, 1 << 20);
    piece_ = std::max(::fcntl(pipe_[1], F_GETPIPE_SZ), 8192) / 2;
#endif
}

StreamCopy::~StreamCopy() {
    for (int& end : pipe_)
        if (end >= 0) closeDescriptor(std::exchange(end, -1));
}

std::int64_t StreamCopy::append(const InputFile& from, std::int64_t fromOffset,
                                std::int64_t count) {
    if (!to_.isOpen()) throw CommandFailure("cannot write " + to_.name() + ": it is closed");
    std::int64_t done = 0;
#ifndef _WIN32
    while (pipe_[1] >= 0 && done < count) {
        loff_t at = fromOffset + done;
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(count - done, 1 << 30));
        const ssize_t n = ::splice(from.descriptor(), &at, pipe_[1], nullptr, want,
                                   SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
        if (n > 0) {
            done += n;
            inPipe_ += n;
            if (inPipe_ >= piece_) drainToPieceEnd();
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN && inPipe_ > 0) {  // the pipe is full
            drainToPieceEnd();
            continue;
        }
        // The end of the input (the buffer below makes sure), or a file the
        // kernel will not splice: the buffer takes over for good.
        if (n < 0) {
            flush();
            for (int& end : pipe_) closeDescriptor(std::exchange(end, -1));
        }
        break;
    }
#endif
    // Through a buffer: on Windows, for a file the kernel does not splice,
    // and to tell the real end of the input.
    std::vector<char> buffer(
        static_cast<std::size_t>(std::min<std::int64_t>(count - done, 1 << 20)));
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

void StreamCopy::drain(std::int64_t count) {
#ifndef _WIN32
    while (count > 0) {
        loff_t at = position_;
        ssize_t n = ::splice(pipe_[0], nullptr, to_.descriptor(), &at,
                             static_cast<std::size_t>(count), SPLICE_F_MOVE);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EINVAL) {
            // The output's file system takes no splice: through a buffer.
            std::vector<char> buffer(
                static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 16)));
            n = ::read(pipe_[0], buffer.data(), buffer.size());
            if (n > 0) to_.writeAt(buffer.data(), static_cast<std::size_t>(n), position_);
        }
        if (n <= 0)
            throw CommandFailure("cannot write " + to_.name() + ": " +
                                 reasonOf(n < 0 ? errno : ENOSPC));
        position_ += n;
        inPipe_ -= n;
        count -= n;
    }
#else
    (void)count;
#endif
}

void removeCaseVariants(const std::string& path) {
#ifdef _WIN32
    // The file system finds a name in any letter case: the rename replaced
    // the one file of this name, which may keep its old spelling and must
    // not be taken for another.
    (void)path;
#else
    const std::string folder = folderOf(path);
    const std::string name = path.substr(lastPartAt(path));
    std::error_code ec;
    for (std::filesystem::directory_iterator it(nativePath(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string entry = pathText(it->path().filename());
        if (entry == name || !equalsIgnoringCase(entry, name)) continue;
        std::error_code statusError;
        if (it->symlink_status(statusError).type() == std::filesystem::file_type::directory)
            continue;
        removePath(pathText(it->path()));
    }
#endif
}

void removeFile(const std::string& path, std::string_view name) {
    auto fail = [&](const std::string& reason) {
        throw CommandFailure("cannot delete " + std::string(name) + ": " + reason);
    };
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        fail(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? "no such file"
                                                                            : windowsReason(error));
    }
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
#else
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) fail(errno == ENOENT ? "no such file" : reasonOf(errno));
    const bool folder = S_ISDIR(st.st_mode);
#endif
    if (folder) throw CommandFailure(std::string(name) + " is a folder, not a file");
    if (!removePath(path)) fail(lastReason());
}

void removeTemporaryFilesOnSignals() {
#ifdef _WIN32
    SetConsoleCtrlHandler(removeTemporariesAndEnd, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
#endif
}

TemporaryFolder::TemporaryFolder(std::string path)
    : path_(std::move(path)), slot_(registerTemporary(path_, true)) {}

TemporaryFolder::~TemporaryFolder() {
    unregisterTemporary(slot_);
    std::error_code ec;
    std::filesystem::remove_all(nativePath(path_), ec);
}

#ifdef _WIN32
std::optional<FileIdentity> fileIdentity(const std::string& path) {
    const HANDLE file =
        CreateFileW(widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}
#else
std::optional<FileIdentity> fileIdentity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}
#endif

}  // namespace z5
