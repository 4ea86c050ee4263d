// Authoring checks: turns what the reader meets into findings on their lines,
// judges the level read as a whole, and prints what was read.
#include "level/check.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <sys/stat.h>

#include "level/move.h"
#include "level/reader.h"
#include "level/shader.h"
#include "level/token.h"
#include "shell/path.h"

namespace {

// Collects the findings of one reading, with the lines the level checks need.
struct s_check_watch : s_reader_watch {
    std::vector<s_check_note>& notes;
    int skip_line = 0;              // line of the last skipped-token note, to merge a line's skips
    size_t skip_note = 0;           // its index in notes
    int world_line = 0;             // line of the first WORLD keyword
    int limits_line = 0;            // line of the first LIMITS keyword
    int lives_line = 0;             // line of the LIVES of the group being read
    std::vector<int> origin_lines;  // ORIGIN lines of the group being read
    std::vector<int> group_lines;   // line of each group's LIVES, else BLOCKS
    std::vector<std::vector<int>> group_origins;  // ORIGIN lines, per group

    explicit s_check_watch(std::vector<s_check_note>& out) : notes(out)
    {}

    void note(int line, bool error, const std::string& text)
    {
        notes.push_back({line, error, text});
    }

    void keyword(int line, const std::string& token, bool known) override
    {
        if (known) {
            if (token == "WORLD" && world_line == 0)
                world_line = line;
            if (token == "LIMITS" && limits_line == 0)
                limits_line = line;
            if (token == "LIVES")
                lives_line = line;
            if (token == "ORIGIN")
                origin_lines.push_back(line);
            return;
        }
        if (skip_line == line && skip_note + 1 == notes.size()) {
            notes.back().text += " " + token_quote(token);
            return;
        }
        skip_line = line;
        skip_note = notes.size();
        note(line, false, "skipped token(s) that are not keywords here: " + token_quote(token));
    }

    void identifier(int line, const std::string& id) override
    {
        static const char* const keywords[] = {"NUMFACES", "FACES", "LIMITS", "ORIGIN",
                                               "LIVES",    "MOVE",  "END"};
        for (const char* word : keywords)
            if (id == word)
                note(line, false,
                     "FACES took the keyword " + token_quote(id) +
                         " as a face identifier: is NUMFACES too large?");
    }

    void texture(int line, const std::string& path) override
    {
        // The texture store loads only these, whatever the case of the ending.
        if (!path_ends_with(path.c_str(), "png") && !path_ends_with(path.c_str(), "bmp")) {
            note(line, true,
                 "TEXTURE " + token_quote(path) +
                     " does not end in png or bmp: it cannot be loaded");
            return;
        }
        struct stat info;
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            note(line, true, "TEXTURE " + token_quote(path) + " does not exist");
    }

    void kind(int line, const char* keyword, const std::string& name, bool known, size_t needed,
              size_t given) override
    {
        if (!known)
            note(line, false,
                 std::string("unknown ") + keyword + " kind " + token_quote(name) +
                     ": it does nothing");
        if (given < needed)
            note(line, false,
                 std::string(keyword) + " " + name + " reads " + std::to_string(needed) +
                     " parameters but has " + std::to_string(given) + ": it does nothing");
    }

    void face(int line, const s_face& face) override
    {
        std::string name = "face " + token_quote(face.id);
        size_t nv = face.vertices.size(), nt = face.texcoords.size();
        if (nv < 3)
            note(line, false,
                 name + " has " + std::to_string(nv) + " vertices: fewer than three draw nothing");
        if (nt < nv)
            note(line, true,
                 name + " has " + std::to_string(nt) + " TEXCOORD for " + std::to_string(nv) +
                     " VERTEX: its last vertices have no texture coordinate");
        else if (nt > nv)
            note(line, false,
                 name + " has " + std::to_string(nt) + " TEXCOORD for " + std::to_string(nv) +
                     " VERTEX: the extra ones are unused");
    }

    void group(int line, const s_block_group& group) override
    {
        if (group.blocks.empty())
            note(line, false, "the BLOCKS group has no ORIGIN: it has no blocks");
        group_lines.push_back(lives_line ? lives_line : line);
        group_origins.push_back(origin_lines);
        lives_line = 0;
        origin_lines.clear();
    }

    void counted(int line, const char* owner, int count, size_t given) override
    {
        if ((size_t)std::max(count, 0) != given)
            note(line, false,
                 std::string(owner) + " NUMFACES is " + std::to_string(count) + " but " +
                     std::to_string(given) + " face identifiers were given");
    }

    void unresolved(int line, const std::string& id) override
    {
        note(line, true, "face " + token_quote(id) + " is not defined: the first face is used");
    }

    void failed(int line, const std::string& problem) override
    {
        note(line, true, problem);
    }
};

}  // namespace

enum {
    CHECK_PAD_ROOM = 3,         // units above the bottom limit kept for the pad and a launch
    CHECK_CELLS_MAX = 4000000,  // most ball places the reach search visits
};
constexpr float CHECK_CELL = 0.1f;       // step between ball places of the reach search, units
constexpr float CHECK_BALL_HALF = 0.5f;  // half the side of a ball's box, units
constexpr float CHECK_TOUCH = 0.55f;     // a ball centre this near a block's box hits it

// An axis-aligned box in the level's plane.
struct s_check_box {
    float x0, x1, y0, y1;
};

static bool check_meets(const s_check_box& a, const s_check_box& b)
{
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

// Where a block can be at any time (moving), or at rest: its box widened by its
// movements' travel.
static s_check_box check_block_box(const s_block_group& g, const s_block& b, bool moving)
{
    float lo[2] = {b.origin.x, b.origin.y}, hi[2] = {b.origin.x, b.origin.y};
    for (const s_move& m : g.moves)
        for (int a = 0; a < 2 && moving && m.func != move_dummy; a++) {
            float p = m.params[0], o = a ? b.origin.y : b.origin.x;
            if (m.func == (a ? move_horizontal : move_vertical))
                continue;
            lo[a] = m.func == move_circle ? o + p - 1 : o + std::min(0.0f, p);
            hi[a] = m.func == move_circle ? o + p + 1 : o + std::max(0.0f, p);
        }
    return {lo[0] + g.sizes[0][0], hi[0] + g.sizes[0][1], lo[1] + g.sizes[1][0],
            hi[1] + g.sizes[1][1]};
}

// One block of the level with the line that placed it.
struct s_check_block {
    const s_block_group* group;
    const s_block* block;
    int line;
};

static std::string check_at(const s_block& b)
{
    std::ostringstream out;
    out << "the block at " << b.origin.x << ", " << b.origin.y;
    return out.str();
}

// Blocks leaving the field or meeting another on their paths, and breakable
// blocks no ball from the pad can reach past the unbreakable ones.
static void check_field(const s_map& map, std::vector<s_check_note>& notes,
                        const std::vector<s_check_block>& blocks)
{
    const std::vector<float>& l = map.world.limits;
    for (size_t i = 0; i < blocks.size(); i++) {
        const s_check_block& a = blocks[i];
        s_check_box box = check_block_box(*a.group, *a.block, true);
        if (!(box.x0 >= l[0] && box.x1 <= l[1] && box.y0 >= l[2] + CHECK_PAD_ROOM &&
              box.y1 <= l[3]))
            notes.push_back({a.line, true,
                             check_at(*a.block) +
                                 " leaves the field, or comes within 3 units of the pad's line"});
        // Blocks of one group move in step, so only their places at rest can meet.
        for (size_t j = 0; j < i; j++) {
            const s_check_block& b = blocks[j];
            bool moving = a.group != b.group;
            if (check_meets(check_block_box(*a.group, *a.block, moving),
                            check_block_box(*b.group, *b.block, moving)))
                notes.push_back({a.line, true,
                                 check_at(*a.block) + " overlaps " + check_at(*b.block) +
                                     " along their paths"});
        }
    }
    float cell = CHECK_CELL;
    float area = (l[1] - l[0]) * (l[3] - l[2]);
    if (area / (cell * cell) > CHECK_CELLS_MAX)
        cell = std::sqrt(area / CHECK_CELLS_MAX);
    int nx = (int)((l[1] - l[0]) / cell), ny = (int)((l[3] - l[2]) / cell);
    auto ball = [&](int i, int j, float half) {
        float x = l[0] + (float)i * cell, y = l[2] + (float)j * cell;
        return s_check_box{x - half, x + half, y - half, y + half};
    };
    auto free_at = [&](int i, int j) {
        s_check_box b = ball(i, j, CHECK_BALL_HALF);
        if (i < 0 || j < 0 || i >= nx || j >= ny || b.x0 < l[0] || b.x1 > l[1] || b.y1 > l[3])
            return false;
        for (const s_check_block& w : blocks)
            if (w.group->lives <= 0 && check_meets(check_block_box(*w.group, *w.block, true), b))
                return false;
        return true;
    };
    std::vector<unsigned char> seen((size_t)std::max(nx, 0) * (size_t)std::max(ny, 0), 0);
    std::vector<std::pair<int, int>> todo = {{nx / 2, (int)(1 / cell)}};
    while (!todo.empty()) {
        auto [i, j] = todo.back();
        todo.pop_back();
        if (!free_at(i, j) || seen[(size_t)j * (size_t)nx + (size_t)i])
            continue;
        seen[(size_t)j * (size_t)nx + (size_t)i] = 1;
        todo.insert(todo.end(), {{i + 1, j}, {i - 1, j}, {i, j + 1}, {i, j - 1}});
    }
    for (const s_check_block& b : blocks) {
        bool reached = b.group->lives <= 0;
        s_check_box rest = check_block_box(*b.group, *b.block, false);
        for (size_t k = 0; k < seen.size() && !reached; k++)
            reached =
                seen[k] &&
                check_meets(ball((int)(k % (size_t)nx), (int)(k / (size_t)nx), CHECK_TOUCH), rest);
        if (!reached)
            notes.push_back(
                {b.line, true, check_at(*b.block) + " is breakable but no ball can reach it"});
    }
}

// Findings about the level as a whole, once it has been read.
static void check_whole(const s_map& map, s_check_watch& watch)
{
    size_t limits = map.world.limits.size();
    int at = watch.world_line ? watch.world_line : 1;
    if (limits < 4)
        watch.note(at, true,
                   "the world has " + std::to_string(limits) +
                       " LIMITS values: the game needs four (left, right, bottom, top)");
    else if (limits > 4)
        watch.note(at, false,
                   "the world has " + std::to_string(limits) +
                       " LIMITS values: the game uses the first four");
    std::string problem = reader_limits_problem(map.world.limits);
    if (!problem.empty())
        watch.note(watch.limits_line ? watch.limits_line : 1, true, problem);
    for (size_t g = 0; g < map.groups.size(); g++) {
        const s_block_group& group = map.groups[g];
        for (int index : group.face_indices) {
            const s_face& face = map.faces[(size_t)index];
            if (group.lives > 0 && face.textures.size() < (size_t)group.lives)
                watch.note(watch.group_lines[g], true,
                           "face " + token_quote(face.id) + " has " +
                               std::to_string(face.textures.size()) + " TEXTURE for LIVES " +
                               std::to_string(group.lives) +
                               ": its blocks turn plain after the last one");
        }
    }
    if (limits < 4 || !problem.empty())
        return;
    std::vector<s_check_block> blocks;
    for (size_t g = 0; g < map.groups.size(); g++)
        for (size_t i = 0; i < map.groups[g].blocks.size(); i++)
            blocks.push_back({&map.groups[g], &map.groups[g].blocks[i],
                              i < watch.group_origins[g].size() ? watch.group_origins[g][i]
                                                                : watch.group_lines[g]});
    check_field(map, watch.notes, blocks);
}

void check_level(const std::string& path, s_map& map, std::vector<s_check_note>& notes)
{
    size_t first = notes.size();
    s_check_watch watch(notes);
    bool opened = false;
    try {
        Reader reader(path);
        opened = true;
        reader.setWatch(&watch);
        reader.read(map);
        check_whole(map, watch);
    } catch (const std::string& message) {
        // The file itself is named where the note is shown.
        std::string named = path + ": ";
        if (!opened)
            notes.push_back({0, true,
                             message.compare(0, named.size(), named) == 0
                                 ? message.substr(named.size())
                                 : message});
    }
    std::stable_sort(notes.begin() + (long)first, notes.end(),
                     [](const s_check_note& a, const s_check_note& b) { return a.line < b.line; });
}

// The kind name a function was chosen by; a kind the reader did not know ran
// as DUMMY, and DUMMY is what it reads back as.
template <typename T, typename F> static const char* check_kind_name(const T* table, F func)
{
    for (; table->func; table++)
        if (table->func == func)
            return table->name.c_str();
    return "DUMMY";
}

// A SHADER or MOVE line's kind, count and numbers.
static void check_print_kind(std::ostream& out, const char* name, const std::vector<float>& params)
{
    out << ' ' << name << ' ' << params.size();
    for (float p : params)
        out << ' ' << token_number(p);
    out << '\n';
}

// NUMFACES and the identifiers that count covers: what the reader resolved.
static void check_print_faces(std::ostream& out, int count, const std::vector<std::string>& ids)
{
    out << "  NUMFACES " << count << '\n';
    if (count <= 0)
        return;
    out << "  FACES";
    for (int i = 0; i < count && (size_t)i < ids.size(); i++)
        out << ' ' << ids[(size_t)i];
    out << '\n';
}

void check_print(const s_map& map, std::ostream& out)
{
    const s_world& world = map.world;
    out << "WORLD\n";
    check_print_faces(out, world.face_count, world.face_ids);
    for (size_t i = 0; i + 4 <= world.limits.size(); i += 4)
        out << "  LIMITS " << token_number(world.limits[i]) << ' '
            << token_number(world.limits[i + 1]) << ' ' << token_number(world.limits[i + 2]) << ' '
            << token_number(world.limits[i + 3]) << '\n';
    out << "END\n";
    for (const s_face& face : map.faces) {
        out << "FACE\n";
        // An empty identifier has no token: the next word would become it.
        if (!face.id.empty())
            out << "  ID " << face.id << '\n';
        for (const s_point& p : face.vertices)
            out << "  VERTEX " << token_number(p.x) << ' ' << token_number(p.y) << ' '
                << token_number(p.z) << '\n';
        for (const s_texcoord& t : face.texcoords)
            out << "  TEXCOORD " << token_number(t.u) << ' ' << token_number(t.v) << '\n';
        for (const std::string& path : face.textures)
            out << "  TEXTURE " << path << '\n';
        for (const s_shader& shader : face.shaders) {
            out << "  SHADER";
            check_print_kind(out, check_kind_name(g_items, shader.func), shader.params);
        }
        out << "END\n";
    }
    for (const s_block_group& group : map.groups) {
        out << "BLOCKS\n";
        check_print_faces(out, group.face_count, group.face_ids);
        out << "  LIVES " << group.lives << '\n';
        for (const s_move& move : group.moves) {
            out << "  MOVE";
            check_print_kind(out, check_kind_name(g_mitems, move.func), move.params);
        }
        for (const s_block& block : group.blocks)
            out << "  ORIGIN " << token_number(block.origin.x) << ' '
                << token_number(block.origin.y) << ' ' << token_number(block.origin.z) << '\n';
        out << "END\n";
    }
    out.flush();
}
