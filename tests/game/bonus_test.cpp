// Bonuses: dropping, rise and fall, walls, loss, catching and the kinds' effects.
#include <gtest/gtest.h>

#include <cstdlib>

#include "play_fixture.h"

namespace {

using game_test::PlayField;
using game_test::set_clock;

const f32 UP = 1.5707964f;
const f32 DOWN = -1.5707964f;

class Bonus : public PlayField {
protected:
    // Drops a bonus of kind type onto the pad's centre in slot i and runs the catch.
    void catch_bonus(int type, int i = 0)
    {
        place_bonus(i, type, pad.coord.x, 1.2f, pad.coord.x, 0.9f, DOWN, 0.01f);
        bonus_list_collide(&bonuses, &pad, &balls);
    }
    int falling() const
    {
        int n = 0;
        for (int i = 0; i < BONUS_LIST_SIZE; i++)
            n += bonuses.states[i] == 1;
        return n;
    }
};

TEST_F(Bonus, FullListDropsNothingAndDrawsNoRandomNumber)
{
    for (int i = 0; i < BONUS_LIST_SIZE; i++)
        place_bonus(i, i % BONUS_TYPE_COUNT, 3, 20, 3, 20, UP, 0.01f);
    mark();
    srand(77);
    int expected = rand();
    srand(77);
    bonus_list_insert(&bonuses, 5, 5);
    EXPECT_EQ(expected, rand());
    EXPECT_EQ(0, started_count());
    EXPECT_EQ(0u, new_effects());
}

TEST_F(Bonus, DropDrawsKindThenDirectionThenThreeSpins)
{
    srand(31);
    int kind = rand() % 7;
    f32 angle = UP + ((f32)(rand() % 2000) * 0.001f - 1.0f) * 0.19634955f;
    f32 spin[3];
    for (f32& s : spin)
        s = ((f32)(rand() % 2000) * 0.001f - 1.0f) * 0.1f;
    srand(31);
    mark();
    bonus_list_insert(&bonuses, 5, 7);
    const s_bonus& b = bonuses.bonuses[0];
    EXPECT_EQ(1, bonuses.states[0]);
    EXPECT_EQ(kind, b.type);
    EXPECT_EQ(angle, b.mobile.angle);
    EXPECT_EQ(0.01f, b.mobile.speed);
    EXPECT_EQ(spin[0], b.spin[0]);
    EXPECT_EQ(spin[1], b.spin[1]);
    EXPECT_EQ(spin[2], b.spin[2]);
    EXPECT_EQ(5, b.coord.x);
    EXPECT_EQ(7, b.coord.y);
    EXPECT_TRUE(started(bonuses.sound_loot));
    ASSERT_EQ(1u, new_effects());
    EXPECT_EQ((u32)PARTICLE_BONUS_TAKE, last_effect().type);
    EXPECT_EQ(4u, last_effect().color);
}

TEST_F(Bonus, DroppedBonusRisesAboutFiveUnitsFallsAndIsLostBelowBottomMinusFive)
{
    park_pad(19.5f);
    place_bonus(0, BONUS_PAD_INC, 5, 10, 5, 10, UP, 0.01f);
    f32 top = 10;
    u32 now = 1000;
    f32 last_y = 10;
    while (bonuses.states[0] == 1 && now < 20000) {
        set_clock(now, 10);
        bonus_list_loop(&bonuses);
        bonus_list_collide(&bonuses, &pad, &balls);
        if (bonuses.states[0] != 1)
            break;
        last_y = bonuses.bonuses[0].coord.y;
        bonus_list_move(&bonuses);
        if (bonuses.bonuses[0].coord.y > top)
            top = bonuses.bonuses[0].coord.y;
        now += 10;
    }
    EXPECT_NEAR(15, top, 0.1);
    EXPECT_EQ(0, bonuses.states[0]);
    EXPECT_LT(bonuses.bonuses[0].coord.y, -5) << "lost by its committed position";
    EXPECT_GE(last_y, -5) << "in the first frame it is below";
    EXPECT_EQ(2, pad.length) << "never caught";
}

TEST_F(Bonus, TumblesAndSpawnsFallingParticlesEveryTwentyFiveMilliseconds)
{
    s_bonus* b = place_bonus(0, BONUS_PAD_INC, 5, 10, 5, 10, UP, 0.01f);
    b->spin[0] = 0.05f;
    b->spin[1] = -0.02f;
    b->spin[2] = 0.1f;
    set_clock(1000, 20);
    mark();
    bonus_list_loop(&bonuses);
    ASSERT_EQ(1u, new_effects());
    EXPECT_EQ((u32)PARTICLE_BONUS_FALL, last_effect().type);
    EXPECT_EQ(3u, last_effect().color);
    EXPECT_FLOAT_EQ(1.0f, b->coord.rx);
    EXPECT_FLOAT_EQ(-0.4f, b->coord.ry);
    EXPECT_FLOAT_EQ(2.0f, b->coord.rz);
    set_clock(1020, 20);
    bonus_list_loop(&bonuses);
    EXPECT_EQ(1u, new_effects());
    set_clock(1025, 20);
    bonus_list_loop(&bonuses);
    EXPECT_EQ(2u, new_effects());
}

TEST_F(Bonus, SideWallTurnsABonusOnlyWhenItsCentrePassesTheLimit)
{
    park_pad(10);
    s_bonus* b = place_bonus(0, BONUS_PAD_INC, RIGHT - 0.4f, 10, RIGHT - 0.3f, 10, 0.2f, 0.01f);
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(0.2f, b->mobile.angle) << "edge over the limit only";
    b = place_bonus(0, BONUS_PAD_INC, RIGHT - 0.1f, 10, RIGHT + 0.1f, 10, 0.2f, 0.01f);
    mark();
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(3.1415927f - 0.2f, b->mobile.angle);
    EXPECT_EQ(0, started_count()) << "walls are silent for bonuses";
    b = place_bonus(0, BONUS_PAD_INC, LEFT - 0.1f, 10, LEFT - 0.2f, 10, 2.9f, 0.01f);
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_GT(mobile_speed_x(&b->mobile), 0);
    b = place_bonus(0, BONUS_PAD_INC, LEFT - 0.2f, 10, LEFT - 0.1f, 10, 0.2f, 0.01f);
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(0.2f, b->mobile.angle) << "already heading back in";
}

TEST_F(Bonus, CatchPlaysTheKindsSoundSpawnsParticlesAndFreesTheSlot)
{
    mark();
    catch_bonus(BONUS_PAD_INC);
    EXPECT_EQ(0, bonuses.states[0]);
    EXPECT_TRUE(started(bonuses.sounds[BONUS_PAD_INC]));
    EXPECT_EQ(1, started_count());
    EXPECT_EQ(5u, last_effect().color);
    EXPECT_EQ((u32)PARTICLE_BONUS_TAKE, last_effect().type);
    EXPECT_EQ(3, pad.length);
    catch_bonus(BONUS_PAD_DEC);
    catch_bonus(BONUS_PAD_DEC);
    EXPECT_EQ(1, pad.length);
}

TEST_F(Bonus, PadIncAtLengthTenStillSoundsAndSparkles)
{
    pad.length = 10;
    mark();
    catch_bonus(BONUS_PAD_INC);
    EXPECT_EQ(10, pad.length);
    EXPECT_TRUE(started(bonuses.sounds[BONUS_PAD_INC]));
    EXPECT_EQ(1u, new_effects());
}

TEST_F(Bonus, SplitWithNoBallLaunchesAtThePadAndWithSixteenDoesNothingButSounds)
{
    park_pad(12);
    catch_bonus(BONUS_BALL_SPLIT);
    ASSERT_EQ(1, balls.states[0]);
    EXPECT_EQ(12, balls.balls[0].coord.x);
    EXPECT_EQ(0, balls.balls[0].coord.y);
    EXPECT_FALSE(balls.empty);

    for (int i = 1; i < BALL_LIST_SIZE; i++)
        place_ball(i, 3, 10, 3, 10, UP, 0.01f);
    mark();
    catch_bonus(BONUS_BALL_SPLIT);
    EXPECT_TRUE(started(bonuses.sounds[BONUS_BALL_SPLIT]));
    ASSERT_EQ(1u, new_effects()) << "the take particles only, no new ball";
    EXPECT_EQ((u32)PARTICLE_BONUS_TAKE, last_effect().type);
}

TEST_F(Bonus, HeavyThenLightLeavesLightBallsAndALaterSplitBallIsNormal)
{
    balls.textures[BALL_TYPE_HEAVY] = 101;
    balls.textures[BALL_TYPE_LIGHT] = 102;
    balls.textures[BALL_TYPE_NORMAL] = 103;
    place_ball(0, 3, 10, 3, 10, UP, 0.01f);
    place_ball(5, 6, 10, 6, 10, UP, 0.01f);
    catch_bonus(BONUS_BALL_TYPE_HEAVY);
    EXPECT_EQ(BALL_WEIGHT_HEAVY, balls.balls[5].weight);
    EXPECT_EQ(101u, balls.balls[5].texture);
    catch_bonus(BONUS_BALL_TYPE_LIGHT);
    EXPECT_EQ(0.0f, balls.balls[0].weight);
    EXPECT_EQ(0.0f, balls.balls[5].weight);
    EXPECT_EQ(102u, balls.balls[0].texture);
    catch_bonus(BONUS_BALL_SPLIT);
    ASSERT_EQ(1, balls.states[1]);
    EXPECT_EQ(BALL_WEIGHT_NORMAL, balls.balls[1].weight);
    EXPECT_EQ(103u, balls.balls[1].texture);
    EXPECT_EQ(3, balls.balls[1].coord.x) << "split at the lowest-numbered ball";
}

TEST_F(Bonus, OneshotThenTraverseGivesBothFlagsToBallsInPlayOnly)
{
    place_ball(2, 3, 10, 3, 10, UP, 0.01f);
    catch_bonus(BONUS_BALL_ONESHOT);
    catch_bonus(BONUS_BALL_TRAVERSE);
    EXPECT_EQ(BALL_STATE_ONESHOT | BALL_STATE_TRAVERSE, balls.balls[2].state);
    catch_bonus(BONUS_BALL_SPLIT);
    ASSERT_EQ(1, balls.states[0]);
    EXPECT_EQ(0, balls.balls[0].state);
}

TEST_F(Bonus, BonusDroppedThisFrameCannotBeCaughtThisFrame)
{
    // A block right on the pad is destroyed with the B key held.
    groups.push_back(make_group(1, {{10, 0.8f}}));
    gl_vertex.key[VTX_KEY_B] = 1;
    park_pad(10);
    place_ball(0, 10, -0.4f, 10, -0.1f, UP, 0.01f);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    ASSERT_EQ(1, falling());
    int length = pad.length;
    mark();
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(1, falling());
    EXPECT_EQ(length, pad.length);
    EXPECT_EQ(0, started_count());
}

TEST_F(Bonus, MovingPadCatchesABonusItSweepsOver)
{
    pad.coord.x = 4;
    pad.target_x = 12;
    place_bonus(0, BONUS_PAD_INC, 8, 1.05f, 8, 0.95f, DOWN, 0.01f);
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(0, bonuses.states[0]);
    EXPECT_EQ(3, pad.length);
}

}  // namespace
