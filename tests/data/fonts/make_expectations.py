#!/usr/bin/python3
"""Writes expected_metrics.txt: what the font reader must answer for a few
fonts, computed with fontTools as an independent reference.

    /usr/bin/python3 tests/data/fonts/make_expectations.py > tests/data/fonts/expected_metrics.txt

Covers the test fonts of this folder and, when installed, system fonts from
the Debian packages fonts-dejavu-core, fonts-liberation and
fonts-freefont-otf (an OpenType font with CFF outlines). Each block
records the font file's size and FNV-1a hash, so a test can tell that an
installed font is not the file the values were computed from and skip it.

The rules applied are the reader's own:
- the font loads only with TrueType outlines (glyf and loca tables and a
  signature other than "OTTO"), a Macintosh Roman English PostScript name
  record (1, 0, 0, 6), a first Windows (3, 1) or (3, 0) cmap record whose
  subtable is format 4, and unitsPerEm > 0;
- the glyph of a code n (GlyphIndex, "glyphs" below) is the subtable's
  entry for n, unchanged;
- the width of a byte n of Windows-1252 text (CharWidth, "widths" below) is
  that of the glyph of the character the byte stands for in Windows-1252
  when the subtable is (3, 1), which differs from n only for the 27 bytes of
  0x80..0x9F that have a character; in a (3, 0) subtable it is that of the
  glyph of n;
- a value v in font units becomes (v * 1000 + 500) / unitsPerEm for v >= 0
  and (v * 1000 - 500) / unitsPerEm for v < 0, truncated toward zero.
"""

import math
import os
import sys

from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))

TEST_FONTS = ["VkTest-Italic.ttf", "VkSymbol.ttf", "VkWindowsNames.ttf", "VkMinimal.ttf"]
SYSTEM_FONTS = [
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSerif-Italic.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
    # PostScript (CFF) outlines: does not load (fonts-freefont-otf)
    "/usr/share/fonts/opentype/freefont/FreeSans.otf",
]


def fnv1a64(data):
    h = 0xCBF29CE484222325
    for b in data:
        h ^= b
        h = (h * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


def byte_key(n, encoding_id):
    """The code a Windows (3, encoding_id) subtable is asked for, for byte n."""
    if encoding_id != 1:
        return n
    try:
        return ord(bytes([n]).decode("cp1252"))
    except UnicodeDecodeError:  # 0x81, 0x8D, 0x8F, 0x90, 0x9D
        return n


def scale(v, upem):
    if v >= 0:
        return math.trunc((v * 1000 + 500) / upem)
    return math.trunc((v * 1000 - 500) / upem)


def describe(label, path, out):
    data = open(path, "rb").read()
    font = TTFont(path)
    out.append("font " + label)
    out.append("size %d" % len(data))
    out.append("fnv1a64 %016x" % fnv1a64(data))

    # The Macintosh Roman English record, byte for byte; failing that the
    # Windows English record, keeping its characters below 128.
    ps = None
    for rec in font["name"].names:
        if (rec.platformID, rec.platEncID, rec.langID, rec.nameID) == (1, 0, 0, 6):
            ps = rec.toBytes()
            break
    if ps is None:
        for rec in font["name"].names:
            if (rec.platformID, rec.platEncID, rec.langID, rec.nameID) == (3, 1, 0x409, 6):
                ps = bytes(c for c in rec.toUnicode().encode("ascii", "ignore"))
                break
    sub = None
    for t in font["cmap"].tables:
        if t.platformID == 3 and t.platEncID in (0, 1):
            sub = t
            break
    upem = font["head"].unitsPerEm
    outlines = font.sfntVersion != "OTTO" and "glyf" in font and "loca" in font
    loaded = outlines and ps is not None and sub is not None and sub.format == 4 and upem > 0
    out.append("loaded %d" % (1 if loaded else 0))
    if not loaded:
        out.append("end")
        return

    order = font.getGlyphOrder()
    hmtx = font["hmtx"]
    mapping = sub.cmap

    def glyph(code):
        name = mapping.get(code)
        return font.getGlyphID(name) if name is not None else 0

    def width(gid):
        return scale(hmtx[order[gid]][0], upem)

    head, hhea = font["head"], font["hhea"]
    out.append("postscript " + ps.hex())
    out.append("units-per-em %d" % upem)
    out.append("ascent %d" % scale(hhea.ascent, upem))
    out.append("descent %d" % scale(hhea.descent, upem))
    out.append("bbox %d %d %d %d" % tuple(scale(v, upem) for v in (head.xMin, head.yMin, head.xMax, head.yMax)))
    out.append("italic-angle %r" % float(font["post"].italicAngle))
    glyphs = [glyph(c) for c in range(256)]
    out.append("glyphs " + " ".join(str(g) for g in glyphs))
    out.append("widths " + " ".join(str(width(glyph(byte_key(c, sub.platEncID)))) for c in range(256)))
    # The glyph of every BMP code, as 16-bit little-endian values, hashed.
    bmp = bytearray()
    for c in range(65536):
        bmp += glyph(c).to_bytes(2, "little")
    out.append("bmp-fnv1a64 %016x" % fnv1a64(bmp))
    out.append("end")


def main():
    out = ["# Generated by make_expectations.py with fontTools; do not edit."]
    for name in TEST_FONTS:
        describe("data/" + name, os.path.join(HERE, name), out)
    for path in SYSTEM_FONTS:
        if os.path.exists(path):
            describe("system" + path, path, out)
        else:
            print("not installed: " + path, file=sys.stderr)
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
