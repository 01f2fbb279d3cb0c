#!/usr/bin/env python3
"""Turns one manual page source (*.1.md beside this file) into roff for man(1).

    make_man_page.py SOURCE OUTPUT VERSION

The source is a small Markdown: a header of "key: value" lines (title, section, date,
manual) ended by "---"; "## " starts a section, "### " a sub-section; a blank line ends a
paragraph; a line followed by lines starting with ": " is a term and its description (the
description continues on lines indented by two blanks); lines indented by four blanks are
shown as they are. Inline, **bold** and *italic*; every "-" inside them is a minus, so that
options can be copied from the page.
"""

import re
import sys

INLINE = re.compile(r"\*\*(.+?)\*\*|\*(.+?)\*")


def escape(text):
    return text.replace("\\", "\\e")


def minus(text):
    return text.replace("-", "\\-")


def inline(text):
    out = []
    position = 0
    for match in INLINE.finditer(text):
        out.append(escape(text[position:match.start()]))
        bold, italic = match.group(1), match.group(2)
        if bold is not None:
            out.append("\\fB" + minus(escape(bold)) + "\\fR")
        else:
            out.append("\\fI" + minus(escape(italic)) + "\\fR")
        position = match.end()
    out.append(escape(text[position:]))
    line = "".join(out)
    # A line of text must not look like a request.
    if line.startswith((".", "'")):
        line = "\\&" + line
    return line


def convert(source, version):
    header, _, body = source.partition("\n---\n")
    fields = dict(line.split(": ", 1) for line in header.splitlines() if line.strip())
    lines = body.splitlines()
    out = [
        '.TH "%s" "%s" "%s" "Tracklace %s" "%s"'
        % (fields["title"], fields["section"], fields["date"], version, fields["manual"])
    ]
    section = ""
    i = 0
    paragraph_open = False
    while i < len(lines):
        line = lines[i]
        if not line.strip():
            paragraph_open = False
            i += 1
            continue
        if line.startswith("## "):
            section = line[3:].strip()
            out.append('.SH "%s"' % section)
            paragraph_open = True
            i += 1
            continue
        if line.startswith("### "):
            out.append('.SS "%s"' % line[4:].strip())
            paragraph_open = True
            i += 1
            continue
        if line.startswith("    "):
            out += [".PP", ".RS 4", ".nf"]
            while i < len(lines) and (lines[i].startswith("    ") or not lines[i].strip()):
                if lines[i].strip():
                    out.append("\\&" + minus(escape(lines[i][4:])))
                i += 1
            out += [".fi", ".RE"]
            paragraph_open = False
            continue
        if i + 1 < len(lines) and lines[i + 1].startswith(": "):
            out.append(".TP")
            out.append(inline(line))
            i += 1
            out.append(inline(lines[i][2:]))
            i += 1
            while i < len(lines) and lines[i].startswith("  ") and not lines[i].startswith("    "):
                out.append(inline(lines[i].strip()))
                i += 1
            paragraph_open = False
            continue
        if section in ("NAME", "BEZEICHNUNG"):
            # whatis and apropos read "name \- summary" from here.
            name, _, summary = line.partition(" - ")
            out.append(minus(escape(name)) + " \\- " + escape(summary))
            i += 1
            continue
        if not paragraph_open:
            out.append(".PP")
            paragraph_open = True
        out.append(inline(line))
        i += 1
    return "\n".join(out) + "\n"


def main():
    if len(sys.argv) != 4:
        raise SystemExit("usage: make_man_page.py SOURCE OUTPUT VERSION")
    with open(sys.argv[1], encoding="utf-8") as source:
        page = convert(source.read(), sys.argv[3])
    with open(sys.argv[2], "w", encoding="utf-8") as output:
        output.write(page)


if __name__ == "__main__":
    main()
