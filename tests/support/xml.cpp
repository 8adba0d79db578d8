#include "tests/support/xml.hpp"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace z5::test {

namespace {

// The code point at `at` moved past, or -1 for bytes that are not UTF-8 or
// a code point outside XML 1.0's characters.
long character(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) {
        return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
    };
    const unsigned first = byte(0);
    const std::size_t length = first < 0x80                     ? 1
                               : first >= 0xC2 && first <= 0xDF ? 2
                               : first >= 0xE0 && first <= 0xEF ? 3
                               : first >= 0xF0 && first <= 0xF4 ? 4
                                                                : 0;
    if (length == 0) return -1;
    long code = length == 1 ? first : first & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return -1;
        code = code << 6 | (byte(i) & 0x3F);
    }
    at += length;
    const long shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < shortest[length] || code > 0x10FFFF) return -1;
    const bool allowed = code == 0x9 || code == 0xA || code == 0xD ||
                         (code >= 0x20 && code <= 0xD7FF) || (code >= 0xE000 && code <= 0xFFFD) ||
                         code >= 0x10000;
    return allowed ? code : -1;
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Character data (a text, or a value): no '<', and each '&' starts one of
// the five named references or a character reference.
bool characterData(std::string_view data) {
    if (data.find('<') != data.npos) return false;
    for (std::size_t at = data.find('&'); at != data.npos; at = data.find('&', at + 1)) {
        const std::size_t semicolon = data.find(';', at);
        if (semicolon == data.npos) return false;
        const std::string_view name = data.substr(at + 1, semicolon - at - 1);
        if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos")
            continue;
        const bool hex = name.starts_with("#x");
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (!name.starts_with('#') || digits.empty() ||
            digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != digits.npos)
            return false;
    }
    return true;
}

bool nameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == ':' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

// The name of an element or an attribute at `at`, moved past; empty when
// there is none or it holds a character no name may hold.
std::string_view nameAt(std::string_view text, std::size_t& at) {
    const std::size_t end = std::min(text.find_first_of(" \t\r\n/>=", at), text.size());
    const std::string_view name = text.substr(at, end - at);
    at = end;
    const bool valid = !name.empty() && std::all_of(name.begin(), name.end(), nameCharacter) &&
                       std::string_view("-.0123456789").find(name[0]) == std::string_view::npos;
    return valid ? name : std::string_view();
}

}  // namespace

bool wellFormedXml(std::string_view text) {
    for (std::size_t at = 0; at < text.size();)
        if (character(text, at) < 0) return false;
    std::vector<std::string_view> open;
    int roots = 0;
    std::size_t at = 0;
    if (text.starts_with("<?xml")) {
        at = text.find("?>");
        if (at == text.npos) return false;
        at += 2;
    }
    while (at < text.size()) {
        const std::size_t tag = text.find('<', at);
        const std::string_view data = text.substr(at, tag - at);
        // Outside the root only blanks.
        if (open.empty() ? data.find_first_not_of(" \t\r\n") != data.npos : !characterData(data))
            return false;
        if (tag == text.npos) break;
        at = tag + 1;
        if (text.substr(at).starts_with("!--")) {
            at = text.find("-->", at);
            if (at == text.npos) return false;
            at += 3;
            continue;
        }
        if (at < text.size() && text[at] == '/') {
            ++at;
            const std::string_view name = nameAt(text, at);
            while (at < text.size() && blank(text[at])) ++at;
            if (name.empty() || open.empty() || open.back() != name || at >= text.size() ||
                text[at] != '>')
                return false;
            open.pop_back();
            ++at;
            continue;
        }
        const std::string_view name = nameAt(text, at);
        if (name.empty() || (open.empty() && ++roots > 1)) return false;
        std::set<std::string_view> attributes;
        for (;;) {
            const std::size_t blanks = at;
            while (at < text.size() && blank(text[at])) ++at;
            const bool separated = at > blanks;
            if (at >= text.size()) return false;
            if (text[at] == '>' || text.substr(at).starts_with("/>")) {
                if (text[at] == '>') open.push_back(name);
                at += text[at] == '>' ? 1 : 2;
                break;
            }
            // An attribute, after a blank: name="value" or name='value'.
            const std::string_view attribute = nameAt(text, at);
            if (!separated || attribute.empty() || !attributes.insert(attribute).second ||
                at + 1 >= text.size() || text[at] != '=' ||
                (text[at + 1] != '"' && text[at + 1] != '\''))
                return false;
            const std::size_t end = text.find(text[at + 1], at + 2);
            if (end == text.npos || !characterData(text.substr(at + 2, end - at - 2))) return false;
            at = end + 1;
        }
    }
    return roots == 1 && open.empty();
}

}  // namespace z5::test
