// The monotonic clock, read through clock_gettime.
#include "shell/clock.h"

#include <ctime>

u64 clock_ns()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (u64)now.tv_sec * CLOCK_NS_PER_S + (u64)now.tv_nsec;
}

f64 clock_ms()
{
    return (f64)clock_ns() / CLOCK_NS_PER_MS;
}
