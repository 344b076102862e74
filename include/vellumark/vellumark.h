/* vellumark.h: the C interface of the Vellumark PDF library.
 *
 * Written by api/tools/MakeApi.cpp from the member table; do not edit it, write it
 * again from the source folder with build/MakeApi . (MakeApi is built with the tests).
 *
 * A document is an opaque handle made by vm_create and released by vm_destroy.
 * Every member of the automation interface is one function:
 *   a method              vm_Name(doc, arguments..., result)
 *   a property get        vm_get_Name(doc, index..., value)
 *   a property put        vm_set_Name(doc, index..., value)
 * Every function returns a status: VM_OK; VM_FAILED when the member raised an
 * error, whose message (UTF-8) vm_last_error(doc) gives; VM_INVALID for a null
 * handle or result pointer, or bytes without a length; VM_NO_MEMORY. A result
 * is written only on success. No exception or signal leaves the library.
 *
 * Types: integers are int32_t; booleans int (non-zero is true, results are 1 or
 * 0); colours OLE colours 0x00BBGGRR (vm_rgb); enumerations int32_t, of which the
 * low 8 bits count; strings UTF-8, NUL-terminated, a null pointer being the empty
 * string. A string result belongs to the document and stays valid until the
 * next call on it. Lengths are in the document's Units.
 *
 * A document is used by one thread at a time; separate documents are
 * independent of each other.
 */
#ifndef VELLUMARK_H
#define VELLUMARK_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define VM_API __attribute__((visibility("default")))
#else
#define VM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vm_doc vm_doc;

typedef int vm_status;
#define VM_OK 0
#define VM_FAILED 1
#define VM_INVALID 2
#define VM_NO_MEMORY 3

/* The library's version, "MAJOR.MINOR.PATCH". */
VM_API const char* vm_version(void);

/* A new, empty document in *doc; VM_NO_MEMORY when it cannot be made. */
VM_API vm_status vm_create(vm_doc** doc);
/* Releases the document and everything it holds; a null handle is ignored. */
VM_API void vm_destroy(vm_doc* doc);
/* The message of the last call on doc that failed (UTF-8), "" when none did.
 * Valid until the next failed call on doc. */
VM_API const char* vm_last_error(const vm_doc* doc);

/* The document as a PDF file in memory: the bytes vm_SaveToFile writes. *data
 * is allocated by the library and released with vm_free_buffer; a document
 * without pages gives *data NULL and *size 0. */
VM_API vm_status vm_save_to_memory(vm_doc* doc, unsigned char** data, size_t* size);
VM_API void vm_free_buffer(void* data);

/* The OLE colour of red, green and blue (0 to 255 each). */
VM_API uint32_t vm_rgb(int red, int green, int blue);

/* Enumerations. */
/* TxCompressFormat: Image compression format. */
typedef enum vm_TxCompressFormat {
    vm_cfNone = 0, /* Uncompressed. */
    vm_cfGroup4 = 1, /* CCITT Group 4 Fax compression. */
    vm_cfZIP = 2, /* ZIP (Flate) compression. */
    vm_cfJPEG = 3 /* JPEG compression. */
} vm_TxCompressFormat;

/* TxPageSize: Page Size. */
typedef enum vm_TxPageSize {
    vm_psCustom = 0, /* Custom page size. */
    vm_psA4_P = 1, /* A4 (Portrait). */
    vm_psA4_L = 2, /* A4 (Landscape). */
    vm_psLetter_P = 3, /* Letter (Portrait). */
    vm_psLetter_L = 4, /* Letter (Landscape). */
    vm_psA3_P = 5, /* A3 (Portrait). */
    vm_psA3_L = 6, /* A3 (Landscape). */
    vm_psA5_P = 7, /* A5 (Portrait). */
    vm_psA5_L = 8, /* A5 (Landscape). */
    vm_psTabloid_P = 9, /* Tabloid (Portrait). */
    vm_psTabloid_L = 10, /* Tabloid (Landscape). */
    vm_psLegal_P = 11, /* Legal (Portrait). */
    vm_psLegal_L = 12, /* Legal (Landscape). */
    vm_psStatement_P = 13, /* Statement (Portrait). */
    vm_psStatement_L = 14, /* Statement (Landscape). */
    vm_psExecutive_P = 15, /* Executive (Portrait). */
    vm_psExecutive_L = 16 /* Executive (Landscape). */
} vm_TxPageSize;

/* TxUnitsMeas: Units of measure. */
typedef enum vm_TxUnitsMeas {
    vm_umPoints = 0, /* Points. */
    vm_umInches = 1, /* Inches. */
    vm_umCentimeters = 2, /* Centimeters. */
    vm_umMillimeters = 3 /* Millimeters. */
} vm_TxUnitsMeas;

/* TxTextAlign: Alignment of text. */
typedef enum vm_TxTextAlign {
    vm_taLeft = 0, /* Left-justified text. */
    vm_taCenter = 1, /* Centred text. */
    vm_taRight = 2 /* Right-justified text. */
} vm_TxTextAlign;

/* The members, in the automation interface's order. */

/* Adds a new page to the document. */
VM_API vm_status vm_AddPage(vm_doc* doc, int32_t page);
/* Adds an image resource from file on disk. */
VM_API vm_status vm_AddImageFile(vm_doc* doc, const char* file_name, int32_t* result);
/* Saves PDF document to disk. */
VM_API vm_status vm_SaveToFile(vm_doc* doc, const char* file_name);
/* Draws a resource on a page. */
VM_API vm_status vm_ApplyResource(vm_doc* doc, int32_t page, int32_t resource, int32_t* result);
/* Modifies the size used to display a resource on a page. */
VM_API vm_status vm_ScaleObject(vm_doc* doc, int32_t page, int32_t index, double scale_factor);
/* Modifies the position of a resource on a page. */
VM_API vm_status vm_Locate(vm_doc* doc, int32_t page, int32_t index, double x, double y);
/* Creates a new graphic resource. */
VM_API vm_status vm_CreateGraphic(vm_doc* doc, int32_t* result);
/* Draws a line on a graphic. */
VM_API vm_status vm_DrawLine(vm_doc* doc, double x1, double y1, double x2, double y2);
/* Draws a rectangle on a graphic. */
VM_API vm_status vm_Rectangle(vm_doc* doc, double x1, double y1, double x2, double y2);
/* Creates a new text resource. */
VM_API vm_status vm_CreateText(vm_doc* doc, int32_t* result);
/* Writes a line of text on a text resource. */
VM_API vm_status vm_WriteText(vm_doc* doc, const char* text);
/* Clears all pages and resources from memory. */
VM_API vm_status vm_Clear(vm_doc* doc);
/* Deletes all pages from memory. */
VM_API vm_status vm_DeleteAllPages(vm_doc* doc);
/* Adds an image resource from a handle to a bitmap. */
VM_API vm_status vm_AddImageBMPHandle(vm_doc* doc, int32_t handle, int32_t* result);
/* The currently active graphic resource. */
VM_API vm_status vm_get_CurrentGraphic(vm_doc* doc, int32_t* value);
/* The currently active graphic resource. */
VM_API vm_status vm_set_CurrentGraphic(vm_doc* doc, int32_t value);
/* The currently active text resource. */
VM_API vm_status vm_get_CurrentText(vm_doc* doc, int32_t* value);
/* The currently active text resource. */
VM_API vm_status vm_set_CurrentText(vm_doc* doc, int32_t value);
/* Line width used on graphics. */
VM_API vm_status vm_get_LineWidth(vm_doc* doc, int32_t* value);
/* Line width used on graphics. */
VM_API vm_status vm_set_LineWidth(vm_doc* doc, int32_t value);
/* Color used for writing text. */
VM_API vm_status vm_get_TextColor(vm_doc* doc, uint32_t* value);
/* Color used for writing text. */
VM_API vm_status vm_set_TextColor(vm_doc* doc, uint32_t value);
/* Color used for lines on graphics. */
VM_API vm_status vm_get_LineColor(vm_doc* doc, uint32_t* value);
/* Color used for lines on graphics. */
VM_API vm_status vm_set_LineColor(vm_doc* doc, uint32_t value);
/* Color used for filling shapes on graphics. */
VM_API vm_status vm_get_FillColor(vm_doc* doc, uint32_t* value);
/* Color used for filling shapes on graphics. */
VM_API vm_status vm_set_FillColor(vm_doc* doc, uint32_t value);
/* Compression method used for black and white images. */
VM_API vm_status vm_get_CompressionBW(vm_doc* doc, int32_t* value);
/* Compression method used for black and white images. */
VM_API vm_status vm_set_CompressionBW(vm_doc* doc, int32_t value);
/* Compression method used for indexed color images. */
VM_API vm_status vm_get_CompressionIndexed(vm_doc* doc, int32_t* value);
/* Compression method used for indexed color images. */
VM_API vm_status vm_set_CompressionIndexed(vm_doc* doc, int32_t value);
/* Compression method used for full color images. */
VM_API vm_status vm_get_CompressionRGB(vm_doc* doc, int32_t* value);
/* Compression method used for full color images. */
VM_API vm_status vm_set_CompressionRGB(vm_doc* doc, int32_t value);
/* Compression method used for grayscale images. */
VM_API vm_status vm_get_CompressionGray(vm_doc* doc, int32_t* value);
/* Compression method used for grayscale images. */
VM_API vm_status vm_set_CompressionGray(vm_doc* doc, int32_t value);
/* Use compression method present in the source image. */
VM_API vm_status vm_get_UseSourceCompression(vm_doc* doc, int* value);
/* Use compression method present in the source image. */
VM_API vm_status vm_set_UseSourceCompression(vm_doc* doc, int value);
/* Number of font used for writing text. */
VM_API vm_status vm_get_TextFont(vm_doc* doc, int32_t* value);
/* Number of font used for writing text. */
VM_API vm_status vm_set_TextFont(vm_doc* doc, int32_t value);
/* Size of font used for writing text. */
VM_API vm_status vm_get_TextSize(vm_doc* doc, int32_t* value);
/* Size of font used for writing text. */
VM_API vm_status vm_set_TextSize(vm_doc* doc, int32_t value);
/* Number of image to be read from multi-image TIFF file. */
VM_API vm_status vm_get_ImageReadNumber(vm_doc* doc, int32_t* value);
/* Number of image to be read from multi-image TIFF file. */
VM_API vm_status vm_set_ImageReadNumber(vm_doc* doc, int32_t value);
/* Release handle after use in AddImageBMPHandle method. */
VM_API vm_status vm_get_ReleaseBMPHandle(vm_doc* doc, int* value);
/* Release handle after use in AddImageBMPHandle method. */
VM_API vm_status vm_set_ReleaseBMPHandle(vm_doc* doc, int value);
/* Page size to be used for new pages. */
VM_API vm_status vm_get_DefaultPageSize(vm_doc* doc, int32_t* value);
/* Page size to be used for new pages. */
VM_API vm_status vm_set_DefaultPageSize(vm_doc* doc, int32_t value);
/* Units of measure. */
VM_API vm_status vm_get_Units(vm_doc* doc, int32_t* value);
/* Units of measure. */
VM_API vm_status vm_set_Units(vm_doc* doc, int32_t value);
/* (no help text) */
VM_API vm_status vm_get_DoubleBuffered(vm_doc* doc, int* value);
/* (no help text) */
VM_API vm_status vm_set_DoubleBuffered(vm_doc* doc, int value);
/* (no help text) */
VM_API vm_status vm_get_AlignDisabled(vm_doc* doc, int* value);
/* (no help text) */
VM_API vm_status vm_get_VisibleDockClientCount(vm_doc* doc, int32_t* value);
/* (no help text) */
VM_API vm_status vm_DrawTextBiDiModeFlagsReadingOnly(vm_doc* doc, int32_t* result);
/* (no help text) */
VM_API vm_status vm_get_Enabled(vm_doc* doc, int* value);
/* (no help text) */
VM_API vm_status vm_set_Enabled(vm_doc* doc, int value);
/* (no help text) */
VM_API vm_status vm_InitiateAction(vm_doc* doc);
/* (no help text) */
VM_API vm_status vm_IsRightToLeft(vm_doc* doc, int* result);
/* (no help text) */
VM_API vm_status vm_UseRightToLeftReading(vm_doc* doc, int* result);
/* (no help text) */
VM_API vm_status vm_UseRightToLeftScrollBar(vm_doc* doc, int* result);
/* (no help text) */
VM_API vm_status vm_get_Visible(vm_doc* doc, int* value);
/* (no help text) */
VM_API vm_status vm_set_Visible(vm_doc* doc, int value);
/* (no help text) */
VM_API vm_status vm_SetSubComponent(vm_doc* doc, int is_sub_component);
/* (no help text) */
VM_API vm_status vm_AboutBox(vm_doc* doc);
/* Page size. */
VM_API vm_status vm_get_PageSize(vm_doc* doc, int32_t page, int32_t* value);
/* Page size. */
VM_API vm_status vm_set_PageSize(vm_doc* doc, int32_t page, int32_t value);
/* Page width. */
VM_API vm_status vm_get_PageWidth(vm_doc* doc, int32_t page, double* value);
/* Page width. */
VM_API vm_status vm_set_PageWidth(vm_doc* doc, int32_t page, double value);
/* Page height. */
VM_API vm_status vm_get_PageHeight(vm_doc* doc, int32_t page, double* value);
/* Page height. */
VM_API vm_status vm_set_PageHeight(vm_doc* doc, int32_t page, double value);
/* Width of image resource (unscaled). */
VM_API vm_status vm_get_ImageWidth(vm_doc* doc, int32_t index, double* value);
/* Height of image resource (unscaled). */
VM_API vm_status vm_get_ImageHeight(vm_doc* doc, int32_t index, double* value);
/* Adds an image resource from an array of bytes in memory. */
VM_API vm_status vm_AddImageBytes(vm_doc* doc, const void* image_data, size_t image_data_size, int32_t* result);
/* Adds a TrueType font from disk. */
VM_API vm_status vm_AddFont(vm_doc* doc, const char* font_name, int32_t* result);
/* Embed the font in the document. */
VM_API vm_status vm_get_EmbedFont(vm_doc* doc, int32_t font_num, int* value);
/* Embed the font in the document. */
VM_API vm_status vm_set_EmbedFont(vm_doc* doc, int32_t font_num, int value);
/* Rotates a resource counterclockwise on a page. */
VM_API vm_status vm_Rotate(vm_doc* doc, int32_t page, int32_t index, double angle);
/* Title of the document. */
VM_API vm_status vm_get_Title(vm_doc* doc, const char** value);
/* Title of the document. */
VM_API vm_status vm_set_Title(vm_doc* doc, const char* value);
/* Subject of the document. */
VM_API vm_status vm_get_Subject(vm_doc* doc, const char** value);
/* Subject of the document. */
VM_API vm_status vm_set_Subject(vm_doc* doc, const char* value);
/* Author of the document. */
VM_API vm_status vm_get_Author(vm_doc* doc, const char** value);
/* Author of the document. */
VM_API vm_status vm_set_Author(vm_doc* doc, const char* value);
/* Keywords associated with the document. */
VM_API vm_status vm_get_Keywords(vm_doc* doc, const char** value);
/* Keywords associated with the document. */
VM_API vm_status vm_set_Keywords(vm_doc* doc, const char* value);
/* Number of images contained in a file. */
VM_API vm_status vm_get_ImageCount(vm_doc* doc, const char* file_name, int32_t* value);
/* Spacing between lines of text. */
VM_API vm_status vm_get_TextLineSpacing(vm_doc* doc, double* value);
/* Spacing between lines of text. */
VM_API vm_status vm_set_TextLineSpacing(vm_doc* doc, double value);
/* Alignment of text. */
VM_API vm_status vm_get_TextAlign(vm_doc* doc, int32_t* value);
/* Alignment of text. */
VM_API vm_status vm_set_TextAlign(vm_doc* doc, int32_t value);
/* Maximum width of line of text before remaining text is wrapped to next line. */
VM_API vm_status vm_get_TextMaxWidth(vm_doc* doc, double* value);
/* Maximum width of line of text before remaining text is wrapped to next line. */
VM_API vm_status vm_set_TextMaxWidth(vm_doc* doc, double value);
/* Skew text in horizontal direction. */
VM_API vm_status vm_get_TextSkewX(vm_doc* doc, double* value);
/* Skew text in horizontal direction. */
VM_API vm_status vm_set_TextSkewX(vm_doc* doc, double value);
/* Skew text in vertical direction. */
VM_API vm_status vm_get_TextSkewY(vm_doc* doc, double* value);
/* Skew text in vertical direction. */
VM_API vm_status vm_set_TextSkewY(vm_doc* doc, double value);
/* Draws an ellipse on a graphic. */
VM_API vm_status vm_Ellipse(vm_doc* doc, double x, double y, double rx, double ry, double angle);
/* Draws a circle on a graphic. */
VM_API vm_status vm_Circle(vm_doc* doc, double x, double y, double r);
/* Height of current text block. */
VM_API vm_status vm_get_TextBlockHeight(vm_doc* doc, double* value);
/* Writes a hyperlink on a text resource. */
VM_API vm_status vm_WriteLink(vm_doc* doc, const char* text, const char* link);
/* Underline text. */
VM_API vm_status vm_get_TextUnderline(vm_doc* doc, int* value);
/* Underline text. */
VM_API vm_status vm_set_TextUnderline(vm_doc* doc, int value);
/* Use standard formatting for hyperlinks. */
VM_API vm_status vm_get_LinkStandardFormat(vm_doc* doc, int* value);
/* Use standard formatting for hyperlinks. */
VM_API vm_status vm_set_LinkStandardFormat(vm_doc* doc, int value);
/* Color used for writing hyperlinks. */
VM_API vm_status vm_get_LinkColor(vm_doc* doc, uint32_t* value);
/* Color used for writing hyperlinks. */
VM_API vm_status vm_set_LinkColor(vm_doc* doc, uint32_t value);
/* Number of font used for writing hyperlinks. */
VM_API vm_status vm_get_LinkFont(vm_doc* doc, int32_t* value);
/* Number of font used for writing hyperlinks. */
VM_API vm_status vm_set_LinkFont(vm_doc* doc, int32_t value);
/* Underline hyperlinks. */
VM_API vm_status vm_get_LinkUnderline(vm_doc* doc, int* value);
/* Underline hyperlinks. */
VM_API vm_status vm_set_LinkUnderline(vm_doc* doc, int value);
/* Size of font used for writing hyperlinks. */
VM_API vm_status vm_get_LinkSize(vm_doc* doc, int32_t* value);
/* Size of font used for writing hyperlinks. */
VM_API vm_status vm_set_LinkSize(vm_doc* doc, int32_t value);
/* Display rectangular border around hyperlinks. */
VM_API vm_status vm_get_LinkBorder(vm_doc* doc, int* value);
/* Display rectangular border around hyperlinks. */
VM_API vm_status vm_set_LinkBorder(vm_doc* doc, int value);
/* Width that a line of text will occupy using current font and size. */
VM_API vm_status vm_get_TextLineWidth(vm_doc* doc, const char* text, double* value);
/* Attach a hyperlink to an image. */
VM_API vm_status vm_SetImageLink(vm_doc* doc, int32_t page, int32_t index, const char* link);
/* Width of current text block. */
VM_API vm_status vm_get_TextBlockWidth(vm_doc* doc, double* value);
/* Merge alpha channel with a single color. */
VM_API vm_status vm_get_MergeAlpha(vm_doc* doc, int* value);
/* Merge alpha channel with a single color. */
VM_API vm_status vm_set_MergeAlpha(vm_doc* doc, int value);
/* Color used for merging alpha channel. */
VM_API vm_status vm_get_MergeAlphaColor(vm_doc* doc, uint32_t* value);
/* Color used for merging alpha channel. */
VM_API vm_status vm_set_MergeAlphaColor(vm_doc* doc, uint32_t value);
/* Append next line of text to previous line. */
VM_API vm_status vm_get_AppendText(vm_doc* doc, int* value);
/* Append next line of text to previous line. */
VM_API vm_status vm_set_AppendText(vm_doc* doc, int value);
/* Enables/disables page content compression. */
VM_API vm_status vm_get_CompressContents(vm_doc* doc, int* value);
/* Enables/disables page content compression. */
VM_API vm_status vm_set_CompressContents(vm_doc* doc, int value);
/* Fill shapes in current graphic. */
VM_API vm_status vm_get_Fill(vm_doc* doc, int* value);
/* Fill shapes in current graphic. */
VM_API vm_status vm_set_Fill(vm_doc* doc, int value);
/* Keep Unicode characters of text written in TrueType fonts. */
VM_API vm_status vm_get_UnicodeText(vm_doc* doc, int* value);
/* Keep Unicode characters of text written in TrueType fonts. */
VM_API vm_status vm_set_UnicodeText(vm_doc* doc, int value);
/* Embed only the glyphs of fonts that the document uses. */
VM_API vm_status vm_get_SubsetFonts(vm_doc* doc, int* value);
/* Embed only the glyphs of fonts that the document uses. */
VM_API vm_status vm_set_SubsetFonts(vm_doc* doc, int value);

#ifdef __cplusplus
}
#endif

#endif /* VELLUMARK_H */
