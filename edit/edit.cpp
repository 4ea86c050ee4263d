// The editor's operations on the level records and their history. A step
// keeps the groups and limits as they were before it; faces never change in
// the editor, so that is all an undo needs to give back.
#include "edit/edit.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "level/check.h"
#include "level/move.h"
#include "level/reader.h"
#include "level/shader.h"
#include "shell/file.h"

// The template's field, the first level's size, and where its walls and faces lie.
constexpr float EDIT_FIELD[4] = {-11.0f, 11.0f, -9.0f, 9.0f};  // left, right, bottom, top
constexpr float EDIT_WALL = 1.5f;                     // wall thickness beyond the limits, units
constexpr float EDIT_WALL_Z = 1.0f;                   // z of the walls' fronts
constexpr float EDIT_BACK_Z = -1.5f;                  // z of the background
constexpr float EDIT_BRICK[3] = {0.9f, 0.45f, 0.5f};  // half width, half height, front z

// The template's ready block faces: bricks with a texture per hit, and steel.
constexpr const char* EDIT_BRICK_LOOKS[] = {"red", "blue", "green", "yellow"};

// A rectangle facing the viewer in the plane z, its texture repeated every
// tile_u units across and tile_v units up.
static void edit_quad(s_map& map, const char* id, float x0, float y0, float x1, float y1, float z,
                      float tile_u, float tile_v, const std::vector<std::string>& textures)
{
    s_face face;
    face.id = id;
    const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
    for (int i = 0; i < 4; i++) {
        face.vertices.push_back({xs[i], ys[i], z});
        face.texcoords.push_back({(xs[i] - x0) / tile_u, (ys[i] - y0) / tile_v});
    }
    face.cur_vertices = face.vertices;
    face.cur_texcoords = face.texcoords;
    face.textures = textures;
    map.faces.push_back(face);
}

void edit_template(s_map& map)
{
    map = s_map();
    float l = EDIT_FIELD[0], r = EDIT_FIELD[1], b = EDIT_FIELD[2], t = EDIT_FIELD[3];
    edit_quad(map, "background", l - 12, b - 10, r + 12, t + 10, EDIT_BACK_Z, 6, 6,
              {"data/backgrounds/circuit.png"});
    map.faces.back().shaders.push_back({{0.02f, 0.01f}, level_kind(g_items, "SCROLL")->func});
    edit_quad(map, "wall_left", l - EDIT_WALL, b - 3, l, t + EDIT_WALL, EDIT_WALL_Z, 2, 2,
              {"data/walls/metal.png"});
    edit_quad(map, "wall_right", r, b - 3, r + EDIT_WALL, t + EDIT_WALL, EDIT_WALL_Z, 2, 2,
              {"data/walls/metal.png"});
    edit_quad(map, "wall_top", l, t, r, t + EDIT_WALL, EDIT_WALL_Z, 2, 2, {"data/walls/metal.png"});
    for (const s_face& face : map.faces) {
        map.world.face_ids.push_back(face.id);
        map.world.face_indices.push_back((int)map.world.face_indices.size());
    }
    map.world.face_count = (int)map.faces.size();
    map.world.limits.assign(EDIT_FIELD, EDIT_FIELD + 4);
    const float* k = EDIT_BRICK;
    for (const char* look : EDIT_BRICK_LOOKS) {
        std::vector<std::string> textures;
        for (int hits = 0; hits < EDIT_LIVES_MAX; hits++)
            textures.push_back("data/blocks/brick_" + std::string(look) + "_" +
                               std::to_string(hits) + ".png");
        edit_quad(map, look, -k[0], -k[1], k[0], k[1], k[2], 2 * k[0], 2 * k[1], textures);
    }
    edit_quad(map, "steel", -k[0], -k[1], k[0], k[1], k[2], 2 * k[0], 2 * k[1],
              {"data/blocks/steel.png"});
}

// The faces a group's identifiers name, as the reader resolves them (the last
// face of an identifier; an unknown one, the first face), and its box.
static void edit_resolve(const s_map& map, s_block_group& group)
{
    group.face_count = (int)group.face_ids.size();
    group.face_indices.clear();
    for (const std::string& id : group.face_ids) {
        int index = 0;
        for (size_t f = 0; f < map.faces.size(); f++)
            if (map.faces[f].id == id)
                index = (int)f;
        group.face_indices.push_back(index);
    }
    reader_group_sizes(map, group);
}

void edit_block_faces(const s_map& map, std::vector<int>& faces)
{
    faces.clear();
    for (size_t f = 0; f < map.faces.size(); f++) {
        bool world = std::find(map.world.face_indices.begin(), map.world.face_indices.end(),
                               (int)f) != map.world.face_indices.end();
        if (!world && !map.faces[f].id.empty())
            faces.push_back((int)f);
    }
}

void edit_open(s_edit* edit, s_map& map)
{
    edit->changes++;
    edit->map = s_map();
    std::swap(edit->map, map);
    edit->selection.clear();
    edit->group = edit->map.groups.empty() ? EDIT_NONE : 0;
    edit->undo.clear();
    edit->redo.clear();
    edit->serial = edit->saved = 0;
    edit->serial_next = 1;
    edit->open = 0;
}

int edit_dirty(const s_edit* edit)
{
    return edit->serial != edit->saved;
}

void edit_saved(s_edit* edit)
{
    edit->saved = edit->serial;
}

float edit_snap(float value, int free)
{
    return free ? value : std::round(value / EDIT_SNAP) * EDIT_SNAP;
}

s_edit_pick edit_pick(const s_edit* edit, float x, float y)
{
    const std::vector<s_block_group>& groups = edit->map.groups;
    for (size_t g = groups.size(); g-- > 0;) {
        const s_block_group& group = groups[g];
        for (size_t i = group.blocks.size(); i-- > 0;) {
            const s_point& o = group.blocks[i].origin;
            if (x >= o.x + group.sizes[0][0] && x <= o.x + group.sizes[0][1] &&
                y >= o.y + group.sizes[1][0] && y <= o.y + group.sizes[1][1])
                return {(int)g, (int)i};
        }
    }
    return {EDIT_NONE, EDIT_NONE};
}

void edit_select(s_edit* edit, s_edit_pick pick)
{
    edit->selection.clear();
    if (pick.group == EDIT_NONE)
        return;
    edit->selection.push_back(pick);
    edit->group = pick.group;
}

void edit_select_box(s_edit* edit, float x0, float y0, float x1, float y1)
{
    edit->selection.clear();
    float xa = std::min(x0, x1), xb = std::max(x0, x1), ya = std::min(y0, y1),
          yb = std::max(y0, y1);
    const std::vector<s_block_group>& groups = edit->map.groups;
    for (size_t g = 0; g < groups.size(); g++)
        for (size_t i = 0; i < groups[g].blocks.size(); i++) {
            const s_point& o = groups[g].blocks[i].origin;
            if (o.x >= xa && o.x <= xb && o.y >= ya && o.y <= yb)
                edit->selection.push_back({(int)g, (int)i});
        }
}

void edit_group_next(s_edit* edit)
{
    if (edit->map.groups.empty())
        return;
    edit->group = (edit->group + 1) % (int)edit->map.groups.size();
}

static s_edit_state edit_state(const s_edit* edit)
{
    return {edit->map.groups, edit->map.world.limits, edit->selection, edit->group, edit->serial};
}

static void edit_restore(s_edit* edit, s_edit_state& state)
{
    std::swap(edit->map.groups, state.groups);
    std::swap(edit->map.world.limits, state.limits);
    std::swap(edit->selection, state.selection);
    edit->group = state.group;
    edit->serial = state.serial;
}

// Begins a change: what the level is now goes on the history, unless the drag
// this change belongs to already put it there.
static void edit_step(s_edit* edit)
{
    edit->changes++;
    if (edit->open == 2)
        return;
    edit->undo.push_back(edit_state(edit));
    edit->redo.clear();
    edit->serial = edit->serial_next++;
    if (edit->open)
        edit->open = 2;
}

void edit_begin(s_edit* edit)
{
    edit->open = 1;
}

// True when the groups and limits hold the same level.
static bool edit_same(const s_map& map, const s_edit_state& state)
{
    if (map.world.limits != state.limits || map.groups.size() != state.groups.size())
        return false;
    for (size_t g = 0; g < map.groups.size(); g++) {
        const s_block_group &a = map.groups[g], &b = state.groups[g];
        if (a.face_ids != b.face_ids || a.lives != b.lives || a.blocks.size() != b.blocks.size() ||
            a.moves.size() != b.moves.size())
            return false;
        for (size_t i = 0; i < a.blocks.size(); i++) {
            const s_point &p = a.blocks[i].origin, &q = b.blocks[i].origin;
            if (p.x != q.x || p.y != q.y || p.z != q.z)
                return false;
        }
        for (size_t m = 0; m < a.moves.size(); m++)
            if (a.moves[m].func != b.moves[m].func || a.moves[m].params != b.moves[m].params)
                return false;
    }
    return true;
}

void edit_end(s_edit* edit)
{
    if (edit->open == 2 && edit_same(edit->map, edit->undo.back())) {
        edit->serial = edit->undo.back().serial;
        edit->undo.pop_back();
    }
    edit->open = 0;
}

static s_block_group* edit_current(s_edit* edit)
{
    if (edit->group < 0 || (size_t)edit->group >= edit->map.groups.size())
        return nullptr;
    return &edit->map.groups[(size_t)edit->group];
}

// A new group with these faces and one life, current.
static void edit_add_group(s_edit* edit, const std::vector<std::string>& face_ids)
{
    s_block_group group;
    group.face_ids = face_ids;
    group.lives = 1;
    edit_resolve(edit->map, group);
    edit->map.groups.push_back(group);
    edit->group = (int)edit->map.groups.size() - 1;
}

// The faces a new group starts with: the current group's, else the first block face.
static bool edit_new_faces(s_edit* edit, std::vector<std::string>& ids)
{
    if (const s_block_group* group = edit_current(edit)) {
        ids = group->face_ids;
        return true;
    }
    std::vector<int> faces;
    edit_block_faces(edit->map, faces);
    if (faces.empty())
        return false;
    ids.assign(1, edit->map.faces[(size_t)faces[0]].id);
    return true;
}

int edit_place(s_edit* edit, float x, float y)
{
    std::vector<std::string> ids;
    bool fresh = !edit_current(edit);
    if (fresh && !edit_new_faces(edit, ids))
        return 1;
    edit_step(edit);
    if (fresh)
        edit_add_group(edit, ids);
    s_block_group& group = edit->map.groups[(size_t)edit->group];
    s_block block;
    block.origin = block.position = {x, y, 0.0f};
    group.blocks.push_back(block);
    edit->selection.assign(1, {edit->group, (int)group.blocks.size() - 1});
    return 0;
}

int edit_move(s_edit* edit, float dx, float dy)
{
    if (edit->selection.empty() || (dx == 0 && dy == 0))
        return 1;
    edit_step(edit);
    for (const s_edit_pick& pick : edit->selection) {
        s_block& block = edit->map.groups[(size_t)pick.group].blocks[(size_t)pick.block];
        block.origin.x += dx;
        block.origin.y += dy;
        block.position = block.origin;
    }
    return 0;
}

int edit_delete(s_edit* edit)
{
    if (edit->selection.empty())
        return 1;
    edit_step(edit);
    std::vector<s_edit_pick> picks = edit->selection;
    // From the last index down, so the indices still to remove stay valid.
    std::sort(picks.begin(), picks.end(), [](const s_edit_pick& a, const s_edit_pick& b) {
        return a.group != b.group ? a.group > b.group : a.block > b.block;
    });
    for (const s_edit_pick& pick : picks) {
        std::vector<s_block>& blocks = edit->map.groups[(size_t)pick.group].blocks;
        blocks.erase(blocks.begin() + pick.block);
    }
    edit->selection.clear();
    return 0;
}

int edit_duplicate(s_edit* edit)
{
    if (edit->selection.empty())
        return 1;
    edit_step(edit);
    std::vector<s_edit_pick> copies;
    for (const s_edit_pick& pick : edit->selection) {
        std::vector<s_block>& blocks = edit->map.groups[(size_t)pick.group].blocks;
        s_block block = blocks[(size_t)pick.block];
        block.origin.x += EDIT_GRID;
        block.position = block.origin;
        blocks.push_back(block);
        copies.push_back({pick.group, (int)blocks.size() - 1});
    }
    edit->selection = copies;
    return 0;
}

int edit_group_new(s_edit* edit)
{
    std::vector<std::string> ids;
    if (!edit_new_faces(edit, ids))
        return 1;
    edit_step(edit);
    edit_add_group(edit, ids);
    edit->selection.clear();
    return 0;
}

int edit_lives(s_edit* edit, int lives)
{
    s_block_group* group = edit_current(edit);
    lives = std::clamp(lives, 0, (int)EDIT_LIVES_MAX);
    if (!group || group->lives == lives)
        return 1;
    edit_step(edit);
    edit_current(edit)->lives = lives;
    return 0;
}

int edit_face_toggle(s_edit* edit, int face)
{
    s_block_group* group = edit_current(edit);
    std::vector<int> faces;
    edit_block_faces(edit->map, faces);
    if (!group || std::find(faces.begin(), faces.end(), face) == faces.end())
        return 1;
    const std::string& id = edit->map.faces[(size_t)face].id;
    auto found = std::find(group->face_ids.begin(), group->face_ids.end(), id);
    if (found != group->face_ids.end() && group->face_ids.size() == 1)
        return 1;
    edit_step(edit);
    group = edit_current(edit);
    if (found != group->face_ids.end())
        group->face_ids.erase(std::find(group->face_ids.begin(), group->face_ids.end(), id));
    else
        group->face_ids.push_back(id);
    edit_resolve(edit->map, *group);
    return 0;
}

int edit_face_next(s_edit* edit)
{
    s_block_group* group = edit_current(edit);
    std::vector<int> faces;
    edit_block_faces(edit->map, faces);
    if (!group || faces.empty())
        return 1;
    size_t next = 0;
    for (size_t i = 0; i < faces.size(); i++)
        if (!group->face_ids.empty() && edit->map.faces[(size_t)faces[i]].id == group->face_ids[0])
            next = (i + 1) % faces.size();
    std::vector<std::string> ids(1, edit->map.faces[(size_t)faces[next]].id);
    if (ids == group->face_ids)
        return 1;
    edit_step(edit);
    group = edit_current(edit);
    group->face_ids = ids;
    edit_resolve(edit->map, *group);
    return 0;
}

int edit_move_add(s_edit* edit, const char* kind)
{
    const s_move_item* item = level_kind(g_mitems, kind);
    if (!edit_current(edit) || !item->func || item->params < MOVE_PARAM_COUNT)
        return 1;
    edit_step(edit);
    s_move move;
    move.func = item->func;
    // A circle is run round its offset point: none keeps it about the block.
    move.params = {item->func == move_circle ? 0.0f : EDIT_DISTANCE_NEW, EDIT_DURATION_NEW};
    edit_current(edit)->moves.push_back(move);
    return 0;
}

// The current group's movement at index, or null.
static s_move* edit_movement(s_edit* edit, int index)
{
    s_block_group* group = edit_current(edit);
    if (!group || index < 0 || (size_t)index >= group->moves.size())
        return nullptr;
    return &group->moves[(size_t)index];
}

int edit_move_remove(s_edit* edit, int index)
{
    if (!edit_movement(edit, index))
        return 1;
    edit_step(edit);
    std::vector<s_move>& moves = edit_current(edit)->moves;
    moves.erase(moves.begin() + index);
    return 0;
}

int edit_move_kind(s_edit* edit, int index)
{
    if (!edit_movement(edit, index))
        return 1;
    edit_step(edit);
    s_move& move = *edit_movement(edit, index);
    // The next kind of the table that moves, after the movement's own.
    const s_move_item* item = g_mitems;
    while (item->func && item->func != move.func)
        item++;
    do {
        item = item->func ? item + 1 : g_mitems;
    } while (!item->func || item->params < MOVE_PARAM_COUNT);
    move.func = item->func;
    if (move.params.size() < MOVE_PARAM_COUNT)
        move.params = {EDIT_DISTANCE_NEW, EDIT_DURATION_NEW};
    move.reverse = false;
    move.start = 0;
    return 0;
}

int edit_move_number(s_edit* edit, int index, int param, int steps)
{
    s_move* move = edit_movement(edit, index);
    if (!move || param < 0 || param >= MOVE_PARAM_COUNT || move->params.size() < MOVE_PARAM_COUNT)
        return 1;
    float value = move->params[(size_t)param];
    if (param == 0)
        value = std::clamp(value + (float)steps * EDIT_DISTANCE_STEP, -MOVE_DISTANCE_MAX,
                           MOVE_DISTANCE_MAX);
    else
        value = std::max(value + (float)steps * EDIT_DURATION_STEP, EDIT_DURATION_STEP);
    if (value == move->params[(size_t)param])
        return 1;
    edit_step(edit);
    edit_movement(edit, index)->params[(size_t)param] = value;
    return 0;
}

int edit_limit(s_edit* edit, int side, float value)
{
    if (side < 0 || side > 3 || edit->map.world.limits.size() < 4 ||
        edit->map.world.limits[(size_t)side] == value)
        return 1;
    std::vector<float> limits = edit->map.world.limits;
    limits[(size_t)side] = value;
    if (!reader_limits_problem(limits).empty())
        return 1;
    edit_step(edit);
    edit->map.world.limits[(size_t)side] = value;
    return 0;
}

// Steps through the history: the state on top of from comes back, and the
// level as it is now goes on to.
static int edit_travel(s_edit* edit, std::vector<s_edit_state>& from, std::vector<s_edit_state>& to)
{
    if (from.empty())
        return 1;
    s_edit_state state = edit_state(edit);
    edit->changes++;
    edit_restore(edit, from.back());
    from.pop_back();
    to.push_back(std::move(state));
    return 0;
}

int edit_undo(s_edit* edit)
{
    return edit_travel(edit, edit->undo, edit->redo);
}

int edit_redo(s_edit* edit)
{
    return edit_travel(edit, edit->redo, edit->undo);
}

const char* edit_move_name(const s_move& move)
{
    for (const s_move_item* item = g_mitems; item->func; item++)
        if (item->func == move.func)
            return item->name.c_str();
    return "DUMMY";
}

std::string edit_text(const s_map& map)
{
    std::ostringstream out;
    check_print(map, out);
    return out.str();
}

int edit_load(const char* path, s_map& map, std::string* error)
{
    struct stat info;
    if (stat(path, &info) != 0 && errno == ENOENT) {
        edit_template(map);
        return 0;
    }
    if (file_check(path, FILE_REGULAR, EDIT_MAP_MAX, error))
        return 1;
    return reader_load(path, map, error);
}

int edit_save(s_edit* edit, const char* path, std::vector<s_check_note>* notes, std::string* error)
{
    std::string text = edit_text(edit->map), old;
    s_file_save save;
    std::string suffix = ".tmp" + std::to_string((long)getpid());
    if (file_save_open(&save, path, suffix.c_str(), error))
        return 1;
    s_map back;
    bool written =
        fwrite(text.data(), 1, text.size(), save.file) == text.size() && fflush(save.file) == 0;
    if (!written || reader_load(save.temp, back, error)) {
        // The reader names the temporary file: the author knows the map by its own name.
        if (!written)
            *error = std::string(path) + ": cannot be written";
        else if (error->compare(0, save.temp.size(), save.temp) == 0)
            *error = path + error->substr(save.temp.size());
        file_save_close(&save, 1);
        return 1;
    }
    notes->clear();
    s_map checked;
    check_level(save.temp, checked, *notes);
    struct stat info;
    if (stat(path, &info) == 0 && (file_read(path, EDIT_MAP_MAX, &old, error) ||
                                   file_write((std::string(path) + "~").c_str(), old, error))) {
        file_save_close(&save, 1);
        return 1;
    }
    if (file_save_commit(&save, error))
        return 1;
    edit_saved(edit);
    return 0;
}
