#include "textfmt/deftext.hpp"

#include <utility>

#include "platform/failure.hpp"
#include "textfmt/numbers.hpp"

namespace z5 {

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string_view lastColumns(std::string_view line, std::size_t count) {
    return line.size() > count ? line.substr(line.size() - count) : line;
}

namespace {

// Where the blanks after position `blank` of `rest` end. The rest never ends
// in a blank (it is trimmed once, when the line is taken), so only the
// blanks after a token need skipping.
std::string_view after(std::string_view rest, std::size_t blank) {
    while (blank < rest.size() && rest[blank] == ' ') ++blank;
    return {rest.data() + blank, rest.size() - blank};
}

// The first blank of `text`, or npos.
std::size_t firstBlank(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == ' ') return i;
    return std::string_view::npos;
}

}  // namespace

std::string_view Tokens::next() {
    const std::size_t blank = firstBlank(rest_);
    if (blank == std::string_view::npos) return {};
    const std::string_view token(rest_.data(), blank);
    rest_ = after(rest_, blank);
    return token;
}

std::optional<std::string_view> Tokens::word() {
    if (rest_.empty()) return std::nullopt;
    const std::size_t blank = firstBlank(rest_);
    if (blank == std::string_view::npos) return std::exchange(rest_, {});
    const std::string_view token(rest_.data(), blank);
    rest_ = after(rest_, blank);
    return token;
}

std::optional<std::int32_t> Tokens::int32() {
    // One pass over the word: a sign, then digits up to a blank or the end.
    // Anything else, or more than ten digits, leaves it to the general rules.
    const char* p = rest_.data();
    const char* const end = p + rest_.size();
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) ++p;
    const char* const digits = p;
    std::int64_t value = 0;
    for (; p != end && *p != ' '; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - '0';
        if (digit > 9 || p - digits == 10) return std::nullopt;
        value = value * 10 + digit;
    }
    if (p == digits) return std::nullopt;
    const auto n = narrowTo<std::int32_t>(negative ? -value : value);
    if (n) rest_ = after(rest_, static_cast<std::size_t>(p - rest_.data()));
    return n;
}

std::string DefParser::readOne(std::string_view expected) {
    if (!expected.empty() && in_.atEnd())
        throw CommandFailure(in_.name() + ":" + std::to_string(in_.lineNumber() + 1) +
                             ": the file ends early; expected " + std::string(expected));
    std::string line = in_.readLine();
    if (line.size() > maxLength_)
        fail("line of " + std::to_string(line.size()) + " characters is longer than " +
             std::to_string(maxLength_));
    return line;
}

std::int32_t DefParser::rounded(double value, std::string_view text, std::string_view what) const {
    const auto result = roundTo<std::int32_t>(value);
    if (!result)
        fail(std::string(what) + ": \"" + std::string(text) + "\" is outside the 32-bit range");
    return *result;
}

std::string DefParser::next(std::string_view expected) {
    for (; pending_ > 0; --pending_) readOne(expected);
    return readOne(expected);
}

}  // namespace z5
