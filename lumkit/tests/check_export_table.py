#!/usr/bin/env python3
"""Checks LUMKIT.dll's export table (by ordinal, no names) and that its users
import it by ordinal only, from the output of mingw's objdump -p."""
import argparse
import os
import re
import subprocess
import sys

REQUIRED = {1, 2, 3, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 50, 51}
REQUIRED |= set(range(100, 129)) | set(range(200, 219)) | set(range(300, 304)) | set(range(800, 824)) | set(range(900, 913))
REQUIRED |= set(range(400, 415)) | set(range(500, 518))  # CLumFlatButton, CLumHyperLink
REQUIRED |= {4, 5, 6}  # DDX_CheckFlag, DDX_NumberSpin32, DDX_NumberSpin64
REQUIRED |= {518}  # CLumHyperLink's complete-object destructor: links as members
REQUIRED |= set(range(700, 721))  # CLumListCtrl
REQUIRED |= set(range(600, 634))  # CLumInplaceEditList
ORDINAL_FLAG = 1 << 63  # PE32+ import thunk: import by ordinal


def objdump(tool, path):
    env = dict(os.environ, LC_ALL="C", LANG="C")  # objdump translates its headings
    return subprocess.run([tool, "-p", path], check=True, capture_output=True, text=True,
                          env=env).stdout


def block(text, start):
    """Lines after the line matching `start`, up to the next blank line."""
    lines = text.splitlines()
    for i, line in enumerate(lines):
        if re.search(start, line):
            rows = []
            for row in lines[i + 1:]:
                if not row.strip():
                    break
                rows.append(row)
            return rows
    return None


def exported_ordinals(text):
    rows = block(text, r"Export Address Table -- Ordinal Base \d+") or []
    return {int(m.group(1)) for m in (re.search(r"\+base\[\s*(\d+)\]\s+[0-9a-fA-F]+", r) for r in rows) if m}


def exported_names(text):
    rows = block(text, r"\[Ordinal/Name Pointer\] Table") or []
    return [r.strip() for r in rows if r.strip()]


def lumkit_import_thunks(text):
    rows = block(text, r"DLL Name: LUMKIT\.dll")
    if rows is None:
        return None
    return [r.split()[0] for r in rows[1:] if r.strip()]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--objdump", required=True)
    ap.add_argument("--library", required=True)
    ap.add_argument("--importer", action="append", default=[])
    args = ap.parse_args()
    failures = []

    dump = objdump(args.objdump, args.library)
    ordinals = exported_ordinals(dump)
    if REQUIRED - ordinals:
        failures.append(f"ordinals missing from LUMKIT.dll: {sorted(REQUIRED - ordinals)}")
    if exported_names(dump):
        failures.append(f"LUMKIT.dll exports names: {exported_names(dump)[:5]}")

    for importer in args.importer:
        thunks = lumkit_import_thunks(objdump(args.objdump, importer))
        if not thunks:
            failures.append(f"{importer}: imports nothing from LUMKIT.dll")
            continue
        by_name = [t for t in thunks if not int(t, 16) & ORDINAL_FLAG]
        if by_name:
            failures.append(f"{importer}: {len(by_name)} LUMKIT import(s) by name")

    for f in failures:
        print("FAIL:", f)
    print(f"LUMKIT.dll exports ordinals {sorted(ordinals)}; {len(args.importer)} importer(s) checked")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
