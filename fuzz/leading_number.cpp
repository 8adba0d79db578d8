// LeadingNumber on arbitrary text, and the checked narrowing of its result.
#include <cmath>
#include <cstdint>
#include <cstdlib>
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
    return 0;
}
