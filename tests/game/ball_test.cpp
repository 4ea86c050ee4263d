// Balls against blocks, walls, the bottom and the pad, with a driven clock.
#include <gtest/gtest.h>

#include <cmath>

#include "game/collide.h"
#include "play_fixture.h"

namespace {

using game_test::PlayField;
using game_test::set_clock;

const f32 UP = 1.5707964f;
const f32 DOWN = -1.5707964f;

class BallBlocks : public PlayField {
protected:
    // Ball 0 rises from just under the block at (10, 10) into its bottom face.
    s_ball* rise_into_block() { return place_ball(0, 10, 8.8f, 10, 9.2f, UP, 0.01f); }
};

TEST_F(BallBlocks, LivesThreeTakesThreeHitsWithSoundsAndColoursInOrder)
{
    groups.push_back(make_group(3, {{10, 10}}));
    s_block& block = groups[0].blocks[0];
    for (int hit = 1; hit <= 2; hit++) {
        set_clock(1000 + hit * 20, 20);
        s_ball* ball = rise_into_block();
        mark();
        ball_list_collide(&balls, &pad, groups, &bonuses);
        EXPECT_EQ(hit, block.hits);
        EXPECT_TRUE(block.alive);
        EXPECT_TRUE(started(balls.sound_block_hit));
        EXPECT_EQ(1, started_count());
        ASSERT_EQ(1u, new_effects());
        EXPECT_EQ(2u, last_effect().color);
        EXPECT_EQ((u32)PARTICLE_BLOCK_HIT, last_effect().type);
        EXPECT_LT(mobile_speed_y(&ball->mobile), 0) << "bounced down";
    }
    rise_into_block();
    mark();
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(3, block.hits);
    EXPECT_FALSE(block.alive);
    EXPECT_TRUE(started(balls.sound_block_destroy));
    EXPECT_FALSE(started(balls.sound_block_hit));
    EXPECT_EQ((u32)PARTICLE_BLOCK_DESTROY, last_effect().type);
    EXPECT_EQ(8u, last_effect().color);
    // A destroyed block is no longer hit.
    s_ball* ball = rise_into_block();
    mark();
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(0, started_count());
    EXPECT_GT(mobile_speed_y(&ball->mobile), 0);
}

TEST_F(BallBlocks, OneshotDestroysAtTheFirstHitWithoutCounting)
{
    groups.push_back(make_group(3, {{10, 10}}));
    s_ball* ball = rise_into_block();
    ball->state = BALL_STATE_ONESHOT;
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_FALSE(groups[0].blocks[0].alive);
    EXPECT_EQ(0, groups[0].blocks[0].hits);
    EXPECT_LT(mobile_speed_y(&ball->mobile), 0) << "a destroyed block still bounces a plain ball";
}

TEST_F(BallBlocks, TraverseFliesThroughDestroyedBlocksOnly)
{
    groups.push_back(make_group(1, {{10, 10}}));
    groups.push_back(make_group(3, {{4, 10}}));
    groups.push_back(make_group(0, {{16, 10}}));
    s_ball* ball = rise_into_block();
    ball->state = BALL_STATE_TRAVERSE;
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_FALSE(groups[0].blocks[0].alive);
    EXPECT_GT(mobile_speed_y(&ball->mobile), 0) << "flew on through";

    ball = place_ball(0, 4, 8.8f, 4, 9.2f, UP, 0.01f);
    ball->state = BALL_STATE_TRAVERSE;
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(1, groups[1].blocks[0].hits);
    EXPECT_LT(mobile_speed_y(&ball->mobile), 0) << "bounced off a survivor";

    ball = place_ball(0, 16, 8.8f, 16, 9.2f, UP, 0.01f);
    ball->state = BALL_STATE_TRAVERSE | BALL_STATE_ONESHOT;
    mark();
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_TRUE(groups[2].blocks[0].alive);
    EXPECT_EQ(0, groups[2].blocks[0].hits);
    EXPECT_TRUE(started(balls.sound_block_unbreakable));
    EXPECT_EQ(7u, last_effect().color);
    EXPECT_LT(mobile_speed_y(&ball->mobile), 0) << "bounced off an unbreakable block";
}

TEST_F(BallBlocks, NegativeLivesAreUnbreakable)
{
    groups.push_back(make_group(-2, {{10, 10}}));
    for (int i = 0; i < 3; i++) {
        rise_into_block();
        ball_list_collide(&balls, &pad, groups, &bonuses);
    }
    EXPECT_TRUE(groups[0].blocks[0].alive);
    EXPECT_EQ(0, groups[0].blocks[0].hits);
}

TEST_F(BallBlocks, TwoAdjacentBlocksHitInOneFrameReverseEachComponentOnce)
{
    // The ball rises between two blocks and crosses both bottom faces.
    groups.push_back(make_group(3, {{9, 10}, {11, 10}}));
    s_ball* ball = rise_into_block();
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(1, groups[0].blocks[0].hits);
    EXPECT_EQ(1, groups[0].blocks[1].hits);
    EXPECT_EQ(6.2831855f - UP, ball->mobile.angle);

    // Diagonally into the corner where a block and the one beside it meet:
    // both axes reverse once each even though two blocks report them.
    groups.clear();
    groups.push_back(make_group(3, {{10, 10}}));
    groups.push_back(make_group(3, {{10, 11}}));
    f32 angle = 0.7853982f;  // up and to the right
    ball = place_ball(0, 8.4f, 9.2f, 8.8f, 9.6f, angle, 0.01f);
    int r1 = ball_collide(ball, 10, 10, 10, 10, -1, 1, -0.5f, 0.5f);
    int r2 = ball_collide(ball, 10, 11, 10, 11, -1, 1, -0.5f, 0.5f);
    ASSERT_NE(0, r1 | r2);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    f32 expected = angle;
    if ((r1 | r2) & COLLIDE_MASK_Y)
        expected = 6.2831855f - expected;
    if ((r1 | r2) & COLLIDE_MASK_X)
        expected = 3.1415927f - expected;
    EXPECT_EQ(expected, ball->mobile.angle);
}

TEST_F(BallBlocks, HeldBKeyMakesEveryDestroyedBlockDropABonus)
{
    groups.push_back(make_group(1, {{2, 10}, {6, 10}, {10, 10}, {14, 10}, {18, 10}}));
    gl_vertex.key[VTX_KEY_B] = 1;
    for (int i = 0; i < 5; i++) {
        f32 x = 2.0f + 4.0f * i;
        place_ball(0, x, 8.8f, x, 9.2f, UP, 0.01f);
        ball_list_collide(&balls, &pad, groups, &bonuses);
    }
    int falling = 0;
    for (int i = 0; i < BONUS_LIST_SIZE; i++)
        falling += bonuses.states[i];
    EXPECT_EQ(5, falling);
    EXPECT_EQ(14, bonuses.bonuses[3].coord.x);
    EXPECT_EQ(10, bonuses.bonuses[3].coord.y);
}

TEST_F(BallBlocks, WithoutBKeyAboutOneDestroyedBlockInTenDropsABonus)
{
    srand(12345);
    int drops = 0;
    for (int i = 0; i < 200; i++) {
        groups.clear();
        groups.push_back(make_group(1, {{10, 10}}));
        rise_into_block();
        ball_list_collide(&balls, &pad, groups, &bonuses);
        ASSERT_FALSE(groups[0].blocks[0].alive);
        drops += bonuses.states[0];
        bonuses.states[0] = 0;
    }
    EXPECT_GE(drops, 8);
    EXPECT_LE(drops, 40);
}

class BallWalls : public PlayField {};

TEST_F(BallWalls, WallsBounceOnlyABallHeadingOutwards)
{
    s_ball* ball = place_ball(0, LEFT + 0.4f, 10, LEFT + 0.3f, 10, 0.3f, 0.01f);  // heading right
    mark();
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(0.3f, ball->mobile.angle);
    EXPECT_EQ(0, started_count());

    ball = place_ball(0, LEFT + 0.4f, 10, LEFT + 0.3f, 10, 3.0f, 0.01f);  // heading left
    mark();
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(3.1415927f - 3.0f, ball->mobile.angle);
    EXPECT_TRUE(started(balls.sound_wall));
    EXPECT_EQ(1, started_count());

    ball = place_ball(0, RIGHT - 0.6f, 10, RIGHT - 0.4f, 10, 0.3f, 0.01f);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_LT(mobile_speed_x(&ball->mobile), 0);

    ball = place_ball(0, 10, TOP - 0.6f, 10, TOP - 0.4f, UP, 0.01f);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_LT(mobile_speed_y(&ball->mobile), 0);
    ball = place_ball(0, 10, TOP - 0.3f, 10, TOP - 0.4f, DOWN, 0.01f);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_LT(mobile_speed_y(&ball->mobile), 0) << "already heading back in";
}

TEST_F(BallWalls, ThereIsNoFloorAndLossBelowBottomMinusFiveFreesTheSlot)
{
    park_pad(15);
    place_ball(0, 5, -4.9f, 5, -4.99f, DOWN, 0.01f);
    place_ball(3, 5, -4.9f, 5, -5.01f, DOWN, 0.01f);
    mark();
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(1, balls.states[0]);
    EXPECT_EQ(0, balls.states[3]);
    EXPECT_FALSE(balls.empty);
    EXPECT_EQ(0, started_count());
    EXPECT_EQ(0u, new_effects());
    EXPECT_LT(mobile_speed_y(&balls.balls[0].mobile), 0) << "not bounced by the bottom";

    balls.balls[0].mobile.y = -5.5f;
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(0, balls.states[0]);
    EXPECT_TRUE(balls.empty);
}

TEST_F(BallWalls, LastBallLostThenNextClickLaunchesANewOne)
{
    park_pad(10);
    place_ball(0, 5, -4.9f, 5, -6, DOWN, 0.01f);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    ASSERT_TRUE(balls.empty);
    gl_vertex.key[VTX_MOUSE_LEFT] = 1;
    pad_loop(&pad, &balls);
    EXPECT_EQ(1, balls.states[0]);
    EXPECT_EQ(10, balls.balls[0].coord.x);
    EXPECT_EQ(0, balls.balls[0].coord.y);
}

class BallPad : public PlayField {};

TEST_F(BallPad, BallLaunchedInsideThePadIsNotReportedTouchingIt)
{
    gl_vertex.key[VTX_MOUSE_LEFT] = 1;
    pad_loop(&pad, &balls);
    pad_move(&pad);
    ASSERT_FALSE(balls.empty);
    s_ball* ball = &balls.balls[0];
    for (int frame = 0; frame < 30; frame++) {
        set_clock(1000 + 16 * frame, 16);
        mark();
        ball_list_loop(&balls);
        pad_loop(&pad, &balls);
        ball_list_collide(&balls, &pad, groups, &bonuses);
        ball_list_move(&balls);
        pad_move(&pad);
        EXPECT_FALSE(started(balls.sound_pad)) << "frame " << frame;
        EXPECT_GT(mobile_speed_y(&ball->mobile), 0);
    }
    EXPECT_GT(ball->coord.y, 1.0f);
}

TEST_F(BallPad, CentreContactHasNoDeflectionAndDampsTheSpeed)
{
    park_pad(10);
    s_ball* ball = place_ball(0, 10, 1.2f, 10, 0.9f, DOWN, 0.02f);
    mark();
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_TRUE(started(balls.sound_pad));
    EXPECT_NEAR(0, mobile_speed_x(&ball->mobile), 1e-7);
    EXPECT_GT(mobile_speed_y(&ball->mobile), 0);
    EXPECT_FLOAT_EQ(0.02f * 0.95f, ball->mobile.speed);
}

TEST_F(BallPad, ContactAtTheEndDeflectsByThreeQuartersOfTheSpeed)
{
    park_pad(10);
    f32 x = 10 + pad.half_length;
    s_ball* ball = place_ball(0, x, 1.2f, x, 0.9f, DOWN, 0.02f);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_NEAR(std::atan2(1.0, 0.75), ball->mobile.angle, 1e-5);
    EXPECT_FLOAT_EQ(0.02f * 0.95f, ball->mobile.speed);

    // On the left side the push is to the left.
    x = 10 - pad.half_length;
    ball = place_ball(0, x, 1.2f, x, 0.9f, DOWN, 0.02f);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_NEAR(std::atan2(1.0, -0.75), ball->mobile.angle, 1e-5);
}

TEST_F(BallPad, DampingShrinksFastBallsAndRaisesSlowOnesToTheStartSpeed)
{
    park_pad(10);
    s_ball* ball = place_ball(0, 10, 1.2f, 10, 0.9f, DOWN, 0.0105f);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_FLOAT_EQ(0.0105f * 0.95f, ball->mobile.speed);
    EXPECT_LT(ball->mobile.speed, 0.01f);

    ball = place_ball(0, 10, 1.2f, 10, 0.9f, DOWN, 0.004f);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(0.01f, ball->mobile.speed);
}

TEST_F(BallPad, MovingPadSweepsOverABallBesideIt)
{
    // The ball sinks at x 14 while the pad travels from 10 to 16 this frame.
    pad.coord.x = 10;
    pad.target_x = 16;
    s_ball* ball = place_ball(0, 14, 1.05f, 14, 0.95f, DOWN, 0.01f);
    mark();
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_TRUE(started(balls.sound_pad));
    EXPECT_GT(mobile_speed_y(&ball->mobile), 0);
}

class BallMotion : public PlayField {};

TEST_F(BallMotion, GravityAndMotionFollowTheWeightAndTheFrameTime)
{
    s_ball* ball = place_ball(0, 10, 10, 10, 10, UP, 0.01f);
    ball->trail_next = 1e9f;
    set_clock(2000, 100);
    ball_list_loop(&balls);
    // 0.01 up, minus 0.00001 x 100 of gravity, for 100 ms.
    EXPECT_NEAR(0.009, ball->mobile.speed, 1e-7);
    EXPECT_NEAR(10.9, ball->mobile.y, 1e-5);
    EXPECT_EQ(10, ball->coord.y) << "committed only by the move";
    ball_list_move(&balls);
    EXPECT_NEAR(10.9, ball->coord.y, 1e-5);
    // Rolling: 125 degrees per unit travelled vertically, about x.
    EXPECT_NEAR(-0.009 * 100 * 125, ball->coord.rx, 1e-3);
}

TEST_F(BallMotion, TimedParticlesEveryTwentyFiveMilliseconds)
{
    s_ball* ball = place_ball(0, 10, 10, 10, 10, UP, 0.05f);
    ball->state = BALL_STATE_ONESHOT | BALL_STATE_TRAVERSE;
    ball_list_type(&balls, BALL_TYPE_LIGHT);
    set_clock(2000, 10);
    mark();
    ball_list_loop(&balls);
    ASSERT_EQ(3u, new_effects());
    EXPECT_EQ((u32)PARTICLE_BALL_TRAIL, particles.groups[group_mark].type);
    EXPECT_EQ(1u, particles.groups[group_mark].color);
    EXPECT_EQ(6u, particles.groups[group_mark + 1].color);
    EXPECT_EQ(5u, particles.groups[group_mark + 2].color);
    EXPECT_EQ(2025.0f, ball->trail_next);
    set_clock(2024, 10);
    mark();
    ball_list_loop(&balls);
    EXPECT_EQ(0u, new_effects());
    set_clock(2025, 10);
    ball_list_loop(&balls);
    EXPECT_EQ(3u, new_effects());
}

TEST_F(BallMotion, InsertPlacesSplitsAtTheLowestBallAndIgnoresAFullList)
{
    place_ball(2, 7, 8, 7, 8, UP, 0.01f);
    srand(9);
    ball_list_insert(&balls, 10, 0);
    EXPECT_EQ(1, balls.states[0]);
    EXPECT_EQ(7, balls.balls[0].coord.x);
    EXPECT_EQ(8, balls.balls[0].coord.y);
    EXPECT_EQ(BALL_WEIGHT_NORMAL, balls.balls[0].weight);
    EXPECT_EQ(0, balls.balls[0].state);
    EXPECT_EQ(0.01f, balls.balls[0].mobile.speed);
    EXPECT_NEAR(UP, balls.balls[0].mobile.angle, 0.19634955f + 1e-6f);
    for (int i = 0; i < BALL_LIST_SIZE; i++)
        if (!balls.states[i])
            place_ball(i, 1, 1, 1, 1, UP, 0.01f);
    mark();
    ball_list_insert(&balls, 10, 0);
    EXPECT_EQ(0u, new_effects());
    EXPECT_FALSE(balls.empty);
}

TEST(BallLaunch, AngleStaysWithinASixteenthTurnOfVertical)
{
    srand(1);
    for (int i = 0; i < 2000; i++) {
        f32 a = ball_launch_angle();
        EXPECT_GE(a, 1.5707964f - 0.19634955f - 1e-6f);
        EXPECT_LT(a, 1.5707964f + 0.19634955f);
    }
}

}  // namespace
