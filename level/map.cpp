// Level runtime: texture loading for every face and the per-frame movement, animation and drawing of the level.
#include "level/map.h"

#include "level/shader.h"

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
    forgetLists();
    surface_stop(&surface);
}

s_map* Map::getMap()
{
    return &map;
}

// True when no animation of the face moves its vertices or texture coordinates:
// its geometry is then the same every frame.
static bool map_still(const s_face& face)
{
    for (const s_shader& shader : face.shaders)
        if (shader.func && !shader_still(shader.func))
            return false;
    return true;
}

// The face's polygon as it stands. A vertex without a texture coordinate of its
// own keeps the previous one rather than reading past the list.
static void map_polygon(const s_face& face)
{
    glBegin(GL_POLYGON);
    size_t count = std::min(face.vertices.size(), face.cur_vertices.size());
    for (size_t k = 0; k < count; k++) {
        if (k < face.cur_texcoords.size())
            glTexCoord2f(face.cur_texcoords[k].u, face.cur_texcoords[k].v);
        const s_point& p = face.cur_vertices[k];
        glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
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
    // A software renderer copies every vertex given one by one again each frame;
    // a list hands it the geometry once. The texture and the colour stay outside,
    // as hits and animations change them.
    forgetLists();
    lists.assign(map.faces.size(), 0);
    list_count = (u32)map.faces.size();
    list_base = list_count ? glGenLists((GLsizei)list_count) : 0;
    for (u32 i = 0; list_base && i < list_count; i++) {
        if (!map_still(map.faces[i]))
            continue;
        lists[i] = list_base + i;
        glNewList(lists[i], GL_COMPILE);
        map_polygon(map.faces[i]);
        glEndList();
    }
}

void Map::forgetLists()
{
    if (list_base)
        glDeleteLists(list_base, (GLsizei)list_count);
    list_base = list_count = 0;
    lists.clear();
}

void Map::stop()
{
    forgetLists();
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

// Draws one face with its texture number `texture`, or with no texture when
// the face has not that many loaded, from its list when it has one.
static void map_draw_face(const s_face& face, size_t texture, u32 list)
{
    u32 name = texture < face.texture_ids.size() ? face.texture_ids[texture] : 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glColor4f(face.color[0], face.color[1], face.color[2], face.color[3]);
    if (list)
        glCallList(list);
    else
        map_polygon(face);
}

// The index of the face an entry of the world or a group names, or -1 for a bad index.
static int map_face(const s_map& map, const std::vector<int>& indices, int count, int i)
{
    if (i >= count || (size_t)i >= indices.size())
        return -1;
    int index = indices[(size_t)i];
    return index >= 0 && (size_t)index < map.faces.size() ? index : -1;
}

void Map::render()
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    // A face the lists were not made for (a level edited in memory) is drawn as it comes.
    auto list = [this](int index) {
        return (size_t)index < lists.size() ? lists[(size_t)index] : 0u;
    };
    const s_world& world = map.world;
    for (int i = 0; i < world.face_count; i++) {
        int index = map_face(map, world.face_indices, world.face_count, i);
        if (index < 0)
            break;
        map_animate(map.faces[index]);
        map_draw_face(map.faces[index], 0, list(index));
    }
    glMatrixMode(GL_MODELVIEW);
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
            glPushMatrix();
            glTranslatef(block.position.x, block.position.y, block.position.z);
            for (int j = 0; j < group.face_count; j++) {
                int index = map_face(map, group.face_indices, group.face_count, j);
                if (index < 0)
                    break;
                map_animate(map.faces[index]);
                map_draw_face(map.faces[index], texture, list(index));
            }
            glPopMatrix();
        }
    }
    glDisable(GL_TEXTURE_2D);
}
