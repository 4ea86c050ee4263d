// The pad: the player's bat at the bottom of the play area, steered by the
// mouse, with a spring launcher charged by the left button and a length that
// bonuses change in steps.
#pragma once

#include <GL/glu.h>

#include "gfx/coord.h"
#include "gfx/particle.h"
#include "gfx/surface.h"
#include "shell/types.h"

struct s_ball_list;

// Launcher states (s_pad.state).
enum {
    PAD_STATE_UNLOAD = 0,  // button let go while charging; winds down until load_time
    PAD_STATE_LOAD = 1,    // button held; charge grows with the time since load_time
    PAD_STATE_IDLE = 2,    // nothing charged, button up
    PAD_STATE_FIRED = 3,   // launched or kicked while the button was down; waits for it to go up
};

constexpr float PAD_STEP = 0.75f;  // half-length per length step, level units
enum {
    PAD_LENGTH_MIN = 1,
    PAD_LENGTH_MAX = 10,
};
constexpr float PAD_LOAD_MAX = 2500.0f;      // ms of charging beyond which the charge stops growing
constexpr float PAD_KICK_PER_MS = 0.00001f;  // upward speed per ms of charge, level units per ms
constexpr float PAD_MOUSE_SCALE = 0.01f;     // level units per pixel of mouse motion
constexpr float PAD_PARTICLE_PERIOD = 100.0f;  // ms between launcher or length particles

struct s_pad {
    s_coord
        coord;  // committed position: x the centre, y the bottom limit; ry 90 lays the capsule along x
    u8 resizing;            // a length change is being animated
    f32 resize_next;        // tick at or after which the next pair of length particles may spawn
    i32 length;             // target length in steps, 1 to 10
    f32 half_length;        // current half-length of the cylinder; approaches length × 0.75
    s_particle* particles;  // for the pad's effects
    GLUquadric* quadric;    // shared, for drawing
    u32 sound_ball;         // a new ball is launched
    u32 sound_load;         // charging (loops)
    u32 sound_release;      // the charge goes into a ball
    f32 load_next;          // tick at or after which the next charge particles may spawn
    f32 load_time;          // LOAD: tick charging began; UNLOAD: tick unloading ends
    i32 state;              // PAD_STATE_
    u32 texture;            // GL texture, 0 if it failed to load
    f32 limit_left;         // left limit of the play area
    f32 limit_right;        // right limit of the play area
    f32 target_x;           // x the pad takes at pad_move this frame
    f32 sensitivity = 1;    // the mouse sensitivity: a factor on the mouse's motion
};

// What a ball or bonus meets this frame: the pad's centre at the frame's start
// and end, and the box's extents around it, in level units.
struct s_pad_box {
    f32 x0, y0, x1, y1;
    f32 left, right, bottom, top;
};

// Loads sounds and texture and puts the pad midway between left and right on bottom.
void pad_define(s_pad* pad, s_particle* particles, s_surface* surfaces, GLUquadric* quadric,
                f32 left, f32 right, f32 bottom);
// Puts the pad back to its start (middle of the new limits, length 2, nothing
// charged) without loading anything again; a button still held must be let go first.
void pad_reset(s_pad* pad, f32 left, f32 right, f32 bottom);
// Length animation, launcher and mouse of one frame; may launch a ball into balls.
void pad_loop(s_pad* pad, s_ball_list* balls);
// Commits the target x.
void pad_move(s_pad* pad);
// Draws the capsule. Needs GL.
void pad_draw(s_pad* pad);
// The collision box of this frame: the capsule with its rounded ends, swept from the
// committed x to target_x.
s_pad_box pad_box(const s_pad* pad);
// A ball touched the pad: upward speed to add to it (0 unless charging); a charge is used up.
f32 pad_release(s_pad* pad);
// Changes the target length by delta, kept within 1 to 10.
void pad_length(s_pad* pad, signed char delta);
