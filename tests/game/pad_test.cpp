// The pad: start, mouse steering and clamping, the launcher's charge, kick and
// unloading with their sounds, launching, and the length animation.
#include <gtest/gtest.h>

#include "audio/sound.h"
#include "play_fixture.h"

namespace {

using game_test::PlayField;
using game_test::set_clock;

class Pad : public PlayField {
protected:
    // Runs pad_loop and pad_move at tick now with the left button held or not.
    void frame(u32 now, bool held, i32 mouse_dx = 0)
    {
        set_clock(now, 16);
        gl_vertex.key[VTX_MOUSE_LEFT] = held ? 1 : 0;
        gl_vertex.mouse_dx = mouse_dx;
        pad_loop(&pad, &balls);
        pad_move(&pad);
    }

    // Pitch of the charge sound as a multiple of its own frequency.
    f32 load_pitch() const
    {
        const s_chd_slot& slot = gl_chord.slots[pad.sound_load];
        return sound_channel_get_frequency(gl_chord.system, slot.channel) / slot.frequency;
    }

    // Pretends a ball is in play so that a click charges instead of launching.
    void ball_in_play() { place_ball(0, 1, 20, 1, 20, 1.5707964f, 0.01f); }
};

TEST_F(Pad, StartsCentredOnTheBottomWithHalfLengthOneAndAHalf)
{
    EXPECT_EQ(10, pad.coord.x);
    EXPECT_EQ(0, pad.coord.y);
    EXPECT_EQ(0, pad.coord.z);
    EXPECT_EQ(90, pad.coord.ry);
    EXPECT_EQ(1.5f, pad.half_length);
    EXPECT_EQ(2, pad.length);
    EXPECT_EQ(10, pad.target_x);
    EXPECT_EQ(PAD_STATE_IDLE, pad.state);
    EXPECT_EQ(0u, pad.texture) << "no data/pad.png: no texture";
}

TEST_F(Pad, MouseMovesTheTargetOneUnitPerHundredPixels)
{
    set_clock(1000, 16);
    gl_vertex.mouse_dx = 30;
    pad_loop(&pad, &balls);
    EXPECT_FLOAT_EQ(10.3f, pad.target_x);
    EXPECT_EQ(10, pad.coord.x) << "committed only by pad_move";
    pad_move(&pad);
    EXPECT_FLOAT_EQ(10.3f, pad.coord.x);
}

TEST_F(Pad, TargetIsClampedHalfAUnitInsideTheLimits)
{
    frame(1000, false, -2000);
    EXPECT_EQ(LEFT + 0.5f, pad.target_x);
    frame(1016, false, 5000);
    EXPECT_EQ(RIGHT - 0.5f, pad.target_x);
    // Exactly 0.5 from the limit is allowed as it is.
    park_pad(1);
    frame(1032, false, -50);
    EXPECT_FLOAT_EQ(0.5f, pad.target_x);
}

TEST_F(Pad, ChargeOfOneSecondKicksByOneHundredthAndFires)
{
    ball_in_play();
    frame(1000, true);
    ASSERT_EQ(PAD_STATE_LOAD, pad.state);
    EXPECT_TRUE(playing(pad.sound_load));
    frame(2000, true);
    EXPECT_NEAR(1.4f, load_pitch(), 1e-3);
    mark();
    EXPECT_FLOAT_EQ(0.01f, pad_release(&pad));
    EXPECT_EQ(PAD_STATE_FIRED, pad.state);
    EXPECT_TRUE(started(pad.sound_release));
    EXPECT_FALSE(playing(pad.sound_load));
    ASSERT_EQ(1u, new_effects());
    EXPECT_EQ((u32)PARTICLE_PAD_RELEASE, last_effect().type);
    // The charge is used up.
    EXPECT_EQ(0, pad_release(&pad));
}

TEST_F(Pad, ChargeIsCappedAtTwoAndAHalfSeconds)
{
    ball_in_play();
    frame(1000, true);
    frame(3500, true);
    EXPECT_NEAR(2.0f, load_pitch(), 1e-3);
    frame(5000, true);
    EXPECT_NEAR(2.0f, load_pitch(), 1e-3);
    EXPECT_FLOAT_EQ(2500 * 0.00001f, pad_release(&pad));
}

TEST_F(Pad, TwoBallsInOneFrameOnlyTheFirstIsKicked)
{
    ball_in_play();
    frame(1000, true);
    frame(2000, true);
    balls.states[0] = 0;
    s_ball* first = place_ball(1, 9, 1.2f, 9, 0.9f, -1.5707964f, 0.02f);
    s_ball* second = place_ball(4, 11, 1.2f, 11, 0.9f, -1.5707964f, 0.02f);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(PAD_STATE_FIRED, pad.state);
    EXPECT_NEAR((0.02 + 0.01) * 0.95, first->mobile.speed, 2e-4);
    EXPECT_FLOAT_EQ(0.02f * 0.95f, second->mobile.speed);
}

TEST_F(Pad, UnloadingAfterTwoSecondsLastsFourHundredMillisecondsWithoutKick)
{
    ball_in_play();
    frame(1000, true);
    frame(3000, true);
    frame(3000, false);
    ASSERT_EQ(PAD_STATE_UNLOAD, pad.state);
    EXPECT_EQ(3400.0f, pad.load_time);
    frame(3200, false);
    // Pitch winds down from 1.8 at letting go: 200 ms left of 500 gives 1.4.
    EXPECT_NEAR(1.4f, load_pitch(), 1e-3);
    EXPECT_EQ(0, pad_release(&pad));
    EXPECT_EQ(PAD_STATE_UNLOAD, pad.state);
    frame(3400, false);
    EXPECT_EQ(PAD_STATE_UNLOAD, pad.state) << "the last millisecond still unloads";
    frame(3401, false);
    EXPECT_EQ(PAD_STATE_IDLE, pad.state);
    EXPECT_FALSE(playing(pad.sound_load));
}

TEST_F(Pad, PressDuringUnloadingChargesAgainInTheSameFrame)
{
    ball_in_play();
    frame(1000, true);
    frame(2000, false);
    ASSERT_EQ(PAD_STATE_UNLOAD, pad.state);
    frame(2100, true);
    EXPECT_EQ(PAD_STATE_LOAD, pad.state);
    EXPECT_EQ(2100.0f, pad.load_time);
    EXPECT_TRUE(playing(pad.sound_load));
}

TEST_F(Pad, ClickWithNoBallLaunchesOneAndWaitsForTheRelease)
{
    ASSERT_TRUE(balls.empty);
    mark();
    frame(1000, true);
    EXPECT_TRUE(started(pad.sound_ball));
    EXPECT_EQ(PAD_STATE_FIRED, pad.state);
    EXPECT_EQ(1, balls.states[0]);
    EXPECT_EQ(10, balls.balls[0].coord.x);
    EXPECT_EQ(0, balls.balls[0].coord.y);
    // Held on, even with the ball gone, nothing more happens.
    balls.states[0] = 0;
    balls.empty = 1;
    frame(1500, true);
    EXPECT_EQ(0, balls.states[0]);
    EXPECT_EQ(PAD_STATE_FIRED, pad.state);
    frame(1600, false);
    EXPECT_EQ(PAD_STATE_IDLE, pad.state);
    frame(1700, true);
    EXPECT_EQ(1, balls.states[0]);
}

TEST_F(Pad, LaunchDuringUnloadingStopsTheChargeSound)
{
    ball_in_play();
    frame(1000, true);
    frame(2000, false);
    ASSERT_EQ(PAD_STATE_UNLOAD, pad.state);
    ASSERT_TRUE(playing(pad.sound_load));
    balls.states[0] = 0;
    balls.empty = 1;
    frame(2050, true);
    EXPECT_EQ(PAD_STATE_FIRED, pad.state);
    EXPECT_EQ(1, balls.states[0]);
    EXPECT_FALSE(playing(pad.sound_load));
}

TEST_F(Pad, ChargeParticlesEveryHundredMilliseconds)
{
    ball_in_play();
    mark();
    frame(1000, true);
    EXPECT_EQ(0u, new_effects()) << "the press itself only starts the charge";
    frame(1016, true);
    ASSERT_EQ(1u, new_effects());
    EXPECT_EQ((u32)PARTICLE_PAD_LOAD, last_effect().type);
    frame(1100, true);
    EXPECT_EQ(1u, new_effects());
    frame(1116, true);
    EXPECT_EQ(2u, new_effects());
}

TEST_F(Pad, LengthTenPlusOneStaysTenWithoutParticles)
{
    pad.length = 10;
    pad.half_length = 7.5f;
    pad_length(&pad, +1);
    EXPECT_EQ(10, pad.length);
    EXPECT_TRUE(pad.resizing);
    mark();
    frame(1000, false);
    EXPECT_FALSE(pad.resizing);
    EXPECT_EQ(7.5f, pad.half_length);
    EXPECT_EQ(0u, new_effects());
    pad.length = 1;
    pad_length(&pad, -1);
    EXPECT_EQ(1, pad.length);
}

TEST_F(Pad, LengthTwoToThreeGrowsTowardTwoAndAQuarterAndStopsWithinATenth)
{
    pad_length(&pad, +1);
    mark();
    u32 now = 1000;
    while (pad.resizing && now < 10000) {
        frame(now, false);
        now += 16;
    }
    EXPECT_FALSE(pad.resizing);
    EXPECT_GE(pad.half_length, 2.15f);
    EXPECT_LT(pad.half_length, 2.25f);
    EXPECT_LT(pad.half_length, 2.16f) << "stops as soon as it is within 0.1";
    // About 2 s of growth (ln 7.5 time constants): a green pair every 100 ms,
    // which on a 16 ms frame grid means every 112 ms.
    u32 effects = new_effects();
    EXPECT_EQ(0u, effects % 2);
    EXPECT_GE(effects, 34u);
    EXPECT_LE(effects, 38u);
    for (u32 i = group_mark; i < particles.group_count; i++) {
        EXPECT_EQ((u32)PARTICLE_PAD_LENGTH, particles.groups[i].type);
        EXPECT_EQ(2u, particles.groups[i].color);
    }
    // The pair sits at the two ends of the cylinder.
    EXPECT_FLOAT_EQ(10 - 1.5f, particles.groups[group_mark].origin.x);
    EXPECT_FLOAT_EQ(10 + 1.5f, particles.groups[group_mark + 1].origin.x);
}

TEST_F(Pad, ShrinkingSpawnsRedParticles)
{
    pad_length(&pad, -1);
    mark();
    frame(1000, false);
    ASSERT_EQ(2u, new_effects());
    EXPECT_EQ(1u, last_effect().color);
    EXPECT_LT(pad.half_length, 1.5f);
}

}  // namespace
