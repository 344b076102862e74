# Pillow's reading of image files, the reference of the real-world decoding
# test (tests/images_realworld.cpp). Run by /usr/bin/python3 (python3-pil,
# python3-numpy):
#
#   pillow_reference.py OUT LIST
#
# LIST holds one file a line: its name, a tab and the formats (Pillow's
# names, separated by commas, or "*" for any) whose pixels are wanted. For the
# file on line i (from 0) the script writes a line "i <TAB> ..." to OUT/info:
#   i  error   message                        Pillow cannot read it
#   i  ok  FORMAT  MODE  WIDTH  HEIGHT  TOLERANCE  KEYED  CHANNELS
# and, when the format is wanted and TOLERANCE is not "-", OUT/i.pixels: the
# first image's pixels, rows from the top, alpha dropped without any
# background: 8-bit red, green, blue (CHANNELS 3) or, for grey and bilevel
# images, 8-bit grey (CHANNELS 1).
#   TOLERANCE  0; 1 for samples of 16 bits (Pillow keeps their high byte,
#              16-bit grey is rounded here to the nearest 8-bit value), of
#              5 or 6 bits (Pillow repeats their high bits, others scale)
#              and for L*a*b* (turned into sRGB by Pillow's colour
#              management); "-" for modes with no 8-bit RGB meaning
#              (floating point).
#   KEYED      1 when the image is a GIF frame with a transparent index; then
#              OUT/i.key holds one byte a pixel, 1 where the pixel is that index.
import os
import resource
import sys
import warnings

import numpy as np
from PIL import Image

warnings.simplefilter("ignore")
# A hostile file must not take the machine's memory.
resource.setrlimit(resource.RLIMIT_AS, (3 << 30, 3 << 30))

out, listing = sys.argv[1], sys.argv[2]
files = [line.split("\t") for line in open(listing, encoding="utf-8").read().split("\n") if line]
GREY16 = ("I", "I;16", "I;16B", "I;16L", "I;16N")

with open(os.path.join(out, "info"), "w", encoding="utf-8") as info:
    for i, (name, wanted) in enumerate(files):
        try:
            im = Image.open(name)
            if wanted != "*" and im.format not in wanted.split(","):
                info.write("%d\tok\t%s\t%s\t%d\t%d\t-\t0\t0\n" % ((i, im.format, im.mode) + im.size))
                continue
            rawmodes = " ".join(str(t[3]) for t in im.tile)
            im.load()
            tolerance = "1" if ";16" in rawmodes or ";15" in rawmodes or im.mode in GREY16 else "0"
            if im.mode in GREY16:
                a = np.asarray(im).astype(np.int64)
                if a.min() < 0 or a.max() > 65535:
                    raise ValueError("samples beyond 16 bits")
                pixels = ((a * 255 + 32767) // 65535).astype(np.uint8)
            elif im.mode in ("1", "L", "LA"):
                pixels = np.asarray(im.convert("L"))
            elif im.mode in ("P", "PA", "RGB", "RGBA", "RGBX", "CMYK", "YCbCr"):
                pixels = np.asarray(im.convert("RGB"))
            elif im.mode == "LAB":
                # Through Pillow's colour management (L*a*b* relative to D50
                # into sRGB), whose 16-bit tables round within 1.
                pixels = np.asarray(im.convert("RGB"))
                tolerance = "1"
            else:
                pixels = None
                tolerance = "-"
            keyed = "0"
            if im.format == "GIF" and im.mode == "P" and "transparency" in im.info:
                keyed = "1"
                key = (np.asarray(im) == im.info["transparency"]).astype(np.uint8)
                open(os.path.join(out, "%d.key" % i), "wb").write(key.tobytes())
            channels = "0" if pixels is None else "1" if pixels.ndim == 2 else "3"
            if pixels is not None:
                open(os.path.join(out, "%d.pixels" % i), "wb").write(pixels.tobytes())
            fields = ["ok", im.format, im.mode, str(im.size[0]), str(im.size[1]), tolerance, keyed, channels]
        except Exception as e:  # noqa: BLE001 - any failure means Pillow cannot read it
            message = ("%s: %s" % (type(e).__name__, e)).replace("\t", " ").replace("\n", " ")
            fields = ["error", message]
        info.write("%d\t%s\n" % (i, "\t".join(fields)))
        info.flush()
