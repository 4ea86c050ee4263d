// The play field: balls, bonuses and the pad in play and drawn, by a clock
// driven by hand, with sounds through the real module on the loopback device.
#include <gtest/gtest.h>

#include <GL/glu.h>

#include <cmath>

#include "audio/chord.h"
#include "audio/sound.h"
#include "audio/sound_records.h"
#include "game/ball_list.h"
#include "game/bonus_list.h"
#include "game/pad.h"
#include "tests/support/test_support.h"

namespace {

using namespace test_support;

const f32 UP = 1.5707964f, DOWN = -1.5707964f, PI = 3.1415927f;
typedef std::vector<u32> sounds;

// Limits 0..20 x 0..30; the pad starts at x 10 with length 2, from 8 to 12.
class play_field : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories("data/sounds");
        for (const char* name : GAME_SOUNDS)
            ASSERT_TRUE(write_tone("data/sounds/" + std::string(name) + ".wav", WAV, 22050, 1,
                                   {{2.0, 441}}));
        ASSERT_EQ(0, CHD_Init(100, SOUND_INIT_LOOPBACK));
        surface_init(&surfaces);
        clock(1000, 10);
        ball_list_define(&balls, &particles, &surfaces, nullptr, 0, 20, 0, 30);
        bonus_list_define(&bonuses, &particles, &surfaces, 0, 20, 0, 30);
        pad_define(&pad, &particles, &surfaces, nullptr, 0, 20, 0);
        // As if every picture had loaded: a slot search running past the
        // states would read these instead of stopping at a zero.
        for (u32 t = 0; t < 3; t++)
            balls.textures[t] = 101 + t;
        mark();
    }
    void TearDown() override
    {
        CHD_Stop();
        particle_stop(&particles);
        surface_stop(&surfaces);
        std::fill(std::begin(gl_vertex.key), std::end(gl_vertex.key), 0);
        gl_vertex.mouse_dx = 0;
    }

    static void clock(u32 ticks, f32 frame_time)
    {
        gl_vertex.ticks = ticks;
        gl_vertex.frame_time = frame_time;
    }
    // Remembers every sound's latest channel and the effect count, to tell what starts later.
    void mark()
    {
        channels.assign(gl_chord.slots, gl_chord.slots + gl_chord.count);
        effects = particles.group_count;
    }
    // The sounds started since the mark and heard, by handle: a sound started
    // paused is not heard.
    sounds started() const
    {
        sounds handles;
        for (u32 h = 0; h < gl_chord.count; h++) {
            u32 channel = gl_chord.slots[h].channel;
            ALint state = 0;
            if (channel != 0 && channel != channels[h].channel)
                alGetSourcei(gl_chord.system->voices[(channel & 0xFF) - 1].source,
                             AL_SOURCE_STATE, &state);
            if (state == AL_PLAYING)
                handles.push_back(h);
        }
        return handles;
    }
    // Puts a ball into slot i, committed at (x0, y0) and proposed at (x1, y1).
    s_ball* place_ball(int i, f32 x0, f32 y0, f32 x1, f32 y1, f32 angle, f32 speed = 0.01f)
    {
        ball_define(&balls.balls[i], x0, y0, BALL_WEIGHT_NORMAL, 103, nullptr);
        mobile_define(&balls.balls[i].mobile, x1, y1, angle, speed);
        balls.states[i] = 1;
        balls.empty = 0;
        return &balls.balls[i];
    }
    s_bonus* place_bonus(int type, f32 x0, f32 y0, f32 x1, f32 y1, f32 angle)
    {
        bonus_define(&bonuses.bonuses[0], x0, y0, type, 0);
        mobile_define(&bonuses.bonuses[0].mobile, x1, y1, angle, 0.01f);
        bonuses.states[0] = 1;
        return &bonuses.bonuses[0];
    }
    // A group of blocks spanning x ±1 and y ±0.5 around each position.
    void add_group(int lives, std::initializer_list<std::pair<f32, f32>> at)
    {
        groups.push_back({{}, {}, {}, lives, {}, 0, {{-1, 1}, {-0.5f, 0.5f}, {0, 0}}});
        for (auto [x, y] : at)
            groups.back().blocks.push_back({true, 0, {x, y}, {x, y}});
    }
    // One 16 ms frame of the balls and the pad at tick now, in the game's order.
    void frame(u32 now, bool held)
    {
        clock(now, 16);
        gl_vertex.key[VTX_MOUSE_LEFT] = held;
        ball_list_loop(&balls);
        pad_loop(&pad, &balls);
        ball_list_collide(&balls, &pad, groups, &bonuses);
        ball_list_move(&balls);
        pad_move(&pad);
    }
    // Holds the button from tick from to tick to with a ball in play, so it charges.
    void charge(u32 from, u32 to)
    {
        place_ball(0, 1, 20, 1, 20, UP);
        frame(from, true);
        frame(to, true);
    }
    // Pitch of the charge sound as a multiple of its own frequency; 0 when silent.
    f32 load_pitch() const
    {
        const s_chd_slot& slot = gl_chord.slots[pad.sound_load];
        if (!sound_channel_is_playing(gl_chord.system, slot.channel))
            return 0;
        return sound_channel_get_frequency(gl_chord.system, slot.channel) / slot.frequency;
    }

    TempCwd dir;
    s_particle particles = {};
    s_surface surfaces;
    s_ball_list balls;
    s_bonus_list bonuses;
    s_pad pad;
    std::vector<s_chd_slot> channels;
    u32 effects = 0;
    std::vector<s_block_group> groups;
};

// One hit from below on a block at (10, 10), by the ball's powers and the
// block's lives and past hits; an effect of the sound's colour goes with it.
TEST_F(play_field, block_hit_depends_on_ball_powers_lives_and_hits_taken)
{
    const int T = BALL_STATE_TRAVERSE, O = BALL_STATE_ONESHOT;
    const u32 destroy = balls.sound_block_destroy, hit = balls.sound_block_hit;
    const u32 unbreakable = balls.sound_block_unbreakable, none = ~0u;
    std::fill(bonuses.states, bonuses.states + BONUS_LIST_SIZE, 1);  // no drop adds its sound
    // name, powers, lives, hits before, hits after, alive after, bounced, sound, colour
    const std::tuple<const char*, int, int, int, int, bool, bool, u32, u32> rows[] = {
        {"first of three hits", 0, 3, 0, 1, true, true, hit, 2},
        {"third of three hits destroys", 0, 3, 2, 3, false, true, destroy, 8},
        {"a destroyed block is not hit", 0, 3, 3, 3, false, false, none, 0},
        {"oneshot destroys at the first hit", O, 3, 0, 0, false, true, destroy, 8},
        {"traverse flies through a destroyed block", T, 1, 0, 1, false, false, destroy, 8},
        {"traverse bounces off a survivor", T, 3, 0, 1, true, true, hit, 2},
        {"lives 0 is unbreakable", T | O, 0, 0, 0, true, true, unbreakable, 7},
        {"negative lives are unbreakable", T | O, -2, 0, 0, true, true, unbreakable, 7},
    };
    for (auto [name, powers, lives, before, hits, alive, bounced, sound, colour] : rows) {
        SCOPED_TRACE(name);
        groups.clear();
        add_group(lives, {{10, 10}});
        s_block& block = groups[0].blocks[0];
        block = {before < lives || lives <= 0, before, {10, 10}, {10, 10}};
        s_ball* ball = place_ball(0, 10, 8.8f, 10, 9.2f, UP);
        ball->state = powers;
        mark();
        ball_list_collide(&balls, &pad, groups, &bonuses);
        EXPECT_EQ(alive, block.alive);
        EXPECT_EQ(hits, block.hits);
        EXPECT_EQ(bounced, mobile_speed_y(&ball->mobile) < 0);
        EXPECT_EQ(sound == none ? sounds{} : sounds{sound}, started());
        ASSERT_EQ(sound != none, particles.group_count - effects);
        EXPECT_EQ(colour, sound == none ? 0 : particles.groups[effects].color);
    }
}

TEST_F(play_field, two_blocks_hit_in_one_frame_reverse_each_component_once)
{
    add_group(3, {{9, 10}, {11, 10}});  // rising between two blocks, crossing both bottom faces
    s_ball* ball = place_ball(0, 10, 8.8f, 10, 9.2f, UP);
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_EQ(6.2831855f - UP, ball->mobile.angle);
    EXPECT_TRUE(groups[0].blocks[0].hits == 1 && groups[0].blocks[1].hits == 1);
}

TEST_F(play_field, destroyed_blocks_drop_a_bonus_where_they_were_one_time_in_ten)
{
    srand(12345);
    int drops = 0;
    for (int i = 0; i < 200; i++, bonuses.states[0] = 0) {
        groups.clear();
        add_group(1, {{14, 10}});
        place_ball(0, 14, 8.8f, 14, 9.2f, UP);
        ball_list_collide(&balls, &pad, groups, &bonuses);
        drops += bonuses.states[0];
    }
    EXPECT_TRUE(drops >= 8 && drops <= 40) << drops;
    EXPECT_TRUE(bonuses.bonuses[0].coord.x == 14 && bonuses.bonuses[0].coord.y == 10);
}

// A ball carried past a wall's line stops on it. There is no floor: a ball
// falls on until 5 units below the bottom and is lost.
TEST_F(play_field, walls_bounce_only_a_ball_heading_outwards_past_them)
{
    // name, from x, y, to x, y, angle, speed, angle after, lost, where it stays
    const std::tuple<const char*, f32, f32, f32, f32, f32, f32, f32, bool, f32, f32> rows[] = {
        {"left, heading right", 0.4f, 10, 0.3f, 10, 0.3f, 0.01f, 0.3f, false, 0.3f, 10},
        {"left, heading left", 0.4f, 10, 0.3f, 10, 3.0f, 0.01f, PI - 3.0f, false, 0.3f, 10},
        {"left, touching it exactly", 0.6f, 10, 0.5f, 10, 3.0f, 0.01f, 3.0f, false, 0.5f, 10},
        {"left, at rest", 0.3f, 10, 0.3f, 10, 3.0f, 0, 3.0f, false, 0.3f, 10},
        {"right, heading right", 19.4f, 10, 19.6f, 10, 0.3f, 0.01f, PI - 0.3f, false, 19.6f, 10},
        {"right, touching it exactly", 19.4f, 10, 19.5f, 10, 0.3f, 0.01f, 0.3f, false, 19.5f, 10},
        {"right, a long step past its line", 19, 10, 22, 10, 0.3f, 0.03f, PI - 0.3f, false, 20, 10},
        {"top, heading up", 10, 29.4f, 10, 29.6f, UP, 0.01f, 6.2831855f - UP, false, 10, 29.6f},
        {"top, touching it exactly", 10, 29.4f, 10, 29.5f, UP, 0.01f, UP, false, 10, 29.5f},
        {"top, already heading back", 10, 29.7f, 10, 29.6f, DOWN, 0.01f, DOWN, false, 10, 29.6f},
        {"top, a long step past its line", 10, 29, 10, 31, UP, 0.03f, 6.2831855f - UP, false, 10,
         30},
        {"bottom, above the loss depth", 5, -4.9f, 5, -4.99f, DOWN, 0.01f, DOWN, false, 5, -4.99f},
        {"bottom, below the loss depth", 5, -4.9f, 5, -5.01f, DOWN, 0.01f, DOWN, true, 5, -5.01f},
    };
    for (auto [name, x0, y0, x1, y1, angle, speed, after, lost, x, y] : rows) {
        SCOPED_TRACE(name);
        s_ball* ball = place_ball(0, x0, y0, x1, y1, angle, speed);
        mark();
        ball_list_collide(&balls, &pad, groups, &bonuses);
        EXPECT_FLOAT_EQ(after, ball->mobile.angle);
        EXPECT_EQ(after == angle ? sounds{} : sounds{balls.sound_wall}, started());
        EXPECT_EQ(!lost, balls.states[0]);
        EXPECT_EQ(lost, balls.empty);
        EXPECT_TRUE(ball->mobile.x == x && ball->mobile.y == y)
            << ball->mobile.x << " " << ball->mobile.y;
    }
}

// A long frame's step can carry a ball well past a wall before it turns back: a
// ball split off it starts against the wall, not outside the field.
TEST_F(play_field, a_ball_split_off_a_ball_past_a_wall_starts_against_it)
{
    const f32 rows[][4] = {{21.4f, 30.8f, 19.5f, 29.5f}, {-1.4f, 10, 0.5f, 10}};
    for (const auto& r : rows) {
        ball_list_reset(&balls, 0, 20, 0, 30);
        place_ball(0, r[0], r[1], r[0], r[1], UP);
        ball_list_insert(&balls, 0, 0);
        ASSERT_EQ(1, balls.states[1]);
        EXPECT_TRUE(balls.balls[1].mobile.x == r[2] && balls.balls[1].mobile.y == r[3]) << r[0];
    }
}

// In a corner the pad's sideways kick would send a ball that is still past the
// wall outwards again, bounce after bounce: the wall turns it back in.
TEST_F(play_field, a_ball_past_a_wall_kicked_outwards_by_the_pad_turns_back_in)
{
    ball_list_reset(&balls, 0, 11, 0, 30);
    s_ball* ball = place_ball(0, 11.4f, 1.2f, 11.4f, 0.9f, DOWN);
    mark();
    ball_list_collide(&balls, &pad, groups, &bonuses);
    EXPECT_LT(mobile_speed_x(&ball->mobile), 0);
    EXPECT_GT(mobile_speed_y(&ball->mobile), 0);
    EXPECT_EQ((sounds{balls.sound_pad, balls.sound_wall}), started());
}

// The pad bounces a ball up, pushes it sideways by 0.75 x speed at its ends, and
// damps it by 0.95 but never below the start speed 0.01; moving, it sweeps its path.
TEST_F(play_field, pad_deflects_by_contact_point_and_damps_the_speed)
{
    const f32 right = (f32)std::atan2(1.0, 0.75);
    // name, x, speed, pad moving to, angle after, speed after
    const std::tuple<const char*, f32, f32, f32, f32, f32> rows[] = {
        {"centre", 10, 0.02f, 10, UP, 0.019f},
        {"right end", 11.5f, 0.02f, 10, right, 0.019f},
        {"left end", 8.5f, 0.02f, 10, PI - right, 0.019f},
        {"just above the start speed", 10, 0.0105f, 10, UP, 0.0105f * 0.95f},
        {"below the start speed", 10, 0.004f, 10, UP, 0.01f},
        {"beside a pad moving over it", 15, 0.01f, 16, 0.3805f, 0.01f},
    };
    for (auto [name, x, speed, to, angle, damped] : rows) {
        pad.target_x = to;
        s_ball* ball = place_ball(0, x, 1.2f, x, 0.9f, DOWN, speed);
        mark();
        ball_list_collide(&balls, &pad, groups, &bonuses);
        EXPECT_EQ(sounds{balls.sound_pad}, started()) << name;
        EXPECT_NEAR(angle, ball->mobile.angle, 1e-4) << name;
        EXPECT_FLOAT_EQ(damped, ball->mobile.speed) << name;
    }
}

// 100 ms from (10, 10), normal ball up, light one right: 125 degrees of roll per unit.
TEST_F(play_field, gravity_motion_and_roll_follow_the_frame_time)
{
    const std::tuple<e_ball_type, f32, f32, f32, f32, f32, f32> rows[] = {
        {BALL_TYPE_NORMAL, UP, 0.009f, 10, 10.9f, -112.5f, 0},
        {BALL_TYPE_LIGHT, 0, 0.01f, 11, 10, 0, 125}};
    for (auto [type, angle, speed, x, y, rx, ry] : rows) {
        s_ball* ball = place_ball(0, 10, 10, 10, 10, angle);
        ball_list_type(&balls, type);
        clock(2000, 100);
        ball_list_loop(&balls);
        EXPECT_NEAR(speed, ball->mobile.speed, 1e-7);
        EXPECT_EQ(10, ball->coord.y) << "committed only by the move";
        ball_list_move(&balls);
        EXPECT_NEAR(x, ball->coord.x, 1e-5);
        EXPECT_NEAR(y, ball->coord.y, 1e-5);
        EXPECT_NEAR(rx, ball->coord.rx, 1e-3);
        EXPECT_NEAR(ry, ball->coord.ry, 1e-3);
    }
}

// A drop at (5, 10), seeded: launched within a sixteenth of a turn of vertical,
// tumbling by three spins under a tenth of a degree per ms, shedding particles
// every 25 ms (every third 10 ms frame), it rises five units and is lost below -5.
TEST_F(play_field, drop_rises_five_units_tumbles_falls_and_is_lost_below_bottom_minus_five)
{
    srand(31);
    bonus_list_insert(&bonuses, 5, 10);
    EXPECT_EQ(sounds{bonuses.sound_loot}, started());
    s_bonus* b = &bonuses.bonuses[0];
    EXPECT_LT(std::fabs(b->mobile.angle - UP), 0.19f);
    const f32 spin[3] = {b->spin[0], b->spin[1], b->spin[2]};
    for (f32 s : spin)
        EXPECT_TRUE(s != 0 && std::fabs(s) <= 0.1f) << s;
    f32 top = 10;
    u32 frames = 0;
    for (u32 now = 1000; now < 20000 && bonuses.states[0] == 1; now += 10, frames++) {
        clock(now, 10);
        bonus_list_loop(&bonuses);
        bonus_list_collide(&bonuses, &pad, &balls);
        bonus_list_move(&bonuses);
        top = std::max(top, b->coord.y);
    }
    EXPECT_NEAR(15, top, 0.2);
    EXPECT_LT(b->coord.y, -5);
    EXPECT_NEAR(spin[0] * 10 * frames, b->coord.rx, 1e-2);
    EXPECT_NEAR(spin[1] * 10 * frames, b->coord.ry, 1e-2);
    EXPECT_NEAR(spin[2] * 10 * frames, b->coord.rz, 1e-2);
    EXPECT_EQ(1 + (frames + 2) / 3, particles.group_count - effects) << "and one at the drop";
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
    for (const auto& [x0, x1, angle, expected] : rows) {
        s_bonus* b = place_bonus(BONUS_PAD_INC, x0, 10, x1, 10, angle);
        bonus_list_collide(&bonuses, &pad, &balls);
        EXPECT_FLOAT_EQ(expected, b->mobile.angle) << "from " << x0 << " to " << x1;
    }
    EXPECT_TRUE(started().empty());
}

// A bonus is one unit wide. Balls are in play in slots 0 (at x 3, with both
// powers) and 5, or in all sixteen. A caught bonus sparkles in colour 5.
TEST_F(play_field, catch_sounds_sparkles_and_applies_the_kind_to_the_pad_or_the_balls_in_play)
{
    const u32 N = BALL_LIST_SIZE, NORMAL = 103, HEAVY = 101, LIGHT = 102;
    const int O = BALL_STATE_ONESHOT, T = BALL_STATE_TRAVERSE;
    // name, kind, length before, x, balls before, length, powers, texture, balls
    const std::tuple<const char*, int, int, f32, u32, int, int, u32, u32> rows[] = {
        {"longer", BONUS_PAD_INC, 2, 10, 2, 3, 0, NORMAL, 2},
        {"shorter", BONUS_PAD_DEC, 2, 10, 2, 1, 0, NORMAL, 2},
        {"no longer than 10", BONUS_PAD_INC, 10, 10, 2, 10, 0, NORMAL, 2},
        {"no shorter than 1", BONUS_PAD_DEC, 1, 10, 2, 1, 0, NORMAL, 2},
        {"by its right edge", BONUS_PAD_INC, 2, 7.6f, 2, 3, 0, NORMAL, 2},
        {"missed beside the pad", BONUS_PAD_INC, 2, 7.4f, 2, 2, 0, NORMAL, 2},
        {"by its left edge", BONUS_PAD_INC, 2, 12.4f, 2, 3, 0, NORMAL, 2},
        {"missed on the other side", BONUS_PAD_INC, 2, 12.6f, 2, 2, 0, NORMAL, 2},
        {"oneshot", BONUS_BALL_ONESHOT, 2, 10, 2, 2, O, NORMAL, 2},
        {"traverse", BONUS_BALL_TRAVERSE, 2, 10, 2, 2, T, NORMAL, 2},
        {"heavy", BONUS_BALL_TYPE_HEAVY, 2, 10, 2, 2, 0, HEAVY, 2},
        {"light", BONUS_BALL_TYPE_LIGHT, 2, 10, 2, 2, 0, LIGHT, 2},
        {"split", BONUS_BALL_SPLIT, 2, 10, 2, 2, 0, NORMAL, 3},
        {"split with sixteen balls", BONUS_BALL_SPLIT, 2, 10, N, 2, 0, NORMAL, N},
        {"unknown kind", BONUS_TYPE_COUNT, 2, 10, 2, 2, 0, NORMAL, 2},
    };
    const f32 weights[] = {BALL_WEIGHT_HEAVY, BALL_WEIGHT_LIGHT, BALL_WEIGHT_NORMAL};
    for (auto [name, kind, length_before, x, before, length, powers, texture, after] : rows) {
        SCOPED_TRACE(name);
        ball_list_reset(&balls, 0, 20, 0, 30);
        for (u32 i = 0; i < N; i++)
            if (i == 0 || i == 5 || before == N)
                place_ball(i, 3 + i, 10, 3 + i, 10, UP)->state = i ? 0 : O | T;
        pad.length = length_before;
        mark();
        place_bonus(kind, x, 1.2f, x, 0.9f, DOWN);
        bonus_list_collide(&bonuses, &pad, &balls);
        bool caught = x != 7.4f && x != 12.6f, known = kind < BONUS_TYPE_COUNT;
        EXPECT_EQ(!caught, bonuses.states[0]);
        EXPECT_EQ(caught && known ? sounds{bonuses.sounds[kind % 7]} : sounds{}, started());
        EXPECT_EQ(caught ? 1 + (after > before) : 0, particles.group_count - effects)
            << "a new ball's effect";
        EXPECT_EQ(caught ? 5u : 0u, caught ? particles.groups[effects].color : 0u);
        EXPECT_EQ(length, pad.length);
        EXPECT_EQ(powers, balls.balls[5].state);
        EXPECT_EQ(texture, balls.balls[5].texture);
        EXPECT_EQ(weights[texture - HEAVY], balls.balls[5].weight);
        EXPECT_EQ(after, std::count(balls.states, balls.states + N, 1));
        EXPECT_FALSE(balls.empty) << "balls are in play, a full list too";
        EXPECT_TRUE(after != 3 || (balls.balls[1].coord.x == 3 && balls.balls[1].state == 0))
            << "a split ball appears at the lowest-numbered ball, fresh and normal";
    }
}

// Held for 1 s, or beyond the 2.5 s cap: pitch 1 + charge / 2.5 s, kick 0.00001 per ms.
TEST_F(play_field, charge_raises_the_pitch_and_kicks_once_up_to_two_and_a_half_seconds)
{
    const f32 rows[][3] = {{2000, 1.4f, 0.01f}, {5000, 2.0f, 0.025f}};
    for (const auto& [until, pitch, kick] : rows) {
        pad.state = PAD_STATE_IDLE;
        charge(1000, (u32)until);
        EXPECT_NEAR(pitch, load_pitch(), 1e-3);
        mark();
        EXPECT_FLOAT_EQ(kick, pad_release(&pad));
        EXPECT_EQ(sounds{pad.sound_release}, started());
        EXPECT_EQ(0, load_pitch());
        EXPECT_EQ(0, pad_release(&pad)) << "the charge is used up";
    }
}

// Growing from 2 to 3 takes about 2 s, a green pair of particles at the ends
// every 100 ms (112 on a 16 ms frame grid), until within a tenth of 3 x 0.75.
TEST_F(play_field, longer_pad_grows_to_its_new_length_over_about_two_seconds)
{
    pad_length(&pad, +1);
    for (u32 now = 1000; pad.resizing && now < 10000; now += 16)
        frame(now, false);
    EXPECT_NEAR(2.155f, pad.half_length, 0.005);
    EXPECT_EQ(36u, particles.group_count);
    const s_particle_group& end = particles.groups[0];
    EXPECT_TRUE(end.color == 2 && end.origin.x == 8.5f && end.origin.ry == 0) << "flat, at the end";
}

// Letting go after 2 s unloads for a fifth of that, the pitch falling back to 1.
// A click with no ball in play launches one from inside the pad (no touch), even
// while unloading, and waits for the button to go up.
TEST_F(play_field, unloading_lasts_a_fifth_of_the_charge_and_a_click_with_no_ball_launches_one)
{
    charge(1000, 3000);
    frame(3000, false);
    frame(3200, false);
    EXPECT_NEAR(1.4f, load_pitch(), 1e-3) << "winding down from 1.8, 200 of 500 ms left";
    EXPECT_EQ(0, pad_release(&pad)) << "no kick while unloading";
    frame(3400, false);
    EXPECT_EQ(PAD_STATE_UNLOAD, pad.state) << "the last millisecond still unloads";
    frame(3401, false);
    EXPECT_EQ(0, load_pitch());
    charge(4000, 5000);
    frame(5100, false);
    balls.states[0] = 0;
    balls.empty = 1;
    mark();
    for (u32 now = 5150; now < 5600; now += 16)
        frame(now, true);
    EXPECT_EQ(0, load_pitch()) << "the launch stops the charge sound";
    EXPECT_EQ(sounds{pad.sound_ball}, started()) << "and no touch of the pad";
    EXPECT_NEAR(10, balls.balls[0].coord.x, 1.5) << "launched from the pad";
    balls.states[0] = 0;
    balls.empty = 1;
    frame(5700, true);
    EXPECT_EQ(0, balls.states[0]) << "held on, nothing more happens";
    frame(5800, false);
    frame(5900, true);
    EXPECT_EQ(1, balls.states[0]);
}

// A pad at (0, -4), a ball at (5, 3) and a bonus at (-5, 3), 32 pixels per unit,
// from the front and from above (all on y 0): a capsule along x one unit thick
// and 2 half-lengths + 1 long, a sphere of half a unit, a unit cube showing its
// checkered picture whole; not a free ball slot at the origin. Drawing leaves no
// transform, texturing or error.
TEST_F(play_field, pad_ball_and_bonus_have_their_shapes)
{
    ASSERT_TRUE(open_window(640, 480, 24));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 10, -7.5, 7.5, -20, 20);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    GLUquadric* quadric = gluNewQuadric();
    pad.quadric = quadric;
    pad.coord.x = 0;
    pad.coord.y = -4;
    place_ball(3, 5, 3, 5, 3, UP)->quadric = quadric;
    coord_set_rot(&balls.balls[3].coord, 30, 40, 0);
    write_file("c.bmp", make_bmp({2, 2}, {0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0}));
    surface_load(&surfaces, "c.bmp", &place_bonus(BONUS_PAD_INC, -5, 3, -5, 3, UP)->texture);
    // tilt, x, y, lit
    const f32 points[][4] = {
        {0, 0, -4, 1},         {0, 1.9f, -4, 1},      {0, -1.9f, -4, 1},     {0, 2.2f, -4, 0},
        {0, -2.2f, -4, 0},     {0, 0, -3.3f, 0},      {0, 5, 3, 1},          {0, 5.4f, 3, 1},
        {0, 5.6f, 3, 0},       {0, -5.25f, 3.25f, 1}, {0, -4.75f, 2.75f, 1}, {0, -4.75f, 3.25f, 0},
        {0, -5.25f, 2.75f, 0}, {0, -5.6f, 3, 0},      {0, 0, 0, 0},          {90, 0, 0, 1},
        {90, 1.9f, 0, 1},      {90, -2.2f, 0, 0},     {90, 0, 0.7f, 0},      {90, 1.5f, 0.9f, 0},
        {90, 1.5f, -0.9f, 0},  {90, 5, 0, 1}};
    for (f32 tilt : {0, 90}) {
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        glRotatef(tilt, 1, 0, 0);
        pad_draw(&pad);
        ball_list_draw(&balls);
        bonus_list_draw(&bonuses);
        for (auto [at, x, y, on] : points)
            EXPECT_TRUE(at != tilt || on == (read_pixel(320 + x * 32, 240 + y * 32)[0] > 200))
                << x << ", " << y << " tilted " << tilt;
    }
    gluDeleteQuadric(quadric);
    GLint depth = -1;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_TRUE(depth == 1 && !glIsEnabled(GL_TEXTURE_2D) && glGetError() == GL_NO_ERROR);
}

}  // namespace
