// The editing screen. The level being edited lives in an s_edit; the game's
// Map shows a copy of its groups and limits, taken again only when something
// changed, so a still editor allocates nothing. Test play swaps that copy in
// as the next level of a pack would, and F5 swaps the edited level back.
#include "edit/screen.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "audio/chord.h"
#include "gfx/fonts.h"
#include "level/move.h"
#include "level/reader.h"
#include "shell/file.h"
#include "shell/game.h"
#include "shell/swap.h"
#include "shell/vertex.h"

// Keys the editor reads (SDL 1.2 numbering, as gl_vertex.key holds them).
enum {
    EDIT_KEY_BACKSPACE = 8,
    EDIT_KEY_TAB = 9,
    EDIT_KEY_DELETE = 127,
    EDIT_KEY_UP = 273,
    EDIT_KEY_DOWN = 274,
    EDIT_KEY_RIGHT = 275,
    EDIT_KEY_LEFT = 276,
    EDIT_KEY_F5 = 286,
    EDIT_KEY_RSHIFT = 303,
    EDIT_KEY_LSHIFT = 304,
    EDIT_KEY_RCTRL = 305,
    EDIT_KEY_LCTRL = 306,
    EDIT_KEY_RALT = 307,
    EDIT_KEY_LALT = 308,
    EDIT_KEY_COUNT = 512,
};

enum {
    EDIT_TEXT_PX = 10,       // glyph side of the editor's words, pixels
    EDIT_ADVANCE_PX = 9,     // from one glyph to the next
    EDIT_ROW_PX = 14,        // from one panel line to the next
    EDIT_MARGIN_PX = 8,      // from the window's edges
    EDIT_BUTTONS_PX = 34,    // the panel's "-" and "+" before each line's words
    EDIT_CLICK_PX = 4,       // a press and release nearer than this are a click, not a box
    EDIT_CIRCLE_STEPS = 32,  // segments of a circle's path
};
constexpr float EDIT_EDGE_GRAB = 0.35f;  // a press this near a limit drags it, units

// What a press of the left button started.
enum e_edit_drag {
    EDIT_DRAG_NONE = 0,
    EDIT_DRAG_BLOCKS,  // moving the selection
    EDIT_DRAG_BOX,     // selecting the blocks in a box
    EDIT_DRAG_LIMIT,   // moving a limit of the field
    EDIT_DRAG_PANEL,   // a press on the panel: nothing until released
};

// What a line of the panel shows and changes.
enum e_edit_row {
    EDIT_ROW_GROUP = 0,  // which group is current; - or + goes to the next
    EDIT_ROW_LIVES,
    EDIT_ROW_FACE,       // one face of the map, in the group or not
    EDIT_ROW_MOVE_KIND,  // a movement: - removes it, + gives it the next kind
    EDIT_ROW_MOVE_NUMBER,
    EDIT_ROW_MOVE_ADD,
};

struct s_edit_row {
    e_edit_row kind;
    int index;  // the face, or the movement
    int param;  // the movement's number
    char text[EDIT_ROW_TEXT];
};

struct s_edit_screen {
    s_game* game;
    s_edit edit;
    std::string path;
    std::string unsaved;           // path + EDIT_UNSAVED_SUFFIX
    std::vector<int> block_faces;  // faces a group may take; faces never change
    u8 held[EDIT_KEY_COUNT];       // keys held in the previous frame
    f64 model[16], projection[16];
    i32 viewport[4];
    u8 seen;   // the matrices above are those of a drawn frame
    f32 x, y;  // the pointer on the block plane, units
    e_edit_drag drag;
    int side;              // the limit a limit drag moves
    f32 from_x, from_y;    // where the drag began on the plane
    f32 moved_x, moved_y;  // what a block drag has moved so far
    i32 press_x, press_y;  // where the press was, pixels
    u32 shown;             // the edit's change count the game's Map shows
    u8 playing;            // test play runs
    u8 offer;              // a MAP.unsaved waits to be restored or dropped
    u8 caption_dirty;      // what the caption says of unsaved changes; 2 before the first
    int row;               // the panel's current line
    int row_count;
    s_edit_row rows[EDIT_ROWS_MAX];
    std::vector<std::string> notes;  // a save's findings
    u32 notes_until;                 // wall clock at which they leave
    u8 notes_error;                  // among them an error (or the save failed)
};

static bool edit_pressed(const s_edit_screen* s, int key)
{
    return gl_vertex.key[key] && !s->held[key];
}

// A modifier held now or in the previous frame: a quick Ctrl+S may let go of
// Ctrl in the frame that sees S, which then still counts as Ctrl+S.
static bool edit_held(const s_edit_screen* s, int left, int right)
{
    return gl_vertex.key[left] || gl_vertex.key[right] || s->held[left] || s->held[right];
}

static bool edit_ctrl(const s_edit_screen* s)
{
    return edit_held(s, EDIT_KEY_LCTRL, EDIT_KEY_RCTRL);
}

static bool edit_shift(const s_edit_screen* s)
{
    return edit_held(s, EDIT_KEY_LSHIFT, EDIT_KEY_RSHIFT);
}

// Alt places freely; only while held, as a drag follows it frame by frame.
static int edit_alt()
{
    return gl_vertex.key[EDIT_KEY_LALT] || gl_vertex.key[EDIT_KEY_RALT];
}

// The caption tells the mode, the map and whether changes wait to be saved.
static void edit_caption(s_edit_screen* s, bool force)
{
    u8 dirty = (u8)edit_dirty(&s->edit);
    if (!force && dirty == s->caption_dirty)
        return;
    s->caption_dirty = dirty;
    char caption[512];
    if (s->playing)
        snprintf(caption, sizeof caption, "Tumbrelix test play: %s (F5 edits)", s->path.c_str());
    else
        snprintf(caption, sizeof caption, "Tumbrelix editor: %s%s", s->path.c_str(),
                 dirty ? " *" : "");
    VTX_SetWindow(caption, nullptr);
}

// Shows findings (or one failure) for EDIT_NOTICE_MS, each cut into lines as
// wide as the window; all of them go to standard error.
static void edit_notice(s_edit_screen* s, const std::vector<std::string>& found, bool error)
{
    int fit = (gl_vertex.width - 2 * EDIT_MARGIN_PX) / EDIT_ADVANCE_PX;
    size_t per_line = (size_t)std::max(fit, 20);
    s->notes.clear();
    for (size_t i = 0; i < found.size(); i++) {
        fprintf(stderr, "%s\n", found[i].c_str());
        for (size_t at = 0; at < found[i].size(); at += per_line) {
            if (s->notes.size() + 1 == EDIT_NOTES_SHOWN && i + 1 < found.size()) {
                s->notes.push_back("(and more on standard error)");
                break;
            }
            if (s->notes.size() < EDIT_NOTES_SHOWN)
                s->notes.push_back(found[i].substr(at, per_line));
        }
    }
    s->notes_error = error;
    s->notes_until = gl_vertex.wall_ticks + EDIT_NOTICE_MS;
}

static void edit_save_now(s_edit_screen* s)
{
    std::vector<s_check_note> found;
    std::vector<std::string> lines;
    std::string error;
    bool errors = false;
    if (edit_save(&s->edit, s->path.c_str(), &found, &error)) {
        lines.push_back("not saved: " + error);
        edit_notice(s, lines, true);
        return;
    }
    unlink(s->unsaved.c_str());
    for (const s_check_note& note : found) {
        lines.push_back(s->path + ":" + std::to_string(note.line) + ": " +
                        (note.error ? "error: " : "warning: ") + note.text);
        errors = errors || note.error;
    }
    if (lines.empty())
        lines.push_back("saved " + s->path + ": no findings");
    edit_notice(s, lines, errors);
}

// Gives the game's Map the edited groups and limits. The view stays where it
// is: centred again on a limit being dragged, the field would run from the pointer.
static void edit_show(s_edit_screen* s)
{
    s_map* shown = s->game->map.getMap();
    shown->groups = s->edit.map.groups;
    shown->world.limits = s->edit.map.world.limits;
    s->shown = s->edit.changes;
}

// Back to view 0, face on.
static void edit_face_on(s_game* game)
{
    game->view_index = -1;
    game->view_changed = true;
    game_view(game);
}

// F5: plays the level as it stands, or ends the play with the edited level back.
static void edit_toggle_play(s_edit_screen* s)
{
    s_game* game = s->game;
    s_map level = *game->map.getMap();
    level.groups = s->edit.map.groups;
    level.world.limits = s->edit.map.world.limits;
    for (s_block_group& group : level.groups)
        for (s_move& move : group.moves)
            move.start = (f32)gl_vertex.ticks;
    swap_map(game, level, SWAP_NEXT);
    s->playing = !s->playing;
    s->drag = EDIT_DRAG_NONE;
    s->shown = s->edit.changes;
    VTX_SetPausable(s->playing);
    VTX_SetMouse(!s->playing, s->playing);
    edit_face_on(game);
    edit_caption(s, true);
}

// The point of the block plane (z = 0) under the pointer, through the last drawn frame's projection.
static void edit_pointer(s_edit_screen* s)
{
    if (!s->seen)
        return;
    f64 winx = gl_vertex.pointer_x, winy = gl_vertex.height - gl_vertex.pointer_y;
    f64 near[3], far[3];
    if (!gluUnProject(winx, winy, 0, s->model, s->projection, s->viewport, &near[0], &near[1],
                      &near[2]) ||
        !gluUnProject(winx, winy, 1, s->model, s->projection, s->viewport, &far[0], &far[1],
                      &far[2]) ||
        far[2] == near[2])
        return;
    f64 t = -near[2] / (far[2] - near[2]);
    s->x = (f32)(near[0] + t * (far[0] - near[0]));
    s->y = (f32)(near[1] + t * (far[1] - near[1]));
}

// The limit within reach of the pointer: 0 left, 1 right, 2 bottom, 3 top, or -1.
static int edit_edge(const s_edit_screen* s)
{
    const std::vector<f32>& l = s->edit.map.world.limits;
    bool across = s->y >= l[2] - EDIT_EDGE_GRAB && s->y <= l[3] + EDIT_EDGE_GRAB;
    bool along = s->x >= l[0] - EDIT_EDGE_GRAB && s->x <= l[1] + EDIT_EDGE_GRAB;
    for (int side = 0; side < 4; side++) {
        f32 at = side < 2 ? s->x : s->y;
        if ((side < 2 ? across : along) && std::fabs(at - l[(size_t)side]) <= EDIT_EDGE_GRAB)
            return side;
    }
    return -1;
}

// A panel line: kind, index, param and its words.
static void edit_row(s_edit_screen* s, e_edit_row kind, int index, int param, const char* format,
                     ...) __attribute__((format(printf, 5, 6)));
static void edit_row(s_edit_screen* s, e_edit_row kind, int index, int param, const char* format,
                     ...)
{
    if (s->row_count >= EDIT_ROWS_MAX)
        return;
    s_edit_row& row = s->rows[s->row_count++];
    row.kind = kind;
    row.index = index;
    row.param = param;
    va_list args;
    va_start(args, format);
    vsnprintf(row.text, sizeof row.text, format, args);
    va_end(args);
}

// The panel's lines for the current group, written into the fixed rows.
static void edit_rows(s_edit_screen* s)
{
    s->row_count = 0;
    const s_map& map = s->edit.map;
    int g = s->edit.group;
    if (g < 0) {
        edit_row(s, EDIT_ROW_GROUP, 0, 0, "no group yet: N places a block");
        s->row = 0;
        return;
    }
    const s_block_group& group = map.groups[(size_t)g];
    edit_row(s, EDIT_ROW_GROUP, 0, 0, "group %d of %d: %d blocks", g + 1, (int)map.groups.size(),
             (int)group.blocks.size());
    edit_row(s, EDIT_ROW_LIVES, 0, 0, "lives %d%s", group.lives,
             group.lives <= 0 ? " (unbreakable)" : "");
    for (int face : s->block_faces) {
        const std::string& id = map.faces[(size_t)face].id;
        bool in = false;
        for (const std::string& name : group.face_ids)
            in = in || name == id;
        edit_row(s, EDIT_ROW_FACE, face, 0, "[%c] face %.30s", in ? 'x' : ' ', id.c_str());
    }
    for (size_t m = 0; m < group.moves.size(); m++) {
        const s_move& move = group.moves[m];
        edit_row(s, EDIT_ROW_MOVE_KIND, (int)m, 0, "move %d: %s", (int)m + 1, edit_move_name(move));
        if (move.params.size() < MOVE_PARAM_COUNT || move.func == move_dummy)
            continue;
        edit_row(s, EDIT_ROW_MOVE_NUMBER, (int)m, 0, "  %s %g",
                 move.func == move_circle ? "offset" : "distance", (double)move.params[0]);
        edit_row(s, EDIT_ROW_MOVE_NUMBER, (int)m, 1, "  %s %g ms",
                 move.func == move_circle ? "period" : "leg", (double)move.params[1]);
    }
    edit_row(s, EDIT_ROW_MOVE_ADD, 0, 0, "add a movement");
    if (s->row >= s->row_count)
        s->row = s->row_count - 1;
}

// - (step -1) or + (step 1) on a panel line.
static void edit_row_change(s_edit_screen* s, int index, int step)
{
    s_edit* edit = &s->edit;
    if (index < 0 || index >= s->row_count)
        return;
    const s_edit_row& row = s->rows[index];
    // The lines are those of the frame before: an undo since may have taken the group away.
    if (edit->group < 0)
        return;
    switch (row.kind) {
    case EDIT_ROW_GROUP:
        edit_group_next(edit);
        break;
    case EDIT_ROW_LIVES:
        edit_lives(edit, edit->map.groups[(size_t)edit->group].lives + step);
        break;
    case EDIT_ROW_FACE:
        edit_face_toggle(edit, row.index);
        break;
    case EDIT_ROW_MOVE_KIND:
        if (step < 0)
            edit_move_remove(edit, row.index);
        else
            edit_move_kind(edit, row.index);
        break;
    case EDIT_ROW_MOVE_NUMBER:
        edit_move_number(edit, row.index, row.param, step);
        break;
    case EDIT_ROW_MOVE_ADD:
        edit_move_add(edit, "HORIZONTAL");
        break;
    }
}

// The panel line under the pointer, or -1; *button gets -1 over "-", 1 over "+", else 0.
static int edit_row_at(const s_edit_screen* s, int* button)
{
    int mx = gl_vertex.pointer_x, my = gl_vertex.pointer_y - EDIT_MARGIN_PX;
    int index = my >= 0 ? my / EDIT_ROW_PX : -1;
    if (index < 0 || index >= s->row_count || mx < EDIT_MARGIN_PX)
        return -1;
    int text = (int)strlen(s->rows[index].text) * EDIT_ADVANCE_PX;
    if (mx > EDIT_MARGIN_PX + EDIT_BUTTONS_PX + text)
        return -1;
    *button = mx < EDIT_MARGIN_PX + EDIT_BUTTONS_PX / 2 ? -1
              : mx < EDIT_MARGIN_PX + EDIT_BUTTONS_PX   ? 1
                                                        : 0;
    return index;
}

// The left button: press, drag and release.
static void edit_mouse(s_edit_screen* s)
{
    s_edit* edit = &s->edit;
    bool down = gl_vertex.key[VTX_MOUSE_LEFT] != 0;
    if (down && !s->held[VTX_MOUSE_LEFT]) {
        s->press_x = gl_vertex.pointer_x;
        s->press_y = gl_vertex.pointer_y;
        int button = 0, row = edit_row_at(s, &button);
        s_edit_pick pick = edit_pick(edit, s->x, s->y);
        int side = edit_edge(s);
        s->from_x = s->x;
        s->from_y = s->y;
        s->moved_x = s->moved_y = 0;
        if (row >= 0) {
            s->drag = EDIT_DRAG_PANEL;
            s->row = row;
            if (button)
                edit_row_change(s, row, button);
        } else if (pick.group != EDIT_NONE) {
            bool chosen = false;
            for (const s_edit_pick& p : edit->selection)
                chosen = chosen || (p.group == pick.group && p.block == pick.block);
            if (!chosen)
                edit_select(edit, pick);
            s->drag = EDIT_DRAG_BLOCKS;
            edit_begin(edit);
        } else if (side >= 0) {
            s->drag = EDIT_DRAG_LIMIT;
            s->side = side;
            edit_begin(edit);
        } else {
            s->drag = EDIT_DRAG_BOX;
        }
        return;
    }
    if (down && s->drag == EDIT_DRAG_BLOCKS) {
        f32 dx = edit_snap(s->x - s->from_x, edit_alt()),
            dy = edit_snap(s->y - s->from_y, edit_alt());
        if (edit_move(edit, dx - s->moved_x, dy - s->moved_y) == 0) {
            s->moved_x = dx;
            s->moved_y = dy;
        }
    } else if (down && s->drag == EDIT_DRAG_LIMIT) {
        edit_limit(edit, s->side, edit_snap(s->side < 2 ? s->x : s->y, edit_alt()));
    } else if (!down && s->drag != EDIT_DRAG_NONE) {
        if (s->drag == EDIT_DRAG_BLOCKS || s->drag == EDIT_DRAG_LIMIT)
            edit_end(edit);
        if (s->drag == EDIT_DRAG_BOX) {
            bool click = std::abs(gl_vertex.pointer_x - s->press_x) < EDIT_CLICK_PX &&
                         std::abs(gl_vertex.pointer_y - s->press_y) < EDIT_CLICK_PX;
            if (click)
                edit_select(edit, {EDIT_NONE, EDIT_NONE});
            else
                edit_select_box(edit, s->from_x, s->from_y, s->x, s->y);
        }
        s->drag = EDIT_DRAG_NONE;
    }
}

// The keys of the editing screen.
static void edit_keys(s_edit_screen* s)
{
    s_edit* edit = &s->edit;
    bool ctrl = edit_ctrl(s);
    if (ctrl) {
        if (edit_pressed(s, 'z'))
            edit_shift(s) ? edit_redo(edit) : edit_undo(edit);
        if (edit_pressed(s, 'y'))
            edit_redo(edit);
        if (edit_pressed(s, 's'))
            edit_save_now(s);
        if (edit_pressed(s, 'd'))
            edit_duplicate(edit);
        return;
    }
    if (s->drag != EDIT_DRAG_NONE)
        return;
    int free = edit_alt();
    if (edit_pressed(s, 'n'))
        edit_place(edit, edit_snap(s->x, free), edit_snap(s->y, free));
    if (edit_pressed(s, EDIT_KEY_DELETE))
        edit_delete(edit);
    if (edit_pressed(s, EDIT_KEY_TAB))
        edit_group_next(edit);
    if (edit_pressed(s, 'g'))
        edit_group_new(edit);
    if (edit_pressed(s, 'f'))
        edit_face_next(edit);
    if (edit_pressed(s, 'm'))
        edit_move_add(edit, "HORIZONTAL");
    for (int lives = 0; lives <= EDIT_LIVES_MAX; lives++)
        if (edit_pressed(s, '0' + lives))
            edit_lives(edit, lives);
    if (edit_pressed(s, EDIT_KEY_UP) && s->row > 0)
        s->row--;
    if (edit_pressed(s, EDIT_KEY_DOWN) && s->row + 1 < s->row_count)
        s->row++;
    if (edit_pressed(s, EDIT_KEY_LEFT) || edit_pressed(s, '-'))
        edit_row_change(s, s->row, -1);
    if (edit_pressed(s, EDIT_KEY_RIGHT) || edit_pressed(s, '='))
        edit_row_change(s, s->row, 1);
    if (edit_pressed(s, EDIT_KEY_BACKSPACE) && s->row < s->row_count &&
        s->rows[s->row].kind >= EDIT_ROW_MOVE_KIND && s->rows[s->row].kind <= EDIT_ROW_MOVE_NUMBER)
        edit_move_remove(edit, s->rows[s->row].index);
}

// Edits map from now on. The game's Map takes its faces with their textures;
// after that only groups and limits change.
static void edit_take(s_edit_screen* s, s_map& map)
{
    edit_open(&s->edit, map);
    edit_block_faces(s->edit.map, s->block_faces);
    s_map shown = s->edit.map;
    swap_map(s->game, shown, SWAP_NEXT);
    s->shown = s->edit.changes;
    s->row = 0;
}

// R takes MAP.unsaved back, Delete drops it.
static void edit_offer_keys(s_edit_screen* s)
{
    if (edit_pressed(s, 'r')) {
        s_map map;
        std::string error;
        if (reader_load(s->unsaved, map, &error)) {
            std::vector<std::string> lines(1, "not restored: " + error);
            edit_notice(s, lines, true);
        } else {
            edit_take(s, map);
            s->edit.saved = ~(u64)0;  // what it holds is not on disk as MAP
        }
        s->offer = 0;
    } else if (edit_pressed(s, EDIT_KEY_DELETE)) {
        unlink(s->unsaved.c_str());
        s->offer = 0;
    }
}

static void edit_rect(f32 x0, f32 y0, f32 x1, f32 y1, f32 z)
{
    glBegin(GL_LINE_LOOP);
    glVertex3f(x0, y0, z);
    glVertex3f(x1, y0, z);
    glVertex3f(x1, y1, z);
    glVertex3f(x0, y1, z);
    glEnd();
}

// Where a movement takes a block at origin o, as a line.
static void edit_path(const s_move& move, const s_point& o, f32 z)
{
    if (move.params.size() < MOVE_PARAM_COUNT || move.func == move_dummy)
        return;
    f32 p = move.params[0];
    glBegin(move.func == move_circle ? GL_LINE_LOOP : GL_LINES);
    if (move.func == move_circle) {
        for (int i = 0; i < EDIT_CIRCLE_STEPS; i++) {
            f32 a = 6.2831853f * (f32)i / EDIT_CIRCLE_STEPS;
            glVertex3f(o.x + p + std::cos(a), o.y + p + std::sin(a), z);
        }
    } else {
        glVertex3f(o.x, o.y, z);
        glVertex3f(o.x + (move.func == move_vertical ? 0 : p),
                   o.y + (move.func == move_horizontal ? 0 : p), z);
    }
    glEnd();
}

// Grid, field, the current group's blocks and paths, the selection and the box, over the level.
static void edit_draw_marks(const s_edit_screen* s)
{
    const s_edit& edit = s->edit;
    const std::vector<f32>& l = edit.map.world.limits;
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 0.15f);
    glBegin(GL_LINES);
    for (f32 x = std::ceil(l[0]); x <= l[1]; x += EDIT_GRID) {
        glVertex3f(x, l[2], 0);
        glVertex3f(x, l[3], 0);
    }
    for (f32 y = std::ceil(l[2]); y <= l[3]; y += EDIT_GRID) {
        glVertex3f(l[0], y, 0);
        glVertex3f(l[1], y, 0);
    }
    glEnd();
    int edge = s->drag == EDIT_DRAG_LIMIT ? s->side : s->drag == EDIT_DRAG_NONE ? edit_edge(s) : -1;
    glColor4f(0.4f, 0.8f, 1, 0.8f);
    edit_rect(l[0], l[2], l[1], l[3], 0);
    if (edge >= 0) {
        glLineWidth(3);
        glBegin(GL_LINES);
        glVertex3f(edge == 1 ? l[1] : l[0], edge == 3 ? l[3] : l[2], 0);
        glVertex3f(edge == 0 ? l[0] : l[1], edge == 2 ? l[2] : l[3], 0);
        glEnd();
        glLineWidth(1);
    }
    // A group of no faces has no box to show.
    if (edit.group >= 0 && edit.map.groups[(size_t)edit.group].sizes[0][0] <=
                               edit.map.groups[(size_t)edit.group].sizes[0][1]) {
        const s_block_group& group = edit.map.groups[(size_t)edit.group];
        const f32(*b)[2] = group.sizes;
        for (const s_block& block : group.blocks) {
            const s_point& o = block.origin;
            glColor4f(0.3f, 1, 1, 0.5f);
            edit_rect(o.x + b[0][0], o.y + b[1][0], o.x + b[0][1], o.y + b[1][1], b[2][1]);
            glColor4f(1, 0.6f, 0.1f, 0.9f);
            for (const s_move& move : group.moves)
                edit_path(move, o, b[2][1]);
        }
    }
    glColor4f(1, 1, 0.2f, 1);
    glLineWidth(2);
    for (const s_edit_pick& pick : edit.selection) {
        const s_block_group& group = edit.map.groups[(size_t)pick.group];
        const s_point& o = group.blocks[(size_t)pick.block].origin;
        if (group.sizes[0][0] > group.sizes[0][1])
            continue;
        edit_rect(o.x + group.sizes[0][0], o.y + group.sizes[1][0], o.x + group.sizes[0][1],
                  o.y + group.sizes[1][1], group.sizes[2][1] + 0.01f);
    }
    glLineWidth(1);
    if (s->drag == EDIT_DRAG_BOX) {
        glColor4f(1, 1, 1, 0.8f);
        edit_rect(s->from_x, s->from_y, s->x, s->y, 0);
    }
    // Where N puts a block.
    f32 x = edit_snap(s->x, edit_alt()), y = edit_snap(s->y, edit_alt());
    glColor4f(1, 1, 1, 0.7f);
    glBegin(GL_LINES);
    glVertex3f(x - 0.3f, y, 0);
    glVertex3f(x + 0.3f, y, 0);
    glVertex3f(x, y - 0.3f, 0);
    glVertex3f(x, y + 0.3f, 0);
    glEnd();
    glColor4f(1, 1, 1, 1);
    glEnable(GL_DEPTH_TEST);
}

static void edit_text_at(f32 x, f32 y_from_top, const char* text)
{
    PrintString(x, (f32)gl_vertex.height - y_from_top - EDIT_TEXT_PX, EDIT_TEXT_PX, EDIT_ADVANCE_PX,
                0, "%s", text);
}

// A dark band behind words, pixels from the top.
static void edit_band(f32 x0, f32 top, f32 x1, f32 bottom)
{
    VTX_ScrDimention(1);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, 0.6f);
    f32 h = (f32)gl_vertex.height;
    glRectf(x0, h - bottom, x1, h - top);
}

// The panel, the findings of the last save, the offer and the keys, in screen space.
static void edit_draw_words(const s_edit_screen* s)
{
    f32 width = (f32)gl_vertex.width, height = (f32)gl_vertex.height;
    if (width < 1 || height < 1)
        return;
    size_t widest = 0;
    for (int i = 0; i < s->row_count; i++)
        widest = std::max(widest, strlen(s->rows[i].text));
    edit_band(0, 0, EDIT_MARGIN_PX * 2 + EDIT_BUTTONS_PX + (f32)widest * EDIT_ADVANCE_PX,
              EDIT_MARGIN_PX * 2 + (f32)s->row_count * EDIT_ROW_PX);
    for (int i = 0; i < s->row_count; i++) {
        f32 top = EDIT_MARGIN_PX + (f32)i * EDIT_ROW_PX;
        if (i == s->row)
            glColor4f(1, 1, 0.3f, 1);
        else
            glColor4f(0.85f, 0.9f, 1, 1);
        edit_text_at(EDIT_MARGIN_PX, top, "- +");
        edit_text_at(EDIT_MARGIN_PX + EDIT_BUTTONS_PX, top, s->rows[i].text);
    }
    static const char* const keys[] = {
        "N block  drag moves  drag on empty selects  Del  Ctrl+D copy",
        "Tab next group  G new group  F face  M move  0-5 lives  arrows",
        "Ctrl+Z undo  Ctrl+Y redo  Ctrl+S save  F5 play  Alt free  Esc quit",
    };
    int key_lines = (int)(sizeof keys / sizeof *keys);
    f32 keys_top = height - EDIT_MARGIN_PX - (f32)key_lines * EDIT_ROW_PX;
    edit_band(0, keys_top - 4, width, height);
    glColor4f(0.8f, 0.85f, 0.9f, 1);
    for (int i = 0; i < key_lines; i++)
        edit_text_at(EDIT_MARGIN_PX, keys_top + (f32)i * EDIT_ROW_PX, keys[i]);
    if (gl_vertex.wall_ticks < s->notes_until && !s->notes.empty()) {
        size_t shown = s->notes.size();
        f32 top = keys_top - (f32)shown * EDIT_ROW_PX - 8;
        edit_band(0, top - 4, width, top + (f32)shown * EDIT_ROW_PX + 2);
        if (s->notes_error)
            glColor4f(1, 0.35f, 0.3f, 1);
        else
            glColor4f(1, 0.9f, 0.3f, 1);
        for (size_t i = 0; i < shown; i++)
            edit_text_at(EDIT_MARGIN_PX, top + (f32)i * EDIT_ROW_PX, s->notes[i].c_str());
    }
    if (s->offer) {
        f32 top = height / 2 - EDIT_ROW_PX;
        edit_band(0, top - 6, width, top + 2 * EDIT_ROW_PX + 4);
        glColor4f(1, 1, 1, 1);
        char line[160];
        snprintf(line, sizeof line, "%.100s%s holds changes not saved:", s->path.c_str(),
                 EDIT_UNSAVED_SUFFIX);
        edit_text_at(EDIT_MARGIN_PX, top, line);
        edit_text_at(EDIT_MARGIN_PX, top + EDIT_ROW_PX, "R restores them, Delete drops them");
    }
    glColor4f(1, 1, 1, 1);
    VTX_ScrDimention(0);
}

// One frame of the editing screen, after the frame's input.
static void edit_screen_frame(s_edit_screen* s)
{
    s_game* game = s->game;
    edit_pointer(s);
    if (s->offer) {
        edit_offer_keys(s);
    } else {
        edit_mouse(s);
        edit_keys(s);
    }
    if (s->shown != s->edit.changes)
        edit_show(s);
    edit_rows(s);
    edit_caption(s, false);
    CHD_Loop();
    music_loop(&game->music);
    camera_begin(&game->camera);
    glGetDoublev(GL_MODELVIEW_MATRIX, s->model);
    glGetDoublev(GL_PROJECTION_MATRIX, s->projection);
    glGetIntegerv(GL_VIEWPORT, s->viewport);
    s->seen = 1;
    game->map.render(false);
    edit_draw_marks(s);
    camera_stop();
    edit_draw_words(s);
}

// Writes the unsaved level beside MAP, for the next --edit to offer back.
static void edit_keep(s_edit_screen* s)
{
    if (!edit_dirty(&s->edit))
        return;
    std::string error;
    if (file_write(s->unsaved.c_str(), edit_text(s->edit.map), &error))
        fprintf(stderr, "tumbrelix: the unsaved changes are lost: %s\n", error.c_str());
    else
        fprintf(stderr, "tumbrelix: unsaved changes written to %s\n", s->unsaved.c_str());
}

// The one editor of the process: the screen's state between frames.
static s_edit_screen edit_screen;

int edit_start(s_game* game, const char* path, std::string* error)
{
    s_edit_screen* s = &edit_screen;
    s_map map;
    if (edit_load(path, map, error))
        return 1;
    // The game starts on a copy of the level; the screen then takes the level itself.
    *game->map.getMap() = map;
    // A start that fails has said why on standard error.
    if (game_start(game, nullptr) != 0) {
        error->clear();
        return 1;
    }
    s->game = game;
    s->path = path;
    s->unsaved = s->path + EDIT_UNSAVED_SUFFIX;
    struct stat info;
    s->offer = stat(s->unsaved.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    memset(s->held, 0, sizeof s->held);
    s->seen = 0;
    s->drag = EDIT_DRAG_NONE;
    s->playing = 0;
    s->notes.clear();
    s->notes_until = 0;
    s->caption_dirty = 2;
    edit_take(s, map);
    VTX_SetPausable(0);
    VTX_SetMouse(1, 0);
    edit_face_on(game);
    edit_caption(s, true);
    return 0;
}

int edit_frame(s_game* game)
{
    s_edit_screen* s = &edit_screen;
    if (game_frame_input(game))
        return 1;
    if (edit_pressed(s, EDIT_KEY_F5) && !s->offer)
        edit_toggle_play(s);
    if (s->playing)
        game_frame_update(game);
    else
        edit_screen_frame(s);
    memcpy(s->held, gl_vertex.key, sizeof s->held);
    return 0;
}

void edit_stop(s_game* game)
{
    edit_keep(&edit_screen);
    game_stop(game);
}

int edit_run(const char* path)
{
    static s_game game;
    std::string error;
    if (edit_start(&game, path, &error)) {
        if (!error.empty())
            fprintf(stderr,
                    "%s\ntumbrelix: --edit opens only a map the game reads; %s is left as it is\n",
                    error.c_str(), path);
        return 1;
    }
    while (!edit_frame(&game)) {
    }
    edit_stop(&game);
    return 0;
}
