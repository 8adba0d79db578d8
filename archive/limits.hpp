// The number rules of the archive commands: the rounding pack's count uses,
// and the size a member may have.
#pragma once

#include <cstdint>
#include <string_view>

namespace z5 {

// The integer part of a single-precision value, truncated toward zero
// (2.9 -> 2, -2.9 -> -2). A value outside the 32-bit range, or NaN, is a
// CommandFailure.
class Round {
public:
    void RoundValue(float sngTest, std::int32_t& lngTest) const;
};

// Refuses a member size the tool does not take: negative, or 64 MiB or
// more. `member` names it.
void checkMemberSize(std::int32_t size, std::string_view member);

}  // namespace z5
