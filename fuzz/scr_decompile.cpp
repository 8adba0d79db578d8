// The camera script decompiler on arbitrary bytes: a count beyond the
// 16-bit block counter is refused, and so is a file shorter than its counts
// unless it is read leniently; what it shows then compiles back to the bytes
// it read (zeros past the end of a short file), without a departure from the
// layout when those are the file's very bytes.
#include "fuzz/harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace z5::fuzz;
    static Harness harness("scr-decompile");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::int32_t tv1 = valueAt(bytes, 4);
    const std::int32_t tv2 = valueAt(bytes, 8);
    if (!worthRunning(tv1) || (tv1 <= 32767 && !worthRunning(tv2))) return 0;
    harness.start("in.scr", bytes);
    const bool counted = tv1 <= 32767 && tv2 <= 32767;
    const std::size_t length = 12 + 16 * (blocks(tv1) + blocks(tv2));
    harness.setReading(z5::Strictness::Standard);
    if (harness.run("mnuScrDecompile") != (counted && size >= length)) std::abort();
    harness.setReading(z5::Strictness::Lenient);
    if (harness.run("mnuScrDecompile") != counted) std::abort();
    if (!counted) return 0;
    if (!harness.run("mnuScrCompile")) std::abort();
    harness.requireNoDepartureIfSame("New.scr", bytes);
    if (harness.read("New.scr") != resized(bytes, length)) std::abort();
    return 0;
}
