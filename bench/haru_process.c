/* The libharu side of bench_haru_process as a program of its own, so that it
 * is measured as a whole process like "vellumark run":
 *   haru_process shapes SHAPES OUT.pdf
 *     SHAPES holds the page count and the shapes per page (two ints), then
 *     the pages' haru_shape records; they are read and drawn a page at a time,
 *     page contents compressed.
 *   haru_process text FONT REPORT OUT.pdf
 *     REPORT is the output of bench_text_report --dump; each page's "L" lines
 *     (x, y and text, tab-separated) are drawn in FONT, embedded, at 10 pt.
 * Exits 0 when the file was saved. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "haru_shapes.h"
#include "haru_text.h"

static int next_shapes(void* context, haru_shape* shapes, int count) {
    return fread(shapes, sizeof(haru_shape), (size_t)count, (FILE*)context) == (size_t)count;
}

static int run_shapes(const char* input, const char* output) {
    FILE* in = fopen(input, "rb");
    int header[2];
    int failed;
    if (!in) return 1;
    if (fread(header, sizeof header, 1, in) != 1 || header[1] <= 0) {
        fclose(in);
        return 1;
    }
    failed = haru_draw_pages_and_save(next_shapes, in, header[1], 1, output);
    fclose(in);
    return failed;
}

/* The report read a page at a time: the page's lines and their texts. */
typedef struct report_reader {
    FILE* in;
    char line[8192];
    int have_line; /* line holds the next page's "P" */
    haru_text_line* lines;
    char** texts;
    int count, capacity;
} report_reader;

static void clear_page(report_reader* r) {
    int i;
    for (i = 0; i < r->count; ++i) free(r->texts[i]);
    r->count = 0;
}

static int add_line(report_reader* r, double x, double y, const char* text) {
    size_t n = strlen(text);
    char* copy;
    if (r->count == r->capacity) {
        int capacity = r->capacity ? 2 * r->capacity : 64;
        haru_text_line* lines = (haru_text_line*)realloc(r->lines, sizeof(haru_text_line) * (size_t)capacity);
        char** texts;
        if (!lines) return 0;
        r->lines = lines;
        texts = (char**)realloc(r->texts, sizeof(char*) * (size_t)capacity);
        if (!texts) return 0;
        r->texts = texts;
        r->capacity = capacity;
    }
    copy = (char*)malloc(n + 1);
    if (!copy) return 0;
    memcpy(copy, text, n + 1);
    r->texts[r->count] = copy;
    r->lines[r->count].text = copy;
    r->lines[r->count].x = x;
    r->lines[r->count].y = y;
    ++r->count;
    return 1;
}

static int next_lines(void* context, const haru_text_line** lines, int* count) {
    report_reader* r = (report_reader*)context;
    int started = 0;
    clear_page(r);
    for (;;) {
        if (!r->have_line && !fgets(r->line, sizeof r->line, r->in)) break;
        r->have_line = 0;
        r->line[strcspn(r->line, "\r\n")] = '\0';
        if (strcmp(r->line, "P") == 0) {
            if (started) {
                r->have_line = 1;
                break;
            }
            started = 1;
        } else if (r->line[0] == 'L' && r->line[1] == '\t') {
            char* end;
            double x = strtod(r->line + 2, &end);
            double y = strtod(end + 1, &end);
            if (*end != '\t' || !add_line(r, x, y, end + 1)) return 0;
        }
    }
    *lines = r->lines;
    *count = r->count;
    return started;
}

static int run_text(const char* font, const char* input, const char* output) {
    report_reader r;
    int failed;
    memset(&r, 0, sizeof r);
    r.in = fopen(input, "r");
    if (!r.in) return 1;
    failed = haru_text_pages(next_lines, &r, 595, 842, font, 10, output);
    clear_page(&r);
    free(r.lines);
    free(r.texts);
    fclose(r.in);
    return failed;
}

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "shapes") == 0) return run_shapes(argv[2], argv[3]);
    if (argc == 5 && strcmp(argv[1], "text") == 0) return run_text(argv[2], argv[3], argv[4]);
    fprintf(stderr, "usage: haru_process shapes SHAPES OUT.pdf | text FONT REPORT OUT.pdf\n");
    return 2;
}
