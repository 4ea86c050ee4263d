// Bonuses: dropping, rise and fall, walls, loss, catching and the kinds' effects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "game_fixture.h"

namespace {

using namespace game_test;

class Bonus : public PlayField {
protected:
    // Drops a bonus of kind type onto the pad's centre and runs the catch.
    void catch_bonus(int type)
    {
        place_bonus(0, type, pad.coord.x, 1.2f, pad.coord.x, 0.9f, DOWN);
        bonus_list_collide(&bonuses, &pad, &balls);
    }
    long falling() const
    {
        return std::count(bonuses.states, bonuses.states + BONUS_LIST_SIZE, 1);
    }
};

TEST_F(Bonus, FullListDropsNothingAndDrawsNoRandomNumber)
{
    for (int i = 0; i < BONUS_LIST_SIZE; i++)
        place_bonus(i, i % BONUS_TYPE_COUNT, 3, 20, 3, 20, UP);
    srand(77);
    int expected = rand();
    srand(77);
    bonus_list_insert(&bonuses, 5, 5);
    EXPECT_EQ(expected, rand());
    EXPECT_EQ(0, started_count());
    EXPECT_EQ(0u, new_effects());
}

TEST_F(Bonus, DropDrawsKindThenDirectionThenThreeSpinsAndSounds)
{
    srand(31);
    int kind = rand() % 7;
    f32 angle = UP + ((f32)(rand() % 2000) * 0.001f - 1.0f) * 0.19634955f;
    f32 spin[3];
    for (f32& s : spin)
        s = ((f32)(rand() % 2000) * 0.001f - 1.0f) * 0.1f;
    srand(31);
    bonus_list_insert(&bonuses, 5, 7);
    const s_bonus& b = bonuses.bonuses[0];
    EXPECT_EQ(kind, b.type);
    EXPECT_EQ(angle, b.mobile.angle);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(spin[i], b.spin[i]) << "spin " << i;
    EXPECT_TRUE(started(bonuses.sound_loot));
    EXPECT_EQ(4u, last_effect().color);
}

TEST_F(Bonus, DroppedBonusRisesAboutFiveUnitsFallsAndIsLostBelowBottomMinusFive)
{
    park_pad(19.5f);
    place_bonus(0, BONUS_PAD_INC, 5, 10, 5, 10, UP);
    f32 top = 10, last_y = 10;
    for (u32 now = 1000; now < 20000; now += 10) {
        set_clock(now, 10);
        bonus_list_loop(&bonuses);
        bonus_list_collide(&bonuses, &pad, &balls);
        if (bonuses.states[0] != 1)
            break;
        last_y = bonuses.bonuses[0].coord.y;
        bonus_list_move(&bonuses);
        top = std::max(top, bonuses.bonuses[0].coord.y);
    }
    EXPECT_NEAR(15, top, 0.1);
    EXPECT_EQ(0, bonuses.states[0]);
    EXPECT_LT(bonuses.bonuses[0].coord.y, -5) << "lost by its committed position";
    EXPECT_GE(last_y, -5) << "in the first frame it is below";
    EXPECT_EQ(2, pad.length) << "never caught";
}

TEST_F(Bonus, TumblesAndSpawnsFallingParticlesEveryTwentyFiveMilliseconds)
{
    s_bonus* b = place_bonus(0, BONUS_PAD_INC, 5, 10, 5, 10, UP);
    b->spin[0] = 0.05f;
    b->spin[1] = -0.02f;
    b->spin[2] = 0.1f;
    const std::pair<u32, u32> rows[] = {{1000, 1}, {1020, 1}, {1025, 2}};
    for (auto [now, effects] : rows) {
        set_clock(now, 20);
        bonus_list_loop(&bonuses);
        EXPECT_EQ(effects, new_effects()) << "at " << now;
    }
    EXPECT_EQ((u32)PARTICLE_BONUS_FALL, last_effect().type);
    EXPECT_FLOAT_EQ(3.0f, b->coord.rx) << "spin x frame time, three frames";
    EXPECT_FLOAT_EQ(-1.2f, b->coord.ry);
    EXPECT_FLOAT_EQ(6.0f, b->coord.rz);
}

TEST_F(Bonus, SideWallTurnsABonusSilentlyOnlyWhenItsCentrePassesTheLimit)
{
    struct row {
        const char* name;
        f32 x0, x1, angle, expected;
    };
    const row rows[] = {
        {"edge over the right limit only", RIGHT - 0.4f, RIGHT - 0.3f, 0.2f, 0.2f},
        {"centre past the right limit", RIGHT - 0.1f, RIGHT + 0.1f, 0.2f, 3.1415927f - 0.2f},
        {"centre past the left limit", LEFT - 0.1f, LEFT - 0.2f, 2.9f, 3.1415927f - 2.9f},
        {"past the left limit, heading back in", LEFT - 0.2f, LEFT - 0.1f, 0.2f, 0.2f},
    };
    park_pad(10);
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        s_bonus* b = place_bonus(0, BONUS_PAD_INC, r.x0, 10, r.x1, 10, r.angle);
        bonus_list_collide(&bonuses, &pad, &balls);
        EXPECT_FLOAT_EQ(r.expected, b->mobile.angle);
    }
    EXPECT_EQ(0, started_count());
}

TEST_F(Bonus, CatchSoundsSparklesFreesTheSlotAndChangesTheLengthWithinOneToTen)
{
    catch_bonus(BONUS_PAD_INC);
    EXPECT_EQ(0, bonuses.states[0]);
    EXPECT_TRUE(started(bonuses.sounds[BONUS_PAD_INC]));
    EXPECT_EQ(1, started_count());
    ASSERT_EQ(1u, new_effects());
    EXPECT_EQ(5u, last_effect().color);
    EXPECT_EQ(3, pad.length);
    for (int i = 0; i < 3; i++)
        catch_bonus(BONUS_PAD_DEC);
    EXPECT_EQ(1, pad.length);
    pad.length = 10;
    mark();
    catch_bonus(BONUS_PAD_INC);
    EXPECT_EQ(10, pad.length);
    EXPECT_TRUE(started(bonuses.sounds[BONUS_PAD_INC])) << "a useless catch still sounds";
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
        place_ball(i, 3, 10, 3, 10, UP);
    mark();
    catch_bonus(BONUS_BALL_SPLIT);
    EXPECT_TRUE(started(bonuses.sounds[BONUS_BALL_SPLIT]));
    EXPECT_EQ(1u, new_effects()) << "the take particles only, no new ball";
}

TEST_F(Bonus, HeavyThenLightLeavesLightBallsAndALaterSplitBallIsNormal)
{
    balls.textures[BALL_TYPE_HEAVY] = 101;
    balls.textures[BALL_TYPE_LIGHT] = 102;
    balls.textures[BALL_TYPE_NORMAL] = 103;
    place_ball(0, 3, 10, 3, 10, UP);
    place_ball(5, 6, 10, 6, 10, UP);
    catch_bonus(BONUS_BALL_TYPE_HEAVY);
    EXPECT_EQ(BALL_WEIGHT_HEAVY, balls.balls[5].weight);
    EXPECT_EQ(101u, balls.balls[5].texture);
    catch_bonus(BONUS_BALL_TYPE_LIGHT);
    for (int i : {0, 5}) {
        EXPECT_EQ(0.0f, balls.balls[i].weight);
        EXPECT_EQ(102u, balls.balls[i].texture);
    }
    catch_bonus(BONUS_BALL_SPLIT);
    ASSERT_EQ(1, balls.states[1]);
    EXPECT_EQ(BALL_WEIGHT_NORMAL, balls.balls[1].weight);
    EXPECT_EQ(103u, balls.balls[1].texture);
    EXPECT_EQ(3, balls.balls[1].coord.x) << "split at the lowest-numbered ball";
}

TEST_F(Bonus, OneshotThenTraverseGivesBothFlagsToBallsInPlayOnly)
{
    place_ball(2, 3, 10, 3, 10, UP);
    catch_bonus(BONUS_BALL_ONESHOT);
    catch_bonus(BONUS_BALL_TRAVERSE);
    EXPECT_EQ(BALL_STATE_ONESHOT | BALL_STATE_TRAVERSE, balls.balls[2].state);
    catch_bonus(BONUS_BALL_SPLIT);
    ASSERT_EQ(1, balls.states[0]);
    EXPECT_EQ(0, balls.balls[0].state);
}

TEST_F(Bonus, BonusDroppedThisFrameCannotBeCaughtThisFrame)
{
    // A block lying on the pad is destroyed with the B key held.
    groups.push_back(make_group(1, {{10, 0.8f}}));
    gl_vertex.key[VTX_KEY_B] = 1;
    park_pad(10);
    place_ball(0, 10, -0.4f, 10, -0.1f, UP);
    collide();
    ASSERT_EQ(1, falling());
    mark();
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(1, falling());
    EXPECT_EQ(2, pad.length);
    EXPECT_EQ(0, started_count());
}

TEST_F(Bonus, MovingPadCatchesABonusItSweepsOver)
{
    pad.coord.x = 4;
    pad.target_x = 12;
    place_bonus(0, BONUS_PAD_INC, 8, 1.05f, 8, 0.95f, DOWN);
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(3, pad.length);
}

}  // namespace
