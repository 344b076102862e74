/* What the two libharu sides (haru_shapes.c, haru_text.c) share: the times
 * they report, their clock readings and the error handler that marks a
 * document as failed. Plain C so that it builds as C. */
#ifndef VELLUMARK_BENCH_HARU_COMMON_H
#define VELLUMARK_BENCH_HARU_COMMON_H

#ifdef __cplusplus
extern "C" {
#endif

/* Wall and CPU seconds of the two stages of one document. */
typedef struct haru_times {
    double build_wall, build_cpu;
    double save_wall, save_cpu;
} haru_times;

/* One reading of the wall clock (monotonic) and of this process's CPU time,
 * in seconds. */
typedef struct haru_clock {
    double wall, cpu;
} haru_clock;

/* Reads the wall clock, then the CPU time. */
haru_clock haru_clock_now(void);

/* The building from `start` to `built` and the save from `built` to `saved`. */
void haru_times_set(haru_times* times, haru_clock start, haru_clock built, haru_clock saved);

/* An HPDF_Error_Handler: user_data is an int that becomes 1 on the first
 * error, which alone is reported on stderr. (HPDF_STATUS is unsigned long.) */
void haru_note_error(unsigned long error_no, unsigned long detail_no, void* user_data);

#ifdef __cplusplus
}
#endif

#endif
