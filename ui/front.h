// The front end around the game: the title, the level choice, the settings
// and the pause menu, with the settings and the progress they keep in files.
// The game calls it when it has one (s_game.front); replays and the demo run
// without, so they never read the player's files.
#pragma once

#include <string>

#include "ui/history.h"
#include "ui/menu.h"
#include "ui/settings.h"

struct s_game;

constexpr f32 FRONT_GLIDE_MS = 24000.0f;    // one swing of the title's camera round the level
constexpr f32 FRONT_GLIDE_DEGREES = 30.0f;  // how far it swings either way
constexpr f32 FRONT_TITLE_DIM = 0.35f;      // the title darkens the level this much
constexpr f32 FRONT_PAUSE_DIM = 0.6f;       // the pause menu, this much

enum {
    FRONT_NAME_PX = 64,  // glyph side of the game's name on the title
    FRONT_KEYS = 14,     // keys and buttons the menus read
};

// Which screen shows.
enum e_front_screen {
    FRONT_SCREEN_NONE = 0,  // play
    FRONT_SCREEN_TITLE,
    FRONT_SCREEN_LEVELS,
    FRONT_SCREEN_SETTINGS,
    FRONT_SCREEN_PAUSE,
    FRONT_SCREEN_EDIT,  // the pack's levels to edit, and a new one
};

struct s_front {
    s_settings settings;
    std::string settings_path;
    s_history history;
    std::string history_path;
    std::string given;   // the pack's folder as given; "" for one map file
    std::string folder;  // the same made absolute, as the progress file names it
    s_menu menu;
    e_front_screen screen;
    e_front_screen back_to;  // where leaving Levels or Settings goes: the title or the pause
    int back_focus;          // the entry there that opened them
    u8 held[FRONT_KEYS];     // the menus' keys as they were last frame
    i32 pointer_x, pointer_y;
    i32 noted_level;  // the level last noted as played; -1 for none
    u8 noted_clear;   // its clearing is noted
    std::string edit_path;  // a level chosen to edit: the game ends, the editor opens it
};

// Reads the settings and the progress (one line on standard error for a bad
// file) for a run of map_path, a map file or a pack folder; turns vertical
// sync off when the settings say so. Before game_start.
void front_open(s_front* front, const char* map_path);
// Sets the frame limit the settings ask for (their "auto" asks for the display's rate).
void front_frame_limit(const s_front* front);
// Applies the settings to the started game. With menus the game gets the front
// end: a pack opens on the title, one map file straight into play.
void front_start(s_front* front, s_game* game, u8 menus);
// The menus' frame, after the level switch: reads their input, acts, and
// notes progress. 1 when the player quits, or chose a level to edit (edit_path).
int front_loop(s_front* front, s_game* game);
// The title's camera, gliding round the level; the title's frame step.
void front_view(s_front* front, s_game* game);
// Draws the title or the pause menu over the finished picture. Needs GL.
void front_draw(s_front* front, s_game* game);
