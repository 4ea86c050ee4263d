// Painting helpers of the texture drawers.
#include "tools/assets/paint.h"

#include <algorithm>
#include <cmath>

f32 clamp01(f32 v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

f32 smooth(f32 a, f32 b, f32 x)
{
    f32 t = clamp01((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}

s_canvas paint_pixels(int width, int height, const std::function<s_rgb(int, int)>& colour)
{
    s_canvas img = canvas_make(width, height, PAINT_WHITE);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            canvas_set(img, x, y, colour(x, y));
    return img;
}

s_canvas paint_uv(int width, int height, const std::function<s_rgb(f32, f32)>& colour)
{
    return paint_pixels(width, height, [&](int x, int y) {
        return colour((x + 0.5f) / width, (y + 0.5f) / height);
    });
}

void paint(s_canvas& img, const s_sdf& sdf, s_rgb color, f32 opacity)
{
    f32 px = 1.0f / img.width;
    for (int y = 0; y < img.height; y++)
        for (int x = 0; x < img.width; x++) {
            f32 d = sdf((x + 0.5f) / img.width, (y + 0.5f) / img.height);
            canvas_blend(img, x, y, color, clamp01(0.5f - d / px) * opacity);
        }
}

s_sdf sdf_circle(f32 cx, f32 cy, f32 r)
{
    return [=](f32 x, f32 y) { return std::hypot(x - cx, y - cy) - r; };
}

s_sdf sdf_segment(f32 ax, f32 ay, f32 bx, f32 by, f32 r)
{
    return [=](f32 x, f32 y) {
        f32 px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
        f32 h = clamp01((px * dx + py * dy) / (dx * dx + dy * dy));
        return std::hypot(px - dx * h, py - dy * h) - r;
    };
}

s_sdf sdf_box(f32 cx, f32 cy, f32 hx, f32 hy, f32 round)
{
    return [=](f32 x, f32 y) {
        f32 qx = std::fabs(x - cx) - hx + round, qy = std::fabs(y - cy) - hy + round;
        f32 outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
        return outside + std::min(std::max(qx, qy), 0.0f) - round;
    };
}

s_sdf sdf_polygon(std::vector<f32> pts)
{
    return [=](f32 x, f32 y) {
        size_t n = pts.size() / 2;
        f32 best = 1e9f;
        bool inside = false;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            f32 ax = pts[2 * j], ay = pts[2 * j + 1], bx = pts[2 * i], by = pts[2 * i + 1];
            f32 ex = bx - ax, ey = by - ay, wx = x - ax, wy = y - ay;
            f32 h = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
            best = std::min(best, std::hypot(wx - ex * h, wy - ey * h));
            if ((ay > y) != (by > y) && x < ax + (y - ay) * ex / ey)
                inside = !inside;
        }
        return inside ? -best : best;
    };
}

s_sdf sdf_union(s_sdf a, s_sdf b)
{
    return [=](f32 x, f32 y) { return std::min(a(x, y), b(x, y)); };
}

s_sdf sdf_grow(s_sdf a, f32 r)
{
    return [=](f32 x, f32 y) { return a(x, y) - r; };
}

s_sdf sdf_arrow(f32 ax, f32 ay, f32 bx, f32 by, f32 width)
{
    f32 len = std::hypot(bx - ax, by - ay);
    f32 ux = (bx - ax) / len, uy = (by - ay) / len;
    f32 head = width * 3.2f;
    f32 hx = bx - ux * head, hy = by - uy * head;
    s_sdf shaft = sdf_segment(ax, ay, hx, hy, width * 0.5f);
    s_sdf tip = sdf_polygon({bx, by, hx - uy * head * 0.75f, hy + ux * head * 0.75f,
                             hx + uy * head * 0.75f, hy - ux * head * 0.75f});
    return sdf_union(shaft, tip);
}
