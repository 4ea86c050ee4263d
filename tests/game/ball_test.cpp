// Balls against blocks, walls, the bottom and the pad, and their flight by the driven clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "game_fixture.h"

namespace {

using namespace game_test;

class ball_play : public play_field {
protected:
    // Ball 0 rises from just under a block at (x, 10) into its bottom face.
    s_ball* rise_into_block(f32 x = 10, int state = 0)
    {
        s_ball* ball = place_ball(0, x, 8.8f, x, 9.2f, UP);
        ball->state = state;
        return ball;
    }
};

// What one hit does to a block, by the ball's state and the block's lives and past hits.
TEST_F(ball_play, block_hit_depends_on_ball_state_lives_and_hits_taken)
{
    const int T = BALL_STATE_TRAVERSE, O = BALL_STATE_ONESHOT;
    const u32 destroy = balls.sound_block_destroy, hit = balls.sound_block_hit, none = ~0u;
    const struct {
        const char* name;
        int state, lives, hits_before;
        bool alive_before, alive;
        int hits;
        bool bounced;
        u32 colour, sound;
    } rows[] = {
        {"first of three hits", 0, 3, 0, true, true, 1, true, 2, hit},
        {"third of three hits destroys", 0, 3, 2, true, false, 3, true, 8, destroy},
        {"a destroyed block is not hit", 0, 3, 3, false, false, 3, false, 0, none},
        {"oneshot destroys at the first hit", O, 3, 0, true, false, 0, true, 8, destroy},
        {"traverse flies through a destroyed block", T, 1, 0, true, false, 1, false, 8, destroy},
        {"traverse bounces off a survivor", T, 3, 0, true, true, 1, true, 2, hit},
        {"lives 0 is unbreakable", T | O, 0, 0, true, true, 0, true, 7,
         balls.sound_block_unbreakable},
        {"negative lives are unbreakable", T | O, -2, 0, true, true, 0, true, 7,
         balls.sound_block_unbreakable},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        groups.assign(1, make_group(r.lives, {{10, 10}}));
        s_block& block = groups[0].blocks[0];
        block.hits = r.hits_before;
        block.alive = r.alive_before;
        s_ball* ball = rise_into_block(10, r.state);
        mark();
        collide();
        EXPECT_EQ(r.alive, block.alive);
        EXPECT_EQ(r.hits, block.hits);
        EXPECT_EQ(r.bounced, mobile_speed_y(&ball->mobile) < 0);
        EXPECT_EQ(r.sound == none ? 0 : 1, started_count());
        EXPECT_EQ(r.sound != none, started(r.sound));
        ASSERT_EQ(r.sound == none ? 0u : 1u, new_effects());
        EXPECT_EQ(r.colour, r.sound == none ? 0 : last_effect().color);
    }
}

TEST_F(ball_play, two_blocks_hit_in_one_frame_reverse_each_component_once)
{
    // Rising between two blocks, crossing both bottom faces.
    groups.push_back(make_group(3, {{9, 10}, {11, 10}}));
    s_ball* ball = rise_into_block();
    collide();
    EXPECT_EQ(1, groups[0].blocks[0].hits);
    EXPECT_EQ(1, groups[0].blocks[1].hits);
    EXPECT_EQ(6.2831855f - UP, ball->mobile.angle);

    // Up-right into an inside corner: one block above, one to the right.
    groups.assign(1, make_group(3, {{8, 10.5f}, {10, 9}}));
    ball = place_ball(0, 8.3f, 9.3f, 8.7f, 9.7f, 0.7853982f);
    collide();
    EXPECT_EQ(1, groups[0].blocks[0].hits);
    EXPECT_EQ(1, groups[0].blocks[1].hits);
    EXPECT_EQ(PI - (6.2831855f - 0.7853982f), ball->mobile.angle);
}

TEST_F(ball_play, destroyed_blocks_drop_a_bonus_one_in_ten_or_always_with_b_held)
{
    srand(12345);
    for (int held : {0, 1}) {
        gl_vertex.key[VTX_KEY_B] = held;
        int drops = 0;
        for (int i = 0; i < 200; i++) {
            groups.assign(1, make_group(1, {{14, 10}}));
            rise_into_block(14);
            collide();
            drops += bonuses.states[0];
            bonuses.states[0] = 0;
        }
        EXPECT_GE(drops, held ? 200 : 8) << "B " << held;
        EXPECT_LE(drops, held ? 200 : 40) << "B " << held;
        EXPECT_EQ(14, bonuses.bonuses[0].coord.x) << "dropped where the block was";
        EXPECT_EQ(10, bonuses.bonuses[0].coord.y);
    }
}

TEST_F(ball_play, walls_bounce_only_a_ball_heading_outwards_past_them)
{
    const struct {
        const char* name;
        f32 x0, y0, x1, y1, angle, speed, expected;
    } rows[] = {
        {"left, heading right", LEFT + 0.4f, 10, LEFT + 0.3f, 10, 0.3f, 0.01f, 0.3f},
        {"left, heading left", LEFT + 0.4f, 10, LEFT + 0.3f, 10, 3.0f, 0.01f, PI - 3.0f},
        {"left, touching it exactly", LEFT + 0.6f, 10, LEFT + 0.5f, 10, 3.0f, 0.01f, 3.0f},
        {"left, at rest", LEFT + 0.3f, 10, LEFT + 0.3f, 10, 3.0f, 0, 3.0f},
        {"right, heading right", RIGHT - 0.6f, 10, RIGHT - 0.4f, 10, 0.3f, 0.01f, PI - 0.3f},
        {"top, heading up", 10, TOP - 0.6f, 10, TOP - 0.4f, UP, 0.01f, 6.2831855f - UP},
        {"top, already heading back", 10, TOP - 0.3f, 10, TOP - 0.4f, DOWN, 0.01f, DOWN},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        s_ball* ball = place_ball(0, r.x0, r.y0, r.x1, r.y1, r.angle, r.speed);
        mark();
        collide();
        EXPECT_FLOAT_EQ(r.expected, ball->mobile.angle);
        EXPECT_EQ(r.expected != r.angle, started(balls.sound_wall));
        EXPECT_EQ(r.expected != r.angle ? 1 : 0, started_count());
    }
}

TEST_F(ball_play, no_floor_and_loss_below_bottom_minus_five_frees_the_slot)
{
    park_pad(15);
    place_ball(0, 5, -4.9f, 5, -4.99f, DOWN);
    place_ball(3, 5, -4.9f, 5, -5.01f, DOWN);
    collide();
    EXPECT_EQ(1, balls.states[0]);
    EXPECT_EQ(0, balls.states[3]);
    EXPECT_FALSE(balls.empty);
    EXPECT_EQ(0, started_count());
    EXPECT_LT(mobile_speed_y(&balls.balls[0].mobile), 0) << "not bounced by the bottom";
    balls.balls[0].mobile.y = -5.5f;
    collide();
    EXPECT_EQ(0, balls.states[0]);
    EXPECT_TRUE(balls.empty);
}

TEST_F(ball_play, ball_launched_inside_the_pad_is_not_reported_touching_it)
{
    gl_vertex.key[VTX_MOUSE_LEFT] = 1;
    for (u32 frame = 0; frame < 30; frame++) {
        set_clock(1000 + 16 * frame, 16);
        ball_list_loop(&balls);
        pad_loop(&pad, &balls);
        collide();
        ball_list_move(&balls);
        pad_move(&pad);
    }
    EXPECT_FALSE(started(balls.sound_pad));
    EXPECT_GT(mobile_speed_y(&balls.balls[0].mobile), 0);
    EXPECT_GT(balls.balls[0].coord.y, 1.0f);
}

// The pad bounces a ball up, pushes it sideways by 0.75 x speed at its ends, and
// damps it by 0.95 but never below the start speed 0.01.
TEST_F(ball_play, pad_deflects_by_contact_point_and_damps_the_speed)
{
    const f32 h = pad.half_length;
    const struct {
        const char* name;
        f32 offset, speed, angle, damped;
    } rows[] = {
        {"centre", 0, 0.02f, UP, 0.02f * 0.95f},
        {"right end", h, 0.02f, (f32)std::atan2(1.0, 0.75), 0.02f * 0.95f},
        {"left end", -h, 0.02f, (f32)std::atan2(1.0, -0.75), 0.02f * 0.95f},
        {"just above the start speed", 0, 0.0105f, UP, 0.0105f * 0.95f},
        {"below the start speed", 0, 0.004f, UP, 0.01f},
    };
    park_pad(10);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        s_ball* ball = place_ball(0, 10 + r.offset, 1.2f, 10 + r.offset, 0.9f, DOWN, r.speed);
        mark();
        collide();
        EXPECT_TRUE(started(balls.sound_pad));
        EXPECT_NEAR(r.angle, ball->mobile.angle, 1e-5);
        EXPECT_FLOAT_EQ(r.damped, ball->mobile.speed);
    }
    pad.coord.x = 10;
    pad.target_x = 16;
    s_ball* ball = place_ball(0, 14, 1.05f, 14, 0.95f, DOWN);
    collide();
    EXPECT_GT(mobile_speed_y(&ball->mobile), 0) << "a moving pad sweeps over a ball beside it";
}

// 100 ms of flight from (10, 10): gravity, motion committed only by the move,
// and 125 degrees of roll per unit about the axis across the motion.
TEST_F(ball_play, gravity_motion_and_roll_follow_the_frame_time)
{
    const struct {
        e_ball_type type;
        f32 angle, speed, x, y, rx, ry;
    } rows[] = {
        {BALL_TYPE_NORMAL, UP, 0.009f, 10, 10.9f, -112.5f, 0},
        {BALL_TYPE_LIGHT, 0, 0.01f, 11, 10, 0, 125},
    };
    for (const auto& r : rows) {
        s_ball* ball = place_ball(0, 10, 10, 10, 10, r.angle);
        ball_list_type(&balls, r.type);
        ball->trail_next = 1e9f;
        set_clock(2000, 100);
        ball_list_loop(&balls);
        EXPECT_NEAR(r.speed, ball->mobile.speed, 1e-7);
        EXPECT_EQ(10, ball->coord.y) << "committed only by the move";
        ball_list_move(&balls);
        EXPECT_NEAR(r.x, ball->coord.x, 1e-5);
        EXPECT_NEAR(r.y, ball->coord.y, 1e-5);
        EXPECT_NEAR(r.rx, ball->coord.rx, 1e-3);
        EXPECT_NEAR(r.ry, ball->coord.ry, 1e-3);
    }
}

TEST_F(ball_play, trails_every_twenty_five_milliseconds_one_effect_per_state)
{
    s_ball* ball = place_ball(0, 10, 10, 10, 10, UP, 0.05f);
    ball->state = BALL_STATE_ONESHOT | BALL_STATE_TRAVERSE;
    ball_list_type(&balls, BALL_TYPE_LIGHT);
    const std::pair<u32, u32> rows[] = {{2000, 3}, {2024, 3}, {2025, 6}};
    for (auto [now, effects] : rows) {
        set_clock(now, 10);
        ball_list_loop(&balls);
        EXPECT_EQ(effects, new_effects()) << "at " << now;
    }
    const u32 colours[] = {1, 6, 5};
    for (u32 i = 0; i < 3; i++)
        EXPECT_EQ(colours[i], particles.groups[group_mark + i].color);
}

TEST(ball_launch, angle_spreads_over_a_sixteenth_turn_each_side_of_vertical)
{
    srand(1);
    f32 low = 10, high = -10;
    for (int i = 0; i < 2000; i++) {
        f32 angle = ball_launch_angle();
        low = std::min(low, angle);
        high = std::max(high, angle);
    }
    EXPECT_NEAR(low, UP - 0.19634955f, 1e-3);
    EXPECT_NEAR(high, UP + 0.19634955f, 1e-3);
    EXPECT_LT(high, UP + 0.19634955f);
}

}  // namespace
