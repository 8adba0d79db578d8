#include "textfmt/diagnostic.hpp"

namespace z5 {

std::string diagnosticLine(const Diagnostic& d) {
    std::string text = d.file;
    if (d.line > 0) {
        text += ':' + std::to_string(d.line);
        if (d.column > 0) text += ':' + std::to_string(d.column);
    } else if (d.byte >= 0) {
        text += ": byte " + std::to_string(d.byte);
    }
    text += d.kind == DiagnosticKind::Error     ? ": error: "
            : d.kind == DiagnosticKind::Warning ? ": warning: "
                                                : ": note: ";
    return text + d.message;
}

std::string diagnosticCaret(const Diagnostic& d) {
    if (d.line <= 0 || d.column <= 0) return {};
    std::string out = d.text + '\n';
    // Tabs stay tabs, so the caret lines up whatever width the terminal
    // gives them.
    for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(d.column); ++i)
        out += i < d.text.size() && d.text[i] == '\t' ? '\t' : ' ';
    return out + "^\n";
}

}  // namespace z5
