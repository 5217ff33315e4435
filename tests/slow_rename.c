/* LD_PRELOAD shim for the tests: a process's first rename (rename or
 * renameat2) is done, then marked by creating the file SLOW_RENAME_MARK, and
 * then held up for SLOW_RENAME_SECONDS, so that a test can act between two
 * renames. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static int renames_seen;

static int after_rename(int result)
{
    const int error = errno;
    if (renames_seen++ == 0) {
        const char *mark = getenv("SLOW_RENAME_MARK");
        const char *seconds = getenv("SLOW_RENAME_SECONDS");
        const double delay = seconds != NULL ? atof(seconds) : 1.0;
        if (mark != NULL)
            close(open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        struct timespec pause = {(time_t)delay, (long)((delay - (double)(time_t)delay) * 1e9)};
        nanosleep(&pause, NULL);
    }
    errno = error;
    return result;
}

int rename(const char *from, const char *to)
{
    int (*real)(const char *, const char *) =
        (int (*)(const char *, const char *))dlsym(RTLD_NEXT, "rename");
    return after_rename(real(from, to));
}

int renameat2(int from_dir, const char *from, int to_dir, const char *to, unsigned int flags)
{
    int (*real)(int, const char *, int, const char *, unsigned int) =
        (int (*)(int, const char *, int, const char *, unsigned int))dlsym(RTLD_NEXT, "renameat2");
    return after_rename(real(from_dir, from, to_dir, to, flags));
}
