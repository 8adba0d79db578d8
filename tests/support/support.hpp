// Shared test fixtures: a scripted Host, a scratch folder, byte builders.
// A plain library without a test framework, so the fuzz targets use it too.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/host.hpp"

namespace z5::test {

// A Host whose dialogs answer with preset names and which records what the
// command showed.
class FakeHost : public Host {
public:
    explicit FakeHost(std::string folder) : folder(std::move(folder)) {}

    std::optional<std::string> openFileName(std::string_view filter) override {
        filters.emplace_back(filter);
        return answer;
    }
    std::optional<std::string> saveFileName(std::string_view filter,
                                            const std::string& initialFolder,
                                            const std::string& proposedName) override {
        filters.emplace_back(filter);
        saveFolders.push_back(initialFolder);
        proposedNames.push_back(proposedName);
        return answer;
    }
    std::string workingFolder() override { return folder; }
    void setCaption(const std::string& caption) override { captions.push_back(caption); }
    void setBusy(bool busy) override { busyChanges.push_back(busy); }
    void messageBox(const std::string& text, const std::string& title) override {
        messages.emplace_back(text, title);
        busyAtMessage.push_back(!busyChanges.empty() && busyChanges.back());
    }

    void notice(const std::string& line) override { notices.push_back(line); }
    Strictness strictness() override { return reading; }
    // Each departure is kept, and noticed as a line as well.
    void diagnostic(const Diagnostic& d) override {
        diagnostics.push_back(d);
        notice(diagnosticLine(d));
    }

    std::string folder;
    Strictness reading = Strictness::Standard;
    std::vector<std::string> notices;
    std::vector<Diagnostic> diagnostics;
    std::optional<std::string> answer;
    std::vector<std::string> filters;
    std::vector<std::string> saveFolders;
    std::vector<std::string> proposedNames;
    std::vector<std::string> captions;
    std::vector<bool> busyChanges;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<bool> busyAtMessage;
};

// A fresh folder under the system's temporary folder, removed afterwards.
// `label` starts its name, so a folder left by a crash tells who made it.
class TempFolder {
public:
    explicit TempFolder(std::string_view label = "z5test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Paths as the program holds them (UTF-8 on Windows).
    std::string str() const;
    std::string file(std::string_view name) const;

private:
    std::filesystem::path path_;
};

// Paths here are as the program holds them (UTF-8 on Windows).
void writeFile(const std::string& path, std::string_view bytes);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> folderNames(const std::string& folder);
// An entry of a folder as it is: a file with its bytes, a folder, or a
// symbolic link (never followed) with its target. No content of a file can
// pass for a folder or a link.
struct DiskEntry {
    enum class Kind { File, Folder, Link };
    Kind kind = Kind::File;
    std::string bytes;  // a file's content, a link's target
    static DiskEntry file(std::string bytes) { return {Kind::File, std::move(bytes)}; }
    bool operator==(const DiskEntry&) const = default;
};
// "folder", "link to TARGET", or the bytes of a file quoted, with \xNN for
// bytes outside printable ASCII: for a test's failure message.
std::ostream& operator<<(std::ostream& out, const DiskEntry& entry);
// Every entry of a folder, followed with `deep` into its folders (their
// entries named "folder/name").
std::map<std::string, DiskEntry> folderFiles(const std::string& folder, bool deep = false);
// Removes everything inside a folder.
void emptyFolder(const std::string& folder);
// What the file at `path` holds once it holds `expected`, else what it held
// when a minute had passed ("" when it could not be read): for a file that a
// started program writes, which may be missing, locked or half-written for
// as long as that program runs.
std::string contentOnceItHolds(const std::string& path, std::string_view expected);

#ifndef _WIN32
// Runs `body` in a child process that removes its temporary files on
// signals, as the tool does; the signal that ended the child, or 0.
int signalThatEnds(const std::function<void()>& body);
#endif

// The 32-bit little-endian value at `offset`; bytes past the end are zero.
std::int32_t valueAt(std::string_view bytes, std::size_t offset);

// Lines joined with CR LF, each line ended.
std::string crlf(std::initializer_list<std::string_view> lines);

// A CR LF text cut into its lines and joined again (each line ended), for
// tests that edit a written definition file line by line.
std::vector<std::string> splitCrlf(std::string_view text);
// The same for lines ended by `end` ("\n").
std::vector<std::string> splitLines(std::string_view text, std::string_view end);
std::string joinCrlf(const std::vector<std::string>& lines);

// A member of a .dat archive; a second size of -1 equals the size.
struct Member {
    std::string name, data;
    std::uint8_t tag = 5;
    std::int32_t size2 = -1;
};
// An archive as pack writes it (unless a member says otherwise).
std::string archive(const std::vector<Member>& members);

// Little-endian byte builder for test inputs.
class Bytes {
public:
    Bytes& u8(std::uint8_t v);
    Bytes& i16(std::int16_t v);
    Bytes& i32(std::int32_t v);
    Bytes& f32(float v);
    Bytes& text(std::string_view s);                      // the characters, no terminator
    Bytes& fixed(std::string_view s, std::size_t width);  // zero-padded or cut
    Bytes& fill(std::size_t count, std::uint8_t v = 0);
    const std::string& str() const { return data_; }
    std::size_t size() const { return data_.size(); }

private:
    std::string data_;
};

}  // namespace z5::test
