// The editing screen: the level drawn as in play, face on, with a grid, the
// selection, the current group's panel and its movements' paths; mouse and
// keys turn into the operations of edit/edit, F5 plays the level in place.
#pragma once

#include <string>

#include "edit/edit.h"
#include "shell/types.h"

struct s_game;

enum {
    EDIT_NOTICE_MS = 5000,  // wall-clock time a save's findings stay on screen
    EDIT_ROWS_MAX = 40,     // lines of the group panel
    EDIT_ROW_TEXT = 48,     // bytes of one panel line
    EDIT_NOTES_SHOWN = 6,   // lines of findings on screen
};

constexpr const char* EDIT_UNSAVED_SUFFIX = ".unsaved";  // beside MAP: what a quit did not save

// Opens MAP in the editor in a window of its own and runs it until the author
// quits: the whole of `tumbrelix --edit MAP`, and what a title's "Edit a
// level" calls. Returns the exit status: 0, or 1 when MAP exists but cannot be
// read (said on standard error, naming the line) or the window cannot open.
int edit_run(const char* path);
// The editor on a game already started (window, sound, sprites): puts the
// level of path (or the template) in game->map and edits it until Escape or a
// close. 0; or 1, nothing shown, error naming what could not be read.
int edit_session(s_game* game, const char* path, std::string* error);
