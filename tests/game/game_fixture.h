// Shared by the gameplay tests: a GL window, a scratch directory, tiny BMP and
// WAV files, a driven clock, and a play field over limits 0..20 x 0..30 whose
// sounds go through the real sound module on the loopback device.
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/chord.h"
#include "audio/sound.h"
#include "game/ball_list.h"
#include "game/bonus_list.h"
#include "game/pad.h"
#include "gfx/particle.h"
#include "gfx/surface.h"
#include "level/level.h"
#include "shell/vertex.h"

namespace game_test {

const f32 UP = 1.5707964f;
const f32 DOWN = -1.5707964f;

inline void set_clock(u32 ticks, f32 frame_time)
{
    gl_vertex.ticks = ticks;
    gl_vertex.frame_time = frame_time;
}

// Opens the one window of the test program (kept open until exit) and clears
// it to black with identity matrices.
inline bool gl_ready()
{
    static int state = VTX_Init(640, 480, 24, 0) == 0 ? 1 : 0;
    if (state) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    return state == 1;
}

// Red channel of the back buffer at window pixel (x, y).
inline int red_at(int x, int y)
{
    u8 rgb[3];
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return rgb[0];
}

// Runs the test inside a fresh empty directory, removed afterwards.
class scratch_dir {
public:
    scratch_dir() : old_(std::filesystem::current_path())
    {
        char pattern[] = "/tmp/tumbrelix_game_XXXXXX";
        path_ = mkdtemp(pattern);
        std::filesystem::current_path(path_);
    }
    ~scratch_dir()
    {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(path_);
    }

private:
    std::filesystem::path old_, path_;
};

// Builds a little-endian file image: text tags and n-byte numbers.
struct bytes {
    std::string s;
    bytes& tag(const char* t) { s += t; return *this; }
    bytes& le(u32 v, int n)
    {
        for (int i = 0; i < n; i++)
            s += (char)(v >> (8 * i));
        return *this;
    }
    bool save(const char* path) const
    {
        FILE* f = fopen(path, "wb");
        bool ok = f && fwrite(s.data(), 1, s.size(), f) == s.size();
        return f && fclose(f) == 0 && ok;
    }
};

// A 4 x 4 white 24-bit BMP.
inline bool write_bmp(const char* path)
{
    bytes b;
    b.tag("BM").le(54 + 48, 4).le(0, 4).le(54, 4).le(40, 4).le(4, 4).le(4, 4).le(1, 2).le(24, 2);
    b.le(0, 4).le(48, 4).le(2835, 4).le(2835, 4).le(0, 4).le(0, 4);
    b.s.append(48, '\xff');
    return b.save(path);
}

// A mono 16-bit 22050 Hz WAV of a quiet square wave lasting ms.
inline bool write_wav(const char* path, int ms)
{
    u32 frames = 22050 * ms / 1000;
    bytes b;
    b.tag("RIFF").le(36 + frames * 2, 4).tag("WAVEfmt ").le(16, 4).le(1, 2).le(1, 2);
    b.le(22050, 4).le(44100, 4).le(2, 2).le(16, 2).tag("data").le(frames * 2, 4);
    for (u32 i = 0; i < frames; i++)
        b.le((u32)((i / 25) % 2 ? 2000 : -2000), 2);
    return b.save(path);
}

class PlayField : public ::testing::Test {
protected:
    static constexpr f32 LEFT = 0, RIGHT = 20, BOTTOM = 0, TOP = 30;

    void SetUp() override
    {
        std::filesystem::create_directories("data/sounds");
        for (const char* name :
             {"ball_block_destroy", "ball_block_hit", "ball_block_unbreakable", "ball_pad",
              "ball_wall", "pad_ball", "pad_load", "pad_release", "bonus_loot",
              "bonus_take_ball_oneshot", "bonus_take_ball_split", "bonus_take_ball_traverse",
              "bonus_take_ball_weight_heavy", "bonus_take_ball_weight_light",
              "bonus_take_pad_dec", "bonus_take_pad_inc"})
            ASSERT_TRUE(write_wav(("data/sounds/" + std::string(name) + ".wav").c_str(), 2000));
        ASSERT_EQ(0, CHD_Init(100, SOUND_INIT_LOOPBACK));
        particles = {};
        particles.textures = (u32*)calloc(PARTICLE_TYPE_COUNT, sizeof(u32));
        surface_init(&surfaces);
        clear_input();
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
        clear_input();
    }

    static void clear_input()
    {
        for (int k = 0; k < 512; k++)
            gl_vertex.key[k] = 0;
        gl_vertex.mouse_dx = gl_vertex.mouse_dy = 0;
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
            n += started(h) ? 1 : 0;
        return n;
    }

    bool playing(u32 handle) const
    {
        return sound_channel_is_playing(gl_chord.system, gl_chord.slots[handle].channel);
    }

    u32 new_effects() const { return particles.group_count - group_mark; }
    const s_particle_group& last_effect() const { return particles.groups[particles.group_count - 1]; }

    void collide() { ball_list_collide(&balls, &pad, groups, &bonuses); }

    // Puts a ball into slot i, committed at (x0, y0) and proposed at (x1, y1).
    s_ball* place_ball(int i, f32 x0, f32 y0, f32 x1, f32 y1, f32 angle, f32 speed = 0.01f)
    {
        s_ball* ball = &balls.balls[i];
        ball_define(ball, x0, y0, BALL_WEIGHT_NORMAL, balls.textures[BALL_TYPE_NORMAL], nullptr);
        mobile_define(&ball->mobile, x1, y1, angle, speed);
        balls.states[i] = 1;
        balls.empty = 0;
        return ball;
    }

    s_bonus* place_bonus(int i, int type, f32 x0, f32 y0, f32 x1, f32 y1, f32 angle)
    {
        s_bonus* bonus = &bonuses.bonuses[i];
        bonus_define(bonus, x0, y0, type, bonuses.textures[type]);
        mobile_define(&bonus->mobile, x1, y1, angle, 0.01f);
        bonuses.states[i] = 1;
        return bonus;
    }

    void park_pad(f32 x) { pad.coord.x = pad.target_x = x; }

    // A group of blocks spanning x ±1 and y ±0.5 around each position.
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
