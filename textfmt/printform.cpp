#include "textfmt/printform.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

namespace z5 {
namespace {

// Writes the single-precision form into buf (at least 32 bytes); returns its length.
std::size_t formatSingle(char* buf, float value) {
    if (std::isnan(value)) return std::strlen(std::strcpy(buf, "NaN"));
    if (std::isinf(value)) return std::strlen(std::strcpy(buf, value < 0 ? "-Inf" : "Inf"));
    if (value == 0) return std::strlen(std::strcpy(buf, "0"));

    // Round the exact binary value to 7 significant digits: d.dddddde±x.
    char sci[32];
    const auto res = std::to_chars(sci, sci + sizeof sci, static_cast<double>(value),
                                   std::chars_format::scientific, 6);
    const char* p = sci;
    char* out = buf;
    if (*p == '-') *out++ = *p++;
    char digits[8];
    std::size_t n = 0;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p != '.') digits[n++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), res.ptr, exponent);
    while (n > 1 && digits[n - 1] == '0') --n;  // significant digits only

    if (exponent < -4 || exponent >= 7) {
        *out++ = digits[0];
        if (n > 1) {
            *out++ = '.';
            std::memcpy(out, digits + 1, n - 1);
            out += n - 1;
        }
        *out++ = 'E';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) *out++ = '0';
        out = std::to_chars(out, out + 4, magnitude).ptr;
    } else if (exponent < 0) {
        *out++ = '.';
        for (int z = -1; z > exponent; --z) *out++ = '0';
        std::memcpy(out, digits, n);
        out += n;
    } else {
        const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
        for (std::size_t k = 0; k < whole; ++k) *out++ = k < n ? digits[k] : '0';
        if (n > whole) {
            *out++ = '.';
            std::memcpy(out, digits + whole, n - whole);
            out += n - whole;
        }
    }
    return static_cast<std::size_t>(out - buf);
}

}  // namespace

std::string numberText(std::int64_t value) {
    char buf[24];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
}

std::string singleText(float value) {
    char buf[32];
    return std::string(buf, formatSingle(buf, value));
}

void appendPrintNumber(std::string& out, std::int64_t value) {
    char buf[26];
    char* p = buf;
    if (value >= 0) *p++ = ' ';
    p = std::to_chars(p, buf + sizeof buf, value).ptr;
    *p++ = ' ';
    out.append(buf, p);
}

void appendPrintSingle(std::string& out, float value) {
    char buf[34];
    buf[0] = ' ';
    std::size_t n = formatSingle(buf + 1, value);
    const bool negative = buf[1] == '-';
    char* start = negative ? buf + 1 : buf;
    char* end = buf + 1 + n;
    *end++ = ' ';
    out.append(start, end);
}

std::string printNumber(std::int64_t value) {
    std::string s;
    appendPrintNumber(s, value);
    return s;
}

std::string printSingle(float value) {
    std::string s;
    appendPrintSingle(s, value);
    return s;
}

}  // namespace z5
