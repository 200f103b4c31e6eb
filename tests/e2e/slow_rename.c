/* LD_PRELOAD shim for the end-to-end tests: a rename onto a file whose name
 * (the part after the last '/') is FROSTPANE_SLOW_RENAME takes
 * FROSTPANE_SLOW_RENAME_MS milliseconds before it happens, as on a slow
 * network home. Every other rename goes straight to the real one. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static void delay_if_named(const char *path)
{
    const char *name = getenv("FROSTPANE_SLOW_RENAME");
    const char *milliseconds = getenv("FROSTPANE_SLOW_RENAME_MS");
    if (path == NULL || name == NULL || *name == '\0' || milliseconds == NULL)
        return;
    const char *slash = strrchr(path, '/');
    if (strcmp(slash ? slash + 1 : path, name) != 0)
        return;
    const long ms = atol(milliseconds);
    struct timespec left = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

int rename(const char *from, const char *to)
{
    delay_if_named(to);
    int (*real)(const char *, const char *) = (int (*)(const char *, const char *))dlsym(RTLD_NEXT, "rename");
    return real(from, to);
}

int renameat(int fromDir, const char *from, int toDir, const char *to)
{
    delay_if_named(to);
    int (*real)(int, const char *, int,
                const char *) = (int (*)(int, const char *, int, const char *))dlsym(RTLD_NEXT, "renameat");
    return real(fromDir, from, toDir, to);
}
