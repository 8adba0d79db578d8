// What files.cpp shares with the half for this system (files_posix.cpp or
// files_win32.cpp): small system calls under one name, and the table of
// temporary files the signal handler removes. Not for use outside platform/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace z5::files {

#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif

// The system's reason for the last failed call, in the words the C library
// uses where there are such words.
std::string lastReason();
std::string reasonOf(int error);
// Writes some of `size` bytes to `fd`: at byte `offset`, or at the file's
// position when `offset` is negative. The count written; 0 when nothing
// could be, with the reason in `reason`.
std::size_t writeSome(int fd, const void* data, std::size_t size, std::int64_t offset,
                      std::string& reason);
// Removes a file or link by its name; false when the system refuses.
bool removePath(const std::string& path);
// Gives the file `from` the name `to`, replacing what had it; false when
// the system refuses.
bool renamePath(const std::string& from, const std::string& to);
int closeDescriptor(int fd);
// Makes a folder; false when the system refuses, with its reason and
// whether something had the name already.
bool makeFolder(const std::string& path, std::string& reason, bool& taken);
int processId();
// The path as the system takes it, for the signal handler's table.
std::basic_string<NativeChar> nativeText(const std::string& path);

// Where the last part of a path begins, and the folder part of a path
// ("." for a bare name), for the temporary file beside the target.
std::size_t lastPartAt(const std::string& path);
std::string folderOf(const std::string& path);

// A name no other output uses: ".z5-" and 10 random letters and digits.
std::string temporaryName();

// Temporary files in progress, which a signal removes. registerTemporary
// gives the slot to pass to unregisterTemporary (-1 when the table is full);
// removeTemporaries may run in a signal handler.
// A folder (`folder`) is removed with everything in it, after the files.
int registerTemporary(const std::string& path, bool folder = false);
void unregisterTemporary(int slot);
void removeTemporaries();
// Removes one file by its native name, safely inside a signal handler.
void removeNative(const NativeChar* path);
// Removes a file, link or folder (a folder with everything in it, links
// in it never followed) by its native name, as safely.
void removeNativeFolder(const NativeChar* path);

// Keeps SIGINT, SIGTERM and SIGHUP away from the calling thread, so that
// only the main thread runs the handler (nothing on Windows, where the
// handler runs on a thread of its own).
void blockTerminationSignals();

}  // namespace z5::files
