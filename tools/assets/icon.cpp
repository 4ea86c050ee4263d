// The application icon: a ball rising from the pad towards two rows of bricks
// on a dark rounded tile. It is drawn afresh at every size, not scaled down, on
// a grid of 16 units; the edges of bricks and pad are moved to the nearest
// pixel edge so that small icons stay crisp, and details that would only blur
// (bevels, the ball's trail) appear from 32 pixels on.
#include <cmath>

#include "tools/assets/assets.h"

enum {
    ICON_GRID = 16,      // icon units across, whatever the size in pixels
    ICON_SAMPLES = 6,    // samples per pixel along each axis
    ICON_DETAILED = 32,  // smallest size in pixels that shows the fine details
};

static const int icon_sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// One layer's colour and opacity at a sample point.
struct s_rgba {
    s_rgb rgb;
    f32 a;
};

// Moves v, in units, to the nearest pixel edge; unit is the units per pixel.
static f32 icon_snap(f32 v, f32 unit)
{
    return std::round(v / unit) * unit;
}

static f32 icon_clamp(f32 v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

// Is (x, y) inside the box [x0, x1] × [y0, y1] with corners rounded by r?
static bool icon_in_box(f32 x, f32 y, f32 x0, f32 y0, f32 x1, f32 y1, f32 r)
{
    if (x < x0 || x > x1 || y < y0 || y > y1)
        return false;
    f32 cx = std::fmin(std::fmax(x, x0 + r), x1 - r);
    f32 cy = std::fmin(std::fmax(y, y0 + r), y1 - r);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// Paints c over what is there.
static void icon_over(s_rgba& under, s_rgb c, f32 a)
{
    under.rgb = rgb_mix(under.rgb, c, a);
    under.a = under.a + (1 - under.a) * a;
}

// The tile: deep blue, lighter at the top, with a faint rim at large sizes.
static void icon_tile(s_rgba& out, f32 x, f32 y, bool detailed)
{
    if (!icon_in_box(x, y, 0, 0, ICON_GRID, ICON_GRID, 3))
        return;
    f32 t = y / ICON_GRID;
    out = {rgb_mix({0.13f, 0.16f, 0.38f}, {0.04f, 0.05f, 0.15f}, t), 1};
    if (detailed && !icon_in_box(x, y, 0.4f, 0.4f, ICON_GRID - 0.4f, ICON_GRID - 0.4f, 2.6f))
        icon_over(out, {0.45f, 0.5f, 0.85f}, 0.5f);
}

// Six bricks in two rows, each lighter at its top edge like the game's bricks.
static void icon_bricks(s_rgba& out, f32 x, f32 y, f32 unit, bool detailed)
{
    static const s_rgb colours[2][3] = {
        {{0.95f, 0.26f, 0.22f}, {1.0f, 0.76f, 0.18f}, {0.32f, 0.82f, 0.36f}},
        {{1.0f, 0.52f, 0.16f}, {0.26f, 0.58f, 1.0f}, {0.86f, 0.36f, 0.92f}},
    };
    for (int row = 0; row < 2; row++)
        for (int col = 0; col < 3; col++) {
            f32 x0 = icon_snap(1 + col * 5.0f, unit), x1 = icon_snap(5 + col * 5.0f, unit);
            f32 y0 = icon_snap(2 + row * 3.0f, unit), y1 = icon_snap(4 + row * 3.0f, unit);
            if (!icon_in_box(x, y, x0, y0, x1, y1, detailed ? 0.3f : 0))
                continue;
            f32 shade = 1.15f - 0.45f * (y - y0) / (y1 - y0);
            s_rgb c = rgb_scale(colours[row][col], shade);
            if (detailed && (y - y0 < 0.35f || x - x0 < 0.35f))
                c = rgb_mix(c, {1, 1, 1}, 0.35f);
            out.rgb = c;
        }
}

// The ball lit from the upper left; at large sizes a fading trail shows where it came from.
static void icon_ball(s_rgba& out, f32 x, f32 y, bool detailed)
{
    const f32 cx = 10, cy = 10, r = 2;
    if (detailed)
        for (int i = 1; i <= 3; i++) {
            f32 tx = cx - 1.4f * i, ty = cy + 0.9f * i, tr = r * (1 - 0.2f * i);
            if ((x - tx) * (x - tx) + (y - ty) * (y - ty) <= tr * tr)
                icon_over(out, {0.55f, 0.75f, 1.0f}, 0.28f - 0.07f * i);
        }
    f32 nx = (x - cx) / r, ny = (y - cy) / r, nn = nx * nx + ny * ny;
    if (nn > 1)
        return;
    f32 nz = std::sqrt(1 - nn);
    f32 light = icon_clamp(-0.5f * nx - 0.55f * ny + 0.67f * nz);
    f32 shine = std::pow(icon_clamp(-0.3f * nx - 0.35f * ny + 0.89f * nz), 24.0f);
    s_rgb body = rgb_mix({0.16f, 0.3f, 0.65f}, {0.86f, 0.94f, 1.0f}, 0.25f + 0.75f * light);
    out.rgb = rgb_mix(body, {1, 1, 1}, shine);
}

// The pad: a steel capsule along the bottom, bright on top.
static void icon_pad(s_rgba& out, f32 x, f32 y, f32 unit)
{
    f32 y0 = icon_snap(13, unit), y1 = icon_snap(15, unit);
    if (!icon_in_box(x, y, icon_snap(3, unit), y0, icon_snap(13, unit), y1, (y1 - y0) / 2))
        return;
    f32 t = (y - y0) / (y1 - y0);
    out.rgb = rgb_mix({0.86f, 0.9f, 0.97f}, {0.32f, 0.37f, 0.52f}, t);
}

// Averages the layers over a grid of samples inside each pixel.
static s_canvas icon_draw(int size)
{
    s_canvas image = canvas_make(size, size, {0, 0, 0});
    image.alpha.assign((size_t)size * size, 0);
    bool detailed = size >= ICON_DETAILED;
    f32 unit = (f32)ICON_GRID / size;
    for (int py = 0; py < size; py++)
        for (int px = 0; px < size; px++) {
            s_rgb sum = {0, 0, 0};
            f32 cover = 0;
            for (int sy = 0; sy < ICON_SAMPLES; sy++)
                for (int sx = 0; sx < ICON_SAMPLES; sx++) {
                    f32 x = (px + (sx + 0.5f) / ICON_SAMPLES) * unit;
                    f32 y = (py + (sy + 0.5f) / ICON_SAMPLES) * unit;
                    s_rgba s = {{0, 0, 0}, 0};
                    icon_tile(s, x, y, detailed);
                    icon_bricks(s, x, y, unit, detailed);
                    icon_ball(s, x, y, detailed);
                    icon_pad(s, x, y, unit);
                    sum = {sum.r + s.rgb.r * s.a, sum.g + s.rgb.g * s.a, sum.b + s.rgb.b * s.a};
                    cover += s.a;
                }
            // Colour unpremultiplied, so the tile's soft corners keep their hue.
            s_rgb c = cover > 0 ? rgb_scale(sum, 1 / cover) : s_rgb{0, 0, 0};
            canvas_set(image, px, py, c);
            image.alpha[(size_t)py * size + px] = cover / (ICON_SAMPLES * ICON_SAMPLES);
        }
    return image;
}

int icon_write(const std::string& root)
{
    int bad = 0;
    for (int size : icon_sizes) {
        std::string dir = std::to_string(size) + "x" + std::to_string(size);
        bad |= canvas_write_png(icon_draw(size),
                                root + "/dist/icons/hicolor/" + dir + "/apps/tumbrelix.png");
    }
    return bad;
}
