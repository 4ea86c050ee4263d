// Balls against blocks, walls, the bottom and the pad, with a driven clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "game_fixture.h"

namespace {

using namespace game_test;

class Ball : public PlayField {
protected:
    // Ball 0 rises from just under a block at (x, 10) into its bottom face.
    s_ball* rise_into_block(f32 x = 10, int state = 0)
    {
        s_ball* ball = place_ball(0, x, 8.8f, x, 9.2f, UP);
        ball->state = state;
        return ball;
    }
};

TEST_F(Ball, LivesThreeTakesThreeHitsWithSoundsAndColoursInOrder)
{
    groups.push_back(make_group(3, {{10, 10}}));
    s_block& block = groups[0].blocks[0];
    for (int hit = 1; hit <= 4; hit++) {
        SCOPED_TRACE(hit);
        s_ball* ball = rise_into_block();
        mark();
        collide();
        if (hit == 4) {
            EXPECT_EQ(0, started_count()) << "a destroyed block is no longer hit";
            EXPECT_GT(mobile_speed_y(&ball->mobile), 0);
            break;
        }
        bool last = hit == 3;
        EXPECT_EQ(hit, block.hits);
        EXPECT_EQ(!last, block.alive);
        EXPECT_TRUE(started(last ? balls.sound_block_destroy : balls.sound_block_hit));
        EXPECT_EQ(1, started_count());
        ASSERT_EQ(1u, new_effects());
        EXPECT_EQ(last ? 8u : 2u, last_effect().color);
        EXPECT_LT(mobile_speed_y(&ball->mobile), 0);
    }
}

// What one hit does to a block, by the ball's state and the block's lives.
TEST_F(Ball, BlockHitDependsOnBallStateAndLives)
{
    struct row {
        const char* name;
        int state, lives;
        bool alive;
        int hits;
        bool bounced;
        u32 colour, sound;
    };
    const int T = BALL_STATE_TRAVERSE, O = BALL_STATE_ONESHOT;
    const u32 destroy = balls.sound_block_destroy, hit = balls.sound_block_hit;
    const u32 unbreakable = balls.sound_block_unbreakable;
    const row rows[] = {
        {"oneshot destroys at the first hit", O, 3, false, 0, true, 8, destroy},
        {"traverse flies through a destroyed block", T, 1, false, 1, false, 8, destroy},
        {"traverse bounces off a survivor", T, 3, true, 1, true, 2, hit},
        {"lives 0 is unbreakable", T | O, 0, true, 0, true, 7, unbreakable},
        {"negative lives are unbreakable", T | O, -2, true, 0, true, 7, unbreakable},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        groups.assign(1, make_group(r.lives, {{10, 10}}));
        s_ball* ball = rise_into_block(10, r.state);
        mark();
        collide();
        EXPECT_TRUE(started(r.sound));
        EXPECT_EQ(r.alive, groups[0].blocks[0].alive);
        EXPECT_EQ(r.hits, groups[0].blocks[0].hits);
        EXPECT_EQ(r.bounced, mobile_speed_y(&ball->mobile) < 0);
        EXPECT_EQ(r.colour, last_effect().color);
    }
}

TEST_F(Ball, TwoBlocksHitInOneFrameReverseEachComponentOnce)
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
    EXPECT_EQ(3.1415927f - (6.2831855f - 0.7853982f), ball->mobile.angle);
}

// A destroyed block drops a bonus one time in ten, or always while B is held.
TEST_F(Ball, DestroyedBlocksDropABonusOneInTenOrAlwaysWithBHeld)
{
    srand(12345);
    for (int held : {0, 1}) {
        SCOPED_TRACE(held ? "B held" : "B up");
        gl_vertex.key[VTX_KEY_B] = held;
        int drops = 0;
        for (int i = 0; i < 200; i++) {
            groups.assign(1, make_group(1, {{14, 10}}));
            rise_into_block(14);
            collide();
            drops += bonuses.states[0];
            bonuses.states[0] = 0;
        }
        EXPECT_GE(drops, held ? 200 : 8);
        EXPECT_LE(drops, held ? 200 : 40);
        EXPECT_EQ(14, bonuses.bonuses[0].coord.x) << "dropped where the block was";
        EXPECT_EQ(10, bonuses.bonuses[0].coord.y);
    }
}

TEST_F(Ball, WallsBounceOnlyABallHeadingOutwards)
{
    struct row {
        const char* name;
        f32 x0, y0, x1, y1, angle, expected;
        bool sound;
    };
    const row rows[] = {
        {"left, heading right", LEFT + 0.4f, 10, LEFT + 0.3f, 10, 0.3f, 0.3f, false},
        {"left, heading left", LEFT + 0.4f, 10, LEFT + 0.3f, 10, 3.0f, 3.1415927f - 3.0f, true},
        {"right, heading right", RIGHT - 0.6f, 10, RIGHT - 0.4f, 10, 0.3f, 3.1415927f - 0.3f, true},
        {"top, heading up", 10, TOP - 0.6f, 10, TOP - 0.4f, UP, 6.2831855f - UP, true},
        {"top, already heading back", 10, TOP - 0.3f, 10, TOP - 0.4f, DOWN, DOWN, false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        s_ball* ball = place_ball(0, r.x0, r.y0, r.x1, r.y1, r.angle);
        mark();
        collide();
        EXPECT_FLOAT_EQ(r.expected, ball->mobile.angle);
        EXPECT_EQ(r.sound ? 1 : 0, started_count());
        EXPECT_EQ(r.sound, started(balls.sound_wall));
    }
}

TEST_F(Ball, SplitOffABallPastAWallStartsAgainstTheWall)
{
    // A long frame's step carries a ball well past a wall before it turns back.
    const f32 past[][4] = {{RIGHT + 1.4f, TOP + 0.8f, RIGHT - 0.5f, TOP - 0.5f},
                           {LEFT - 1.4f, 10, LEFT + 0.5f, 10}};
    for (const auto& p : past) {
        memset(balls.states, 0, sizeof balls.states);
        place_ball(0, p[0], p[1], p[0], p[1], UP);
        ball_list_insert(&balls, 0, 0);
        ASSERT_EQ(1, balls.states[1]);
        EXPECT_EQ(p[2], balls.balls[1].mobile.x);
        EXPECT_EQ(p[3], balls.balls[1].mobile.y);
    }
}

TEST_F(Ball, NoFloorAndLossBelowBottomMinusFiveFreesTheSlot)
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

TEST_F(Ball, BallLaunchedInsideThePadIsNotReportedTouchingIt)
{
    gl_vertex.key[VTX_MOUSE_LEFT] = 1;
    pad_loop(&pad, &balls);
    pad_move(&pad);
    ASSERT_FALSE(balls.empty);
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
TEST_F(Ball, PadDeflectsByContactPointAndDampsTheSpeed)
{
    struct row {
        const char* name;
        f32 offset, speed, angle, damped;
    };
    const f32 h = pad.half_length;
    const row rows[] = {
        {"centre", 0, 0.02f, UP, 0.02f * 0.95f},
        {"right end", h, 0.02f, (f32)std::atan2(1.0, 0.75), 0.02f * 0.95f},
        {"left end", -h, 0.02f, (f32)std::atan2(1.0, -0.75), 0.02f * 0.95f},
        {"just above the start speed", 0, 0.0105f, UP, 0.0105f * 0.95f},
        {"below the start speed", 0, 0.004f, UP, 0.01f},
    };
    park_pad(10);
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        s_ball* ball = place_ball(0, 10 + r.offset, 1.2f, 10 + r.offset, 0.9f, DOWN, r.speed);
        mark();
        collide();
        EXPECT_TRUE(started(balls.sound_pad));
        EXPECT_NEAR(r.angle, ball->mobile.angle, 1e-5);
        EXPECT_FLOAT_EQ(r.damped, ball->mobile.speed);
    }
}

TEST_F(Ball, MovingPadSweepsOverABallBesideIt)
{
    pad.coord.x = 10;
    pad.target_x = 16;
    s_ball* ball = place_ball(0, 14, 1.05f, 14, 0.95f, DOWN);
    collide();
    EXPECT_GT(mobile_speed_y(&ball->mobile), 0);
}

TEST_F(Ball, GravityMotionAndRollFollowTheFrameTime)
{
    s_ball* ball = place_ball(0, 10, 10, 10, 10, UP);
    ball->trail_next = 1e9f;
    set_clock(2000, 100);
    ball_list_loop(&balls);
    EXPECT_NEAR(0.009, ball->mobile.speed, 1e-7);
    EXPECT_EQ(10, ball->coord.y) << "committed only by the move";
    ball_list_move(&balls);
    EXPECT_NEAR(10.9, ball->coord.y, 1e-5);
    EXPECT_NEAR(-0.009 * 100 * 125, ball->coord.rx, 1e-3) << "125 degrees per unit";
}

TEST_F(Ball, TrailsEveryTwentyFiveMillisecondsOneEffectPerState)
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

TEST(BallLaunch, AngleStaysWithinASixteenthTurnOfVertical)
{
    srand(1);
    f32 low = 10, high = -10;
    for (int i = 0; i < 2000; i++) {
        low = std::min(low, ball_launch_angle());
        high = std::max(high, ball_launch_angle());
    }
    EXPECT_GE(low, UP - 0.19634955f - 1e-6f);
    EXPECT_LT(high, UP + 0.19634955f);
}

}  // namespace
