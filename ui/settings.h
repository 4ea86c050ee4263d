// The player's settings: one table of rows (key, label, range, default) that
// the file, the menu and the game all read, and the settings file itself,
// "key = value" lines kept under $XDG_CONFIG_HOME/tumbrelix/.
#pragma once

#include <string>
#include <vector>

#include "shell/types.h"

constexpr const char* SETTINGS_FILE_NAME = "settings.ini";
constexpr const char* SETTINGS_BAD_SUFFIX = ".bad";  // a bad file is kept beside under this
constexpr f32 SETTINGS_AUTO = -1.0f;                 // the value of a row absent with meaning

enum {
    SETTINGS_FILE_MAX = 64 * 1024,  // bytes of a settings file
    SETTINGS_LINE_MAX = 1024,       // bytes of one line
};

// The settings, by their row in SETTINGS_ROWS.
enum e_setting {
    SETTING_MOUSE_SENSITIVITY = 0,
    SETTING_MUSIC_VOLUME,
    SETTING_EFFECTS_VOLUME,
    SETTING_FULLSCREEN,
    SETTING_VSYNC,
    SETTING_GAME_SPEED,
    SETTING_MAX_FPS,
    SETTING_COUNT,
};

// How a row's value is written and stepped.
enum e_setting_kind {
    SETTING_FACTOR,   // a decimal number, shown as "1.50x"
    SETTING_PERCENT,  // a whole number, shown as "80%"
    SETTING_YES_NO,   // 1 or 0, written "yes" or "no"
    SETTING_WHOLE,    // a whole number; SETTINGS_AUTO when absent, shown as "auto"
};

struct s_setting_row {
    const char* key;    // in the file
    const char* label;  // in the menu
    e_setting_kind kind;
    f32 low, high;  // the range, both included
    f32 fallback;   // the default
    f32 step;       // one press of left or right in the menu
};

extern const s_setting_row SETTINGS_ROWS[SETTING_COUNT];

struct s_settings {
    f32 value[SETTING_COUNT];       // by e_setting
    std::vector<std::string> kept;  // lines of keys the game does not know, written back as read
    u8 bad;  // the file read held a problem: it is kept aside on the next save
};

// The defaults, nothing kept.
void settings_default(s_settings* settings);
// Reads text, the file named name, into settings (defaults where text says
// nothing or something bad). 0; or 1 and problem "NAME:LINE: problem" for the
// first bad line (settings->bad then 1).
int settings_parse(s_settings* settings, const std::string& name, const std::string& text,
                   std::string* problem);
// The file's text for settings: a comment, every row, then the kept lines.
std::string settings_text(const s_settings* settings);
// Moves a row's value by steps (its step each, clamped to its range; a yes/no
// row turns over, a row that may be auto passes through auto below its low).
void settings_step(s_settings* settings, e_setting row, int steps);
// The value as the menu shows it into text.
void settings_show(const s_settings* settings, e_setting row, char* text, size_t size);

// Where the settings file lives: $XDG_CONFIG_HOME/tumbrelix/settings.ini, else
// under ~/.config; "" when neither is known.
std::string settings_path();
// Reads the file at path: a missing one gives the defaults silently; a bad one
// one line on standard error and defaults for what was bad. Always usable.
void settings_load(s_settings* settings, const std::string& path);
// Writes settings to path, making its folder; a bad file read before is first
// kept beside as path + ".bad". 0; or 1 and one line on standard error.
int settings_save(s_settings* settings, const std::string& path);
