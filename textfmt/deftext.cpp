#include "textfmt/deftext.hpp"

#include <algorithm>
#include <utility>

#include "platform/display.hpp"
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

std::string quotedText(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string shown = printableLine(text.substr(0, kShown));
    if (text.size() > kShown) shown += "...";
    return '"' + shown + '"';
}

bool DefParser::readOne(std::string& into, std::string_view expected) {
    if (ahead_.empty()) {
        if (in_.atEnd()) {
            if (expected.empty()) return false;
            throw CommandFailure(in_.name() + ":" + std::to_string(line_ + 1) +
                                 ": the file ends early; expected " + std::string(expected) +
                                 earlyEnd_);
        }
        in_.readLine(into);
        if (into.size() > maxLength_)
            throw CommandFailure(in_.name() + ":" + std::to_string(line_ + 1) + ": line of " +
                                 std::to_string(into.size()) + " characters is longer than " +
                                 std::to_string(maxLength_));
    } else {
        into = std::move(ahead_.front());
        ahead_.pop_front();
    }
    ++line_;
    return true;
}

const std::string* DefParser::peek(std::size_t ahead) {
    while (ahead_.size() <= ahead) {
        if (in_.atEnd()) return nullptr;
        std::string& line = ahead_.emplace_back();
        in_.readLine(line);
        if (line.size() > maxLength_)
            throw CommandFailure(in_.name() + ":" + std::to_string(line_ + ahead_.size()) +
                                 ": line of " + std::to_string(line.size()) +
                                 " characters is longer than " + std::to_string(maxLength_));
    }
    return &ahead_[ahead];
}

bool DefParser::take() {
    return readOne(current_, {});
}

void DefParser::fail(std::string_view what) const {
    failAt(line_, what);
}

void DefParser::failAt(long line, std::string_view what) const {
    throw CommandFailure(in_.name() + ":" + std::to_string(line) + ": " + std::string(what));
}

void DefParser::departAt(long line, long column, std::string text, std::string message) const {
    in_.report({in_.name(), line, column, std::move(message), std::move(text)});
}

void DefParser::depart(std::string_view at, std::string message) const {
    const char* const begin = current_.data();
    const bool inside = at.data() >= begin && at.data() <= begin + current_.size();
    const long column = inside ? static_cast<long>(at.data() - begin) + 1 : 1;
    departAt(line_, column, current_, std::move(message));
}

namespace {

// What the layout has at a line, for a departure.
std::string layoutHas(const DefParser::Expected& e) {
    const std::string_view text = trimBlanks(e.text);
    if (e.columns > 0) return "the label " + quotedText(text);
    if (text.empty()) return "an empty line";
    if (!e.other.empty()) return quotedText(text) + " or " + quotedText(trimBlanks(e.other));
    return quotedText(text);
}

bool matches(const DefParser::Expected& e, std::string_view found) {
    if (e.columns > 0) return DefParser::hasLabel(found, e.text, e.columns);
    const std::string_view got = trimBlanks(found);
    return got == trimBlanks(e.text) || (!e.other.empty() && got == trimBlanks(e.other));
}

}  // namespace

void DefParser::compareLine(const std::string& found, long line,
                            const std::vector<Expected>& expected, std::size_t index,
                            bool shifts) const {
    const Expected& want = expected[index];
    if (matches(want, found)) return;
    std::string_view got = trimBlanks(found);
    std::string message;
    const std::string_view text = trimBlanks(want.text);
    if (want.columns == 0 && want.other.empty() && !text.empty() && !got.empty()) {
        // Two texts that differ: both shown from a little before where they
        // first differ, the column pointing there.
        const auto [a, b] = std::mismatch(text.begin(), text.end(), got.begin(), got.end());
        const std::size_t from = static_cast<std::size_t>(a - text.begin());
        const std::size_t shown = from > 20 ? from - 10 : 0;
        const std::string cut = shown > 0 ? "..." : "";
        message = "the layout has \"" + cut + printableLine(text.substr(shown, 40)) +
                  (text.size() > shown + 40 ? "...\"" : "\"") + " here; found \"" + cut +
                  printableLine(got.substr(shown, 40)) + (got.size() > shown + 40 ? "...\"" : "\"");
        (void)b;
        got = got.substr(from);
    } else {
        message = "the layout has " + layoutHas(want) + " here; found " +
                  (got.empty() ? std::string("an empty line") : quotedText(got));
    }
    if (shifts && index + 1 < expected.size() && matches(expected[index + 1], found))
        message += "; the lines after it are read one line early";
    else if (shifts && index > 0 && matches(expected[index - 1], found))
        message += "; the lines after it are read one line late";
    const long column = got.empty() ? 1 : static_cast<long>(got.data() - found.data()) + 1;
    departAt(line, column, found, std::move(message));
}

void DefParser::alignPassed(const std::vector<Expected>& expected,
                            const std::vector<PassedLine>& passed, std::size_t dropped,
                            long stopLine, const std::string& stop,
                            const std::function<std::string(std::string_view)>& extraNote) const {
    const std::size_t n = expected.size(), m = passed.size();
    // The longest run of the layout's lines found in order among the lines
    // passed (blank lines count like any other).
    std::vector<std::vector<std::uint16_t>> lcs(n + 1, std::vector<std::uint16_t>(m + 1));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            lcs[i][j] = matches(expected[i], passed[j].text)
                            ? static_cast<std::uint16_t>(lcs[i + 1][j + 1] + 1)
                            : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    std::size_t extras = dropped;
    const PassedLine* firstExtra = nullptr;
    std::size_t i = 0, j = 0;
    // One gap between two matched lines: lines in place of the layout's are
    // compared; what is left over is extra or missing.
    const auto gap = [&](std::size_t toI, std::size_t toJ) {
        for (; i < toI && j < toJ; ++i, ++j)
            compareLine(passed[j].text, passed[j].line, expected, i, false);
        for (; j < toJ; ++j)
            if (!trimBlanks(passed[j].text).empty() && extras++ == 0) firstExtra = &passed[j];
        if (i < toI) {
            const bool atStop = j >= m;
            const long line = atStop ? stopLine : passed[j].line;
            const std::string& text = atStop ? stop : passed[j].text;
            const std::size_t count = toI - i;
            const std::string first = trimBlanks(expected[i].text).empty()
                                          ? "an empty line"
                                          : quotedText(trimBlanks(expected[i].text));
            departAt(line, 1, text,
                     "the layout has " +
                         (count == 1 ? first
                                     : std::to_string(count) + " more lines, the first " + first) +
                         " before this line; found " + quotedText(trimBlanks(text)) +
                         ", and nothing after it moves");
            i = toI;
        }
    };
    while (i < n && j < m) {
        if (matches(expected[i], passed[j].text) && lcs[i][j] == lcs[i + 1][j + 1] + 1) {
            ++i;
            ++j;
            continue;
        }
        // Nothing more in common: the rest is one gap.
        if (lcs[i][j] == 0) break;
        // Find the next matched pair that the longest run takes.
        std::size_t a = i, b = j;
        while (a < n && b < m &&
               !(matches(expected[a], passed[b].text) && lcs[a][b] == lcs[a + 1][b + 1] + 1)) {
            if (lcs[a + 1][b] >= lcs[a][b + 1])
                ++a;
            else
                ++b;
        }
        gap(a, b);
    }
    gap(n, m);
    if (!firstExtra) return;
    std::string message = "the layout has nothing more here before " + quotedText(stop) +
                          "; found " + quotedText(trimBlanks(firstExtra->text));
    if (extraNote) message += extraNote(firstExtra->text);
    message += extras > 1 ? "; it and " + std::to_string(extras - 1) + " more lines are not read"
                          : "; it is not read";
    departAt(firstExtra->line, 1, firstExtra->text, std::move(message));
}

void DefParser::finishNamingExtra(std::string_view ending, bool quiet) {
    finish([&] {
        if (!std::exchange(quiet, true))
            depart({}, "the layout ends " + std::string(ending) + "; found " +
                           quotedText(trimBlanks(current())) + ", which is not read");
    });
}

const std::string& DefParser::next(std::string_view expected) {
    for (std::size_t i = 0; i <= pending_.size(); ++i) {
        if (!readOne(current_, expected)) {
            ++line_;
            fail("unexpected end of file" + earlyEnd_);
        }
        if (i < pending_.size()) compare(pending_, i, true);
    }
    pending_.clear();
    return current_;
}

std::int32_t DefParser::rounded(double value, std::string_view text, std::string_view what) const {
    const auto result = roundTo<std::int32_t>(value);
    if (!result)
        fail(std::string(what) + ": \"" + std::string(text) + "\" is outside the 32-bit range");
    return *result;
}

std::int32_t DefParser::integerAsRead(std::string_view text, std::string_view what) const {
    return rounded(LeadingNumber(text), text, what);
}

std::int32_t DefParser::integer(std::string_view text, std::string_view what) const {
    const std::int32_t value = integerAsRead(text, what);
    if (!isPlainInteger(text))
        depart(text, "the layout has a whole number here (" + std::string(what) + "); found " +
                         (text.empty() ? std::string("nothing") : quotedText(text)) + ", read as " +
                         std::to_string(value));
    return value;
}

bool DefParser::hasLabel(std::string_view line, std::string_view label, std::size_t columns) {
    const std::string_view want = trimBlanks(label);
    // The label is what stands before the value's columns; on a line too
    // short to hold both, the line only has to begin with it.
    if (line.size() >= columns + want.size())
        return trimBlanks(line.substr(0, line.size() - columns)) == want;
    return trimBlanks(line).starts_with(want);
}

void DefParser::checkLabel(std::string_view label, std::size_t columns) const {
    if (hasLabel(current_, label, columns)) return;
    const std::string_view line = current_;
    const std::string_view got =
        trimBlanks(line.size() > columns ? line.substr(0, line.size() - columns) : line);
    depart(got, "the layout has the label " + quotedText(trimBlanks(label)) + " here; found " +
                    (got.empty() ? std::string("none") : quotedText(got)));
}

std::int32_t DefParser::labelled(std::string_view label, std::size_t columns,
                                 std::string_view what) const {
    checkLabel(label, columns);
    return integer(trimBlanks(lastColumns(current_, columns)), what);
}

}  // namespace z5
