// The bundled files are what the asset generator writes, and every picture, sound and music file
// decodes through the game's own loaders in the form the game needs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "audio/decode.h"
#include "gfx/image.h"
#include "tests/support/test_support.h"

using namespace test_support;

namespace {

// A picture decoded by the game's reader; no pixels if it failed.
struct s_picture {
    s_image image = {};
    explicit s_picture(const std::string& path)
    {
        if (image_load(&image, path.c_str()))
            ADD_FAILURE() << image.error;
    }
    ~s_picture()
    {
        image_free(&image);
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

TEST(asset_files, every_file_the_game_loads_decodes_in_the_form_the_game_needs)
{
    for (const char* name : GAME_PICTURES)
        EXPECT_TRUE(std::filesystem::exists(std::string("data/") + name)) << name;
    for (const char* name : GAME_SOUNDS)
        EXPECT_TRUE(std::filesystem::exists(std::string("data/sounds/") + name + ".wav")) << name;
    int tracks = 0, modules = 0, oggs = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator("data")) {
        std::string path = entry.path().string(), kind = entry.path().extension().string();
        if (kind == ".png" || kind == ".bmp") {
            s_picture p(path);
            u32 w = p.image.width, h = p.image.height;
            // Opaque, its sides powers of two so that mipmapping never rescales.
            EXPECT_TRUE(w >= 64 && w <= 256 && h >= 32 && h <= 256 && !(w & (w - 1)) &&
                        !(h & (h - 1)) && p.image.channels == 3)
                << path << ": " << w << " x " << h;
        } else if (entry.is_regular_file()) {
            u32 channels = 0, rate = 0;
            std::vector<i16> s = decode_all(path, channels, rate);
            int step = 0;
            for (size_t i = 1; i < s.size(); i++)
                step = std::max(step, std::abs(s[i] - s[i - 1]));
            bool effect = kind == ".wav", loop = entry.path().stem() == "pad_load";
            // Effects: short, mono at the mixer's rate and silent at both ends, or, for the
            // charging sound that loops, without a click at the seam. Music: a stereo minute.
            EXPECT_TRUE(effect ? rate == 44100 && channels == 1 && s.size() > 44100 / 20 &&
                                     s.size() <= 44100 &&
                                     (loop ? std::abs(s.front() - s.back()) <= step
                                           : std::abs(s.front()) < 200 && std::abs(s.back()) < 200)
                               : channels == 2 && s.size() >= rate * 2 * 60)
                << path;
            tracks += !effect;
            modules += decode_is_tracker_name(path.c_str());
            oggs += kind == ".ogg";
        }
    }
    EXPECT_TRUE(tracks >= 3 && modules >= 1 && oggs >= 1);
}

// The committed files came from an earlier run, so one fresh run equal to them shows the
// generator reproducible too.
TEST(asset_generator, a_fresh_run_writes_exactly_the_committed_files)
{
    const std::string tool = TUMBRELIX_BINARY_DIR "/tumbrelix-assets";
    ASSERT_TRUE(std::filesystem::exists(tool)) << "build the tumbrelix-assets target first";
    TempDir out;
    ASSERT_EQ(std::system(("'" + tool + "' " + out.path).c_str()), 0);
    size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(out.path)) {
        if (!entry.is_regular_file())
            continue;
        std::string committed = std::filesystem::relative(entry.path(), out.path).string();
        EXPECT_TRUE(read_file(entry.path()) == read_file(committed))
            << committed << " is not what the generator writes: run scripts/assets";
        count++;
    }
    EXPECT_GT(count, 100u);
}
