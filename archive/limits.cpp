#include "archive/limits.hpp"

#include <cmath>
#include <string>

#include "textfmt/failure.hpp"
#include "textfmt/numbers.hpp"

namespace z5 {

void Round::RoundValue(float sngTest, std::int32_t& lngTest) const {
    const auto whole = roundTo<std::int32_t>(std::trunc(static_cast<double>(sngTest)));
    if (!whole)
        throw CommandFailure("value " + std::to_string(sngTest) +
                             " has no integer part in the 32-bit range");
    lngTest = *whole;
}

void checkMemberSize(std::int32_t size, std::string_view member) {
    if (size < 0)
        throw CommandFailure("member " + std::string(member) + " has a negative size (" +
                             std::to_string(size) + ")");
    // The tool takes members under 64 MiB: at most 32767 pieces of 2048
    // bytes and a smaller rest.
    if (!narrowTo<std::int16_t>(size / 2048))
        throw CommandFailure("member " + std::string(member) + " is " + std::to_string(size) +
                             " bytes; members must be smaller than 67108864 bytes (64 MiB)");
}

}  // namespace z5
