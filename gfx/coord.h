// Placements (position and three rotation angles), the GL transforms that
// place an object or a viewer, and the laws that move one placement toward
// another by the duration of the last frame.
#pragma once

#include "shell/types.h"

// A placement: position in world units, rotations in degrees about x, y, z.
struct s_coord {
    f32 x;
    f32 y;
    f32 z;
    f32 rx;
    f32 ry;
    f32 rz;
};

// Sets the position.
void coord_set_pos(s_coord* c, f32 x, f32 y, f32 z);
// Sets the rotation angles.
void coord_set_rot(s_coord* c, f32 rx, f32 ry, f32 rz);
// Copies the position of src into dst.
void coord_copy_pos(s_coord* dst, const s_coord* src);
// Copies the rotation angles of src into dst.
void coord_copy_rot(s_coord* dst, const s_coord* src);
// Pushes the model-view matrix, then translates and rotates about x, y, z to place an object.
void coord_item(const s_coord* c);
// Pushes the model-view matrix, then applies the inverse placement of a viewer.
void coord_view(const s_coord* c);
// Pops the matrix pushed by coord_item or coord_view.
void coord_stop();
// Relative (exponential) approach of the position: value += (target - value) * k * frame_time.
void coord_interpolate_pos_relative(s_coord* current, const s_coord* target, f32 k);
// Relative approach of the angles, after the wrap step when wrap is non-zero.
void coord_interpolate_rot_relative(s_coord* current, const s_coord* target, f32 k, u8 wrap);
// Speed-limited approach of the position; speed keeps the per-component velocity.
void coord_interpolate_pos_speed(s_coord* current, s_coord* speed, const s_coord* target,
                                 f32 k_limit, f32 k_accel);
// Speed-limited approach of the angles, after the wrap step when wrap is non-zero.
void coord_interpolate_rot_speed(s_coord* current, s_coord* speed, const s_coord* target,
                                 f32 k_limit, f32 k_accel, u8 wrap);
