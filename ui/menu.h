// One menu screen as data: a title, a line under it and a list of entries,
// each a label with the value it shows. One piece of code lays them out, draws
// them and answers the keyboard, the mouse and the gamepad alike; what an
// entry does is its owner's (ui/front).
#pragma once

#include <string>
#include <vector>

#include "shell/types.h"

enum {
    MENU_TITLE_PX = 32,   // glyph side of the screen's title
    MENU_ITEM_PX = 20,    // glyph side of an entry
    MENU_ROW_PX = 30,     // height of an entry's row
    MENU_TOP_PX = 150,    // from the window's top to the first row
    MENU_MARGIN_PX = 20,  // kept free below the last row
};
constexpr f32 MENU_ADVANCE = 0.75f;  // glyph advance over glyph side
constexpr f32 MENU_WIDTH = 0.7f;     // part of the window's width a row spans

struct s_menu_item {
    std::string label;
    int action;         // what choosing it does, in its owner's numbering
    int arg;            // with what (a level, a setting); -1 for nothing
    std::string value;  // shown at the row's right end; "" for none
};

struct s_menu {
    std::string title;
    std::string note;  // the line under the title; "" for none
    std::vector<s_menu_item> items;
    int focus;  // the entry Enter chooses, highlighted
};

// What the player did to the menu this frame, whatever the device.
struct s_menu_input {
    int move;    // -1 up, 1 down
    int change;  // -1 left, 1 right
    u8 select;   // Enter, the gamepad's A
    u8 back;     // Backspace, the gamepad's B, the right button
    u8 pointed;  // the pointer moved: the entry under it takes the focus
    u8 click;    // the left button went down at the pointer
    i32 x, y;    // the pointer, window pixels from the top left
};

// What the menu makes of it.
enum e_menu_event {
    MENU_NONE = 0,
    MENU_CHOOSE,  // item chosen
    MENU_CHANGE,  // item's value to move by change
    MENU_BACK,    // leave the screen
};

struct s_menu_answer {
    e_menu_event event;
    int item;
    int change;
};

// Empties menu and names it; the focus on the first entry.
void menu_open(s_menu* menu, const char* title);
// Appends an entry.
void menu_add(s_menu* menu, const std::string& label, int action, int arg = -1);
// Answers a frame's input in a window width x height: moves the focus, or
// tells what was chosen, changed or left.
s_menu_answer menu_handle(s_menu* menu, const s_menu_input* input, int width, int height);
// The first entry shown and how many fit, the focus always among them.
void menu_window(const s_menu* menu, int height, int* first, int* count);
// The entry under the point (x, y from the top left), or -1.
int menu_hit(const s_menu* menu, int width, int height, int x, int y);
// Draws the menu over the picture in the outlined bitmap font. Needs GL.
void menu_draw(const s_menu* menu, int width, int height);
// Writes text with glyphs size pixels square, its left end at x and its top
// at y from the window's top, light on a dark outline. Needs GL.
void menu_text(f32 x, f32 y, f32 size, const char* text, f32 r, f32 g, f32 b);
