// Moving body shared by balls and bonuses: polar velocity plus the proposed
// position of the current frame.
#pragma once

#include "shell/types.h"

// Straight up and straight down, in single precision as the game uses them.
constexpr float MOBILE_UP = 1.5707964f;
constexpr float MOBILE_DOWN = -1.5707964f;

struct s_mobile {
    f32 angle;  // direction of motion in radians, counter-clockwise from +x; never wrapped
    f32 speed;  // level units per millisecond
    f32 x;      // proposed position of this frame
    f32 y;
};

// Sets position first, then direction and speed.
void mobile_define(s_mobile* m, f32 x, f32 y, f32 angle, f32 speed);
// Advances the proposed position by the velocity times time (ms).
void mobile_move(s_mobile* m, f32 time);
// Adds a vector (angle, amount) to the velocity; direction and speed change.
void mobile_compose(s_mobile* m, f32 angle, f32 amount);
// Adds a vector (angle, amount) but keeps the speed: only the direction turns.
void mobile_deviate(s_mobile* m, f32 angle, f32 amount);
// Axis 0 reverses the vertical component, axis 1 the horizontal one; others do nothing.
void mobile_bounce(s_mobile* m, int axis);
// Horizontal velocity component in level units per millisecond.
f32 mobile_speed_x(const s_mobile* m);
// Vertical velocity component in level units per millisecond.
f32 mobile_speed_y(const s_mobile* m);
