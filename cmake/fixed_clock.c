/* Preloaded into the build tools that stamp the time into their output
 * (widl into type libraries, wixl and msibuild into installer packages): the
 * wall clock reads SOURCE_DATE_EPOCH, so that two builds of one commit give
 * the same bytes. Other clocks are left alone. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/time.h>
#include <time.h>

static time_t source_date(void)
{
    const char *epoch = getenv("SOURCE_DATE_EPOCH");
    return epoch ? (time_t)strtoll(epoch, NULL, 10) : 0;
}

time_t time(time_t *out)
{
    const time_t now = source_date();
    if (out)
        *out = now;
    return now;
}

int gettimeofday(struct timeval *restrict tv, void *restrict tz)
{
    (void)tz;
    tv->tv_sec = source_date();
    tv->tv_usec = 0;
    return 0;
}

int clock_gettime(clockid_t clock, struct timespec *ts)
{
    static int (*real)(clockid_t, struct timespec *);
    if (clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE) {
        ts->tv_sec = source_date();
        ts->tv_nsec = 0;
        return 0;
    }
    if (!real)
        real = (int (*)(clockid_t, struct timespec *))dlsym(RTLD_NEXT, "clock_gettime");
    return real(clock, ts);
}
