// The track compiler on arbitrary text. A track it writes, once decompiled,
// must compile again to the very same bytes.
#include <cstdint>
#include <cstdlib>

#include "fuzz/track_steps.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto trk = z5::fuzz::compiled({reinterpret_cast<const char*>(data), size});
    if (!trk) return 0;
    const auto def = z5::fuzz::decompiled(*trk);
    if (!def) return 0;
    const auto again = z5::fuzz::compiled(*def);
    if (!again || *again != *trk) std::abort();
    return 0;
}
