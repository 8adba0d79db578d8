// Runs converter commands on fuzzed input in a private working folder and
// checks what every run must keep to: it ends as done or as a failure with
// a one-line reason, and it leaves no file behind that it should not.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "textfmt/command.hpp"

namespace z5::fuzz {

class Harness : public Host {
  public:
    explicit Harness(std::string_view name)
        : root_(std::filesystem::temp_directory_path() /
                ("z5fuzz-" + std::string(name) + "-" + std::to_string(getpid()))),
          folder_(root_ / "work") {
        std::filesystem::create_directories(folder_);
    }

    // Empties the working folder and writes `bytes` into it as `name`.
    void start(std::string_view name, std::string_view bytes) {
        for (const auto& entry : std::filesystem::directory_iterator(folder_))
            std::filesystem::remove_all(entry.path());
        write(name, bytes);
        chosen_ = path(name);
    }

    void write(std::string_view name, std::string_view bytes) const {
        std::ofstream(path(name), std::ios::binary).write(bytes.data(), std::ssize(bytes));
    }
    std::string read(std::string_view name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string path(std::string_view name) const { return (folder_ / name).string(); }

    // Runs a command and checks its outcome; true when it succeeded.
    bool run(Outcome (*command)(Host&)) {
        const Outcome outcome = command(*this);
        if (outcome.status == Status::Cancelled) std::abort();
        if (outcome.status == Status::Failed &&
            (outcome.reason.empty() || outcome.reason.find('\n') != std::string::npos))
            std::abort();
        // Nothing is written beside the working folder.
        if (std::distance(std::filesystem::directory_iterator(root_), {}) != 1) std::abort();
        return outcome.status == Status::Done;
    }

    // The names now in the working folder.
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_))
            names.insert(entry.path().filename().string());
        return names;
    }

    std::optional<std::string> openFileName(std::string_view) override { return chosen_; }
    std::optional<std::string> saveFileName(std::string_view, const std::string&) override {
        return chosen_;
    }
    std::string workingFolder() override { return folder_.string(); }
    void setCaption(const std::string&) override {}
    void setBusy(bool) override {}
    void messageBox(const std::string&, const std::string&) override {}

  private:
    std::filesystem::path root_;
    std::filesystem::path folder_;
    std::string chosen_;
};

// The 32-bit little-endian value at `offset`, zero past the end of `bytes`.
inline std::int32_t valueAt(std::string_view bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        if (offset + i < bytes.size())
            v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[offset + i]))
                 << (8 * i);
    return static_cast<std::int32_t>(v);
}

// `bytes` cut or filled with zeros to `size`.
inline std::string resized(std::string_view bytes, std::size_t size) {
    std::string out(bytes.substr(0, size));
    out.resize(size, '\0');
    return out;
}

}  // namespace z5::fuzz
