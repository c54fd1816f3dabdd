#!/usr/bin/env python3
"""Compile a string table source into its two forms.

    gen_strings.py SOURCE --rc OUT.rc [--codepage N] [--reference SOURCE2]
    gen_strings.py SOURCE --cpp OUT.cpp

--rc writes a STRINGTABLE for windres in code page N (1251 unless given),
--cpp a table for the native build with the same bytes.

SOURCE holds lines of the form:  ID "text"  (UTF-8, escapes \\n \\t \\\\ \\").
A translation may hold  ID same  for a text the program must keep as it is
(a registry name, words it parses): the string is left out of its table, so
that the program's own is found.

A translation names the table it translates with --reference: the two must
hold the same identifiers, and each text the same printf conversions in the
same order and the same %1..%9 inserts, or nothing is written.
"""
import argparse
import re
import sys

LINE = re.compile(r'^\s*(\d+)\s+"((?:[^"\\]|\\.)*)"\s*$')
SAME = re.compile(r'^\s*(\d+)\s+same\s*$')
ESCAPES = {"n": "\n", "t": "\t", "\\": "\\", '"': '"'}


def parse(path, codepage="cp1251", same_allowed=False):
    entries = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            stripped = line.strip()
            if not stripped or stripped.startswith("#"):
                continue
            m = LINE.match(line) or SAME.match(line)
            if not m:
                sys.exit(f"{path}:{number}: expected: ID \"text\"")
            ident = int(m.group(1))
            if not 1 <= ident <= 65535:
                sys.exit(f"{path}:{number}: identifier {ident} out of range")
            if ident in entries:
                sys.exit(f"{path}:{number}: identifier {ident} defined twice")
            if m.re is SAME:
                if not same_allowed:
                    sys.exit(f"{path}:{number}: \"same\" is for translations")
                entries[ident] = None
                continue
            text = re.sub(r"\\(.)", lambda e: unescape(e, path, number), m.group(2))
            try:
                entries[ident] = text.encode(codepage)
            except UnicodeEncodeError as err:
                sys.exit(f"{path}:{number}: not representable in code page {codepage[2:]}: {err}")
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


PRINTF = re.compile(rb"%%|%[-+ #0]*(?:\d+|\*)?(?:\.(?:\d+|\*))?(?:hh|h|ll|l|I64|I32|z)?[diouxXcsSeEfgGp]")
INSERT = re.compile(rb"%[1-9]")


def conversions(data):
    """The printf conversions in order, and the set of %1..%9 inserts."""
    printf = [m.group(0) for m in PRINTF.finditer(data) if m.group(0) != b"%%"]
    rest = PRINTF.sub(b"", data)
    return printf, sorted(set(INSERT.findall(rest)))


def check_translation(entries, reference, path, reference_path):
    """Problems of a translation against the table it translates, as lines."""
    problems = []
    for ident in sorted(reference.keys() - entries.keys()):
        problems.append(f"{path}: identifier {ident} of {reference_path} is missing")
    for ident in sorted(entries.keys() - reference.keys()):
        problems.append(f"{path}: identifier {ident} is not in {reference_path}")
    for ident in sorted(entries.keys() & reference.keys()):
        if entries[ident] is None:
            continue
        want, got = conversions(reference[ident]), conversions(entries[ident])
        if want != got:
            problems.append(f"{path}: identifier {ident} has conversions {got}, {reference_path} has {want}")
    return problems


def write_rc(entries, path, codepage=1251):
    body = ["// Generated from a string table source; do not edit.", f"#pragma code_page({codepage})",
            "STRINGTABLE", "BEGIN"]
    for ident, data in entries.items():
        if data is not None:
            body.append(f'    {ident} "{rc_literal(data)}"')
    body += ["END", ""]
    with open(path, "w", encoding="latin-1", newline="\n") as f:
        f.write("\n".join(body))


def c_literal(data):
    return "".join("\\%03o" % b if b < 0x20 or b >= 0x7F or b in (0x22, 0x5C, 0x3F)
                   else chr(b) for b in data)


def write_cpp(entries, path):
    lines = ["// Generated from a string table source; do not edit.",
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
    ap = argparse.ArgumentParser(usage=__doc__)
    ap.add_argument("source")
    out = ap.add_mutually_exclusive_group(required=True)
    out.add_argument("--rc")
    out.add_argument("--cpp")
    ap.add_argument("--codepage", type=int, default=1251)
    ap.add_argument("--reference")
    args = ap.parse_args(argv[1:])
    entries = parse(args.source, f"cp{args.codepage}", same_allowed=bool(args.reference))
    if args.reference:
        problems = check_translation(entries, parse(args.reference), args.source, args.reference)
        if problems:
            sys.exit("\n".join(problems))
    if args.rc:
        write_rc(entries, args.rc, args.codepage)
    else:
        write_cpp(entries, args.cpp)


if __name__ == "__main__":
    main(sys.argv)
