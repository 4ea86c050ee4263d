// Painting helpers of the texture drawers: shapes as signed distance
// functions, filled with an antialiased edge, and smooth ramps.
#pragma once

#include <functional>
#include <vector>

#include "tools/assets/assets.h"

// Signed distance in texture units (negative inside) at a point in [0, 1]².
typedef std::function<f32(f32, f32)> s_sdf;

constexpr f32 PAINT_PI = 3.14159265f;
constexpr s_rgb PAINT_WHITE = {1, 1, 1};

// Clamps to [0, 1].
f32 clamp01(f32 v);
// Smooth step from 0 at a to 1 at b.
f32 smooth(f32 a, f32 b, f32 x);
// Creates a picture whose pixel (x, y) is colour(x, y).
s_canvas paint_pixels(int width, int height, const std::function<s_rgb(int, int)>& colour);
// Creates a picture whose pixel is colour(u, v) of its centre, u and v running
// from 0 to 1 across and down.
s_canvas paint_uv(int width, int height, const std::function<s_rgb(f32, f32)>& colour);
// Paints a shape with an antialiased edge one pixel wide.
void paint(s_canvas& img, const s_sdf& sdf, s_rgb color, f32 opacity = 1);
// A disc.
s_sdf sdf_circle(f32 cx, f32 cy, f32 r);
// A segment with round ends, r thick on each side.
s_sdf sdf_segment(f32 ax, f32 ay, f32 bx, f32 by, f32 r);
// A box of half sides hx, hy with corners rounded by round.
s_sdf sdf_box(f32 cx, f32 cy, f32 hx, f32 hy, f32 round);
// Exact distance to a simple polygon (any shape), sign from the crossing count.
s_sdf sdf_polygon(std::vector<f32> pts);
// Both shapes.
s_sdf sdf_union(s_sdf a, s_sdf b);
// The shape grown by r.
s_sdf sdf_grow(s_sdf a, f32 r);
// A thick arrow from (ax, ay) to its head at (bx, by).
s_sdf sdf_arrow(f32 ax, f32 ay, f32 bx, f32 by, f32 width);
