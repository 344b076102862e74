/* libharu drawing the text report of bench_text_report: one text object per
 * page, the font set once per page, each line placed with TextOut. */
#include "haru_text.h"

#include <stddef.h>

#include <hpdf.h>

int haru_text_report(const haru_text_line* lines, const int* page_starts, int page_count, double page_width,
                     double page_height, const char* font_path, double font_size, const char* path,
                     haru_times* times) {
    haru_clock start, built, saved;
    HPDF_Doc pdf;
    HPDF_Font font = NULL;
    const char* font_name;
    int failed = 0;
    int p, i;

    start = haru_clock_now();
    pdf = HPDF_New(haru_note_error, &failed);
    if (!pdf) return 1;
    HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL);
    font_name = HPDF_LoadTTFontFromFile(pdf, font_path, HPDF_TRUE);
    if (font_name && !failed) font = HPDF_GetFont(pdf, font_name, "WinAnsiEncoding");
    if (!font) failed = 1;
    for (p = 0; p < page_count && !failed; ++p) {
        HPDF_Page page = HPDF_AddPage(pdf);
        HPDF_Page_SetWidth(page, (HPDF_REAL)page_width);
        HPDF_Page_SetHeight(page, (HPDF_REAL)page_height);
        HPDF_Page_BeginText(page);
        HPDF_Page_SetFontAndSize(page, font, (HPDF_REAL)font_size);
        for (i = page_starts[p]; i < page_starts[p + 1]; ++i)
            HPDF_Page_TextOut(page, (HPDF_REAL)lines[i].x, (HPDF_REAL)lines[i].y, lines[i].text);
        HPDF_Page_EndText(page);
    }
    built = haru_clock_now();
    if (!failed) HPDF_SaveToFile(pdf, path);
    saved = haru_clock_now();
    HPDF_Free(pdf);
    haru_times_set(times, start, built, saved);
    return failed;
}
