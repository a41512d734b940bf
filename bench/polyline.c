/* The driver path without Python: a polyline of n points through strtpt and
 * connpt (the same noisy sine as bench/common.py), written once, timed from
 * kalini to kalfin. For profiling the writers, e.g. with callgrind:
 *
 *   cc -O2 bench/polyline.c -Iinclude -Lbuild/tests -lkalvor -lm -o build/polyline
 *   LD_LIBRARY_PATH=build/tests build/polyline PDF out.pdf 1000000 [nocomp]
 */
#include <kalvor/kalvor.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s DEVICE FILE POINTS [nocomp]\n", argv[0]);
        return 2;
    }
    const long n = atol(argv[3]);
    float* xs = malloc(sizeof(float) * (size_t)n);
    float* ys = malloc(sizeof(float) * (size_t)n);
    unsigned seed = 1;
    for (long i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        xs[i] = 100.0f + 2769.0f * (float)i / (float)(n - 1);
        ys[i] = 1050.0f + 700.0f * sinf(xs[i] * 0.01f) + (float)((seed >> 16) % 160) - 80.0f;
    }
    metafl(argv[1]);
    filmod("DELE");
    setfil(argv[2]);
    if (argc > 4 && strcmp(argv[4], "nocomp") == 0) pdfmod("OFF", "COMP");
    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    kalini();
    errmod("PROTOCOL", "OFF");
    strtpt(xs[0], ys[0]);
    for (long i = 1; i < n; ++i) connpt(xs[i], ys[i]);
    kalfin();
    clock_gettime(CLOCK_MONOTONIC, &t1);
    printf("%.3f\n", (double)(t1.tv_sec - t0.tv_sec) + 1e-9 * (double)(t1.tv_nsec - t0.tv_nsec));
    free(xs);
    free(ys);
    return 0;
}
