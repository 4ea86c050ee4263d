// Swept test of two axis-aligned boxes in the play plane.
#pragma once

#include "shell/types.h"

// Faces of box B crossed by the moving box A during one step.
enum {
    COLLIDE_TOP = 1,     // A, moving down, crossed B's top face
    COLLIDE_LEFT = 2,    // A, moving right, crossed B's left face
    COLLIDE_RIGHT = 4,   // A, moving left, crossed B's right face
    COLLIDE_BOTTOM = 8,  // A, moving up, crossed B's bottom face
};
// Masks of the bits that ask for a vertical (axis 0) or horizontal (axis 1) bounce.
enum {
    COLLIDE_MASK_Y = (COLLIDE_TOP | COLLIDE_BOTTOM),
    COLLIDE_MASK_X = (COLLIDE_LEFT | COLLIDE_RIGHT),
};

// A moves from (ax0, ay0) to (ax1, ay1), B from (bx0, by0) to (bx1, by1); the
// extents are offsets from each reference point. Returns the COLLIDE_ bits crossed.
i8 collide(f32 ax0, f32 ay0, f32 ax1, f32 ay1, f32 a_left, f32 a_right, f32 a_bottom, f32 a_top,
           f32 bx0, f32 by0, f32 bx1, f32 by1, f32 b_left, f32 b_right, f32 b_bottom, f32 b_top);
