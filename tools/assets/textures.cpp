// Procedural pictures of the game's sprites: pad, balls, bonuses, particle.
#include <cmath>

#include "tools/assets/assets.h"
#include "tools/assets/paint.h"

static const s_rgb INK = {0.08f, 0.06f, 0.12f};

// Paints a symbol white with a dark outline so it reads on any panel colour.
static void paint_symbol(s_canvas& img, const s_sdf& sdf)
{
    paint(img, sdf_grow(sdf, 0.035f), INK, 0.85f);
    paint(img, sdf, PAINT_WHITE);
}

// A glossy ball drawn flat on a bonus panel.
static void paint_ball(s_canvas& img, f32 cx, f32 cy, f32 r, s_rgb body)
{
    paint(img, sdf_circle(cx, cy, r + 0.03f), INK, 0.85f);
    paint(img, sdf_circle(cx, cy, r), body);
    paint(img, sdf_circle(cx - r * 0.35f, cy - r * 0.35f, r * 0.3f), PAINT_WHITE, 0.8f);
}

// The cube face of a bonus: a bevelled panel in the kind's colour.
static s_canvas bonus_panel(s_rgb color)
{
    s_canvas img = paint_uv(128, 128, [&](f32 u, f32 v) {
        f32 glow = 1.0f - 0.6f * std::hypot(u - 0.45f, v - 0.4f);
        return rgb_scale(color, 0.55f + 0.45f * glow);
    });
    s_sdf frame = sdf_box(0.5f, 0.5f, 0.47f, 0.47f, 0.1f);
    s_sdf inner = sdf_box(0.5f, 0.5f, 0.41f, 0.41f, 0.07f);
    paint(
        img, [=](f32 x, f32 y) { return std::max(frame(x, y), -inner(x, y)); },
        rgb_mix(color, PAINT_WHITE, 0.55f));
    paint(
        img, [=](f32 x, f32 y) { return -frame(x, y); }, rgb_scale(color, 0.25f));
    return img;
}

static int write_bonuses(const std::string& root)
{
    int bad = 0;
    // One shot: a lightning bolt, every brick breaks at the first touch.
    s_canvas img = bonus_panel({0.95f, 0.22f, 0.2f});
    paint_symbol(img, sdf_polygon({0.60f, 0.13f, 0.28f, 0.56f, 0.47f, 0.56f, 0.38f, 0.88f, 0.74f,
                                   0.43f, 0.54f, 0.43f, 0.66f, 0.13f}));
    bad |= canvas_write_png(img, root + "/data/bonus_ball_oneshot.png");
    // Split: one ball becomes two.
    img = bonus_panel({0.2f, 0.45f, 0.95f});
    paint_symbol(img, sdf_union(sdf_segment(0.5f, 0.32f, 0.29f, 0.70f, 0.035f),
                                sdf_segment(0.5f, 0.32f, 0.71f, 0.70f, 0.035f)));
    paint_ball(img, 0.5f, 0.3f, 0.12f, {0.85f, 0.9f, 1.0f});
    paint_ball(img, 0.27f, 0.72f, 0.12f, {0.85f, 0.9f, 1.0f});
    paint_ball(img, 0.73f, 0.72f, 0.12f, {0.85f, 0.9f, 1.0f});
    bad |= canvas_write_png(img, root + "/data/bonus_ball_split.png");
    // Traverse: an arrow straight through a brick.
    img = bonus_panel({1.0f, 0.6f, 0.1f});
    s_sdf brick = sdf_box(0.5f, 0.5f, 0.14f, 0.26f, 0.03f);
    paint(img,
          [=](f32 x, f32 y) {
              return std::max(brick(x, y), -sdf_box(0.5f, 0.5f, 0.09f, 0.21f, 0.01f)(x, y));
          },
          {0.45f, 0.2f, 0.08f});
    paint_symbol(img, sdf_arrow(0.12f, 0.5f, 0.9f, 0.5f, 0.07f));
    bad |= canvas_write_png(img, root + "/data/bonus_ball_traverse.png");
    // Heavy: a dark iron ball sinking.
    img = bonus_panel({0.55f, 0.25f, 0.75f});
    paint_symbol(img, sdf_arrow(0.5f, 0.52f, 0.5f, 0.9f, 0.08f));
    paint_ball(img, 0.5f, 0.32f, 0.19f, {0.25f, 0.25f, 0.3f});
    bad |= canvas_write_png(img, root + "/data/bonus_ball_type_heavy.png");
    // Light: a pale ball floating up.
    img = bonus_panel({0.2f, 0.8f, 0.9f});
    paint_symbol(img, sdf_arrow(0.5f, 0.5f, 0.5f, 0.1f, 0.08f));
    paint_ball(img, 0.5f, 0.68f, 0.17f, {1.0f, 1.0f, 0.8f});
    bad |= canvas_write_png(img, root + "/data/bonus_ball_type_light.png");
    // Pad shorter: a short pad squeezed by two arrows.
    img = bonus_panel({0.85f, 0.2f, 0.55f});
    paint_symbol(img, sdf_segment(0.38f, 0.68f, 0.62f, 0.68f, 0.08f));
    paint_symbol(img, sdf_arrow(0.1f, 0.36f, 0.42f, 0.36f, 0.07f));
    paint_symbol(img, sdf_arrow(0.9f, 0.36f, 0.58f, 0.36f, 0.07f));
    bad |= canvas_write_png(img, root + "/data/bonus_pad_dec.png");
    // Pad longer: a long pad pushed outwards.
    img = bonus_panel({0.25f, 0.8f, 0.25f});
    paint_symbol(img, sdf_segment(0.2f, 0.68f, 0.8f, 0.68f, 0.08f));
    paint_symbol(img, sdf_arrow(0.44f, 0.36f, 0.1f, 0.36f, 0.07f));
    paint_symbol(img, sdf_arrow(0.56f, 0.36f, 0.9f, 0.36f, 0.07f));
    bad |= canvas_write_png(img, root + "/data/bonus_pad_inc.png");
    return bad;
}

// Ball skins are wrapped round a GLU sphere: u runs round the equator, v from pole to pole.
static int write_balls(const std::string& root)
{
    int bad = 0;
    s_canvas img = paint_pixels(128, 64, [&](int x, int y) {
        f32 u = x / 128.0f, v = y / 64.0f;
        f32 n = noise_fbm(u * 8, v * 4, 8, 3, 11);
        s_rgb c = rgb_scale({0.9f, 0.92f, 0.96f}, 0.8f + 0.2f * n);
        bool band = std::fabs(v - 0.5f) < 0.07f;
        bool check = ((int)(u * 8) + (int)(v * 4)) % 2 == 0 && std::fabs(v - 0.5f) > 0.12f;
        if (band)
            c = {0.15f, 0.45f, 1.0f};
        else if (check)
            c = rgb_mix(c, {0.35f, 0.6f, 1.0f}, 0.45f);
        return c;
    });
    bad |= canvas_write_png(img, root + "/data/ball_normal.png");

    img = paint_pixels(128, 64, [&](int x, int y) {
        f32 u = x / 128.0f, v = y / 64.0f;
        f32 n = noise_fbm(u * 6, v * 3, 6, 4, 23);
        f32 vein = 1.0f - smooth(0.0f, 0.06f, std::fabs(n - 0.5f));
        s_rgb c = rgb_scale({0.22f, 0.2f, 0.22f}, 0.7f + 0.5f * noise_fbm(u * 16, v * 8, 16, 2, 5));
        return rgb_mix(c, {1.0f, 0.45f, 0.05f}, vein);
    });
    bad |= canvas_write_png(img, root + "/data/ball_heavy.png");

    img = paint_pixels(128, 64, [&](int x, int y) {
        f32 u = x / 128.0f, v = y / 64.0f;
        f32 n = noise_fbm(u * 8, v * 4, 8, 2, 37);
        s_rgb c = rgb_mix({0.75f, 1.0f, 0.55f}, {1.0f, 1.0f, 0.75f}, n);
        f32 spot = noise_value(u * 12, v * 6, 12, 41);
        if (spot > 0.72f)
            c = rgb_mix(c, PAINT_WHITE, smooth(0.72f, 0.8f, spot));
        return c;
    });
    bad |= canvas_write_png(img, root + "/data/ball_light.png");
    return bad;
}

// The pad's capsule: u runs round it, v along it; rings mark its length.
static int write_pad(const std::string& root)
{
    s_canvas img = paint_pixels(128, 64, [&](int x, int y) {
        f32 u = x / 128.0f, v = y / 64.0f;
        f32 shade = 0.55f + 0.45f * std::cos((u - 0.25f) * 2 * PAINT_PI);
        s_rgb c = rgb_scale({0.35f, 0.5f, 0.75f}, 0.6f + 0.4f * shade);
        f32 ring = std::fabs(std::fmod(v * 4 + 0.5f, 1.0f) - 0.5f);
        c = rgb_mix(c, {0.3f, 1.0f, 1.0f}, 1.0f - smooth(0.03f, 0.08f, ring));
        c = rgb_mix(c, rgb_scale(c, 0.7f), noise_fbm(u * 16, v * 8, 16, 2, 3) * 0.5f);
        return c;
    });
    return canvas_write_png(img, root + "/data/pad.png");
}

// A soft round spot on black: drawn additively, so black does not show.
static int write_particle(const std::string& root)
{
    s_canvas img = paint_pixels(64, 64, [&](int x, int y) {
        f32 r = std::hypot((x + 0.5f) / 32 - 1, (y + 0.5f) / 32 - 1);
        f32 v = std::exp(-r * r * 5.0f) - std::exp(-5.0f);
        v = r >= 1 ? 0 : v / (1 - std::exp(-5.0f));
        return s_rgb{v, v, v};
    });
    return canvas_write_bmp(img, root + "/data/particle.bmp");
}

// Writes the game's sprites and the level textures under root/data.
int textures_write(const std::string& root)
{
    return assets_write_parts(
        root, {write_pad, write_balls, write_bonuses, write_particle, level_textures_write});
}
