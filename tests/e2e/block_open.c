/* LD_PRELOAD shim for the end-to-end tests: an open() of a file whose name
 * (the part after the last '/') is FROSTPANE_BLOCK_OPEN never returns, as
 * on a hung network drive. Every other open goes on to the real one. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

static void block_if_named(const char *path)
{
    const char *name = getenv("FROSTPANE_BLOCK_OPEN");
    if (path == NULL || name == NULL || *name == '\0')
        return;
    const char *slash = strrchr(path, '/');
    if (strcmp(slash ? slash + 1 : path, name) != 0)
        return;
    for (;;)
        pause();
}

static mode_t mode_argument(int flags, va_list args)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(args, int) : 0;
}

#define FORWARD_OPEN(function)                                                                                         \
    int function(const char *path, int flags, ...)                                                                     \
    {                                                                                                                  \
        va_list args;                                                                                                  \
        va_start(args, flags);                                                                                         \
        const mode_t mode = mode_argument(flags, args);                                                                \
        va_end(args);                                                                                                  \
        block_if_named(path);                                                                                          \
        int (*real)(const char *, int, ...) = (int (*)(const char *, int, ...))dlsym(RTLD_NEXT, #function);            \
        return real(path, flags, mode);                                                                                \
    }

#define FORWARD_OPENAT(function)                                                                                       \
    int function(int dir, const char *path, int flags, ...)                                                            \
    {                                                                                                                  \
        va_list args;                                                                                                  \
        va_start(args, flags);                                                                                         \
        const mode_t mode = mode_argument(flags, args);                                                                \
        va_end(args);                                                                                                  \
        block_if_named(path);                                                                                          \
        int (*real)(int, const char *, int, ...) = (int (*)(int, const char *, int, ...))dlsym(RTLD_NEXT, #function);  \
        return real(dir, path, flags, mode);                                                                           \
    }

/* What _FORTIFY_SOURCE builds call instead of open(). */
#define FORWARD_FORTIFIED(function)                                                                                    \
    int function(const char *path, int flags)                                                                          \
    {                                                                                                                  \
        block_if_named(path);                                                                                          \
        int (*real)(const char *, int) = (int (*)(const char *, int))dlsym(RTLD_NEXT, #function);                      \
        return real(path, flags);                                                                                      \
    }

int __open_2(const char *path, int flags);
int __open64_2(const char *path, int flags);
FORWARD_FORTIFIED(__open_2)
FORWARD_FORTIFIED(__open64_2)
FORWARD_OPEN(open)
FORWARD_OPEN(open64)
FORWARD_OPENAT(openat)
FORWARD_OPENAT(openat64)
