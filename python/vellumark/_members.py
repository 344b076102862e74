# The members of vellumark.Document, one for each member of the automation
# interface, over the C interface of libvellumark.
#
# Written by api/tools/MakeApi.cpp from the member table; do not edit it, write it
# again from the source folder with build/MakeApi . (MakeApi is built with the tests).
from ctypes import POINTER as _POINTER
from ctypes import byref as _byref
from ctypes import c_char_p as _c_char_p
from ctypes import c_double as _c_double
from ctypes import c_int as _c_int
from ctypes import c_int32 as _c_int32
from ctypes import c_size_t as _c_size_t
from ctypes import c_uint32 as _c_uint32
from ctypes import c_void_p as _c_void_p
from enum import IntEnum as _IntEnum

from ._lib import bytes_arg as _bytes
from ._lib import color_arg as _color
from ._lib import from_text as _from_text
from ._lib import lib as _lib
from ._lib import text_arg as _text


class CompressFormat(_IntEnum):
    """Image compression format."""

    cfNone = 0
    cfGroup4 = 1
    cfZIP = 2
    cfJPEG = 3


class PageSize(_IntEnum):
    """Page Size."""

    psCustom = 0
    psA4_P = 1
    psA4_L = 2
    psLetter_P = 3
    psLetter_L = 4
    psA3_P = 5
    psA3_L = 6
    psA5_P = 7
    psA5_L = 8
    psTabloid_P = 9
    psTabloid_L = 10
    psLegal_P = 11
    psLegal_L = 12
    psStatement_P = 13
    psStatement_L = 14
    psExecutive_P = 15
    psExecutive_L = 16


class UnitsMeas(_IntEnum):
    """Units of measure."""

    umPoints = 0
    umInches = 1
    umCentimeters = 2
    umMillimeters = 3


class TextAlign(_IntEnum):
    """Alignment of text."""

    taLeft = 0
    taCenter = 1
    taRight = 2


def _enum(kind, value):
    try:
        return kind(value)
    except ValueError:
        return value


_PROTOTYPES = {
    "vm_AddPage": [_c_void_p, _c_int32],
    "vm_AddImageFile": [_c_void_p, _c_char_p, _POINTER(_c_int32)],
    "vm_SaveToFile": [_c_void_p, _c_char_p],
    "vm_ApplyResource": [_c_void_p, _c_int32, _c_int32, _POINTER(_c_int32)],
    "vm_ScaleObject": [_c_void_p, _c_int32, _c_int32, _c_double],
    "vm_Locate": [_c_void_p, _c_int32, _c_int32, _c_double, _c_double],
    "vm_CreateGraphic": [_c_void_p, _POINTER(_c_int32)],
    "vm_DrawLine": [_c_void_p, _c_double, _c_double, _c_double, _c_double],
    "vm_Rectangle": [_c_void_p, _c_double, _c_double, _c_double, _c_double],
    "vm_CreateText": [_c_void_p, _POINTER(_c_int32)],
    "vm_WriteText": [_c_void_p, _c_char_p],
    "vm_Clear": [_c_void_p],
    "vm_DeleteAllPages": [_c_void_p],
    "vm_AddImageBMPHandle": [_c_void_p, _c_int32, _POINTER(_c_int32)],
    "vm_get_CurrentGraphic": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_CurrentGraphic": [_c_void_p, _c_int32],
    "vm_get_CurrentText": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_CurrentText": [_c_void_p, _c_int32],
    "vm_get_LineWidth": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_LineWidth": [_c_void_p, _c_int32],
    "vm_get_TextColor": [_c_void_p, _POINTER(_c_uint32)],
    "vm_set_TextColor": [_c_void_p, _c_uint32],
    "vm_get_LineColor": [_c_void_p, _POINTER(_c_uint32)],
    "vm_set_LineColor": [_c_void_p, _c_uint32],
    "vm_get_FillColor": [_c_void_p, _POINTER(_c_uint32)],
    "vm_set_FillColor": [_c_void_p, _c_uint32],
    "vm_get_CompressionBW": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_CompressionBW": [_c_void_p, _c_int32],
    "vm_get_CompressionIndexed": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_CompressionIndexed": [_c_void_p, _c_int32],
    "vm_get_CompressionRGB": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_CompressionRGB": [_c_void_p, _c_int32],
    "vm_get_CompressionGray": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_CompressionGray": [_c_void_p, _c_int32],
    "vm_get_UseSourceCompression": [_c_void_p, _POINTER(_c_int)],
    "vm_set_UseSourceCompression": [_c_void_p, _c_int],
    "vm_get_TextFont": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_TextFont": [_c_void_p, _c_int32],
    "vm_get_TextSize": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_TextSize": [_c_void_p, _c_int32],
    "vm_get_ImageReadNumber": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_ImageReadNumber": [_c_void_p, _c_int32],
    "vm_get_ReleaseBMPHandle": [_c_void_p, _POINTER(_c_int)],
    "vm_set_ReleaseBMPHandle": [_c_void_p, _c_int],
    "vm_get_DefaultPageSize": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_DefaultPageSize": [_c_void_p, _c_int32],
    "vm_get_Units": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_Units": [_c_void_p, _c_int32],
    "vm_get_DoubleBuffered": [_c_void_p, _POINTER(_c_int)],
    "vm_set_DoubleBuffered": [_c_void_p, _c_int],
    "vm_get_AlignDisabled": [_c_void_p, _POINTER(_c_int)],
    "vm_get_VisibleDockClientCount": [_c_void_p, _POINTER(_c_int32)],
    "vm_DrawTextBiDiModeFlagsReadingOnly": [_c_void_p, _POINTER(_c_int32)],
    "vm_get_Enabled": [_c_void_p, _POINTER(_c_int)],
    "vm_set_Enabled": [_c_void_p, _c_int],
    "vm_InitiateAction": [_c_void_p],
    "vm_IsRightToLeft": [_c_void_p, _POINTER(_c_int)],
    "vm_UseRightToLeftReading": [_c_void_p, _POINTER(_c_int)],
    "vm_UseRightToLeftScrollBar": [_c_void_p, _POINTER(_c_int)],
    "vm_get_Visible": [_c_void_p, _POINTER(_c_int)],
    "vm_set_Visible": [_c_void_p, _c_int],
    "vm_SetSubComponent": [_c_void_p, _c_int],
    "vm_AboutBox": [_c_void_p],
    "vm_get_PageSize": [_c_void_p, _c_int32, _POINTER(_c_int32)],
    "vm_set_PageSize": [_c_void_p, _c_int32, _c_int32],
    "vm_get_PageWidth": [_c_void_p, _c_int32, _POINTER(_c_double)],
    "vm_set_PageWidth": [_c_void_p, _c_int32, _c_double],
    "vm_get_PageHeight": [_c_void_p, _c_int32, _POINTER(_c_double)],
    "vm_set_PageHeight": [_c_void_p, _c_int32, _c_double],
    "vm_get_ImageWidth": [_c_void_p, _c_int32, _POINTER(_c_double)],
    "vm_get_ImageHeight": [_c_void_p, _c_int32, _POINTER(_c_double)],
    "vm_AddImageBytes": [_c_void_p, _c_char_p, _c_size_t, _POINTER(_c_int32)],
    "vm_AddFont": [_c_void_p, _c_char_p, _POINTER(_c_int32)],
    "vm_get_EmbedFont": [_c_void_p, _c_int32, _POINTER(_c_int)],
    "vm_set_EmbedFont": [_c_void_p, _c_int32, _c_int],
    "vm_Rotate": [_c_void_p, _c_int32, _c_int32, _c_double],
    "vm_get_Title": [_c_void_p, _POINTER(_c_char_p)],
    "vm_set_Title": [_c_void_p, _c_char_p],
    "vm_get_Subject": [_c_void_p, _POINTER(_c_char_p)],
    "vm_set_Subject": [_c_void_p, _c_char_p],
    "vm_get_Author": [_c_void_p, _POINTER(_c_char_p)],
    "vm_set_Author": [_c_void_p, _c_char_p],
    "vm_get_Keywords": [_c_void_p, _POINTER(_c_char_p)],
    "vm_set_Keywords": [_c_void_p, _c_char_p],
    "vm_get_ImageCount": [_c_void_p, _c_char_p, _POINTER(_c_int32)],
    "vm_get_TextLineSpacing": [_c_void_p, _POINTER(_c_double)],
    "vm_set_TextLineSpacing": [_c_void_p, _c_double],
    "vm_get_TextAlign": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_TextAlign": [_c_void_p, _c_int32],
    "vm_get_TextMaxWidth": [_c_void_p, _POINTER(_c_double)],
    "vm_set_TextMaxWidth": [_c_void_p, _c_double],
    "vm_get_TextSkewX": [_c_void_p, _POINTER(_c_double)],
    "vm_set_TextSkewX": [_c_void_p, _c_double],
    "vm_get_TextSkewY": [_c_void_p, _POINTER(_c_double)],
    "vm_set_TextSkewY": [_c_void_p, _c_double],
    "vm_Ellipse": [_c_void_p, _c_double, _c_double, _c_double, _c_double, _c_double],
    "vm_Circle": [_c_void_p, _c_double, _c_double, _c_double],
    "vm_get_TextBlockHeight": [_c_void_p, _POINTER(_c_double)],
    "vm_WriteLink": [_c_void_p, _c_char_p, _c_char_p],
    "vm_get_TextUnderline": [_c_void_p, _POINTER(_c_int)],
    "vm_set_TextUnderline": [_c_void_p, _c_int],
    "vm_get_LinkStandardFormat": [_c_void_p, _POINTER(_c_int)],
    "vm_set_LinkStandardFormat": [_c_void_p, _c_int],
    "vm_get_LinkColor": [_c_void_p, _POINTER(_c_uint32)],
    "vm_set_LinkColor": [_c_void_p, _c_uint32],
    "vm_get_LinkFont": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_LinkFont": [_c_void_p, _c_int32],
    "vm_get_LinkUnderline": [_c_void_p, _POINTER(_c_int)],
    "vm_set_LinkUnderline": [_c_void_p, _c_int],
    "vm_get_LinkSize": [_c_void_p, _POINTER(_c_int32)],
    "vm_set_LinkSize": [_c_void_p, _c_int32],
    "vm_get_LinkBorder": [_c_void_p, _POINTER(_c_int)],
    "vm_set_LinkBorder": [_c_void_p, _c_int],
    "vm_get_TextLineWidth": [_c_void_p, _c_char_p, _POINTER(_c_double)],
    "vm_SetImageLink": [_c_void_p, _c_int32, _c_int32, _c_char_p],
    "vm_get_TextBlockWidth": [_c_void_p, _POINTER(_c_double)],
    "vm_get_MergeAlpha": [_c_void_p, _POINTER(_c_int)],
    "vm_set_MergeAlpha": [_c_void_p, _c_int],
    "vm_get_MergeAlphaColor": [_c_void_p, _POINTER(_c_uint32)],
    "vm_set_MergeAlphaColor": [_c_void_p, _c_uint32],
    "vm_get_AppendText": [_c_void_p, _POINTER(_c_int)],
    "vm_set_AppendText": [_c_void_p, _c_int],
    "vm_get_CompressContents": [_c_void_p, _POINTER(_c_int)],
    "vm_set_CompressContents": [_c_void_p, _c_int],
    "vm_get_Fill": [_c_void_p, _POINTER(_c_int)],
    "vm_set_Fill": [_c_void_p, _c_int],
    "vm_get_UnicodeText": [_c_void_p, _POINTER(_c_int)],
    "vm_set_UnicodeText": [_c_void_p, _c_int],
    "vm_get_SubsetFonts": [_c_void_p, _POINTER(_c_int)],
    "vm_set_SubsetFonts": [_c_void_p, _c_int],
}
for _name, _args in _PROTOTYPES.items():
    _function = getattr(_lib, _name)
    _function.argtypes = _args
    _function.restype = _c_int


class Members:
    """The members of the automation interface."""

    __slots__ = ()

    def add_page(self, page):
        """Adds a new page to the document."""
        status = _lib.vm_AddPage(self._doc, page)
        if status:
            self._raise(status)

    def add_image_file(self, file_name):
        """Adds an image resource from file on disk."""
        r = _c_int32()
        status = _lib.vm_AddImageFile(self._doc, file_name.encode("utf-8", "surrogateescape") if file_name.__class__ is str else _text(file_name), _byref(r))
        if status:
            self._raise(status)
        return r.value

    def save_to_file(self, file_name):
        """Saves PDF document to disk."""
        status = _lib.vm_SaveToFile(self._doc, file_name.encode("utf-8", "surrogateescape") if file_name.__class__ is str else _text(file_name))
        if status:
            self._raise(status)

    def apply_resource(self, page, resource):
        """Draws a resource on a page."""
        r = _c_int32()
        status = _lib.vm_ApplyResource(self._doc, page, resource, _byref(r))
        if status:
            self._raise(status)
        return r.value

    def scale_object(self, page, index, scale_factor):
        """Modifies the size used to display a resource on a page."""
        status = _lib.vm_ScaleObject(self._doc, page, index, scale_factor)
        if status:
            self._raise(status)

    def locate(self, page, index, x, y):
        """Modifies the position of a resource on a page."""
        status = _lib.vm_Locate(self._doc, page, index, x, y)
        if status:
            self._raise(status)

    def create_graphic(self):
        """Creates a new graphic resource."""
        r = _c_int32()
        status = _lib.vm_CreateGraphic(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    def draw_line(self, x1, y1, x2, y2):
        """Draws a line on a graphic."""
        status = _lib.vm_DrawLine(self._doc, x1, y1, x2, y2)
        if status:
            self._raise(status)

    def rectangle(self, x1, y1, x2, y2):
        """Draws a rectangle on a graphic."""
        status = _lib.vm_Rectangle(self._doc, x1, y1, x2, y2)
        if status:
            self._raise(status)

    def create_text(self):
        """Creates a new text resource."""
        r = _c_int32()
        status = _lib.vm_CreateText(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    def write_text(self, text):
        """Writes a line of text on a text resource."""
        status = _lib.vm_WriteText(self._doc, text.encode("utf-8", "surrogateescape") if text.__class__ is str else _text(text))
        if status:
            self._raise(status)

    def clear(self):
        """Clears all pages and resources from memory."""
        status = _lib.vm_Clear(self._doc)
        if status:
            self._raise(status)

    def delete_all_pages(self):
        """Deletes all pages from memory."""
        status = _lib.vm_DeleteAllPages(self._doc)
        if status:
            self._raise(status)

    def add_image_bmp_handle(self, handle):
        """Adds an image resource from a handle to a bitmap."""
        r = _c_int32()
        status = _lib.vm_AddImageBMPHandle(self._doc, handle, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @property
    def current_graphic(self):
        """The currently active graphic resource."""
        r = _c_int32()
        status = _lib.vm_get_CurrentGraphic(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @current_graphic.setter
    def current_graphic(self, value):
        status = _lib.vm_set_CurrentGraphic(self._doc, value)
        if status:
            self._raise(status)

    @property
    def current_text(self):
        """The currently active text resource."""
        r = _c_int32()
        status = _lib.vm_get_CurrentText(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @current_text.setter
    def current_text(self, value):
        status = _lib.vm_set_CurrentText(self._doc, value)
        if status:
            self._raise(status)

    @property
    def line_width(self):
        """Line width used on graphics."""
        r = _c_int32()
        status = _lib.vm_get_LineWidth(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @line_width.setter
    def line_width(self, value):
        status = _lib.vm_set_LineWidth(self._doc, value)
        if status:
            self._raise(status)

    @property
    def text_color(self):
        """Color used for writing text."""
        r = _c_uint32()
        status = _lib.vm_get_TextColor(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @text_color.setter
    def text_color(self, value):
        status = _lib.vm_set_TextColor(self._doc, _color(value))
        if status:
            self._raise(status)

    @property
    def line_color(self):
        """Color used for lines on graphics."""
        r = _c_uint32()
        status = _lib.vm_get_LineColor(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @line_color.setter
    def line_color(self, value):
        status = _lib.vm_set_LineColor(self._doc, _color(value))
        if status:
            self._raise(status)

    @property
    def fill_color(self):
        """Color used for filling shapes on graphics."""
        r = _c_uint32()
        status = _lib.vm_get_FillColor(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @fill_color.setter
    def fill_color(self, value):
        status = _lib.vm_set_FillColor(self._doc, _color(value))
        if status:
            self._raise(status)

    @property
    def compression_bw(self):
        """Compression method used for black and white images."""
        r = _c_int32()
        status = _lib.vm_get_CompressionBW(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _enum(CompressFormat, r.value)

    @compression_bw.setter
    def compression_bw(self, value):
        status = _lib.vm_set_CompressionBW(self._doc, value)
        if status:
            self._raise(status)

    @property
    def compression_indexed(self):
        """Compression method used for indexed color images."""
        r = _c_int32()
        status = _lib.vm_get_CompressionIndexed(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _enum(CompressFormat, r.value)

    @compression_indexed.setter
    def compression_indexed(self, value):
        status = _lib.vm_set_CompressionIndexed(self._doc, value)
        if status:
            self._raise(status)

    @property
    def compression_rgb(self):
        """Compression method used for full color images."""
        r = _c_int32()
        status = _lib.vm_get_CompressionRGB(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _enum(CompressFormat, r.value)

    @compression_rgb.setter
    def compression_rgb(self, value):
        status = _lib.vm_set_CompressionRGB(self._doc, value)
        if status:
            self._raise(status)

    @property
    def compression_gray(self):
        """Compression method used for grayscale images."""
        r = _c_int32()
        status = _lib.vm_get_CompressionGray(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _enum(CompressFormat, r.value)

    @compression_gray.setter
    def compression_gray(self, value):
        status = _lib.vm_set_CompressionGray(self._doc, value)
        if status:
            self._raise(status)

    @property
    def use_source_compression(self):
        """Use compression method present in the source image."""
        r = _c_int()
        status = _lib.vm_get_UseSourceCompression(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @use_source_compression.setter
    def use_source_compression(self, value):
        status = _lib.vm_set_UseSourceCompression(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def text_font(self):
        """Number of font used for writing text."""
        r = _c_int32()
        status = _lib.vm_get_TextFont(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @text_font.setter
    def text_font(self, value):
        status = _lib.vm_set_TextFont(self._doc, value)
        if status:
            self._raise(status)

    @property
    def text_size(self):
        """Size of font used for writing text."""
        r = _c_int32()
        status = _lib.vm_get_TextSize(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @text_size.setter
    def text_size(self, value):
        status = _lib.vm_set_TextSize(self._doc, value)
        if status:
            self._raise(status)

    @property
    def image_read_number(self):
        """Number of image to be read from multi-image TIFF file."""
        r = _c_int32()
        status = _lib.vm_get_ImageReadNumber(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @image_read_number.setter
    def image_read_number(self, value):
        status = _lib.vm_set_ImageReadNumber(self._doc, value)
        if status:
            self._raise(status)

    @property
    def release_bmp_handle(self):
        """Release handle after use in AddImageBMPHandle method."""
        r = _c_int()
        status = _lib.vm_get_ReleaseBMPHandle(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @release_bmp_handle.setter
    def release_bmp_handle(self, value):
        status = _lib.vm_set_ReleaseBMPHandle(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def default_page_size(self):
        """Page size to be used for new pages."""
        r = _c_int32()
        status = _lib.vm_get_DefaultPageSize(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _enum(PageSize, r.value)

    @default_page_size.setter
    def default_page_size(self, value):
        status = _lib.vm_set_DefaultPageSize(self._doc, value)
        if status:
            self._raise(status)

    @property
    def units(self):
        """Units of measure."""
        r = _c_int32()
        status = _lib.vm_get_Units(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _enum(UnitsMeas, r.value)

    @units.setter
    def units(self, value):
        status = _lib.vm_set_Units(self._doc, value)
        if status:
            self._raise(status)

    @property
    def double_buffered(self):
        r = _c_int()
        status = _lib.vm_get_DoubleBuffered(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @double_buffered.setter
    def double_buffered(self, value):
        status = _lib.vm_set_DoubleBuffered(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def align_disabled(self):
        r = _c_int()
        status = _lib.vm_get_AlignDisabled(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @property
    def visible_dock_client_count(self):
        r = _c_int32()
        status = _lib.vm_get_VisibleDockClientCount(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    def draw_text_bi_di_mode_flags_reading_only(self):
        r = _c_int32()
        status = _lib.vm_DrawTextBiDiModeFlagsReadingOnly(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @property
    def enabled(self):
        r = _c_int()
        status = _lib.vm_get_Enabled(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @enabled.setter
    def enabled(self, value):
        status = _lib.vm_set_Enabled(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    def initiate_action(self):
        status = _lib.vm_InitiateAction(self._doc)
        if status:
            self._raise(status)

    def is_right_to_left(self):
        r = _c_int()
        status = _lib.vm_IsRightToLeft(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    def use_right_to_left_reading(self):
        r = _c_int()
        status = _lib.vm_UseRightToLeftReading(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    def use_right_to_left_scroll_bar(self):
        r = _c_int()
        status = _lib.vm_UseRightToLeftScrollBar(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @property
    def visible(self):
        r = _c_int()
        status = _lib.vm_get_Visible(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @visible.setter
    def visible(self, value):
        status = _lib.vm_set_Visible(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    def set_sub_component(self, is_sub_component):
        status = _lib.vm_SetSubComponent(self._doc, 1 if is_sub_component else 0)
        if status:
            self._raise(status)

    def about_box(self):
        status = _lib.vm_AboutBox(self._doc)
        if status:
            self._raise(status)

    def page_size(self, page):
        """Page size."""
        r = _c_int32()
        status = _lib.vm_get_PageSize(self._doc, page, _byref(r))
        if status:
            self._raise(status)
        return _enum(PageSize, r.value)

    def set_page_size(self, page, value):
        """Page size."""
        status = _lib.vm_set_PageSize(self._doc, page, value)
        if status:
            self._raise(status)

    def page_width(self, page):
        """Page width."""
        r = _c_double()
        status = _lib.vm_get_PageWidth(self._doc, page, _byref(r))
        if status:
            self._raise(status)
        return r.value

    def set_page_width(self, page, value):
        """Page width."""
        status = _lib.vm_set_PageWidth(self._doc, page, value)
        if status:
            self._raise(status)

    def page_height(self, page):
        """Page height."""
        r = _c_double()
        status = _lib.vm_get_PageHeight(self._doc, page, _byref(r))
        if status:
            self._raise(status)
        return r.value

    def set_page_height(self, page, value):
        """Page height."""
        status = _lib.vm_set_PageHeight(self._doc, page, value)
        if status:
            self._raise(status)

    def image_width(self, index):
        """Width of image resource (unscaled)."""
        r = _c_double()
        status = _lib.vm_get_ImageWidth(self._doc, index, _byref(r))
        if status:
            self._raise(status)
        return r.value

    def image_height(self, index):
        """Height of image resource (unscaled)."""
        r = _c_double()
        status = _lib.vm_get_ImageHeight(self._doc, index, _byref(r))
        if status:
            self._raise(status)
        return r.value

    def add_image_bytes(self, image_data):
        """Adds an image resource from an array of bytes in memory."""
        r = _c_int32()
        status = _lib.vm_AddImageBytes(self._doc, *_bytes(image_data), _byref(r))
        if status:
            self._raise(status)
        return r.value

    def add_font(self, font_name):
        """Adds a TrueType font from disk."""
        r = _c_int32()
        status = _lib.vm_AddFont(self._doc, font_name.encode("utf-8", "surrogateescape") if font_name.__class__ is str else _text(font_name), _byref(r))
        if status:
            self._raise(status)
        return r.value

    def embed_font(self, font_num):
        """Embed the font in the document."""
        r = _c_int()
        status = _lib.vm_get_EmbedFont(self._doc, font_num, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    def set_embed_font(self, font_num, value):
        """Embed the font in the document."""
        status = _lib.vm_set_EmbedFont(self._doc, font_num, 1 if value else 0)
        if status:
            self._raise(status)

    def rotate(self, page, index, angle):
        """Rotates a resource counterclockwise on a page."""
        status = _lib.vm_Rotate(self._doc, page, index, angle)
        if status:
            self._raise(status)

    @property
    def title(self):
        """Title of the document."""
        r = _c_char_p()
        status = _lib.vm_get_Title(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _from_text(r.value)

    @title.setter
    def title(self, value):
        status = _lib.vm_set_Title(self._doc, value.encode("utf-8", "surrogateescape") if value.__class__ is str else _text(value))
        if status:
            self._raise(status)

    @property
    def subject(self):
        """Subject of the document."""
        r = _c_char_p()
        status = _lib.vm_get_Subject(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _from_text(r.value)

    @subject.setter
    def subject(self, value):
        status = _lib.vm_set_Subject(self._doc, value.encode("utf-8", "surrogateescape") if value.__class__ is str else _text(value))
        if status:
            self._raise(status)

    @property
    def author(self):
        """Author of the document."""
        r = _c_char_p()
        status = _lib.vm_get_Author(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _from_text(r.value)

    @author.setter
    def author(self, value):
        status = _lib.vm_set_Author(self._doc, value.encode("utf-8", "surrogateescape") if value.__class__ is str else _text(value))
        if status:
            self._raise(status)

    @property
    def keywords(self):
        """Keywords associated with the document."""
        r = _c_char_p()
        status = _lib.vm_get_Keywords(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _from_text(r.value)

    @keywords.setter
    def keywords(self, value):
        status = _lib.vm_set_Keywords(self._doc, value.encode("utf-8", "surrogateescape") if value.__class__ is str else _text(value))
        if status:
            self._raise(status)

    def image_count(self, file_name):
        """Number of images contained in a file."""
        r = _c_int32()
        status = _lib.vm_get_ImageCount(self._doc, file_name.encode("utf-8", "surrogateescape") if file_name.__class__ is str else _text(file_name), _byref(r))
        if status:
            self._raise(status)
        return r.value

    @property
    def text_line_spacing(self):
        """Spacing between lines of text."""
        r = _c_double()
        status = _lib.vm_get_TextLineSpacing(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @text_line_spacing.setter
    def text_line_spacing(self, value):
        status = _lib.vm_set_TextLineSpacing(self._doc, value)
        if status:
            self._raise(status)

    @property
    def text_align(self):
        """Alignment of text."""
        r = _c_int32()
        status = _lib.vm_get_TextAlign(self._doc, _byref(r))
        if status:
            self._raise(status)
        return _enum(TextAlign, r.value)

    @text_align.setter
    def text_align(self, value):
        status = _lib.vm_set_TextAlign(self._doc, value)
        if status:
            self._raise(status)

    @property
    def text_max_width(self):
        """Maximum width of line of text before remaining text is wrapped to next line."""
        r = _c_double()
        status = _lib.vm_get_TextMaxWidth(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @text_max_width.setter
    def text_max_width(self, value):
        status = _lib.vm_set_TextMaxWidth(self._doc, value)
        if status:
            self._raise(status)

    @property
    def text_skew_x(self):
        """Skew text in horizontal direction."""
        r = _c_double()
        status = _lib.vm_get_TextSkewX(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @text_skew_x.setter
    def text_skew_x(self, value):
        status = _lib.vm_set_TextSkewX(self._doc, value)
        if status:
            self._raise(status)

    @property
    def text_skew_y(self):
        """Skew text in vertical direction."""
        r = _c_double()
        status = _lib.vm_get_TextSkewY(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @text_skew_y.setter
    def text_skew_y(self, value):
        status = _lib.vm_set_TextSkewY(self._doc, value)
        if status:
            self._raise(status)

    def ellipse(self, x, y, rx, ry, angle):
        """Draws an ellipse on a graphic."""
        status = _lib.vm_Ellipse(self._doc, x, y, rx, ry, angle)
        if status:
            self._raise(status)

    def circle(self, x, y, r):
        """Draws a circle on a graphic."""
        status = _lib.vm_Circle(self._doc, x, y, r)
        if status:
            self._raise(status)

    @property
    def text_block_height(self):
        """Height of current text block."""
        r = _c_double()
        status = _lib.vm_get_TextBlockHeight(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    def write_link(self, text, link):
        """Writes a hyperlink on a text resource."""
        status = _lib.vm_WriteLink(self._doc, text.encode("utf-8", "surrogateescape") if text.__class__ is str else _text(text), link.encode("utf-8", "surrogateescape") if link.__class__ is str else _text(link))
        if status:
            self._raise(status)

    @property
    def text_underline(self):
        """Underline text."""
        r = _c_int()
        status = _lib.vm_get_TextUnderline(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @text_underline.setter
    def text_underline(self, value):
        status = _lib.vm_set_TextUnderline(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def link_standard_format(self):
        """Use standard formatting for hyperlinks."""
        r = _c_int()
        status = _lib.vm_get_LinkStandardFormat(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @link_standard_format.setter
    def link_standard_format(self, value):
        status = _lib.vm_set_LinkStandardFormat(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def link_color(self):
        """Color used for writing hyperlinks."""
        r = _c_uint32()
        status = _lib.vm_get_LinkColor(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @link_color.setter
    def link_color(self, value):
        status = _lib.vm_set_LinkColor(self._doc, _color(value))
        if status:
            self._raise(status)

    @property
    def link_font(self):
        """Number of font used for writing hyperlinks."""
        r = _c_int32()
        status = _lib.vm_get_LinkFont(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @link_font.setter
    def link_font(self, value):
        status = _lib.vm_set_LinkFont(self._doc, value)
        if status:
            self._raise(status)

    @property
    def link_underline(self):
        """Underline hyperlinks."""
        r = _c_int()
        status = _lib.vm_get_LinkUnderline(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @link_underline.setter
    def link_underline(self, value):
        status = _lib.vm_set_LinkUnderline(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def link_size(self):
        """Size of font used for writing hyperlinks."""
        r = _c_int32()
        status = _lib.vm_get_LinkSize(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @link_size.setter
    def link_size(self, value):
        status = _lib.vm_set_LinkSize(self._doc, value)
        if status:
            self._raise(status)

    @property
    def link_border(self):
        """Display rectangular border around hyperlinks."""
        r = _c_int()
        status = _lib.vm_get_LinkBorder(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @link_border.setter
    def link_border(self, value):
        status = _lib.vm_set_LinkBorder(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    def text_line_width(self, text):
        """Width that a line of text will occupy using current font and size."""
        r = _c_double()
        status = _lib.vm_get_TextLineWidth(self._doc, text.encode("utf-8", "surrogateescape") if text.__class__ is str else _text(text), _byref(r))
        if status:
            self._raise(status)
        return r.value

    def set_image_link(self, page, index, link):
        """Attach a hyperlink to an image."""
        status = _lib.vm_SetImageLink(self._doc, page, index, link.encode("utf-8", "surrogateescape") if link.__class__ is str else _text(link))
        if status:
            self._raise(status)

    @property
    def text_block_width(self):
        """Width of current text block."""
        r = _c_double()
        status = _lib.vm_get_TextBlockWidth(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @property
    def merge_alpha(self):
        """Merge alpha channel with a single color."""
        r = _c_int()
        status = _lib.vm_get_MergeAlpha(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @merge_alpha.setter
    def merge_alpha(self, value):
        status = _lib.vm_set_MergeAlpha(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def merge_alpha_color(self):
        """Color used for merging alpha channel."""
        r = _c_uint32()
        status = _lib.vm_get_MergeAlphaColor(self._doc, _byref(r))
        if status:
            self._raise(status)
        return r.value

    @merge_alpha_color.setter
    def merge_alpha_color(self, value):
        status = _lib.vm_set_MergeAlphaColor(self._doc, _color(value))
        if status:
            self._raise(status)

    @property
    def append_text(self):
        """Append next line of text to previous line."""
        r = _c_int()
        status = _lib.vm_get_AppendText(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @append_text.setter
    def append_text(self, value):
        status = _lib.vm_set_AppendText(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def compress_contents(self):
        """Enables/disables page content compression."""
        r = _c_int()
        status = _lib.vm_get_CompressContents(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @compress_contents.setter
    def compress_contents(self, value):
        status = _lib.vm_set_CompressContents(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def fill(self):
        """Fill shapes in current graphic."""
        r = _c_int()
        status = _lib.vm_get_Fill(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @fill.setter
    def fill(self, value):
        status = _lib.vm_set_Fill(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def unicode_text(self):
        """Keep Unicode characters of text written in TrueType fonts."""
        r = _c_int()
        status = _lib.vm_get_UnicodeText(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @unicode_text.setter
    def unicode_text(self, value):
        status = _lib.vm_set_UnicodeText(self._doc, 1 if value else 0)
        if status:
            self._raise(status)

    @property
    def subset_fonts(self):
        """Embed only the glyphs of fonts that the document uses."""
        r = _c_int()
        status = _lib.vm_get_SubsetFonts(self._doc, _byref(r))
        if status:
            self._raise(status)
        return bool(r.value)

    @subset_fonts.setter
    def subset_fonts(self, value):
        status = _lib.vm_set_SubsetFonts(self._doc, 1 if value else 0)
        if status:
            self._raise(status)
