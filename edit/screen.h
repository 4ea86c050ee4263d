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
// level" calls (with its own game stopped first: the editor opens the
// window). Returns the exit status: 0, or 1 when MAP exists but cannot be
// read (said on standard error, naming the line) or the window cannot open.
int edit_run(const char* path);
// edit_run in steps, for callers that run the frames: starts game (not yet
// started) on the level of path, or on the template when there is no file,
// and opens the editing screen. 0; or 1 and error naming the file and line
// (empty when the game's start failed, which says why itself), nothing started.
int edit_start(s_game* game, const char* path, std::string* error);
// One frame: input, then editing or test play. Non-zero when the author quits
// (Escape held, or the window closed).
int edit_frame(s_game* game);
// Writes the level beside MAP as MAP.unsaved when changes were not saved (said
// on standard error), then stops the game.
void edit_stop(s_game* game);
