// One bonus: a tumbling cube that pops out of a destroyed block and falls.
#pragma once

#include "game/mobile.h"
#include "gfx/coord.h"
#include "gfx/particle.h"
#include "shell/types.h"

// Kind of a bonus; indexes the list's take sounds and textures.
enum e_bonus_type {
    BONUS_BALL_ONESHOT = 0,
    BONUS_BALL_SPLIT = 1,
    BONUS_BALL_TRAVERSE = 2,
    BONUS_BALL_TYPE_HEAVY = 3,
    BONUS_BALL_TYPE_LIGHT = 4,
    BONUS_PAD_DEC = 5,
    BONUS_PAD_INC = 6,
};

enum { BONUS_TYPE_COUNT = 7 };
constexpr float BONUS_WEIGHT = 0.00001f;    // level units per ms², the weight of a normal ball
constexpr float BONUS_FALL_PERIOD = 25.0f;  // ms between falling particles

struct s_bonus {
    s_coord coord;    // committed position and the tumbling (degrees)
    f32 fall_next;    // tick at or after which the next falling particles may spawn
    f32 spin[3];      // degrees per ms about x, y, z
    s_mobile mobile;  // direction, speed and proposed position
    u32 texture;      // GL texture of its kind
    i32 type;         // e_bonus_type
};

// Launches a bonus upward from (x, y) with three random spins. Draws four rand() values.
void bonus_define(s_bonus* bonus, f32 x, f32 y, int type, u32 texture);
// Gravity, motion, falling particles and tumbling of one frame.
void bonus_loop(s_bonus* bonus, s_particle* particles);
// Swept test of the bonus's unit box against box B; COLLIDE_ bits.
int bonus_collide(s_bonus* bonus, f32 bx0, f32 by0, f32 bx1, f32 by1, f32 b_left, f32 b_right,
                  f32 b_bottom, f32 b_top);
// Commits the proposed position.
void bonus_move(s_bonus* bonus);
// Draws the textured cube. Needs GL.
void bonus_draw(s_bonus* bonus);
