#!/usr/bin/env python3
"""Writes res/merolin.ico, the installer's icon: a white "M" on a dark-blue rounded square, with a
green check mark under it on the 32 x 32 image (a test-management product) and the "M" alone on the
16 x 16 image.

The file holds exactly two images, 32 x 32 and 16 x 16, each 16 colours (4 bits per pixel), stored
the classic way: ICONDIR, two ICONDIRENTRYs, then for each image a BITMAPINFOHEADER (height doubled),
a 16-entry RGBQUAD palette, the XOR bitmap bottom-up and the 1-bit AND mask, rows padded to 4 bytes.

Python 3, standard library only.   Usage: make_icon.py [output]   (default: res/merolin.ico)
"""
import os
import struct
import sys

# Palette, index -> (R, G, B). Indices 0 to 4 are the ones the pictures use; the rest are the usual
# 16-colour display colours so that the palette is complete.
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black: colour of transparent pixels (AND mask 1)
    (0x00, 0x00, 0x88),  # 1 dark blue: the square
    (0x00, 0x00, 0x48),  # 2 navy: the square's rim
    (0xFF, 0xFF, 0xFF),  # 3 white: the letter and the check mark's outline
    (0x10, 0xA8, 0x10),  # 4 green: the check mark
    (0x80, 0x00, 0x00),
    (0x80, 0x80, 0x00),
    (0x80, 0x00, 0x80),
    (0x00, 0x80, 0x80),
    (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80),
    (0xFF, 0x00, 0x00),
    (0x00, 0xFF, 0x00),
    (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF),
    (0x00, 0xFF, 0xFF),
]

# Picture characters: '.' transparent, 'B' square, 'D' rim, 'W' letter, 'w' outline, 'G' check mark.
PIXEL = {'.': None, 'B': 1, 'D': 2, 'W': 3, 'w': 3, 'G': 4}

IMAGE_32 = [
    "................................",
    ".....DDDDDDDDDDDDDDDDDDDDDD.....",
    "...DDBBBBBBBBBBBBBBBBBBBBBBDD...",
    "..DBBBBBBBBBBBBBBBBBBBBBBBBBBD..",
    "..DBBBWWWWBBBBBBBBBBBBWWWWBBBD..",
    ".DBBBBWWWWWBBBBBBBBBBWWWWWBBBBD.",
    ".DBBBBWWWWWWBBBBBBBBWWWWWWBBBBD.",
    ".DBBBBWWWBWWWBBBBBBWWWBWWWBBBBD.",
    ".DBBBBWWWBBWWWBBBBWWWBBWWWBBBBD.",
    ".DBBBBWWWBBBWWWBBWWWBBBWWWBBBBD.",
    ".DBBBBWWWBBBBWWWWWWBBBBWWWBBBBD.",
    ".DBBBBWWWBBBBBWWWWBBBBBWWWBBBBD.",
    ".DBBBBWWWBBBBBBBBBBBBBBWWWBBBBD.",
    ".DBBBBWWWBBBBBBBBBBBBBBWWWBBBBD.",
    ".DBBBBWWWBBBBBBBBBBBBBBWWWBBBBD.",
    ".DBBBBBBBBBBBBBBBBBBBBBBBBBBBBD.",
    ".DBBBBBBBBBBBBBBBBBBwwwBBBBBBBD.",
    ".DBBBBBBBBBBBBBBBBBwGGGwBBBBBBD.",
    ".DBBBBBBBBBBBBBBBBwGGGGwBBBBBBD.",
    ".DBBBBBBBBBBBBBBBwGGGGGwBBBBBBD.",
    ".DBBBBBBwwwBBBBBwGGGGGwBBBBBBBD.",
    ".DBBBBBwGGGwBBBwGGGGGwBBBBBBBBD.",
    ".DBBBBBwGGGGwBwGGGGGwBBBBBBBBBD.",
    ".DBBBBBwGGGGGwGGGGGwBBBBBBBBBBD.",
    ".DBBBBBBwGGGGGGGGGwBBBBBBBBBBBD.",
    ".DBBBBBBBwGGGGGGGwBBBBBBBBBBBBD.",
    ".DBBBBBBBBwGGGGGwBBBBBBBBBBBBBD.",
    "..DBBBBBBBBwGGGwBBBBBBBBBBBBBD..",
    "..DBBBBBBBBBwwwBBBBBBBBBBBBBBD..",
    "...DDBBBBBBBBBBBBBBBBBBBBBBDD...",
    ".....DDDDDDDDDDDDDDDDDDDDDD.....",
    "................................",
]

IMAGE_16 = [
    "..DDDDDDDDDDDD..",
    ".DBBBBBBBBBBBBD.",
    "DBBBBBBBBBBBBBBD",
    "DBBWWBBBBBBWWBBD",
    "DBBWWWBBBBWWWBBD",
    "DBBWWWWBBWWWWBBD",
    "DBBWWWWWWWWWWBBD",
    "DBBWWBWWWWBWWBBD",
    "DBBWWBBWWBBWWBBD",
    "DBBWWBBBBBBWWBBD",
    "DBBWWBBBBBBWWBBD",
    "DBBWWBBBBBBWWBBD",
    "DBBWWBBBBBBWWBBD",
    "DBBBBBBBBBBBBBBD",
    ".DBBBBBBBBBBBBD.",
    "..DDDDDDDDDDDD..",
]


def dib(picture):
    """BITMAPINFOHEADER, palette, XOR bitmap and AND mask of one square picture."""
    size = len(picture)
    assert all(len(row) == size for row in picture), "picture must be square"
    xor_stride = (size * 4 + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor_rows = []
    and_rows = []
    for row in reversed(picture):  # DIBs are stored bottom-up
        nibbles = []
        mask = bytearray(and_stride)
        for x, ch in enumerate(row):
            index = PIXEL[ch]
            if index is None:
                nibbles.append(0)
                mask[x // 8] |= 0x80 >> (x % 8)
            else:
                nibbles.append(index)
        if len(nibbles) % 2:
            nibbles.append(0)
        xor = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, len(nibbles), 2))
        xor_rows.append(xor.ljust(xor_stride, b"\0"))
        and_rows.append(bytes(mask))
    bits = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(bits), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    assert len(palette) == 64
    return header + palette + bits


def icon(pictures):
    images = [dib(p) for p in pictures]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for picture, image in zip(pictures, images):
        size = len(picture)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "res", "merolin.ico")
    data = icon([IMAGE_32, IMAGE_16])
    with open(target, "wb") as f:
        f.write(data)
    print("%s: %d bytes" % (os.path.normpath(target), len(data)))


if __name__ == "__main__":
    main()
