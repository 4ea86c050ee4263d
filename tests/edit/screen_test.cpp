// The editing screen in-process on a clock the test drives: still, it takes
// no memory frame after frame; test play and back gives the level as it was;
// quitting with a change not saved keeps it beside the map.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "edit/screen.h"
#include "shell/game.h"
#include "tests/support/test_support.h"
#include "tools/demo/alloc_count.h"

using namespace test_support;

namespace {

u32 g_now = 1000;
u32 fake_clock()
{
    return g_now;
}

// A key pressed in one frame and let go in the next; then one more frame.
void tap(s_game* game, int key)
{
    push_press(key, true);
    g_now += 16;
    edit_frame(game);
    push_press(key, false);
    for (int i = 0; i < 2; i++) {
        g_now += 16;
        edit_frame(game);
    }
}

// The pointer to x, y, the left button going down (1), up (-1) or neither; then a frame.
void mouse(s_game* game, int x, int y, int button)
{
    SDL_Event motion = {}, press = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = press.button.x = (Uint16)x;
    motion.motion.y = press.button.y = (Uint16)y;
    press.type = button > 0 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    press.button.button = 1;
    SDL_PushEvent(&motion);
    if (button)
        SDL_PushEvent(&press);
    g_now += 16;
    edit_frame(game);
}

}  // namespace

TEST(edit_screen, a_still_editor_allocates_nothing_and_test_play_gives_the_level_back_as_it_was)
{
    TempCwd dir;
    ASSERT_EQ(0, system("cp -rs " TUMBRELIX_SOURCE_DIR "/data data"));
    VTX_SetClock(fake_clock);
    static s_game game;
    std::string error;
    // A busy display that refuses a window gets a few more tries.
    int started = 1;
    for (int attempt = 0; attempt < 10 && started; attempt++)
        if ((started = edit_start(&game, "new.map", &error)) != 0)
            usleep(100000);
    ASSERT_EQ(started, 0) << error;
    tap(&game, 'n');  // a block where the pointer is
    tap(&game, 'm');  // moving
    const s_map& shown = *game.map.getMap();
    ASSERT_EQ(shown.groups.size(), 1u);
    ASSERT_EQ(shown.groups[0].blocks.size(), 1u);
    std::string before = edit_text(shown);

    alloc_count_start();
    for (int i = 0; i < 120; i++) {
        if (i == 60)
            tap(&game, 276);  // Left on the group line: one group, nothing changes
        g_now += 16;
        ASSERT_EQ(edit_frame(&game), 0);
    }
    EXPECT_EQ(alloc_count_read(), 0u);

    tap(&game, 286);                                       // F5
    game.map.getMap()->groups[0].blocks[0].alive = false;  // as a ball would leave it
    game.map.getMap()->groups[0].blocks[0].hits = 1;
    tap(&game, 286);
    const s_block& back = game.map.getMap()->groups[0].blocks[0];
    EXPECT_TRUE(back.alive);
    EXPECT_EQ(back.hits, 0);
    EXPECT_EQ(edit_text(*game.map.getMap()), before);

    // Two more blocks, the second selected; a press on the first drags the first.
    int w = gl_vertex.width, h = gl_vertex.height;
    mouse(&game, w / 3, h / 2, 0);
    tap(&game, 'n');
    mouse(&game, w * 2 / 3, h / 2, 0);
    tap(&game, 'n');
    mouse(&game, w / 3, h / 2, 1);
    mouse(&game, w / 3, h / 2 - 60, 0);
    mouse(&game, w / 3, h / 2 - 60, -1);
    const std::vector<s_block>& blocks = game.map.getMap()->groups[0].blocks;
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_GT(blocks[1].origin.y, blocks[2].origin.y);

    push_press(27, true);  // Escape
    g_now += 16;
    EXPECT_NE(edit_frame(&game), 0);
    edit_stop(&game);
    VTX_SetClock(nullptr);
    EXPECT_FALSE(std::filesystem::exists("new.map"));
    EXPECT_NE(read_file("new.map.unsaved").find("ORIGIN"), std::string::npos);
}
