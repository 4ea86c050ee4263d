// The camera: two followers (the looked-at point and the eye around it) that
// chase targets set by their owner and give the viewing transform of a frame.
#pragma once

#include "gfx/coord.h"
#include "shell/types.h"

// Laws of a follower's position or rotation; any other value freezes that part.
enum {
    CAMERA_SET = 0,       // jumps onto the target
    CAMERA_RELATIVE = 1,  // closes a fixed fraction of the gap per ms
    CAMERA_SPEED = 2,     // accelerates toward the target under a distance-bound limit
};

// One follower with its laws, placements and coefficients (per ms).
struct s_camera_track {
    u32 pos_mode;     // CAMERA_* law of the position
    u32 rot_mode;     // CAMERA_* law of the rotation
    s_coord current;  // placement used for drawing
    s_coord speed;    // velocities of the speed law
    s_coord target;   // written by the owner
    f32 pos_k;        // relative k and speed k_limit of the position
    f32 pos_k_accel;  // speed k_accel of the position
    f32 rot_k;        // relative k and speed k_limit of the rotation
    f32 rot_k_accel;  // speed k_accel of the rotation
};

struct s_camera {
    s_camera_track view;   // the looked-at point (applied inverted)
    s_camera_track item;   // the eye's placement around that point
    s_coord* view_target;  // handle to view.target
    s_coord* item_target;  // handle to item.target
    u8 wrap;               // non-zero: rotations take the shorter way around
    u8 first;              // 1 until the first camera_begin, which jumps to the targets
};

// Initial coefficients, all laws CAMERA_SET, every placement 0, handles set, first = 1.
void camera_define(s_camera* camera);
// Sets the position coefficients of both followers.
void camera_coef_pos(s_camera* camera, f32 view_k, f32 view_k_accel, f32 item_k, f32 item_k_accel);
// Sets the rotation coefficients of both followers.
void camera_coef_rot(s_camera* camera, f32 view_k, f32 view_k_accel, f32 item_k, f32 item_k_accel);
// Selects the four laws and the wrap flag; effective from the next camera_begin.
void camera_mode(s_camera* camera, u32 view_pos_mode, u32 view_rot_mode, u32 item_pos_mode,
                 u32 item_rot_mode, u8 wrap);
// Advances both followers by one frame and pushes the viewing transform (two matrices).
void camera_begin(s_camera* camera);
// Pops the two matrices pushed by camera_begin.
void camera_stop();
