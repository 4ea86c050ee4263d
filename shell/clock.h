// The one monotonic clock of the game and its tools: it never jumps with the
// wall clock, so waits, timings and looks at files measure real durations.
#pragma once

#include "shell/types.h"

enum {
    CLOCK_NS_PER_MS = 1000000,
    CLOCK_NS_PER_S = 1000000000,
    // The end of a wait spent watching the clock, ns: a sleep wakes up to a few
    // tenths of a millisecond late on a quiet machine.
    CLOCK_SPIN_NS = 300000,
};

// Nanoseconds since an arbitrary start, monotonic.
u64 clock_ns();
// The same in milliseconds, with the fraction.
f64 clock_ms();
// CPU time the whole process has used, every thread of it, ns.
u64 clock_process_ns();
// Returns at the clock's reading deadline (ns) or just after: sleeps until
// CLOCK_SPIN_NS before it, as a sleep may end late, and watches the clock for
// the rest. Returns at once when the deadline is past.
void clock_wait_until(u64 deadline);
