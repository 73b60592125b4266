/* Times programs that start, convert and exit in a few milliseconds, one run of each in turn:
 * a change in machine load then falls on every contender alike, where timing a block of runs
 * of one program after a block of another lets it fall on one. bench/run uses it for the
 * runs whose time is mostly process start-up.
 *
 * Usage: alternate RUNS SHIFT NAME OUTPUT PROGRAM [ARG...] [-- NAME OUTPUT PROGRAM [ARG...]]...
 * Each run removes OUTPUT first ("-" for none) and starts PROGRAM without a shell. Run k takes
 * the contenders in the order given when k + SHIFT is even, in reverse when it is odd, so each
 * goes first as often as last. Prints "NAME SECONDS" per run; exits 1 as soon as a run fails. */
#define _POSIX_C_SOURCE 200809L
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

struct Contender {
    const char* name;
    const char* output;
    char** argv;
};

static double Now(void) {
    struct timespec at;
    clock_gettime(CLOCK_MONOTONIC, &at);
    return (double)at.tv_sec + (double)at.tv_nsec / 1e9;
}

/* Seconds one run took, or a negative number when it could not start or did not succeed. */
static double TimeRun(const struct Contender* contender) {
    if (strcmp(contender->output, "-") != 0) {
        unlink(contender->output);
    }
    const double start = Now();
    pid_t child;
    if (posix_spawn(&child, contender->argv[0], NULL, NULL, contender->argv, environ) != 0) {
        return -1;
    }
    int status;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return Now() - start;
}

int main(int argc, char** argv) {
    if (argc < 6) {
        fprintf(stderr, "usage: %s RUNS SHIFT NAME OUTPUT PROGRAM [ARG...] [-- ...]...\n", argv[0]);
        return 2;
    }
    const long runs = strtol(argv[1], NULL, 10);
    const long shift = strtol(argv[2], NULL, 10);
    struct Contender contenders[16];
    int count = 0;
    for (int at = 3; at < argc && count < 16; ++count) {
        if (argc - at < 3) {
            fprintf(stderr, "alternate: a contender needs a name, an output and a program\n");
            return 2;
        }
        contenders[count].name = argv[at];
        contenders[count].output = argv[at + 1];
        contenders[count].argv = argv + at + 2;
        at += 2;
        while (at < argc && strcmp(argv[at], "--") != 0) {
            ++at;
        }
        if (at < argc) {
            argv[at++] = NULL; /* ends this contender's arguments */
        }
    }
    for (long run = 0; run < runs; ++run) {
        const int reversed = (run + shift) % 2 != 0;
        for (int turn = 0; turn < count; ++turn) {
            const struct Contender* contender = &contenders[reversed ? count - 1 - turn : turn];
            const double seconds = TimeRun(contender);
            if (seconds < 0) {
                fprintf(stderr, "alternate: %s failed\n", contender->name);
                return 1;
            }
            printf("%s %.9f\n", contender->name, seconds);
        }
    }
    return 0;
}
