// Reading the 3do definition files back: values cut from lines, numbers
// converted into fields, and the kinds of flavor.def lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "textfmt/numbers.hpp"
#include "textfmt/textio.hpp"

namespace z5::object3d {

// The text without blanks at either end (tabs are kept).
std::string_view trimBlanks(std::string_view text);

// Cuts the values of a definition line from its front. Values are separated
// by blanks only.
class Tokens {
public:
    explicit Tokens(std::string_view line) : rest_(trimBlanks(line)) {}

    // The next value: up to the first blank, or the whole rest when no blank
    // follows. nullopt when the line has nothing left.
    std::optional<std::string_view> next();
    // Everything not yet taken, trimmed.
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

// The text in double quotes, for failure reasons.
std::string quoted(std::string_view text);

// The number at the front of `text` (LeadingNumber) rounded half to even
// into T; nullopt when it does not fit. `def` is the file the text comes
// from, which remarks on a value without a number.
template <class T>
std::optional<T> leadingInteger(const TextReader& def, std::string_view text);

// `text` as one number, blanks around it allowed (digits with an optional
// sign, point and exponent, or &H/&O digits); nullopt when it is no number or
// does not fit T.
template <class T>
std::optional<T> wholeInteger(std::string_view text);

// How GetFlavor and WriteFile see a line of flavor.def. Both passes take it
// from here, so they agree on which lines are names and flavors.
struct FlavorDefLine {
    enum class Kind {
        Other,       // remarks, empty lines, message lines
        Name,        // "FILE" and the name
        Flavor,      // a tag with a layout, "FL02" .. "FL21"
        OtherFlavor  // any other text starting with "FL" (FL18, FL20 ...): skipped
    };
    Kind kind;
    int type;               // for Flavor
    std::string_view rest;  // after "FILE" or the tag, trimmed
};
FlavorDefLine classifyFlavorLine(std::string_view line);

}  // namespace z5::object3d
