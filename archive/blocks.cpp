#include "archive/blocks.hpp"

#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "platform/failure.hpp"
#include "textfmt/numbers.hpp"

namespace z5 {

void FileSize::CheckDatFileSize(std::int32_t lngFileLen, std::int32_t& lng2048,
                                std::int32_t& lng1024, std::int32_t& lng512, std::int32_t& lng256,
                                std::int32_t& lng128, std::int32_t& lng64, std::int32_t& lng32,
                                std::int32_t& lng16, std::int32_t& lng8, std::int32_t& lng4,
                                std::uint8_t& byt1) const {
    lng2048 = lng1024 = lng512 = lng256 = lng128 = lng64 = lng32 = lng16 = lng8 = lng4 = 0;
    byt1 = 0;
    // Integer division truncates toward zero, like RoundValue, and stays exact
    // for every 32-bit count (a float quotient would not near 2^31).
    lng2048 = lngFileLen / 2048;
    std::int32_t r = lngFileLen - 2048 * lng2048;
    for (auto [block, out] :
         {std::pair{1024, &lng1024}, std::pair{512, &lng512}, std::pair{256, &lng256},
          std::pair{128, &lng128}, std::pair{64, &lng64}, std::pair{32, &lng32},
          std::pair{16, &lng16}, std::pair{8, &lng8}, std::pair{4, &lng4}}) {
        if (r >= block) {
            *out = r / block;
            r -= block * *out;
        }
    }
    if (r >= 1) byt1 = static_cast<std::uint8_t>(r);
}

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
    // The block loops count in 16 bits: 32767 blocks of 2048 bytes at most.
    if (!narrowTo<std::int16_t>(size / 2048))
        throw CommandFailure("member " + std::string(member) + " is " + std::to_string(size) +
                             " bytes; members must be smaller than 67108864 bytes (64 MiB)");
}

}  // namespace z5
