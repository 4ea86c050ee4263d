// Bonuses: dropping, flight, walls, loss, catching and the kinds' effects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

#include "game_fixture.h"

namespace {

using namespace game_test;

// A full list must not draw a random number, or a demo's run would change.
TEST_F(play_field, full_bonus_list_drops_nothing_and_draws_no_random_number)
{
    std::fill(bonuses.states, bonuses.states + BONUS_LIST_SIZE, 1);
    srand(77);
    bonus_list_insert(&bonuses, 5, 5);
    int next = rand();
    srand(77);
    EXPECT_EQ(rand(), next);
    EXPECT_EQ(0, started_count());
}

// Launches spread over a sixteenth of a turn each side of vertical; spins reach
// a tenth of a degree per ms either way on every axis.
TEST_F(play_field, drops_are_of_every_kind_launched_upward_and_spinning_on_every_axis)
{
    srand(31);
    std::set<int> kinds;
    f32 low = UP, high = UP, fastest[3] = {0, 0, 0};
    for (int i = 0; i < 300; i++, bonuses.states[0] = 0) {
        bonus_list_insert(&bonuses, 5, 7);
        const s_bonus& b = bonuses.bonuses[0];
        EXPECT_TRUE(i > 0 || started(bonuses.sound_loot));
        kinds.insert(b.type);
        low = std::min(low, b.mobile.angle);
        high = std::max(high, b.mobile.angle);
        for (int k = 0; k < 3; k++)
            fastest[k] = std::max(fastest[k], std::fabs(b.spin[k]));
    }
    EXPECT_EQ(7u, kinds.size());
    EXPECT_NEAR(UP - 0.19635f, low, 2e-3);
    EXPECT_NEAR(UP + 0.19635f, high, 2e-3);
    EXPECT_LT(high, UP + 0.19635f);
    for (f32 spin : fastest)
        EXPECT_NEAR(0.0995, spin, 0.0005) << "degrees per ms";
}

// From (5, 10) on 10 ms frames: it tumbles by its spins, sheds falling
// particles every 25 ms (every third frame), rises about five units and is
// lost once its committed position is below the bottom minus five.
TEST_F(play_field, drop_rises_five_units_tumbles_falls_and_is_lost_below_bottom_minus_five)
{
    park_pad(19.5f);
    s_bonus* b = place_bonus(0, BONUS_PAD_INC, 5, 10, 5, 10, UP);
    b->spin[0] = 0.05f;
    b->spin[1] = -0.02f;
    b->spin[2] = 0.1f;
    f32 top = 10, last_y = 10;
    u32 frames = 0;
    for (u32 now = 1000; now < 20000 && bonuses.states[0] == 1; now += 10, frames++) {
        set_clock(now, 10);
        bonus_list_loop(&bonuses);
        bonus_list_collide(&bonuses, &pad, &balls);
        last_y = b->coord.y;
        bonus_list_move(&bonuses);
        top = std::max(top, b->coord.y);
    }
    EXPECT_NEAR(15, top, 0.1);
    EXPECT_LT(last_y, -5) << "lost by its committed position";
    EXPECT_EQ(2, pad.length) << "never caught";
    EXPECT_NEAR(0.5 * frames, b->coord.rx, 1e-2);
    EXPECT_NEAR(-0.2 * frames, b->coord.ry, 1e-2);
    EXPECT_NEAR(1.0 * frames, b->coord.rz, 1e-2);
    EXPECT_EQ((frames + 2) / 3, new_effects());
    EXPECT_EQ((u32)PARTICLE_BONUS_FALL, last_effect().type);
}

// Unlike a ball, the bonus's centre must pass the limit; it turns silently.
TEST_F(play_field, side_wall_turns_a_bonus_only_when_its_centre_passes_the_limit)
{
    const f32 rows[][4] = {
        {19.6f, 19.7f, 0.2f, 0.2f},       // edge over the right limit only
        {19.9f, 20.1f, 0.2f, PI - 0.2f},  // centre past the right limit
        {-0.1f, -0.2f, 2.9f, PI - 2.9f},  // centre past the left limit
        {-0.2f, -0.1f, 0.2f, 0.2f},       // past the left limit, heading back in
    };
    park_pad(10);
    for (const auto& [x0, x1, angle, expected] : rows) {
        s_bonus* b = place_bonus(0, BONUS_PAD_INC, x0, 10, x1, 10, angle);
        bonus_list_collide(&bonuses, &pad, &balls);
        EXPECT_FLOAT_EQ(expected, b->mobile.angle) << "from " << x0 << " to " << x1;
    }
    EXPECT_EQ(0, started_count());
}

// The pad at x 10 spans 8 to 12 at length 2; a bonus is one unit wide. Balls
// are in play in slots 0 (at x 3, with both powers) and 5, or in all sixteen.
TEST_F(play_field, catch_sounds_sparkles_and_applies_the_kind_to_the_pad_or_the_balls_in_play)
{
    const u32 N = BALL_LIST_SIZE, NORMAL = 103, HEAVY = 101, LIGHT = 102;
    const int O = BALL_STATE_ONESHOT, T = BALL_STATE_TRAVERSE;
    // name, kind, length before, x off the pad's centre, balls before, length, powers, texture, balls
    const std::tuple<const char*, int, int, f32, u32, int, int, u32, u32> rows[] = {
        {"longer", BONUS_PAD_INC, 2, 0, 2, 3, 0, NORMAL, 2},
        {"shorter", BONUS_PAD_DEC, 2, 0, 2, 1, 0, NORMAL, 2},
        {"no longer than 10", BONUS_PAD_INC, 10, 0, 2, 10, 0, NORMAL, 2},
        {"no shorter than 1", BONUS_PAD_DEC, 1, 0, 2, 1, 0, NORMAL, 2},
        {"by its right edge", BONUS_PAD_INC, 2, -2.4f, 2, 3, 0, NORMAL, 2},
        {"by its left edge", BONUS_PAD_INC, 2, 2.4f, 2, 3, 0, NORMAL, 2},
        {"missed beside the pad", BONUS_PAD_INC, 2, -2.6f, 2, 2, 0, NORMAL, 2},
        {"oneshot", BONUS_BALL_ONESHOT, 2, 0, 2, 2, O, NORMAL, 2},
        {"traverse", BONUS_BALL_TRAVERSE, 2, 0, 2, 2, T, NORMAL, 2},
        {"heavy", BONUS_BALL_TYPE_HEAVY, 2, 0, 2, 2, 0, HEAVY, 2},
        {"light", BONUS_BALL_TYPE_LIGHT, 2, 0, 2, 2, 0, LIGHT, 2},
        {"split", BONUS_BALL_SPLIT, 2, 0, 2, 2, 0, NORMAL, 3},
        {"split with sixteen balls", BONUS_BALL_SPLIT, 2, 0, N, 2, 0, NORMAL, N},
        {"unknown kind", BONUS_TYPE_COUNT, 2, 0, 2, 2, 0, NORMAL, 2},
    };
    const f32 weights[] = {BALL_WEIGHT_HEAVY, BALL_WEIGHT_LIGHT, BALL_WEIGHT_NORMAL};
    park_pad(10);
    for (auto [name, kind, length_before, dx, before, length, powers, texture, after] : rows) {
        SCOPED_TRACE(name);
        ball_list_reset(&balls, LEFT, RIGHT, BOTTOM, TOP);
        for (u32 i = 0; i < N; i++)
            if (i == 0 || i == 5 || before == N)
                place_ball(i, 3 + i, 10, 3 + i, 10, UP)->state = i ? 0 : O | T;
        pad.length = length_before;
        mark();
        place_bonus(0, kind, 10 + dx, 1.2f, 10 + dx, 0.9f, DOWN);
        bonus_list_collide(&bonuses, &pad, &balls);
        bool caught = std::fabs(dx) < 2.5f, known = kind < BONUS_TYPE_COUNT;
        EXPECT_EQ(!caught, bonuses.states[0]);
        EXPECT_EQ(caught && known, started(bonuses.sounds[std::min(kind, 6)]));
        EXPECT_EQ(caught && known, started_count());
        EXPECT_EQ(caught ? 5u : 0u, new_effects() ? particles.groups[group_mark].color : 0u);
        EXPECT_EQ(length, pad.length);
        EXPECT_EQ(powers, balls.balls[5].state);
        EXPECT_EQ(texture, balls.balls[5].texture);
        EXPECT_EQ(weights[texture - HEAVY], balls.balls[5].weight);
        EXPECT_EQ(after, std::count(balls.states, balls.states + N, 1));
        // A split ball appears at the lowest-numbered ball, fresh and normal.
        EXPECT_EQ(after == 3 ? 3 : 0, after == 3 ? balls.balls[1].coord.x : 0);
        EXPECT_EQ(0, after == 3 ? balls.balls[1].state : 0);
    }
}

TEST_F(play_field, pad_catches_what_it_sweeps_over_but_not_a_bonus_dropped_this_frame)
{
    add_group(1, {{10, 0.8f}});  // a block lying on the pad, destroyed with B held
    gl_vertex.key[VTX_KEY_B] = 1;
    park_pad(10);
    place_ball(0, 10, -0.4f, 10, -0.1f, UP);
    collide();
    ASSERT_EQ(1, bonuses.states[0]);
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(1, bonuses.states[0]);
    pad.coord.x = 4;
    pad.target_x = 12;
    place_bonus(0, BONUS_PAD_INC, 8, 1.05f, 8, 0.95f, DOWN);
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(3, pad.length);
}

}  // namespace
