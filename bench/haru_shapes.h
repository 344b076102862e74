/* The libharu side of the shape comparison: draws a list of shapes page by
 * page with libharu and saves the file. Plain C so that it builds as C. */
#ifndef VELLUMARK_BENCH_HARU_SHAPES_H
#define VELLUMARK_BENCH_HARU_SHAPES_H

#include "haru_common.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { kShapeLine = 0, kShapeRectangle = 1, kShapeCircle = 2 };

/* One shape with the state it is drawn in. A line runs from (x1, y1) to
 * (x2, y2); a rectangle has the opposite corners (x1, y1) and (x2, y2); a
 * circle has its centre at (x1, y1) and the radius x2. Colours are
 * 0x00BBGGRR; fill chooses fill-and-stroke over stroke for closed shapes. */
typedef struct haru_shape {
    int kind;
    double x1, y1, x2, y2;
    unsigned int line_color;
    unsigned int fill_color;
    int line_width;
    int fill;
} haru_shape;

/* Makes a document of page_count pages of 595 x 842 points, page p drawing
 * shapes[p * shapes_per_page] onwards, with page contents compressed when
 * compress is not 0, and saves it to path. The building and the save are
 * timed apart; the document is freed after the clocks stop. Returns 0 on
 * success. */
int haru_draw_and_save(const haru_shape* shapes, int page_count, int shapes_per_page, int compress,
                       const char* path, haru_times* times);

/* The page source of haru_draw_pages_and_save: fills shapes[0 .. count) with
 * the next page's shapes and returns 1, or returns 0 when there are no more
 * pages. */
typedef int (*haru_next_page)(void* context, haru_shape* shapes, int count);

/* As haru_draw_and_save, with the pages taken one at a time from `next` (so
 * that only one page of shapes is held) and without timing. */
int haru_draw_pages_and_save(haru_next_page next, void* context, int shapes_per_page, int compress,
                             const char* path);

#ifdef __cplusplus
}
#endif

#endif
