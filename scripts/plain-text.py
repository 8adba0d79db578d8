#!/usr/bin/env python3
"""Turns the project's Markdown documents into plain text for a system's
users: the Windows ZIP's README.txt and docs\\*.txt. Blocks between
"<!-- linux -->" and "<!-- /linux -->" are left out for Windows, and the
text of a "<!-- windows" ... "-->" comment is put in; headings are
underlined, code blocks indented, tables written as entries, paragraphs and
list items wrapped at 78 columns, links to other documents named by the
file they become; lines end with CR LF.

Usage: scripts/plain-text.py SYSTEM IN.md OUT.txt [VERSION]
(SYSTEM: windows or linux; VERSION names the development section of a
changelog)"""
import re
import sys
import textwrap

WIDTH = 78


def select(lines, system):
    """The lines meant for `system`."""
    out, skipping, inside = [], False, False
    for line in lines:
        stripped = line.strip()
        if stripped == "<!-- linux -->":
            skipping = system != "linux"
        elif stripped == "<!-- /linux -->":
            skipping = False
        elif stripped == "<!-- windows":
            inside = True
            skipping = system != "windows"
        elif inside and stripped == "-->":
            inside = False
            skipping = False
        elif not skipping:
            out.append(line)
    return out


def link(match, system):
    text, target = match.group(1), match.group(2)
    if target.startswith("#") or target.startswith("http"):
        return text
    name = target.split("#")[0]
    if name.endswith(".md"):
        name = name[:-3] + ".txt"
    elif name == "LICENSE":
        name = "LICENSE.txt"
    if system == "windows":
        name = name.replace("/", "\\")
    return "%s (%s)" % (text, name)


def inline(text, system):
    text = re.sub(r"\[([^\]]+)\]\(([^)]+)\)", lambda m: link(m, system), text)
    text = text.replace("**", "")
    return text.replace("`", "")


def wrap(text, first="", rest=""):
    return textwrap.wrap(text, WIDTH, initial_indent=first, subsequent_indent=rest,
                         break_long_words=False, break_on_hyphens=False) or [first.rstrip()]


def cells(row):
    return [c.strip() for c in row.strip().strip("|").split("|")]


def convert(lines, system, version):
    out, paragraph, i = [], [], 0

    def flush():
        if paragraph:
            out.extend(wrap(" ".join(paragraph)))
            out.append("")
            paragraph.clear()

    while i < len(lines):
        line = lines[i]
        stripped = line.strip()
        if stripped.startswith("<!--"):
            # A comment (the changelog's note to its editors) is left out.
            while "-->" not in lines[i]:
                i += 1
            i += 1
            continue
        if stripped.startswith("```"):
            flush()
            i += 1
            while not lines[i].strip().startswith("```"):
                out.append(("    " + lines[i]).rstrip())
                i += 1
            out.append("")
        elif stripped.startswith("#"):
            flush()
            level = len(stripped) - len(stripped.lstrip("#"))
            title = inline(stripped[level:].strip(), system)
            if version and title == "Development version":
                title = version
            out.append(title)
            if level <= 2:
                out.append(("=" if level == 1 else "-") * len(title))
            out.append("")
        elif stripped.startswith("|"):
            flush()
            header = cells(stripped)
            i += 2  # the header and the rule under it
            while i < len(lines) and lines[i].strip().startswith("|"):
                row = [inline(c, system) for c in cells(lines[i])]
                out.extend(wrap(row[0]))
                # The other cells under it, each named by its column when
                # there is more than one.
                for title, cell in zip(header[1:], row[1:]):
                    if cell:
                        named = inline(title, system) + ": " if len(header) > 2 else ""
                        out.extend(wrap(named + cell, "    ", "    "))
                out.append("")
                i += 1
            continue
        elif re.match(r"^\s*- ", line):
            flush()
            indent = len(line) - len(line.lstrip())
            item = [line.strip()[2:]]
            while i + 1 < len(lines) and lines[i + 1].startswith(" " * (indent + 2)) and \
                    lines[i + 1].strip() and not lines[i + 1].strip().startswith("- "):
                i += 1
                item.append(lines[i].strip())
            out.extend(wrap(inline(" ".join(item), system), " " * indent + "- ",
                            " " * (indent + 2)))
            if i + 1 >= len(lines) or not re.match(r"^\s*- ", lines[i + 1]):
                out.append("")
        elif not stripped:
            flush()
        else:
            paragraph.append(inline(stripped, system))
        i += 1
    flush()
    while out and not out[-1]:
        out.pop()
    return out


def main():
    system, source, target = sys.argv[1], sys.argv[2], sys.argv[3]
    version = sys.argv[4] if len(sys.argv) > 4 else None
    with open(source, encoding="utf-8") as f:
        lines = f.read().split("\n")
    text = "\r\n".join(convert(select(lines, system), system, version)) + "\r\n"
    with open(target, "w", encoding="utf-8", newline="") as f:
        f.write(text)


if __name__ == "__main__":
    main()
