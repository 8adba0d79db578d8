// Unpack on arbitrary bytes: it either fails with a reason or succeeds, never
// writes outside its working folder, and what it unpacked packs and unpacks
// again to the same files.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "commands/handlers.hpp"

namespace {

namespace fs = std::filesystem;

class QuietHost : public z5::Host {
public:
    std::string answer, folder;
    std::optional<std::string> openFileName(std::string_view) override { return answer; }
    std::optional<std::string> saveFileName(std::string_view, const std::string&) override {
        return std::nullopt;
    }
    std::string workingFolder() override { return folder; }
    void setCaption(const std::string&) override {}
    void setBusy(bool) override {}
    void messageBox(const std::string&, const std::string&) override {}
    void notice(const std::string&) override {}
};

// Every file of a folder with its bytes.
std::map<std::string, std::string> contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) {
        std::ifstream f(e.path(), std::ios::binary);
        files[e.path().filename().string()].assign(std::istreambuf_iterator<char>(f), {});
    }
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path base =
        fs::temp_directory_path() / ("z5fuzz-archive-" + std::to_string(getpid()));
    // Longer than any member name, so no member can be the input archive.
    static const std::string input = "fuzz-input-archive.dat";
    fs::remove_all(base);
    fs::create_directories(base / "work");
    fs::create_directories(base / "again");
    std::ofstream(base / input, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    QuietHost host;
    host.answer = (base / input).string();
    host.folder = (base / "work").string();
    const z5::Outcome first = z5::mnuUnpack_Click(host);
    for (const auto& e : fs::directory_iterator(base)) {
        const std::string name = e.path().filename().string();
        if (name != input && name != "work" && name != "again") std::abort();
    }
    if (first.status != z5::Status::Done) {
        if (first.reason.empty()) std::abort();
        return 0;
    }

    const int count = size >= 2 ? data[0] + 256 * data[1] : 0;
    host.answer = (base / "work" / "dattext.pck").string();
    const z5::Outcome packed = z5::mnuPack_Click(host);
    if (packed.status != z5::Status::Done) {
        if (count <= 1213) std::abort();  // only the pack limit may stop it
        return 0;
    }
    host.answer = (base / "work" / input).string();
    host.folder = (base / "again").string();
    if (z5::mnuUnpack_Click(host).status != z5::Status::Done) std::abort();
    auto unpacked = contents(base / "work");
    unpacked.erase(input);
    if (unpacked != contents(base / "again")) std::abort();
    return 0;
}
