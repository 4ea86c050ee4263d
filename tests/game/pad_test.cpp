// The pad: start, mouse steering and clamping, the launcher's charge, kick and
// unloading with their sounds, launching, and the length animation.
#include <gtest/gtest.h>

#include "game_fixture.h"

namespace {

using namespace game_test;

class Pad : public PlayField {
protected:
    // One pad_loop and pad_move at tick now.
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

    // Holds the button from tick from to tick to with a ball in play, so it charges.
    void charge(u32 from, u32 to)
    {
        place_ball(0, 1, 20, 1, 20, UP);
        frame(from, true);
        if (to != from)
            frame(to, true);
    }

    void lose_ball()
    {
        balls.states[0] = 0;
        balls.empty = 1;
    }
};

TEST_F(Pad, StartsCentredOnTheBottomWithHalfLengthOneAndAHalf)
{
    EXPECT_EQ(10, pad.coord.x);
    EXPECT_EQ(0, pad.coord.y);
    EXPECT_EQ(1.5f, pad.half_length);
    EXPECT_EQ(10, pad.target_x);
}

TEST_F(Pad, MouseMovesTheTargetOneUnitPerHundredPixelsClampedHalfAUnitInside)
{
    struct row {
        f32 from;
        i32 dx;
        f32 target;
    };
    const row rows[] = {
        {10, 30, 10.3f}, {10, -2000, LEFT + 0.5f}, {10, 5000, RIGHT - 0.5f}, {1, -50, 0.5f}};
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.from << " moved by " << r.dx);
        park_pad(r.from);
        set_clock(1000, 16);
        gl_vertex.mouse_dx = r.dx;
        pad_loop(&pad, &balls);
        EXPECT_FLOAT_EQ(r.target, pad.target_x);
        EXPECT_EQ(r.from, pad.coord.x) << "committed only by pad_move";
        pad_move(&pad);
        EXPECT_FLOAT_EQ(r.target, pad.coord.x);
    }
}

TEST_F(Pad, ChargeOfOneSecondKicksByOneHundredthAndFires)
{
    charge(1000, 2000);
    EXPECT_NEAR(1.4f, load_pitch(), 1e-3);
    mark();
    EXPECT_FLOAT_EQ(0.01f, pad_release(&pad));
    EXPECT_EQ(PAD_STATE_FIRED, pad.state);
    EXPECT_TRUE(started(pad.sound_release));
    EXPECT_FALSE(playing(pad.sound_load));
    EXPECT_EQ((u32)PARTICLE_PAD_RELEASE, last_effect().type);
    EXPECT_EQ(0, pad_release(&pad)) << "the charge is used up";
}

TEST_F(Pad, ChargeIsCappedAtTwoAndAHalfSeconds)
{
    charge(1000, 5000);
    EXPECT_NEAR(2.0f, load_pitch(), 1e-3);
    EXPECT_FLOAT_EQ(2500 * 0.00001f, pad_release(&pad));
}

TEST_F(Pad, TwoBallsInOneFrameOnlyTheFirstIsKicked)
{
    charge(1000, 2000);
    balls.states[0] = 0;
    s_ball* first = place_ball(1, 9, 1.2f, 9, 0.9f, DOWN, 0.02f);
    s_ball* second = place_ball(4, 11, 1.2f, 11, 0.9f, DOWN, 0.02f);
    collide();
    EXPECT_NEAR((0.02 + 0.01) * 0.95, first->mobile.speed, 2e-4);
    EXPECT_FLOAT_EQ(0.02f * 0.95f, second->mobile.speed);
}

TEST_F(Pad, UnloadingAfterTwoSecondsLastsFourHundredMillisecondsWithoutKick)
{
    charge(1000, 3000);
    frame(3000, false);
    frame(3200, false);
    EXPECT_NEAR(1.4f, load_pitch(), 1e-3) << "winding down from 1.8, 200 of 500 ms left";
    EXPECT_EQ(0, pad_release(&pad));
    frame(3400, false);
    EXPECT_EQ(PAD_STATE_UNLOAD, pad.state) << "the last millisecond still unloads";
    frame(3401, false);
    EXPECT_EQ(PAD_STATE_IDLE, pad.state);
    EXPECT_FALSE(playing(pad.sound_load));
}

TEST_F(Pad, DuringUnloadingAPressChargesAgainAndALaunchStopsTheChargeSound)
{
    charge(1000, 1000);
    frame(2000, false);
    ASSERT_EQ(PAD_STATE_UNLOAD, pad.state);
    frame(2100, true);
    EXPECT_EQ(PAD_STATE_LOAD, pad.state);
    EXPECT_EQ(2100.0f, pad.load_time) << "charging restarts from the press";

    frame(3100, false);
    ASSERT_EQ(PAD_STATE_UNLOAD, pad.state);
    ASSERT_TRUE(playing(pad.sound_load));
    lose_ball();
    frame(3150, true);
    EXPECT_EQ(PAD_STATE_FIRED, pad.state);
    EXPECT_EQ(1, balls.states[0]);
    EXPECT_FALSE(playing(pad.sound_load));
}

TEST_F(Pad, ClickWithNoBallLaunchesOneAndWaitsForTheRelease)
{
    frame(1000, true);
    EXPECT_TRUE(started(pad.sound_ball));
    EXPECT_EQ(PAD_STATE_FIRED, pad.state);
    EXPECT_EQ(1, balls.states[0]);
    EXPECT_EQ(10, balls.balls[0].coord.x);
    EXPECT_EQ(0, balls.balls[0].coord.y);
    lose_ball();
    frame(1500, true);
    EXPECT_EQ(0, balls.states[0]) << "held on, nothing more happens";
    frame(1600, false);
    frame(1700, true);
    EXPECT_EQ(1, balls.states[0]);
}

TEST_F(Pad, ChargeParticlesEveryHundredMillisecondsAfterThePress)
{
    charge(1000, 1000);
    EXPECT_EQ(0u, new_effects());
    const std::pair<u32, u32> rows[] = {{1016, 1}, {1100, 1}, {1116, 2}};
    for (auto [now, effects] : rows) {
        frame(now, true);
        EXPECT_EQ(effects, new_effects()) << "at " << now;
    }
    EXPECT_EQ((u32)PARTICLE_PAD_LOAD, last_effect().type);
}

TEST_F(Pad, LengthTenPlusOneStaysTenWithoutParticles)
{
    pad.length = 10;
    pad.half_length = 7.5f;
    pad_length(&pad, +1);
    EXPECT_EQ(10, pad.length);
    frame(1000, false);
    EXPECT_FALSE(pad.resizing);
    EXPECT_EQ(7.5f, pad.half_length);
    EXPECT_EQ(0u, new_effects());
}

TEST_F(Pad, LengthTwoToThreeGrowsTowardTwoAndAQuarterAndStopsWithinATenth)
{
    pad_length(&pad, +1);
    for (u32 now = 1000; pad.resizing && now < 10000; now += 16)
        frame(now, false);
    EXPECT_FALSE(pad.resizing);
    EXPECT_GE(pad.half_length, 2.15f);
    EXPECT_LT(pad.half_length, 2.16f);
    // About 2 s of growth: a green pair every 100 ms, 112 ms on a 16 ms frame grid.
    EXPECT_EQ(0u, new_effects() % 2);
    EXPECT_GE(new_effects(), 34u);
    EXPECT_LE(new_effects(), 38u);
    const s_particle_group* pair = &particles.groups[group_mark];
    EXPECT_EQ((u32)PARTICLE_PAD_LENGTH, pair[0].type);
    EXPECT_EQ(2u, pair[0].color);
    EXPECT_FLOAT_EQ(10 - 1.5f, pair[0].origin.x) << "at the two ends";
    EXPECT_FLOAT_EQ(10 + 1.5f, pair[1].origin.x);
}

TEST_F(Pad, ShrinkingSpawnsRedParticles)
{
    pad_length(&pad, -1);
    frame(1000, false);
    ASSERT_EQ(2u, new_effects());
    EXPECT_EQ(1u, last_effect().color);
    EXPECT_LT(pad.half_length, 1.5f);
}

}  // namespace
