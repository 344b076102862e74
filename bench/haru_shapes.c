/* libharu drawing the shapes of bench_libharu, with the same calls in the
 * same order as the engine side: a colour or line width is set only when it
 * differs from the one in force on the page. */
#include "haru_shapes.h"

#include <stddef.h>
#include <stdlib.h>

#include <hpdf.h>

static HPDF_REAL component(unsigned int color, int shift) {
    return (HPDF_REAL)(((color >> shift) & 0xFFu) / 255.0);
}

static void draw_page(HPDF_Page page, const haru_shape* shapes, int count) {
    /* The engine's graphic starts with a white fill and a black line of width 1. */
    unsigned int line_color = 0, fill_color = 0xFFFFFFu;
    int line_width = 1;
    int i;
    HPDF_Page_SetRGBFill(page, 1, 1, 1);
    HPDF_Page_SetRGBStroke(page, 0, 0, 0);
    for (i = 0; i < count; ++i) {
        const haru_shape* s = &shapes[i];
        if (s->line_color != line_color) {
            line_color = s->line_color;
            HPDF_Page_SetRGBStroke(page, component(line_color, 0), component(line_color, 8),
                                   component(line_color, 16));
        }
        if (s->fill_color != fill_color) {
            fill_color = s->fill_color;
            HPDF_Page_SetRGBFill(page, component(fill_color, 0), component(fill_color, 8), component(fill_color, 16));
        }
        if (s->line_width != line_width) {
            line_width = s->line_width;
            HPDF_Page_SetLineWidth(page, (HPDF_REAL)line_width);
        }
        switch (s->kind) {
            case kShapeLine:
                HPDF_Page_MoveTo(page, (HPDF_REAL)s->x1, (HPDF_REAL)s->y1);
                HPDF_Page_LineTo(page, (HPDF_REAL)s->x2, (HPDF_REAL)s->y2);
                HPDF_Page_Stroke(page);
                break;
            case kShapeRectangle: {
                double x = s->x1 < s->x2 ? s->x1 : s->x2;
                double y = s->y1 < s->y2 ? s->y1 : s->y2;
                double w = s->x1 < s->x2 ? s->x2 - s->x1 : s->x1 - s->x2;
                double h = s->y1 < s->y2 ? s->y2 - s->y1 : s->y1 - s->y2;
                HPDF_Page_Rectangle(page, (HPDF_REAL)x, (HPDF_REAL)y, (HPDF_REAL)w, (HPDF_REAL)h);
                if (s->fill) HPDF_Page_FillStroke(page);
                else HPDF_Page_Stroke(page);
                break;
            }
            default:
                HPDF_Page_Circle(page, (HPDF_REAL)s->x1, (HPDF_REAL)s->y1, (HPDF_REAL)s->x2);
                if (s->fill) HPDF_Page_FillStroke(page);
                else HPDF_Page_Stroke(page);
                break;
        }
    }
}

int haru_draw_and_save(const haru_shape* shapes, int page_count, int shapes_per_page, int compress,
                       const char* path, haru_times* times) {
    haru_clock start, built, saved;
    HPDF_Doc pdf;
    int failed = 0;
    int p;

    start = haru_clock_now();
    pdf = HPDF_New(haru_note_error, &failed);
    if (!pdf) return 1;
    HPDF_SetCompressionMode(pdf, compress ? HPDF_COMP_ALL : HPDF_COMP_NONE);
    for (p = 0; p < page_count && !failed; ++p) {
        HPDF_Page page = HPDF_AddPage(pdf);
        HPDF_Page_SetWidth(page, 595);
        HPDF_Page_SetHeight(page, 842);
        draw_page(page, shapes + (size_t)p * (size_t)shapes_per_page, shapes_per_page);
    }
    built = haru_clock_now();
    if (!failed) HPDF_SaveToFile(pdf, path);
    saved = haru_clock_now();
    HPDF_Free(pdf);
    haru_times_set(times, start, built, saved);
    return failed;
}

int haru_draw_pages_and_save(haru_next_page next, void* context, int shapes_per_page, int compress,
                             const char* path) {
    HPDF_Doc pdf;
    haru_shape* shapes;
    int failed = 0;

    shapes = (haru_shape*)malloc(sizeof(haru_shape) * (size_t)shapes_per_page);
    if (!shapes) return 1;
    pdf = HPDF_New(haru_note_error, &failed);
    if (!pdf) {
        free(shapes);
        return 1;
    }
    HPDF_SetCompressionMode(pdf, compress ? HPDF_COMP_ALL : HPDF_COMP_NONE);
    while (!failed && next(context, shapes, shapes_per_page)) {
        HPDF_Page page = HPDF_AddPage(pdf);
        HPDF_Page_SetWidth(page, 595);
        HPDF_Page_SetHeight(page, 842);
        draw_page(page, shapes, shapes_per_page);
    }
    if (!failed) HPDF_SaveToFile(pdf, path);
    HPDF_Free(pdf);
    free(shapes);
    return failed;
}
