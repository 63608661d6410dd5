#!/usr/bin/env python3
"""Writes every character the page can show: printable ASCII and each other character of the
given source files (the window's captions, the machine's messages, the page's own texts), for
subsetting the page's fonts to them.

Usage: tools/font_text.py OUTPUT.txt FILE...
Standard library only.
"""

import os
import sys


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    chars = {chr(c) for c in range(0x20, 0x7F)}
    for path in sys.argv[2:]:
        with open(path, encoding="utf-8") as f:
            chars.update(c for c in f.read() if ord(c) > 0x7F)
    out = sys.argv[1]
    with open(out + ".tmp", "w", encoding="utf-8") as f:
        f.write("".join(sorted(chars)))
    os.replace(out + ".tmp", out)


if __name__ == "__main__":
    main()
