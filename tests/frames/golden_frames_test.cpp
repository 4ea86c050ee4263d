// Golden frames: every bundled level played by the demo's autopilot on a fixed
// clock, one picture in each of the four views, compared with the PNGs beside
// this file. They hold what no checksum of play sees: colours, particles, the
// shapes of the pad and the bonuses, rotations, text. TUMBRELIX_FRAMES_RECORD=1
// (scripts/frames) writes the pictures instead of comparing them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gfx/image.h"
#include "shell/game.h"
#include "tests/support/test_support.h"
#include "tools/demo/autopilot.h"

namespace {

enum {
    FRAMES_WIDTH = 320,  // picture size, pixels
    FRAMES_HEIGHT = 240,
    FRAMES_STEP_MS = 10,       // fixed frame length
    FRAMES_PER_VIEW = 150,     // frames played in each view before its picture
    FRAMES_BONUS_AGE = 40,     // frames a bonus falls before the picture
    FRAMES_BALLS = 6,          // balls the autopilot keeps in play: blocks break, effects fly
    FRAMES_CHANNEL_SLACK = 8,  // a pixel whose channels all move by at most this is the same
    // Pixels allowed past that slack in one picture: the rasteriser may round an
    // edge to the next pixel when the same geometry reaches it another way.
    FRAMES_PIXELS_ALLOWED = 16,
};

u32 frames_now;
u32 frames_clock()
{
    frames_now += FRAMES_STEP_MS;
    return frames_now;
}

std::string frames_golden(const std::string& name)
{
    return std::string(TUMBRELIX_SOURCE_DIR) + "/tests/frames/" + name + ".png";
}

// The back buffer as a bottom-up RGB picture.
std::vector<u8> frames_read_back()
{
    std::vector<u8> rgb((size_t)FRAMES_WIDTH * FRAMES_HEIGHT * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, FRAMES_WIDTH, FRAMES_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return rgb;
}

bool frames_write(const std::string& path, std::vector<u8>& rgb)
{
    s_image image = {FRAMES_HEIGHT, FRAMES_WIDTH, rgb.data(), 3, {}};
    FILE* file = fopen(path.c_str(), "wb");
    bool written = file && image_write_png(&image, file, path.c_str()) == 0;
    return file && fclose(file) == 0 && written;
}

// Pixels of the picture that differ from the golden one past the slack; -1
// when the golden picture is missing or of another size.
long frames_differing(const std::string& path, const std::vector<u8>& rgb)
{
    s_image golden = {};
    FILE* file = fopen(path.c_str(), "rb");
    int failed = file ? image_read_png(&golden, file, path.c_str()) : 1;
    if (file)
        fclose(file);
    if (failed || golden.width != FRAMES_WIDTH || golden.height != FRAMES_HEIGHT ||
        golden.channels != 3) {
        if (!failed)
            image_free(&golden);
        return -1;
    }
    long differing = 0;
    for (size_t p = 0; p < rgb.size(); p += 3) {
        int worst = 0;
        for (int c = 0; c < 3; c++)
            worst = std::max(worst, abs((int)rgb[p + c] - (int)golden.pixels[p + c]));
        differing += worst > FRAMES_CHANNEL_SLACK;
    }
    image_free(&golden);
    return differing;
}

class golden_frames : public ::testing::TestWithParam<const char*> {};

TEST_P(golden_frames, each_view_draws_as_recorded)
{
    ASSERT_EQ(0, chdir(TUMBRELIX_SOURCE_DIR));
    const char* record = getenv("TUMBRELIX_FRAMES_RECORD");
    bool recording = record && std::string(record) == "1";
    std::string level = GetParam();
    frames_now = 1000;
    VTX_SetClock(frames_clock);
    std::unique_ptr<s_game> game;
    u32 seed = 1;
    // A busy display may refuse a window for a moment.
    for (int attempt = 0; attempt < 10; attempt++, usleep(100000)) {
        game = std::make_unique<s_game>();
        if (game_start(game.get(), ("levels/" + level + ".map").c_str(), &seed) == 0)
            break;
    }
    ASSERT_EQ(GAME_STAGE_RUNNING, game->stage);
    VTX_SetPausable(0);
    VTX_ScrResize(FRAMES_WIDTH, FRAMES_HEIGHT);
    s_autopilot pilot;
    autopilot_define(&pilot, seed, FRAMES_BALLS, 1.0f);
    pilot.next_view = ~0u;  // the views change here, each in turn
    for (int view = 0; view < 4; view++) {
        game->view_index = view - 1;
        game->view_changed = true;
        for (int frame = 0; frame < FRAMES_PER_VIEW; frame++) {
            // A bonus falls into every picture, whatever the blocks dropped.
            if (frame == FRAMES_PER_VIEW - FRAMES_BONUS_AGE)
                bonus_list_insert(&game->bonuses, game->centre_x - 3.0f + 2.0f * (f32)view, 2);
            ASSERT_EQ(0, game_frame_input(game.get()));
            autopilot_steer(&pilot, game.get());
            game_frame_update(game.get());
        }
        glFinish();
        std::vector<u8> rgb = frames_read_back();
        std::string name = level + "_view" + std::to_string(view);
        if (recording) {
            EXPECT_TRUE(frames_write(frames_golden(name), rgb)) << name;
            continue;
        }
        long differing = frames_differing(frames_golden(name), rgb);
        std::string actual = std::string(TUMBRELIX_BINARY_DIR) + "/" + name + ".png";
        EXPECT_TRUE(differing >= 0 && differing <= FRAMES_PIXELS_ALLOWED)
            << name << ": " << differing << " pixels differ (-1: no golden picture); drawn now: "
            << (frames_write(actual, rgb) ? actual : "(not written)");
    }
    game_stop(game.get());
    VTX_SetClock(nullptr);
}

INSTANTIATE_TEST_SUITE_P(levels, golden_frames,
                         ::testing::Values("default", "aquarium", "carousel", "temple", "reactor",
                                           "nebula"));

}  // namespace
