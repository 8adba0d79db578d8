// The file layer on Windows only: files opened through their UTF-16 names,
// shared for deletion, and replaced with MoveFileExW.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/encoding.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"
#include "platform/files_system.hpp"
#include "platform/paths.hpp"

namespace z5 {
namespace files {
namespace {

// `wide` made absolute as a \\?\ path, which the system takes at any length.
std::wstring longPath(const std::wstring& wide) {
    if (wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\")) return wide;
    std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
    full.resize(
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    if (full.empty()) return wide;
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// A path as the system takes it: one that, made absolute, is longer than
// the 248 characters old Windows paths of folders hold is given as a long
// path (shorter ones stay as they are, so that CON still names a device
// and is refused as one).
std::wstring systemPath(const std::string& path) {
    const std::wstring wide = widen(path);
    const std::wstring full = longPath(wide);
    return full.size() < 4 + 248 ? wide : full;
}

// The attributes of the file (not folder, not link) at `path`; nullopt
// where there is none.
std::optional<DWORD> replacedAttributes(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return std::nullopt;
    return attributes;
}

// What a new file takes over from the one it replaces: hidden, system,
// archive and not indexed.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

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

// A file opened through its UTF-16 name, as a C library descriptor in binary
// mode. Every file may be read, written and deleted by others while it is
// open: a command reads its own work file back, and Ctrl+C removes a
// temporary file that is still open.
int openDescriptor(const std::string& path, bool create) {
    HANDLE handle =
        CreateFileW(systemPath(path).c_str(), create ? GENERIC_WRITE : GENERIC_READ,
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

HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// Held by a SignalsDeferred; the handler waits for it.
SRWLOCK deferring = SRWLOCK_INIT;

// Runs on a thread of its own; returning FALSE lets the next handler end
// the program as usual. Files still open are deleted once closed.
BOOL WINAPI removeTemporariesAndEnd(DWORD) {
    AcquireSRWLockShared(&deferring);
    removeTemporaries();
    ReleaseSRWLockShared(&deferring);
    return FALSE;
}

}  // namespace

std::string lastReason() {
    return windowsReason(GetLastError());
}

bool removePath(const std::string& path) {
    return DeleteFileW(systemPath(path).c_str()) != 0;
}

bool renamePath(const std::string& from, const std::string& to) {
    return MoveFileExW(systemPath(from).c_str(), systemPath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

int closeDescriptor(int fd) {
    return _close(fd);
}

int processId() {
    return static_cast<int>(GetCurrentProcessId());
}

std::wstring nativeText(const std::string& path) {
    return systemPath(path);
}

namespace {

// Removes what the \\?\ path `path` names, a folder with everything in
// it; a link (a symbolic link or junction) is removed, never followed.
void removeTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr, 0);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring_view name = found.cFileName;
                if (name != L"." && name != L"..") names.emplace_back(name);
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        for (const std::wstring& name : names) removeTree(path + L"\\" + name);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

void removeNativeFolder(const wchar_t* path) {
    // The console's handler runs on a thread of its own: it may allocate.
    removeTree(longPath(path));
}

bool makeFolder(const std::string& path, std::string& reason, bool& taken) {
    if (CreateDirectoryW(systemPath(path).c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
    reason = windowsReason(error);
    return false;
}

std::size_t writeSome(int fd, const void* data, std::size_t size, std::int64_t offset,
                      std::string& reason) {
    // At the file's position without an OVERLAPPED, else at `offset`.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD n = 0;
    if (!WriteFile(handleOf(fd), data, static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30)), &n,
                   offset < 0 ? nullptr : &at))
        reason = lastReason();
    else if (n == 0)
        reason = reasonOf(ENOSPC);
    return n;
}

void removeNative(const wchar_t* path) {
    DeleteFileW(path);
}

void blockTerminationSignals() {}

}  // namespace files

using namespace files;

InputFile::InputFile(const std::string& path, std::string name) : name_(std::move(name)) {
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw CommandFailure(path + " is a folder, not a file");
    fd_ = openDescriptor(path, false);
    if (fd_ < 0) throw CommandFailure("cannot open " + path + ": " + lastReason());
    LARGE_INTEGER size{};
    if (GetFileType(handleOf(fd_)) != FILE_TYPE_DISK || !GetFileSizeEx(handleOf(fd_), &size)) {
        ::_close(std::exchange(fd_, -1));
        throw CommandFailure(path + " is not a regular file (a device, FIFO or socket)");
    }
    size_ = static_cast<std::int64_t>(size.QuadPart);
}

std::size_t InputFile::read(void* data, std::size_t size) {
    if (fd_ < 0) return 0;
    const int n = ::_read(fd_, data, static_cast<unsigned>(std::min<std::size_t>(size, 1 << 30)));
    if (n < 0) throw CommandFailure("cannot read " + name_ + ": " + reasonOf(errno));
    return static_cast<std::size_t>(n);
}

std::size_t InputFile::readAt(void* data, std::size_t size, std::int64_t offset) const {
    if (fd_ < 0) return 0;
    // A read at an offset on a handle opened for plain (not overlapped) I/O.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD got = 0;
    if (!ReadFile(handleOf(fd_), data, static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30)),
                  &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) return 0;
        throw CommandFailure("cannot read " + name_ + ": " + lastReason());
    }
    return got;
}

OutputFile::OutputFile(std::string target, std::string name)
    : target_(std::move(target)), name_(std::move(name)) {
    const std::string folder = folderOf(target_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(folder, temporaryName());
        // In the clean-up table before it exists, so Ctrl+C never misses it.
        slot_ = registerTemporary(candidate);
        // CREATE_NEW never opens an existing file or link.
        fd_ = openDescriptor(candidate, true);
        if (fd_ >= 0) {
            temporary_ = std::move(candidate);
            return;
        }
        unregisterTemporary(std::exchange(slot_, -1));
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw CommandFailure("cannot create " + name_ + " in " + folder + ": " + lastReason());
}

bool OutputFile::linkTemporary(const std::string& source) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(folderOf(target_), temporaryName());
        slot_ = registerTemporary(candidate);
        if (CreateHardLinkW(systemPath(candidate).c_str(), systemPath(source).c_str(), nullptr)) {
            temporary_ = std::move(candidate);
            linked_ = true;
            return true;
        }
        const DWORD error = GetLastError();
        unregisterTemporary(std::exchange(slot_, -1));
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

void OutputFile::prepare() {
    if (fd_ < 0 && !linked_) throw CommandFailure("cannot write " + name_ + ": it is closed");
    const DWORD found = GetFileAttributesW(systemPath(target_).c_str());
    replacing_ = found != INVALID_FILE_ATTRIBUTES;
    if (replacing_ && (found & FILE_ATTRIBUTE_DIRECTORY)) {
        abandon();
        throw CommandFailure("cannot replace " + target_ + ": it is a folder");
    }
    const std::optional<DWORD> attributes = replacedAttributes(target_);
    // A file with the read-only attribute stays; one that is replaced
    // gives its name only to a new file that is on the disk.
    if (attributes && (*attributes & FILE_ATTRIBUTE_READONLY)) {
        abandon();
        throw CommandFailure("cannot replace " + target_ + ": it is read-only");
    }
    // A second name of a file on the disk keeps that file's attributes.
    if (linked_) return;
    if (attributes && !FlushFileBuffers(handleOf(fd_))) {
        const std::string reason = lastReason();
        abandon();
        throw CommandFailure("cannot write " + name_ + ": " + reason);
    }
    if (closeDescriptor(std::exchange(fd_, -1)) != 0) {
        const int error = errno;
        abandon();
        throw CommandFailure("cannot write " + name_ + ": " + reasonOf(error));
    }
    if (attributes && (*attributes & kKeptAttributes))
        SetFileAttributesW(systemPath(temporary_).c_str(), *attributes & kKeptAttributes);
}

void OutputFile::place() {
    // A file is replaced with the old one kept under a unique name, which
    // the target never goes without; anything else (nothing, a link) is
    // replaced by a rename. Readers see either the old or the new file
    // whole. The file system finds a name in any letter case, so there are
    // no letter-case variants to remove.
    if (replacedAttributes(target_)) {
        std::string backup = joinPath(folderOf(target_), temporaryName());
        backupSlot_ = registerTemporary(backup);
        if (ReplaceFileW(systemPath(target_).c_str(), systemPath(temporary_).c_str(),
                         systemPath(backup).c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                         nullptr)) {
            backup_ = std::move(backup);
            release();
            placed_ = true;
            return;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
            error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // The old file went to the backup name, the new one stayed.
            backup_ = std::move(backup);
            movedAway_ = true;
        } else {
            unregisterTemporary(std::exchange(backupSlot_, -1));
        }
        throw CommandFailure("cannot replace " + target_ + ": " + windowsReason(error));
    }
    if (!renamePath(temporary_, target_))
        throw CommandFailure("cannot replace " + target_ + ": " + lastReason());
    release();
    placed_ = true;
}

void OutputFile::finish(bool) {
    if (!backup_.empty()) removePath(backup_);
    unregisterTemporary(std::exchange(backupSlot_, -1));
    backup_.clear();
}

// Windows has no pipes the kernel splices files through: every copy goes
// through a buffer.
StreamCopy::StreamCopy(OutputFile& to, std::int64_t offset) : to_(to), position_(offset) {}

std::int64_t StreamCopy::append(const InputFile& from, std::int64_t fromOffset,
                                std::int64_t count) {
    if (!to_.isOpen()) throw CommandFailure("cannot write " + to_.name() + ": it is closed");
    return appendThroughBuffer(from, fromOffset, count);
}

void StreamCopy::drain(std::int64_t) {}

void removeCaseVariants(const std::string&) {
    // The file system finds a name in any letter case: the rename replaced
    // the one file of this name, which may keep its old spelling and must
    // not be taken for another.
}

void requireReplaceable(const std::string& path, std::string_view display) {
    const DWORD found = GetFileAttributesW(systemPath(path).c_str());
    if (found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY))
        throw CommandFailure("cannot replace " + std::string(display) + ": it is a folder");
    const std::optional<DWORD> attributes = replacedAttributes(path);
    if (attributes && (*attributes & FILE_ATTRIBUTE_READONLY))
        throw CommandFailure("cannot replace " + std::string(display) + ": it is read-only");
}

void removeFile(const std::string& path, std::string_view name) {
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        throw CommandFailure("cannot delete " + std::string(name) + ": " +
                             (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                                  ? std::string("no such file")
                                  : windowsReason(error)));
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        throw CommandFailure(std::string(name) + " is a folder, not a file");
    if (!removePath(path))
        throw CommandFailure("cannot delete " + std::string(name) + ": " + lastReason());
}

namespace {

// What the system keeps of the file or folder at `path`, opened for no
// access; false when it cannot be opened.
bool fileInformation(const std::string& path, bool followLinks, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE file = CreateFileW(
        nativeText(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
}

}  // namespace

std::optional<FileIdentity> fileIdentity(const std::string& path, bool followLinks) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!fileInformation(path, followLinks, info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!fileInformation(path, true, info)) return std::nullopt;
    return FileStamp{
        {info.dwVolumeSerialNumber, std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow},
        std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow,
        static_cast<std::int64_t>(std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32 |
                                  info.ftLastWriteTime.dwLowDateTime)};
}

std::vector<FolderEntry> listFolder(const std::string& path, std::string& error) {
    std::vector<FolderEntry> entries;
    std::wstring pattern = longPath(widen(path));
    if (!pattern.ends_with(L'\\')) pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) error = lastReason();
        return entries;
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const bool reparse = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back({narrow(name),
                           (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                               ? FolderEntry::Kind::Folder
                               : FolderEntry::Kind::File,
                           reparse && (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
                                       found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT)});
    } while (FindNextFileW(search, &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) error = lastReason();
    FindClose(search);
    return entries;
}

std::optional<std::string> otherLongName(const std::string& path) {
    const std::string asked = path.substr(lastPartAt(path));
    // A pattern would find other names by design; such names are refused
    // as file names anyway.
    if (asked.find_first_of("*?") != std::string::npos) return std::nullopt;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(systemPath(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(search);
    std::string name = narrow(found.cFileName);
    if (equalsIgnoringCase(name, asked)) return std::nullopt;
    return name;
}

PathKind pathKind(const std::string& path, std::string& error) {
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD reason = GetLastError();
        if (reason != ERROR_FILE_NOT_FOUND && reason != ERROR_PATH_NOT_FOUND)
            error = windowsReason(reason);
        return PathKind::Missing;
    }
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? PathKind::Link
           : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? PathKind::Folder
                                                       : PathKind::File;
}

void renameToNew(const std::string& from, const std::string& to, std::string_view display) {
    // Without MOVEFILE_REPLACE_EXISTING nothing is replaced.
    if (!MoveFileExW(systemPath(from).c_str(), systemPath(to).c_str(), 0))
        throw CommandFailure("cannot create " + std::string(display) + ": " + lastReason());
}

std::optional<std::string> finalPath(const std::string& path) {
    const std::wstring system = systemPath(path);
    const HANDLE file =
        CreateFileW(system.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::wstring final(GetFinalPathNameByHandleW(file, nullptr, 0, VOLUME_NAME_DOS), L'\0');
    final.resize(GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                           VOLUME_NAME_DOS));
    CloseHandle(file);
    if (final.empty()) {
        // Where the system cannot say (wine, for a long path), the full path
        // is the final one when no part of it is a link.
        final = longPath(system);
        for (std::size_t at = final.find(L'\\', 7); at != std::wstring::npos;
             at = final.find(L'\\', at + 1)) {
            const DWORD attributes = GetFileAttributesW(final.substr(0, at).c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES ||
                (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                return std::nullopt;
        }
        const DWORD attributes = GetFileAttributesW(final.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return std::nullopt;
    }
    if (final.starts_with(L"\\\\?\\UNC\\"))
        final = L"\\" + final.substr(7);
    else if (final.starts_with(L"\\\\?\\"))
        final = final.substr(4);
    return narrow(final);
}

SignalsDeferred::SignalsDeferred() : deferred_(true) {
    AcquireSRWLockExclusive(&deferring);
}

SignalsDeferred::~SignalsDeferred() {
    ReleaseSRWLockExclusive(&deferring);
}

void removeTemporaryFilesOnSignals() {
    SetConsoleCtrlHandler(removeTemporariesAndEnd, TRUE);
}

}  // namespace z5
