// The map-file reader: turns a plain-text level into an s_map, resolves face
// identifiers to indices and computes every block group's bounding box.
#pragma once

#include <memory>
#include <string>

#include "level/level.h"

enum {
    READER_CHUNK = 65536,                // bytes the scanner reads from the file at a time
    READER_FILE_MAX = 16 * 1024 * 1024,  // bytes of the largest map file read
};

// What the reader meets on its way through a file, told as it meets it, for
// authoring tools that judge a level line by line (the game watches nothing).
struct s_reader_watch {
    virtual ~s_reader_watch() = default;
    // A token read where a keyword may stand: a keyword of that place, or one skipped.
    virtual void keyword(int line, const std::string& token, bool known) = 0;
    // A face identifier read by FACES.
    virtual void identifier(int line, const std::string& id) = 0;
    // A TEXTURE path.
    virtual void texture(int line, const std::string& path) = 0;
    // A SHADER or MOVE kind: found in its table or not, the parameters it reads and those given.
    virtual void kind(int line, const char* keyword, const std::string& name, bool known,
                      size_t needed, size_t given) = 0;
    // A FACE block read whole, begun on line.
    virtual void face(int line, const s_face& face) = 0;
    // A BLOCKS block read whole, begun on line.
    virtual void group(int line, const s_block_group& group) = 0;
    // A NUMFACES count and the identifiers FACES gave, for the world or a group.
    virtual void counted(int line, const char* owner, int count, size_t given) = 0;
    // An identifier no FACE defines, resolved to the first face.
    virtual void unresolved(int line, const std::string& id) = 0;
    // The problem the reader is about to throw, without file or line.
    virtual void failed(int line, const std::string& problem) = 0;
};

// The play area the game accepts: at least a ball wide and high, and near enough
// the origin that positions there still move in fine steps.
constexpr float READER_FIELD_MIN = 1.0f;      // least width and height, level units
constexpr float READER_LIMIT_MAX = 10000.0f;  // largest |limit|, level units

// What makes the first four limits no play area, or "" when they make one.
std::string reader_limits_problem(const std::vector<float>& limits);

// Reads one map file. Every failure is thrown as a std::string: the open
// failure is exactly "Could not open file " + name; a path that is no regular
// file, or one over READER_FILE_MAX bytes, "FILE: problem"; everything else is
// "FILE:LINE: problem" (truncated block, bad number, bad movement, no face).
class Reader {
public:
    // Opens the file; throws "Could not open file " + filename if it cannot.
    explicit Reader(std::string filename);
    // Closes the file.
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Tells watch (null: nobody) what the reading meets.
    void setWatch(s_reader_watch* watch);
    // Reads the whole file into an empty map, then resolves identifiers and bounding boxes.
    void read(s_map& map);
    // Throws "FILE:LINE: ..." unless the world holds the four play-area limits the game needs.
    void requireLimits(const s_map& map);

private:
    struct State;
    std::unique_ptr<State> state;  // the open file, the scanner and the lines read so far
};

// Sets a group's bounding box, in block coordinates, from the base vertices of
// the faces its resolved indices name; {largest, lowest} on an axis no vertex spans.
void reader_group_sizes(const s_map& map, s_block_group& group);
// Reads the level at path into an empty map as the game plays it, four limits
// required; 0, or 1 with the reader's one-line message in error.
int reader_load(const std::string& path, s_map& map, std::string* error);
