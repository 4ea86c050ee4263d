// The game's objects and the named steps of its start-up, frame and shutdown,
// shared by the game's entry point and the self-playing demo so both run the
// very same sequence.
#pragma once

#include "shell/types.h"

struct s_game {
    int started;  // how many start-up steps succeeded, so shutdown undoes only those
};

// Runs the start-up sequence for the level at map_path. Returns 0 when the game
// can run; otherwise writes one line to standard error naming what failed and
// returns the process exit status to end with.
int game_start(s_game* game, const char* map_path);
// One whole frame in its fixed order; returns non-zero when the run should end.
int game_frame(s_game* game);
// The frame's first half: clock, events and the quit and Escape tests.
int game_frame_input(s_game* game);
// The frame's second half: logic, collisions, motion, camera and drawing.
void game_frame_update(s_game* game);
// Stops what game_start started, in the fixed shutdown order.
void game_stop(s_game* game);
