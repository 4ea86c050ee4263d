// Map-file reader of the level: a line-counting token scanner, the WORLD, FACE and BLOCKS grammars, and the resolution pass.
#include "level/reader.h"

#include <cmath>
#include <limits>
#include <algorithm>
#include <fstream>
#include <map>
#include <vector>
#include <sys/stat.h>

#include "level/move.h"
#include "level/shader.h"
#include "level/token.h"
#include "shell/file.h"

// Everything a reading needs besides the map it fills.
struct Reader::State {
    std::map<std::string, int> ids;  // face identifier to index in s_map::faces
    std::string filename;            // path as given
    std::ifstream file;              // the open map file
    s_reader_watch* watch = nullptr;

    std::vector<char> chunk;  // scanner buffer
    size_t chunk_pos = 0;     // next unread byte of chunk
    size_t chunk_len = 0;     // bytes of chunk holding file data
    int line = 1;             // line of the scanner's position
    std::string token;        // last token read
    int token_line = 1;       // line the last token began on

    std::vector<int> world_id_lines;               // line of each world identifier
    std::vector<std::vector<int>> group_id_lines;  // line of each identifier, per group
    std::vector<int> group_count_lines;            // line of each group's NUMFACES (or BLOCKS)
    int world_line = 0;                            // line of the first WORLD keyword
    int limits_line = 0;                           // line of the first LIMITS keyword
    int world_count_line = 0;                      // line of the world's last NUMFACES

    bool next();
    bool fill();
    [[noreturn]] void fail(int at, const std::string& problem);
    void keyword(std::initializer_list<const char*> words);
    bool entry(const char* block, int begin, std::initializer_list<const char*> words);
    [[noreturn]] void failExpected(const char* what, const char* keyword, bool at_end);
    float readFloat(const char* keyword);
    int readInt(const char* keyword);
    const std::string& readWord(const char* keyword, const char* what);
    void readFaceList(int& count, int& count_line, std::vector<std::string>& out,
                      std::vector<int>& lines);
    std::string readKind(const char* keyword, const char* what, std::vector<float>& out);
    void readShader(s_face& face);
    void readMove(s_block_group& group);
    void readWorld(s_map& map);
    void readFace(s_map& map);
    void readBlocks(s_map& map);
    int resolve(const std::string& id, int at);
    void resolveList(const char* owner, int& count, const std::vector<std::string>& names,
                     const std::vector<int>& lines, std::vector<int>& indices, int count_line);
    void resolve(s_map& map);
};

Reader::Reader(std::string name) : state(new State)
{
    state->filename = name;
    struct stat info;
    bool found = stat(name.c_str(), &info) == 0;
    if (!found || S_ISDIR(info.st_mode))
        throw std::string("Could not open file ") + name;
    // A FIFO would hold the open, a device feed the scanner forever.
    std::string problem;
    if (file_check(name.c_str(), FILE_REGULAR, READER_FILE_MAX, &problem))
        throw problem;
    state->file.open(name.c_str(), std::ios::in | std::ios::binary);
    if (!state->file.is_open())
        throw std::string("Could not open file ") + name;
    state->chunk.resize(READER_CHUNK);
}

Reader::~Reader() = default;

void Reader::setWatch(s_reader_watch* watch)
{
    state->watch = watch;
}

void Reader::State::fail(int at, const std::string& problem)
{
    if (watch)
        watch->failed(at, problem);
    throw filename + ":" + std::to_string(at) + ": " + problem;
}

// Refills the scanner buffer; false at the end of the file.
bool Reader::State::fill()
{
    if (!file.good())
        return false;
    file.read(chunk.data(), (std::streamsize)chunk.size());
    if (file.bad())
        fail(token_line, "the file could not be read");
    chunk_len = (size_t)file.gcount();
    chunk_pos = 0;
    return chunk_len > 0;
}

// Reads the next white-space separated token into `token`; false at the end of the file.
bool Reader::State::next()
{
    token.clear();
    for (;;) {
        if (chunk_pos == chunk_len && !fill())
            return false;
        char c = chunk[chunk_pos];
        if (!token_space(c))
            break;
        if (c == '\n')
            line++;
        chunk_pos++;
    }
    token_line = line;
    for (;;) {
        if (chunk_pos == chunk_len && !fill())
            break;
        size_t begin = chunk_pos;
        while (chunk_pos < chunk_len && !token_space(chunk[chunk_pos]))
            chunk_pos++;
        token.append(chunk.data() + begin, chunk_pos - begin);
        if (chunk_pos < chunk_len)
            break;
    }
    return true;
}

// Tells the watch about the token just read in a keyword's place: one of words, or skipped.
void Reader::State::keyword(std::initializer_list<const char*> words)
{
    if (watch)
        watch->keyword(token_line, token,
                       std::find(words.begin(), words.end(), token) != words.end());
}

// Reads the next keyword of the block begun on line begin, words being those
// it knows (END among them); false at its END. The caller passes over any other
// word, which only the watcher hears of.
bool Reader::State::entry(const char* block, int begin, std::initializer_list<const char*> words)
{
    if (!next())
        fail(token_line, std::string("the file ends inside the ") + block +
                             " block begun on line " + std::to_string(begin) + " (END is missing)");
    keyword(words);
    return token != "END";
}

// Reports the token in hand (or the end of the file) where `what` was expected.
void Reader::State::failExpected(const char* what, const char* keyword, bool at_end)
{
    fail(token_line, std::string("expected ") + what + " after " + keyword + ", found " +
                         (at_end ? std::string("the end of the file") : token_quote(token)));
}

float Reader::State::readFloat(const char* keyword)
{
    float value = 0.0f;
    if (!token_float(readWord(keyword, "a number"), value))
        failExpected("a number", keyword, false);
    return value;
}

int Reader::State::readInt(const char* keyword)
{
    int value = 0;
    if (!token_int(readWord(keyword, "an integer"), value))
        failExpected("an integer", keyword, false);
    return value;
}

const std::string& Reader::State::readWord(const char* keyword, const char* what)
{
    if (!next())
        failExpected(what, keyword, true);
    return token;
}

// NUMFACES or FACES, the face list the world and every group share, when the
// word in hand is one of them. FACES reads as many identifiers as the count in
// force; none when it is 0 or less.
void Reader::State::readFaceList(int& count, int& count_line, std::vector<std::string>& out,
                                 std::vector<int>& lines)
{
    if (token == "NUMFACES") {
        count = readInt("NUMFACES");
        count_line = token_line;
        return;
    }
    if (token != "FACES")
        return;
    for (int i = 0; i < count; i++) {
        out.push_back(readWord("FACES", "a face identifier"));
        lines.push_back(token_line);
        if (watch)
            watch->identifier(token_line, token);
    }
}

void Reader::read(s_map& map)
{
    State& s = *state;
    while (s.next()) {
        s.keyword({"WORLD", "FACE", "BLOCKS"});
        if (s.token == "WORLD")
            s.readWorld(map);
        else if (s.token == "FACE")
            s.readFace(map);
        else if (s.token == "BLOCKS")
            s.readBlocks(map);
    }
    s.resolve(map);
}

void Reader::State::readWorld(s_map& map)
{
    int begin = token_line;
    if (world_line == 0)
        world_line = begin;
    s_world& world = map.world;
    while (entry("WORLD", begin, {"NUMFACES", "FACES", "LIMITS", "END"})) {
        if (token == "LIMITS") {
            if (limits_line == 0)
                limits_line = token_line;
            for (int i = 0; i < 4; i++)
                world.limits.push_back(readFloat("LIMITS"));
        } else {
            readFaceList(world.face_count, world_count_line, world.face_ids, world_id_lines);
        }
    }
}

// A SHADER or MOVE line: the kind's name, a count, then that many numbers.
std::string Reader::State::readKind(const char* keyword, const char* what, std::vector<float>& out)
{
    std::string kind = readWord(keyword, what);
    int count = readInt(keyword);
    for (int i = 0; i < count; i++)
        out.push_back(readFloat(keyword));
    return kind;
}

void Reader::State::readShader(s_face& face)
{
    int at = token_line;
    s_shader shader;
    std::string kind = readKind("SHADER", "an animation kind", shader.params);
    const s_shader_item* item = level_kind(g_items, kind);
    bool runs = item->func && shader.params.size() >= item->params;
    shader.func = runs ? item->func : shader_dummy;
    if (watch)
        watch->kind(at, "SHADER", kind, item->func != nullptr, item->params, shader.params.size());
    face.shaders.push_back(shader);
}

void Reader::State::readFace(s_map& map)
{
    int begin = token_line;
    s_face face;
    while (entry("FACE", begin, {"ID", "VERTEX", "TEXCOORD", "TEXTURE", "SHADER", "END"})) {
        if (token == "ID") {
            face.id = readWord("ID", "a face identifier");
        } else if (token == "VERTEX") {
            s_point p;
            p.x = readFloat("VERTEX");
            p.y = readFloat("VERTEX");
            p.z = readFloat("VERTEX");
            face.vertices.push_back(p);
            face.cur_vertices.push_back(p);
        } else if (token == "TEXCOORD") {
            s_texcoord t;
            t.u = readFloat("TEXCOORD");
            t.v = readFloat("TEXCOORD");
            face.texcoords.push_back(t);
            face.cur_texcoords.push_back(t);
        } else if (token == "TEXTURE") {
            face.textures.push_back(readWord("TEXTURE", "a texture path"));
            if (watch)
                watch->texture(token_line, face.textures.back());
        } else if (token == "SHADER") {
            readShader(face);
        }
    }
    if (watch)
        watch->face(begin, face);
    int index = (int)map.faces.size();
    ids[face.id] = index;
    map.faces.push_back(std::move(face));
}

void Reader::State::readMove(s_block_group& group)
{
    int at = token_line;
    s_move move;
    std::string kind = readKind("MOVE", "a movement kind", move.params);
    move.reverse = false;
    move.start = 0;
    const s_move_item* item = level_kind(g_mitems, kind);
    move.func = item->func ? item->func : move_dummy;
    size_t needed = item->params;
    if (watch)
        watch->kind(at, "MOVE", kind, item->func != nullptr, needed, move.params.size());
    if (move.params.size() < needed) {
        move.func = move_dummy;
    } else if (needed && !(move.params[1] >= MOVE_DURATION_MIN_MS)) {
        // Every moving kind divides by its duration and multiplies by its distance:
        // beyond the bounds a block's position would overflow or stop being a number.
        fail(at, "MOVE " + kind + " needs a duration of " + token_number(MOVE_DURATION_MIN_MS) +
                     " ms or more, found " + token_number(move.params[1]));
    } else if (needed && !(std::fabs(move.params[0]) <= MOVE_DISTANCE_MAX)) {
        fail(at, "MOVE " + kind + " needs " +
                     (move.func == move_circle ? "an offset" : "a distance") + " from -" +
                     token_number(MOVE_DISTANCE_MAX) + " to " + token_number(MOVE_DISTANCE_MAX) +
                     " units, found " + token_number(move.params[0]));
    }
    group.moves.push_back(move);
}

void Reader::State::readBlocks(s_map& map)
{
    int begin = token_line;
    s_block_group group;
    std::vector<int> id_lines;
    int count_line = begin;
    while (entry("BLOCKS", begin, {"NUMFACES", "FACES", "ORIGIN", "LIVES", "MOVE", "END"})) {
        if (token == "ORIGIN") {
            s_block block;
            block.origin.x = readFloat("ORIGIN");
            block.origin.y = readFloat("ORIGIN");
            block.origin.z = readFloat("ORIGIN");
            block.position = block.origin;
            group.blocks.push_back(block);
        } else if (token == "LIVES") {
            group.lives = readInt("LIVES");
        } else if (token == "MOVE") {
            readMove(group);
        } else {
            readFaceList(group.face_count, count_line, group.face_ids, id_lines);
        }
    }
    if (watch)
        watch->group(begin, group);
    group_id_lines.push_back(std::move(id_lines));
    group_count_lines.push_back(count_line);
    map.groups.push_back(std::move(group));
}

// Index of a face identifier; an unknown one means the first face of the file.
int Reader::State::resolve(const std::string& id, int at)
{
    auto found = ids.find(id);
    if (found != ids.end())
        return found->second;
    if (ids.empty())
        fail(at, "face " + token_quote(id) + " is used but the file defines no FACE");
    if (watch)
        watch->unresolved(at, id);
    ids[id] = 0;
    return 0;
}

// Resolves the identifiers a count covers. Only identifiers actually read
// are resolved, and the count becomes their number, so nothing downstream
// can index past the list whatever NUMFACES said.
void Reader::State::resolveList(const char* owner, int& count,
                                const std::vector<std::string>& names,
                                const std::vector<int>& lines, std::vector<int>& indices,
                                int count_line)
{
    size_t wanted = count > 0 ? (size_t)count : 0;
    if (watch)
        watch->counted(count_line, owner, count, names.size());
    size_t n = wanted < names.size() ? wanted : names.size();
    for (size_t i = 0; i < n; i++)
        indices.push_back(resolve(names[i], lines[i]));
    count = (int)n;
}

void Reader::State::resolve(s_map& map)
{
    s_world& world = map.world;
    resolveList("the world's", world.face_count, world.face_ids, world_id_lines, world.face_indices,
                world_count_line ? world_count_line : world_line);
    for (size_t g = 0; g < map.groups.size(); g++) {
        s_block_group& group = map.groups[g];
        const std::vector<int>& lines = group_id_lines[g];
        resolveList("the group's", group.face_count, group.face_ids, lines, group.face_indices,
                    group_count_lines[g]);
        reader_group_sizes(map, group);
    }
}

void reader_group_sizes(const s_map& map, s_block_group& group)
{
    for (auto& axis : group.sizes) {
        axis[0] = std::numeric_limits<float>::max();
        axis[1] = std::numeric_limits<float>::lowest();
    }
    for (int j = 0; j < group.face_count && (size_t)j < group.face_indices.size(); j++) {
        const s_face& face = map.faces[(size_t)group.face_indices[(size_t)j]];
        for (size_t k = face.vertices.size(); k-- > 0;) {
            const float c[3] = {face.vertices[k].x, face.vertices[k].y, face.vertices[k].z};
            for (int a = 0; a < 3; a++) {
                if (c[a] < group.sizes[a][0])
                    group.sizes[a][0] = c[a];
                if (c[a] > group.sizes[a][1])
                    group.sizes[a][1] = c[a];
            }
        }
    }
}

void Reader::requireLimits(const s_map& map)
{
    if (map.world.limits.size() < 4)
        throw state->filename + ":" + std::to_string(state->world_line ? state->world_line : 1) +
            ": the world needs LIMITS with four numbers (left, right, bottom, top)";
    std::string problem = reader_limits_problem(map.world.limits);
    if (!problem.empty())
        throw state->filename + ":" + std::to_string(state->limits_line) + ": " + problem;
}

std::string reader_limits_problem(const std::vector<float>& limits)
{
    static const char* const names[4] = {"left", "right", "bottom", "top"};
    for (size_t i = 0; i < 4 && i < limits.size(); i++)
        if (!(std::fabs(limits[i]) <= READER_LIMIT_MAX))
            return std::string("LIMITS ") + names[i] + " " + token_number(limits[i]) +
                   " lies more than " + token_number(READER_LIMIT_MAX) + " units from the origin";
    if (limits.size() < 4)
        return "";
    double width = (double)limits[1] - limits[0], height = (double)limits[3] - limits[2];
    if (!(width >= READER_FIELD_MIN))
        return "LIMITS make a play area " + token_number((float)width) +
               " units wide: right must lie at least " + token_number(READER_FIELD_MIN) +
               " beyond left";
    if (!(height >= READER_FIELD_MIN))
        return "LIMITS make a play area " + token_number((float)height) +
               " units high: top must lie at least " + token_number(READER_FIELD_MIN) +
               " above bottom";
    return "";
}

int reader_load(const std::string& path, s_map& map, std::string* error)
{
    try {
        Reader reader{path};
        reader.read(map);
        reader.requireLimits(map);
    } catch (const std::string& message) {
        *error = message;
        return 1;
    }
    return 0;
}
