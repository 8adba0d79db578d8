// The 3do compile on arbitrary definition text (vertex.def, a zero byte,
// flavor.def). It must end, succeed or fail with a reason and leave no
// object. An object it writes that decompiles cleanly must compile back from
// that text to the same bytes: every number is then its own position and
// offset.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "fuzz/object3d_host.hpp"
#include "object3d/object3d.hpp"

namespace {

void put(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string get(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzHost host("z5fuzz-3dc-");
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    put(host.path("vertex.def"), input.substr(0, split));
    put(host.path("flavor.def"), split == input.npos ? "" : input.substr(split + 1));
    host.openName = host.saveName = "a.3do";
    std::filesystem::remove(host.path("a.3do"));

    const z5::Outcome first = z5::mnu3doCompile_Click(host);
    if (first.status == z5::Status::Cancelled) std::abort();
    if (first.status == z5::Status::Failed) {
        if (first.reason.empty() || std::filesystem::exists(host.path("a.3do"))) std::abort();
        return 0;
    }
    if (z5::mnu3doDecompile_Click(host).status != z5::Status::Done) return 0;
    host.saveName = "b.3do";
    if (z5::mnu3doCompile_Click(host).status != z5::Status::Done) std::abort();
    if (get(host.path("a.3do")) != get(host.path("b.3do"))) std::abort();
    return 0;
}
