// Every picture, sound and music file the game loads decodes through the game's own loaders, in
// the form, size and look the generator promises.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <set>

#include "audio/decode.h"
#include "gfx/surface.h"
#include "tests/assets/assets_fixtures.h"

namespace {

// A picture decoded by the texture store's reader; no pixels if it failed.
struct s_picture {
    s_surface_image image = {};
    explicit s_picture(const std::string& path)
    {
        bool bmp = path.size() > 4 && path.substr(path.size() - 4) == ".bmp";
        if ((bmp ? surface_internal_load_bmp : surface_internal_load_png)(&image, path.c_str()))
            ADD_FAILURE() << image.error;
    }
    ~s_picture()
    {
        free(image.pixels);
    }
    // RGB of a pixel counted from the top left.
    const u8* at(u32 x, u32 y) const
    {
        return image.pixels + ((size_t)(image.height - 1 - y) * image.width + x) * 3;
    }
};

// The whole file decoded to 16-bit frames; empty if it does not open.
std::vector<i16> decode_all(const std::string& path, u32& channels, u32& rate)
{
    s_decoder decoder;
    std::vector<i16> out, buffer(4096 * 2);
    if (decode_open_file(&decoder, path.c_str()) != 0)
        ADD_FAILURE() << decoder.error;
    for (u32 n; (n = decode_read(&decoder, buffer.data(), 4096)) > 0;)
        out.insert(out.end(), buffer.begin(), buffer.begin() + (size_t)n * decoder.channels);
    channels = decoder.channels;
    rate = decoder.rate;
    decode_close(&decoder);
    return out;
}

}  // namespace

TEST(asset_files, every_sprite_and_level_texture_decodes_as_opaque_rgb_with_power_of_two_sides)
{
    std::set<std::string> paths;
    for (const char* name : GAME_PICTURES)
        paths.insert(std::string("data/") + name);
    for (const std::string& level : asset_levels()) {
        s_map map;
        Reader(level).read(map);
        for (const s_face& f : map.faces)
            paths.insert(f.textures.begin(), f.textures.end());
    }
    for (const std::string& path : paths) {
        s_picture p(path);
        u32 w = p.image.width, h = p.image.height;
        // Powers of two, so mipmapping never rescales.
        EXPECT_TRUE(w >= 64 && w <= 256 && h >= 32 && h <= 256 && !(w & (w - 1)) && !(h & (h - 1)))
            << path << ": " << w << " x " << h;
        EXPECT_EQ(p.image.format, (u32)GL_RGB) << path;
    }
}

TEST(asset_files, effects_are_short_mono_44100_and_start_and_end_silent_or_loop_clean)
{
    for (const char* name : GAME_SOUNDS) {
        std::string path = std::string("data/sounds/") + name + ".wav";
        u32 channels, rate;
        std::vector<i16> s = decode_all(path, channels, rate);
        ASSERT_FALSE(s.empty()) << path;
        EXPECT_TRUE(rate == 44100 && channels == 1) << path;
        EXPECT_TRUE(s.size() > 44100 / 20 && s.size() <= 44100) << path << ": " << s.size();
        int step = 0;
        for (size_t i = 1; i < s.size(); i++)
            step = std::max(step, std::abs(s[i] - s[i - 1]));
        // The charging sound loops: its seam jumps no more than a step inside it does.
        if (std::string(name) == "pad_load")
            EXPECT_LE(std::abs(s.front() - s.back()), step) << path;
        else
            EXPECT_TRUE(std::abs(s.front()) < 200 && std::abs(s.back()) < 200) << path;
    }
}

TEST(asset_files, three_stereo_tracks_or_more_decode_a_module_and_an_ogg_among_them)
{
    int modules = 0, oggs = 0, tracks = 0;
    for (const auto& entry : std::filesystem::directory_iterator("data/musics/random")) {
        u32 channels, rate;
        size_t samples = decode_all(entry.path().string(), channels, rate).size();
        EXPECT_GE(samples, rate * 2 * 60) << entry.path() << " is shorter than a minute";
        EXPECT_EQ(channels, 2u) << entry.path();
        tracks++;
        modules += decode_is_tracker_name(entry.path().c_str());
        oggs += entry.path().extension() == ".ogg";
    }
    EXPECT_TRUE(tracks >= 3 && modules >= 1 && oggs >= 1);
}
