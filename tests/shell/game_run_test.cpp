// Whole game runs in-process from a folder of the test's own, on a clock the test
// drives: what a player's machine throws at the game (broken data, odd windows,
// wild input, stalls), and a pack played from one level to the next.
#include "shell/game.h"
#include "shell/vertex.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <memory>

#include "tests/support/test_support.h"

namespace {

using namespace test_support;

// A level over -10..10 x -8..8: a world face behind the field, nine blocks of
// one hit near the top and one unbreakable block.
std::string level_text(const std::string& world_texture, const char* limits = "-10 10 -8 8")
{
    std::string face = "  VERTEX -0.9 -0.45 0.5\n  VERTEX 0.9 -0.45 0.5\n  VERTEX 0.9 0.45 0.5\n"
                       "  VERTEX -0.9 0.45 0.5\n";
    std::string uv = "  TEXCOORD 0 0\n  TEXCOORD 1 0\n  TEXCOORD 1 1\n  TEXCOORD 0 1\n";
    return std::string("WORLD\n  NUMFACES 1\n  FACES back\n  LIMITS ") + limits + "\nEND\n" +
           "FACE\n  ID back\n  VERTEX -40 -40 -1\n  VERTEX 40 -40 -1\n  VERTEX 40 40 -1\n"
           "  VERTEX -40 40 -1\n" +
           uv + "  TEXTURE " + world_texture + "\nEND\nFACE\n  ID front\n" + face + uv +
           "  TEXTURE block.bmp\nEND\nBLOCKS\n  NUMFACES 1\n  FACES front\n  LIVES 1\n"
           "  ORIGIN -6 6 0\n  ORIGIN -4 6 0\n  ORIGIN -2 6 0\n  ORIGIN 0 6 0\n  ORIGIN 2 6 0\n"
           "  ORIGIN 4 6 0\n  ORIGIN 6 6 0\n  ORIGIN -6 5 0\n  ORIGIN 6 5 0\nEND\n"
           "BLOCKS\n  NUMFACES 1\n  FACES front\n  LIVES 0\n  ORIGIN 0 2 0\nEND\n";
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
    int saved_err_ = -1;
    f32 outside_ms_[16] = {};  // how long each ball has been beyond a side or the top
    f32 worst_outside_ms_ = 0;

    void SetUp() override
    {
        write_file("world.bmp", solid_bmp(4, 4, 0, 255, 0));
        write_file("block.bmp", solid_bmp(4, 4, 255, 0, 0));
        write_file("level.map", level_text("world.bmp"));
        // The game's own data as links, any of which a test may break.
        ASSERT_EQ(0, system(("cp -rs " TUMBRELIX_SOURCE_DIR "/data data")));
        g_now = 1000;
        VTX_SetClock(fake_clock);
    }
    void TearDown() override
    {
        if (game_ && game_->stage != GAME_STAGE_NONE)
            game_stop(game_.get());
        end_capture();
        VTX_SetClock(nullptr);
    }
    // Sends the standard error stream to a file until end_capture.
    void begin_capture()
    {
        fflush(stderr);
        saved_err_ = dup(2);
        FILE* file = fopen("stderr.txt", "w");
        dup2(fileno(file), 2);
        fclose(file);
    }
    // Restores the standard error stream; returns what was written meanwhile.
    std::string end_capture()
    {
        if (saved_err_ < 0)
            return "";
        fflush(stderr);
        dup2(saved_err_, 2);
        close(saved_err_);
        saved_err_ = -1;
        return read_file("stderr.txt");
    }
    // Starts the game; a busy display that refuses a window gets a few more tries.
    int start(const std::string& map = "level.map")
    {
        u32 seed = 7;
        int status = 1;
        for (int attempt = 0; attempt < 10; attempt++) {
            game_ = std::make_unique<s_game>();
            status = game_start(game_.get(), map.c_str(), &seed);
            if (status == 0 || SDL_WasInit(SDL_INIT_VIDEO) || !strstr(SDL_GetError(), "X11"))
                break;
            usleep(100000);
        }
        return status;
    }
    // One frame lasting ms; then every body must be sound.
    void frame(u32 ms = 10)
    {
        g_now += ms;
        ASSERT_EQ(0, game_frame(game_.get()));
        check_bodies();
    }
    int balls_in_play() const
    {
        int count = 0;
        for (int slot = 0; slot < 16; slot++)
            count += game_->balls.states[slot] == 1;
        return count;
    }
    // A click of the left button held over two frames, as a player makes it.
    void click()
    {
        push_button(1, true);
        frame();
        frame();
        push_button(1, false);
        frame();
    }
    // Positions finite, the pad within its clamp, and the game time each ball
    // spends beyond a side or the top.
    void check_bodies()
    {
        s_game* game = game_.get();
        ASSERT_TRUE(finite(game->pad.coord) && finite(game->camera.view.current) &&
                    finite(game->camera.item.current));
        ASSERT_TRUE(game->pad.coord.x >= LEFT + 0.5f && game->pad.coord.x <= RIGHT - 0.5f);
        for (int slot = 0; slot < 16; slot++) {
            ASSERT_TRUE(game->bonuses.states[slot] != 1 ||
                        finite(game->bonuses.bonuses[slot].coord));
            const s_coord& ball = game->balls.balls[slot].coord;
            ASSERT_TRUE(game->balls.states[slot] != 1 || finite(ball)) << "ball " << slot;
            bool outside =
                game->balls.states[slot] == 1 && (ball.x < LEFT || ball.x > RIGHT || ball.y > TOP);
            outside_ms_[slot] = outside ? outside_ms_[slot] + gl_vertex.frame_time : 0;
            worst_outside_ms_ = std::max(worst_outside_ms_, outside_ms_[slot]);
        }
        for (u32 i = 0; i < game->particles.group_count; i++)
            ASSERT_TRUE(finite(game->particles.groups[i].origin));
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
        {"for f in data/musics/random/*; do head -c 3000 /dev/urandom >$f.ogg; done", "level.map",
         0, ""},
        {"", "bad_texture.map", 0, "Could not load broken.png.\n"},
        {"rm data/particle.bmp", "level.map", 1,
         "Could not start the particles: data/particle.bmp: cannot open: No such file or "
         "directory\n"},
        {"", "missing.map", 1, "Could not open file missing.map\n"},
        {"", "bad.map", 1, "bad.map:3: expected a number after LIMITS, found \"END\"\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.breakage) + " " + row.map);
        ASSERT_EQ(
            0, system((std::string("rm -rf data && cp -rs " TUMBRELIX_SOURCE_DIR "/data data && ") +
                       (*row.breakage ? row.breakage : "true"))
                          .c_str()));
        begin_capture();
        ASSERT_EQ(row.status, start(row.map));
        if (row.status == 0) {
            for (int i = 0; i < 5; i++)
                frame();
            click();
            EXPECT_EQ(balls_in_play(), 1) << "a click launches a ball";
            for (int i = 0; i < 30; i++)
                frame();
            game_stop(game_.get());
        }
        EXPECT_EQ(game_->stage, GAME_STAGE_NONE) << "everything started is stopped";
        EXPECT_EQ(end_capture(), row.err);
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
// pixels in one frame with the tilt held, and frames stalled for seconds.
TEST_F(game_run, odd_windows_wild_motion_and_stalls_keep_every_body_in_the_field)
{
    ASSERT_EQ(0, start());
    click();
    push_button(3, true);
    struct Row {
        int width, height;  // a resize, or -1
        int dx;             // a motion of dx, -dx pixels
        u32 ms;             // the first frame's length; the others last 10 ms
        int frames;
    };
    const Row rows[] = {
        {1, 1, 0, 10, 5},       {640, 0, 0, 10, 5},     {0, 0, 0, 10, 5},
        {640, 480, 0, 10, 5},   {-1, -1, 32767, 10, 2}, {-1, -1, -32768, 10, 2},
        {-1, -1, 30000, 10, 2}, {-1, -1, 0, 2000, 150}, {-1, -1, 0, 60000, 150},
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
            ASSERT_NO_FATAL_FAILURE(frame(i ? 10 : row.ms));
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
    }
    EXPECT_LE(worst_outside_ms_, 1000) << "a ball stayed outside the field";
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
        {"A Rather Long Name For A Level", 320, false, 120, 170, {16, 138, 300, 148}},
        {nullptr, 640, true, 180, 300, {183, 209, 458, 269}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.width << (row.pause ? " paused" : ""));
        push_resize(row.width, row.width * 3 / 4);
        if (row.title)
            hud_title(&game_->hud, row.title);
        if (row.pause)
            push_key(SDLK_p, true);
        frame();
        std::array<int, 4> box = white_box(row.bottom, row.top);
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR(box[i], row.box[i], 1) << "side " << i;
    }
    EXPECT_EQ(read_pixel(4, 4), (Rgb{0, 102, 0})) << "the paused picture is dimmed";
}

// The GL name the level's store holds for path, 0 if none.
u32 level_texture(s_game* game, const char* path)
{
    const s_surface* store = game->map.getSurface();
    for (u32 i = 0; i < store->entry_count; i++)
        if (std::string(store->names + store->entries[i].name_offset) == path)
            return store->entries[i].texture;
    return 0;
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
    u32 world = level_texture(game_.get(), "world.bmp"),
        block = level_texture(game_.get(), "block.bmp");
    ASSERT_TRUE(world && block);
    auto clear_level = [this] {
        for (s_block_group& group : game_->map.getMap()->groups)
            for (s_block& block : group.blocks)
                block.alive = block.alive && group.lives == 0;
    };
    auto play = [this](u32 ms) {
        for (u32 t = 0; t < ms; t += 100)
            ASSERT_NO_FATAL_FAILURE(frame(100));
    };

    click();
    clear_level();
    // The celebration's bursts go off in front of the blocks, within the upper field.
    int bursts = 0;
    for (int i = 0; i < 29; i++) {
        ASSERT_NO_FATAL_FAILURE(frame(100));
        for (u32 g = 0; g < game_->particles.group_count; g++) {
            const s_coord& at = game_->particles.groups[g].origin;
            if (at.z != 1)
                continue;
            bursts++;
            EXPECT_TRUE(at.x >= -7 && at.x <= 7 && at.y >= -2.4f && at.y <= 6.4f)
                << at.x << ", " << at.y;
        }
    }
    EXPECT_GT(bursts, 0);
    ball_list_insert(&game_->balls, 0, 0);
    bonus_list_insert(&game_->bonuses, 0, 0);
    g_now += 100;
    ASSERT_EQ(0, game_frame_input(game_.get()));
    EXPECT_EQ(0, progress_switch(game_.get())) << "still the cleared level before three seconds";
    game_frame_update(game_.get());
    g_now += 100;
    ASSERT_EQ(0, game_frame_input(game_.get()));
    EXPECT_EQ(1, progress_switch(game_.get()));
    game_frame_update(game_.get());

    EXPECT_STREQ(game_->hud.title, "Second");
    const f32 limits[4] = {-4, 8, -6, 6};
    for (int i = 0; i < 4; i++)
        EXPECT_TRUE(game_->balls.limits[i] == limits[i] && game_->bonuses.limits[i] == limits[i]);
    EXPECT_TRUE(game_->pad.limit_left == -4 && game_->pad.limit_right == 8);
    EXPECT_TRUE(game_->pad.coord.x == 2 && game_->pad.coord.y == -6);
    EXPECT_TRUE(game_->balls.empty && balls_in_play() == 0) << "the pad is ready to launch";
    for (int slot = 0; slot < 16; slot++)
        EXPECT_EQ(game_->bonuses.states[slot], 0);
    EXPECT_EQ(game_->camera.view_target->x, 2) << "view 0 looks at the middle of the new field";
    EXPECT_TRUE(game_->camera.view.current.x > 0 && game_->camera.view.current.x < 2)
        << "the camera glides to the new field: " << game_->camera.view.current.x;
    EXPECT_EQ(game_->map.getSurface()->entry_count, 2u);
    EXPECT_EQ(level_texture(game_.get(), "block.bmp"), block) << "a texture both levels use stays";
    EXPECT_TRUE(level_texture(game_.get(), "world2.bmp"));
    EXPECT_FALSE(glIsTexture(world)) << "the first level's own texture is released";
    // The side view tilts by the pad's place across the new field's width.
    for (int press = 0; press < 2; press++) {
        push_key(SDLK_SPACE, true);
        frame();
        push_key(SDLK_SPACE, false);
        frame();
    }
    EXPECT_EQ(game_->view_index, 2);
    EXPECT_FLOAT_EQ(game_->camera.item_target->ry, 2 * -30.0f / 12);

    // The first level spoiled on disk: reported when its turn comes, the cleared
    // level plays on, and the level after the spoiled one is tried a pause later.
    write_file("level.map", std::string("WORLD\nEND\n"));
    clear_level();
    begin_capture();
    play(3200);
    EXPECT_EQ(end_capture(),
              "./level.map:1: the world needs LIMITS with four numbers (left, right, "
              "bottom, top)\n");
    EXPECT_EQ(game_->balls.limits[0], -4);
    play(3000);
    EXPECT_STREQ(game_->hud.title, "Second");
    EXPECT_LT(game_->hud.title_ms, 1000) << "the second level came in again";
}

}  // namespace
