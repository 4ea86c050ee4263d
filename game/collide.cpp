// Swept box test: which faces of an obstacle a moving box crossed in one step.
#include "game/collide.h"

#include <algorithm>

i8 collide(f32 ax0, f32 ay0, f32 ax1, f32 ay1, f32 a_left, f32 a_right, f32 a_bottom, f32 a_top,
           f32 bx0, f32 by0, f32 bx1, f32 by1, f32 b_left, f32 b_right, f32 b_bottom, f32 b_top)
{
    // Sums are formed in double so that a box ending exactly on a face is
    // judged the same way whatever the magnitude of the coordinates.
    f64 a_min_x = std::min(ax0, ax1), a_max_x = std::max(ax0, ax1);
    f64 a_min_y = std::min(ay0, ay1), a_max_y = std::max(ay0, ay1);
    f64 b_min_x = std::min(bx0, bx1), b_max_x = std::max(bx0, bx1);
    f64 b_min_y = std::min(by0, by1), b_max_y = std::max(by0, by1);
    f64 al = a_left, ar = a_right, ab = a_bottom, at = a_top;
    f64 bl = b_left, br = b_right, bb = b_bottom, bt = b_top;
    i8 result = 0;

    // Whether A was outside at the start is judged against B's farther
    // position, whether it is inside at the end against the nearer one, so a
    // moving obstacle sweeps its whole path.
    if (a_max_x + ar > b_min_x + bl && b_max_x + br > a_min_x + al) {
        if (ay1 + at > b_min_y + bb && b_max_y + bb >= ay0 + at)
            result |= COLLIDE_BOTTOM;
        if (b_max_y + bt > ay1 + ab && ay0 + ab >= b_min_y + bt)
            result |= COLLIDE_TOP;
    }
    if (a_max_y + at > b_min_y + bb && b_max_y + bt > a_min_y + ab) {
        if (ax1 + ar > b_min_x + bl && b_max_x + bl >= ax0 + ar)
            result |= COLLIDE_LEFT;
        if (b_max_x + br > ax1 + al && ax0 + al >= b_min_x + br)
            result |= COLLIDE_RIGHT;
    }
    return result;
}
