// The 3do compile on arbitrary definition text (vertex.def, a zero byte,
// flavor.def). It must end, succeed or fail with a reason. An object it
// writes that decompiles cleanly must compile back from that text to the
// same bytes: every number is then its own position and offset.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "object3d/object3d.hpp"

namespace {

class QuietHost : public z5::Host {
  public:
    explicit QuietHost(std::string folder) : folder_(std::move(folder)) {}
    std::optional<std::string> openFileName(std::string_view) override { return path("a.3do"); }
    std::optional<std::string> saveFileName(std::string_view, const std::string&) override {
        return path(saveName);
    }
    std::string workingFolder() override { return folder_; }
    void setCaption(const std::string&) override {}
    void setBusy(bool) override {}
    void messageBox(const std::string&, const std::string&) override {}
    std::string path(std::string_view name) const { return folder_ + "/" + std::string(name); }
    std::string saveName = "a.3do";

  private:
    std::string folder_;
};

void put(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

std::string get(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = [] {
        std::string f = "/tmp/z5fuzz-3dc-" + std::to_string(getpid());
        std::filesystem::create_directories(f);
        return f;
    }();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    QuietHost host(folder);
    put(host.path("vertex.def"), input.substr(0, split));
    put(host.path("flavor.def"), split == input.npos ? "" : input.substr(split + 1));
    std::filesystem::remove(host.path("a.3do"));

    const z5::Outcome first = z5::mnu3doCompile_Click(host);
    if (first.status == z5::Status::Cancelled) std::abort();
    if (first.status == z5::Status::Failed) {
        if (first.reason.empty() || std::filesystem::exists(host.path("a.3do"))) std::abort();
        return 0;
    }
    if (z5::mnu3doDecompile_Click(host).status != z5::Status::Done) return 0;
    host.saveName = "b.3do";
    const z5::Outcome second = z5::mnu3doCompile_Click(host);
    if (second.status != z5::Status::Done) std::abort();
    if (get(host.path("a.3do")) != get(host.path("b.3do"))) std::abort();
    return 0;
}
