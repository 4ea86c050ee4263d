// Faults a player's machine throws at the game: missing data, a broken music
// folder, a bad level texture, squeezed windows, odd input and a stalled frame.
#include "faults_fixture.h"

#include "game/ball_list.h"

namespace faults_test {
namespace {

class DataFiles : public GameRun {
protected:
    // Launches a ball and plays two seconds; the run must go on throughout.
    void launch_and_play()
    {
        for (int i = 0; i < 5; i++)
            ASSERT_EQ(0, frame());
        click();
        EXPECT_EQ(balls_in_play(), 1) << "a click launches a ball";
        for (int i = 0; i < 30; i++)
            ASSERT_EQ(0, frame());
    }
};

TEST_F(DataFiles, each_missing_picture_or_sound_leaves_the_game_playable_and_silent_about_it)
{
    for (const std::string& file : game_data_files()) {
        if (file == "particle.bmp")
            continue;
        SCOPED_TRACE(file);
        link_data(file);
        begin_capture();
        ASSERT_EQ(0, start());
        launch_and_play();
        game_stop(game_.get());
        EXPECT_EQ(end_capture(), "");
        EXPECT_EQ(game_->map.getSurface()->entry_count, 0u) << "level textures outlived the window";
    }
}

TEST_F(DataFiles, missing_particle_picture_ends_start_up_with_one_line_naming_it)
{
    link_data("particle.bmp");
    begin_capture();
    EXPECT_EQ(1, start());
    std::string err = end_capture();
    EXPECT_NE(err.find("data/particle.bmp"), std::string::npos) << err;
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "exactly one line: " << err;
    EXPECT_EQ(game_->stage, GAME_STAGE_NONE) << "everything started is stopped";
}

TEST_F(DataFiles, broken_music_folder_means_no_music_and_no_message)
{
    const char* breakages[] = {
        "rm data/musics/random",                                     // missing
        "rm data/musics/random && mkdir data/musics/random",         // empty
        "rm data/musics/random && touch data/musics/random",         // a file, not a folder
        "rm data/musics/random && mkdir -m 000 data/musics/random",  // unreadable (not for root)
        "rm -r data/musics && touch data/musics",                    // even the parent is wrong
        "rm data/musics/random && mkdir data/musics/random && "      // only garbage to play
        "head -c 3000 /dev/urandom > data/musics/random/noise.ogg",
    };
    for (const char* breakage : breakages) {
        SCOPED_TRACE(breakage);
        link_data();
        ASSERT_EQ(0, system(breakage));
        begin_capture();
        ASSERT_EQ(0, start());
        launch_and_play();
        game_stop(game_.get());
        EXPECT_EQ(end_capture(), "");
        ASSERT_EQ(0, system("chmod -R u+rwx data"));
    }
}

TEST_F(DataFiles, level_texture_that_fails_to_load_is_reported_and_play_goes_on)
{
    link_data();
    write_file("broken.png", "\x89PNG\r\n\x1a\n not really");
    write_file("bad.map", level_text("broken.png"));
    begin_capture();
    ASSERT_EQ(0, start("bad.map"));
    launch_and_play();
    game_stop(game_.get());
    EXPECT_EQ(end_capture(), "Could not load broken.png.\n");
}

class Play : public GameRun {
protected:
    void SetUp() override
    {
        GameRun::SetUp();
        link_data();
        ASSERT_EQ(0, start());
        for (int i = 0; i < 3; i++)
            ASSERT_EQ(0, frame());
    }
};

TEST_F(Play, window_squeezed_to_one_pixel_to_height_zero_and_back_plays_on)
{
    click();
    int sizes[][2] = {{1, 1}, {640, 0}, {0, 0}, {1, 1}, {640, 480}};
    for (auto& size : sizes) {
        push_resize(size[0], size[1]);
        for (int i = 0; i < 20; i++)
            ASSERT_EQ(0, frame()) << size[0] << "x" << size[1];
        EXPECT_EQ(gl_vertex.width, size[0]);
        EXPECT_EQ(gl_vertex.height, size[1]);
        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        for (GLfloat value : projection)
            ASSERT_TRUE(std::isfinite(value)) << size[0] << "x" << size[1];
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Play, thousands_of_pixels_of_motion_in_one_frame_keep_pad_and_camera_sane)
{
    click();
    push_button(3, true);  // the tilt reads vertical motion too
    for (int dx : {30000, -30000, 32767, -32768, -5000, 5000}) {
        push_motion(dx, -dx);
        ASSERT_EQ(0, frame());
        ASSERT_EQ(0, frame());
    }
    push_button(3, false);
    EXPECT_FLOAT_EQ(game_->pad.coord.x, RIGHT - 0.5f) << "the last push was to the right";
    for (int i = 0; i < 300; i++)
        ASSERT_EQ(0, frame());
    EXPECT_TRUE(finite_coord(game_->camera.item.current));
}

// Sixteen balls spread over the field in all directions, fast.
static void spread_balls(s_game* game)
{
    for (int slot = 0; slot < 16; slot++) {
        ball_list_insert(&game->balls, 0, 0);
        s_ball* ball = &game->balls.balls[slot];
        f32 x = -8 + slot, y = -6 + (slot % 4) * 3;
        mobile_define(&ball->mobile, x, y, slot * 0.3926991f, 0.03f);
        ball->coord.x = x;
        ball->coord.y = y;
    }
}

TEST_F(Play, stalled_frame_of_two_seconds_sends_no_ball_out_for_a_second)
{
    spread_balls(game_.get());
    ASSERT_EQ(balls_in_play(), 16);
    ASSERT_EQ(0, frame(2000));
    for (int i = 0; i < 300; i++)
        ASSERT_EQ(0, frame());
    EXPECT_LE(worst_outside_ms_, 1000) << "a ball stayed outside the field";
}

TEST_F(Play, repeated_stalls_keep_every_position_finite)
{
    click();
    spread_balls(game_.get());
    for (int round = 0; round < 5; round++) {
        ASSERT_EQ(0, frame(2000));
        ASSERT_EQ(0, frame(60000));
        for (int i = 0; i < 50; i++)
            ASSERT_EQ(0, frame());
    }
    EXPECT_LE(worst_outside_ms_, 1000);
}

}  // namespace
}  // namespace faults_test
