#include "man/pages.hpp"

#include <cctype>

#include "commands/table.hpp"
#include "tools/table.hpp"
#include "window/help.hpp"
#include "window/menu.hpp"

namespace z5 {
namespace {

// "trk decompile": the words that choose the row on the command line.
std::string commandWords(const CommandEntry& row) {
    return row.cliGroup.empty() ? std::string(row.cliName)
                                : std::string(row.cliGroup) + ' ' + std::string(row.cliName);
}

// A summary as a sentence: capital first letter, full stop at the end.
std::string sentence(std::string_view text) {
    std::string out = scdocEscape(text);
    if (!out.empty()) out[0] = char(std::toupper(static_cast<unsigned char>(out[0])));
    if (!out.empty() && out.back() != '.') out += '.';
    return out;
}

int depth(const MenuEntry& entry) {
    int levels = 0;
    for (std::string_view parent = entry.parent; !parent.empty(); ++levels) {
        std::string_view next;
        for (const MenuEntry& e : menuTree())
            if (e.name == parent) next = e.parent;
        parent = next;
    }
    return levels;
}

// What the menu section says after an entry's caption.
std::string menuNotes(const MenuEntry& entry) {
    std::string notes;
    auto add = [&notes](const std::string& note) { notes += (notes.empty() ? ": " : "; ") + note; };
    if (entry.role == MenuRole::Command)
        add("*z5def " + commandWords(*findCommandByMenu(entry.name)) + '*');
    if (entry.role == MenuRole::Program)
        add("program " + std::to_string(entry.program) + " of z5.ini, " +
            std::string(entry.shortcut) + "; disabled when its caption is empty");
    if (entry.role == MenuRole::Nothing) add("no command");
    if (!entry.enabledAtStart)
        add(entry.enabledByAllCommands ? "disabled unless the window was started with "
                                         "*--all-commands*"
                                       : "disabled");
    return notes;
}

// "*z5def verify* [*-j* _N_] [*--deep*] _PATH_...": a tool's words,
// options and arguments as its synopsis.
std::string toolSynopsis(const tools::Tool& tool) {
    std::string out = "*z5def " + std::string(tool.word) + '*';
    for (const tools::Option& o : tool.options) {
        if (o.names.starts_with("-o,")) continue;  // after the arguments
        const std::size_t comma = o.names.find(',');
        const std::string_view name =
            comma == std::string_view::npos ? o.names : o.names.substr(0, comma);
        out += " [*" + scdocEscape(name) + '*';
        if (!o.value.empty()) out += " _" + scdocEscape(o.value) + '_';
        out += ']';
    }
    for (const tools::Argument& a : tool.arguments) {
        std::string arg = '_' + scdocEscape(a.name) + '_' + (a.many ? "..." : "");
        out += ' ' + (a.required ? arg : '[' + arg + ']');
    }
    for (const tools::Option& o : tool.options)
        if (o.names.starts_with("-o,")) out += " [*-o* _" + scdocEscape(o.value) + "_]";
    return out;
}

}  // namespace

std::string scdocEscape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '*' || c == '_') out += '\\';
        out += c;
    }
    return out;
}

std::string commandSection() {
    std::string out;
    for (const CommandEntry& row : commandTable()) {
        out += '*' + commandWords(row) + '*';
        if (row.takesFile()) {
            const std::string file = '_' + scdocEscape(row.argumentName) + '_';
            out += row.options.fileOptional ? " [" + file + ']' : ' ' + file;
        }
        if (const std::string_view def = definitionFileOf(row); !def.empty())
            out += " [_" + scdocEscape(def) + "_]";
        if (!row.namesArgument.empty()) out += " [_" + scdocEscape(row.namesArgument) + "_...]";
        if (!row.outputArgument.empty()) out += " [*-o* _" + scdocEscape(row.outputArgument) + "_]";
        out += "\n\t" + sentence(row.summary);
        if (!row.namesArgument.empty())
            out +=
                " With " + scdocEscape(row.namesArgument) + ": " + scdocEscape(row.namesHelp) + ".";
        out += " In the window: " + scdocEscape(menuPath(row.menu)) + ".\n\n";
    }
    for (const tools::Tool& tool : tools::toolTable())
        out += toolSynopsis(tool) + "\n\t" + std::string(tool.manual) + "\n\n";
    return out;
}

std::string menuSection() {
    std::string out;
    for (const MenuEntry& entry : menuTree()) {
        if (entry.role == MenuRole::Separator) continue;
        out += std::string(depth(entry), '\t') + "- ";
        out += entry.role == MenuRole::Program
                   ? "_Program " + std::to_string(entry.program) + '_'
                   : '*' + scdocEscape(stripAccessKeys(entry.caption)) + '*';
        out += menuNotes(entry) + '\n';
    }
    return out + '\n';
}

std::string helpSection() {
    std::string out;
    HelpKind last = HelpKind::Title;
    for (const HelpBlock& b : helpBlocks()) {
        // A list ends at the first block that is no list entry.
        if (last == HelpKind::Item && b.kind != HelpKind::Item) out += '\n';
        last = b.kind;
        switch (b.kind) {
            case HelpKind::Title:
                break;  // the page has its own name
            case HelpKind::Heading:
                out += "## " + scdocEscape(b.text) + "\n\n";
                break;
            case HelpKind::Paragraph:
                out += scdocEscape(b.text) + "\n\n";
                break;
            case HelpKind::Item:
                out += "- " + scdocEscape(b.text) + '\n';
                break;
            case HelpKind::Example:
                out += "```\n" + b.text + "\n```\n\n";
                break;
            case HelpKind::Command:
                out += '*' + scdocEscape(b.text) + "*\n\t" + sentence(b.detail) + "\n\n";
                break;
        }
    }
    if (last == HelpKind::Item) out += '\n';
    return out;
}

std::string fillTemplate(std::string_view page) {
    std::string out;
    int number = 0;
    while (!page.empty()) {
        const std::size_t end = page.find('\n');
        const std::string_view line = page.substr(0, end);
        page = end == std::string_view::npos ? std::string_view() : page.substr(end + 1);
        ++number;
        if (line == "%COMMANDS%") {
            out += commandSection();
        } else if (line == "%MENU%") {
            out += menuSection();
        } else if (line == "%HELP%") {
            out += helpSection();
        } else if (line.size() >= 2 && line.front() == '%' && line.back() == '%') {
            throw TemplateError("line " + std::to_string(number) + ": unknown part \"" +
                                std::string(line) + '"');
        } else {
            out.append(line).append("\n");
        }
    }
    return out;
}

}  // namespace z5
