// Level runtime: texture loading for every face and the per-frame movement, animation and drawing of the level.
#include "level/map.h"

#include <GL/gl.h>
#include <algorithm>
#include <iostream>
#include <utility>

Map::Map()
{
    surface_init(&surface);
}

Map::~Map()
{
    surface_stop(&surface);
}

s_map* Map::getMap()
{
    return &map;
}

void Map::init()
{
    for (s_face& face : map.faces) {
        face.texture_ids.clear();
        for (const std::string& path : face.textures) {
            u32 name = 0;
            if (surface_load(&surface, path.c_str(), &name) == 0)
                face.texture_ids.push_back(name);
            else
                std::cerr << "Could not load " << path << "." << std::endl;
        }
    }
}

void Map::stop()
{
    surface_stop(&surface);
    surface_init(&surface);
    for (s_face& face : map.faces)
        face.texture_ids.clear();
}

void Map::replace(s_map& next)
{
    std::swap(map, next);
    init();
    std::vector<u32> named;
    for (const s_face& face : map.faces)
        named.insert(named.end(), face.texture_ids.begin(), face.texture_ids.end());
    surface_prune(&surface, named.data(), (u32)named.size());
}

void Map::forget(const std::vector<std::string>& paths)
{
    std::vector<u32> keep;
    for (u32 i = 0; i < surface.entry_count; i++) {
        const char* path = surface.names + surface.entries[i].name_offset;
        if (std::find(paths.begin(), paths.end(), path) == paths.end())
            keep.push_back(surface.entries[i].texture);
    }
    surface_prune(&surface, keep.data(), (u32)keep.size());
}

const s_surface* Map::getSurface() const
{
    return &surface;
}

// Runs the face's animations; each computes from the base state, so a face
// drawn many times in a frame looks the same every time.
static void map_animate(s_face& face)
{
    for (s_shader& shader : face.shaders)
        if (shader.func)
            shader.func(face, shader);
}

// Draws one face moved by offset, with its texture number `texture` or with
// no texture when the face has not that many loaded. A vertex without a
// texture coordinate of its own keeps the previous one rather than reading
// past the list.
static void map_draw_face(const s_face& face, size_t texture, const s_point& offset)
{
    u32 name = texture < face.texture_ids.size() ? face.texture_ids[texture] : 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glBegin(GL_POLYGON);
    glColor4f(face.color[0], face.color[1], face.color[2], face.color[3]);
    size_t count = face.vertices.size();
    if (count > face.cur_vertices.size())
        count = face.cur_vertices.size();
    for (size_t k = 0; k < count; k++) {
        if (k < face.cur_texcoords.size())
            glTexCoord2f(face.cur_texcoords[k].u, face.cur_texcoords[k].v);
        const s_point& p = face.cur_vertices[k];
        glVertex3f(p.x + offset.x, p.y + offset.y, p.z + offset.z);
    }
    glEnd();
}

// The face an index of the world or a group names, or null for a bad index.
static s_face* map_face(s_map& map, const std::vector<int>& indices, int count, int i)
{
    if (i >= count || (size_t)i >= indices.size())
        return nullptr;
    int index = indices[(size_t)i];
    if (index < 0 || (size_t)index >= map.faces.size())
        return nullptr;
    return &map.faces[(size_t)index];
}

void Map::render()
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    const s_point origin;
    const s_world& world = map.world;
    for (int i = 0; i < world.face_count; i++) {
        s_face* face = map_face(map, world.face_indices, world.face_count, i);
        if (!face)
            break;
        map_animate(*face);
        map_draw_face(*face, 0, origin);
    }
    for (s_block_group& group : map.groups) {
        for (s_block& block : group.blocks) {
            if (!block.alive)
                continue;
            // Movements advance here, while drawing: a frame's collisions
            // therefore use the positions of the frame before.
            for (s_move& move : group.moves)
                if (move.func)
                    move.func(block, move);
            size_t texture = group.lives > 0 && block.hits > 0 ? (size_t)block.hits : 0;
            for (int j = 0; j < group.face_count; j++) {
                s_face* face = map_face(map, group.face_indices, group.face_count, j);
                if (!face)
                    break;
                map_animate(*face);
                map_draw_face(*face, texture, block.position);
            }
        }
    }
    glDisable(GL_TEXTURE_2D);
}
