#include "object3d/deftext.hpp"

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
// general reading would give the same value. nullopt for any other text.
template <class T>
std::optional<std::optional<T>> plainInteger(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t digits = text.size() - (negative ? 1 : 0);
    if (digits == 0 || digits > 9) return std::nullopt;
    std::int32_t value = 0;
    for (char c : text.substr(negative ? 1 : 0)) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return std::optional<std::optional<T>>(narrowTo<T>(negative ? -value : value));
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
    std::size_t first = 0, end = text.size();
    while (first < end && text[first] == ' ') ++first;
    while (end > first && text[end - 1] == ' ') --end;
    return text.substr(first, end - first);
}

std::string quoted(std::string_view text) {
    std::string out(text.size() + 2, '"');
    text.copy(out.data() + 1, text.size());
    return out;
}

std::optional<std::string_view> Tokens::next() {
    if (rest_.empty()) return std::nullopt;
    // rest_ never ends in a blank: the token ends at the first blank or at
    // the end, and the blanks after it are skipped.
    const char* const end = rest_.data() + rest_.size();
    const char* stop = rest_.data();
    while (stop < end && *stop != ' ') ++stop;
    const std::string_view token(rest_.data(), static_cast<std::size_t>(stop - rest_.data()));
    while (stop < end && *stop == ' ') ++stop;
    rest_ = std::string_view(stop, static_cast<std::size_t>(end - stop));
    return token;
}

template <class T>
std::optional<T> leadingInteger(const TextReader& def, std::string_view text) {
    if (const auto plain = plainInteger<T>(text)) return *plain;
    return roundTo<T>(def.number(text));
}

template <class T>
std::optional<T> wholeInteger(std::string_view text) {
    text = trimBlanks(text);
    if (!isWholeNumber(text)) return std::nullopt;
    if (const auto plain = plainInteger<T>(text)) return *plain;
    return roundTo<T>(LeadingNumber(text));
}

template std::optional<std::int16_t> leadingInteger<std::int16_t>(const TextReader&,
                                                                  std::string_view);
template std::optional<std::int32_t> leadingInteger<std::int32_t>(const TextReader&,
                                                                  std::string_view);
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
