#include "textfmt/numbers.hpp"

#include <charconv>
#include <optional>
#include <string>

#include "textfmt/deftext.hpp"

namespace z5 {
namespace {

bool ignoredInNumbers(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

double radixNumber(std::string_view digits, int radix, bool* found) {
    double value = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0 || d >= radix) break;
        value = value * radix + d;
        if (found) *found = true;
    }
    return value;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A plain decimal integer: an optional sign and 1 to 15 digits, nothing
// else. Such a text reads the same by every rule here, and is exact in a
// double; nullopt for any other text.
std::optional<std::int64_t> plainInteger(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) ++p;
    if (p == end || end - p > 15) return std::nullopt;
    std::int64_t value = 0;
    for (; p != end; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - '0';
        if (digit > 9) return std::nullopt;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

}  // namespace

bool isPlainInteger(std::string_view text) {
    std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (!isDigit(text[i])) return false;
    return true;
}

bool isPlainDecimal(std::string_view text) {
    std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i]))
            digits = true;
        else if (text[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

bool isWholeNumber(std::string_view text) {
    const std::string_view s = trimBlanks(text);
    if (s.size() >= 2 && s[0] == '&') {
        const int radix = s[1] == 'H' || s[1] == 'h' ? 16 : s[1] == 'O' || s[1] == 'o' ? 8 : 0;
        if (radix == 0 || s.size() == 2) return false;
        for (char c : s.substr(2)) {
            const int d = hexDigit(c);
            if (d < 0 || d >= radix) return false;
        }
        return true;
    }
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    bool digits = false;
    for (; i < s.size() && isDigit(s[i]); ++i) digits = true;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && isDigit(s[i]); ++i) digits = true;
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (i == s.size() || !isDigit(s[i])) return false;
        while (i < s.size() && isDigit(s[i])) ++i;
    }
    return i == s.size();
}

double LeadingNumber(std::string_view text, bool* found) {
    // The common case, read without building texts: exact in a double, so
    // the general reading gives the same value (a minus zero included).
    if (const auto plain = plainInteger(text)) {
        if (found) *found = true;
        return *plain == 0 && text[0] == '-' ? -0.0 : static_cast<double>(*plain);
    }
    if (found) *found = false;
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!ignoredInNumbers(c)) s.push_back(c);

    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h')
            return radixNumber(std::string_view(s).substr(2), 16, found);
        if (s[1] == 'O' || s[1] == 'o') return radixNumber(std::string_view(s).substr(2), 8, found);
        return 0;
    }

    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

    // Mantissa: digits, optional point, digits. Leading zeros are dropped so
    // that the count of significant integer digits is known for range checks.
    std::string mantissa;
    long long integerDigits = 0;
    bool anyDigit = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        anyDigit = true;
        if (mantissa.empty() && s[i] == '0') continue;
        mantissa.push_back(s[i]);
        ++integerDigits;
    }
    std::string fraction;
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && isDigit(s[i]); ++i) {
            anyDigit = true;
            fraction.push_back(s[i]);
        }
    }
    if (!anyDigit) return 0;
    if (found) *found = true;

    long long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) expNegative = s[j++] == '-';
        if (j < s.size() && isDigit(s[j])) {
            for (; j < s.size() && isDigit(s[j]); ++j)
                if (exponent < 1000000) exponent = exponent * 10 + (s[j] - '0');
            if (expNegative) exponent = -exponent;
        }
    }

    std::string number =
        (mantissa.empty() ? "0" : mantissa) + "." + fraction + "e" + std::to_string(exponent);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double. A large magnitude has its
        // leading significant digit at a positive decimal position.
        std::size_t firstNonZero = fraction.find_first_not_of('0');
        const long long leadPosition = integerDigits > 0
                                           ? integerDigits + exponent
                                           : exponent - static_cast<long long>(firstNonZero);
        value = leadPosition > 0 ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace z5
