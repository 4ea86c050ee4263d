// Whole game runs in-process from a folder of the test's own, on a clock the test
// drives: what a player's machine throws at the game (broken data, odd windows,
// wild input, stalls), and a pack played from one level to the next.
#include "shell/game.h"
#include "shell/replay.h"
#include "shell/swap.h"
#include "shell/watch.h"
#include "shell/vertex.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cmath>
#include <algorithm>
#include <memory>

#include "tests/support/test_support.h"

namespace {

using namespace test_support;

// A level over -10..10 x -8..8: a world face behind the field, nine blocks of
// one hit near the top and one unbreakable block.
std::string level_text(const std::string& world, const char* limits = "-10 10 -8 8")
{
    const std::string uv = " TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1 TEXTURE ";
    return std::string("WORLD NUMFACES 1 FACES back LIMITS ") + limits + " END\n" +
           "FACE ID back VERTEX -40 -40 -1 VERTEX 40 -40 -1 VERTEX 40 40 -1 VERTEX -40 40 -1" + uv +
           world + " END\nFACE ID front VERTEX -0.9 -0.45 0.5 VERTEX 0.9 -0.45 0.5" +
           " VERTEX 0.9 0.45 0.5 VERTEX -0.9 0.45 0.5" + uv + "block.bmp END\n" +
           "BLOCKS NUMFACES 1 FACES front LIVES 1 ORIGIN -6 6 0 ORIGIN -4 6 0 ORIGIN -2 6 0" +
           " ORIGIN 0 6 0 ORIGIN 2 6 0 ORIGIN 4 6 0 ORIGIN 6 6 0 ORIGIN -6 5 0 ORIGIN 6 5 0 END\n" +
           "BLOCKS NUMFACES 1 FACES front LIVES 0 ORIGIN 0 2 0 END\n";
}

u32 g_now;
u32 fake_clock()
{
    return g_now;
}

bool finite(const s_coord& c)
{
    return std::isfinite(c.x + c.y + c.z + c.rx + c.ry + c.rz);
}

class game_run : public ::testing::Test {
protected:
    static constexpr f32 LEFT = -10, RIGHT = 10, TOP = 8;
    TempCwd dir_;
    std::unique_ptr<s_game> game_;

    void SetUp() override
    {
        write_file("world.bmp", solid_bmp(4, 4, 0, 255, 0));
        write_file("block.bmp", solid_bmp(4, 4, 255, 0, 0));
        write_file("level.map", level_text("world.bmp"));
        link_data("true");
        g_now = 1000;
        VTX_SetClock(fake_clock);
    }
    void TearDown() override
    {
        if (game_ && game_->stage != GAME_STAGE_NONE)
            game_stop(game_.get());
        VTX_SetClock(nullptr);
    }
    // The game's own data as links, then the shell command breakage run on them.
    void link_data(const std::string& breakage)
    {
        std::string command = "rm -rf data && cp -rs " TUMBRELIX_SOURCE_DIR "/data data && ";
        ASSERT_EQ(0, system((command + breakage).c_str()));
    }
    // Starts the game; a busy display that refuses a window gets a few more tries.
    int start(const char* map = "level.map")
    {
        u32 seed = 7;
        for (int attempt = 0;; attempt++) {
            game_ = std::make_unique<s_game>();
            int status = game_start(game_.get(), map, &seed);
            if (status == 0 || attempt == 9 || !strstr(SDL_GetError(), "X11"))
                return status;
            usleep(100000);
        }
    }
    // One frame lasting ms; then every body must be sound.
    void frame(u32 ms = 10)
    {
        g_now += ms;
        ASSERT_EQ(0, game_frame(game_.get()));
        check_bodies();
    }
    // Every breakable block gone, as if hit.
    void clear_level()
    {
        for (s_block_group& group : game_->map.getMap()->groups)
            for (s_block& block : group.blocks)
                block.alive = block.alive && group.lives == 0;
    }
    // The GL name the level's store holds for path, or 0.
    u32 texture(const char* path) const
    {
        const s_surface* store = game_->map.getSurface();
        for (u32 i = 0; i < store->entry_count; i++)
            if (std::string(store->names + store->entries[i].name_offset) == path)
                return store->entries[i].texture;
        return 0u;
    }
    int balls_in_play() const
    {
        return (int)std::count(game_->balls.states, game_->balls.states + 16, 1);
    }
    // A click of the left button held over two frames, as a player makes it.
    void click()
    {
        push_press(1, true);
        frame();
        frame();
        push_press(1, false);
        frame();
    }
    // Every position finite, the pad within its clamp.
    void check_bodies()
    {
        const s_game& game = *game_;
        ASSERT_TRUE(finite(game.pad.coord) && finite(game.camera.view.current) &&
                    finite(game.camera.item.current));
        ASSERT_TRUE(game.pad.coord.x >= LEFT + 0.5f && game.pad.coord.x <= RIGHT - 0.5f);
        for (int slot = 0; slot < 16; slot++) {
            ASSERT_TRUE(game.bonuses.states[slot] != 1 || finite(game.bonuses.bonuses[slot].coord));
            ASSERT_TRUE(game.balls.states[slot] != 1 || finite(game.balls.balls[slot].coord));
        }
        for (u32 i = 0; i < game.particles.group_count; i++)
            ASSERT_TRUE(finite(game.particles.groups[i].origin));
    }
};

// Every row starts a game after breaking its data; a start that succeeds must
// launch a ball and play on.
TEST_F(game_run, broken_data_costs_at_most_one_line_and_the_game_plays_on)
{
    write_file("broken.png", "\x89PNG\r\n\x1a\n not really");
    write_file("bad_texture.map", level_text("broken.png"));
    write_file("bad.map", "WORLD\n  LIMITS -10 10 -8\nEND\n");
    struct Row {
        const char* breakage;  // shell command run in the game's folder
        const char* map;
        int status;
        const char* err;  // all of the standard error stream
    };
    const Row rows[] = {
        {"rm data/*.png data/font_texture_00.bmp data/sounds/*", "level.map", 0, ""},
        {"rm -r data/musics/random", "level.map", 0, ""},
        {"rm data/musics/random/*", "level.map", 0, ""},
        {"rm data/musics/random/* && head -c 3000 /dev/urandom >data/musics/random/noise.ogg",
         "level.map", 0, ""},
        {"true", "bad_texture.map", 0, "Could not load broken.png.\n"},
        {"rm data/particle.bmp", "level.map", 1,
         "Could not start the particles: data/particle.bmp: No such file or "
         "directory\n"},
        {"true", "missing.map", 1, "Could not open file missing.map\n"},
        {"true", "bad.map", 1, "bad.map:3: expected a number after LIMITS, found \"END\"\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.breakage) + " " + row.map);
        link_data(row.breakage);
        testing::internal::CaptureStderr();
        EXPECT_EQ(start(row.map), row.status);
        if (game_->stage == GAME_STAGE_RUNNING) {
            frame();
            click();
            EXPECT_EQ(balls_in_play(), 1) << "a click launches a ball";
            for (int i = 0; i < 10; i++)
                frame(50);
            game_stop(game_.get());
        }
        EXPECT_EQ(game_->stage, GAME_STAGE_NONE) << "everything started is stopped";
        EXPECT_EQ(game_->map.getSurface()->entry_count, 0u) << "level textures outlived the window";
        EXPECT_EQ(testing::internal::GetCapturedStderr(), row.err);
    }
}

// Sixteen balls spread over the field in all directions, fast.
void spread_balls(s_game* game)
{
    for (int slot = 0; slot < 16; slot++)
        ball_list_insert(&game->balls, 0, 0);
    for (int slot = 0; slot < 16; slot++) {
        f32 x = -8 + slot, y = -6 + (slot % 4) * 3;
        mobile_define(&game->balls.balls[slot].mobile, x, y, slot * 0.3926991f, 0.03f);
        coord_set_pos(&game->balls.balls[slot].coord, x, y, 0);
    }
}

// Row by row in one run: resizes down to nothing, mouse motions of thousands of
// pixels in one frame with the tilt held, and frames stalled for seconds; after
// each, every ball is back within the field.
TEST_F(game_run, odd_windows_wild_motion_and_stalls_keep_every_body_in_the_field)
{
    ASSERT_EQ(0, start());
    click();
    push_press(3, true);
    struct Row {
        int width, height;  // a resize, or -1
        int dx;             // a motion of dx, -dx pixels
        u32 ms;             // the first frame's length; the others last 20 ms
        int frames;
    };
    const Row rows[] = {
        {1, 1, 0, 20, 5},       {640, 0, 0, 20, 5},     {0, 0, 0, 20, 5},
        {640, 480, 0, 20, 5},   {-1, -1, 32767, 20, 2}, {-1, -1, -32768, 20, 2},
        {-1, -1, 30000, 20, 2}, {-1, -1, 0, 2000, 75},  {-1, -1, 0, 60000, 75},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.width << "x" << row.height << " dx " << row.dx << " "
                                        << row.ms << " ms");
        if (row.width >= 0)
            push_resize(row.width, row.height);
        if (row.dx)
            push_motion(row.dx, -row.dx);
        if (row.ms > 1000)
            spread_balls(game_.get());
        for (int i = 0; i < row.frames; i++)
            ASSERT_NO_FATAL_FAILURE(frame(i ? 20 : row.ms));
        if (row.width >= 0) {
            EXPECT_TRUE(gl_vertex.width == row.width && gl_vertex.height == row.height);
            GLfloat projection[16];
            glGetFloatv(GL_PROJECTION_MATRIX, projection);
            for (GLfloat value : projection)
                ASSERT_TRUE(std::isfinite(value));
        }
        if (row.dx) {
            EXPECT_FLOAT_EQ(game_->pad.coord.x, row.dx > 0 ? RIGHT - 0.5f : LEFT + 0.5f);
        }
        for (int slot = 0; slot < 16; slot++) {
            const s_coord& ball = game_->balls.balls[slot].coord;
            bool in_play = game_->balls.states[slot] == 1;
            EXPECT_FALSE(in_play && (ball.x < LEFT || ball.x > RIGHT || ball.y > TOP)) << slot;
        }
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

// The box {left, bottom, right, top} of the light grey to white pixels in rows
// bottom to top of the frame just drawn; right and top are -1 if there are none.
std::array<int, 4> white_box(int bottom, int top)
{
    int width = gl_vertex.width;
    std::vector<u8> rgb((size_t)width * (top - bottom + 1) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, bottom, width, top - bottom + 1, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::array<int, 4> box = {width, top, -1, -1};
    for (size_t i = 0; i < rgb.size(); i += 3) {
        int x = (int)(i / 3 % width), y = bottom + (int)(i / 3 / width);
        if (rgb[i] > 128 && rgb[i + 1] > 128 && rgb[i + 2] > 128)
            box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x),
                   std::max(box[3], y)};
    }
    return box;
}

// The words over the picture, each in its own band of rows: the level's title
// centred, a long one shrunk to fit a narrow window, and while paused the
// picture dimmed under "Paused" and the way back.
TEST_F(game_run, titles_and_the_paused_picture_sit_where_a_player_reads_them)
{
    ASSERT_EQ(0, start());
    struct Row {
        const char* title;       // a new title, or null
        int width;               // of a 4:3 window
        bool pause;              // P pressed
        int bottom, top;         // the band of rows searched
        std::array<int, 4> box;  // the light pixels found there, to a pixel
    };
    const Row rows[] = {
        {nullptr, 640, false, 250, 330, {266, 274, 373, 301}},  // "level", from its file
        {nullptr, 640, false, 0, 200, {231, 46, 408, 59}},  // the launch hint below the pad
        {"A Rather Long Name For A Level", 320, false, 120, 170, {16, 138, 300, 148}},
        {nullptr, 640, true, 180, 300, {201, 209, 438, 269}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.width << (row.pause ? " paused" : ""));
        push_resize(row.width, row.width * 3 / 4);
        if (row.title)
            hud_title(&game_->hud, row.title);
        if (row.pause)
            push_press(SDLK_p, true);
        frame();
        std::array<int, 4> box = white_box(row.bottom, row.top);
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR(box[i], row.box[i], 1) << "side " << i;
    }
    EXPECT_EQ(read_pixel(4, 4), (Rgb{0, 102, 0})) << "the paused picture is dimmed";
    // A message shows on a window too narrow for a glyph: nothing to write, no fault.
    hud_alert(&game_->hud, "level.map:1: a message", 1);
    push_resize(16, 12);
    frame();
}

// A level read again in place: its blocks keep what play did to them only while
// every group is the same, in faces, lives and each block's place on all three axes.
TEST_F(game_run, a_level_read_again_keeps_its_blocks_only_while_every_group_is_the_same)
{
    ASSERT_EQ(0, start());
    const std::string level = level_text("world.bmp");
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string text = level;
        return text.replace(text.find(from), from.size(), to);
    };
    // name, the level as saved again, the destroyed block stays destroyed
    const std::tuple<const char*, std::string, bool> rows[] = {
        {"unchanged", level, true},
        {"first group, across", edited("ORIGIN -6 6 0", "ORIGIN -5 6 0"), false},
        {"first group, in depth", edited("ORIGIN -6 6 0", "ORIGIN -6 6 1"), false},
        {"last group, up", edited("ORIGIN 0 2 0", "ORIGIN 0 3 0"), false},
        {"a block more", edited("ORIGIN 6 5 0", "ORIGIN 6 5 0 ORIGIN 6 4 0"), false},
        {"lives", edited("LIVES 1", "LIVES 2"), false},
    };
    for (const auto& [name, text, kept] : rows) {
        std::string error;
        for (const std::string& saved : {level, text}) {
            game_->map.getMap()->groups[0].blocks[1].alive = 0;
            write_file("level.map", saved);
            ASSERT_EQ(0, swap_level(game_.get(), "level.map", &error, SWAP_RELOAD)) << error;
        }
        EXPECT_EQ(!kept, game_->map.getMap()->groups[0].blocks[1].alive) << name;
    }
    // A picture edited on disk is read again with the level; the others stay as they are.
    u32 world = texture("world.bmp");
    write_file("block.bmp", solid_bmp(4, 4, 0, 0, 255));
    const std::vector<std::string> stale = {"block.bmp"};
    std::string error;
    ASSERT_EQ(0, swap_level(game_.get(), "level.map", &error, SWAP_RELOAD, &stale)) << error;
    u8 texel[4 * 4 * 3];
    glBindTexture(GL_TEXTURE_2D, texture("block.bmp"));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_TRUE(texel[0] == 0 && texel[2] == 255) << "the edited picture shows";
    EXPECT_EQ(world, texture("world.bmp")) << "the others are not loaded again";
}

// A two-level pack: a cleared level is celebrated, then replaced in place by the
// next, whose limits every play object and view takes; the textures both levels
// use are kept and the rest released; a level spoiled meanwhile is reported and
// the cleared one plays on.
TEST_F(game_run, cleared_level_gives_way_to_the_next_in_place_three_seconds_later)
{
    write_file("world2.bmp", solid_bmp(4, 4, 0, 0, 255));
    write_file("two.map", level_text("world2.bmp", "-4 8 -6 6"));
    write_file("pack.txt", "level.map First\ntwo.map Second\n");
    ASSERT_EQ(0, start("."));
    EXPECT_STREQ(game_->hud.title, "First");
    u32 world = texture("world.bmp"), block = texture("block.bmp");
    click();
    clear_level();
    // The celebration's bursts go off in front of the blocks, within the upper field.
    int bursts = 0;
    f32 left = 9, right = -9, bottom = 9, top = -9, farthest = 0;
    for (int i = 0; i < 29; i++) {
        ASSERT_NO_FATAL_FAILURE(frame(100));
        for (u32 g = 0; g < game_->particles.group_count; g++) {
            const s_particle_group& group = game_->particles.groups[g];
            const s_coord& at = group.origin;
            if (at.z != 1)
                continue;
            bursts++;
            EXPECT_TRUE(fabsf(at.x) <= 7 && at.y >= -2.41f && at.y <= 6.4f) << at.x;
            left = std::min(left, at.x), right = std::max(right, at.x);
            bottom = std::min(bottom, at.y), top = std::max(top, at.y);
            for (u32 d = 0; d < group.dot_count; d++)
                farthest = std::max(farthest, std::hypot(group.dots[d].x, group.dots[d].y));
        }
    }
    EXPECT_GT(bursts, 0);
    EXPECT_TRUE(right - left > 7 && top - bottom > 4) << "bursts all over the upper field";
    EXPECT_GT(farthest, 0.5f) << "their sparks fly apart";
    ball_list_insert(&game_->balls, 0, 0);
    bonus_list_insert(&game_->bonuses, 0, 0);
    for (int switched : {0, 1}) {  // 2.9 s after the clearing, then 3 s
        g_now += 100;
        ASSERT_EQ(0, game_frame_input(game_.get()));
        EXPECT_EQ(switched, progress_switch(game_.get()));
        game_frame_update(game_.get());
    }
    EXPECT_STREQ(game_->hud.title, "Second");
    const f32 limits[4] = {-4, 8, -6, 6};
    for (int i = 0; i < 4; i++)
        EXPECT_TRUE(game_->balls.limits[i] == limits[i] && game_->bonuses.limits[i] == limits[i]);
    EXPECT_TRUE(game_->pad.limit_left == -4 && game_->pad.limit_right == 8);
    EXPECT_TRUE(game_->pad.coord.x == 2 && game_->pad.coord.y == -6);
    EXPECT_TRUE(game_->balls.empty && balls_in_play() == 0) << "the pad is ready to launch";
    EXPECT_EQ(std::count(game_->bonuses.states, game_->bonuses.states + 16, 1), 0);
    EXPECT_EQ(game_->camera.view_target->x, 2) << "view 0 looks at the middle of the new field";
    EXPECT_TRUE(game_->camera.view.current.x > 0 && game_->camera.view.current.x < 2)
        << "the camera glides to the new field: " << game_->camera.view.current.x;
    EXPECT_EQ(game_->map.getSurface()->entry_count, 2u);
    EXPECT_TRUE(block && texture("block.bmp") == block) << "a texture both levels use stays";
    EXPECT_TRUE(texture("world2.bmp") && !glIsTexture(world)) << "the first level's own goes";
    for (int press = 0; press < 4; press++) {  // Space twice: the side view
        push_press(SDLK_SPACE, press % 2 == 0);
        frame();
    }
    EXPECT_EQ(game_->view_index, 2);
    EXPECT_FLOAT_EQ(game_->camera.item_target->ry, 2 * -30.0f / 12) << "tilted across 12 units";

    // The first level spoiled on disk: reported when its turn comes, the cleared
    // level plays on, and the level after the spoiled one is tried a pause later.
    write_file("level.map", std::string("WORLD\nEND\n"));
    clear_level();
    testing::internal::CaptureStderr();
    for (int i = 0; i < 32; i++)
        frame(100);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "./level.map:1: the world needs LIMITS with four numbers (left, right, bottom, "
              "top)\n");
    EXPECT_EQ(game_->balls.limits[0], -4);
    for (int i = 0; i < 30; i++)
        frame(100);
    EXPECT_STREQ(game_->hud.title, "Second");
    EXPECT_LT(game_->hud.title_ms, 1000) << "the second level came in again";
}

// One map file is no pack: play starts with the blocks where the reader put
// them (a circling one at its origin), and clearing the level is no event: no
// bursts, no sound, and the launch hint back whenever no ball is in play.
TEST_F(game_run, a_single_map_starts_as_read_and_clearing_it_is_no_event)
{
    write_file("level.map", level_text("world.bmp") +
                                "BLOCKS NUMFACES 1 FACES front LIVES 1 MOVE CIRCLE 2 3 2000 "
                                "ORIGIN 0 2 0 END\n");
    ASSERT_EQ(0, start());
    const s_block& circling = game_->map.getMap()->groups.back().blocks[0];
    EXPECT_TRUE(circling.position.x == 0 && circling.position.y == 2);
    click();
    clear_level();
    for (int i = 0; i < 50; i++)
        ASSERT_NO_FATAL_FAILURE(frame(100));
    for (u32 g = 0; g < game_->particles.group_count; g++)
        EXPECT_NE(game_->particles.groups[g].origin.z, 1) << "a burst went off";
    EXPECT_EQ(game_->progress.state, PROGRESS_PLAYING);
    game_->balls.empty = 1;
    for (int i = 0; i < 5; i++)
        frame(100);
    EXPECT_EQ(game_->hud.hint_alpha, 1);
}

// A pack recorded with the left button going down in the very frame of the
// level switch plays back the same game.
TEST_F(game_run, a_click_in_the_frame_of_a_level_switch_replays_exactly)
{
    write_file("two.map", level_text("world.bmp", "-4 8 -6 6"));
    write_file("pack.txt", "level.map First\ntwo.map Second\n");
    s_replay replay;
    std::string error;
    ASSERT_EQ(replay_record_open(&replay, "run.replay", ".", &error), 0) << error;
    ASSERT_EQ(0, start("."));
    ASSERT_EQ(replay_record_start(&replay, 7, &error), 0) << error;
    game_->replay = &replay;
    click();
    u32 cleared_at = replay.frame;  // the clearing is no input: playback makes it again
    clear_level();
    while (game_->progress.cleared_ms < PROGRESS_PAUSE_MS)
        frame(100);
    push_press(1, true);
    frame(100);
    EXPECT_STREQ(game_->hud.title, "Second") << "the switch came in the frame of the press";
    push_press(1, false);
    for (int i = 0; i < 30; i++)
        frame(50);
    game_stop(game_.get());
    ASSERT_EQ(replay_stop(&replay), 0);

    s_replay playback;
    ASSERT_EQ(replay_load(&playback, "run.replay", &error), 0) << error;
    ASSERT_EQ(0, start("."));
    replay_play_start(&playback, 0);
    game_->replay = &playback;
    while (game_frame(game_.get()) == 0)
        if (playback.frame == cleared_at)
            clear_level();
    EXPECT_FALSE(playback.diverged);
    EXPECT_EQ(playback.frame, playback.frames_total);
    EXPECT_GE(playback.checks, 4u);
    replay_stop(&playback);
}

// Live reload reads a changed map only once it has held still for one look: a
// save caught half-way, which may read as a smaller level, is passed over, and
// so is anything but a regular file put in its place.
TEST_F(game_run, live_reload_reads_a_save_only_once_it_has_held_still)
{
    ASSERT_EQ(0, start());
    s_watch watch;
    watch_start(&watch, "level.map", game_->map.getMap());
    auto look = [&] {
        watch.next_ms = 0;
        watch_loop(&watch, game_.get());
        return game_->map.getMap()->groups.size();
    };
    const std::string full =
        level_text("world.bmp") + "BLOCKS NUMFACES 1 FACES front LIVES 1 ORIGIN 0 -2 0 END\n";
    write_file("level.map", full.substr(0, full.find("BLOCKS")));  // the first write of a save
    EXPECT_EQ(look(), 2u) << "a file still changing is not read";
    write_file("level.map", full);
    EXPECT_EQ(look(), 2u);
    EXPECT_EQ(look(), 3u) << "held still: read";
    EXPECT_EQ(look(), 3u);
    ASSERT_EQ(0, unlink("level.map"));
    ASSERT_EQ(0, mkfifo("level.map", 0600));
    EXPECT_EQ(look(), 3u);
    EXPECT_EQ(look(), 3u) << "a FIFO in the map's place is never opened";
}

}  // namespace
