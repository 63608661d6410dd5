#!/usr/bin/env python3
"""Draws the 20 pictures of the image list Iml_Moto as 32 x 32 RGBA PNG files.

1..14 are the reel symbols (their number on a tile; the kakuhen symbols 3, 7, 10..14 on a red
tile with a gold frame and stars, the others on a blue tile), 15 and 16 the left and right hand,
17 and 18 the right ghost at rest and drifting, 19 and 20 the left ghost sliding and at rest.

Usage: tools/make_images.py [output directory]   (default: assets/images)
Standard library only, so it runs wherever Python 3 does.
"""

import math
import os
import struct
import sys
import zlib

N = 32
CLEAR = (0, 0, 0, 0)
KAKUHEN = {3, 7, 10, 11, 12, 13, 14}

DIGITS = {
    "0": [" ##### ", "##   ##", "##   ##", "##   ##", "##   ##", "##   ##",
          "##   ##", "##   ##", "##   ##", "##   ##", "##   ##", " ##### "],
    "1": ["  ##   ", " ###   ", "####   ", "  ##   ", "  ##   ", "  ##   ",
          "  ##   ", "  ##   ", "  ##   ", "  ##   ", "  ##   ", "###### "],
    "2": [" ##### ", "##   ##", "     ##", "     ##", "    ## ", "   ##  ",
          "  ##   ", " ##    ", "##     ", "##     ", "##     ", "#######"],
    "3": [" ##### ", "##   ##", "     ##", "     ##", "     ##", "  #### ",
          "     ##", "     ##", "     ##", "     ##", "##   ##", " ##### "],
    "4": ["    ## ", "   ### ", "  #### ", " ## ## ", "##  ## ", "##  ## ",
          "#######", "    ## ", "    ## ", "    ## ", "    ## ", "    ## "],
    "5": ["#######", "##     ", "##     ", "##     ", "###### ", "     ##",
          "     ##", "     ##", "     ##", "     ##", "##   ##", " ##### "],
    "6": [" ##### ", "##   ##", "##     ", "##     ", "###### ", "##   ##",
          "##   ##", "##   ##", "##   ##", "##   ##", "##   ##", " ##### "],
    "7": ["#######", "##   ##", "     ##", "    ## ", "    ## ", "   ##  ",
          "   ##  ", "  ##   ", "  ##   ", "  ##   ", "  ##   ", "  ##   "],
    "8": [" ##### ", "##   ##", "##   ##", "##   ##", "##   ##", " ##### ",
          "##   ##", "##   ##", "##   ##", "##   ##", "##   ##", " ##### "],
    "9": [" ##### ", "##   ##", "##   ##", "##   ##", "##   ##", "##   ##",
          " ######", "     ##", "     ##", "     ##", "##   ##", " ##### "],
}


def hexc(s, a=255):
    return (int(s[0:2], 16), int(s[2:4], 16), int(s[4:6], 16), a)


def canvas():
    return [[CLEAR] * N for _ in range(N)]


def write_png(path, px):
    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in px)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", N, N, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def outline(mask):
    """Pixels of the mask that touch a pixel outside it (4-neighbourhood)."""
    edge = set()
    for y, x in mask:
        for dy, dx in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            if (y + dy, x + dx) not in mask:
                edge.add((y, x))
                break
    return edge


def rounded_rect(x0, y0, x1, y1, r):
    pts = set()
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r * 0.8:
                pts.add((y, x))
    return pts


def capsule(a, b, radius):
    """Pixels within `radius` of the segment from a to b, both (y, x)."""
    (ay, ax), (by, bx) = a, b
    pts = set()
    for y in range(N):
        for x in range(N):
            t = ((y - ay) * (by - ay) + (x - ax) * (bx - ax)) / ((by - ay) ** 2 + (bx - ax) ** 2)
            t = min(max(t, 0.0), 1.0)
            if (y - ay - t * (by - ay)) ** 2 + (x - ax - t * (bx - ax)) ** 2 <= radius * radius:
                pts.add((y, x))
    return pts


def paint(px, pts, colour):
    for y, x in pts:
        if 0 <= y < N and 0 <= x < N:
            px[y][x] = colour


# --- reel symbols -------------------------------------------------------------------------------

def glyph_mask(text, x0, y0, sx, sy):
    pts = set()
    x = x0
    for ch in text:
        rows = DIGITS[ch]
        for gy, row in enumerate(rows):
            for gx, c in enumerate(row):
                if c == "#":
                    for dy in range(sy):
                        for dx in range(sx):
                            pts.add((y0 + gy * sy + dy, x + gx * sx + dx))
        x += 7 * sx + 1
    return pts


def symbol(n):
    px = canvas()
    kakuhen = n in KAKUHEN
    if kakuhen:
        frame, light, mid, dark = hexc("f8d030"), hexc("f04848"), hexc("d01818"), hexc("880808")
        digit, digit_shade, digit_edge = hexc("fff070"), hexc("f0b000"), hexc("501000")
    else:
        frame, light, mid, dark = hexc("d8e0f0"), hexc("5890f0"), hexc("2858c8"), hexc("102878")
        digit, digit_shade, digit_edge = hexc("ffffff"), hexc("b8c8e8"), hexc("081850")
    tile = rounded_rect(1, 1, 30, 30, 6)
    inner = rounded_rect(3, 3, 28, 28, 5)
    paint(px, tile, frame)
    for y, x in inner:  # light from the top left, ordered-dither between the bands
        t = (y + x * 0.35) / 36.0
        d = ((x & 1) ^ (y & 1)) * 0.06
        px[y][x] = light if t + d < 0.42 else mid if t + d < 0.78 else dark
    paint(px, outline(tile), hexc("202020") if not kakuhen else hexc("603000"))
    if kakuhen:  # gold frame with a sparkle in two corners
        for y, x in ((4, 5), (4, 26), (27, 5), (27, 26)):
            paint(px, {(y, x)}, hexc("ffffff"))
        for cy, cx in ((6, 7), (25, 24)):
            paint(px, {(cy, cx), (cy - 1, cx), (cy + 1, cx), (cy, cx - 1), (cy, cx + 1)},
                  hexc("fff8c0"))
    else:  # a glossy highlight on the blue tile
        paint(px, {(5, x) for x in range(8, 15)} | {(6, x) for x in range(6, 9)}, hexc("a8c8ff"))

    text = str(n)
    sx = 2 if len(text) == 1 else 1
    width = len(text) * 7 * sx + (len(text) - 1)
    x0 = (N - width) // 2
    y0 = 4
    glyph = glyph_mask(text, x0, y0, sx, 2)
    halo = set()
    for y, x in glyph:
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                halo.add((y + dy, x + dx))
    paint(px, halo - glyph, digit_edge)
    for y, x in glyph:
        px[y][x] = digit if y < y0 + 12 else digit_shade
    return px


# --- hands --------------------------------------------------------------------------------------

def hand(left):
    px = canvas()
    skin, shade, edge = hexc("f8c8a0"), hexc("e09870"), hexc("603018")
    cuff, cuff_shade = hexc("ffffff"), hexc("c0c8d8")
    palm = rounded_rect(7, 13, 21, 25, 4)
    fingers = set()
    for x0, top in ((7, 6), (11, 3), (15, 4), (19, 7)):
        fingers |= rounded_rect(x0, top, x0 + 2, 16, 1)
    thumb = capsule((21, 22), (13, 27), 1.7)
    body = palm | fingers | thumb
    sleeve = rounded_rect(8, 25, 23, 30, 1)
    if not left:
        mirror = lambda pts: {(y, N - 1 - x) for y, x in pts}
        body, sleeve = mirror(body), mirror(sleeve)
    paint(px, body, skin)
    paint(px, {(y, x) for y, x in body if (y, x + (1 if left else -1)) not in body}, shade)
    paint(px, outline(body), edge)
    # finger creases
    for xs in ((10, 14, 18) if left else (21, 17, 13)):
        paint(px, {(y, xs) for y in range(14, 17)}, shade)
    paint(px, sleeve, cuff)
    paint(px, {(y, x) for y, x in sleeve if y >= 29}, cuff_shade)
    paint(px, outline(sleeve), hexc("404860"))
    return px


# --- ghosts -------------------------------------------------------------------------------------

def ghost(facing_left, moving, tint):
    """A round-headed ghost with a scalloped hem; `moving` bends the hem back and adds streaks."""
    px = canvas()
    body_c, shade_c, edge_c = tint
    cx, cy, r = 16, 13, 10
    mask = set()
    for y in range(N):
        for x in range(N):
            lean = 0
            if moving and y > cy:  # the hem trails behind the direction of travel
                lean = int((y - cy) * 0.45) * (1 if facing_left else -1)
            bx = x - lean
            if y <= cy:
                inside = (bx - cx) ** 2 + (y - cy) ** 2 <= r * r + 3
            else:
                hem = 25 + round(1.6 * math.sin((bx - 6) * math.pi / 3.4))
                inside = cx - r <= bx <= cx + r and y <= hem
            if inside:
                mask.add((y, x))
    # a little arm held out in front
    side = -1 if facing_left else 1
    mask |= capsule((18, cx + side * (r - 1)), (16, cx + side * (r + 2)), 1.6)
    paint(px, mask, body_c)
    far = 1 if facing_left else -1  # shade the side away from the way it faces
    paint(px, {(y, x) for y, x in mask
               if (y, x + 2 * far) not in mask or (y, x + far) not in mask or (y + 2, x) not in mask},
          shade_c)
    paint(px, outline(mask), edge_c)
    # eyes look the way it faces
    ex = cx - 5 if facing_left else cx + 2
    for x0 in (ex, ex + 5 if facing_left else ex - 5):
        paint(px, {(y, x) for y in range(10, 15) for x in (x0, x0 + 1)}, hexc("101018"))
        paint(px, {(10, x0 + (0 if facing_left else 1))}, hexc("ffffff"))
    mouth_x = cx - 3 if facing_left else cx + 1
    paint(px, {(17, mouth_x), (17, mouth_x + 1), (18, mouth_x), (18, mouth_x + 1)},
          hexc("c02040"))
    paint(px, {(15, ex - 1), (15, ex + 7)} if facing_left else {(15, ex + 2), (15, ex - 6)},
          hexc("f090b0"))
    if moving:  # speed streaks behind it
        back = N - 2 if facing_left else 1
        for y, length in ((9, 4), (15, 5), (21, 3)):
            for i in range(length):
                x = back - i if facing_left else back + i
                if (y, x) not in mask:
                    px[y][x] = hexc("a0b8e0", 200 - 30 * i)
    return px


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "assets", "images")
    os.makedirs(out, exist_ok=True)
    right_tint = (hexc("f8f8ff"), hexc("c8d0f0"), hexc("283058"))
    left_tint = (hexc("f4ecff"), hexc("d0b8f0"), hexc("3a2058"))
    pictures = [symbol(n) for n in range(1, 15)]
    pictures += [hand(True), hand(False)]
    pictures += [ghost(True, False, right_tint), ghost(True, True, right_tint)]
    pictures += [ghost(False, True, left_tint), ghost(False, False, left_tint)]
    for i, px in enumerate(pictures, start=1):
        write_png(os.path.join(out, f"iml_moto_{i:02d}.png"), px)


if __name__ == "__main__":
    main()
