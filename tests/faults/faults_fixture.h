// A whole game run in-process from a directory of the test's own: the game's
// data linked in file by file (so any one can be left out), a small level with
// solid-colour textures, a clock the test advances, input pushed as SDL events,
// and the standard error stream captured.
#pragma once

#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "shell/game.h"
#include "shell/vertex.h"
#include "tests/support/test_support.h"

namespace faults_test {

using namespace test_support;

// Every file the game itself loads from data/ (the level's textures aside).
inline std::vector<std::string> game_data_files()
{
    std::vector<std::string> files(std::begin(GAME_PICTURES), std::end(GAME_PICTURES));
    for (const char* sound : GAME_SOUNDS)
        files.push_back(std::string("sounds/") + sound + ".wav");
    return files;
}

// A level over -10..10 x -8..8: one green world face behind the field and two
// rows of red blocks (one hit each) and one grey unbreakable block.
inline std::string level_text(const std::string& world_texture)
{
    return "WORLD\n  NUMFACES 1\n  FACES back\n  LIMITS -10 10 -8 8\nEND\n"
           "FACE\n  ID back\n  VERTEX -40 -40 -1\n  VERTEX 40 -40 -1\n  VERTEX 40 40 -1\n"
           "  VERTEX -40 40 -1\n  TEXCOORD 0 0\n  TEXCOORD 1 0\n  TEXCOORD 1 1\n  TEXCOORD 0 1\n"
           "  TEXTURE " +
           world_texture +
           "\nEND\n"
           "FACE\n  ID front\n  VERTEX -0.9 -0.45 0.5\n  VERTEX 0.9 -0.45 0.5\n"
           "  VERTEX 0.9 0.45 0.5\n  VERTEX -0.9 0.45 0.5\n  TEXCOORD 0 0\n  TEXCOORD 1 0\n"
           "  TEXCOORD 1 1\n  TEXCOORD 0 1\n  TEXTURE block.bmp\nEND\n"
           "BLOCKS\n  NUMFACES 1\n  FACES front\n  LIVES 1\n"
           "  ORIGIN -6 6 0\n  ORIGIN -4 6 0\n  ORIGIN -2 6 0\n  ORIGIN 0 6 0\n  ORIGIN 2 6 0\n"
           "  ORIGIN 4 6 0\n  ORIGIN 6 6 0\n  ORIGIN -6 5 0\n  ORIGIN 6 5 0\nEND\n"
           "BLOCKS\n  NUMFACES 1\n  FACES front\n  LIVES 0\n  ORIGIN 0 2 0\nEND\n";
}

// The frame clock the game reads while a test runs.
inline u32 g_now = 1000;
inline u32 fake_clock()
{
    return g_now;
}

inline bool finite_coord(const s_coord& c)
{
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z) && std::isfinite(c.rx) &&
           std::isfinite(c.ry) && std::isfinite(c.rz);
}

class GameRun : public ::testing::Test {
protected:
    static constexpr f32 LEFT = -10, RIGHT = 10, BOTTOM = -8, TOP = 8;

    TempCwd dir_;
    std::string err_path_ = dir_.file("stderr.txt");
    std::unique_ptr<s_game> game_;
    int saved_err_ = -1;
    f32 outside_ms_[16] = {};  // how long each ball has been beyond a side or top limit
    f32 worst_outside_ms_ = 0;

    void SetUp() override
    {
        ASSERT_TRUE(write_file("world.bmp", solid_bmp(4, 4, 0, 255, 0)));
        ASSERT_TRUE(write_file("block.bmp", solid_bmp(4, 4, 255, 0, 0)));
        write_file("level.map", level_text("world.bmp"));
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

    // Builds data/ from links to the bundled files, leaving out the one named.
    void link_data(const std::string& left_out = "")
    {
        EXPECT_EQ(0, system("rm -rf data && mkdir -p data/sounds data/musics"));
        std::string source = std::string(TUMBRELIX_SOURCE_DIR) + "/data/";
        for (const std::string& file : game_data_files()) {
            if (file != left_out) {
                EXPECT_EQ(0, symlink((source + file).c_str(), ("data/" + file).c_str())) << file;
            }
        }
        EXPECT_EQ(0, symlink((source + "musics/random").c_str(), "data/musics/random"));
    }

    // Sends the standard error stream to a file until end_capture.
    void begin_capture()
    {
        fflush(stderr);
        saved_err_ = dup(2);
        FILE* f = fopen(err_path_.c_str(), "w");
        ASSERT_NE(f, nullptr);
        dup2(fileno(f), 2);
        fclose(f);
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
        return read_file(err_path_);
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
            fprintf(stdout, "window refused (%s), trying again\n", SDL_GetError());
            if (saved_err_ >= 0) {
                end_capture();
                begin_capture();
            }
            usleep(100000);
        }
        return status;
    }

    // One frame lasting ms; returns non-zero when the game asks to end.
    int frame(u32 ms = 10)
    {
        g_now += ms;
        int end = game_frame(game_.get());
        check_bodies();
        return end;
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

    // After every frame: positions finite, the pad within its clamp, and the
    // time each ball spends beyond a side or top limit.
    void check_bodies()
    {
        s_game* game = game_.get();
        ASSERT_TRUE(finite_coord(game->pad.coord));
        ASSERT_GE(game->pad.coord.x, LEFT + 0.5f);
        ASSERT_LE(game->pad.coord.x, RIGHT - 0.5f);
        ASSERT_TRUE(finite_coord(game->camera.view.current));
        ASSERT_TRUE(finite_coord(game->camera.item.current));
        for (int slot = 0; slot < 16; slot++) {
            if (game->bonuses.states[slot] == 1) {
                ASSERT_TRUE(finite_coord(game->bonuses.bonuses[slot].coord)) << "bonus " << slot;
            }
            if (game->balls.states[slot] != 1) {
                outside_ms_[slot] = 0;
                continue;
            }
            const s_ball& ball = game->balls.balls[slot];
            ASSERT_TRUE(finite_coord(ball.coord)) << "ball " << slot;
            ASSERT_TRUE(std::isfinite(ball.mobile.speed) && std::isfinite(ball.mobile.angle));
            bool outside = ball.coord.x < LEFT || ball.coord.x > RIGHT || ball.coord.y > TOP;
            // Counted in the game's own time: a stall is one frame of play.
            outside_ms_[slot] = outside ? outside_ms_[slot] + gl_vertex.frame_time : 0;
            if (outside_ms_[slot] > worst_outside_ms_)
                worst_outside_ms_ = outside_ms_[slot];
        }
        for (u32 i = 0; i < game->particles.group_count; i++) {
            ASSERT_TRUE(finite_coord(game->particles.groups[i].origin));
        }
    }
};

}  // namespace faults_test
