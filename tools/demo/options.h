// The demo's command line: every option with its range checks, read with getopt_long.
#pragma once

#include <string>

#include "shell/types.h"

enum {
    DEMO_WARMUP_FRAMES = 200,  // frames before allocations and particles count as steady
};

struct s_demo_options {
    std::string level = "levels/default.map";
    bool level_given = false;
    long frames = -1;     // frames to run; -1: run by seconds
    double seconds = 20;  // simulated seconds to run when frames is -1
    bool seeded = false;
    u32 seed = 0;
    u32 fixed_step = 0;  // ms per frame; 0: the real clock
    std::string shots;   // directory for screenshots, empty: none
    long shot_every = 100;
    bool overlay = false;
    int balls = 0;           // balls to keep in play; 0: play normally
    double aim_error = 1;    // scale of the autopilot's deliberate misses
    bool endurance = false;  // one more line on standard error: memory and position figures
    // One more line: where the median and the slowest frames spend their time.
    bool timings = false;
    // Frames before allocations, memory and particles count as steady.
    long warmup = DEMO_WARMUP_FRAMES;
    std::string record;  // replay file to record the run into, empty: none
    std::string replay;  // replay file to play back instead of the autopilot, empty: none
    int max_fps = 0;     // frames a second at most; 0: as fast as it can
};

// Reads the command line into options; -1 to run, else the status to end with at once
// (after --help, --version or a refused option, with its message written).
int demo_parse(int argc, char** argv, s_demo_options* options);
