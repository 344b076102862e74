"""The Python package over libvellumark: members, saving, errors, images."""
import io
import os
import subprocess
import sys
from pathlib import Path

import pytest
from PIL import Image, ImageDraw

import vellumark
from conftest import extract_image, mask_creation_date, pdf_text, qpdf_check, render

ROOT = Path(__file__).resolve().parents[2]


def text_document():
    doc = vellumark.Document()
    doc.add_page(0)
    text = doc.create_text()
    doc.text_size = 14
    doc.write_text("Grüße from Python")
    doc.apply_resource(1, text)
    return doc


# Each kind of property through its C function and back, in the types the
# package promises.
@pytest.mark.parametrize("name, value, expected", [
    ("text_size", 17, 17),
    ("text_line_spacing", 120.5, 120.5),
    ("text_underline", 1, True),
    ("text_color", vellumark.rgb(0x12, 0x34, 0x56), 0x563412),
    ("units", vellumark.umMillimeters, vellumark.UnitsMeas.umMillimeters),
    ("default_page_size", 257, vellumark.PageSize.psA4_P),  # the low 8 bits count
    ("title", "Überschrift – € ✓", "Überschrift – € ✓"),
    ("author", "", ""),
])
def test_property_round_trip(name, value, expected):
    doc = text_document()
    setattr(doc, name, value)
    got = getattr(doc, name)
    assert got == expected and type(got) is type(expected)


def test_indexed_property():
    doc = text_document()
    doc.set_page_width(1, 300)
    assert doc.page_width(1) == 300.0
    assert doc.page_size(1) == vellumark.PageSize.psCustom
    assert doc.text_line_width("") == 0.0


def test_to_bytes_is_the_file(tmp_path):
    doc = text_document()
    doc.save(tmp_path / "out.pdf")
    with open(tmp_path / "stream.pdf", "wb") as f:
        doc.save(f)
    data = doc.to_bytes()
    qpdf_check(tmp_path / "out.pdf")
    for path in ("out.pdf", "stream.pdf"):
        assert mask_creation_date((tmp_path / path).read_bytes()) == mask_creation_date(data)
    assert "Grüße from Python" in pdf_text(tmp_path / "out.pdf")
    assert vellumark.Document().to_bytes() == b""


@pytest.mark.parametrize("call, message", [
    (lambda d: d.add_image_file("/nonexistent/picture.png"), "File not found"),
    (lambda d: d.image_count("/nonexistent/picture.tif"), "File not found: /nonexistent/picture.tif"),
    (lambda d: d.add_image(b"not an image"), "File is not a supported image format"),
    (lambda d: d.about_box(), "Not implemented: AboutBox"),
    (lambda d: d.save_to_file("/nonexistent/folder/out"),
     'Cannot create file "/nonexistent/folder/out.pdf". No such file or directory'),
])
def test_errors_carry_the_message(call, message):
    doc = text_document()
    with pytest.raises(vellumark.Error) as raised:
        call(doc)
    assert str(raised.value) == message


def test_closed_document():
    doc = text_document()
    doc.close()
    with pytest.raises(vellumark.Error, match="closed"):
        doc.text_size = 3


def picture(mode):
    """A 48 x 32 picture with a gradient and a few shapes, in `mode`."""
    image = Image.new("RGB", (48, 32))
    image.putdata([(x * 5, y * 8, (x * y) % 256) for y in range(32) for x in range(48)])
    draw = ImageDraw.Draw(image)
    draw.rectangle((4, 4, 20, 14), fill=(255, 255, 0))
    draw.ellipse((26, 10, 44, 28), fill=(0, 0, 255))
    if mode == "1":
        return image.convert("L").point(lambda v: 255 if v > 100 else 0).convert("1")
    if mode == "P":
        return image.convert("P", palette=Image.ADAPTIVE, colors=16)
    return image.convert(mode)


# An image from a file name, from bytes and from a Pillow image lands in the
# PDF with the picture's very pixels, as pdfimages decodes them, and fills
# its page when pdftoppm renders it.
@pytest.mark.parametrize("source, mode", [
    ("path", "RGB"), ("bytes", "RGB"), ("pillow", "RGB"), ("pillow", "L"), ("pillow", "P"), ("pillow", "1"),
    ("pillow", "CMYK"),
])
def test_images(tmp_path, source, mode):
    image = picture(mode)
    doc = vellumark.Document()
    if source == "pillow":
        resource = doc.add_image(image)
    else:
        image.save(tmp_path / "in.png")
        resource = doc.add_image(tmp_path / "in.png" if source == "path" else (tmp_path / "in.png").read_bytes())
    doc.default_page_size = vellumark.psCustom
    doc.add_page(0)
    doc.set_page_width(1, doc.image_width(resource))
    doc.set_page_height(1, doc.image_height(resource))
    assert doc.apply_resource(1, resource) == 1
    doc.save(tmp_path / "out.pdf")
    qpdf_check(tmp_path / "out.pdf")
    want = image.convert("RGB")
    assert list(extract_image(tmp_path / "out.pdf", tmp_path).getdata()) == list(want.getdata())
    rendered = render(tmp_path / "out.pdf", 1, *image.size)
    mean = sum(abs(a - b) for p, q in zip(rendered.getdata(), want.getdata()) for a, b in zip(p, q)) / (
        3 * image.size[0] * image.size[1])
    assert mean < 30  # the renderer smooths edges; a misplaced image is far off


def test_catalogue_example(tmp_path):
    out = tmp_path / "catalogue.pdf"
    subprocess.run([sys.executable, str(ROOT / "examples/python/catalogue.py"), str(out)], check=True,
                   env=dict(os.environ))
    qpdf_check(out)
    text = pdf_text(out)
    for caption in ("sunset.jpg", "badge.png", "tiles.bmp"):
        assert caption in text
