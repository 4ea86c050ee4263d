// Procedural level textures: backgrounds, walls, and blocks with one crack
// stage per hit.
#include <cmath>

#include "tools/assets/assets.h"
#include "tools/assets/paint.h"

struct s_brick_color {
    const char* name;
    s_rgb color;
};

constexpr s_brick_color BRICK_COLORS[] = {
    {"red", {0.9f, 0.2f, 0.18f}},     {"orange", {1.0f, 0.55f, 0.12f}},
    {"yellow", {0.98f, 0.85f, 0.2f}}, {"green", {0.3f, 0.8f, 0.25f}},
    {"cyan", {0.2f, 0.8f, 0.85f}},    {"blue", {0.25f, 0.4f, 0.95f}},
    {"purple", {0.6f, 0.3f, 0.9f}},   {"pink", {1.0f, 0.45f, 0.7f}},
};

constexpr int BRICK_STAGES = 5;

// Cracks drawn as jagged random walks; stage k holds all cracks of stage k - 1 and more.
static void paint_cracks(s_canvas& img, int stage, u32 seed)
{
    for (int crack = 0; crack < stage * 3; crack++) {
        f32 x = 0.15f + 0.7f * noise_hash(crack, 1, seed),
            y = 0.2f + 0.6f * noise_hash(crack, 2, seed);
        f32 angle = noise_hash(crack, 3, seed) * 2 * PAINT_PI;
        int steps = 5 + (int)(noise_hash(crack, 4, seed) * 6);
        for (int s = 0; s < steps; s++) {
            f32 nx = x + std::cos(angle) * 0.09f, ny = y + std::sin(angle) * 0.18f;
            f32 w = 0.012f * (1.0f - (f32)s / steps) + 0.005f;
            paint(img, sdf_segment(x, y, nx, ny, w + 0.006f), {1, 1, 1}, 0.25f);
            paint(img, sdf_segment(x, y, nx, ny, w), {0.05f, 0.03f, 0.03f}, 0.9f);
            x = nx;
            y = ny;
            angle += (noise_hash(crack, 10 + s, seed) - 0.5f) * 1.6f;
        }
    }
    if (stage >= 4)
        for (int chip = 0; chip < 4; chip++)
            paint(img,
                  sdf_circle(noise_hash(chip, 20, seed),
                             noise_hash(chip, 21, seed) * 0.3f + 0.7f * (chip % 2), 0.06f),
                  {0.1f, 0.07f, 0.06f}, 0.85f);
}

// Writes path.png and, darker, path_side.png: the sides of a box are darker
// so it reads as solid without lighting.
static int write_with_side(s_canvas img, const std::string& path)
{
    int bad = canvas_write_png(img, path + ".png");
    for (f32& v : img.rgb)
        v *= 0.6f;
    return bad | canvas_write_png(img, path + "_side.png");
}

// A bevelled brick face.
static s_canvas brick_face(s_rgb color, u32 seed)
{
    return paint_uv(128, 64, [&](f32 u, f32 v) {
        f32 n = noise_fbm(u * 8, v * 4, 8, 3, seed);
        s_rgb c = rgb_scale(color, 0.82f + 0.3f * n);
        if (u < 0.06f || v < 0.1f)
            c = rgb_mix(c, PAINT_WHITE, 0.35f * (1 - smooth(0.0f, 0.06f, std::min(u, v * 0.6f))));
        if (u > 0.94f || v > 0.9f)
            c = rgb_scale(c, 0.6f);
        return c;
    });
}

static int write_bricks(const std::string& root)
{
    int bad = 0;
    u32 seed = 100;
    for (const s_brick_color& b : BRICK_COLORS) {
        s_canvas base = brick_face(b.color, seed);
        for (int stage = 0; stage < BRICK_STAGES; stage++) {
            s_canvas face = base;
            paint_cracks(face, stage, seed);
            bad |= write_with_side(face, root + "/data/blocks/brick_" + b.name + "_" +
                                             std::to_string(stage));
        }
        seed += 7;
    }
    return bad;
}

// Unbreakable looks: riveted steel with hazard stripes, and dark obsidian.
static int write_unbreakable(const std::string& root)
{
    int bad = 0;
    s_canvas steel = paint_pixels(128, 64, [&](int x, int y) {
        f32 u = (x + 0.5f) / 128, v = (y + 0.5f) / 64;
        f32 brushed = noise_fbm(u * 2, v * 32, 2, 3, 77);
        s_rgb c = rgb_scale({0.62f, 0.65f, 0.7f}, 0.75f + 0.35f * brushed);
        bool border = u < 0.08f || u > 0.92f || v < 0.16f || v > 0.84f;
        if (border)
            c = ((int)((x + y) / 8) % 2) ? s_rgb{0.95f, 0.75f, 0.1f} : s_rgb{0.12f, 0.12f, 0.12f};
        return c;
    });
    for (int i = 0; i < 4; i++) {
        f32 cx = i % 2 ? 0.84f : 0.16f, cy = i / 2 ? 0.68f : 0.32f;
        paint(steel, [=](f32 x, f32 y) { return std::hypot((x - cx) * 2, y - cy) - 0.06f; },
              {0.3f, 0.3f, 0.32f});
        paint(
            steel,
            [=](f32 x, f32 y) { return std::hypot((x - cx + 0.01f) * 2, y - cy + 0.02f) - 0.025f; },
            PAINT_WHITE, 0.7f);
    }
    bad |= write_with_side(steel, root + "/data/blocks/steel");

    s_canvas obsidian = paint_uv(128, 64, [&](f32 u, f32 v) {
        f32 n = noise_fbm(u * 4, v * 2, 4, 5, 91);
        f32 vein = 1.0f - smooth(0.0f, 0.04f, std::fabs(n - 0.5f));
        s_rgb c = rgb_scale({0.12f, 0.08f, 0.18f}, 0.7f + 0.6f * n);
        return rgb_mix(c, {0.75f, 0.4f, 1.0f}, vein * 0.8f);
    });
    bad |= write_with_side(obsidian, root + "/data/blocks/obsidian");
    return bad;
}

// Wall panels, tileable along their length.
static int write_walls(const std::string& root)
{
    int bad = 0;
    s_canvas metal = paint_uv(128, 128, [&](f32 u, f32 v) {
        f32 n = noise_fbm(u * 4, v * 4, 4, 4, 51);
        s_rgb c = rgb_scale({0.4f, 0.45f, 0.55f}, 0.7f + 0.4f * n);
        f32 seam = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
        if (seam < 0.03f)
            c = rgb_scale(c, 0.45f);
        else if (seam < 0.06f)
            c = rgb_mix(c, PAINT_WHITE, 0.2f);
        return c;
    });
    for (int i = 0; i < 4; i++) {
        f32 cx = i % 2 ? 0.88f : 0.12f, cy = i / 2 ? 0.88f : 0.12f;
        paint(metal, sdf_circle(cx, cy, 0.035f), {0.2f, 0.22f, 0.25f});
        paint(metal, sdf_circle(cx - 0.008f, cy - 0.008f, 0.015f), PAINT_WHITE, 0.6f);
    }
    bad |= write_with_side(metal, root + "/data/walls/metal");

    s_canvas stone = paint_uv(128, 128, [&](f32 u, f32 v) {
        int row = (int)(v * 4);
        f32 su = u * 2 + (row % 2) * 0.5f;
        f32 mortar = std::min(std::fabs(su - std::round(su)) * 0.5f,
                              std::fabs(v * 4 - std::round(v * 4)) * 0.25f);
        f32 n = noise_fbm(u * 8, v * 8, 8, 4, 61 + row);
        s_rgb c = rgb_scale({0.62f, 0.55f, 0.45f}, 0.65f + 0.45f * n);
        return rgb_mix({0.2f, 0.18f, 0.15f}, c, smooth(0.008f, 0.02f, mortar));
    });
    bad |= write_with_side(stone, root + "/data/walls/stone");

    // Neon tube: bright along the middle, running along u, meant to scroll or pulse.
    s_canvas neon = paint_uv(64, 64, [&](f32 u, f32 v) {
        f32 core = std::exp(-std::pow((v - 0.5f) * 7, 2.0f));
        f32 pulse = 0.6f + 0.4f * std::cos(u * 2 * PAINT_PI * 2);
        s_rgb c = rgb_mix({0.05f, 0.0f, 0.12f}, {1.0f, 0.3f, 0.95f}, core * pulse);
        return rgb_mix(c, PAINT_WHITE, core * core * pulse * 0.6f);
    });
    bad |= canvas_write_png(neon, root + "/data/walls/neon.png");
    return bad;
}

// Backgrounds: 256 × 256, tileable, dark enough that balls and bricks stand out.
static int write_backgrounds(const std::string& root)
{
    int bad = 0;
    const int S = 256;
    // Circuit board.
    s_canvas img = paint_pixels(S, S, [&](int x, int y) {
        f32 u = (x + 0.5f) / S, v = (y + 0.5f) / S;
        f32 n = noise_fbm(u * 4, v * 4, 4, 3, 201);
        s_rgb c = rgb_scale({0.04f, 0.1f, 0.16f}, 0.6f + 0.8f * n);
        int cx = x / 32, cy = y / 32;
        f32 fx = (x % 32) / 32.0f, fy = (y % 32) / 32.0f;
        bool horiz = noise_hash(cx, cy, 7) > 0.45f, vert = noise_hash(cx, cy, 8) > 0.5f;
        f32 line = 1.0f;
        if (horiz)
            line = std::min(line, std::fabs(fy - 0.5f));
        if (vert)
            line = std::min(line, std::fabs(fx - 0.5f));
        c = rgb_mix(c, {0.1f, 0.55f, 0.5f}, 1 - smooth(0.02f, 0.05f, line));
        f32 pad = std::hypot(fx - 0.5f, fy - 0.5f);
        if (horiz && vert)
            c = rgb_mix(c, {0.3f, 0.9f, 0.8f}, 1 - smooth(0.06f, 0.09f, pad));
        return c;
    });
    bad |= canvas_write_png(img, root + "/data/backgrounds/circuit.png");
    // Nebula with stars.
    img = paint_pixels(S, S, [&](int x, int y) {
        f32 u = (x + 0.5f) / S, v = (y + 0.5f) / S;
        f32 a = noise_fbm(u * 3, v * 3, 3, 5, 301), b = noise_fbm(u * 3, v * 3, 3, 5, 302);
        s_rgb c = rgb_mix({0.02f, 0.01f, 0.06f}, {0.45f, 0.1f, 0.45f}, smooth(0.45f, 0.8f, a));
        c = rgb_mix(c, {0.1f, 0.3f, 0.6f}, smooth(0.5f, 0.85f, b) * 0.8f);
        f32 star = noise_hash(x, y, 303);
        if (star > 0.996f)
            c = rgb_mix(c, PAINT_WHITE, (star - 0.996f) / 0.004f);
        return c;
    });
    bad |= canvas_write_png(img, root + "/data/backgrounds/nebula.png");
    // Water caustics.
    img = paint_uv(S, S, [&](f32 u, f32 v) {
        f32 n = noise_fbm(u * 6, v * 6, 6, 3, 401);
        f32 caustic = 1 - smooth(0.0f, 0.05f, std::fabs(n - 0.5f));
        s_rgb c = rgb_mix({0.02f, 0.12f, 0.25f}, {0.05f, 0.3f, 0.45f},
                          noise_fbm(u * 2, v * 2, 2, 3, 402));
        return rgb_mix(c, {0.55f, 0.9f, 1.0f}, caustic * 0.55f);
    });
    bad |= canvas_write_png(img, root + "/data/backgrounds/water.png");
    // Reactor: glowing hexagonal cells.
    img = paint_uv(S, S, [&](f32 s, f32 t) {
        f32 u = s * 8, v = t * 8 * 0.8660254f;
        // Nearest centre of a hexagonal lattice (two rectangular grids offset by half a cell).
        f32 ax = std::round(u), ay = std::round(v / 1.7320508f) * 1.7320508f;
        f32 bx = std::floor(u) + 0.5f, by = (std::floor(v / 1.7320508f) + 0.5f) * 1.7320508f;
        f32 da = std::hypot(u - ax, v - ay), db = std::hypot(u - bx, v - by);
        f32 d = std::min(da, db), e = std::fabs(da - db);
        s_rgb c = rgb_mix({0.15f, 0.03f, 0.02f}, {0.55f, 0.15f, 0.03f}, 1 - d);
        return rgb_mix(c, {1.0f, 0.7f, 0.2f}, 1 - smooth(0.0f, 0.06f, e));
    });
    bad |= canvas_write_png(img, root + "/data/backgrounds/reactor.png");
    // Temple floor tiles.
    img = paint_uv(S, S, [&](f32 s, f32 t) {
        f32 u = s * 4, v = t * 4;
        f32 fu = u - std::floor(u), fv = v - std::floor(v);
        f32 edge = std::min(std::min(fu, 1 - fu), std::min(fv, 1 - fv));
        f32 n = noise_fbm(u, v, 4, 4, 501 + ((int)u + (int)v * 4) % 3);
        s_rgb c = rgb_scale(((int)u + (int)v) % 2 ? s_rgb{0.3f, 0.24f, 0.16f}
                                                  : s_rgb{0.22f, 0.17f, 0.12f},
                            0.7f + 0.5f * n);
        f32 diamond = std::fabs(fu - 0.5f) + std::fabs(fv - 0.5f);
        c = rgb_mix(c, {0.7f, 0.55f, 0.2f},
                    (1 - smooth(0.0f, 0.02f, std::fabs(diamond - 0.3f))) * 0.6f);
        return rgb_mix({0.08f, 0.06f, 0.04f}, c, smooth(0.01f, 0.03f, edge));
    });
    bad |= canvas_write_png(img, root + "/data/backgrounds/temple.png");
    // Spiral, meant to be turned round its centre.
    img = paint_uv(S, S, [&](f32 s, f32 t) {
        f32 u = s - 0.5f, v = t - 0.5f;
        f32 r = std::hypot(u, v), a = std::atan2(v, u);
        f32 arm = 0.5f + 0.5f * std::cos(a * 6 + r * 40);
        s_rgb c = rgb_mix({0.04f, 0.02f, 0.1f}, {0.2f, 0.1f, 0.5f}, arm * smooth(0.7f, 0.0f, r));
        c = rgb_mix(c, {0.9f, 0.5f, 0.2f}, arm * arm * smooth(0.25f, 0.0f, r) * 0.7f);
        return c;
    });
    bad |= canvas_write_png(img, root + "/data/backgrounds/spiral.png");
    // Soft glow for pulsing accents.
    s_canvas glow = paint_pixels(64, 64, [&](int x, int y) {
        f32 r = std::hypot((x + 0.5f) / 32 - 1, (y + 0.5f) / 32 - 1);
        return rgb_mix({1.0f, 0.85f, 0.4f}, {0.9f, 0.3f, 0.1f}, clamp01(r));
    });
    bad |= canvas_write_png(glow, root + "/data/backgrounds/glow.png");
    return bad;
}

int level_textures_write(const std::string& root)
{
    return assets_write_parts(root,
                              {write_bricks, write_unbreakable, write_walls, write_backgrounds});
}
