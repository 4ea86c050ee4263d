// The one monotonic clock of the game and its tools: it never jumps with the
// wall clock, so waits, timings and looks at files measure real durations.
#pragma once

#include "shell/types.h"

enum {
    CLOCK_NS_PER_MS = 1000000,
    CLOCK_NS_PER_S = 1000000000,
};

// Nanoseconds since an arbitrary start, monotonic.
u64 clock_ns();
// The same in milliseconds, with the fraction.
f64 clock_ms();
