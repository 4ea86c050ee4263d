// The pad: mouse steering and clamping, the launcher's charge, kick and
// unloading with their sounds, launching, and the length animation.
#include <gtest/gtest.h>

#include "game_fixture.h"

namespace {

using namespace game_test;

class pad_play : public play_field {
protected:
    // One frame of the pad (and of a launched ball, when ball is set) at tick now.
    void frame(u32 now, bool held, bool ball = false)
    {
        set_clock(now, 16);
        gl_vertex.key[VTX_MOUSE_LEFT] = held;
        if (ball)
            ball_list_loop(&balls);
        pad_loop(&pad, &balls);
        if (ball) {
            collide();
            ball_list_move(&balls);
        }
        pad_move(&pad);
    }
    // Pitch of the charge sound as a multiple of its own frequency.
    f32 load_pitch() const
    {
        const s_chd_slot& slot = gl_chord.slots[pad.sound_load];
        return sound_channel_get_frequency(gl_chord.system, slot.channel) / slot.frequency;
    }
    bool load_playing() const
    {
        return sound_channel_is_playing(gl_chord.system, gl_chord.slots[pad.sound_load].channel);
    }
    // Holds the button from tick from to tick to with a ball in play, so it charges.
    void charge(u32 from, u32 to)
    {
        place_ball(0, 1, 20, 1, 20, UP);
        frame(from, true);
        if (to != from)
            frame(to, true);
    }
};

TEST_F(pad_play, mouse_moves_the_target_one_unit_per_hundred_pixels_clamped_half_a_unit_inside)
{
    EXPECT_EQ(10, pad.coord.x) << "starts in the middle";
    const f32 rows[][3] = {{10, 30, 10.3f}, {10, -2000, 0.5f}, {10, 5000, 19.5f}, {1, -50, 0.5f}};
    for (const auto& [from, dx, target] : rows) {
        park_pad(from);
        gl_vertex.mouse_dx = (i32)dx;
        pad_loop(&pad, &balls);
        EXPECT_EQ(from, pad.coord.x) << "committed only by pad_move";
        pad_move(&pad);
        EXPECT_FLOAT_EQ(target, pad.coord.x) << from << " moved by " << dx;
    }
}

// Held for 1 s, or beyond the 2.5 s cap: pitch 1 + charge / 2.5 s, kick 0.00001 per ms.
TEST_F(pad_play, charge_raises_the_pitch_and_kicks_once_up_to_two_and_a_half_seconds)
{
    const f32 rows[][3] = {{2000, 1.4f, 0.01f}, {5000, 2.0f, 0.025f}};
    for (const auto& [until, pitch, kick] : rows) {
        pad.state = PAD_STATE_IDLE;
        charge(1000, (u32)until);
        EXPECT_NEAR(pitch, load_pitch(), 1e-3);
        mark();
        EXPECT_FLOAT_EQ(kick, pad_release(&pad));
        EXPECT_EQ(PAD_STATE_FIRED, pad.state);
        EXPECT_TRUE(started(pad.sound_release));
        EXPECT_FALSE(load_playing());
        EXPECT_EQ(0, pad_release(&pad)) << "the charge is used up";
    }
    pad.state = PAD_STATE_IDLE;
    charge(1000, 2000);  // two balls on the pad in one frame: only the first is kicked
    balls.states[0] = 0;
    s_ball* first = place_ball(1, 9, 1.2f, 9, 0.9f, DOWN, 0.02f);
    s_ball* second = place_ball(4, 11, 1.2f, 11, 0.9f, DOWN, 0.02f);
    collide();
    EXPECT_NEAR((0.02 + 0.01) * 0.95, first->mobile.speed, 2e-4);
    EXPECT_FLOAT_EQ(0.02f * 0.95f, second->mobile.speed);
}

// Letting go after 2 s unloads for a fifth of that, the pitch falling back to 1.
TEST_F(pad_play, unloading_lasts_a_fifth_of_the_charge_and_a_press_during_it_charges_again)
{
    charge(1000, 3000);
    frame(3000, false);
    frame(3200, false);
    EXPECT_NEAR(1.4f, load_pitch(), 1e-3) << "winding down from 1.8, 200 of 500 ms left";
    EXPECT_EQ(0, pad_release(&pad)) << "no kick while unloading";
    frame(3400, false);
    EXPECT_EQ(PAD_STATE_UNLOAD, pad.state) << "the last millisecond still unloads";
    frame(3401, false);
    EXPECT_FALSE(load_playing());
    charge(4000, 5000);
    frame(5100, false);
    frame(5150, true);
    EXPECT_EQ(5150.0f, pad.load_time) << "charging restarts from the press";
    frame(5300, false);
    balls.states[0] = 0;
    balls.empty = 1;
    frame(5350, true);
    EXPECT_EQ(1, balls.states[0]) << "a launch while unloading";
    EXPECT_FALSE(load_playing()) << "stops the charge sound";
}

// The new ball starts inside the pad, which must not count as a touch.
TEST_F(pad_play, click_with_no_ball_launches_one_from_the_pad_and_waits_for_the_release)
{
    for (u32 now = 1000; now < 1480; now += 16)
        frame(now, true, true);
    EXPECT_TRUE(started(pad.sound_ball));
    EXPECT_FALSE(started(balls.sound_pad));
    EXPECT_NEAR(10, balls.balls[0].coord.x, 1.5) << "launched from the pad";
    EXPECT_GT(balls.balls[0].coord.y, 1.0f);
    balls.states[0] = 0;
    balls.empty = 1;
    frame(1500, true);
    EXPECT_EQ(0, balls.states[0]) << "held on, nothing more happens";
    frame(1600, false);
    frame(1700, true);
    EXPECT_EQ(1, balls.states[0]);
}

// Growing is green and shrinking red, a pair at the ends every 100 ms (112 ms
// on a 16 ms frame grid) until within a tenth of the goal; past 10 nothing moves.
TEST_F(pad_play, length_change_animates_the_half_length_with_particle_pairs_at_the_ends)
{
    const std::tuple<int, int, f32, u32, u32> rows[] = {
        {2, +1, 2.15f, 36, 2}, {2, -1, 0.85f, 36, 1}, {10, +1, 7.5f, 0, 0}};
    for (auto [from, delta, half, effects, colour] : rows) {
        pad.length = from;
        pad.half_length = from * PAD_STEP;
        pad.resize_next = 0;
        pad_length(&pad, delta);
        mark();
        for (u32 now = 1000; pad.resizing && now < 10000; now += 16)
            frame(now, false);
        EXPECT_NEAR(half, pad.half_length, 0.01) << from << " by " << delta;
        EXPECT_EQ(effects, new_effects()) << from << " by " << delta;
        const s_particle_group* pair = &particles.groups[group_mark];
        if (effects == 0)
            continue;
        EXPECT_EQ(colour, pair[0].color);
        EXPECT_FLOAT_EQ(10 - from * PAD_STEP, pair[0].origin.x) << "at the two ends";
        EXPECT_FLOAT_EQ(10 + from * PAD_STEP, pair[1].origin.x);
        EXPECT_EQ(0, pair[0].origin.ry) << "lying in the play plane, not turned with the capsule";
    }
}

}  // namespace
