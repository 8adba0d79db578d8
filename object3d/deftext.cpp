#include "object3d/deftext.hpp"

#include <charconv>

#include "object3d/format.hpp"

namespace z5::object3d {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isRadixDigit(char c, bool hex) {
    if (c >= '0' && c <= '7') return true;
    if (!hex) return false;
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A plain decimal integer of at most 9 digits: exact in a double, so the
// general reading would give the same value.
template <class T>
std::optional<std::optional<T>> plainInteger(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t digits = text.size() - (negative ? 1 : 0);
    if (digits == 0 || digits > 9) return std::nullopt;
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return std::optional<std::optional<T>>(narrowTo<T>(value));
}

// True when the trimmed text is a number as a whole.
bool isWholeNumber(std::string_view s) {
    if (s.size() >= 2 && s[0] == '&' &&
        (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const bool hex = s[1] == 'H' || s[1] == 'h';
        if (s.size() == 2) return false;
        for (char c : s.substr(2))
            if (!isRadixDigit(c, hex)) return false;
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

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<std::string_view> Tokens::next() {
    if (rest_.empty()) return std::nullopt;
    const auto blank = rest_.find(' ');
    std::string_view token = rest_.substr(0, blank);
    rest_ = blank == std::string_view::npos ? std::string_view() : trimBlanks(rest_.substr(blank));
    return token;
}

template <class T>
std::optional<T> leadingInteger(std::string_view text) {
    if (const auto plain = plainInteger<T>(text)) return *plain;
    return roundTo<T>(LeadingNumber(text));
}

template <class T>
std::optional<T> wholeInteger(std::string_view text) {
    text = trimBlanks(text);
    if (!isWholeNumber(text)) return std::nullopt;
    return leadingInteger<T>(text);
}

template std::optional<std::int16_t> leadingInteger<std::int16_t>(std::string_view);
template std::optional<std::int32_t> leadingInteger<std::int32_t>(std::string_view);
template std::optional<std::int16_t> wholeInteger<std::int16_t>(std::string_view);
template std::optional<std::int32_t> wholeInteger<std::int32_t>(std::string_view);

FlavorDefLine classifyFlavorLine(std::string_view line) {
    const std::string_view text = trimBlanks(line);
    if (text.starts_with("FILE")) return {FlavorDefLine::Kind::Name, 0, trimBlanks(text.substr(4))};
    if (!text.starts_with("FL")) return {FlavorDefLine::Kind::Other, 0, {}};
    const int type = flavorTypeOfTag(text.substr(0, 4));
    if (type == 0) return {FlavorDefLine::Kind::OtherFlavor, 0, {}};
    return {FlavorDefLine::Kind::Flavor, type, trimBlanks(text.substr(4))};
}

}  // namespace z5::object3d
