// Menus: the layout is a pure function of the window's size and the focus, so
// what is drawn and what the pointer hits can never disagree.
#include "ui/menu.h"

#include <GL/gl.h>

#include <cstring>

#include "gfx/fonts.h"

constexpr f32 MENU_OUTLINE_PX = 2;  // the dark rim around every glyph

void menu_open(s_menu* menu, const char* title)
{
    menu->title = title;
    menu->note.clear();
    menu->items.clear();
    menu->focus = 0;
}

void menu_add(s_menu* menu, const std::string& label, int action, int arg)
{
    menu->items.push_back({label, action, arg, ""});
}

void menu_window(const s_menu* menu, int height, int* first, int* count)
{
    int total = (int)menu->items.size();
    int fit = (height - MENU_TOP_PX - MENU_MARGIN_PX) / MENU_ROW_PX;
    *count = fit < 1 ? 1 : fit > total ? total : fit;
    int start = menu->focus - *count / 2;
    if (start > total - *count)
        start = total - *count;
    *first = start < 0 ? 0 : start;
}

// The row of the index-th entry shown: left, top, right, bottom from the top left.
static void menu_internal_row(int shown, int width, f32 box[4])
{
    box[0] = (f32)width * (1 - MENU_WIDTH) / 2;
    box[1] = (f32)(MENU_TOP_PX + shown * MENU_ROW_PX);
    box[2] = (f32)width - box[0];
    box[3] = box[1] + MENU_ROW_PX;
}

int menu_hit(const s_menu* menu, int width, int height, int x, int y)
{
    int first, count;
    menu_window(menu, height, &first, &count);
    for (int shown = 0; shown < count; shown++) {
        f32 box[4];
        menu_internal_row(shown, width, box);
        if (x >= box[0] && x < box[2] && y >= box[1] && y < box[3])
            return first + shown;
    }
    return -1;
}

s_menu_answer menu_handle(s_menu* menu, const s_menu_input* input, int width, int height)
{
    int total = (int)menu->items.size();
    if (input->back)
        return {MENU_BACK, -1, 0};
    if (total == 0)
        return {MENU_NONE, -1, 0};
    int hit =
        input->pointed || input->click ? menu_hit(menu, width, height, input->x, input->y) : -1;
    if (hit >= 0)
        menu->focus = hit;
    if (input->select)
        return {MENU_CHOOSE, menu->focus, 0};
    if (input->click && hit >= 0)
        return {MENU_CHOOSE, hit, 0};
    if (input->change)
        return {MENU_CHANGE, menu->focus, input->change > 0 ? 1 : -1};
    if (input->move)
        menu->focus = ((menu->focus + (input->move > 0 ? 1 : -1)) % total + total) % total;
    return {MENU_NONE, -1, 0};
}

void menu_text(f32 x, f32 y, f32 size, const char* text, f32 r, f32 g, f32 b)
{
    f32 bottom = 0;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    bottom = (f32)viewport[3] - y - size;
    f32 advance = size * MENU_ADVANCE;
    // The rim is the text itself in black, shifted around the eight ways.
    glColor4f(0, 0, 0, 1);
    for (int dx = -1; dx <= 1; dx++)
        for (int dy = -1; dy <= 1; dy++)
            if (dx || dy)
                PrintString(x + (f32)dx * MENU_OUTLINE_PX, bottom + (f32)dy * MENU_OUTLINE_PX, size,
                            advance, 0, "%s", text);
    glColor4f(r, g, b, 1);
    PrintString(x, bottom, size, advance, 0, "%s", text);
    glColor4f(1, 1, 1, 1);
}

// The width text takes in glyphs size pixels square.
static f32 menu_internal_span(const char* text, f32 size)
{
    size_t count = strlen(text);
    return count ? (f32)(count - 1) * size * MENU_ADVANCE + size : 0;
}

void menu_draw(const s_menu* menu, int width, int height)
{
    f32 title = MENU_TITLE_PX;
    if (!menu->title.empty())
        menu_text(((f32)width - menu_internal_span(menu->title.c_str(), title)) / 2,
                  MENU_TOP_PX - 2.5f * title, title, menu->title.c_str(), 1, 1, 1);
    f32 small = MENU_ITEM_PX * 0.8f;
    if (!menu->note.empty())
        menu_text(((f32)width - menu_internal_span(menu->note.c_str(), small)) / 2,
                  MENU_TOP_PX - 1.2f * small, small, menu->note.c_str(), 0.8f, 0.8f, 0.8f);
    int first, count;
    menu_window(menu, height, &first, &count);
    for (int shown = 0; shown < count; shown++) {
        const s_menu_item& item = menu->items[(size_t)(first + shown)];
        f32 box[4];
        menu_internal_row(shown, width, box);
        bool focused = first + shown == menu->focus;
        f32 size = MENU_ITEM_PX, top = box[1] + (MENU_ROW_PX - size) / 2;
        // The focus is yellow, the rest white: both far from the bundled levels' blues.
        f32 g = focused ? 0.85f : 1, b = focused ? 0.1f : 1;
        menu_text(box[0], top, size, item.label.c_str(), 1, g, b);
        if (!item.value.empty())
            menu_text(box[2] - menu_internal_span(item.value.c_str(), size), top, size,
                      item.value.c_str(), 1, g, b);
    }
}
