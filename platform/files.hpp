// The file system seam: every file a command reads or writes is opened here,
// so the platform's file API is used in one place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace z5 {

// A regular file opened for reading. Folders, devices and FIFOs are refused
// with a reason: reading /dev/zero would never end, and opening a FIFO would
// wait for a writer.
class InputFile {
public:
    // `name` is how failure reasons refer to the file.
    InputFile(const std::string& path, std::string name);
    // A file of `size` bytes that the caller already holds: nothing is
    // opened and reads give nothing more.
    InputFile(std::string name, std::int64_t size) : name_(std::move(name)), size_(size) {}
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    ~InputFile();

    // Up to `size` bytes; 0 only at the end of the file.
    std::size_t read(void* data, std::size_t size);
    // Up to `size` bytes from byte `offset` on; 0 only at or past the end.
    // Several threads may read one file this way at once. On Windows it may
    // move the position read() continues from, so a file is read one way or
    // the other.
    std::size_t readAt(void* data, std::size_t size, std::int64_t offset) const;
    // The length of the file when it was opened.
    std::int64_t size() const { return size_; }
    const std::string& name() const { return name_; }
    // The open file's descriptor, -1 for bytes held in memory.
    int descriptor() const { return fd_; }

private:
    int fd_ = -1;
    std::string name_;
    std::int64_t size_ = 0;
};

// An output being written. Its bytes go to a fresh temporary file in the
// target's folder (on Linux a file without a name, elsewhere a unique name
// created exclusively; never through a link; with the mode a plain create
// gives), which replaces the target only in commit(). Without commit the
// temporary file is removed and the target is exactly as it was: a failure
// never leaves a partial or emptied file.
class OutputFile {
public:
    OutputFile(std::string target, std::string name);
    // An output holding the bytes the file `source` has now: a second name
    // of that file where the file system links files, so nothing is copied
    // (no output is ever written through a name, so neither name changes
    // what the other holds), else a copy. Put in place as any output.
    static OutputFile copyOf(const std::string& source, std::string target, std::string name);
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    ~OutputFile();

    void write(const void* data, std::size_t size);
    // Writes at byte `offset`, wherever the file's position is; several
    // threads may write to different places of one file at once.
    void writeAt(const void* data, std::size_t size, std::int64_t offset);
    // Puts the complete file in place of its target: commitTogether with
    // this output alone.
    void commit(bool replaceCaseVariants = false);
    // Closes and removes the temporary file. Doing it twice does nothing.
    void abandon();

    bool isOpen() const { return fd_ >= 0; }
    // True once a write has failed: what was written is not what was meant.
    bool broken() const { return broken_; }
    const std::string& target() const { return target_; }
    const std::string& name() const { return name_; }
    int descriptor() const { return fd_; }

private:
    friend void commitTogether(const std::vector<std::pair<OutputFile*, bool>>& outputs);
    OutputFile() = default;
    // Gives `source` a unique second name beside the target as this
    // output's temporary file; false when the file system does not link it.
    bool linkTemporary(const std::string& source);
    void release();
    // Writes everything at `offset`, or at the file's position when it is
    // negative.
    void writeAll(const void* data, std::size_t size, std::int64_t offset);
    // The steps of commitTogether. prepare() checks the target and puts the
    // file on the disk when it replaces one; place() keeps the old file
    // under a temporary name and puts the new one in its place; restore()
    // undoes place() (false when the old file could not be put back: then
    // backup() holds it); finish() lets the old file go.
    void prepare();
    void place();
    bool restore();
    void finish(bool replaceCaseVariants);
    // Gives a file opened without a name the target's name, or a unique
    // name beside it when the target exists; false with errno set.
    bool nameUnnamed();
    int fd_ = -1;
    std::string target_;
    std::string name_;
    std::string temporary_;
    int slot_ = -1;  // in the table the signal handler cleans up
    bool broken_ = false;
    bool linked_ = false;     // the temporary file is a second name of another file
    bool replacing_ = false;  // something had the target's name
    bool placed_ = false;     // the new file has the target's name
    bool movedAway_ = false;  // the old file lost the name to backup_
    std::string backup_;      // the old file's other name
    int backupSlot_ = -1;
};

// Puts complete outputs in place together, in their order; `true` beside an
// output removes its target's letter-case variants afterwards (see
// BufferedOutput). Every target is checked first (a folder or a read-only
// file is refused) and every file that replaces one is on the disk; then
// each takes its target's name while the old file stays reachable under a
// temporary name. When one cannot be put in place, those before it get
// their old files back (or are removed when they replaced nothing), so a
// failure leaves every target as it was; a restore that fails too is
// named in the reason, with the temporary name that keeps the old file.
void commitTogether(const std::vector<std::pair<OutputFile*, bool>>& outputs);

// An output written through a buffer: what the text and binary writers share.
// close() completes the file and puts it in place of the target; a writer
// destroyed or discarded before that leaves the target as it was.
class BufferedOutput {
public:
    // `name` is how failure reasons refer to the file (usually the bare file
    // name). A fixed output name (`fixedName`) replaces its letter-case
    // variants in the folder when the file is complete.
    BufferedOutput(const std::string& path, std::string name, bool fixedName);
    BufferedOutput(BufferedOutput&&) noexcept = default;
    BufferedOutput& operator=(BufferedOutput&&) noexcept = default;

    // Writes what is buffered to the temporary file, so it can be read back.
    void flush();
    // Completes the file: a write error becomes a CommandFailure and the
    // target stays as it was. Closing a closed writer does nothing.
    void close();
    // Whether the output replaces its target's letter-case variants.
    bool fixedName() const { return fixedName_; }
    // Puts what was written so far in place of the target, for the outputs
    // that show how far a failed command got. Unless a write failed: then
    // the target stays as it was.
    void closePartial();
    // Leaves the target as it was and removes what was written.
    void discard();
    bool isOpen() const { return file_.isOpen(); }
    const std::string& name() const { return file_.name(); }
    const std::string& path() const { return file_.target(); }
    // Writes what is buffered and hands out the file itself, for copies the
    // kernel makes at chosen places in it; nothing is appended afterwards.
    OutputFile& flushedFile() {
        flush();
        return file_;
    }

protected:
    void append(std::string_view bytes) {
        // Most appends are a few bytes that fit: no call for them.
        if (buffer_.size() + bytes.size() <= kBufferSize && file_.isOpen())
            buffer_.append(bytes);
        else
            appendSlow(bytes);
    }

private:
    static constexpr std::size_t kBufferSize = 1 << 16;
    void appendSlow(std::string_view bytes);
    OutputFile file_;
    bool fixedName_;
    std::string buffer_;
};

// The bytes of a regular file, at most `limit` of them; failures name the
// file as `name`.
std::string readFileBytes(const std::string& path, std::string name,
                          std::size_t limit = std::string::npos);

// Copies pieces of files into one output, one after another from a given
// byte on, without a pass through this process: the kernel moves the bytes
// through a pipe of this object's own and writes them in large pieces that
// begin on page boundaries of the output, wherever the pieces lie in their
// files. (A kernel copy of each piece on its own, at an odd offset, leaves
// the output's pages small and costs about a fifth more.) Where the system
// has no such pipes (Windows), or refuses them for a file, the bytes go
// through a buffer. Nothing is in the output before flush(). One thread
// uses one StreamCopy; several may copy out of one file at once.
class StreamCopy {
public:
    StreamCopy(OutputFile& to, std::int64_t offset);
    StreamCopy(const StreamCopy&) = delete;
    StreamCopy& operator=(const StreamCopy&) = delete;
    ~StreamCopy();

    // Appends up to `count` bytes of `from`, from byte `fromOffset` on.
    // Returns the bytes taken: fewer only when `from` ended.
    std::int64_t append(const InputFile& from, std::int64_t fromOffset, std::int64_t count);
    // Appends bytes held in memory.
    void append(const void* data, std::size_t size);
    // Writes what the pipe still holds.
    void flush();

private:
    // Through a buffer: on Windows, for a file the kernel does not splice,
    // and to tell the real end of the input.
    std::int64_t appendThroughBuffer(const InputFile& from, std::int64_t fromOffset,
                                     std::int64_t count);
    void drain(std::int64_t count);
    void drainToPieceEnd();
    OutputFile& to_;
    std::int64_t position_;    // where the bytes in the pipe begin in the output
    std::int64_t inPipe_ = 0;  // bytes in the pipe
    std::int64_t piece_ = 0;   // output bytes written at a time
    int pipe_[2] = {-1, -1};   // read and write ends; -1 without a pipe
};

// Removes the files and links in the folder of `path` whose names equal its
// name but for letter case (never `path` itself, never a folder). On Windows,
// where the file system finds a name in any letter case, there are none.
void removeCaseVariants(const std::string& path);

// Throws CommandFailure naming `display` when `path` is something an
// output must not replace: a folder, or a file without any write
// permission (the read-only attribute on Windows), whoever runs the
// command.
void requireReplaceable(const std::string& path, std::string_view display);

// Removes one file or link by its exact name (never a folder).
void removeFile(const std::string& path, std::string_view name);

// The system's folder for temporary files; fails with one line naming why
// when it has none (never falls back to the current folder).
std::string systemTemporaryFolder();

// A new folder of this process's own in `parent`, named `prefix` and a
// random number, removed with everything in it when the object ends, and by
// the signals that remove temporary outputs (see
// removeTemporaryFilesOnSignals) if they end the program first: it is in
// their table before it exists, and stays there until it is gone, so that
// a signal while it is being removed finishes the removal. `what` names it
// in the failure reason ("a work folder beside ws").
class TemporaryFolder {
public:
    TemporaryFolder(const std::string& parent, std::string_view prefix, std::string_view what);
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int slot_;
};

// What a path names, its last part not followed when it is a link (a
// symbolic link or junction): nothing, a file, a folder, a link, or
// something else (a FIFO, device or socket).
enum class PathKind { Missing, File, Folder, Link, Other };
// When the system cannot tell (a path longer than it takes, a folder that
// may not be searched), `error` gets its reason and Missing is returned.
PathKind pathKind(const std::string& path, std::string& error);

// Makes the folder `path`, however long its path is (on Windows the long
// ones go through \\?\ paths); a failure, also when the name is taken,
// names it as `display`.
void createFolder(const std::string& path, std::string_view display);

// Removes the file, link or folder `path`, a folder with everything in it;
// links in it are removed, never followed. What cannot be removed stays.
void removeAll(const std::string& path);

// Gives the file or folder `from` the name `to` in the same file system,
// never replacing what has that name; a failure names `to` as `display`.
void renameToNew(const std::string& from, const std::string& to, std::string_view display);

// The absolute path of what `path` leads to, every link on the way
// followed; nullopt when it leads nowhere.
std::optional<std::string> finalPath(const std::string& path);

// While one exists, the signals of removeTemporaryFilesOnSignals wait (on
// Windows: their clean-up waits): a step that must not be cut in half,
// such as files moved one by one into a user's folder, completes first.
// One at a time, on the thread that handles the signals.
class SignalsDeferred {
public:
    SignalsDeferred();
    SignalsDeferred(const SignalsDeferred&) = delete;
    SignalsDeferred& operator=(const SignalsDeferred&) = delete;
    ~SignalsDeferred();

private:
    bool deferred_ = false;
};

// What a path names, its links followed (or, with `followLinks` false, a
// link itself), told apart from every other file or folder on the system
// (device and inode; volume serial and file index on Windows), however it
// is spelled. nullopt when it cannot be found.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    auto operator<=>(const FileIdentity&) const = default;
};
std::optional<FileIdentity> fileIdentity(const std::string& path, bool followLinks = true);

// What the system tells of a file, its links followed, without reading it:
// which file it is, its size and when it was last written. A save changes
// it (one that writes a new file and renames it over the old one changes
// which file it is). nullopt when nothing is found there.
struct FileStamp {
    FileIdentity identity;
    std::uint64_t size = 0;
    std::int64_t written = 0;  // in the system's own units
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
std::optional<FileStamp> fileStamp(const std::string& path);

// On Windows, when the last part of `path` finds an existing file or folder
// whose name is another (an 8.3 short name such as IMPO~M4F.TRK, or the
// name without trailing dots and blanks), that name; nullopt when the name
// is its own or nothing has it, and always elsewhere.
std::optional<std::string> otherLongName(const std::string& path);

// An entry of a folder: its name, what it is (a link followed), and
// whether it is a link (a symbolic link or junction).
struct FolderEntry {
    enum class Kind { File, Folder, Other };  // Other: a FIFO, device or socket
    std::string name;
    Kind kind = Kind::File;
    bool link = false;
};
// The entries of a folder but "." and "..", in the order the system gives
// them, however long its path (on Windows through a \\?\ path). When
// reading stops early, `error` gets the system's reason and the entries
// read so far are returned. A link whose target is gone counts as a file,
// so that opening it gives the reason.
std::vector<FolderEntry> listFolder(const std::string& path, std::string& error);

// From now on SIGINT and SIGTERM (on Windows: Ctrl+C, Ctrl+Break and the
// console closing) remove every temporary output before the program ends as
// it would have ended.
void removeTemporaryFilesOnSignals();

}  // namespace z5
