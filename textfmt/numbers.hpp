// Reading numbers from definition-file text and narrowing them into the
// fixed-width fields of the binary formats.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

namespace z5 {

// The number at the front of a text, as compilers read values back:
// blanks, tabs and line feeds are ignored anywhere in the text; then an
// optional sign, digits with an optional "." and an optional exponent
// (E or D, optional sign, digits) are read as far as they go. A text that
// starts with "&H" or "&O" is a hexadecimal or octal integer. A text with no
// number gives 0. Exponents too large for a double give an infinity, which no
// integer field accepts. `found`, when given, tells whether any digit was read.
double LeadingNumber(std::string_view text, bool* found = nullptr);

// True when `text`, blanks around it allowed, is one number and nothing
// else: digits with an optional sign, point and exponent, or "&H" / "&O"
// and their digits.
bool isWholeNumber(std::string_view text);

// True when `text` is written as the decompilers write a value: a plain
// decimal integer (an optional sign and digits, nothing else), or for
// isPlainDecimal also with a full stop and digits after it (".50", "-1.25",
// "12.5"). Any other text departs from the layout, whatever LeadingNumber
// makes of it ("4O000", "12abc", "&H10", "1e3", "3,45", " ").
bool isPlainInteger(std::string_view text);
bool isPlainDecimal(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4), and checks the result against the range of T. NaN, infinities
// and values outside the range give nullopt: never a wrap, never undefined
// behaviour.
template <class T>
std::optional<T> roundTo(double value) {
    static_assert(std::numeric_limits<T>::is_integer && sizeof(T) <= 4);
    if (!std::isfinite(value)) return std::nullopt;
    const double r = std::nearbyint(value);  // default rounding mode: ties to even
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}

// `text` read as a whole (isWholeNumber) and rounded into T as roundTo
// does; nullopt when it is no number or does not fit.
template <class T>
std::optional<T> wholeInteger(std::string_view text) {
    if (!isWholeNumber(text)) return std::nullopt;
    return roundTo<T>(LeadingNumber(text));
}

// Narrows an integer to T, or nullopt when it does not fit.
template <class T, class U>
std::optional<T> narrowTo(U value) {
    static_assert(std::numeric_limits<T>::is_integer && std::numeric_limits<U>::is_integer);
    if (!std::in_range<T>(value)) return std::nullopt;
    return static_cast<T>(value);
}

// "8-bit", "16-bit" or "32-bit", for failure reasons.
template <class T>
constexpr const char* fieldWidthName() {
    if constexpr (sizeof(T) == 1)
        return "8-bit";
    else if constexpr (sizeof(T) == 2)
        return "16-bit";
    else
        return "32-bit";
}

}  // namespace z5
