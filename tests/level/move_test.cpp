// Block movements: where a block is at given clock values.
#include <gtest/gtest.h>

#include "level/move.h"
#include "shell/vertex.h"

TEST(move, each_kind_places_the_block_from_its_origin_at_the_clock_values_given)
{
    // From origin (1, 2, 3) with the position at (9, 9, 9), so that an axis the kind does not
    // write stays 9, the movement runs at each clock value in turn.
    const struct {
        const char* name;
        move_func func;
        std::vector<float> params;
        float start;
        std::vector<u32> ticks;
        s_point want;
    } cases[] = {
        {"horizontal writes x only", move_horizontal, {4, 1000}, 0, {250}, {2, 9, 9}},
        {"vertical writes y only", move_vertical, {4, 1000}, 0, {250}, {9, 3, 9}},
        {"diagonal writes one offset to x and y", move_diagonal, {4, 1000}, 0, {250}, {2, 3, 9}},
        {"the leg counts from the start", move_horizontal, {4, 1000}, 7000, {7250}, {2, 9, 9}},
        {"and comes back", move_horizontal, {3, 2000}, 0, {2000, 3000}, {2.5f, 9, 9}},
        {"to turn again at the origin", move_horizontal, {3, 2000}, 0, {2000, 4000}, {1, 9, 9}},
        {"a negative distance", move_vertical, {-2, 1000}, 0, {500, 1000, 1500}, {9, 1, 9}},
        {"a long pause turns once", move_horizontal, {3, 2000}, 0, {500, 5500, 6500}, {2.5f, 9, 9}},
        {"circle at origin + p0 + 1", move_circle, {3, 4000}, 0, {0}, {5, 5, 9}},
        {"circle counter-clockwise", move_circle, {0, 4000}, 1000, {2000}, {1, 3, 9}},
        {"a hair short of a turn", move_circle, {0, 4000}, 0, {4000}, {2, 1.99999487f, 9}},
        {"dummy leaves the block alone", move_dummy, {1, 1}, 0, {1234}, {9, 9, 9}},
        // Built in memory past the reader's bounds: positions stay numbers.
        {"a circle too quick for its angle stays",
         move_circle,
         {2, 1e-40f},
         0,
         {0, 1000},
         {4, 4, 9}},
        {"an offset that overflows stays", move_horizontal, {3e38f, 1000}, 0, {500}, {9, 9, 9}},
    };
    for (const auto& c : cases) {
        s_block block;
        block.origin = {1, 2, 3};
        block.position = {9, 9, 9};
        s_move move;
        move.func = c.func;
        move.params = c.params;
        move.start = c.start;
        for (u32 t : c.ticks) {
            gl_vertex.ticks = t;
            move.func(block, move);
        }
        EXPECT_NEAR(block.position.x, c.want.x, 2e-6) << c.name;
        EXPECT_NEAR(block.position.y, c.want.y, 2e-6) << c.name;
        EXPECT_NEAR(block.position.z, c.want.z, 2e-6) << c.name;
    }
    gl_vertex.ticks = 0;
}
