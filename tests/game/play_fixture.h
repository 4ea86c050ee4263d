// A play field for the gameplay tests: sounds loaded from tiny WAV files into
// the real sound module (loopback output), a particle system without textures,
// the ball list, the bonus list and the pad over limits 0..20 x 0..30.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audio/chord.h"
#include "audio/sound.h"
#include "game/ball_list.h"
#include "game/bonus_list.h"
#include "game/pad.h"
#include "game_fixture.h"
#include "gfx/particle.h"
#include "gfx/surface.h"
#include "level/level.h"

namespace game_test {

// Writes a mono 16-bit 22050 Hz WAV of a quiet square wave lasting ms.
inline bool write_wav(const char* path, int ms)
{
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    int frames = 22050 * ms / 1000;
    auto u16le = [f](int v) { fputc(v & 255, f); fputc((v >> 8) & 255, f); };
    auto u32le = [&](int v) { u16le(v & 0xffff); u16le((v >> 16) & 0xffff); };
    fputs("RIFF", f);
    u32le(36 + frames * 2);
    fputs("WAVEfmt ", f);
    u32le(16); u16le(1); u16le(1); u32le(22050); u32le(44100); u16le(2); u16le(16);
    fputs("data", f);
    u32le(frames * 2);
    for (int i = 0; i < frames; i++)
        u16le((i / 25) % 2 ? 2000 : -2000);
    return fclose(f) == 0;
}

class PlayField : public ::testing::Test {
protected:
    static constexpr f32 LEFT = 0, RIGHT = 20, BOTTOM = 0, TOP = 30;

    void SetUp() override
    {
        mkdir("data", 0755);
        mkdir("data/sounds", 0755);
        const char* sounds[] = {
            "ball_block_destroy", "ball_block_hit", "ball_block_unbreakable", "ball_pad",
            "ball_wall", "pad_ball", "pad_load", "pad_release", "bonus_loot",
            "bonus_take_ball_oneshot", "bonus_take_ball_split", "bonus_take_ball_traverse",
            "bonus_take_ball_weight_heavy", "bonus_take_ball_weight_light",
            "bonus_take_pad_dec", "bonus_take_pad_inc",
        };
        for (const char* name : sounds) {
            std::string path = std::string("data/sounds/") + name + ".wav";
            ASSERT_TRUE(write_wav(path.c_str(), 2000)) << path;
        }
        ASSERT_EQ(0, CHD_Init(100, SOUND_INIT_LOOPBACK));
        particles.textures = (u32*)calloc(PARTICLE_TYPE_COUNT, sizeof(u32));
        particles.groups = nullptr;
        particles.group_count = 0;
        particles.group_capacity = 0;
        surface_init(&surfaces);
        for (int k = 0; k < 512; k++)
            gl_vertex.key[k] = 0;
        gl_vertex.mouse_dx = 0;
        gl_vertex.mouse_dy = 0;
        set_clock(1000, 10);
        ball_list_define(&balls, &particles, &surfaces, nullptr, LEFT, RIGHT, BOTTOM, TOP);
        bonus_list_define(&bonuses, &particles, &surfaces, LEFT, RIGHT, BOTTOM, TOP);
        pad_define(&pad, &particles, &surfaces, nullptr, LEFT, RIGHT, BOTTOM);
        mark();
    }

    void TearDown() override
    {
        CHD_Stop();
        particle_stop(&particles);
        surface_stop(&surfaces);
        for (int k = 0; k < 512; k++)
            gl_vertex.key[k] = 0;
    }

    // Remembers the latest channel of every sound, to tell later which ones started.
    void mark()
    {
        channels.assign(gl_chord.slots, gl_chord.slots + gl_chord.count);
        group_mark = particles.group_count;
    }

    // True if the sound was started since the last mark.
    bool started(u32 handle) const
    {
        return handle < gl_chord.count && gl_chord.slots[handle].channel != 0 &&
               gl_chord.slots[handle].channel != channels[handle].channel;
    }

    // Number of sounds started since the last mark.
    int started_count() const
    {
        int n = 0;
        for (u32 h = 0; h < gl_chord.count; h++)
            n += started(h) ? 1 : 0;
        return n;
    }

    // True while the sound's latest channel is playing.
    bool playing(u32 handle) const
    {
        return sound_channel_is_playing(gl_chord.system, gl_chord.slots[handle].channel);
    }

    // Effects created since the last mark.
    u32 new_effects() const { return particles.group_count - group_mark; }
    const s_particle_group& last_effect() const { return particles.groups[particles.group_count - 1]; }

    // Puts a ball into slot i, committed at (x0, y0) and proposed at (x1, y1), with the given velocity.
    s_ball* place_ball(int i, f32 x0, f32 y0, f32 x1, f32 y1, f32 angle, f32 speed)
    {
        s_ball* ball = &balls.balls[i];
        ball_define(ball, x0, y0, BALL_WEIGHT_NORMAL, balls.textures[BALL_TYPE_NORMAL], nullptr);
        mobile_define(&ball->mobile, x1, y1, angle, speed);
        balls.states[i] = 1;
        balls.empty = 0;
        return ball;
    }

    // Puts a bonus of kind type into slot i, committed at (x0, y0), proposed at (x1, y1).
    s_bonus* place_bonus(int i, int type, f32 x0, f32 y0, f32 x1, f32 y1, f32 angle, f32 speed)
    {
        s_bonus* bonus = &bonuses.bonuses[i];
        bonus_define(bonus, x0, y0, type, bonuses.textures[type]);
        mobile_define(&bonus->mobile, x1, y1, angle, speed);
        bonuses.states[i] = 1;
        return bonus;
    }

    // Moves the pad (committed and target) to x.
    void park_pad(f32 x)
    {
        pad.coord.x = x;
        pad.target_x = x;
    }

    // A block group of the given lives whose box spans x ±1 and y ±0.5 around each block.
    static s_block_group make_group(int lives, std::initializer_list<std::pair<f32, f32>> at)
    {
        s_block_group group;
        group.lives = lives;
        group.sizes[0][0] = -1;
        group.sizes[0][1] = 1;
        group.sizes[1][0] = -0.5f;
        group.sizes[1][1] = 0.5f;
        for (auto& p : at) {
            s_block block;
            block.origin.x = block.position.x = p.first;
            block.origin.y = block.position.y = p.second;
            group.blocks.push_back(block);
        }
        return group;
    }

    scratch_dir dir;
    s_particle particles;
    s_surface surfaces;
    s_ball_list balls;
    s_bonus_list bonuses;
    s_pad pad;
    std::vector<s_chd_slot> channels;
    u32 group_mark = 0;
    std::vector<s_block_group> groups;
};

}  // namespace game_test
