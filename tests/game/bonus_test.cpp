// Bonuses: dropping, flight, walls, loss, catching and the kinds' effects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

#include "game_fixture.h"

namespace {

using namespace game_test;

class bonus_play : public play_field {
protected:
    // Drops a bonus of the kind onto the pad, dx off its centre, and runs the catch.
    void catch_bonus(int kind, f32 dx = 0)
    {
        mark();
        place_bonus(0, kind, pad.coord.x + dx, 1.2f, pad.coord.x + dx, 0.9f, DOWN);
        bonus_list_collide(&bonuses, &pad, &balls);
    }
};

TEST_F(bonus_play, full_list_drops_nothing_and_draws_no_random_number)
{
    std::fill(bonuses.states, bonuses.states + BONUS_LIST_SIZE, 1);
    srand(77);
    int expected = rand();
    srand(77);
    bonus_list_insert(&bonuses, 5, 5);
    EXPECT_EQ(expected, rand());
    EXPECT_EQ(0, started_count());
}

TEST_F(bonus_play, drops_are_of_every_kind_launched_upward_and_spinning_on_every_axis)
{
    srand(31);
    std::set<int> kinds;
    f32 fastest[3] = {0, 0, 0};
    for (int i = 0; i < 300; i++) {
        bonus_list_insert(&bonuses, 5, 7);
        const s_bonus& b = bonuses.bonuses[0];
        kinds.insert(b.type);
        EXPECT_TRUE(i > 0 || started(bonuses.sound_loot));
        EXPECT_NEAR(UP, b.mobile.angle, 0.19635f);
        EXPECT_EQ(0.01f, b.mobile.speed);
        for (int k = 0; k < 3; k++)
            fastest[k] = std::max(fastest[k], std::fabs(b.spin[k]));
        bonuses.states[0] = 0;
    }
    EXPECT_EQ(7u, kinds.size());
    for (f32 spin : fastest)
        EXPECT_NEAR(0.0995, spin, 0.0005) << "degrees per ms";
}

// From (5, 10) on 10 ms frames: it tumbles by its spins, sheds falling
// particles every 25 ms (every third frame), rises about five units and is
// lost once its committed position is below the bottom minus five.
TEST_F(bonus_play, drop_rises_five_units_tumbles_falls_and_is_lost_below_bottom_minus_five)
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

TEST_F(bonus_play, side_wall_turns_a_bonus_silently_only_when_its_centre_passes_the_limit)
{
    const struct {
        const char* name;
        f32 x0, x1, angle, expected;
    } rows[] = {
        {"edge over the right limit only", RIGHT - 0.4f, RIGHT - 0.3f, 0.2f, 0.2f},
        {"centre past the right limit", RIGHT - 0.1f, RIGHT + 0.1f, 0.2f, PI - 0.2f},
        {"centre past the left limit", LEFT - 0.1f, LEFT - 0.2f, 2.9f, PI - 2.9f},
        {"past the left limit, heading back in", LEFT - 0.2f, LEFT - 0.1f, 0.2f, 0.2f},
    };
    park_pad(10);
    for (const auto& r : rows) {
        s_bonus* b = place_bonus(0, BONUS_PAD_INC, r.x0, 10, r.x1, 10, r.angle);
        bonus_list_collide(&bonuses, &pad, &balls);
        EXPECT_FLOAT_EQ(r.expected, b->mobile.angle) << r.name;
    }
    EXPECT_EQ(0, started_count());
}

// The pad at x 10 spans 8 to 12 at length 2; a bonus is one unit wide.
TEST_F(bonus_play, catch_sounds_sparkles_and_changes_the_length_within_one_to_ten)
{
    const struct {
        const char* name;
        int kind, length_before;
        f32 dx;
        int length;
    } rows[] = {
        {"longer", BONUS_PAD_INC, 2, 0, 3},
        {"shorter", BONUS_PAD_DEC, 2, 0, 1},
        {"no longer than 10", BONUS_PAD_INC, 10, 0, 10},
        {"no shorter than 1", BONUS_PAD_DEC, 1, 0, 1},
        {"by its right edge", BONUS_PAD_INC, 2, -2.4f, 3},
        {"by its left edge", BONUS_PAD_INC, 2, 2.4f, 3},
        {"missed beside the pad", BONUS_PAD_INC, 2, -2.6f, 2},
    };
    park_pad(10);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        pad.length = r.length_before;
        catch_bonus(r.kind, r.dx);
        bool caught = std::fabs(r.dx) < 2.5f;
        EXPECT_EQ(r.length, pad.length);
        EXPECT_EQ(caught ? 0 : 1, bonuses.states[0]);
        EXPECT_EQ(caught, started(bonuses.sounds[r.kind]));
        EXPECT_EQ(caught ? 1 : 0, started_count());
        ASSERT_EQ(caught ? 1u : 0u, new_effects());
        EXPECT_EQ(caught ? 5u : 0u, caught ? last_effect().color : 0u);
    }
}

// Balls in play in slots 0 (at x 3) and 5 when the bonus is caught.
TEST_F(bonus_play, ball_kinds_act_on_the_balls_in_play_only)
{
    const struct {
        const char* name;
        int kind, full, state;
        f32 weight;
        u32 texture, in_play;
    } rows[] = {
        {"oneshot", BONUS_BALL_ONESHOT, 0, BALL_STATE_ONESHOT, BALL_WEIGHT_NORMAL, 103, 2},
        {"traverse", BONUS_BALL_TRAVERSE, 0, BALL_STATE_TRAVERSE, BALL_WEIGHT_NORMAL, 103, 2},
        {"heavy", BONUS_BALL_TYPE_HEAVY, 0, 0, BALL_WEIGHT_HEAVY, 101, 2},
        {"light", BONUS_BALL_TYPE_LIGHT, 0, 0, BALL_WEIGHT_LIGHT, 102, 2},
        {"split", BONUS_BALL_SPLIT, 0, 0, BALL_WEIGHT_NORMAL, 103, 3},
        {"split with sixteen balls", BONUS_BALL_SPLIT, 1, 0, BALL_WEIGHT_NORMAL, 103, 16},
        {"unknown kind", BONUS_TYPE_COUNT, 0, 0, BALL_WEIGHT_NORMAL, 103, 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ball_list_reset(&balls, LEFT, RIGHT, BOTTOM, TOP);
        for (int i = 0; i < BALL_LIST_SIZE; i++)
            if (i == 0 || i == 5 || r.full)
                place_ball(i, 3 + i, 10, 3 + i, 10, UP);
        balls.balls[0].state = BALL_STATE_ONESHOT | BALL_STATE_TRAVERSE;
        catch_bonus(r.kind);
        EXPECT_EQ(r.state, balls.balls[5].state);
        EXPECT_EQ(r.weight, balls.balls[5].weight);
        EXPECT_EQ(r.texture, balls.balls[5].texture);
        EXPECT_EQ(r.in_play, std::count(balls.states, balls.states + BALL_LIST_SIZE, 1));
        EXPECT_EQ(r.kind == BONUS_TYPE_COUNT ? 0 : 1, started_count());
        EXPECT_EQ(0, bonuses.states[0]);
        // A split ball appears at the lowest-numbered ball, fresh and normal.
        EXPECT_EQ(r.in_play == 3 ? 3 : 0, balls.states[1] && !r.full ? balls.balls[1].coord.x : 0);
        EXPECT_EQ(0, r.full ? 0 : balls.balls[1].state);
    }
}

TEST_F(bonus_play, pad_catches_what_it_sweeps_over_but_not_a_bonus_dropped_this_frame)
{
    // A block lying on the pad is destroyed with the B key held.
    groups.push_back(make_group(1, {{10, 0.8f}}));
    gl_vertex.key[VTX_KEY_B] = 1;
    park_pad(10);
    place_ball(0, 10, -0.4f, 10, -0.1f, UP);
    collide();
    ASSERT_EQ(1, bonuses.states[0]);
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(1, bonuses.states[0]);
    EXPECT_EQ(2, pad.length);

    pad.coord.x = 4;
    pad.target_x = 12;
    place_bonus(0, BONUS_PAD_INC, 8, 1.05f, 8, 0.95f, DOWN);
    bonus_list_collide(&bonuses, &pad, &balls);
    EXPECT_EQ(3, pad.length);
}

}  // namespace
