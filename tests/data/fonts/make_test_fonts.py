#!/usr/bin/python3
"""Writes the small TrueType fonts of this folder with fontTools.

Run with the system Python that has python3-fonttools (Debian):
    /usr/bin/python3 tests/data/fonts/make_test_fonts.py [OUTPUT_FOLDER]
The output folder defaults to the folder of this script. The glyphs have no
outlines; only the tables the font reader uses matter. fontTools writes the
same bytes on every run (the head dates are fixed below).
"""

import os
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

# 2001-01-01, in seconds since 1904-01-01, so that the files do not change.
FIXED_TIME = 3061152000


def empty_glyph():
    return TTGlyphPen(None).glyph()


def format4(platform_id, encoding_id, mapping):
    sub = CmapSubtable.newSubtable(4)
    sub.platformID = platform_id
    sub.platEncID = encoding_id
    sub.language = 0
    sub.cmap = dict(mapping)
    return sub


def build(path, family, style, ps_name, glyphs, advances, subtables,
          windows_names_only=False, units_per_em=2048, ascent=1854,
          descent=-434, italic_angle=0.0):
    fb = FontBuilder(units_per_em, isTTF=True)
    fb.setupGlyphOrder(glyphs)
    # Any character map first, replaced below by our own subtables.
    fb.setupCharacterMap({})
    fb.setupGlyf({g: empty_glyph() for g in glyphs})
    fb.setupHorizontalMetrics({g: (advances[g], 0) for g in glyphs})
    fb.setupHorizontalHeader(ascent=ascent, descent=descent)
    names = {"familyName": family, "styleName": style, "psName": ps_name}
    if windows_names_only:
        fb.setupNameTable(names, windows=True, mac=False)
    else:
        fb.setupNameTable(names)
    fb.setupOS2(sTypoAscender=ascent, sTypoDescender=descent, usWinAscent=ascent,
                usWinDescent=-descent)
    fb.setupPost(italicAngle=italic_angle)
    font = fb.font
    font["cmap"].tables = subtables
    head = font["head"]
    head.created = head.modified = FIXED_TIME
    # Empty outlines would give an empty bounding box; set a typical one.
    head.xMin, head.yMin, head.xMax, head.yMax = -1021, -463, 2793, 1995
    # Keep the box set above; fontTools would compute it from the outlines.
    font.recalcBBoxes = False
    font.save(path, reorderTables=True)


def keep_tables(src, dst, tags):
    """Writes a copy of the font src holding only the tables named in tags."""
    import struct
    data = open(src, "rb").read()
    count = struct.unpack(">H", data[4:6])[0]
    tables = []
    for i in range(count):
        tag, checksum, offset, length = struct.unpack(">4sIII", data[12 + 16 * i:28 + 16 * i])
        if tag.decode("latin-1") in tags:
            tables.append((tag, checksum, data[offset:offset + length]))
    out = bytearray(data[0:4] + struct.pack(">HHHH", len(tables), 0, 0, 0))
    offset = 12 + 16 * len(tables)
    body = bytearray()
    for tag, checksum, table in tables:
        out += struct.pack(">4sIII", tag, checksum, offset + len(body), len(table))
        body += table + b"\0" * (-len(table) % 4)
    open(dst, "wb").write(bytes(out + body))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))

    # A Latin font: widths at 2048 units per em, an italic angle of -11.5,
    # the euro sign mapped at U+20AC only (not at U+0080), and the
    # last glyphs sharing one advance so that hmtx ends in bearings only.
    # The digits 0 to 4 map to glyphs out of order.
    glyphs = [".notdef", "space", "A", "B", "C", "eacute", "Euro", "period", "comma"]
    advances = {".notdef": 1229, "space": 569, "A": 1139, "B": 1366, "C": 1479,
                "eacute": 1139, "Euro": 1139, "period": 500, "comma": 500}
    latin = {0x20: "space", 0x41: "A", 0x42: "B", 0x43: "C", 0xE9: "eacute",
             0x20AC: "Euro", 0x2E: "period", 0x2C: "comma",
             # glyphs out of order, which fontTools stores with idRangeOffset
             0x30: "C", 0x31: "A", 0x32: "eacute", 0x33: "B", 0x34: "space"}
    build(os.path.join(out, "VkTest-Italic.ttf"), "VkTest", "Italic", "VkTest-Italic",
          glyphs, advances, [format4(0, 3, latin), format4(3, 1, latin)], italic_angle=-11.5)

    # A symbol font: a (3,0) record before a (3,1) record, mapping different
    # glyphs, and codes both at their byte values and in the U+F000 area.
    sym_glyphs = [".notdef", "alpha", "beta", "gamma"]
    sym_adv = {".notdef": 1000, "alpha": 1200, "beta": 1400, "gamma": 1600}
    symbol = {0x41: "alpha", 0x42: "beta", 0xF041: "gamma"}
    unicode = {0x41: "gamma", 0x42: "gamma"}
    build(os.path.join(out, "VkSymbol.ttf"), "VkSymbol", "Regular", "VkSymbol",
          sym_glyphs, sym_adv, [format4(3, 0, symbol), format4(3, 1, unicode)],
          units_per_em=1000, ascent=800, descent=-200)

    # The PostScript name only on the Windows platform: the reader takes it from there.
    build(os.path.join(out, "VkWindowsNames.ttf"), "VkWindowsNames", "Regular",
          "VkWindowsNames", glyphs, advances, [format4(3, 1, latin)],
          windows_names_only=True)

    # The Latin font cut down to the six tables the reader uses, the glyf and
    # loca tables it requires, and maxp, without which fontTools cannot read it.
    keep_tables(os.path.join(out, "VkTest-Italic.ttf"), os.path.join(out, "VkMinimal.ttf"),
                {"name", "head", "hhea", "hmtx", "cmap", "post", "glyf", "loca", "maxp"})


if __name__ == "__main__":
    main()
