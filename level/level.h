// The level records: every polygon of a level is one s_face in one list; the
// static world and each block group refer to faces by index in that list.
#pragma once

#include <string>
#include <vector>

#include "shell/types.h"

struct s_face;
struct s_block;
struct s_shader;
struct s_move;

// A face animation: rewrites the face's current state from its base state and the clock.
typedef void (*shader_func)(s_face& face, s_shader& shader);
// A block movement: rewrites the block's position from its origin and the clock.
typedef void (*move_func)(s_block& block, s_move& move);

// A vertex or position, world units.
struct s_point {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// A texture coordinate (1.0 = one texture width or height).
struct s_texcoord {
    float u = 0.0f;
    float v = 0.0f;
};

// One texture animation attached to a face.
struct s_shader {
    std::vector<float> params;   // numbers after the kind name, in file order
    shader_func func = nullptr;  // run once per drawing of the face
};

// One movement attached to a block group, shared by all its blocks.
struct s_move {
    std::vector<float> params;  // numbers after the kind name, in file order
    move_func func = nullptr;   // run once per frame for every living block
    bool reverse = false;       // true while a back-and-forth leg runs back to the origin
    float start = 0.0f;         // tick count (ms) at which the current leg began
};

// A face animation kind (the rows of g_items).
struct s_shader_item {
    std::string name;   // keyword as written in the map file; "" ends the table
    shader_func func;   // null in the end entry
    size_t params = 0;  // parameters func reads; given fewer, the face runs shader_dummy
};

// A block movement kind (the rows of g_mitems).
struct s_move_item {
    std::string name;   // keyword as written in the map file; "" ends the table
    move_func func;     // null in the end entry
    size_t params = 0;  // parameters func reads; given fewer, the block runs move_dummy
};

// The row of a kind table (g_items, g_mitems) named name, or its end row
// (null function) when none is.
template <typename T> const T* level_kind(const T* table, const std::string& name)
{
    while (table->func && table->name != name)
        table++;
    return table;
}

// One textured, coloured, planar convex polygon.
struct s_face {
    std::string id;                             // identifier used by the world and block groups
    std::vector<s_point> vertices;              // base vertices, as read
    std::vector<s_texcoord> texcoords;          // base texture coordinates, as read
    std::vector<s_point> cur_vertices;          // what is drawn; WAVE rewrites it
    std::vector<s_texcoord> cur_texcoords;      // what is drawn; texture animations rewrite it
    std::vector<s_shader> shaders;              // animations, run in file order
    std::vector<std::string> textures;          // texture paths, in file order
    std::vector<u32> texture_ids;               // GL names of the paths that loaded, in order
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // red, green, blue, alpha of every vertex
};

// One block of a group.
struct s_block {
    bool alive = true;  // false once a ball destroyed it: not moved, drawn or hit
    int hits = 0;       // hits taken; selects the texture of its faces
    s_point origin;     // position given by the file
    s_point position;   // current position; movements rewrite x and/or y
};

// A set of identical blocks sharing faces, movements and a bounding box.
struct s_block_group {
    std::vector<s_block> blocks;        // one per ORIGIN, in file order
    std::vector<int> face_indices;      // indices into s_map::faces, resolved after reading
    std::vector<std::string> face_ids;  // face identifiers as read
    int lives = 0;                      // hits that destroy a block; 0 or less: unbreakable
    std::vector<s_move> moves;          // movements, in file order
    int face_count = 0;                 // faces drawn per block (entries of face_indices)
    float sizes[3][2] = {{0, 0}, {0, 0}, {0, 0}};  // x, y, z {min, max} in block coordinates
};

// The static part of the level.
struct s_world {
    int face_count = 0;                 // world faces drawn (entries of face_indices)
    std::vector<int> face_indices;      // indices into s_map::faces, resolved after reading
    std::vector<std::string> face_ids;  // world face identifiers as read
    std::vector<float> limits;          // left x, right x, bottom y (pad line), top y
};

// The whole level.
struct s_map {
    std::vector<s_block_group> groups;  // block groups in file order
    std::vector<s_face> faces;          // every face of the file, in file order
    s_world world;                      // the static world
};
