// The camera views of the game loop, frame by frame: Space steps through the
// four, the right button tilts the first two, and each view follows the pad its way.
#include "shell/game.h"
#include "shell/vertex.h"

#include <gtest/gtest.h>

namespace {

// A field 20 wide centred on x = 2, the pad at (4, -7).
TEST(game_view, space_steps_through_the_four_views_each_following_the_pad_its_way)
{
    s_game game;
    memset(&gl_vertex, 0, sizeof gl_vertex);
    camera_define(&game.camera);
    game.centre_x = 2;
    game.field_width = 20;
    game.view_index = -1;
    game.view_changed = true;
    game.pad.coord = {};
    coord_set_pos(&game.pad.coord, 4, -7, 0);
    struct Row {
        int space, right, dy;  // the frame's input: Space pressed, right button held, motion
        int view;
        f32 rx, ry, rz, z;  // the eye's target rotation and distance
        f32 x, y;           // the looked-at point
        u32 glide;          // the eye glides (1) or jumps (0) to its targets
    };
    const Row rows[] = {
        {0, 0, 0, 0, 0, 0, 0, -30, 2, 0, 1},      // the first frame: the middle of the field
        {0, 0, 50, 0, 0, 0, 0, -30, 2, 0, 1},     // motion alone tilts nothing
        {0, 1, 5, 0, -5, 0, 0, -30, 2, 0, 1},     // the right button tilts
        {1, 1, 5, 1, -5, 0, 0, -30, 4, 0, 1},     // view 1 starts level, then tilts
        {0, 1, 5, 1, -10, 0, 0, -30, 4, 0, 1},    // Space held: still view 1
        {1, 1, 5, 2, -60, -6, -9, -30, 4, 0, 1},  // view 2 turns with the pad, untilted
        {1, 1, 5, 3, -90, 0, 0, 1, 4, -7, 0},     // view 3 looks up from the pad
        {1, 0, 0, 0, 0, 0, 0, -30, 2, 0, 1},      // and round to view 0
    };
    for (const Row& row : rows) {
        gl_vertex.key[VTX_KEY_SPACE] = (u8)row.space;
        gl_vertex.key[VTX_MOUSE_RIGHT] = (u8)row.right;
        gl_vertex.mouse_dy = row.dy;
        game_view(&game);
        const s_coord& eye = *game.camera.item_target;
        SCOPED_TRACE(testing::Message() << "view " << row.view << " rx " << row.rx);
        EXPECT_EQ(game.view_index, row.view);
        EXPECT_EQ(gl_vertex.key[VTX_KEY_SPACE], 0) << "a press selects one view";
        EXPECT_TRUE(eye.rx == row.rx && eye.ry == row.ry && eye.rz == row.rz && eye.z == row.z)
            << eye.rx << " " << eye.ry << " " << eye.rz << " " << eye.z;
        EXPECT_TRUE(game.camera.view_target->x == row.x && game.camera.view_target->y == row.y);
        EXPECT_TRUE(game.camera.view.pos_mode == row.glide &&
                    game.camera.item.rot_mode == row.glide);
    }
    // View 2 of a field without width (a level built in memory) does not turn.
    game.field_width = 0;
    for (int press = 0; press < 2; press++) {
        gl_vertex.key[VTX_KEY_SPACE] = 1;
        game_view(&game);
    }
    EXPECT_TRUE(game.view_index == 2 && game.camera.item_target->ry == 0 &&
                game.camera.item_target->rz == 0);
}

}  // namespace
