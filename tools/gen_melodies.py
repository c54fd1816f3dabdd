#!/usr/bin/env python3
"""Writes the melody file: the UTF-8 source in code page 1251 with CR LF
line ends, as the program reads it.

    gen_melodies.py SOURCE OUTPUT
"""
import sys


def main():
    source, output = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    with open(output, "wb") as f:
        f.write(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1251"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
