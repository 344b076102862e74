#!/usr/bin/env python3
"""A photo catalogue: every picture of a folder on A4 pages, six to a page,
each scaled into its cell with a caption (file name and size in pixels).

    python3 examples/python/catalogue.py [OUT.pdf] [FOLDER]

OUT.pdf defaults to catalogue.pdf, FOLDER to examples/data. With Pillow
installed, a picture drawn by Pillow closes the catalogue."""
import sys
from pathlib import Path

import vellumark

PICTURES = {".jpg", ".jpeg", ".png", ".gif", ".bmp", ".tif", ".tiff", ".pcx", ".psd", ".wbmp"}
MARGIN = 40.0
COLUMNS, ROWS = 2, 3
CAPTION = 28.0  # room below each picture


def pillow_picture():
    try:
        from PIL import Image, ImageDraw
    except ImportError:
        return None
    image = Image.new("RGB", (320, 200))
    image.putdata([(x * 255 // 319, y * 255 // 199, 160) for y in range(200) for x in range(320)])
    ImageDraw.Draw(image).ellipse((110, 50, 210, 150), fill=(255, 220, 40))
    return image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "catalogue.pdf"
    folder = Path(sys.argv[2]) if len(sys.argv) > 2 else Path(__file__).resolve().parents[1] / "data"
    entries = [(p.name, p) for p in sorted(folder.iterdir()) if p.suffix.lower() in PICTURES]
    drawn = pillow_picture()
    if drawn is not None:
        entries.append(("drawn with Pillow", drawn))

    doc = vellumark.Document()
    doc.title = "Photo catalogue"
    doc.author = "examples/python/catalogue.py"
    doc.merge_alpha = True  # transparent pixels on white
    width, height = 595.0, 842.0  # A4 portrait, the default page size
    cell_w = (width - 2 * MARGIN) / COLUMNS
    cell_h = (height - 2 * MARGIN - 30) / ROWS
    page = 0
    for n, (name, source) in enumerate(entries):
        slot = n % (COLUMNS * ROWS)
        if slot == 0:
            doc.add_page(0)
            page += 1
            heading = doc.create_text()
            doc.text_font = 6  # Helvetica-Bold
            doc.text_size = 16
            doc.write_text("Photo catalogue, page %d" % page)
            doc.locate(page, doc.apply_resource(page, heading), MARGIN, height - MARGIN)
        try:
            image = doc.add_image(source)
        except vellumark.Error as e:
            print("%s: %s, left out" % (name, e), file=sys.stderr)
            continue
        w, h = doc.image_width(image), doc.image_height(image)
        scale = min(1.0, (cell_w - 10) / w, (cell_h - CAPTION - 10) / h)
        left = MARGIN + (slot % COLUMNS) * cell_w
        top = height - MARGIN - 30 - (slot // COLUMNS) * cell_h
        index = doc.apply_resource(page, image)
        doc.scale_object(page, index, scale * 100)
        doc.locate(page, index, left, top)

        caption = doc.create_text()
        doc.text_size = 9
        doc.text_color = vellumark.rgb(60, 60, 60)
        doc.text_max_width = cell_w - 10
        doc.write_text(name)
        size = source.size if hasattr(source, "size") else None
        doc.write_text("%d x %d pixels" % size if size else "%.0f x %.0f points" % (w, h))
        doc.locate(page, doc.apply_resource(page, caption), left, top - h * scale - 6)
    doc.save(out)


if __name__ == "__main__":
    main()
