// Shared by the gameplay tests: a driven clock and a play field over limits
// 0..20 x 0..30 whose sounds go through the real sound module on the loopback device.
#pragma once

#include <gtest/gtest.h>

#include "audio/chord.h"
#include "audio/sound.h"
#include "game/ball_list.h"
#include "game/bonus_list.h"
#include "game/pad.h"
#include "tests/support/test_support.h"

namespace game_test {

using namespace test_support;

const f32 UP = 1.5707964f, DOWN = -1.5707964f, PI = 3.1415927f;

inline void set_clock(u32 ticks, f32 frame_time)
{
    gl_vertex.ticks = ticks;
    gl_vertex.frame_time = frame_time;
}

class play_field : public ::testing::Test {
protected:
    static constexpr f32 LEFT = 0, RIGHT = 20, BOTTOM = 0, TOP = 30;

    void SetUp() override
    {
        std::filesystem::create_directories("data/sounds");
        for (const char* name : GAME_SOUNDS)
            ASSERT_TRUE(write_tone("data/sounds/" + std::string(name) + ".wav", WAV, 22050, 1,
                                   {{2.0, 441}}));
        ASSERT_EQ(0, CHD_Init(100, SOUND_INIT_LOOPBACK));
        surface_init(&surfaces);
        set_clock(1000, 10);
        ball_list_define(&balls, &particles, &surfaces, nullptr, LEFT, RIGHT, BOTTOM, TOP);
        bonus_list_define(&bonuses, &particles, &surfaces, LEFT, RIGHT, BOTTOM, TOP);
        pad_define(&pad, &particles, &surfaces, nullptr, LEFT, RIGHT, BOTTOM);
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

    // Remembers every sound's latest channel and the effect count, to tell what started later.
    void mark()
    {
        channels.assign(gl_chord.slots, gl_chord.slots + gl_chord.count);
        group_mark = particles.group_count;
    }
    bool started(u32 handle) const
    {
        return handle < gl_chord.count && gl_chord.slots[handle].channel != 0 &&
               gl_chord.slots[handle].channel != channels[handle].channel;
    }
    int started_count() const
    {
        int n = 0;
        for (u32 h = 0; h < gl_chord.count; h++)
            n += started(h);
        return n;
    }
    u32 new_effects() const
    {
        return particles.group_count - group_mark;
    }
    const s_particle_group& last_effect() const
    {
        return particles.groups[particles.group_count - 1];
    }
    void collide()
    {
        ball_list_collide(&balls, &pad, groups, &bonuses);
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
    s_bonus* place_bonus(int i, int type, f32 x0, f32 y0, f32 x1, f32 y1, f32 angle)
    {
        bonus_define(&bonuses.bonuses[i], x0, y0, type, 0);
        mobile_define(&bonuses.bonuses[i].mobile, x1, y1, angle, 0.01f);
        bonuses.states[i] = 1;
        return &bonuses.bonuses[i];
    }
    void park_pad(f32 x)
    {
        pad.coord.x = pad.target_x = x;
    }
    // A group of blocks spanning x ±1 and y ±0.5 around each position.
    void add_group(int lives, std::initializer_list<std::pair<f32, f32>> at)
    {
        groups.push_back({{}, {}, {}, lives, {}, 0, {{-1, 1}, {-0.5f, 0.5f}, {0, 0}}});
        for (auto [x, y] : at)
            groups.back().blocks.push_back({true, 0, {x, y}, {x, y}});
    }

    TempCwd dir;
    s_particle particles = {};
    s_surface surfaces;
    s_ball_list balls;
    s_bonus_list bonuses;
    s_pad pad;
    std::vector<s_chd_slot> channels;
    u32 group_mark = 0;
    std::vector<s_block_group> groups;
};

}  // namespace game_test
