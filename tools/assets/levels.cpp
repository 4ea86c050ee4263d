// The level pack: six map files written from short descriptions, each with a
// textured world (background, side and top walls at the limits) and block
// groups built as real boxes, one crack texture per hit for breakable groups.
#include <cmath>
#include <cstdio>

#include "tools/assets/assets.h"

struct s_vec {
    f32 x, y, z;
};

// Text of one map file being written.
struct s_level {
    std::string text;
    std::string world_faces;
    int world_count;
    f32 left, right, bottom, top;
};

static std::string num(f32 v)
{
    char buffer[32];
    snprintf(buffer, sizeof(buffer), "%g", std::fabs(v) < 1e-6f ? 0.0f : v);
    return buffer;
}

// Appends a FACE block: vertices and their texture coordinates, textures, animations.
static void level_face(s_level& level, const std::string& id, const std::vector<s_vec>& vertices,
                       const std::vector<std::pair<f32, f32>>& texcoords,
                       const std::vector<std::string>& textures,
                       const std::vector<std::string>& shaders)
{
    std::string& t = level.text;
    t += "FACE\n  ID " + id + "\n";
    for (const s_vec& v : vertices)
        t += "  VERTEX " + num(v.x) + " " + num(v.y) + " " + num(v.z) + "\n";
    for (const auto& c : texcoords)
        t += "  TEXCOORD " + num(c.first) + " " + num(c.second) + "\n";
    for (const std::string& path : textures)
        t += "  TEXTURE " + path + "\n";
    for (const std::string& s : shaders)
        t += "  SHADER " + s + "\n";
    t += "END\n";
}

// A rectangle from corner `a` along the axis-aligned edges `du` and `dv` (so
// an edge's length is the sum of its parts), texture repeated every `tile` units.
static void level_world_rect(s_level& level, const std::string& id, s_vec a, s_vec du, s_vec dv,
                             f32 tile, const std::string& texture,
                             const std::vector<std::string>& shaders)
{
    s_vec b = {a.x + du.x, a.y + du.y, a.z + du.z}, d = {a.x + dv.x, a.y + dv.y, a.z + dv.z};
    s_vec c = {b.x + dv.x, b.y + dv.y, b.z + dv.z};
    f32 u = (du.x + du.y + du.z) / tile, v = (dv.x + dv.y + dv.z) / tile;
    level_face(level, id, {a, b, c, d}, {{0, 0}, {u, 0}, {u, v}, {0, v}}, {texture}, shaders);
    level.world_faces += " " + id;
    level.world_count++;
}

// A rectangle in the plane z = const, texture repeated every `tile` units.
static void level_world_quad(s_level& level, const std::string& id, f32 x0, f32 y0, f32 x1, f32 y1,
                             f32 z, f32 tile, const std::string& texture,
                             const std::vector<std::string>& shaders)
{
    level_world_rect(level, id, {x0, y0, z}, {x1 - x0, 0, 0}, {0, y1 - y0, 0}, tile, texture,
                     shaders);
}

constexpr f32 WALL_DEPTH = 1.5f;  // thickness of the walls beyond the limits
constexpr f32 WALL_FRONT = 1.0f;  // z of the walls' front faces
constexpr f32 BACK_Z = -1.5f;     // z of the background

// Background, the two side walls and the top wall, their inner faces exactly on the limits.
static void level_world(s_level& level, const std::string& background, f32 background_tile,
                        const std::vector<std::string>& background_shaders, const std::string& wall)
{
    f32 l = level.left, r = level.right, b = level.bottom, t = level.top;
    std::string front = "data/walls/" + wall + ".png", side = "data/walls/" + wall + "_side.png";
    level_world_quad(level, "background", l - 12, b - 10, r + 12, t + 10, BACK_Z, background_tile,
                     "data/backgrounds/" + background + ".png", background_shaders);
    level_world_quad(level, "wall_left", l - WALL_DEPTH, b - 3, l, t + WALL_DEPTH, WALL_FRONT, 2,
                     front, {});
    level_world_quad(level, "wall_right", r, b - 3, r + WALL_DEPTH, t + WALL_DEPTH, WALL_FRONT, 2,
                     front, {});
    level_world_quad(level, "wall_top", l, t, r, t + WALL_DEPTH, WALL_FRONT, 2, front, {});
    // The walls' inner sides, from the background to their front faces.
    s_vec deep = {0, 0, WALL_FRONT - BACK_Z};
    level_world_rect(level, "wall_left_inner", {l, b - 3, BACK_Z}, deep, {0, t - (b - 3), 0}, 2,
                     side, {});
    level_world_rect(level, "wall_right_inner", {r, b - 3, BACK_Z}, deep, {0, t - (b - 3), 0}, 2,
                     side, {});
    level_world_rect(level, "wall_top_inner", {l, t, BACK_Z}, {r - l, 0, 0}, deep, 2, side, {});
}

struct s_group {
    std::string name;
    std::string look;  // "red" ... "pink" for bricks, "steel" or "obsidian" for unbreakable
    int lives;
    f32 hx, hy, hz;  // half sizes of the box
    std::vector<s_vec> origins;
    std::vector<std::string> moves;
    std::vector<std::string> shaders;  // animations of the front face
};

static std::vector<std::string> group_textures(const s_group& g, bool side)
{
    std::vector<std::string> out;
    std::string suffix = side ? "_side.png" : ".png";
    if (g.lives <= 0) {
        out.push_back("data/blocks/" + g.look + suffix);
        return out;
    }
    for (int k = 0; k < g.lives; k++)
        out.push_back("data/blocks/brick_" + g.look + "_" + std::to_string(k) + suffix);
    return out;
}

// Writes the five visible faces of the group's box (all but the back) and the BLOCKS block.
static void level_group(s_level& level, const s_group& g)
{
    f32 x = g.hx, y = g.hy, z = g.hz;
    std::vector<std::string> front = group_textures(g, false), side = group_textures(g, true);
    std::string n = g.name;
    level_face(level, n + "_front", {{-x, -y, z}, {x, -y, z}, {x, y, z}, {-x, y, z}},
               {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, front, g.shaders);
    level_face(level, n + "_top", {{-x, y, z}, {x, y, z}, {x, y, -z}, {-x, y, -z}},
               {{0, 0.6f}, {1, 0.6f}, {1, 1}, {0, 1}}, side, {});
    level_face(level, n + "_bottom", {{-x, -y, -z}, {x, -y, -z}, {x, -y, z}, {-x, -y, z}},
               {{0, 0}, {1, 0}, {1, 0.4f}, {0, 0.4f}}, side, {});
    level_face(level, n + "_left", {{-x, -y, -z}, {-x, -y, z}, {-x, y, z}, {-x, y, -z}},
               {{0, 0}, {0.3f, 0}, {0.3f, 1}, {0, 1}}, side, {});
    level_face(level, n + "_right", {{x, -y, z}, {x, -y, -z}, {x, y, -z}, {x, y, z}},
               {{0.7f, 0}, {1, 0}, {1, 1}, {0.7f, 1}}, side, {});
    std::string& t = level.text;
    t += "BLOCKS\n  NUMFACES 5\n  FACES " + n + "_front " + n + "_top " + n + "_bottom " + n +
         "_left " + n + "_right\n";
    t += "  LIVES " + std::to_string(g.lives) + "\n";
    for (const std::string& m : g.moves)
        t += "  MOVE " + m + "\n";
    for (const s_vec& o : g.origins)
        t += "  ORIGIN " + num(o.x) + " " + num(o.y) + " " + num(o.z) + "\n";
    t += "END\n";
}

static s_level level_begin(f32 left, f32 right, f32 bottom, f32 top)
{
    s_level level;
    level.world_count = 0;
    level.left = left;
    level.right = right;
    level.bottom = bottom;
    level.top = top;
    return level;
}

static int level_finish(s_level& level, const std::string& path)
{
    std::string head = "WORLD\n  NUMFACES " + std::to_string(level.world_count) + "\n  FACES" +
                       level.world_faces + "\n  LIMITS " + num(level.left) + " " +
                       num(level.right) + " " + num(level.bottom) + " " + num(level.top) +
                       "\nEND\n";
    std::string all = head + level.text;
    return assets_write_file(path, std::vector<u8>(all.begin(), all.end()));
}

// A row of `count` origins centred on x = cx, `step` apart.
static std::vector<s_vec> row(f32 cx, f32 y, int count, f32 step)
{
    std::vector<s_vec> out;
    for (int i = 0; i < count; i++)
        out.push_back({cx + (i - (count - 1) * 0.5f) * step, y, 0});
    return out;
}

static std::vector<s_vec> join(std::vector<s_vec> a, const std::vector<s_vec>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr f32 BW = 0.9f, BH = 0.45f, BD = 0.5f;  // half sizes of a standard brick

// Foundry: the first level; rows of bricks of growing strength, steel studs and a sweeping row.
static int level_foundry(const std::string& path)
{
    s_level level = level_begin(-11, 11, -9, 9);
    level_world(level, "circuit", 4, {"SCROLL 2 0.02 0.01"}, "metal");
    level_world_quad(level, "neon_strip", -11, 8.6f, 11, 9, WALL_FRONT + 0.01f, 1,
                     "data/walls/neon.png", {"COLOR 4 1 0.7 1 0.003"});
    level_group(level, {"yellow", "yellow", 1, BW, BH, BD, row(0, 7, 10, 2), {}, {}});
    level_group(level, {"orange", "orange", 2, BW, BH, BD, row(0, 6, 10, 2), {}, {}});
    level_group(level, {"red", "red", 3, BW, BH, BD, row(0, 5, 10, 2), {}, {}});
    level_group(level, {"green", "green", 1, BW, BH, BD, row(0, 3.5f, 8, 2.4f), {}, {}});
    level_group(level, {"steel", "steel", 0, BW, BH, BD, row(0, 1, 3, 6), {}, {}});
    level_group(level,
                {"blue", "blue", 2, BW, BH, BD, row(-3, -1.5f, 4, 3), {"HORIZONTAL 2 3 3000"}, {}});
    return level_finish(level, path);
}

// Aquarium: a small tank, rippling water, bobbing bricks and rocks on the floor.
static int level_aquarium(const std::string& path)
{
    s_level level = level_begin(-9, 9, -9, 8);
    level_world(level, "water", 6, {"TURB 3 0.3 0.001 0"}, "stone");
    level_world_quad(level, "surface", -9, 6.8f, 9, 8, -1.2f, 3, "data/backgrounds/water.png",
                     {"WAVE 4 1 0.25 0.002 1.6", "SCROLL 2 0.05 0"});
    std::vector<s_vec> wave;
    for (int i = 0; i < 8; i++)
        wave.push_back({-7 + i * 2.0f, 5.5f + (i % 2) * 0.7f, 0});
    level_group(level, {"cyan", "cyan", 2, BW, BH, BD, wave, {}, {}});
    level_group(level, {"coral", "orange", 2, BW, BH, BD, row(0, 7.3f, 6, 2.6f), {}, {}});
    level_group(
        level,
        {"blue", "blue", 1, BW, BH, BD, join(row(0, 3.5f, 8, 2), row(0, 2.5f, 7, 2)), {}, {}});
    level_group(level, {"green", "green", 3, BW, BH, BD, row(0, 0.5f, 6, 2.5f), {}, {}});
    level_group(
        level,
        {"pink", "pink", 1, 0.6f, 0.6f, 0.6f, row(0, -2.5f, 5, 3.2f), {"VERTICAL 2 1.5 2500"}, {}});
    level_group(
        level,
        {"rock", "obsidian", 0, 1.2f, 0.6f, BD, {{-6.5f, -4.5f, 0}, {6.5f, -4.5f, 0}}, {}, {}});
    return level_finish(level, path);
}

// Carousel: bricks arranged round a hub, an orbiting ring and a turning spiral behind.
static int level_carousel(const std::string& path)
{
    s_level level = level_begin(-13, 13, -10, 10);
    level_world(level, "spiral", 30, {"ROTATE 1 0.005"}, "metal");
    std::vector<s_vec> outer, inner, orbit;
    for (int i = 0; i < 20; i++) {
        f32 a = i * 6.2831853f / 20;
        outer.push_back({std::round(std::cos(a) * 8.0f * 10) / 10,
                         2.5f + std::round(std::sin(a) * 5.0f * 10) / 10, 0});
    }
    for (int i = 0; i < 10; i++) {
        f32 a = i * 6.2831853f / 10 + 0.3f;
        inner.push_back({std::round(std::cos(a) * 4.6f * 10) / 10,
                         2.5f + std::round(std::sin(a) * 2.8f * 10) / 10, 0});
    }
    for (int i = 0; i < 6; i++)
        orbit.push_back({-10 + i * 4.0f, -5, 0});
    level_group(level, {"outer", "purple", 1, 0.8f, BH, BD, outer, {}, {}});
    level_group(level, {"inner", "pink", 3, 0.8f, BH, BD, inner, {}, {}});
    level_group(level, {"orbit", "yellow", 2, 0.7f, 0.7f, 0.7f, orbit, {"CIRCLE 2 0 4000"}, {}});
    level_group(level, {"hub", "steel", 0, 1.0f, 0.5f, BD, {{0, 2.5f, 0}}, {}, {}});
    level_group(level, {"spokes",
                        "orange",
                        2,
                        0.6f,
                        0.4f,
                        BD,
                        {{-2.2f, 2.5f, 0}, {2.2f, 2.5f, 0}, {0, 3.8f, 0}, {0, 1.2f, 0}},
                        {},
                        {}});
    return level_finish(level, path);
}

// Reactor: a hard core of four- and five-hit cells behind shields, drifting coolant blocks.
static int level_reactor(const std::string& path)
{
    s_level level = level_begin(-12, 12, -9, 10);
    level_world(level, "reactor", 20, {"ROTZOOM 1 0.002"}, "metal");
    level_world_quad(level, "glow_left", -11.8f, 8.4f, -9.8f, 9.8f, -1.0f, 2,
                     "data/backgrounds/glow.png",
                     {"COLOR 4 1 0.6 1 0.004", "COLOR 4 2 0.4 0.6 0.004"});
    level_world_quad(level, "glow_right", 9.8f, 8.4f, 11.8f, 9.8f, -1.0f, 2,
                     "data/backgrounds/glow.png", {"COLOR 4 0 0.6 1 0.004"});
    level_group(level, {"core",
                        "red",
                        5,
                        BW,
                        BH,
                        BD,
                        join(row(0, 6, 4, 2), row(0, 5, 4, 2)),
                        {},
                        {"COLOR 4 1 0.8 1 0.005"}});
    level_group(
        level,
        {"mantle", "orange", 4, BW, BH, BD, join(row(0, 7.2f, 6, 2), row(0, 3.8f, 6, 2)), {}, {}});
    level_group(
        level,
        {"shell", "yellow", 1, BW, BH, BD, join(row(-8, 5.5f, 2, 2), row(8, 5.5f, 2, 2)), {}, {}});
    level_group(level, {"shield",
                        "steel",
                        0,
                        BW,
                        BH,
                        BD,
                        {{-5, 5.5f, 0}, {5, 5.5f, 0}, {-3, 2.2f, 0}, {3, 2.2f, 0}},
                        {},
                        {}});
    level_group(level, {"coolant",
                        "cyan",
                        2,
                        0.7f,
                        0.7f,
                        0.7f,
                        join(row(-4.5f, -3.5f, 3, 3), row(4.5f, -3.5f, 3, 3)),
                        {"DIAGONAL 2 1.5 2000"},
                        {}});
    level_group(level, {"rods", "green", 1, 0.4f, 0.9f, BD, row(0, 0.5f, 12, 1.9f), {}, {}});
    return level_finish(level, path);
}

// Temple: a stepped pyramid, weakest at the base and strongest at the top, guarded by pillars.
static int level_temple(const std::string& path)
{
    s_level level = level_begin(-10, 10, -10, 9);
    level_world(level, "temple", 8, {}, "stone");
    const char* looks[] = {"green", "cyan", "blue", "purple", "red"};
    for (int tier = 0; tier < 5; tier++) {
        int count = 9 - tier * 2 + (tier == 4 ? 1 : 0);
        std::string name = std::string("tier") + std::to_string(tier);
        level_group(
            level,
            {name, looks[tier], tier + 1, BW, BH, BD, row(0, 1 + tier * 1.0f, count, 2), {}, {}});
    }
    level_group(level,
                {"pillar", "obsidian", 0, 0.5f, 1.2f, BD, {{-8.5f, 3, 0}, {8.5f, 3, 0}}, {}, {}});
    level_group(
        level,
        {"guard", "orange", 2, BW, BH, BD, row(0, 7.5f, 4, 2.5f), {"HORIZONTAL 2 2 2500"}, {}});
    level_group(level, {"bell",
                        "yellow",
                        1,
                        0.6f,
                        0.6f,
                        0.6f,
                        {{-7.5f, -4, 0}, {7.5f, -4, 0}, {-4, -5, 0}, {4, -5, 0}},
                        {"VERTICAL 2 1.5 1800"},
                        {}});
    level_group(level, {"steps",
                        "pink",
                        1,
                        BW,
                        BH,
                        BD,
                        join(row(-6.5f, -0.5f, 2, 2), row(6.5f, -0.5f, 2, 2)),
                        {},
                        {}});
    return level_finish(level, path);
}

// Nebula: the widest field, constellations of bricks drifting in every way at once.
static int level_nebula(const std::string& path)
{
    s_level level = level_begin(-15, 15, -11, 11);
    level_world(level, "nebula", 24, {"SCROLL 2 0.004 0.002"}, "metal");
    level_world_quad(level, "haze", -15, -11, 15, 11, -1.2f, 12, "data/backgrounds/spiral.png",
                     {"ROTZOOM 1 -0.001", "COLOR 4 3 0.15 0.25 0.0007"});
    level_group(level, {"stars",
                        "yellow",
                        1,
                        0.5f,
                        0.5f,
                        0.5f,
                        {{-12, 8.5f, 0},
                         {-9, 7.5f, 0},
                         {-6, 8.5f, 0},
                         {-3, 7.5f, 0},
                         {0, 8.5f, 0},
                         {3, 7.5f, 0},
                         {6, 8.5f, 0},
                         {9, 7.5f, 0},
                         {12, 8.5f, 0}},
                        {},
                        {"COLOR 4 2 0.6 1 0.006"}});
    level_group(level, {"band",
                        "purple",
                        2,
                        BW,
                        BH,
                        BD,
                        join(row(0, 5.5f, 12, 2.2f), row(0, 4.5f, 11, 2.2f)),
                        {},
                        {}});
    level_group(level, {"comet",
                        "cyan",
                        3,
                        0.8f,
                        0.8f,
                        0.8f,
                        {{-11, 0.5f, 0}, {-5, 0.5f, 0}, {1, 0.5f, 0}, {7, 0.5f, 0}},
                        {"CIRCLE 2 0 3500"},
                        {}});
    level_group(level, {"drift",
                        "pink",
                        4,
                        BW,
                        BH,
                        BD,
                        row(-6, -3, 3, 3),
                        {"HORIZONTAL 2 3 3500", "VERTICAL 2 1 2100"},
                        {}});
    level_group(
        level,
        {"swing", "green", 5, BW, BH, BD, row(6.5f, -3.5f, 3, 3), {"DIAGONAL 2 -1.5 2600"}, {}});
    level_group(level, {"dust", "red", 1, 0.6f, 0.4f, BD, row(0, 2.8f, 14, 2), {}, {}});
    level_group(level,
                {"moon", "obsidian", 0, 1.0f, 1.0f, 1.0f, {{-13, -6, 0}, {13, -6, 0}}, {}, {}});
    return level_finish(level, path);
}

// The pack's playing order, gentlest first, and the names shown as each level starts.
static std::vector<u8> level_pack_list()
{
    std::string text = "# The level pack: one level a line, in playing order: the map file\n"
                       "# (relative to this folder), then the name shown as the level starts.\n"
                       "default.map   Foundry\n"
                       "aquarium.map  Aquarium\n"
                       "carousel.map  Carousel\n"
                       "temple.map    Temple\n"
                       "reactor.map   Reactor\n"
                       "nebula.map    Nebula\n";
    return std::vector<u8>(text.begin(), text.end());
}

int levels_write(const std::string& root)
{
    int bad = 0;
    bad |= level_foundry(root + "/levels/default.map");
    bad |= level_aquarium(root + "/levels/aquarium.map");
    bad |= level_carousel(root + "/levels/carousel.map");
    bad |= level_reactor(root + "/levels/reactor.map");
    bad |= level_temple(root + "/levels/temple.map");
    bad |= level_nebula(root + "/levels/nebula.map");
    bad |= assets_write_file(root + "/levels/pack.txt", level_pack_list());
    return bad;
}
