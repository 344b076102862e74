"""Vellumark: PDF files from pages, text, graphics and images.

    import vellumark

    doc = vellumark.Document()
    doc.add_page(0)                     # page 1, A4 portrait
    text = doc.create_text()            # resource 1, the current text
    doc.text_size = 14
    doc.write_text("Hello")
    doc.apply_resource(1, text)
    doc.save("hello.pdf")

Every member of the automation interface is there under its snake_case
name: methods (doc.add_page), properties (doc.text_size, doc.title) and, for
the properties that take an index, a method to read and a set_ method to
write (doc.page_width(1), doc.set_page_width(1, 300)). A failed member raises
vellumark.Error with the engine's message. Colours are OLE colours 0x00BBGGRR
(vellumark.rgb); lengths are in doc.units.
"""
import io
import os
from ctypes import POINTER, byref, c_size_t, c_ubyte, c_void_p, string_at

from ._lib import LIBRARY_VARIABLE, Error, lib as _lib, raise_status as _raise_status
from ._members import CompressFormat, Members as _Members, PageSize, TextAlign, UnitsMeas

__version__ = _lib.vm_version().decode("ascii")

# The enumerations' values by their own names too: vellumark.psA4_P.
for _enum in (CompressFormat, PageSize, UnitsMeas, TextAlign):
    globals().update(_enum.__members__)
del _enum


def rgb(red, green, blue):
    """The OLE colour of red, green and blue, each 0 to 255."""
    for value in (red, green, blue):
        if not 0 <= value <= 255:
            raise ValueError("colour components are 0 to 255, not %r" % (value,))
    return red | green << 8 | blue << 16


# Pillow modes that PNG keeps as they are; others become RGB or RGBA.
_PNG_MODES = {"1", "L", "LA", "P", "RGB", "RGBA", "I;16"}


def _is_pillow_image(value):
    return type(value).__module__.startswith("PIL.") and hasattr(value, "mode") and hasattr(value, "save")


def _png_of(image):
    if image.mode not in _PNG_MODES:
        image = image.convert("RGBA" if "A" in image.mode or "transparency" in image.info else "RGB")
    out = io.BytesIO()
    image.save(out, format="PNG")
    return out.getvalue()


class Document(_Members):
    """One PDF document in the making; see the package's help."""

    __slots__ = ("_doc", "__weakref__")

    def __init__(self):
        handle = c_void_p()
        status = _lib.vm_create(byref(handle))
        if status:
            self._doc = None
            _raise_status(None, status)
        self._doc = handle.value

    def close(self, _destroy=_lib.vm_destroy):
        """Releases the document; it cannot be used afterwards."""
        doc, self._doc = getattr(self, "_doc", None), None
        if doc:
            _destroy(doc)

    def __del__(self):
        self.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _raise(self, status):
        _raise_status(self._doc, status)

    def save(self, target):
        """Saves the PDF file: to a file name (".pdf" is added unless there, as
        save_to_file does) or to a binary file object."""
        if hasattr(target, "write"):
            target.write(self.to_bytes())
        else:
            self.save_to_file(target)

    def to_bytes(self):
        """The PDF file as bytes: what save writes (empty without pages)."""
        data = POINTER(c_ubyte)()
        size = c_size_t()
        status = _lib.vm_save_to_memory(self._doc, byref(data), byref(size))
        if status:
            self._raise(status)
        if not data:
            return b""
        try:
            return string_at(data, size.value)
        finally:
            _lib.vm_free_buffer(data)

    def add_image(self, image):
        """Adds an image resource and returns its number: from a file name, from
        the bytes of an image file, or from a Pillow image (kept lossless)."""
        if isinstance(image, (str, os.PathLike)):
            return self.add_image_file(image)
        if _is_pillow_image(image):
            return self.add_image_bytes(_png_of(image))
        return self.add_image_bytes(image)


__all__ = ["Document", "Error", "rgb", "CompressFormat", "PageSize", "UnitsMeas", "TextAlign",
           "LIBRARY_VARIABLE"] + [name for e in (CompressFormat, PageSize, UnitsMeas, TextAlign)
                                  for name in e.__members__]
