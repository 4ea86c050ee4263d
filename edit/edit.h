// The level editor's operations: small changes to a level's records (blocks,
// groups, movements, the field's limits), each one step of an unlimited undo
// history. No window is needed: the editing screen (edit/screen) turns input
// into these calls, and the tests call them directly.
#pragma once

#include <string>
#include <vector>

#include "level/check.h"
#include "level/level.h"
#include "shell/types.h"

constexpr float EDIT_GRID = 1.0f;  // grid step and the duplicate's offset, units
constexpr float EDIT_SNAP = 0.5f;  // positions snap to this, units
constexpr float EDIT_DISTANCE_STEP =
    0.5f;  // a movement's distance or offset changes by this, units
constexpr float EDIT_DURATION_STEP = 250.0f;  // a movement's duration changes by this, ms
constexpr float EDIT_DISTANCE_NEW = 2.0f;     // a new movement's distance, units
constexpr float EDIT_DURATION_NEW = 2000.0f;  // a new movement's duration, ms

enum {
    EDIT_LIVES_MAX = 5,  // most lives a group gets in the editor (0: unbreakable)
    EDIT_NONE = -1,      // no group, block or face
};

// One block: its group and its index there.
struct s_edit_pick {
    int group;
    int block;
};

// What an undo step gives back: the parts of the level the editor changes
// (faces never change), with the selection and the current group of the time.
struct s_edit_state {
    std::vector<s_block_group> groups;
    std::vector<float> limits;
    std::vector<s_edit_pick> selection;
    int group;
    u64 serial;  // names this version of the level
};

struct s_edit {
    s_map map;                           // the level being edited
    std::vector<s_edit_pick> selection;  // selected blocks
    int group = EDIT_NONE;               // the current group, EDIT_NONE when the map has none
    std::vector<s_edit_state> undo;      // states before each step, oldest first
    std::vector<s_edit_state> redo;      // states undone, most recent last
    u64 serial = 0;                      // version of the level shown now
    u64 serial_next = 1;                 // the version the next step makes
    u64 saved = 0;                       // version last saved (or read)
    u8 open = 0;                         // a drag is under way: its changes are one step
    u32 changes = 0;  // counts every change, undo and redo, for whoever shows the level
};

enum { EDIT_MAP_MAX = 64 * 1024 * 1024 };  // bytes of a map file the editor reads or keeps

// Reads the map at path into an empty map as the game reads it, or the
// template when nothing is there yet. 0; or 1 and error, the reader's message
// naming the file and the line (a map that is there is never replaced by the template).
int edit_load(const char* path, s_map& map, std::string* error);
// Writes the level to path in print form, through a temporary file beside it
// that must read back as a level the game plays before it is renamed over
// path; the file it replaces stays as path~. notes get the checker's
// findings on the file written. 0; or 1 and error (path then untouched).
int edit_save(s_edit* edit, const char* path, std::vector<s_check_note>* notes, std::string* error);
// Takes map as the level to edit (map receives an empty one), with no
// history; the first group is current. Its version counts as saved.
void edit_open(s_edit* edit, s_map& map);
// A level for a map that does not exist yet: a field of the default size, a
// background and walls, and ready block faces of one to five hits, no group.
void edit_template(s_map& map);
// Non-zero while the level differs from the version last saved.
int edit_dirty(const s_edit* edit);
// The version now is the one on disk.
void edit_saved(s_edit* edit);

// A value snapped to half units; free (unchanged) when free is non-zero.
float edit_snap(float value, int free);
// The block whose box (at its origin) holds the point, the last drawn first;
// {EDIT_NONE, EDIT_NONE} when none does.
s_edit_pick edit_pick(const s_edit* edit, float x, float y);
// Faces that no world entry draws, in the order of the file: those a group may take.
void edit_block_faces(const s_map& map, std::vector<int>& faces);

// Selection (no step of its own): one block, or none with {EDIT_NONE, ...};
// a picked block makes its group current.
void edit_select(s_edit* edit, s_edit_pick pick);
// Selects the blocks whose origins lie in the box of the two corners.
void edit_select_box(s_edit* edit, float x0, float y0, float x1, float y1);
// Makes the next group current (Tab), the first after the last.
void edit_group_next(s_edit* edit);

// Opens a drag: every change until edit_end is one step, none at all if the
// level ends as it began.
void edit_begin(s_edit* edit);
void edit_end(s_edit* edit);

// The operations: each is one step and returns 0, or returns 1 and changes
// nothing when it cannot apply.
// A block of the current group at (x, y); a map with no group first gets one
// of the first block face and one life. The new block is selected.
int edit_place(s_edit* edit, float x, float y);
// Moves the selection by (dx, dy).
int edit_move(s_edit* edit, float dx, float dy);
// Removes the selected blocks.
int edit_delete(s_edit* edit);
// Copies the selection one grid step to the right; the copies are selected.
int edit_duplicate(s_edit* edit);
// A new group, current, with the current group's faces (or the first block face) and one life.
int edit_group_new(s_edit* edit);
// The current group's lives, 0 (unbreakable) to EDIT_LIVES_MAX.
int edit_lives(s_edit* edit, int lives);
// Adds or takes away a face of the map from the current group (one always stays).
int edit_face_toggle(s_edit* edit, int face);
// Gives the current group the block face after its first one, alone.
int edit_face_next(s_edit* edit);
// Adds a movement of the kind (a g_mitems name) with the default numbers.
int edit_move_add(s_edit* edit, const char* kind);
// Removes the current group's movement at index.
int edit_move_remove(s_edit* edit, int index);
// Gives the movement at index the next moving kind, its numbers kept.
int edit_move_kind(s_edit* edit, int index);
// Changes number param (0 distance, 1 duration) of the movement at index by
// steps of its size, within what the reader accepts.
int edit_move_number(s_edit* edit, int index, int param, int steps);
// Moves one limit (0 left, 1 right, 2 bottom, 3 top) to value, if the field stays one the game plays.
int edit_limit(s_edit* edit, int side, float value);
// Steps back or forward through the history; 1 when there is nothing to.
int edit_undo(s_edit* edit);
int edit_redo(s_edit* edit);

// The kind name of a movement, as the map file writes it.
const char* edit_move_name(const s_move& move);
// The level as a map file, in the form tumbrelix-map print writes.
std::string edit_text(const s_map& map);
