"""Helpers of the Python package's tests: the independent checks (qpdf,
pdftoppm, pdftotext) and the file's creation date masked for comparisons.

Run them against a build with
    VELLUMARK_LIBRARY=build/libvellumark.so PYTHONPATH=python /usr/bin/python3 -m pytest python/tests
(ctest runs them so, as python_package_tests)."""
import io
import re
import shutil
import subprocess

import pytest

from PIL import Image


def qpdf_check(path):
    """qpdf --check passes with no warning."""
    result = subprocess.run(["qpdf", "--check", str(path)], capture_output=True, text=True)
    assert result.returncode == 0, result.stdout + result.stderr
    assert "WARNING" not in (result.stdout + result.stderr).upper(), result.stdout + result.stderr


def mask_creation_date(pdf):
    return re.sub(rb"/CreationDate \(D:\d+", lambda m: re.sub(rb"\d", b"0", m.group(0)), pdf)


def render(pdf_path, page, width, height):
    """Page `page` rendered by pdftoppm at exactly width x height pixels, as a
    Pillow RGB image."""
    result = subprocess.run(["pdftoppm", "-f", str(page), "-l", str(page), "-scale-to-x", str(width),
                             "-scale-to-y", str(height), "-singlefile", str(pdf_path)],
                            capture_output=True, check=True)
    return Image.open(io.BytesIO(result.stdout)).convert("RGB")


def extract_image(pdf_path, folder):
    """The first image of the file as pdfimages decodes it, as a Pillow RGB
    image."""
    subprocess.run(["pdfimages", "-png", "-f", "1", "-l", "1", str(pdf_path), str(folder / "image")], check=True)
    return Image.open(sorted(folder.glob("image-*.png"))[0]).convert("RGB")


def pdf_text(pdf_path):
    return subprocess.run(["pdftotext", "-layout", str(pdf_path), "-"], capture_output=True, check=True,
                          text=True).stdout


@pytest.fixture(autouse=True, scope="session")
def tools():
    for tool in ("qpdf", "pdftoppm", "pdftotext", "pdfimages"):
        assert shutil.which(tool), tool + " is needed by the tests (scripts/setup.sh installs it)"
