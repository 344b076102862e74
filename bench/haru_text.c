/* libharu drawing the text report of bench_text_report: one text object per
 * page, the font set once per page, each line placed with TextOut. */
#define _POSIX_C_SOURCE 199309L

#include "haru_text.h"

#include <stdio.h>
#include <time.h>

#include <hpdf.h>

static int haru_text_failed = 0;

static void haru_text_error(HPDF_STATUS error_no, HPDF_STATUS detail_no, void* user_data) {
    (void)user_data;
    if (!haru_text_failed)
        fprintf(stderr, "libharu error 0x%04X, detail %u\n", (unsigned)error_no, (unsigned)detail_no);
    haru_text_failed = 1;
}

static double clock_seconds(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

int haru_text_report(const haru_text_line* lines, const int* page_starts, int page_count, double page_width,
                     double page_height, const char* font_path, double font_size, const char* path,
                     haru_text_times* times) {
    double w0, c0, w1, c1, w2, c2;
    HPDF_Doc pdf;
    HPDF_Font font = NULL;
    const char* font_name;
    int p, i;

    haru_text_failed = 0;
    w0 = clock_seconds(CLOCK_MONOTONIC);
    c0 = clock_seconds(CLOCK_PROCESS_CPUTIME_ID);
    pdf = HPDF_New(haru_text_error, NULL);
    if (!pdf) return 1;
    HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL);
    font_name = HPDF_LoadTTFontFromFile(pdf, font_path, HPDF_TRUE);
    if (font_name && !haru_text_failed) font = HPDF_GetFont(pdf, font_name, "WinAnsiEncoding");
    if (!font) haru_text_failed = 1;
    for (p = 0; p < page_count && !haru_text_failed; ++p) {
        HPDF_Page page = HPDF_AddPage(pdf);
        HPDF_Page_SetWidth(page, (HPDF_REAL)page_width);
        HPDF_Page_SetHeight(page, (HPDF_REAL)page_height);
        HPDF_Page_BeginText(page);
        HPDF_Page_SetFontAndSize(page, font, (HPDF_REAL)font_size);
        for (i = page_starts[p]; i < page_starts[p + 1]; ++i)
            HPDF_Page_TextOut(page, (HPDF_REAL)lines[i].x, (HPDF_REAL)lines[i].y, lines[i].text);
        HPDF_Page_EndText(page);
    }
    w1 = clock_seconds(CLOCK_MONOTONIC);
    c1 = clock_seconds(CLOCK_PROCESS_CPUTIME_ID);
    if (!haru_text_failed) HPDF_SaveToFile(pdf, path);
    w2 = clock_seconds(CLOCK_MONOTONIC);
    c2 = clock_seconds(CLOCK_PROCESS_CPUTIME_ID);
    HPDF_Free(pdf);
    times->build_wall = w1 - w0;
    times->build_cpu = c1 - c0;
    times->save_wall = w2 - w1;
    times->save_cpu = c2 - c1;
    return haru_text_failed;
}
