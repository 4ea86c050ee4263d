// Slot sets: the fixed arrays of balls and bonuses beside their slot states.
// Nothing is allocated during play, and slots are always visited in slot
// order, since which ball a split starts from depends on that order.
#pragma once

#include <cstring>

#include "shell/types.h"

// States of a slot (the lists' states arrays).
enum {
    SLOT_FREE = 0,
    SLOT_USED = 1,
};

// Frees every slot and zeroes every record.
template <typename T, int N> inline void slots_clear(T (&records)[N], i32 (&states)[N])
{
    memset(records, 0, sizeof records);
    for (int i = 0; i < N; i++)
        states[i] = SLOT_FREE;
}

// The lowest free slot of states[0 .. count - 1], or count when every slot is taken.
inline int slots_free(const i32* states, int count)
{
    int slot = 0;
    while (slot < count && states[slot] != SLOT_FREE)
        slot++;
    return slot;
}

// Calls visit with each record whose slot is in use, in slot order.
template <typename T, int N, typename F>
inline void slots_each(T (&records)[N], const i32 (&states)[N], F visit)
{
    for (int i = 0; i < N; i++)
        if (states[i] == SLOT_USED)
            visit(&records[i]);
}
