// Block movements at driven clock values.
#include <gtest/gtest.h>

#include "level/move.h"
#include "shell/vertex.h"

namespace {

s_block block_at(float x, float y, float z = 0.0f)
{
    s_block block;
    block.origin = {x, y, z};
    block.position = block.origin;
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
    const u32 ticks[] = {0, 1000, 2000, 3000, 4000};
    const float want[] = {-4.0f, -2.5f, -1.0f, -2.5f, -4.0f};
    for (int i = 0; i < 5; i++) {
        run_at(ticks[i], block, move);
        EXPECT_FLOAT_EQ(block.position.x, want[i]) << "at " << ticks[i] << " ms";
        EXPECT_EQ(block.position.y, 1.0f);
        EXPECT_EQ(block.position.z, 2.0f);
    }
    EXPECT_FALSE(move.reverse);  // turned twice
    EXPECT_EQ(move.start, 4000.0f);
}

TEST(MoveBackAndForth, a_pause_longer_than_a_leg_turns_once_and_drops_the_overshoot)
{
    s_block block = block_at(-4, 0);
    s_move move = move_of(move_horizontal, {3, 2000});
    run_at(500, block, move);
    run_at(5500, block, move);
    EXPECT_TRUE(move.reverse);
    EXPECT_EQ(move.start, 5500.0f);
    EXPECT_FLOAT_EQ(block.position.x, -1.0f);  // at the far end, starting back
    run_at(6500, block, move);
    EXPECT_FLOAT_EQ(block.position.x, -2.5f);
}

TEST(MoveBackAndForth, vertical_writes_only_y_and_diagonal_writes_both)
{
    s_block up = block_at(1, 2, 3);
    up.position.x = 9;
    s_move vertical = move_of(move_vertical, {4, 1000});
    run_at(250, up, vertical);
    EXPECT_EQ(up.position.x, 9.0f);
    EXPECT_FLOAT_EQ(up.position.y, 3.0f);

    s_block slant = block_at(1, 2, 3);
    s_move diagonal = move_of(move_diagonal, {4, 1000});
    run_at(250, slant, diagonal);
    EXPECT_FLOAT_EQ(slant.position.x, 2.0f);
    EXPECT_FLOAT_EQ(slant.position.y, 3.0f);
    EXPECT_EQ(slant.position.z, 3.0f);
}

TEST(MoveBackAndForth, negative_distance_moves_towards_smaller_coordinates_and_back)
{
    s_block block = block_at(0, 5);
    s_move move = move_of(move_vertical, {-2, 1000});
    run_at(500, block, move);
    EXPECT_FLOAT_EQ(block.position.y, 4.0f);
    run_at(1000, block, move);
    EXPECT_FLOAT_EQ(block.position.y, 3.0f);
    run_at(1500, block, move);
    EXPECT_FLOAT_EQ(block.position.y, 4.0f);
    run_at(2000, block, move);
    EXPECT_FLOAT_EQ(block.position.y, 5.0f);
}

TEST(MoveBackAndForth, horizontal_then_vertical_with_different_legs_move_each_axis_alone)
{
    s_block block = block_at(0, 0);
    s_move across = move_of(move_horizontal, {2, 1000});
    s_move up = move_of(move_vertical, {6, 3000});
    for (u32 t : {1000u, 1500u}) {
        gl_vertex.ticks = t;
        across.func(block, across);
        up.func(block, up);
    }
    EXPECT_FLOAT_EQ(block.position.x, 1.0f);  // on the way back
    EXPECT_FLOAT_EQ(block.position.y, 3.0f);  // half way out
}

TEST(MoveBackAndForth, blocks_sharing_one_record_move_in_step_after_the_first_turns_it)
{
    s_block first = block_at(0, 0), second = block_at(10, 0);
    s_move move = move_of(move_horizontal, {3, 2000});
    gl_vertex.ticks = 2100;
    move.func(first, move);
    move.func(second, move);
    EXPECT_FLOAT_EQ(first.position.x, 3.0f);
    EXPECT_FLOAT_EQ(second.position.x, 13.0f);
    EXPECT_TRUE(move.reverse);
}

TEST(MoveBackAndForth, start_set_at_reading_counts_the_leg_from_there)
{
    s_block block = block_at(0, 0);
    s_move move = move_of(move_horizontal, {4, 1000}, 7000.0f);
    run_at(7250, block, move);
    EXPECT_FLOAT_EQ(block.position.x, 1.0f);
}

TEST(MoveCircle, starts_one_unit_right_of_the_centre_at_origin_plus_p0)
{
    s_block block = block_at(1, 2, 5);
    s_move move = move_of(move_circle, {3, 4000});
    run_at(0, block, move);
    EXPECT_FLOAT_EQ(block.position.x, 5.0f);  // 3 + (1 + cos 0)
    EXPECT_FLOAT_EQ(block.position.y, 5.0f);  // 3 + (2 + sin 0)
    EXPECT_EQ(block.position.z, 5.0f);
}

TEST(MoveCircle, quarter_period_turns_counter_clockwise_and_never_changes_its_state)
{
    s_block block = block_at(0, 0);
    s_move move = move_of(move_circle, {0, 4000});
    run_at(1000, block, move);
    EXPECT_NEAR(block.position.x, 0.0f, 1e-5);
    EXPECT_NEAR(block.position.y, 1.0f, 1e-5);
    EXPECT_FALSE(move.reverse);
    EXPECT_EQ(move.start, 0.0f);
    // 6.28318 is a hair below 2*pi: one period falls just short of a full turn.
    run_at(4000, block, move);
    EXPECT_LT(block.position.y, 0.0f);
    EXPECT_GT(block.position.y, -1e-5f);
}

TEST(MoveGuards, dummy_and_short_parameter_lists_leave_the_block_alone)
{
    s_block block = block_at(1, 1);
    block.position = {7, 8, 9};
    s_move dummy = move_of(move_dummy, {1, 1});
    s_move short_h = move_of(move_horizontal, {5});
    s_move empty_c = move_of(move_circle, {});
    gl_vertex.ticks = 1234;
    dummy.func(block, dummy);
    short_h.func(block, short_h);
    empty_c.func(block, empty_c);
    EXPECT_EQ(block.position.x, 7.0f);
    EXPECT_EQ(block.position.y, 8.0f);
    EXPECT_FALSE(short_h.reverse);
    EXPECT_EQ(short_h.start, 0.0f);
}
