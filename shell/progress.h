// Level progression: notices when the last breakable block of a level is gone,
// celebrates, and after a pause of game time moves a pack on to its next level.
#pragma once

#include "gfx/particle.h"
#include "level/level.h"
#include "shell/types.h"

struct s_game;

constexpr float PROGRESS_PAUSE_MS = 3000.0f;  // game time from the clearing to the next level
constexpr float PROGRESS_BURSTS_MS =
    2000.0f;  // the celebration's bursts go off during this much of it
constexpr float PROGRESS_BURST_MS = 250.0f;  // game time between two bursts
constexpr const char* PROGRESS_SOUND_PATH = "data/sounds/level_clear.wav";

// States of s_progress.
enum {
    PROGRESS_PLAYING = 0,  // breakable blocks remain, or the level never had any
    PROGRESS_CLEARED = 1,  // the last one is gone: the celebration, then the next level
};

struct s_progress {
    u32 sound_clear;  // the celebration's sound
    i32 state;        // PROGRESS_
    u8 moves_on;      // a pack: a cleared level is celebrated and gives way to the next
    u8 breakable;     // the level held breakable blocks when it was loaded
    f32 cleared_ms;   // game time since the clearing
    f32 burst_ms;     // cleared_ms at which the next burst goes off
};

// Loads the celebration's sound; once per run. A run of one map file (moves_on
// 0) has no level to move on to: clearing it is no event.
void progress_define(s_progress* progress, u8 moves_on);
// Starts watching a newly loaded level.
void progress_start(s_progress* progress, const s_map* map);
// Notices the clearing and runs the celebration; once per frame, after the collisions.
void progress_loop(s_progress* progress, const s_map* map, s_particle* particles);
// The level-switch step of a frame: once the pause after a clearing is over,
// loads the pack's next level and shows its title. A level that fails to load
// is reported on standard error, the cleared one plays on and the level after
// the failed one is tried a pause later. 1 when a level was loaded.
int progress_switch(s_game* game);
