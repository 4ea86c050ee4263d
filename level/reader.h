// The map-file reader: turns a plain-text level into an s_map, resolves face
// identifiers to indices and computes every block group's bounding box.
#pragma once

#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "level/level.h"

// Face animation kinds by keyword, in table order; ends with {"", nullptr}.
extern s_shader_item g_items[8];
// Block movement kinds by keyword, in table order; ends with {"", nullptr}.
extern s_move_item g_mitems[6];

// Bytes the scanner reads from the file at a time.
enum { READER_CHUNK = 65536 };

// The play area the game accepts: at least a ball wide and high, and near enough
// the origin that positions there still move in fine steps.
constexpr float READER_FIELD_MIN = 1.0f;      // least width and height, level units
constexpr float READER_LIMIT_MAX = 10000.0f;  // largest |limit|, level units

// One finding about the file, for authoring tools (the game does not collect them).
struct s_reader_note {
    int line;          // line of the file, counting from 1
    bool error;        // true: the game rejects the level or loses part of it
    std::string text;  // what is wrong, without file or line
};

// Reads one map file. Every failure is thrown as a std::string: the open
// failure is exactly "Could not open file " + name; everything else is
// "FILE:LINE: problem" (truncated block, bad number, bad movement, no face).
class Reader {
public:
    // Opens the file; throws "Could not open file " + filename if it cannot.
    explicit Reader(std::string filename);
    // Closes the file.
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Reads the whole file into an empty map, then resolves identifiers and bounding boxes.
    void read(s_map& map);
    // Reads a WORLD block, its keyword just read.
    void readWorld(s_map& map);
    // Reads a FACE block, its keyword just read.
    void readFace(s_map& map);
    // Reads a BLOCKS block, its keyword just read.
    void readBlocks(s_map& map);
    // Writes a description of a read level to standard output.
    void print(const s_map& map);
    // Writes the same description to any stream.
    void print(const s_map& map, std::ostream& out);
    // Throws "FILE:LINE: ..." unless the world's first four limits make a play area the game
    // can use (READER_FIELD_MIN, READER_LIMIT_MAX).
    void requireLimits(const s_map& map);
    // Collects findings (skipped tokens, unknown kinds, suspicious faces...) into notes; null stops.
    void setNotes(std::vector<s_reader_note>* notes);

private:
    std::map<std::string, int> ids;  // face identifier to index in s_map::faces
    std::string filename;            // path as given
    std::ifstream file;              // the open map file

    std::vector<char> chunk;  // scanner buffer
    size_t chunk_pos = 0;     // next unread byte of chunk
    size_t chunk_len = 0;     // bytes of chunk holding file data
    int line = 1;             // line of the scanner's position
    std::string token;        // last token read
    int token_line = 1;       // line the last token began on
    int skip_line = 0;        // line of the last skipped-token note, to merge a line's skips
    size_t skip_note = 0;     // its index in notes
    std::vector<s_reader_note>* notes = nullptr;

    std::vector<int> world_id_lines;               // line of each world identifier
    std::vector<std::vector<int>> group_id_lines;  // line of each identifier, per group
    std::vector<int> group_count_lines;            // line of each group's NUMFACES (or BLOCKS)
    int world_line = 0;                            // line of the first WORLD keyword
    int limits_line = 0;                           // line of the first LIMITS keyword
    int world_count_line = 0;                      // line of the world's last NUMFACES

    bool next();
    bool fill();
    [[noreturn]] void fail(int at, const std::string& problem);
    void note(int at, bool error, const std::string& text);
    void skip();
    [[noreturn]] void failExpected(const char* what, const char* keyword, bool at_end);
    float readFloat(const char* keyword);
    int readInt(const char* keyword);
    std::string readWord(const char* keyword, const char* what);
    void readFaceIds(const char* keyword, int count, std::vector<std::string>& out,
                     std::vector<int>& lines);
    void checkTexture(const std::string& path);
    void checkFace(const s_face& face, int at);
    void checkMove(const std::string& kind, const s_move& move, int at);
    int resolve(const std::string& id, int at);
    void resolveList(const char* owner, int& count, const std::vector<std::string>& names,
                     const std::vector<int>& lines, std::vector<int>& indices, int count_line);
    void resolve(s_map& map);
};

// Reads the level at path into an empty map as the game plays it, four limits
// required; 0, or 1 with the reader's one-line message in error.
int reader_load(const std::string& path, s_map& map, std::string* error);
