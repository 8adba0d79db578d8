// The track decompiler on arbitrary bytes, as the tool reads them and
// leniently (which accepts whatever the other does). Whatever it accepts must
// compile, when the compiler's row limits allow, into a track that decompiles
// to the same text apart from the lines the compiler recomputes; a compile
// that gives back the very bytes read finds no departure from the layout.
// Its picture ends done or failed with a reason too.
#include <string>
#include <vector>

#include "fuzz/harness.hpp"

namespace {

// The lines of Trk.def, every one of which must end with CR LF.
std::vector<std::string> defLines(const z5::fuzz::Harness& harness) {
    const std::string text = harness.read("Trk.def");
    std::vector<std::string> lines = z5::test::splitCrlf(text);
    if (z5::test::joinCrlf(lines) != text) std::abort();
    return lines;
}

// Decompiles the chosen track; when it succeeds, compiles the text and
// checks the result. Whether the decompile succeeded.
bool roundTrip(z5::fuzz::Harness& harness, std::string_view bytes) {
    harness.run("mnuTrkView");
    if (!harness.run("mnuTrkDecompile")) return false;
    auto first = defLines(harness);
    if (!harness.run("mnuTrkCompile")) return true;
    harness.requireNoDepartureIfSame("New.trk", bytes);
    harness.answer("New.trk");
    if (!harness.run("mnuTrkDecompile")) return true;
    auto second = defLines(harness);
    // Version, Section 2 and Section 3 are the compiler's own.
    for (std::size_t line : {8, 12, 13}) {
        if (first.size() <= line || second.size() <= line) std::abort();
        first[line] = second[line];
    }
    if (first != second) std::abort();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static z5::fuzz::Harness harness("trk-decompile");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    harness.start("in.trk", bytes);
    harness.setReading(z5::Strictness::Standard);
    const bool read = roundTrip(harness, bytes);
    harness.start("in.trk", bytes);
    harness.setReading(z5::Strictness::Lenient);
    if (!roundTrip(harness, bytes) && read) std::abort();
    return 0;
}
