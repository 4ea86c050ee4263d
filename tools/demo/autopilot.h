// The demo's player: steers the pad under the ball that comes down first,
// launches, sometimes charges before a catch, and changes the view now and then.
#pragma once

#include "shell/game.h"
#include "shell/types.h"

struct s_autopilot {
    u32 random;       // its own generator, so the game's rand() sequence stays the game's
    int keep_balls;   // balls to keep in play (0: play normally)
    f32 error_scale;  // 1: the usual deliberate misses; 0: a player who never misses on purpose
    int aim_slot;     // ball being steered for, -1 if none
    f32 aim_error;    // deliberate miss distance for the current approach, level units
    u8 charging;      // holding the button to kick the coming ball
    u32 next_view;    // tick at which Space is pressed next
    u32 next_insert;  // tick at which a stress ball may be added next
};

// Prepares the autopilot with its own random seed, the balls to keep in play and
// the scale of its deliberate aiming error.
void autopilot_define(s_autopilot* pilot, u32 seed, int keep_balls, f32 error_scale);
// Writes this frame's mouse motion, left button and Space into gl_vertex.
void autopilot_steer(s_autopilot* pilot, s_game* game);
// Number of balls in play.
int autopilot_balls_in_play(const s_game* game);
