// Runs converter commands on fuzzed input in a private working folder and
// checks what every run keeps to: it ends done or failed with a one-line
// reason, and writes nothing beside its working folder.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "textfmt/command.hpp"

namespace z5::fuzz {

namespace fs = std::filesystem;

inline void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::ssize(bytes));
}

inline std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class Harness : public Host {
public:
    explicit Harness(const std::string& name)
        : root_(fs::temp_directory_path() / ("z5fuzz-" + name + "-" + std::to_string(getpid()))) {
        fs::create_directories(root_ / "work");
    }
    ~Harness() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Empties the working folder and writes `bytes` into it as the chosen file.
    void start(const std::string& name, std::string_view bytes) {
        for (const auto& entry : fs::directory_iterator(root_ / "work")) fs::remove_all(entry);
        write(name, bytes);
        answer(name);
    }
    void write(const std::string& name, std::string_view bytes) const {
        writeBytes(path(name), bytes);
    }
    std::string read(const std::string& name) const { return readBytes(path(name)); }
    std::string path(const std::string& name) const { return (root_ / "work" / name).string(); }
    // The file the open and save dialogs answer with from now on.
    void answer(const std::string& name) { chosen_ = path(name); }
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(root_ / "work"))
            names.insert(entry.path().filename().string());
        return names;
    }

    // Runs a command, checks its outcome; true when it succeeded.
    bool run(Outcome (*command)(Host&)) {
        const Outcome o = command(*this);
        const bool done = o.status == Status::Done;
        if (!done && (o.status != Status::Failed || o.reason.empty() ||
                      o.reason.find('\n') != std::string::npos))
            std::abort();
        if (std::distance(fs::directory_iterator(root_), {}) != 1) std::abort();
        return done;
    }

    std::optional<std::string> openFileName(std::string_view) override { return chosen_; }
    std::optional<std::string> saveFileName(std::string_view, const std::string&) override {
        return chosen_;
    }
    std::string workingFolder() override { return (root_ / "work").string(); }
    void setCaption(const std::string&) override {}
    void setBusy(bool) override {}
    void messageBox(const std::string&, const std::string&) override { ++messages; }
    void notice(const std::string& line) override {
        if (line.empty() || line.find('\n') != std::string::npos) std::abort();
    }

    int messages = 0;  // boxes shown: "DONE" or a stage message

private:
    fs::path root_;
    std::string chosen_;
};

// The 32-bit little-endian value at `offset`; bytes past the end are zero.
inline std::int32_t valueAt(std::string_view bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4 && offset + i < bytes.size(); ++i)
        v |= std::uint32_t(std::uint8_t(bytes[offset + i])) << (8 * i);
    return static_cast<std::int32_t>(v);
}

// `bytes` cut or filled with zeros to `size`.
inline std::string resized(std::string_view bytes, std::size_t size) {
    std::string out(bytes.substr(0, size));
    out.resize(size, '\0');
    return out;
}

inline std::size_t blocks(std::int32_t count) {
    return std::size_t(std::max(count, 0));
}

// Counts of many blocks write megabytes of text and slow the fuzzer to a
// crawl; the tests cover the largest count. Refused counts stay in.
inline bool worthRunning(std::int32_t count) {
    return count <= 64 || count > 32767;
}

}  // namespace z5::fuzz
