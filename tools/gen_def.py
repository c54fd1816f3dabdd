#!/usr/bin/env python3
"""Write a NONAME module-definition file from an ordinal table.

    gen_def.py --nm NM --exports TABLE --library NAME --out FILE.def OBJECT...

Each table entry names a symbol defined in the objects, by its demangled
signature or by a bare name that fits exactly one defined symbol.
"""
import argparse
import re
import subprocess
import sys


def defined_symbols(nm, objects):
    """(mangled, demangled) for every global symbol the objects define."""
    def run(extra):
        out = subprocess.run([nm, "-g", "--defined-only", *extra, *objects],
                             check=True, capture_output=True, text=True).stdout
        rows = []
        for line in out.splitlines():
            parts = line.split(" ", 2)
            if len(parts) == 3 and parts[1] in "TDBR":
                rows.append(parts[2])
        return rows
    mangled, demangled = run([]), run(["-C"])
    if len(mangled) != len(demangled):
        sys.exit("gen_def: nm listings disagree")
    return sorted(set(zip(mangled, demangled)))


def bare_name(demangled):
    """The qualified name without parameters and ABI tags."""
    return re.sub(r"\[abi:\w+\]", "", demangled.split("(", 1)[0])


def resolve(entry, symbols):
    exact = {m for m, d in symbols if d == entry or m == entry}
    if exact:
        return exact
    return {m for m, d in symbols if bare_name(d) == entry}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--nm", required=True)
    ap.add_argument("--exports", required=True)
    ap.add_argument("--library", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("objects", nargs="+")
    args = ap.parse_args()

    symbols = defined_symbols(args.nm, args.objects)
    lines = [f"LIBRARY {args.library}", "EXPORTS"]
    seen = set()
    with open(args.exports, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            m = re.match(r"^(\d+)\s+(.+?)(\s+DATA)?$", line)
            if not m:
                sys.exit(f"{args.exports}:{number}: expected: ORDINAL SYMBOL [DATA]")
            ordinal, entry, data = int(m.group(1)), m.group(2), bool(m.group(3))
            if ordinal in seen:
                sys.exit(f"{args.exports}:{number}: ordinal {ordinal} used twice")
            seen.add(ordinal)
            found = resolve(entry, symbols)
            if len(found) != 1:
                what = "not defined" if not found else "ambiguous: " + ", ".join(sorted(found))
                sys.exit(f"{args.exports}:{number}: {entry}: {what}")
            suffix = " DATA" if data else ""
            lines.append(f"    {found.pop()} @{ordinal} NONAME{suffix}")
    with open(args.out, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
