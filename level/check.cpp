// Authoring checks: turns what the reader meets into findings on their lines,
// judges the level read as a whole, and prints what was read.
#include "level/check.h"

#include <algorithm>
#include <sys/stat.h>

#include "level/reader.h"
#include "level/token.h"

// True when the last three characters are png or bmp in any case: the only
// files the texture store will load.
static bool check_texture_kind(const std::string& path)
{
    if (path.size() < 3)
        return false;
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return tail == "PNG" || tail == "BMP";
}

namespace {

// Collects the findings of one reading, with the lines the level checks need.
struct s_check_watch : s_reader_watch {
    std::vector<s_check_note>& notes;
    int skip_line = 0;     // line of the last skipped-token note, to merge a line's skips
    size_t skip_note = 0;  // its index in notes
    int world_line = 0;    // line of the first WORLD keyword

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
        if (!check_texture_kind(path)) {
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
        note(line, false, "face " + token_quote(id) + " is not defined: the first face is used");
    }

    void failed(int line, const std::string& problem) override
    {
        note(line, true, problem);
    }
};

}  // namespace

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
        if (!opened)
            notes.push_back({0, true, message});
    }
    std::stable_sort(notes.begin() + (long)first, notes.end(),
                     [](const s_check_note& a, const s_check_note& b) { return a.line < b.line; });
}

void check_print(const s_map& map, std::ostream& out)
{
    const s_world& world = map.world;
    out << "WORLD: " << '\n';
    out << "\tNUMFACES " << world.face_count << '\n';
    out << "\tFACES ";
    for (int index : world.face_indices)
        out << index << " ";
    out << '\n' << "\tLIMITS ";
    for (float limit : world.limits)
        out << limit << " ";
    out << '\n' << "END" << '\n';
    for (const s_block_group& group : map.groups) {
        out << "BLOCK GROUP: " << '\n' << "\tFACES ";
        for (int index : group.face_indices)
            out << index << " ";
        out << '\n' << "\tBLOCKS " << '\n';
        for (const s_block& block : group.blocks)
            out << "\t\tBLOCK " << block.origin.x << " " << block.origin.y << " " << block.origin.z
                << '\n';
        out << "\tEND" << '\n';
        out << "\tSIZES MIN " << group.sizes[0][0] << " " << group.sizes[1][0] << " "
            << group.sizes[2][0] << '\n';
        out << "\tSIZES MAX " << group.sizes[0][1] << " " << group.sizes[1][1] << " "
            << group.sizes[2][1] << '\n';
    }
    for (const s_face& face : map.faces) {
        out << "FACE" << '\n' << "\tID " << face.id << '\n';
        for (const s_point& p : face.vertices)
            out << "\tVERTICE " << p.x << " " << p.y << " " << p.z << '\n';
        for (const s_point& p : face.cur_vertices)
            out << "\tCURVERTICE " << p.x << " " << p.y << " " << p.z << '\n';
        for (const s_texcoord& t : face.texcoords)
            out << "\tTEXCOORD " << t.u << " " << t.v << '\n';
        for (const s_texcoord& t : face.cur_texcoords)
            out << "\tCURTEXCOORD " << t.u << " " << t.v << '\n';
        out << "END" << '\n';
    }
    out.flush();
}
