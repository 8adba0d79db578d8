// The block plan of archive members: a size split into blocks of 2048 down
// to 4 bytes, then single bytes, counted in 16 bits, which bounds the size
// of a member. The copies themselves move each member in one run.
#pragma once

#include <cstdint>
#include <string_view>

namespace z5 {

// Splits a byte count into blocks: lngFileLen = 2048 x lng2048 + 1024 x
// lng1024 + ... + 4 x lng4 + byt1, exactly, for every count from 0 to the
// largest 32-bit value. Each block size below 2048 is used at most once and
// byt1 is 0 to 3. For a negative count lng2048 is the quotient truncated
// toward zero and every other output is 0.
class FileSize {
public:
    void CheckDatFileSize(std::int32_t lngFileLen, std::int32_t& lng2048, std::int32_t& lng1024,
                          std::int32_t& lng512, std::int32_t& lng256, std::int32_t& lng128,
                          std::int32_t& lng64, std::int32_t& lng32, std::int32_t& lng16,
                          std::int32_t& lng8, std::int32_t& lng4, std::uint8_t& byt1) const;
};

// The integer part of a single-precision value, truncated toward zero
// (2.9 -> 2, -2.9 -> -2). A value outside the 32-bit range, or NaN, is a
// CommandFailure.
class Round {
public:
    void RoundValue(float sngTest, std::int32_t& lngTest) const;
};

// Refuses a member size the block loops cannot copy: negative, or 64 MiB or
// more (they count 2048-byte blocks in 16 bits). `member` names it.
void checkMemberSize(std::int32_t size, std::string_view member);

}  // namespace z5
