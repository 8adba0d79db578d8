// The track decompiler on arbitrary bytes. Whatever it accepts must compile,
// when the compiler's row limits allow, into a track that decompiles to the
// same text apart from the lines the compiler recomputes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/track_steps.hpp"

namespace {

// The lines of a text every line of which must end with CR LF.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines = z5::test::splitCrlf(text);
    if (z5::test::joinCrlf(lines) != text) std::abort();
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto def = z5::fuzz::decompiled({reinterpret_cast<const char*>(data), size});
    if (!def) return 0;
    const auto trk = z5::fuzz::compiled(*def);
    if (!trk) return 0;
    const auto again = z5::fuzz::decompiled(*trk);
    if (!again) return 0;
    auto first = linesOf(*def);
    auto second = linesOf(*again);
    // Version, Section 2 and Section 3 are the compiler's own.
    for (std::size_t line : {8, 12, 13}) {
        if (first.size() <= line || second.size() <= line) std::abort();
        first[line] = second[line];
    }
    if (first != second) std::abort();
    return 0;
}
