// Balls against blocks, walls, the bottom and the pad, and their flight by the driven clock.
#include <gtest/gtest.h>

#include <cmath>

#include "game_fixture.h"

namespace {

using namespace game_test;

// One hit from below on a block at (10, 10), by the ball's powers and the block's lives and past hits.
TEST_F(play_field, block_hit_depends_on_ball_powers_lives_and_hits_taken)
{
    const int T = BALL_STATE_TRAVERSE, O = BALL_STATE_ONESHOT;
    const u32 destroy = balls.sound_block_destroy, hit = balls.sound_block_hit, none = ~0u;
    const u32 unbreakable = balls.sound_block_unbreakable;
    // name, powers, lives, hits before, hits after, alive before, alive after, bounced, sound, colour
    const std::tuple<const char*, int, int, int, int, bool, bool, bool, u32, u32> rows[] = {
        {"first of three hits", 0, 3, 0, 1, true, true, true, hit, 2},
        {"third of three hits destroys", 0, 3, 2, 3, true, false, true, destroy, 8},
        {"a destroyed block is not hit", 0, 3, 3, 3, false, false, false, none, 0},
        {"oneshot destroys at the first hit", O, 3, 0, 0, true, false, true, destroy, 8},
        {"traverse flies through a destroyed block", T, 1, 0, 1, true, false, false, destroy, 8},
        {"traverse bounces off a survivor", T, 3, 0, 1, true, true, true, hit, 2},
        {"lives 0 is unbreakable", T | O, 0, 0, 0, true, true, true, unbreakable, 7},
        {"negative lives are unbreakable", T | O, -2, 0, 0, true, true, true, unbreakable, 7},
    };
    for (auto [name, powers, lives, before, hits, was_alive, alive, bounced, sound, colour] :
         rows) {
        SCOPED_TRACE(name);
        groups.clear();
        add_group(lives, {{10, 10}});
        s_block& block = groups[0].blocks[0];
        block.hits = before;
        block.alive = was_alive;
        s_ball* ball = place_ball(0, 10, 8.8f, 10, 9.2f, UP);
        ball->state = powers;
        mark();
        collide();
        EXPECT_EQ(alive, block.alive);
        EXPECT_EQ(hits, block.hits);
        EXPECT_EQ(bounced, mobile_speed_y(&ball->mobile) < 0);
        EXPECT_EQ(sound != none, started(sound));
        EXPECT_EQ(sound != none, started_count());
        ASSERT_EQ(sound != none, new_effects());
        EXPECT_EQ(colour, sound == none ? 0 : last_effect().color);
    }
}

TEST_F(play_field, two_blocks_hit_in_one_frame_reverse_each_component_once)
{
    add_group(3, {{9, 10}, {11, 10}});  // rising between two blocks, crossing both bottom faces
    s_ball* ball = place_ball(0, 10, 8.8f, 10, 9.2f, UP);
    collide();
    EXPECT_EQ(6.2831855f - UP, ball->mobile.angle);
    groups.clear();
    add_group(3, {{8, 10.5f}, {10, 9}});  // up-right into an inside corner
    ball = place_ball(0, 8.3f, 9.3f, 8.7f, 9.7f, 0.7853982f);
    collide();
    EXPECT_EQ(PI - (6.2831855f - 0.7853982f), ball->mobile.angle);
    EXPECT_TRUE(groups[0].blocks[0].hits == 1 && groups[0].blocks[1].hits == 1);
}

TEST_F(play_field, destroyed_blocks_drop_a_bonus_one_in_ten_or_always_with_b_held)
{
    srand(12345);
    for (int held : {0, 1}) {
        gl_vertex.key[VTX_KEY_B] = held;
        int drops = 0;
        for (int i = 0; i < 200; i++, bonuses.states[0] = 0) {
            groups.clear();
            add_group(1, {{14, 10}});
            place_ball(0, 14, 8.8f, 14, 9.2f, UP);
            collide();
            drops += bonuses.states[0];
        }
        EXPECT_GE(drops, held ? 200 : 8) << "B " << held;
        EXPECT_LE(drops, held ? 200 : 40) << "B " << held;
        EXPECT_EQ(14, bonuses.bonuses[0].coord.x) << "dropped where the block was";
        EXPECT_EQ(10, bonuses.bonuses[0].coord.y);
    }
}

// There is no floor: a ball falls on until 5 units below the bottom and is lost.
TEST_F(play_field, walls_bounce_only_a_ball_heading_outwards_past_them)
{
    // name, from x, y, to x, y, angle, speed, angle after, lost
    const std::tuple<const char*, f32, f32, f32, f32, f32, f32, f32, bool> rows[] = {
        {"left, heading right", 0.4f, 10, 0.3f, 10, 0.3f, 0.01f, 0.3f, false},
        {"left, heading left", 0.4f, 10, 0.3f, 10, 3.0f, 0.01f, PI - 3.0f, false},
        {"left, touching it exactly", 0.6f, 10, 0.5f, 10, 3.0f, 0.01f, 3.0f, false},
        {"left, at rest", 0.3f, 10, 0.3f, 10, 3.0f, 0, 3.0f, false},
        {"right, heading right", 19.4f, 10, 19.6f, 10, 0.3f, 0.01f, PI - 0.3f, false},
        {"top, heading up", 10, 29.4f, 10, 29.6f, UP, 0.01f, 6.2831855f - UP, false},
        {"top, already heading back", 10, 29.7f, 10, 29.6f, DOWN, 0.01f, DOWN, false},
        {"bottom, above the loss depth", 5, -4.9f, 5, -4.99f, DOWN, 0.01f, DOWN, false},
        {"bottom, below the loss depth", 5, -4.9f, 5, -5.01f, DOWN, 0.01f, DOWN, true},
    };
    park_pad(15);
    for (auto [name, x0, y0, x1, y1, angle, speed, after, lost] : rows) {
        SCOPED_TRACE(name);
        s_ball* ball = place_ball(0, x0, y0, x1, y1, angle, speed);
        mark();
        collide();
        EXPECT_FLOAT_EQ(after, ball->mobile.angle);
        EXPECT_EQ(after != angle, started(balls.sound_wall));
        EXPECT_EQ(after != angle, started_count());
        EXPECT_EQ(!lost, balls.states[0]);
        EXPECT_EQ(lost, balls.empty);
    }
}

// The pad bounces a ball up, pushes it sideways by 0.75 x speed at its ends, and
// damps it by 0.95 but never below the start speed 0.01.
TEST_F(play_field, pad_deflects_by_contact_point_and_damps_the_speed)
{
    const f32 h = pad.half_length, right = (f32)std::atan2(1.0, 0.75);
    const std::tuple<const char*, f32, f32, f32, f32> rows[] = {
        {"centre", 0, 0.02f, UP, 0.019f},
        {"right end", h, 0.02f, right, 0.019f},
        {"left end", -h, 0.02f, PI - right, 0.019f},
        {"just above the start speed", 0, 0.0105f, UP, 0.0105f * 0.95f},
        {"below the start speed", 0, 0.004f, UP, 0.01f},
    };
    park_pad(10);
    for (auto [name, offset, speed, angle, damped] : rows) {
        s_ball* ball = place_ball(0, 10 + offset, 1.2f, 10 + offset, 0.9f, DOWN, speed);
        mark();
        collide();
        EXPECT_TRUE(started(balls.sound_pad)) << name;
        EXPECT_NEAR(angle, ball->mobile.angle, 1e-5) << name;
        EXPECT_FLOAT_EQ(damped, ball->mobile.speed) << name;
    }
    pad.coord.x = 10;
    pad.target_x = 16;
    s_ball* ball = place_ball(0, 14, 1.05f, 14, 0.95f, DOWN);
    collide();
    EXPECT_GT(mobile_speed_y(&ball->mobile), 0) << "a moving pad sweeps over a ball beside it";
}

// 100 ms of flight from (10, 10) for a normal ball going up and a light one
// going right: gravity, motion committed only by the move, and 125 degrees of
// roll per unit about the axis across the motion.
TEST_F(play_field, gravity_motion_and_roll_follow_the_frame_time)
{
    const std::tuple<e_ball_type, f32, f32, f32, f32, f32, f32> rows[] = {
        {BALL_TYPE_NORMAL, UP, 0.009f, 10, 10.9f, -112.5f, 0},
        {BALL_TYPE_LIGHT, 0, 0.01f, 11, 10, 0, 125}};
    for (auto [type, angle, speed, x, y, rx, ry] : rows) {
        s_ball* ball = place_ball(0, 10, 10, 10, 10, angle);
        ball_list_type(&balls, type);
        set_clock(2000, 100);
        ball_list_loop(&balls);
        EXPECT_NEAR(speed, ball->mobile.speed, 1e-7);
        EXPECT_EQ(10, ball->coord.y) << "committed only by the move";
        ball_list_move(&balls);
        EXPECT_NEAR(x, ball->coord.x, 1e-5);
        EXPECT_NEAR(y, ball->coord.y, 1e-5);
        EXPECT_NEAR(rx, ball->coord.rx, 1e-3);
        EXPECT_NEAR(ry, ball->coord.ry, 1e-3);
    }
}

}  // namespace
