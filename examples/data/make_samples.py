#!/usr/bin/python3
"""Makes the sample images the image examples use (needs python3-pil).

    /usr/bin/python3 examples/data/make_samples.py

sunset.jpg   240 x 160 colour JPEG at 150 dpi: a sky gradient with a sun
stamp.bmp    320 x 120 one-bit bitmap at 300 dpi: a bordered stamp pattern
tiles.bmp    96 x 96 eight-bit palette bitmap at 72 dpi: coloured tiles
fax.tif      two pages of 600 x 300 at 200 dpi, CCITT Group 4: a faxed form
badge.png    120 x 120 RGB with an alpha channel: a round badge
arrow.gif    64 x 32 GIF with a four-colour palette: an arrow
"""
import math
import os

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))

sky = Image.new("RGB", (240, 160))
for y in range(160):
    for x in range(240):
        t = y / 159
        sky.putpixel((x, y), (int(40 + 200 * t), int(60 + 80 * t), int(150 - 90 * t)))
draw = ImageDraw.Draw(sky)
draw.ellipse((150, 70, 200, 120), fill=(255, 210, 80))
draw.rectangle((0, 135, 239, 159), fill=(30, 40, 30))
sky.save(os.path.join(HERE, "sunset.jpg"), quality=85, dpi=(150, 150))

stamp = Image.new("1", (320, 120), 1)
draw = ImageDraw.Draw(stamp)
draw.rectangle((2, 2, 317, 117), outline=0, width=4)
draw.rectangle((12, 12, 307, 107), outline=0, width=1)
for i in range(12):
    x = 24 + i * 24
    h = 20 + int(30 * abs(math.sin(i)))
    draw.rectangle((x, 95 - h, x + 14, 95), fill=0)
stamp.save(os.path.join(HERE, "stamp.bmp"), dpi=(300, 300))

tiles = Image.new("P", (96, 96))
palette = []
for i in range(256):
    palette += [(i * 53) % 256, (i * 97) % 256, (i * 151) % 256]
tiles.putpalette(palette)
for y in range(96):
    for x in range(96):
        tiles.putpixel((x, y), (x // 12) * 8 + (y // 12))
tiles.save(os.path.join(HERE, "tiles.bmp"), dpi=(72, 72))

fax_pages = []
for page in range(2):
    fax = Image.new("1", (600, 300), 1)
    draw = ImageDraw.Draw(fax)
    draw.rectangle((4, 4, 595, 295), outline=0, width=3)
    draw.text((20, 16), "Page %d of 2" % (page + 1), fill=0)
    for row in range(8):
        y = 50 + row * 28
        length = 180 + ((row * 97 + page * 41) % 360)
        draw.rectangle((20, y, 20 + length, y + 10), fill=0)
    fax_pages.append(fax)
fax_pages[0].save(os.path.join(HERE, "fax.tif"), compression="group4", dpi=(200, 200),
                  save_all=True, append_images=fax_pages[1:])

badge = Image.new("RGBA", (120, 120), (0, 0, 0, 0))
draw = ImageDraw.Draw(badge)
draw.ellipse((4, 4, 115, 115), fill=(200, 30, 40, 255))
draw.ellipse((30, 30, 89, 89), fill=(255, 255, 255, 160))
badge.save(os.path.join(HERE, "badge.png"))

arrow = Image.new("P", (64, 32), 0)
arrow.putpalette([255, 255, 255, 20, 90, 200, 240, 160, 0, 0, 0, 0])
draw = ImageDraw.Draw(arrow)
draw.rectangle((4, 12, 40, 20), fill=1)
draw.polygon([(40, 4), (60, 16), (40, 28)], fill=2)
arrow.save(os.path.join(HERE, "arrow.gif"))
