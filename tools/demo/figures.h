// What a demo run measures: frame times with their split into parts, the
// game's events counted from slot changes, memory and the summary lines.
#pragma once

#include "shell/game.h"
#include "shell/types.h"

enum {
    DEMO_HISTOGRAM_BINS = 100000,     // frame times in steps of 10 µs, up to 1 s
    DEMO_TIMED_FRAMES_MAX = 1000000,  // frames whose split --timings keeps; later ones go unsplit
};

// Wall time of one frame's parts, ms.
enum e_demo_part {
    DEMO_PART_INPUT,   // clock, events and the autopilot
    DEMO_PART_UPDATE,  // sound, logic, collisions, motion
    DEMO_PART_DRAW,    // camera and drawing
    DEMO_PART_SWAP,    // buffer swap and clear
    DEMO_PART_OTHER,   // screenshots and the demo's own bookkeeping
    DEMO_PART_COUNT,
};
struct s_demo_split {
    f32 total;  // from the end of the frame before to the end of this one, ms
    f32 shown;  // from the picture shown before to this frame's, ms
    f32 parts[DEMO_PART_COUNT];
};

struct s_demo_figures {
    long frames;
    double wall_seconds;
    double cpu_seconds;                  // of the whole process, every thread, over the same frames
    u32 histogram[DEMO_HISTOGRAM_BINS];  // frame counts by wall time
    long blocks_destroyed;
    long bonuses_dropped, bonuses_caught;
    long balls_launched, balls_lost;
    u32 particles_peak;
    u64 allocations;
    long rss_warm_kib;           // resident size once warm
    u32 particle_capacity_warm;  // particle group slots once warm
    long nonfinite_positions;    // ball or bonus positions seen NaN or infinite, all frames
    s_demo_split* splits;        // one per frame with --timings, made before the first frame
    long split_count;
};

// Monotonic wall time in seconds.
double demo_wall_now();
// Adds the wall time since the mark to a part, in ms, and moves the mark.
void demo_lap(double* mark, f32* part);
// Frames per second at the given fraction of frames, slowest first.
double demo_fps_at(const s_demo_figures* figures, double fraction);
// Counts launches, losses, drops and catches from the slot changes of one frame.
void demo_watch(s_game* game, i32* ball_states, i32* bonus_states, f32* bonus_y,
                s_demo_figures* figures);
// Resident size of the process in KiB, from /proc; 0 when unknown.
long demo_rss_kib();
// Counts the balls and bonuses in play whose position is not a finite number.
long demo_nonfinite(s_game* game);
// Breakable blocks still standing.
long demo_blocks_alive(s_game* game);
// Where the first frame, the frames around the median and the slowest 1 % spend
// their time, in ms, then the CPU per frame and the spread of the frame times:
// one line on standard output.
void demo_print_timings(const s_demo_figures* figures);
