/* haru_images OUT.pdf IMAGE...: one page per PNG or JPEG file (chosen by the
 * file's first byte), each page the image's size in points, the image
 * drawn over the whole page; what "vellumark images" does, made with
 * libharu as a separate program for the whole-process comparisons of
 * bench_image_peers. libharu decodes PNG files and compresses their pixels
 * again with Flate; it copies JPEG files into the PDF as they are.
 * Exit status 0 when the file was written, 1 otherwise. */
#include <stdio.h>

#include <hpdf.h>

#include "haru_common.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s OUT.pdf IMAGE...\n", argv[0]);
        return 2;
    }
    int failed = 0;
    HPDF_Doc pdf = HPDF_New(haru_note_error, &failed);
    if (!pdf) return 1;
    /* Image data compressed with Flate, as ours is. */
    HPDF_SetCompressionMode(pdf, HPDF_COMP_IMAGE);
    for (int i = 2; i < argc && !failed; ++i) {
        FILE* f = fopen(argv[i], "rb");
        int first = f ? fgetc(f) : EOF;
        if (f) fclose(f);
        HPDF_Image image = first == 0x89 ? HPDF_LoadPngImageFromFile(pdf, argv[i])
                                         : HPDF_LoadJpegImageFromFile(pdf, argv[i]);
        if (!image || failed) {
            failed = 1;
            break;
        }
        const HPDF_REAL w = (HPDF_REAL)HPDF_Image_GetWidth(image);
        const HPDF_REAL h = (HPDF_REAL)HPDF_Image_GetHeight(image);
        HPDF_Page page = HPDF_AddPage(pdf);
        HPDF_Page_SetWidth(page, w);
        HPDF_Page_SetHeight(page, h);
        HPDF_Page_DrawImage(page, image, 0, 0, w, h);
    }
    if (!failed) HPDF_SaveToFile(pdf, argv[1]);
    HPDF_Free(pdf);
    return failed ? 1 : 0;
}
