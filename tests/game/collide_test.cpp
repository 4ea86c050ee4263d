// The swept box test: which faces of a still or moving box a moving box crosses.
#include <gtest/gtest.h>

#include "game/collide.h"

namespace {

// A ball of extents ±0.5 from (x0, y0) to (x1, y1), a still box at the origin: x ±1, y -1..0.5.
TEST(collide, reports_the_faces_a_swept_box_crosses)
{
    const struct {
        const char* name;
        f32 x0, y0, x1, y1;
        int expected;
    } rows[] = {
        {"existing overlap, still", 0, 0, 0, 0, 0},
        {"overlapping the left face, moving right", -1.2f, 0, -1, 0, 0},
        {"bottom edge ends exactly on the top face", 0, 2, 0, 1, 0},
        {"top edge ends exactly on the bottom face", 0, -2.2f, 0, -1.5f, 0},
        {"right edge ends exactly on the left face", -2, 0, -1.5f, 0, 0},
        {"falls past the left side exactly edge to edge", -1.5f, 2, -1.5f, 0.8f, 0},
        {"falls past the right side exactly edge to edge", 1.5f, 2, 1.5f, 0.8f, 0},
        {"slides over the top exactly edge to edge", -2, 1, -1.2f, 1, 0},
        {"slides under the bottom exactly edge to edge", 2, -1.5f, 1.2f, -1.5f, 0},
        {"bottom edge starts on the top face and moves in", 0, 1, 0, 0.9f, COLLIDE_TOP},
        {"falling onto the top", 0, 2, 0, 0.8f, COLLIDE_TOP},
        {"rising into the bottom", 0, -2.2f, 0, -1.2f, COLLIDE_BOTTOM},
        {"moving right into the left face", -2, 0, -1.4f, 0, COLLIDE_LEFT},
        {"moving left into the right face", 2, 0, 1.4f, 0, COLLIDE_RIGHT},
        {"down-right over the top-left corner", -2, 1.5f, -1.2f, 0.7f, COLLIDE_TOP | COLLIDE_LEFT},
        {"up-left through the bottom-right corner", 2, -2, 1.2f, -1.2f,
         COLLIDE_BOTTOM | COLLIDE_RIGHT},
        {"crosses the top's height far to the right", 5, 2, 5, 0, 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.expected, collide(r.x0, r.y0, r.x1, r.y1, -0.5f, 0.5f, -0.5f, 0.5f, 0, 0, 0, 0,
                                      -1, 1, -1, 0.5f))
            << r.name;
    // A ball sinking at x 10 is hit by a pad passing from x 0 to 20, missed by one standing at 0.
    EXPECT_TRUE(COLLIDE_TOP & collide(10, 1.2f, 10, 0.9f, -0.5f, 0.5f, -0.5f, 0.5f, 0, 0, 20, 0, -2,
                                      2, -0.5f, 0.5f));
    EXPECT_EQ(
        0, collide(10, 1.2f, 10, 0.9f, -0.5f, 0.5f, -0.5f, 0.5f, 0, 0, 0, 0, -2, 2, -0.5f, 0.5f));
}

}  // namespace
