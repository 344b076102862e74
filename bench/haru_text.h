/* The libharu side of the text report comparison: draws given text lines page
 * by page in a TrueType font loaded from a file and embedded, and saves the
 * file. Plain C so that it builds as C. */
#ifndef VELLUMARK_BENCH_HARU_TEXT_H
#define VELLUMARK_BENCH_HARU_TEXT_H

#include "haru_common.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One line of text and the point where its baseline starts, in points from
 * the bottom left corner of the page. */
typedef struct haru_text_line {
    const char* text;
    double x, y;
} haru_text_line;

/* Makes a document of page_count pages of page_width x page_height points;
 * page p (from 0) shows lines[page_starts[p]] up to lines[page_starts[p + 1]]
 * in the font of font_path (loaded with embedding, WinAnsiEncoding) at
 * font_size points. Page contents and the font are compressed. Saves it to
 * path. Loading the font, the pages and the save are timed; the document is
 * freed after the clocks stop. Returns 0 on success. */
int haru_text_report(const haru_text_line* lines, const int* page_starts, int page_count, double page_width,
                     double page_height, const char* font_path, double font_size, const char* path,
                     haru_times* times);

/* The page source of haru_text_pages: points *lines at the next page's lines
 * and *count at their number and returns 1, or returns 0 when there are no
 * more pages. The lines stay valid until the next call. */
typedef int (*haru_next_lines)(void* context, const haru_text_line** lines, int* count);

/* As haru_text_report, with the pages taken one at a time from `next` and
 * without timing. */
int haru_text_pages(haru_next_lines next, void* context, double page_width, double page_height,
                    const char* font_path, double font_size, const char* path);

#ifdef __cplusplus
}
#endif

#endif
