// The .3do decompiler on arbitrary bytes: it must end, succeed or fail with
// a reason, and never touch memory it does not own.
#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "fuzz/object3d_host.hpp"
#include "object3d/object3d.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzHost host("z5fuzz-3do-");
    std::ofstream(host.path(host.openName), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    host.messages = 0;
    const z5::Outcome outcome = z5::mnu3doDecompile_Click(host);
    if (outcome.status == z5::Status::Cancelled) std::abort();
    if (outcome.status == z5::Status::Failed && outcome.reason.empty()) std::abort();
    if (host.messages != 1) std::abort();  // DONE, or the stage message
    return 0;
}
