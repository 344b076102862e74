#!/usr/bin/python3
"""Writes the sample bitmaps of this folder.

The first five are written by Pillow's own bitmap writer; the others by hand
below, for the variants Pillow does not write (4 bits, RLE8, RLE4, 16-bit bit
fields, the 12-byte core header). Run it from anywhere:

    /usr/bin/python3 tests/data/bmp/make_samples.py
"""
import os
import struct

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 23, 17


def colour(x, y):
    return ((x * 11) & 0xFF, (y * 15) & 0xFF, ((x + y) * 5) & 0xFF)


def pillow_samples():
    rgb = Image.new("RGB", (W, H))
    rgb.putdata([colour(x, y) for y in range(H) for x in range(W)])
    rgb.save(os.path.join(HERE, "pillow_rgb24.bmp"))
    rgba = rgb.convert("RGBA")
    rgba.putalpha(128)
    rgba.save(os.path.join(HERE, "pillow_rgba32.bmp"))
    rgb.convert("L").save(os.path.join(HERE, "pillow_gray8.bmp"))
    rgb.convert("P", palette=Image.ADAPTIVE, colors=50).save(os.path.join(HERE, "pillow_palette8.bmp"))
    rgb.convert("1").save(os.path.join(HERE, "pillow_bw1.bmp"))


def file_header(dib, pixel_offset):
    return b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, 14 + pixel_offset) + dib


def info_header(w, h, bits, compression, size_image, colours):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, compression, size_image, 2835, 2835, colours, 0)


def palette(n):
    return b"".join(bytes(((i * 29) & 0xFF, (i * 53) & 0xFF, (255 - i * 7) & 0xFF, 0)) for i in range(n))


def rows(w, h, bits, value):
    out = b""
    for y in range(h - 1, -1, -1):  # bottom row first
        acc, nbits, row = 0, 0, bytearray()
        for x in range(w):
            acc = (acc << bits) | value(x, y)
            nbits += bits
            while nbits >= 8:
                nbits -= 8
                row.append((acc >> nbits) & 0xFF)
        if nbits:
            row.append((acc << (8 - nbits)) & 0xFF)
        while len(row) % 4:
            row.append(0)
        out += bytes(row)
    return out


def write(name, dib, pixel_offset):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(file_header(dib, pixel_offset))


def hand_samples():
    # 4 bits, 16 colours.
    pix = rows(W, H, 4, lambda x, y: (x + 2 * y) % 16)
    write("hand_pal4.bmp", info_header(W, H, 4, 0, len(pix), 16) + palette(16) + pix, 40 + 64)

    # RLE8: per row a run, an absolute run (padded), two more runs, end of
    # line; then end of bitmap. (Moves and rows left short are covered by the
    # tests' own bitmaps: Pillow's decoder does not read them right.)
    rle = bytearray()
    for y in range(H):
        rle += bytes((5, y, 0, 3, 1, 2, 3, 0, 4, (y * 3) % 256, W - 12, 200 + y % 50, 0, 0))
    rle += bytes((0, 1))
    write("hand_rle8.bmp", info_header(W, H, 8, 1, len(rle), 256) + palette(256) + rle, 40 + 1024)

    # RLE4: runs of alternating nibbles and an absolute run of 6 pixels in 3
    # bytes (padded).
    rle = bytearray()
    for y in range(H):
        rle += bytes((7, 0x1F, 0, 6, 0x23, 0x45, 0x67, 0, W - 13, (y % 16) * 17, 0, 0))
    rle += bytes((0, 1))
    write("hand_rle4.bmp", info_header(W, H, 4, 2, len(rle), 16) + palette(16) + rle, 40 + 64)

    # 16 bits with 5-6-5 bit fields behind a 40-byte header.
    pix = b""
    for y in range(H - 1, -1, -1):
        row = b"".join(struct.pack("<H", ((x & 31) << 11) | ((y * 3 & 63) << 5) | ((x + y) & 31)) for x in range(W))
        pix += row + b"\0" * (-len(row) % 4)
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    write("hand_bitfields565.bmp", info_header(W, H, 16, 3, len(pix), 0) + masks + pix, 40 + 12)

    # The 12-byte core header with 3-byte palette entries, 8 bits.
    pix = rows(W, H, 8, lambda x, y: (x * y) % 256)
    pal = b"".join(bytes((i, 255 - i, (i * 3) & 0xFF)) for i in range(256))
    write("hand_core8.bmp", struct.pack("<IHHHH", 12, W, H, 1, 8) + pal + pix, 12 + 768)


if __name__ == "__main__":
    pillow_samples()
    hand_samples()
