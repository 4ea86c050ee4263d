// Map-file reader of the level: a line-counting token scanner, the WORLD, FACE and BLOCKS grammars, and the resolution pass.
#include "level/reader.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <limits>
#include <sstream>
#include <sys/stat.h>

#include "level/move.h"
#include "level/shader.h"
#include "shell/vertex.h"

s_shader_item g_items[8] = {
    {"DUMMY", shader_dummy},   {"ROTATE", shader_rotate},
    {"SCROLL", shader_scroll}, {"TURB", shader_turb},
    {"WAVE", shader_wave},     {"ROTZOOM", shader_rotzoom},
    {"COLOR", shader_color},   {"", nullptr},
};

s_move_item g_mitems[6] = {
    {"DUMMY", move_dummy},           {"CIRCLE", move_circle},     {"DIAGONAL", move_diagonal},
    {"HORIZONTAL", move_horizontal}, {"VERTICAL", move_vertical}, {"", nullptr},
};

// Longest piece of a bad token quoted back in a message.
static const size_t READER_QUOTE_MAX = 40;

// White space as the standard streams see it in the C locale.
static bool reader_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A token made safe to echo: cut short, control and non-ASCII bytes shown as '?'.
static std::string reader_quote(const std::string& text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size() && i < READER_QUOTE_MAX; i++) {
        unsigned char c = (unsigned char)text[i];
        out += (c >= 32 && c < 127) ? (char)c : '?';
    }
    if (text.size() > READER_QUOTE_MAX)
        out += "...";
    return out + "\"";
}

static bool reader_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Whole-token decimal syntax: sign, digits, optional fraction and exponent.
// strtof alone would also take "inf", "nan" and hex floats, which the map
// format never had.
static bool reader_float_syntax(const char* s)
{
    if (*s == '+' || *s == '-')
        s++;
    int digits = 0;
    while (reader_digit(*s)) {
        s++;
        digits++;
    }
    if (*s == '.') {
        s++;
        while (reader_digit(*s)) {
            s++;
            digits++;
        }
    }
    if (digits == 0)
        return false;
    if (*s == 'e' || *s == 'E') {
        s++;
        if (*s == '+' || *s == '-')
            s++;
        if (!reader_digit(*s))
            return false;
        while (reader_digit(*s))
            s++;
    }
    return *s == '\0';
}

// Parses a whole token as a float; false on bad syntax or overflow.
static bool reader_parse_float(const std::string& text, float& value)
{
    if (text.find('\0') != std::string::npos || !reader_float_syntax(text.c_str()))
        return false;
    errno = 0;
    float v = strtof(text.c_str(), nullptr);
    if (errno == ERANGE && (v > 1.0f || v < -1.0f))
        return false;
    value = v;
    return true;
}

// A number as messages quote it: as the stream writes it when that reads back
// as the same float, else in the fewest digits that do, so a value just past
// a bound never shows as the bound itself.
static std::string reader_number(float value)
{
    char text[32];
    snprintf(text, sizeof text, "%g", (double)value);
    if (strtof(text, nullptr) == value && !strchr(text, 'e'))
        return text;
    for (int digits = 1; digits <= 9; digits++) {
        snprintf(text, sizeof text, "%.*g", digits, (double)value);
        if (strtof(text, nullptr) == value)
            break;
    }
    return text;
}

// What makes the first four limits no play area, or "" when they make one.
static std::string reader_limits_problem(const std::vector<float>& limits)
{
    static const char* const names[4] = {"left", "right", "bottom", "top"};
    for (int i = 0; i < 4; i++)
        if (!(std::fabs(limits[(size_t)i]) <= READER_LIMIT_MAX))
            return std::string("LIMITS ") + names[i] + " " + reader_number(limits[(size_t)i]) +
                   " lies more than " + reader_number(READER_LIMIT_MAX) + " units from the origin";
    double width = (double)limits[1] - limits[0], height = (double)limits[3] - limits[2];
    if (!(width >= READER_FIELD_MIN))
        return "LIMITS make a play area " + reader_number((float)width) +
               " units wide: right must lie at least " + reader_number(READER_FIELD_MIN) +
               " beyond left";
    if (!(height >= READER_FIELD_MIN))
        return "LIMITS make a play area " + reader_number((float)height) +
               " units high: top must lie at least " + reader_number(READER_FIELD_MIN) +
               " above bottom";
    return "";
}

// Parses a whole token as a 32-bit int; false on bad syntax or overflow.
static bool reader_parse_int(const std::string& text, int& value)
{
    const char* s = text.c_str();
    size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    if (i == text.size())
        return false;
    for (size_t k = i; k < text.size(); k++)
        if (!reader_digit(s[k]))
            return false;
    errno = 0;
    long long v = strtoll(s, nullptr, 10);
    if (errno == ERANGE || v < std::numeric_limits<int>::min() ||
        v > std::numeric_limits<int>::max())
        return false;
    value = (int)v;
    return true;
}

// True when the last three characters are png or bmp in any case: the only
// files the texture store will load.
static bool reader_texture_kind(const std::string& path)
{
    if (path.size() < 3)
        return false;
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return tail == "PNG" || tail == "BMP";
}

Reader::Reader(std::string name) : filename(name)
{
    file.open(filename.c_str(), std::ios::in | std::ios::binary);
    struct stat info;
    bool directory = stat(filename.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    if (!file.is_open() || directory)
        throw std::string("Could not open file ") + name;
    chunk.resize(READER_CHUNK);
}

Reader::~Reader()
{
    file.close();
}

void Reader::setNotes(std::vector<s_reader_note>* sink)
{
    notes = sink;
}

void Reader::note(int at, bool error, const std::string& text)
{
    if (notes)
        notes->push_back({at, error, text});
}

void Reader::fail(int at, const std::string& problem)
{
    note(at, true, problem);
    throw filename + ":" + std::to_string(at) + ": " + problem;
}

// Refills the scanner buffer; false at the end of the file.
bool Reader::fill()
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
bool Reader::next()
{
    token.clear();
    for (;;) {
        if (chunk_pos == chunk_len && !fill())
            return false;
        char c = chunk[chunk_pos];
        if (!reader_space(c))
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
        while (chunk_pos < chunk_len && !reader_space(chunk[chunk_pos]))
            chunk_pos++;
        token.append(chunk.data() + begin, chunk_pos - begin);
        if (chunk_pos < chunk_len)
            break;
    }
    return true;
}

// Notes the token just read as skipped; the skips of one line make one note.
void Reader::skip()
{
    if (!notes)
        return;
    if (skip_line == token_line && skip_note + 1 == notes->size()) {
        notes->back().text += " " + reader_quote(token);
        return;
    }
    skip_line = token_line;
    skip_note = notes->size();
    note(token_line, false, "skipped token(s) that are not keywords here: " + reader_quote(token));
}

// Reports the token in hand (or the end of the file) where `what` was expected.
void Reader::failExpected(const char* what, const char* keyword, bool at_end)
{
    fail(token_line, std::string("expected ") + what + " after " + keyword + ", found " +
                         (at_end ? std::string("the end of the file") : reader_quote(token)));
}

float Reader::readFloat(const char* keyword)
{
    float value = 0.0f;
    if (!next())
        failExpected("a number", keyword, true);
    if (!reader_parse_float(token, value))
        failExpected("a number", keyword, false);
    return value;
}

int Reader::readInt(const char* keyword)
{
    int value = 0;
    if (!next())
        failExpected("an integer", keyword, true);
    if (!reader_parse_int(token, value))
        failExpected("an integer", keyword, false);
    return value;
}

std::string Reader::readWord(const char* keyword, const char* what)
{
    if (!next())
        failExpected(what, keyword, true);
    return token;
}

// FACES reads as many identifiers as the count in force; none when it is 0 or less.
void Reader::readFaceIds(const char* keyword, int count, std::vector<std::string>& out,
                         std::vector<int>& lines)
{
    static const char* const keywords[] = {"NUMFACES", "FACES", "LIMITS", "ORIGIN",
                                           "LIVES",    "MOVE",  "END"};
    for (int i = 0; i < count; i++) {
        out.push_back(readWord(keyword, "a face identifier"));
        lines.push_back(token_line);
        for (const char* word : keywords)
            if (notes && token == word)
                note(token_line, false,
                     "FACES took the keyword " + reader_quote(token) +
                         " as a face identifier: is NUMFACES too large?");
    }
}

void Reader::read(s_map& map)
{
    while (next()) {
        if (token == "WORLD")
            readWorld(map);
        else if (token == "FACE")
            readFace(map);
        else if (token == "BLOCKS")
            readBlocks(map);
        else
            skip();
    }
    resolve(map);
}

void Reader::readWorld(s_map& map)
{
    int begin = token_line;
    if (world_line == 0)
        world_line = begin;
    s_world& world = map.world;
    for (;;) {
        if (!next())
            fail(token_line, "the file ends inside the WORLD block begun on line " +
                                 std::to_string(begin) + " (END is missing)");
        if (token == "NUMFACES") {
            world.face_count = readInt("NUMFACES");
            world_count_line = token_line;
        } else if (token == "FACES") {
            readFaceIds("FACES", world.face_count, world.face_ids, world_id_lines);
        } else if (token == "LIMITS") {
            if (limits_line == 0)
                limits_line = token_line;
            for (int i = 0; i < 4; i++)
                world.limits.push_back(readFloat("LIMITS"));
        } else if (token == "END") {
            return;
        } else {
            skip();
        }
    }
}

void Reader::checkTexture(const std::string& path)
{
    if (!notes)
        return;
    if (!reader_texture_kind(path)) {
        note(token_line, true,
             "TEXTURE " + reader_quote(path) + " does not end in png or bmp: it cannot be loaded");
        return;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        note(token_line, true, "TEXTURE " + reader_quote(path) + " does not exist");
}

void Reader::checkFace(const s_face& face, int at)
{
    if (!notes)
        return;
    std::string name = "face " + reader_quote(face.id);
    size_t nv = face.vertices.size(), nt = face.texcoords.size();
    if (nv < 3)
        note(at, false,
             name + " has " + std::to_string(nv) + " vertices: fewer than three draw nothing");
    if (nt < nv)
        note(at, true,
             name + " has " + std::to_string(nt) + " TEXCOORD for " + std::to_string(nv) +
                 " VERTEX: its last vertices have no texture coordinate");
    else if (nt > nv)
        note(at, false,
             name + " has " + std::to_string(nt) + " TEXCOORD for " + std::to_string(nv) +
                 " VERTEX: the extra ones are unused");
}

void Reader::readFace(s_map& map)
{
    int begin = token_line;
    s_face face;
    for (;;) {
        if (!next())
            fail(token_line, "the file ends inside the FACE block begun on line " +
                                 std::to_string(begin) + " (END is missing)");
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
            checkTexture(face.textures.back());
        } else if (token == "SHADER") {
            int at = token_line;
            s_shader shader;
            std::string kind = readWord("SHADER", "an animation kind");
            int count = readInt("SHADER");
            for (int i = 0; i < count; i++)
                shader.params.push_back(readFloat("SHADER"));
            shader.func = shader_dummy;
            size_t k = 0;
            while (!g_items[k].name.empty() && g_items[k].name != kind)
                k++;
            if (g_items[k].func)
                shader.func = g_items[k].func;
            else
                note(at, false, "unknown SHADER kind " + reader_quote(kind) + ": it does nothing");
            // Kinds that would read past their parameters do nothing instead.
            static const size_t needed[] = {0,
                                            SHADER_ROTATE_PARAMS,
                                            SHADER_SCROLL_PARAMS,
                                            SHADER_TURB_PARAMS,
                                            SHADER_WAVE_PARAMS,
                                            SHADER_ROTZOOM_PARAMS,
                                            SHADER_COLOR_PARAMS,
                                            0};
            if (shader.params.size() < needed[k]) {
                note(at, false,
                     "SHADER " + kind + " reads " + std::to_string(needed[k]) +
                         " parameters but has " + std::to_string(shader.params.size()) +
                         ": it does nothing");
                shader.func = shader_dummy;
            }
            face.shaders.push_back(shader);
        } else if (token == "END") {
            break;
        } else {
            skip();
        }
    }
    checkFace(face, begin);
    int index = (int)map.faces.size();
    ids[face.id] = index;
    map.faces.push_back(std::move(face));
}

void Reader::readBlocks(s_map& map)
{
    int begin = token_line;
    s_block_group group;
    std::vector<int> id_lines;
    int count_line = begin;
    for (;;) {
        if (!next())
            fail(token_line, "the file ends inside the BLOCKS block begun on line " +
                                 std::to_string(begin) + " (END is missing)");
        if (token == "NUMFACES") {
            group.face_count = readInt("NUMFACES");
            count_line = token_line;
        } else if (token == "FACES") {
            readFaceIds("FACES", group.face_count, group.face_ids, id_lines);
        } else if (token == "ORIGIN") {
            s_block block;
            block.origin.x = readFloat("ORIGIN");
            block.origin.y = readFloat("ORIGIN");
            block.origin.z = readFloat("ORIGIN");
            block.position = block.origin;
            group.blocks.push_back(block);
        } else if (token == "LIVES") {
            group.lives = readInt("LIVES");
        } else if (token == "MOVE") {
            int at = token_line;
            s_move move;
            std::string kind = readWord("MOVE", "a movement kind");
            int count = readInt("MOVE");
            for (int i = 0; i < count; i++)
                move.params.push_back(readFloat("MOVE"));
            move.func = move_dummy;
            move.reverse = false;
            move.start = (float)gl_vertex.ticks;
            size_t k = 0;
            while (!g_mitems[k].name.empty() && g_mitems[k].name != kind)
                k++;
            if (g_mitems[k].func)
                move.func = g_mitems[k].func;
            else
                note(at, false, "unknown MOVE kind " + reader_quote(kind) + ": it does nothing");
            if (move.func != move_dummy) {
                if (move.params.size() < MOVE_PARAM_COUNT) {
                    note(at, false,
                         "MOVE " + kind + " reads 2 parameters but has " +
                             std::to_string(move.params.size()) + ": it does nothing");
                    move.func = move_dummy;
                } else {
                    checkMove(kind, move, at);
                }
            }
            group.moves.push_back(move);
        } else if (token == "END") {
            break;
        } else {
            skip();
        }
    }
    if (group.blocks.empty())
        note(begin, false, "the BLOCKS group has no ORIGIN: it has no blocks");
    float lowest = std::numeric_limits<float>::lowest();
    float largest = std::numeric_limits<float>::max();
    for (auto& axis : group.sizes) {
        axis[0] = largest;
        axis[1] = lowest;
    }
    group_id_lines.push_back(std::move(id_lines));
    group_count_lines.push_back(count_line);
    map.groups.push_back(std::move(group));
}

// Every moving kind divides by its duration and multiplies by its distance:
// beyond the bounds a block's position would overflow or stop being a number.
void Reader::checkMove(const std::string& kind, const s_move& move, int at)
{
    float distance = move.params[0], duration = move.params[1];
    if (!(duration >= MOVE_DURATION_MIN_MS))
        fail(at, "MOVE " + kind + " needs a duration of " + reader_number(MOVE_DURATION_MIN_MS) +
                     " ms or more, found " + reader_number(duration));
    if (!(std::fabs(distance) <= MOVE_DISTANCE_MAX))
        fail(at, "MOVE " + kind + " needs " +
                     (move.func == move_circle ? "an offset" : "a distance") + " from -" +
                     reader_number(MOVE_DISTANCE_MAX) + " to " + reader_number(MOVE_DISTANCE_MAX) +
                     " units, found " + reader_number(distance));
}

// Index of a face identifier; an unknown one means the first face of the file.
int Reader::resolve(const std::string& id, int at)
{
    auto found = ids.find(id);
    if (found != ids.end())
        return found->second;
    if (ids.empty())
        fail(at, "face " + reader_quote(id) + " is used but the file defines no FACE");
    note(at, false, "face " + reader_quote(id) + " is not defined: the first face is used");
    ids[id] = 0;
    return 0;
}

// Resolves the identifiers a count covers. Only identifiers actually read
// are resolved, and the count becomes their number, so nothing downstream
// can index past the list whatever NUMFACES said.
void Reader::resolveList(const char* owner, int& count, const std::vector<std::string>& names,
                         const std::vector<int>& lines, std::vector<int>& indices, int count_line)
{
    size_t wanted = count > 0 ? (size_t)count : 0;
    if (wanted != names.size())
        note(count_line, false,
             std::string(owner) + " NUMFACES is " + std::to_string(count) + " but " +
                 std::to_string(names.size()) + " face identifiers were given");
    size_t n = wanted < names.size() ? wanted : names.size();
    for (size_t i = 0; i < n; i++)
        indices.push_back(resolve(names[i], lines[i]));
    count = (int)n;
}

void Reader::resolve(s_map& map)
{
    s_world& world = map.world;
    resolveList("the world's", world.face_count, world.face_ids, world_id_lines, world.face_indices,
                world_count_line ? world_count_line : world_line);
    for (size_t g = 0; g < map.groups.size(); g++) {
        s_block_group& group = map.groups[g];
        const std::vector<int>& lines = group_id_lines[g];
        resolveList("the group's", group.face_count, group.face_ids, lines, group.face_indices,
                    group_count_lines[g]);
        for (int j = 0; j < group.face_count; j++) {
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
    if (notes && world.limits.size() != 4) {
        int at = world_line ? world_line : 1;
        if (world.limits.size() < 4)
            note(at, true,
                 "the world has " + std::to_string(world.limits.size()) +
                     " LIMITS values: the game needs four (left, right, bottom, top)");
        else
            note(at, false,
                 "the world has " + std::to_string(world.limits.size()) +
                     " LIMITS values: the game uses the first four");
    }
    if (notes && world.limits.size() >= 4) {
        std::string problem = reader_limits_problem(world.limits);
        if (!problem.empty())
            note(limits_line, true, problem);
    }
}

void Reader::requireLimits(const s_map& map)
{
    if (map.world.limits.size() < 4)
        throw filename + ":" + std::to_string(world_line ? world_line : 1) +
            ": the world needs LIMITS with four numbers (left, right, bottom, top)";
    std::string problem = reader_limits_problem(map.world.limits);
    if (!problem.empty())
        throw filename + ":" + std::to_string(limits_line) + ": " + problem;
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

void Reader::print(const s_map& map)
{
    print(map, std::cout);
}

void Reader::print(const s_map& map, std::ostream& out)
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
