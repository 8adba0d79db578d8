// The .3do decompiler on arbitrary bytes: it must end, succeed or fail with
// a reason, and never touch memory it does not own.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "object3d/object3d.hpp"

namespace {

class QuietHost : public z5::Host {
  public:
    explicit QuietHost(std::string folder) : folder_(std::move(folder)) {}
    std::optional<std::string> openFileName(std::string_view) override {
        return folder_ + "/in.3do";
    }
    std::optional<std::string> saveFileName(std::string_view, const std::string&) override {
        return std::nullopt;
    }
    std::string workingFolder() override { return folder_; }
    void setCaption(const std::string&) override {}
    void setBusy(bool) override {}
    void messageBox(const std::string&, const std::string&) override { ++messages; }
    int messages = 0;

  private:
    std::string folder_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = [] {
        std::string f = "/tmp/z5fuzz-3do-" + std::to_string(getpid());
        std::filesystem::create_directories(f);
        return f;
    }();
    if (std::FILE* f = std::fopen((folder + "/in.3do").c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    QuietHost host(folder);
    const z5::Outcome outcome = z5::mnu3doDecompile_Click(host);
    if (outcome.status == z5::Status::Cancelled) std::abort();
    if (outcome.status == z5::Status::Failed && outcome.reason.empty()) std::abort();
    if (host.messages != 1) std::abort();  // DONE, or the stage message
    return 0;
}
