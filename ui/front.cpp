// The front end. Each screen is a table of entries; one handler acts on what
// the menu answers, whichever device asked, so a new entry is a new row.
#include "ui/front.h"

#include <GL/gl.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "audio/chord.h"
#include "gfx/coord.h"
#include "shell/game.h"
#include "shell/swap.h"
#include "shell/vertex.h"

// What an entry does.
enum e_front_action {
    FRONT_CONTINUE = 0,
    FRONT_OPEN_LEVELS,
    FRONT_OPEN_SETTINGS,
    FRONT_OPEN_TITLE,
    FRONT_RESUME,
    FRONT_QUIT,
    FRONT_BACK,
    FRONT_PLAY_LEVEL,  // arg: the level
    FRONT_SETTING,     // arg: the setting's row
    FRONT_OPEN_EDIT,
    FRONT_EDIT_LEVEL,  // arg: the level, or -1 for a new one
};

// One entry of a fixed screen.
struct s_front_entry {
    const char* label;
    e_front_action action;
    u8 pack_only;  // shown only when a pack is played
};

constexpr s_front_entry FRONT_TITLE_ENTRIES[] = {
    {"Continue", FRONT_CONTINUE, 0},
    {"Levels", FRONT_OPEN_LEVELS, 0},
    {"Edit a level", FRONT_OPEN_EDIT, 1},
    {"Settings", FRONT_OPEN_SETTINGS, 0},
    {"Quit", FRONT_QUIT, 0},
};

constexpr s_front_entry FRONT_PAUSE_ENTRIES[] = {
    {"Resume", FRONT_RESUME, 0},      {"Settings", FRONT_OPEN_SETTINGS, 0},
    {"Levels", FRONT_OPEN_LEVELS, 1}, {"Title", FRONT_OPEN_TITLE, 1},
    {"Quit", FRONT_QUIT, 0},
};

// The keys the menus read, in the order of s_front.held.
constexpr int FRONT_KEY_LIST[FRONT_KEYS] = {
    VTX_KEY_UP,        VTX_KEY_DOWN, VTX_KEY_LEFT,   VTX_KEY_RIGHT,   VTX_KEY_RETURN,
    VTX_KEY_BACKSPACE, VTX_JOY_UP,   VTX_JOY_DOWN,   VTX_JOY_LEFT,    VTX_JOY_RIGHT,
    VTX_JOY_A,         VTX_JOY_B,    VTX_MOUSE_LEFT, VTX_MOUSE_RIGHT,
};

constexpr int FRONT_VIEW_DISTANCE = 30;  // level units from the eye to the level's middle
constexpr f32 FRONT_VIEW_TILT = -20.0f;  // degrees the title looks down on the level

// --- Progress

// The level's map as the pack names it: its path past the pack's folder.
static s_history_level front_internal_level(const s_front* front, const s_game* game, u32 index)
{
    const std::string& path = game->pack.levels[index].path;
    std::string prefix = front->given == "/" ? "/" : front->given + "/";
    bool inside = path.compare(0, prefix.size(), prefix) == 0;
    return {front->folder, inside ? path.substr(prefix.size()) : path};
}

// The level Continue plays: the first not cleared, counting on from the last played.
static u32 front_internal_continue(const s_front* front, const s_game* game)
{
    u32 count = (u32)game->pack.levels.size(), last = 0;
    std::string map = history_last(&front->history, front->folder);
    bool played = false;
    for (u32 i = 0; i < count && !played; i++)
        if (front_internal_level(front, game, i).map == map) {
            last = i;
            played = true;
        }
    for (u32 k = 0; k < count; k++)
        if (!history_cleared(&front->history,
                             front_internal_level(front, game, (last + k) % count)))
            return (last + k) % count;
    return played ? (last + 1) % count : 0;
}

// Notes the level played and its clearing in the progress file, once each.
static void front_internal_note(s_front* front, s_game* game)
{
    bool fresh = front->noted_level != (i32)game->pack.current;
    bool cleared = game->progress.state == PROGRESS_CLEARED && (fresh || !front->noted_clear);
    // Most frames have nothing to note, and must not build a name to find that out.
    if (front->folder.empty() || game->at_title || !(fresh || cleared))
        return;
    s_history_level level = front_internal_level(front, game, game->pack.current);
    int changed = 0;
    if (fresh) {
        front->noted_level = (i32)game->pack.current;
        front->noted_clear = 0;
        changed |= history_play(&front->history, level);
    }
    if (cleared) {
        front->noted_clear = 1;
        changed |= history_clear(&front->history, level);
    }
    if (changed)
        history_save(&front->history, front->history_path);
}

// --- Settings

// Makes the game follow the settings; full screen only at the start or when changed.
static void front_internal_apply(s_front* front, s_game* game)
{
    const f32* value = front->settings.value;
    CHD_SetGain(1, value[SETTING_MUSIC_VOLUME] / 100);
    CHD_SetGain(0, value[SETTING_EFFECTS_VOLUME] / 100);
    game->pad.sensitivity = value[SETTING_MOUSE_SENSITIVITY];
    gl_vertex.time_scale = value[SETTING_GAME_SPEED] / 100;
}

void front_frame_limit(const s_front* front)
{
    f32 fps = front->settings.value[SETTING_MAX_FPS];
    VTX_SetMaxFps(fps == SETTINGS_AUTO ? VTX_MAX_FPS_AUTO : (int)fps);
}

// Moves a setting by steps, or on by one and round from its end (steps 0),
// then applies and saves the settings.
static void front_internal_change(s_front* front, s_game* game, int row, int steps)
{
    s_settings* settings = &front->settings;
    f32 before = settings->value[row];
    settings_step(settings, (e_setting)row, steps ? steps : 1);
    if (!steps && settings->value[row] == before) {
        const s_setting_row& info = SETTINGS_ROWS[row];
        settings->value[row] = info.kind == SETTING_WHOLE ? SETTINGS_AUTO : info.low;
    }
    if (settings->value[row] == before)
        return;
    front_internal_apply(front, game);
    if (row == SETTING_FULLSCREEN)
        VTX_SetFullscreen(settings->value[row] != 0);
    if (row == SETTING_MAX_FPS)
        front_frame_limit(front);
    settings_save(settings, front->settings_path);
}

// --- Screens

// Fills the menu of a fixed screen from its table.
static void front_internal_table(s_front* front, const s_game* game, const char* title,
                                 const s_front_entry* entries, size_t count)
{
    menu_open(&front->menu, title);
    for (size_t i = 0; i < count; i++)
        if (!entries[i].pack_only || game->pack.cycles)
            menu_add(&front->menu, entries[i].label, entries[i].action);
}

// The values the settings screen shows, as they stand.
static void front_internal_values(s_front* front)
{
    for (s_menu_item& item : front->menu.items)
        if (item.action == FRONT_SETTING) {
            char text[32];
            settings_show(&front->settings, (e_setting)item.arg, text, sizeof text);
            item.value = text;
        }
}

static void front_internal_open(s_front* front, s_game* game, e_front_screen screen)
{
    if (screen == FRONT_SCREEN_LEVELS || screen == FRONT_SCREEN_SETTINGS ||
        screen == FRONT_SCREEN_EDIT) {
        if (front->screen == FRONT_SCREEN_TITLE || front->screen == FRONT_SCREEN_PAUSE) {
            front->back_to = front->screen;
            front->back_focus = front->menu.focus;
        }
    }
    front->screen = screen;
    if (screen == FRONT_SCREEN_TITLE) {
        front_internal_table(front, game, "", FRONT_TITLE_ENTRIES,
                             sizeof FRONT_TITLE_ENTRIES / sizeof *FRONT_TITLE_ENTRIES);
        front->menu.note = game->pack.levels[game->pack.current].name;
    } else if (screen == FRONT_SCREEN_PAUSE)
        front_internal_table(front, game, "Paused", FRONT_PAUSE_ENTRIES,
                             sizeof FRONT_PAUSE_ENTRIES / sizeof *FRONT_PAUSE_ENTRIES);
    else if (screen == FRONT_SCREEN_SETTINGS) {
        menu_open(&front->menu, "Settings");
        for (int row = 0; row < SETTING_COUNT; row++)
            menu_add(&front->menu, SETTINGS_ROWS[row].label, FRONT_SETTING, row);
        menu_add(&front->menu, "Back", FRONT_BACK);
        front_internal_values(front);
    } else if (screen == FRONT_SCREEN_LEVELS) {
        menu_open(&front->menu, "Levels");
        u32 cleared = 0, count = (u32)game->pack.levels.size();
        for (u32 i = 0; i < count; i++) {
            bool done = history_cleared(&front->history, front_internal_level(front, game, i));
            cleared += done;
            menu_add(&front->menu, (done ? "[x] " : "[ ] ") + game->pack.levels[i].name,
                     FRONT_PLAY_LEVEL, (int)i);
        }
        menu_add(&front->menu, "Back", FRONT_BACK);
        front->menu.note = std::to_string(cleared) + " of " + std::to_string(count) + " cleared";
        front->menu.focus = (int)game->pack.current;
    } else if (screen == FRONT_SCREEN_EDIT) {
        menu_open(&front->menu, "Edit a level");
        for (u32 i = 0; i < (u32)game->pack.levels.size(); i++)
            menu_add(&front->menu, game->pack.levels[i].name, FRONT_EDIT_LEVEL, (int)i);
        menu_add(&front->menu, "New level", FRONT_EDIT_LEVEL, -1);
        menu_add(&front->menu, "Back", FRONT_BACK);
    }
}

// A map file for a new level in the pack's folder, named after no file there.
static std::string front_internal_new_map(const s_front* front)
{
    std::string folder = front->given.empty() ? "." : front->given;
    std::string path = folder + "/new.map";
    for (int n = 2; access(path.c_str(), F_OK) == 0; n++)
        path = folder + "/new-" + std::to_string(n) + ".map";
    return path;
}

// Shows the title over the level Continue plays, fresh from its file.
static void front_internal_title(s_front* front, s_game* game)
{
    u32 next = front_internal_continue(front, game);
    std::string error;
    if (swap_level(game, game->pack.levels[next].path.c_str(), &error) == 0)
        game->pack.current = next;
    else
        fprintf(stderr, "%s\n", error.c_str());
    game->at_title = 1;
    game->hud.title_ms = HUD_TITLE_MS;
    VTX_SetPaused(0);
    VTX_SetPausable(0);
    VTX_SetMouse(1, 0);
    s_camera* camera = &game->camera;
    camera_mode(camera, 1, 1, 1, 1, 0);
    front_internal_open(front, game, FRONT_SCREEN_TITLE);
}

// Plays a level of the pack from its start; the pack goes on from there.
static void front_internal_play(s_front* front, s_game* game, u32 index)
{
    const s_pack_level& level = game->pack.levels[index];
    std::string error;
    if (swap_level(game, level.path.c_str(), &error) != 0) {
        fprintf(stderr, "%s\n", error.c_str());
        return;
    }
    game->pack.current = index;
    game->at_title = 0;
    hud_title(&game->hud, level.name.c_str());
    front->screen = FRONT_SCREEN_NONE;
    VTX_SetPaused(0);
    VTX_SetPausable(1);
    VTX_SetMouse(0, 1);
}

// Leaves a screen: to where it was opened from, the pause to play.
static void front_internal_back(s_front* front, s_game* game)
{
    if (front->screen == FRONT_SCREEN_PAUSE)
        VTX_SetPaused(0);
    else if (front->screen == FRONT_SCREEN_LEVELS || front->screen == FRONT_SCREEN_SETTINGS ||
             front->screen == FRONT_SCREEN_EDIT) {
        front_internal_open(front, game, front->back_to);
        front->menu.focus = front->back_focus;
    }
}

// Does what the chosen entry says. 1 when the player quits.
static int front_internal_choose(s_front* front, s_game* game, const s_menu_item& item)
{
    switch ((e_front_action)item.action) {
    case FRONT_CONTINUE:
        front_internal_play(front, game, game->pack.current);
        break;
    case FRONT_OPEN_LEVELS:
        front_internal_open(front, game, FRONT_SCREEN_LEVELS);
        break;
    case FRONT_OPEN_SETTINGS:
        front_internal_open(front, game, FRONT_SCREEN_SETTINGS);
        break;
    case FRONT_OPEN_TITLE:
        front_internal_title(front, game);
        break;
    case FRONT_RESUME:
        VTX_SetPaused(0);
        break;
    case FRONT_QUIT:
        return 1;
    case FRONT_BACK:
        front_internal_back(front, game);
        break;
    case FRONT_PLAY_LEVEL:
        front_internal_play(front, game, (u32)item.arg);
        break;
    case FRONT_SETTING:
        front_internal_change(front, game, item.arg, 0);
        front_internal_values(front);
        break;
    case FRONT_OPEN_EDIT:
        front_internal_open(front, game, FRONT_SCREEN_EDIT);
        break;
    case FRONT_EDIT_LEVEL:
        // The editor has a window of its own: the game ends first (front_edit).
        front->edit_path = item.arg < 0 ? front_internal_new_map(front)
                                        : game->pack.levels[(size_t)item.arg].path;
        return 1;
    }
    return 0;
}

// The menus' input this frame: keys and buttons that went down, the pointer.
static s_menu_input front_internal_input(s_front* front)
{
    u8 pressed[FRONT_KEYS];
    for (int i = 0; i < FRONT_KEYS; i++) {
        u8 held = gl_vertex.key[FRONT_KEY_LIST[i]] != 0;
        pressed[i] = held && !front->held[i];
        front->held[i] = held;
    }
    s_menu_input input = {};
    input.move = (pressed[1] || pressed[7]) - (pressed[0] || pressed[6]);
    input.change = (pressed[3] || pressed[9]) - (pressed[2] || pressed[8]);
    input.select = pressed[4] || pressed[10];
    input.back = pressed[5] || pressed[11] || pressed[13];
    // The gamepad's A holds the left button too: that is no click at the pointer.
    input.click = pressed[12] && !pressed[10];
    input.x = gl_vertex.pointer_x;
    input.y = gl_vertex.pointer_y;
    input.pointed = input.x != front->pointer_x || input.y != front->pointer_y;
    front->pointer_x = input.x;
    front->pointer_y = input.y;
    return input;
}

// --- The game's calls

void front_open(s_front* front, const char* map_path)
{
    front->settings_path = settings_path();
    settings_load(&front->settings, front->settings_path);
    front->history_path = history_path();
    history_load(&front->history, front->history_path);
    front->given.clear();
    front->folder.clear();
    char* real = map_path ? realpath(map_path, nullptr) : nullptr;
    std::string given = map_path ? map_path : "";
    while (given.size() > 1 && given.back() == '/')
        given.pop_back();
    // A pack's levels are remembered by its folder, wherever it was started from.
    if (real && !given.empty()) {
        front->given = given;
        front->folder = real;
    }
    free(real);
    if (front->settings.value[SETTING_VSYNC] == 0)
        VTX_SetVsync(0);
}

void front_start(s_front* front, s_game* game, u8 menus)
{
    front_internal_apply(front, game);
    if (front->settings.value[SETTING_FULLSCREEN] != 0)
        VTX_SetFullscreen(1);
    if (!game->pack.cycles) {
        front->given.clear();
        front->folder.clear();
    }
    if (!menus)
        return;
    game->front = front;
    front->screen = FRONT_SCREEN_NONE;
    front->noted_level = -1;
    front->noted_clear = 0;
    memset(front->held, 1, sizeof front->held);
    front->pointer_x = gl_vertex.pointer_x;
    front->pointer_y = gl_vertex.pointer_y;
    VTX_SetMenus(1);
    if (game->pack.cycles)
        front_internal_title(front, game);
}

int front_loop(s_front* front, s_game* game)
{
    s_menu_input input = front_internal_input(front);
    // P and a lost focus pause play; P resumes it, whatever screen it left.
    if (!game->at_title && gl_vertex.paused && front->screen == FRONT_SCREEN_NONE)
        front_internal_open(front, game, FRONT_SCREEN_PAUSE);
    else if (!game->at_title && !gl_vertex.paused)
        front->screen = FRONT_SCREEN_NONE;
    front_internal_note(front, game);
    if (front->screen == FRONT_SCREEN_NONE)
        return 0;
    s_menu_answer answer = menu_handle(&front->menu, &input, gl_vertex.width, gl_vertex.height);
    if (answer.event == MENU_BACK)
        front_internal_back(front, game);
    else if (answer.event == MENU_CHOOSE)
        return front_internal_choose(front, game, front->menu.items[(size_t)answer.item]);
    else if (answer.event == MENU_CHANGE &&
             front->menu.items[(size_t)answer.item].action == FRONT_SETTING) {
        front_internal_change(front, game, front->menu.items[(size_t)answer.item].arg,
                              answer.change);
        front_internal_values(front);
    }
    return 0;
}

void front_view(s_front* front, s_game* game)
{
    (void)front;
    f32 phase = (f32)gl_vertex.wall_ticks / FRONT_GLIDE_MS * 2 * (f32)M_PI;
    s_camera* camera = &game->camera;
    coord_set_pos(camera->view_target, game->centre_x, 0, 0);
    coord_set_pos(camera->item_target, 0, 0, -FRONT_VIEW_DISTANCE);
    coord_set_rot(camera->item_target, FRONT_VIEW_TILT, FRONT_GLIDE_DEGREES * sinf(phase), 0);
}

// Darkens the whole picture by alpha. Leaves the 2-D projection in place.
static void front_internal_dim(f32 alpha)
{
    VTX_ScrDimention(1);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, alpha);
    glRectf(0, 0, (f32)gl_vertex.width, (f32)gl_vertex.height);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
}

void front_draw(s_front* front, s_game* game)
{
    if (front->screen == FRONT_SCREEN_NONE || gl_vertex.width < 1 || gl_vertex.height < 1)
        return;
    bool title = game->at_title && front->screen == FRONT_SCREEN_TITLE;
    front_internal_dim(game->at_title ? FRONT_TITLE_DIM : FRONT_PAUSE_DIM);
    if (title) {
        const char* name = "TUMBRELIX";
        f32 size = FRONT_NAME_PX, width = (f32)gl_vertex.width;
        f32 span = (f32)(strlen(name) - 1) * size * MENU_ADVANCE + size;
        // A narrow window shrinks the name rather than cut it.
        if (span > width * 0.9f) {
            size *= width * 0.9f / span;
            span = width * 0.9f;
        }
        menu_text((width - span) / 2, (MENU_TOP_PX - size) / 2 - 10, size, name, 1, 1, 1);
    }
    menu_draw(&front->menu, gl_vertex.width, gl_vertex.height);
    VTX_ScrDimention(0);
}
