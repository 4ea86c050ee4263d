// The monotonic clock and the process's CPU clock, read through clock_gettime.
#include "shell/clock.h"

#include <cerrno>
#include <ctime>

u64 clock_ns()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (u64)now.tv_sec * CLOCK_NS_PER_S + (u64)now.tv_nsec;
}

u64 clock_process_ns()
{
    timespec used;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return (u64)used.tv_sec * CLOCK_NS_PER_S + (u64)used.tv_nsec;
}

f64 clock_ms()
{
    return (f64)clock_ns() / CLOCK_NS_PER_MS;
}

void clock_wait_until(u64 deadline)
{
    u64 now = clock_ns();
    if (now + CLOCK_SPIN_NS < deadline) {
        u64 wake = deadline - CLOCK_SPIN_NS;
        timespec until = {(time_t)(wake / CLOCK_NS_PER_S), (long)(wake % CLOCK_NS_PER_S)};
        // An absolute time: a signal that cuts the sleep short does not move the wake-up.
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }
    while (clock_ns() < deadline) {
    }
}
