// Counts the heap allocations made by the game's own code (the executable's
// text, not the GL driver's or other shared libraries'), so a run can prove it
// allocates nothing per frame once warm.
#pragma once

#include <cstdint>

// Starts counting from zero.
void alloc_count_start();
// Holds the count (held non-zero) or lets it go on, for work deliberately left out.
void alloc_count_hold(bool held);
// Allocations counted since alloc_count_start (0 before it was called).
uint64_t alloc_count_read();
