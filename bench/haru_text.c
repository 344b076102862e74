/* libharu drawing the text report of bench_text_report: one text object per
 * page, the font set once per page, each line placed with TextOut. */
#include "haru_text.h"

#include <stddef.h>

#include <hpdf.h>

static HPDF_Doc new_document(const char* font_path, int* failed, HPDF_Font* font) {
    HPDF_Doc pdf = HPDF_New(haru_note_error, failed);
    const char* font_name;
    *font = NULL;
    if (!pdf) return NULL;
    HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL);
    font_name = HPDF_LoadTTFontFromFile(pdf, font_path, HPDF_TRUE);
    if (font_name && !*failed) *font = HPDF_GetFont(pdf, font_name, "WinAnsiEncoding");
    if (!*font) *failed = 1;
    return pdf;
}

static void draw_page(HPDF_Doc pdf, HPDF_Font font, const haru_text_line* lines, int count, double page_width,
                      double page_height, double font_size) {
    HPDF_Page page = HPDF_AddPage(pdf);
    int i;
    HPDF_Page_SetWidth(page, (HPDF_REAL)page_width);
    HPDF_Page_SetHeight(page, (HPDF_REAL)page_height);
    HPDF_Page_BeginText(page);
    HPDF_Page_SetFontAndSize(page, font, (HPDF_REAL)font_size);
    for (i = 0; i < count; ++i) HPDF_Page_TextOut(page, (HPDF_REAL)lines[i].x, (HPDF_REAL)lines[i].y, lines[i].text);
    HPDF_Page_EndText(page);
}

int haru_text_report(const haru_text_line* lines, const int* page_starts, int page_count, double page_width,
                     double page_height, const char* font_path, double font_size, const char* path,
                     haru_times* times) {
    haru_clock start, built, saved;
    HPDF_Doc pdf;
    HPDF_Font font;
    int failed = 0;
    int p;

    start = haru_clock_now();
    pdf = new_document(font_path, &failed, &font);
    if (!pdf) return 1;
    for (p = 0; p < page_count && !failed; ++p)
        draw_page(pdf, font, lines + page_starts[p], page_starts[p + 1] - page_starts[p], page_width, page_height,
                  font_size);
    built = haru_clock_now();
    if (!failed) HPDF_SaveToFile(pdf, path);
    saved = haru_clock_now();
    HPDF_Free(pdf);
    haru_times_set(times, start, built, saved);
    return failed;
}

int haru_text_pages(haru_next_lines next, void* context, double page_width, double page_height,
                    const char* font_path, double font_size, const char* path) {
    HPDF_Font font;
    const haru_text_line* lines;
    int count;
    int failed = 0;
    HPDF_Doc pdf = new_document(font_path, &failed, &font);
    if (!pdf) return 1;
    while (!failed && next(context, &lines, &count))
        draw_page(pdf, font, lines, count, page_width, page_height, font_size);
    if (!failed) HPDF_SaveToFile(pdf, path);
    HPDF_Free(pdf);
    return failed;
}
