/* The clock and the error handler of the libharu sides. */
#define _POSIX_C_SOURCE 199309L

#include "haru_common.h"

#include <stdio.h>
#include <time.h>

static double clock_seconds(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

haru_clock haru_clock_now(void) {
    haru_clock c;
    c.wall = clock_seconds(CLOCK_MONOTONIC);
    c.cpu = clock_seconds(CLOCK_PROCESS_CPUTIME_ID);
    return c;
}

void haru_times_set(haru_times* times, haru_clock start, haru_clock built, haru_clock saved) {
    times->build_wall = built.wall - start.wall;
    times->build_cpu = built.cpu - start.cpu;
    times->save_wall = saved.wall - built.wall;
    times->save_cpu = saved.cpu - built.cpu;
}

void haru_note_error(unsigned long error_no, unsigned long detail_no, void* user_data) {
    int* failed = (int*)user_data;
    if (!*failed) fprintf(stderr, "libharu error 0x%04X, detail %u\n", (unsigned)error_no, (unsigned)detail_no);
    *failed = 1;
}
