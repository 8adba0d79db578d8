// LeadingNumber on arbitrary text, the checked narrowing of its result, and
// printed floats read back.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "textfmt/numbers.hpp"
#include "textfmt/printform.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double v = z5::LeadingNumber(text);
    if (std::isnan(v)) std::abort();  // no text reads as NaN
    if (auto i = z5::roundTo<std::int32_t>(v)) {
        if (std::fabs(static_cast<double>(*i) - v) > 0.5) std::abort();
        // A printed integer reads back as itself.
        if (z5::LeadingNumber(z5::printNumber(*i)) != *i) std::abort();
    }
    (void)z5::roundTo<std::int16_t>(v);
    (void)z5::roundTo<std::uint8_t>(v);
    (void)z5::printSingle(static_cast<float>(v));

    // The float view of a dump: any four bytes print as a value that reads
    // back as close as its 7 significant digits allow.
    if (size >= 4) {
        float f;
        std::memcpy(&f, data, sizeof f);
        const double back = z5::LeadingNumber(z5::printSingle(f));
        if (std::isfinite(f) && std::fabs(back - f) > std::fabs(f) * 5.01e-7) std::abort();
    }
    return 0;
}
