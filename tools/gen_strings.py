#!/usr/bin/env python3
"""Compile the program's string table source into its two forms.

    gen_strings.py SOURCE --rc OUT.rc      STRINGTABLE for windres, code page 1251
    gen_strings.py SOURCE --cpp OUT.cpp    table for the native build, same bytes

SOURCE holds lines of the form:  ID "text"  (UTF-8, escapes \\n \\t \\\\ \\").
"""
import re
import sys

LINE = re.compile(r'^\s*(\d+)\s+"((?:[^"\\]|\\.)*)"\s*$')
ESCAPES = {"n": "\n", "t": "\t", "\\": "\\", '"': '"'}


def parse(path):
    entries = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            stripped = line.strip()
            if not stripped or stripped.startswith("#"):
                continue
            m = LINE.match(line)
            if not m:
                sys.exit(f"{path}:{number}: expected: ID \"text\"")
            ident = int(m.group(1))
            if not 1 <= ident <= 65535:
                sys.exit(f"{path}:{number}: identifier {ident} out of range")
            if ident in entries:
                sys.exit(f"{path}:{number}: identifier {ident} defined twice")
            text = re.sub(r"\\(.)", lambda e: unescape(e, path, number), m.group(2))
            try:
                entries[ident] = text.encode("cp1251")
            except UnicodeEncodeError as err:
                sys.exit(f"{path}:{number}: not representable in code page 1251: {err}")
    return dict(sorted(entries.items()))


def unescape(match, path, number):
    ch = match.group(1)
    if ch not in ESCAPES:
        sys.exit(f"{path}:{number}: unknown escape \\{ch}")
    return ESCAPES[ch]


def rc_literal(data):
    # Bytes >= 0x80 stay raw cp1251; the file is written as latin-1 to carry them.
    out = []
    for b in data:
        if b == 0x22:
            out.append('""')
        elif b == 0x5C:
            out.append("\\\\")
        elif b < 0x20 or b == 0x7F:
            out.append("\\%03o" % b)
        else:
            out.append(bytes([b]).decode("latin-1"))
    return "".join(out)


def write_rc(entries, path):
    body = ["// Generated from strings.txt; do not edit.", "#pragma code_page(1251)",
            "STRINGTABLE", "BEGIN"]
    for ident, data in entries.items():
        body.append(f'    {ident} "{rc_literal(data)}"')
    body += ["END", ""]
    with open(path, "w", encoding="latin-1", newline="\n") as f:
        f.write("\n".join(body))


def c_literal(data):
    return "".join("\\%03o" % b if b < 0x20 or b >= 0x7F or b in (0x22, 0x5C, 0x3F)
                   else chr(b) for b in data)


def write_cpp(entries, path):
    lines = ["// Generated from strings.txt; do not edit.",
             '#include "StringTableNative.h"', "",
             "namespace postling_res {", "",
             "const StringEntry kStringTable[] = {"]
    for ident, data in entries.items():
        lines.append(f'    {{{ident}, "{c_literal(data)}", {len(data)}}},')
    lines += ["};", "",
              "const std::size_t kStringTableSize = sizeof kStringTable / sizeof kStringTable[0];",
              "", "}  // namespace postling_res", ""]
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines))


def main(argv):
    if len(argv) != 4 or argv[2] not in ("--rc", "--cpp"):
        sys.exit(__doc__)
    entries = parse(argv[1])
    (write_rc if argv[2] == "--rc" else write_cpp)(entries, argv[3])


if __name__ == "__main__":
    main(sys.argv)
