#!/usr/bin/env python3
"""Writes the straight RGBA bytes of 8-bit RGBA PNG files as a C++ array, so that a program that
links no image decoder (the page's WebAssembly) has the very pixels the window decodes.

Usage: tools/png_to_cpp.py OUTPUT.cpp ARRAY_NAME FILE.png...
Standard library only.
"""

import os
import struct
import sys
import zlib


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def rgba_of(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 6 or interlace != 0:
        sys.exit(f"{path}: only 8-bit RGBA PNG files without interlace are read")
    raw = zlib.decompress(idat)
    stride = width * 4
    out = bytearray()
    previous = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - 4] if x >= 4 else 0
            b = previous[x]
            c = previous[x - 4] if x >= 4 else 0
            line[x] = (line[x] + (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]) & 0xFF
        out += line
        previous = line
    return width, height, bytes(out)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    output, name, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    images = [rgba_of(f) for f in files]
    size = {(w, h) for w, h, _ in images}
    if len(size) != 1:
        sys.exit("the pictures differ in size")
    (width, height), = size
    lines = ["// Written by tools/png_to_cpp.py from the project's pictures; do not edit.",
             "#include <cstdint>", "",
             f"extern const std::uint8_t {name}[{len(images)}][{width * height * 4}];",
             f"const std::uint8_t {name}[{len(images)}][{width * height * 4}] = {{"]
    for _, _, pixels in images:
        lines.append("    {")
        for at in range(0, len(pixels), 24):
            lines.append("        " + ", ".join(str(b) for b in pixels[at:at + 24]) + ",")
        lines.append("    },")
    lines.append("};")
    with open(output + ".tmp", "w") as f:
        f.write("\n".join(lines) + "\n")
    os.replace(output + ".tmp", output)


if __name__ == "__main__":
    main()
