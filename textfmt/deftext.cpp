#include "textfmt/deftext.hpp"

#include <utility>

#include "textfmt/failure.hpp"
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

std::string_view Tokens::next() {
    const std::size_t blank = rest_.find(' ');
    if (blank == std::string_view::npos) return {};
    const std::string_view token = rest_.substr(0, blank);
    rest_ = trimBlanks(rest_.substr(blank + 1));
    return token;
}

std::optional<std::string_view> Tokens::word() {
    if (rest_.empty()) return std::nullopt;
    const std::size_t blank = rest_.find(' ');
    if (blank == std::string_view::npos) return std::exchange(rest_, {});
    const std::string_view token = rest_.substr(0, blank);
    rest_ = trimBlanks(rest_.substr(blank + 1));
    return token;
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
