// Camera view selection of the game loop: Space, the four views and the tilt.
#include "shell/game.h"
#include "shell/vertex.h"

#include <gtest/gtest.h>

namespace {

class Views : public ::testing::Test {
protected:
    s_game game;
    void SetUp() override
    {
        memset(&gl_vertex, 0, sizeof gl_vertex);
        camera_define(&game.camera);
        game.centre_x = 2;
        game.field_width = 20;
        game.view_index = -1;
        game.view_changed = true;
        game.pad.coord = {};
        game.pad.coord.x = 4;
        game.pad.coord.y = -7;
        game_view(&game);  // the first frame selects view 0
    }
    void press_space()
    {
        gl_vertex.key[VTX_KEY_SPACE] = 1;
        game_view(&game);
    }
};

TEST_F(Views, first_frame_selects_view_zero_looking_at_the_middle)
{
    EXPECT_EQ(game.view_index, 0);
    EXPECT_EQ(game.camera.view_target->x, 2);
    EXPECT_EQ(game.camera.item_target->z, -30);
    EXPECT_EQ(game.camera.view.pos_mode, 1u);
}

TEST_F(Views, four_presses_of_space_return_to_view_zero)
{
    for (int expected : {1, 2, 3, 0}) {
        press_space();
        EXPECT_EQ(game.view_index, expected);
        EXPECT_EQ(gl_vertex.key[VTX_KEY_SPACE], 0) << "the press is consumed";
        gl_vertex.key[VTX_KEY_SPACE] = 0;
        game_view(&game);
    }
    EXPECT_EQ(game.view_index, 0);
}

TEST_F(Views, space_consumed_selects_one_view_however_long_it_is_held)
{
    press_space();
    // The key stays physically down, but the window reports no new key-down.
    for (int frame = 0; frame < 10; frame++)
        game_view(&game);
    EXPECT_EQ(game.view_index, 1);
}

TEST_F(Views, view_three_jumps_and_the_others_glide)
{
    press_space();
    EXPECT_EQ(game.camera.view.pos_mode, 1u);
    press_space();
    EXPECT_EQ(game.camera.item.rot_mode, 1u);
    press_space();
    EXPECT_EQ(game.view_index, 3);
    EXPECT_EQ(game.camera.view.pos_mode, 0u);
    EXPECT_EQ(game.camera.item.rot_mode, 0u);
    EXPECT_EQ(game.camera.item_target->rx, -90);
    EXPECT_EQ(game.camera.item_target->z, 1);
    EXPECT_EQ(game.camera.view_target->x, 4);
    EXPECT_EQ(game.camera.view_target->y, -7);
}

TEST_F(Views, view_two_turns_with_the_pad)
{
    press_space();
    press_space();
    EXPECT_EQ(game.view_index, 2);
    EXPECT_FLOAT_EQ(game.camera.item_target->rx, -60);
    EXPECT_FLOAT_EQ(game.camera.item_target->ry, 4 * -30.0f / 20);
    EXPECT_FLOAT_EQ(game.camera.item_target->rz, 4 * -45.0f / 20);
    EXPECT_EQ(game.camera.view_target->x, 4);
    EXPECT_EQ(game.camera.view_target->y, 0);
}

TEST_F(Views, view_two_of_a_field_without_width_does_not_turn)
{
    game.field_width = 0;
    press_space();
    press_space();
    EXPECT_EQ(game.camera.item_target->ry, 0);
    EXPECT_EQ(game.camera.item_target->rz, 0);
}

TEST_F(Views, right_button_tilts_views_zero_and_one_only)
{
    gl_vertex.key[VTX_MOUSE_RIGHT] = 1;
    gl_vertex.mouse_dy = 5;
    game_view(&game);
    EXPECT_EQ(game.camera.item_target->rx, -5);

    press_space();  // view 1 resets the tilt, then tilts with this frame's motion
    EXPECT_EQ(game.camera.item_target->rx, -5);
    game_view(&game);
    EXPECT_EQ(game.camera.item_target->rx, -10);

    press_space();  // view 2 overwrites the rotation every frame
    game_view(&game);
    EXPECT_EQ(game.camera.item_target->rx, -60);

    press_space();  // view 3: fixed
    game_view(&game);
    EXPECT_EQ(game.camera.item_target->rx, -90);
}

TEST_F(Views, tilt_without_the_right_button_does_nothing)
{
    gl_vertex.mouse_dy = 50;
    game_view(&game);
    EXPECT_EQ(game.camera.item_target->rx, 0);
}

}  // namespace
