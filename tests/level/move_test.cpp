// Block movements at driven clock values.
#include <gtest/gtest.h>

#include "level/move.h"
#include "shell/vertex.h"

namespace {

s_block block_at(float x, float y, float z = 0.0f)
{
    s_block block;
    block.origin = block.position = {x, y, z};
    return block;
}

s_move move_of(move_func func, std::vector<float> params, float start = 0.0f)
{
    s_move move;
    move.func = func;
    move.params = params;
    move.start = start;
    return move;
}

void run_at(u32 ticks, s_block& block, s_move& move)
{
    gl_vertex.ticks = ticks;
    move.func(block, move);
}

}  // namespace

TEST(MoveBackAndForth, horizontal_goes_out_turns_at_leg_end_and_comes_back)
{
    s_block block = block_at(-4, 1, 2);
    s_move move = move_of(move_horizontal, {3, 2000});
    const float want[][2] = {{0, -4}, {1000, -2.5f}, {2000, -1}, {3000, -2.5f}, {4000, -4}};
    for (const auto& w : want) {
        run_at((u32)w[0], block, move);
        EXPECT_FLOAT_EQ(block.position.x, w[1]) << "at " << w[0] << " ms";
    }
    EXPECT_FALSE(move.reverse);  // turned twice
    EXPECT_EQ(move.start, 4000.0f);
}

TEST(MoveKinds, each_kind_writes_its_axes_from_the_origin_at_driven_ticks)
{
    // Every block starts at origin (1, 2, 3) with its position moved to (9, 9, 9),
    // so an axis a kind does not write stays 9.
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
        {"negative distance goes down and comes back",
         move_vertical,
         {-2, 1000},
         0,
         {500, 1000, 1500},
         {9, 1, 9}},
        {"a 5000 ms pause turns once and drops the overshoot",
         move_horizontal,
         {3, 2000},
         0,
         {500, 5500, 6500},
         {2.5f, 9, 9}},
        {"the leg counts from the start set at reading",
         move_horizontal,
         {4, 1000},
         7000,
         {7250},
         {2, 9, 9}},
        {"circle starts one unit right of the centre at origin + p0",
         move_circle,
         {3, 4000},
         0,
         {0},
         {5, 5, 9}},
        {"circle turns counter-clockwise", move_circle, {0, 4000}, 0, {1000}, {1, 3, 9}},
        {"dummy leaves the block alone", move_dummy, {1, 1}, 0, {1234}, {9, 9, 9}},
        {"one parameter is too few", move_horizontal, {5}, 0, {1234}, {9, 9, 9}},
        {"no parameters", move_circle, {}, 0, {1234}, {9, 9, 9}},
        // Built in memory past the reader's bounds: positions stay numbers.
        {"a circle too quick for its angle stays where it was",
         move_circle,
         {2, 1e-40f},
         0,
         {0, 1000},
         {4, 4, 9}},
        {"a distance too far for its offset stays where it was",
         move_horizontal,
         {3e38f, 1000},
         0,
         {500},
         {9, 9, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        s_block block = block_at(1, 2, 3);
        block.position = {9, 9, 9};
        s_move move = move_of(c.func, c.params, c.start);
        for (u32 t : c.ticks)
            run_at(t, block, move);
        EXPECT_NEAR(block.position.x, c.want.x, 1e-5);
        EXPECT_NEAR(block.position.y, c.want.y, 1e-5);
        EXPECT_NEAR(block.position.z, c.want.z, 1e-5);
    }
}

TEST(MoveCircle, never_changes_its_state_and_one_period_falls_just_short_of_a_turn)
{
    s_block block = block_at(0, 0);
    s_move move = move_of(move_circle, {0, 4000});
    run_at(1000, block, move);
    EXPECT_FALSE(move.reverse);
    EXPECT_EQ(move.start, 0.0f);
    // 6.28318 is a hair below 2*pi.
    run_at(4000, block, move);
    EXPECT_LT(block.position.y, 0.0f);
    EXPECT_GT(block.position.y, -1e-5f);
}

TEST(MoveBackAndForth, horizontal_then_vertical_with_different_legs_move_each_axis_alone)
{
    s_block block = block_at(0, 0);
    s_move across = move_of(move_horizontal, {2, 1000});
    s_move up = move_of(move_vertical, {6, 3000});
    for (u32 t : {1000u, 1500u}) {
        run_at(t, block, across);
        run_at(t, block, up);
    }
    EXPECT_FLOAT_EQ(block.position.x, 1.0f);  // on the way back
    EXPECT_FLOAT_EQ(block.position.y, 3.0f);  // half way out
}

TEST(MoveBackAndForth, blocks_sharing_one_record_move_in_step_after_the_first_turns_it)
{
    s_block first = block_at(0, 0), second = block_at(10, 0);
    s_move move = move_of(move_horizontal, {3, 2000});
    run_at(2100, first, move);
    run_at(2100, second, move);
    EXPECT_FLOAT_EQ(first.position.x, 3.0f);
    EXPECT_FLOAT_EQ(second.position.x, 13.0f);
    EXPECT_TRUE(move.reverse);
}
