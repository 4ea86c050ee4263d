// One ball: a sphere flying in the play plane under its own weight.
#pragma once

#include <GL/glu.h>

#include "game/mobile.h"
#include "gfx/coord.h"
#include "gfx/particle.h"
#include "shell/types.h"

// Flags of s_ball.state; they last until the ball is lost.
enum {
    BALL_STATE_ONESHOT = 1,   // breakable blocks go at the first hit
    BALL_STATE_TRAVERSE = 2,  // flies on through the blocks it destroys
};

constexpr float BALL_HALF = 0.5f;          // half the side of a ball's collision box, level units
constexpr float BALL_START_SPEED = 0.01f;  // level units per ms, new balls and bonuses
constexpr float BALL_WEIGHT_HEAVY = 0.000025f;  // level units per ms²
constexpr float BALL_WEIGHT_LIGHT = 0.0f;
constexpr float BALL_WEIGHT_NORMAL = 0.00001f;
constexpr float BALL_TRAIL_PERIOD = 25.0f;  // ms between timed particles
constexpr float BALL_TRAIL_SPEED = 0.04f;   // speed above which a ball leaves a trail

// Weight class of a ball; indexes the list's textures.
enum e_ball_type {
    BALL_TYPE_HEAVY = 0,
    BALL_TYPE_LIGHT = 1,
    BALL_TYPE_NORMAL = 2,
};

struct s_ball {
    s_coord coord;        // committed position and the rolling of the sphere (degrees)
    f32 trail_next;       // tick at or after which the next timed particles may spawn
    s_mobile mobile;      // direction, speed and proposed position
    GLUquadric* quadric;  // shared, for drawing the sphere
    u8 state;             // BALL_STATE_ flags
    u32 texture;          // GL texture of its type
    f32 weight;           // downward acceleration, level units per ms²
};

// Random upward launch direction shared by new balls and bonuses: pi/2 ± pi/16. Draws one rand().
f32 ball_launch_angle();
// Places a new ball at (x, y) heading up within pi/16 of vertical at the start speed.
void ball_define(s_ball* ball, f32 x, f32 y, f32 weight, u32 texture, GLUquadric* quadric);
// Sets the weight and the texture.
void ball_type(s_ball* ball, f32 weight, u32 texture);
// Gravity, motion and timed particles of one frame.
void ball_loop(s_ball* ball, s_particle* particles);
// Swept test of the ball's unit box against box B; COLLIDE_ bits.
int ball_collide(s_ball* ball, f32 bx0, f32 by0, f32 bx1, f32 by1, f32 b_left, f32 b_right,
                 f32 b_bottom, f32 b_top);
// Commits the proposed position and rolls the sphere by the distance travelled.
void ball_move(s_ball* ball);
// Draws the textured sphere. Needs GL.
void ball_draw(s_ball* ball);
