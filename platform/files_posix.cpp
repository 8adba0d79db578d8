// The file layer on POSIX systems only (Linux first: unnamed temporary
// files, kernel copies through pipes).
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/files_system.hpp"
#include "platform/paths.hpp"

namespace z5 {
namespace files {

std::string lastReason() {
    return reasonOf(errno);
}

bool removePath(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool renamePath(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

int closeDescriptor(int fd) {
    return ::close(fd);
}

bool makeFolder(const std::string& path, std::string& reason, bool& taken) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    taken = errno == EEXIST;
    reason = lastReason();
    return false;
}

int processId() {
    return static_cast<int>(::getpid());
}

std::string nativeText(const std::string& path) {
    return path;
}

std::size_t writeSome(int fd, const void* data, std::size_t size, std::int64_t offset,
                      std::string& reason) {
    for (;;) {
        const ssize_t n = offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
        if (n > 0) return static_cast<std::size_t>(n);
        if (n < 0 && errno == EINTR) continue;
        reason = reasonOf(n < 0 ? errno : ENOSPC);
        return 0;
    }
}

void removeNative(const char* path) {
    ::unlink(path);
}

void blockTerminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

namespace {

// Removes the entry `name` of the folder open as `parent`, and what it
// holds when it is a folder, with calls a signal handler may make: no
// allocation, a buffer on the stack per level, at most 16 levels.
void removeEntryAt(int parent, const char* name, int depth) {
    if (::unlinkat(parent, name, 0) == 0 || depth == 16) return;
    const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return;
    alignas(dirent64) char buffer[4096];
    // Another thread of the program may still be adding entries while a
    // signal's handler removes the folder: it is read again until it is
    // gone, a few times at most.
    for (int pass = 0; pass < 8; ++pass) {
        // Read from the start again after each batch: entries removed
        // while a folder is read could make the reading skip others.
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
        if (::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno != ENOTEMPTY) break;
    }
    ::close(folder);
}

}  // namespace

void removeNativeFolder(const char* path) {
    removeEntryAt(AT_FDCWD, path, 0);
}

namespace {

// Puts a rename in the folder on the disk, so that the name holds the new
// file after a power cut.
void syncFolderOf(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Keeps the file at `target` reachable under a unique name (`backup`, in
// the clean-up table as `slot`); nothing when it is gone already.
void keepOldFile(const std::string& target, std::string& backup, int& slot, bool& movedAway) {
    const std::string folder = folderOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(folder, temporaryName());
        slot = registerTemporary(candidate);
        // A second name for the old file (a link at the target is linked
        // itself), so the target's name never goes missing.
        if (::linkat(AT_FDCWD, target.c_str(), AT_FDCWD, candidate.c_str(), 0) == 0) {
            backup = std::move(candidate);
            return;
        }
        const int error = errno;
        unregisterTemporary(std::exchange(slot, -1));
        if (error == ENOENT) return;
        if (error == EEXIST) continue;
        // A file system without hard links: the old file moves aside, out
        // of the clean-up table, since it may be the only copy.
        if (renamePath(target, candidate)) {
            backup = std::move(candidate);
            movedAway = true;
            return;
        }
        break;
    }
    throw CommandFailure("cannot keep the old " + target +
                         " while it is replaced: " + lastReason());
}

extern "C" void removeTemporariesAndEnd(int signal) {
    removeTemporaries();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace
}  // namespace files

using namespace files;

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

std::size_t InputFile::read(void* data, std::size_t size) {
    if (fd_ < 0) return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, data, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw CommandFailure("cannot read " + name_ + ": " + reasonOf(errno));
    }
}

std::size_t InputFile::readAt(void* data, std::size_t size, std::int64_t offset) const {
    if (fd_ < 0) return 0;
    for (;;) {
        const ssize_t n = ::pread(fd_, data, size, offset);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw CommandFailure("cannot read " + name_ + ": " + reasonOf(errno));
    }
}

OutputFile::OutputFile(std::string target, std::string name)
    : target_(std::move(target)), name_(std::move(name)) {
    const std::string folder = folderOf(target_);
    // Where the system allows it, the file has no name until it is complete:
    // it cannot be seen, and it vanishes by itself if the program ends
    // before, so a new output costs one name in the folder instead of two.
    // Z5_NO_TMPFILE=1 turns this off, so that tests cover named temporaries.
    static const bool namesLater = ::access("/proc/self/fd", X_OK) == 0;
    const char* off = std::getenv("Z5_NO_TMPFILE");
    if (namesLater && !(off && std::string_view(off) == "1")) {
        fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0) return;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(folder, temporaryName());
        // In the clean-up table before it exists, so a signal never misses it.
        slot_ = registerTemporary(candidate);
        // O_EXCL with O_CREAT never follows a link and never opens an
        // existing file; mode 0666 is reduced by the umask as for any file.
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = std::move(candidate);
            return;
        }
        const int error = errno;
        unregisterTemporary(std::exchange(slot_, -1));
        if (error != EEXIST)
            throw CommandFailure("cannot create " + name_ + " in " + folder + ": " +
                                 reasonOf(error));
    }
    throw CommandFailure("cannot create " + name_ + " in " + folder + ": " + reasonOf(EEXIST));
}

bool OutputFile::nameUnnamed() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    // A new output takes its name directly, never replacing anything.
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST) return false;
    // Something has the name: a unique name first, then the rename below.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(folderOf(target_), temporaryName());
        slot_ = registerTemporary(candidate);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary_ = std::move(candidate);
            return true;
        }
        const int error = errno;
        unregisterTemporary(std::exchange(slot_, -1));
        errno = error;
        if (error != EEXIST) return false;
    }
    return false;
}
bool OutputFile::linkTemporary(const std::string& source) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(folderOf(target_), temporaryName());
        slot_ = registerTemporary(candidate);
        // The file a link at `source` leads to, as reading it would give.
        if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            temporary_ = std::move(candidate);
            linked_ = true;
            return true;
        }
        const int error = errno;
        unregisterTemporary(std::exchange(slot_, -1));
        if (error != EEXIST) return false;
    }
    return false;
}

void OutputFile::prepare() {
    if (fd_ < 0 && !linked_) throw CommandFailure("cannot write " + name_ + ": it is closed");
    struct stat st {};
    replacing_ = ::lstat(target_.c_str(), &st) == 0;
    if (!replacing_) return;
    if (S_ISDIR(st.st_mode)) {
        abandon();
        throw CommandFailure("cannot replace " + target_ + ": it is a folder");
    }
    if (!S_ISREG(st.st_mode)) return;  // a link is replaced, not followed
    // The new file takes the old one's permissions, and is on the disk
    // before it takes its name: after a power cut the name holds the old
    // file or the new one, never an empty one.
    if ((st.st_mode & 0222) == 0) {
        abandon();
        throw CommandFailure("cannot replace " + target_ + ": it is read-only");
    }
    if (linked_) return;  // a file on the disk already, its permissions its own
    if (::fchmod(fd_, st.st_mode & 0777) != 0 || ::fsync(fd_) != 0) {
        const std::string reason = lastReason();
        abandon();
        throw CommandFailure("cannot write " + name_ + ": " + reason);
    }
}

void OutputFile::place() {
    if (replacing_) keepOldFile(target_, backup_, backupSlot_, movedAway_);
    if (temporary_.empty()) {
        if (!nameUnnamed()) throw CommandFailure("cannot create " + target_ + ": " + lastReason());
        if (temporary_.empty()) {  // it took the target's name
            placed_ = true;
            if (closeDescriptor(std::exchange(fd_, -1)) != 0)
                throw CommandFailure("cannot write " + name_ + ": " + lastReason());
            return;
        }
    }
    if (!linked_ && closeDescriptor(std::exchange(fd_, -1)) != 0)
        throw CommandFailure("cannot write " + name_ + ": " + lastReason());
    // The rename replaces a link at the target by the file, never the file
    // the link points to, and readers see either the old or the new file
    // whole.
    if (!renamePath(temporary_, target_))
        throw CommandFailure("cannot replace " + target_ + ": " + lastReason());
    release();
    placed_ = true;
}

void OutputFile::finish(bool replaceCaseVariants) {
    if (!backup_.empty()) removePath(backup_);
    unregisterTemporary(std::exchange(backupSlot_, -1));
    backup_.clear();
    if (replacing_) syncFolderOf(target_);
    if (replaceCaseVariants) removeCaseVariants(target_);
}

StreamCopy::StreamCopy(OutputFile& to, std::int64_t offset) : to_(to), position_(offset) {
    if (::pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return;
    }
    // A larger pipe lets the output be written half a megabyte at a time;
    // where the system refuses it (its limit per user), the usual one works.
    ::fcntl(pipe_[1], F_SETPIPE_SZ, 1 << 20);
    piece_ = std::max(::fcntl(pipe_[1], F_GETPIPE_SZ), 8192) / 2;
}

std::int64_t StreamCopy::append(const InputFile& from, std::int64_t fromOffset,
                                std::int64_t count) {
    if (!to_.isOpen()) throw CommandFailure("cannot write " + to_.name() + ": it is closed");
    std::int64_t done = 0;
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
    return done + appendThroughBuffer(from, fromOffset + done, count - done);
}

void StreamCopy::drain(std::int64_t count) {
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
}

void removeCaseVariants(const std::string& path) {
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
}

void requireReplaceable(const std::string& path, std::string_view display) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode))
        throw CommandFailure("cannot replace " + std::string(display) + ": it is a folder");
    if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0)
        throw CommandFailure("cannot replace " + std::string(display) + ": it is read-only");
}

void removeFile(const std::string& path, std::string_view name) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        throw CommandFailure("cannot delete " + std::string(name) + ": " +
                             (errno == ENOENT ? "no such file" : reasonOf(errno)));
    if (S_ISDIR(st.st_mode)) throw CommandFailure(std::string(name) + " is a folder, not a file");
    if (!removePath(path))
        throw CommandFailure("cannot delete " + std::string(name) + ": " + lastReason());
}

std::optional<FileIdentity> fileIdentity(const std::string& path, bool followLinks) {
    struct stat st {};
    if ((followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileStamp{
        {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
        static_cast<std::uint64_t>(st.st_size),
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::vector<FolderEntry> listFolder(const std::string& path, std::string& error) {
    std::vector<FolderEntry> entries;
    DIR* folder = ::opendir(path.c_str());
    if (!folder) {
        error = lastReason();
        return entries;
    }
    const int fd = ::dirfd(folder);
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(folder);
        if (!found) {
            if (errno != 0) error = lastReason();
            break;
        }
        const std::string_view name = found->d_name;
        if (name == "." || name == "..") continue;
        FolderEntry entry{std::string(name)};
        struct stat st {};
        entry.link =
            ::fstatat(fd, found->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
        if (::fstatat(fd, found->d_name, &st, 0) == 0)
            entry.kind = S_ISDIR(st.st_mode)   ? FolderEntry::Kind::Folder
                         : S_ISREG(st.st_mode) ? FolderEntry::Kind::File
                                               : FolderEntry::Kind::Other;
        entries.push_back(std::move(entry));
    }
    ::closedir(folder);
    return entries;
}

std::optional<std::string> otherLongName(const std::string&) {
    // A name here is the one name of its file.
    return std::nullopt;
}

PathKind pathKind(const std::string& path, std::string& error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) error = lastReason();
        return PathKind::Missing;
    }
    return S_ISLNK(st.st_mode)   ? PathKind::Link
           : S_ISDIR(st.st_mode) ? PathKind::Folder
           : S_ISREG(st.st_mode) ? PathKind::File
                                 : PathKind::Other;
}

void renameToNew(const std::string& from, const std::string& to, std::string_view display) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    // A file system that cannot rename without replacing: looked at first.
    if (errno == EINVAL || errno == ENOSYS) {
        struct stat st {};
        if (::lstat(to.c_str(), &st) == 0)
            errno = EEXIST;
        else if (errno == ENOENT && renamePath(from, to))
            return;
    }
    throw CommandFailure("cannot create " + std::string(display) + ": " + lastReason());
}

std::optional<std::string> finalPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return std::nullopt;
    std::string text(resolved);
    std::free(resolved);
    return text;
}

SignalsDeferred::SignalsDeferred() {
    sigset_t signals, before;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
    ::pthread_sigmask(SIG_BLOCK, &signals, &before);
    // A thread that keeps them away for good (a worker) keeps doing so.
    deferred_ = sigismember(&before, SIGINT) == 0;
}

SignalsDeferred::~SignalsDeferred() {
    if (!deferred_) return;
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
    // A signal that came meanwhile is handled here.
    ::pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

void removeTemporaryFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace z5
