// Moving through a menu: one table of what a frame's input does, the same for
// the keyboard, the mouse and the gamepad.
#include "ui/menu.h"

#include <gtest/gtest.h>

namespace {

// Rows of a 640 x 480 window: the first entry's row spans y 150 to 179, x 96 to 543.
TEST(Menu, input_moves_the_focus_or_chooses_changes_or_leaves)
{
    struct Row {
        s_menu_input input;  // move, change, select, back, pointed, click, x, y
        int focus_before;
        int focus_after;
        e_menu_event event;
        int item;
        int change;
    };
    const Row rows[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0}, 1, 1, MENU_NONE, -1, 0},
        {{1, 0, 0, 0, 0, 0, 0, 0}, 1, 2, MENU_NONE, -1, 0},
        {{1, 0, 0, 0, 0, 0, 0, 0}, 2, 0, MENU_NONE, -1, 0},   // down from the last wraps round
        {{-1, 0, 0, 0, 0, 0, 0, 0}, 0, 2, MENU_NONE, -1, 0},  // up from the first too
        {{0, 0, 1, 0, 0, 0, 0, 0}, 2, 2, MENU_CHOOSE, 2, 0},
        {{0, -1, 0, 0, 0, 0, 0, 0}, 1, 1, MENU_CHANGE, 1, -1},
        {{1, 0, 1, 1, 0, 0, 0, 0}, 1, 1, MENU_BACK, -1, 0},      // going back comes first
        {{0, 0, 0, 0, 1, 0, 300, 215}, 0, 2, MENU_NONE, -1, 0},  // hovering takes the focus
        {{0, 0, 0, 0, 1, 0, 20, 215}, 0, 0, MENU_NONE, -1, 0},   // beside the rows: nothing
        {{0, 0, 0, 0, 1, 0, 96, 150}, 2, 0, MENU_NONE, -1, 0},   // a row's first pixel is its own
        {{0, 0, 0, 0, 1, 0, 544, 150}, 2, 2, MENU_NONE, -1, 0},  // one past its last is not
        {{0, 0, 0, 0, 1, 0, 543, 180}, 0, 1, MENU_NONE, -1, 0},
        {{0, 1, 0, 0, 0, 0, 0, 0}, 0, 0, MENU_CHANGE, 0, 1},
        {{0, 0, 0, 0, 1, 0, 300, 240}, 0, 0, MENU_NONE, -1, 0},  // below the last: nothing
        {{0, 0, 0, 0, 0, 1, 300, 185}, 0, 1, MENU_CHOOSE, 1, 0},
        {{0, 0, 0, 0, 0, 1, 300, 100}, 2, 2, MENU_NONE, -1, 0},  // a click off every entry
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "from " << row.focus_before << " move " << row.input.move
                                        << " at " << row.input.x << "," << row.input.y);
        s_menu menu;
        menu_open(&menu, "Test");
        for (const char* label : {"One", "Two", "Three"})
            menu_add(&menu, label, 0);
        menu.focus = row.focus_before;
        s_menu_answer answer = menu_handle(&menu, &row.input, 640, 480);
        EXPECT_EQ(menu.focus, row.focus_after);
        EXPECT_EQ(answer.event, row.event);
        EXPECT_EQ(answer.item, row.item);
        EXPECT_EQ(answer.change, row.change);
    }
}

// A list longer than the window shows the rows around the focus, and the
// pointer hits what is shown.
TEST(Menu, a_long_list_scrolls_with_the_focus)
{
    s_menu menu;
    menu_open(&menu, "Levels");
    for (int i = 0; i < 40; i++)
        menu_add(&menu, "Level", 0, i);
    const int rows[][3] = {{0, 0, 10}, {20, 15, 10}, {39, 30, 10}};  // focus, first, count
    for (const auto& row : rows) {
        menu.focus = row[0];
        int first, count;
        menu_window(&menu, 480, &first, &count);
        EXPECT_EQ(first, row[1]) << "focus " << row[0];
        EXPECT_EQ(count, row[2]);
        EXPECT_EQ(menu_hit(&menu, 640, 480, 300, 155), row[1]);
    }
}

}  // namespace
