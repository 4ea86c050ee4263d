// Every picture, sound and music file the game loads exists and decodes through
// the game's own loaders, in the form and size the generator promises.
#include <GL/gl.h>
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <set>

#include "audio/decode.h"
#include "gfx/surface.h"
#include "level/reader.h"
#include "shell/vertex.h"
#include "tests/assets/assets_fixtures.h"

namespace {

// A decoded picture, released with the test.
struct s_picture {
    s_surface_image image = {};
    ~s_picture()
    {
        free(image.pixels);
    }
    const u8* at(u32 x, u32 row_from_bottom) const
    {
        u32 channels = image.format == GL_RGBA ? 4 : 3;
        return image.pixels + ((size_t)row_from_bottom * image.width + x) * channels;
    }
};

bool load_picture(s_picture& p, const std::string& path)
{
    bool bmp = std::filesystem::path(path).extension() == ".bmp";
    return (bmp ? surface_internal_load_bmp : surface_internal_load_png)(&p.image, path.c_str()) ==
           0;
}

// Mean colour of a picture, each channel from 0 to 1; false if it does not load.
bool mean_color(const std::string& path, float out[3])
{
    s_picture p;
    if (!load_picture(p, path))
        return false;
    double sum[3] = {0, 0, 0};
    for (u32 y = 0; y < p.image.height; y++)
        for (u32 x = 0; x < p.image.width; x++)
            for (int c = 0; c < 3; c++)
                sum[c] += p.at(x, y)[c];
    for (int c = 0; c < 3; c++)
        out[c] = (float)(sum[c] / (p.image.width * p.image.height) / 255.0);
    return true;
}

// Every texture named by a level of the pack.
std::set<std::string> level_textures()
{
    std::set<std::string> out;
    for (const std::string& path : asset_levels()) {
        s_map map;
        Reader reader(path);
        reader.read(map);
        for (const s_face& f : map.faces)
            out.insert(f.textures.begin(), f.textures.end());
    }
    return out;
}

// A whole file decoded to 16-bit frames.
struct s_sound {
    u32 channels = 0, rate = 0;
    std::vector<i16> samples;
};

bool decode_all(const std::string& path, s_sound& out)
{
    s_decoder decoder = {};
    if (decode_open_file(&decoder, path.c_str()) != 0) {
        ADD_FAILURE() << decoder.error;
        return false;
    }
    out.channels = decoder.channels;
    out.rate = decoder.rate;
    std::vector<i16> buffer(4096 * 2);
    u32 n;
    while ((n = decode_read(&decoder, buffer.data(), 4096)) > 0)
        out.samples.insert(out.samples.end(), buffer.begin(),
                           buffer.begin() + (size_t)n * decoder.channels);
    decode_close(&decoder);
    return true;
}

}  // namespace

TEST(AssetPictures, every_sprite_and_level_texture_loads_as_opaque_rgb_with_power_of_two_sides)
{
    ASSERT_TRUE(open_window(64, 64)) << "no GL window: " << SDL_GetError();
    s_surface store;
    surface_init(&store);
    std::set<std::string> paths = level_textures();
    for (const char* name : GAME_PICTURES)
        paths.insert(std::string("data/") + name);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        u32 texture = 0;
        EXPECT_EQ(surface_load(&store, path.c_str(), &texture), 0) << surface_last_error(&store);
        GLint width = 0, height = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        // Powers of two, so mipmapping never rescales.
        EXPECT_TRUE(width >= 64 && width <= 256 && (width & (width - 1)) == 0) << "width " << width;
        EXPECT_TRUE(height >= 32 && height <= 256 && (height & (height - 1)) == 0)
            << "height " << height;
        s_picture p;
        ASSERT_TRUE(load_picture(p, path)) << p.image.error;
        EXPECT_EQ(p.image.format, (u32)GL_RGB);
    }
    surface_stop(&store);
    for (const char* path : {"data/particle.bmp", "data/font_texture_00.bmp"}) {
        std::string header = read_file(path);
        ASSERT_GE(header.size(), 54u) << path;
        EXPECT_EQ(header[28] | header[29] << 8, 24) << path;
        EXPECT_EQ(header[30], 0) << path << " is compressed";
    }
}

TEST(AssetPictures, particle_is_a_bright_spot_fading_to_pure_black_at_the_edges)
{
    s_picture p;
    ASSERT_TRUE(load_picture(p, "data/particle.bmp"));
    u32 w = p.image.width, h = p.image.height;
    EXPECT_GT(p.at(w / 2, h / 2)[0], 240);
    for (u32 x : {0u, w - 1})
        for (u32 y : {0u, h / 2, h - 1})
            EXPECT_EQ(0, p.at(x, y)[0] | p.at(x, y)[1] | p.at(x, y)[2]) << x << ", " << y;
}

TEST(AssetPictures, font_glyphs_are_light_ringed_in_dark_on_pure_white)
{
    s_picture p;
    ASSERT_TRUE(load_picture(p, "data/font_texture_00.bmp"));
    ASSERT_EQ(p.image.width % 16, 0u);
    ASSERT_EQ(p.image.height % 16, 0u);
    u32 cw = p.image.width / 16, ch = p.image.height / 16;
    // 'w' white (transparent), 'l' light glyph, 'd' dark outline, '?' a shade that would stay opaque.
    auto kind = [&](int code, int x, int y) {
        if (x < 0 || y < 0 || x >= (int)cw || y >= (int)ch)
            return 'w';
        // Column code % 16 from the left, row code / 16 from the top of the picture.
        const u8* px = p.at((code % 16) * cw + x, p.image.height - 1 - ((code / 16) * ch + y));
        if (px[0] == 255 && px[1] == 255 && px[2] == 255)
            return 'w';
        if (px[0] > 192 && px[1] > 192 && px[2] > 160)
            return 'l';
        return px[0] < 64 && px[1] < 64 && px[2] < 64 ? 'd' : '?';
    };
    for (int code = 0; code < 256; code++) {
        int light = 0, dark = 0;
        for (int y = 0; y < (int)ch; y++)
            for (int x = 0; x < (int)cw; x++) {
                char k = kind(code, x, y);
                ASSERT_NE(k, '?') << "code " << code << " at " << x << ", " << y;
                light += k == 'l';
                dark += k == 'd';
                // Readable on any background: no light texel touches a transparent one.
                for (int dy = -1; dy <= 1 && k == 'l'; dy++)
                    for (int dx = -1; dx <= 1; dx++)
                        ASSERT_NE(kind(code, x + dx, y + dy), 'w')
                            << "code " << code << " at " << x << ", " << y;
            }
        bool printable = code > 32 && code < 127;
        EXPECT_TRUE(printable ? light > 4 && dark > 4 : light + dark == 0)
            << "code " << code << ": " << light << " light, " << dark << " dark texels";
    }
}

TEST(AssetPictures, ball_looks_and_bonus_faces_differ_at_a_glance)
{
    std::vector<std::vector<std::string>> sets = {
        {"ball_heavy", "ball_light", "ball_normal"},
        {"bonus_ball_oneshot", "bonus_ball_split", "bonus_ball_traverse", "bonus_ball_type_heavy",
         "bonus_ball_type_light", "bonus_pad_dec", "bonus_pad_inc"}};
    for (const std::vector<std::string>& set : sets) {
        std::vector<std::array<float, 3>> means(set.size());
        for (size_t i = 0; i < set.size(); i++)
            ASSERT_TRUE(mean_color("data/" + set[i] + ".png", means[i].data())) << set[i];
        for (size_t i = 0; i < means.size(); i++)
            for (size_t j = i + 1; j < means.size(); j++) {
                float d = 0;
                for (int c = 0; c < 3; c++)
                    d += std::fabs(means[i][c] - means[j][c]);
                EXPECT_GT(d, 0.15f) << set[i] << " and " << set[j];
            }
    }
}

TEST(AssetPictures, breakable_bricks_darken_as_they_crack)
{
    for (const char* color : {"red", "green", "blue"}) {
        float last = 10, m[3];
        for (int stage = 0; stage < 5; stage++) {
            ASSERT_TRUE(mean_color(std::string("data/blocks/brick_") + color + "_" +
                                       std::to_string(stage) + ".png",
                                   m));
            EXPECT_LT(m[0] + m[1] + m[2], last) << color << " stage " << stage;
            last = m[0] + m[1] + m[2];
        }
    }
}

TEST(AssetSounds,
     effects_are_short_plain_16_bit_mono_44100_unclipped_and_one_shots_start_and_end_silent)
{
    for (const char* name : GAME_SOUNDS) {
        SCOPED_TRACE(name);
        std::string path = std::string("data/sounds/") + name + ".wav", header = read_file(path);
        ASSERT_GE(header.size(), 44u);
        EXPECT_EQ(header[20], 1);  // plain PCM, not the extensible format
        EXPECT_EQ(header[34], 16);
        s_sound s;
        ASSERT_TRUE(decode_all(path, s));
        EXPECT_EQ(s.rate, 44100u);
        EXPECT_EQ(s.channels, 1u);
        float seconds = (float)s.samples.size() / s.rate;
        EXPECT_TRUE(seconds > 0.05f && seconds <= 1.0f) << seconds << " s";
        int peak = 0;
        for (i16 v : s.samples)
            peak = std::max(peak, std::abs((int)v));
        EXPECT_TRUE(peak > 32767 / 3 && peak < 32767 * 95 / 100) << "peak " << peak;
        if (std::string(name) != "pad_load") {
            EXPECT_LT(std::abs((int)s.samples.front()), 200);
            EXPECT_LT(std::abs((int)s.samples.back()), 200);
        }
    }
}

TEST(AssetSounds, pad_load_loops_without_a_click_at_the_seam)
{
    s_sound s;
    ASSERT_TRUE(decode_all("data/sounds/pad_load.wav", s));
    int largest_step = 0;
    for (size_t i = 1; i < s.samples.size(); i++)
        largest_step = std::max(largest_step, std::abs(s.samples[i] - s.samples[i - 1]));
    EXPECT_GT(largest_step, 0);
    EXPECT_LE(std::abs(s.samples.front() - s.samples.back()), largest_step);
}

TEST(AssetMusic, three_tracks_of_a_minute_or_more_decode_with_module_and_ogg_among_them)
{
    std::vector<std::string> tracks;
    for (const auto& entry : std::filesystem::directory_iterator("data/musics/random"))
        tracks.push_back(entry.path().string());
    std::sort(tracks.begin(), tracks.end());
    ASSERT_GE(tracks.size(), 3u);
    int modules = 0, oggs = 0;
    for (const std::string& path : tracks) {
        SCOPED_TRACE(path);
        s_sound s;
        ASSERT_TRUE(decode_all(path, s));
        modules += decode_is_tracker_name(path.c_str());
        oggs += std::filesystem::path(path).extension() == ".ogg";
        EXPECT_EQ(s.channels, 2u);
        float seconds = (float)s.samples.size() / s.channels / s.rate;
        EXPECT_GE(seconds, 60.0f);
        EXPECT_LE(seconds, 120.0f);
        // Loud enough all the way through: every ten seconds hold some sound.
        size_t window = (size_t)s.rate * s.channels * 10;
        for (size_t at = 0; at + window <= s.samples.size(); at += window) {
            int peak = 0;
            for (size_t i = at; i < at + window; i++)
                peak = std::max(peak, std::abs((int)s.samples[i]));
            EXPECT_GT(peak, 2000) << "quiet from " << at / s.channels / s.rate << " s";
        }
    }
    EXPECT_GE(modules, 1);
    EXPECT_GE(oggs, 1);
}
