// Number-to-text forms used by definition files and dumps.
#pragma once

#include <cstdint>
#include <string>

namespace z5 {

// Plain decimal text of an integer: "-" for negatives, no blanks.
std::string numberText(std::int64_t value);

// A 32-bit float as text with at most 7 significant digits, without a zero
// before the point of a value below 1 in magnitude (".5", "-.25"), and in
// exponent form when the decimal exponent is below -4 or at least 7
// ("1E+10", "1.234568E+08", "1E-05"). Infinities print as "Inf"/"-Inf", NaN
// as "NaN". No leading or trailing blank.
std::string singleText(float value);

// The line-print form: a blank before a non-negative value (the minus sign
// takes its place otherwise), the number, one blank after. Append-only
// variants write into an existing buffer without allocating.
std::string printNumber(std::int64_t value);
std::string printSingle(float value);
void appendPrintNumber(std::string& out, std::int64_t value);
void appendPrintSingle(std::string& out, float value);

}  // namespace z5
