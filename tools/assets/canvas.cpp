// The canvas the generator paints on, its PNG/BMP writers and tileable noise.
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

#include "gfx/image.h"
#include "tools/assets/assets.h"

s_canvas canvas_make(int width, int height, s_rgb fill)
{
    s_canvas canvas;
    canvas.width = width;
    canvas.height = height;
    canvas.rgb.resize((size_t)width * height * 3);
    for (size_t i = 0; i < canvas.rgb.size(); i += 3) {
        canvas.rgb[i] = fill.r;
        canvas.rgb[i + 1] = fill.g;
        canvas.rgb[i + 2] = fill.b;
    }
    return canvas;
}

s_rgb canvas_get(const s_canvas& canvas, int x, int y)
{
    x = ((x % canvas.width) + canvas.width) % canvas.width;
    y = ((y % canvas.height) + canvas.height) % canvas.height;
    const f32* p = &canvas.rgb[((size_t)y * canvas.width + x) * 3];
    return {p[0], p[1], p[2]};
}

void canvas_set(s_canvas& canvas, int x, int y, s_rgb color)
{
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height)
        return;
    f32* p = &canvas.rgb[((size_t)y * canvas.width + x) * 3];
    p[0] = color.r;
    p[1] = color.g;
    p[2] = color.b;
}

void canvas_blend(s_canvas& canvas, int x, int y, s_rgb color, f32 alpha)
{
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height || alpha <= 0)
        return;
    if (alpha > 1)
        alpha = 1;
    canvas_set(canvas, x, y, rgb_mix(canvas_get(canvas, x, y), color, alpha));
}

static u8 canvas_byte(f32 v)
{
    if (!(v > 0))
        return 0;
    if (v >= 1)
        return 255;
    return (u8)std::lround(v * 255.0f);
}

// Creates path and the folders above it for writing; null, with a message, on failure.
static FILE* assets_create(const std::string& path)
{
    if (assets_make_dirs(path))
        return nullptr;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        fprintf(stderr, "tumbrelix-assets: cannot write %s\n", path.c_str());
    return file;
}

int canvas_write_png(const s_canvas& canvas, const std::string& path)
{
    bool alpha = canvas.alpha.size() == (size_t)canvas.width * canvas.height;
    s_image image;
    image.width = (u32)canvas.width;
    image.height = (u32)canvas.height;
    image.channels = alpha ? 4 : 3;
    std::vector<u8> pixels((size_t)image.width * image.height * image.channels);
    image.pixels = pixels.data();
    // The canvas keeps its top row first, the image its bottom row.
    u8* out = image.pixels;
    for (int y = canvas.height - 1; y >= 0; y--) {
        for (int x = 0; x < canvas.width; x++) {
            size_t at = (size_t)y * canvas.width + x;
            for (int c = 0; c < 3; c++)
                *out++ = canvas_byte(canvas.rgb[at * 3 + c]);
            if (alpha)
                *out++ = canvas_byte(canvas.alpha[at]);
        }
    }
    FILE* file = assets_create(path);
    if (!file)
        return 1;
    if (image_write_png(&image, file, path.c_str())) {
        fclose(file);
        fprintf(stderr, "tumbrelix-assets: cannot encode %s\n", path.c_str());
        return 1;
    }
    if (fclose(file) != 0) {
        fprintf(stderr, "tumbrelix-assets: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

static void canvas_put_le(std::vector<u8>& out, u32 value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out.push_back((u8)(value >> (8 * i)));
}

int canvas_write_bmp(const s_canvas& canvas, const std::string& path)
{
    // Rows padded to four bytes so any width is valid; our sizes never need it.
    u32 stride = ((u32)canvas.width * 3 + 3) & ~3u;
    u32 data_size = stride * canvas.height;
    std::vector<u8> out;
    out.push_back('B');
    out.push_back('M');
    canvas_put_le(out, 54 + data_size, 4);
    canvas_put_le(out, 0, 4);
    canvas_put_le(out, 54, 4);
    canvas_put_le(out, 40, 4);
    canvas_put_le(out, canvas.width, 4);
    canvas_put_le(out, canvas.height, 4);
    canvas_put_le(out, 1, 2);
    canvas_put_le(out, 24, 2);
    canvas_put_le(out, 0, 4);
    canvas_put_le(out, data_size, 4);
    canvas_put_le(out, 2835, 4);
    canvas_put_le(out, 2835, 4);
    canvas_put_le(out, 0, 4);
    canvas_put_le(out, 0, 4);
    for (int y = canvas.height - 1; y >= 0; y--) {
        for (int x = 0; x < canvas.width; x++) {
            s_rgb c = canvas_get(canvas, x, y);
            out.push_back(canvas_byte(c.b));
            out.push_back(canvas_byte(c.g));
            out.push_back(canvas_byte(c.r));
        }
        for (u32 i = (u32)canvas.width * 3; i < stride; i++)
            out.push_back(0);
    }
    return assets_write_file(path, out);
}

s_rgb rgb_mix(s_rgb a, s_rgb b, f32 t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

s_rgb rgb_scale(s_rgb a, f32 k)
{
    return {a.r * k, a.g * k, a.b * k};
}

f32 noise_hash(u32 x, u32 y, u32 seed)
{
    u32 h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / 16777216.0f;
}

f32 noise_value(f32 x, f32 y, int period, u32 seed)
{
    f32 fx = std::floor(x), fy = std::floor(y);
    int ix = (int)fx, iy = (int)fy;
    f32 tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    auto lattice = [&](int lx, int ly) {
        lx = ((lx % period) + period) % period;
        ly = ((ly % period) + period) % period;
        return noise_hash((u32)lx, (u32)ly, seed);
    };
    f32 a = lattice(ix, iy), b = lattice(ix + 1, iy);
    f32 c = lattice(ix, iy + 1), d = lattice(ix + 1, iy + 1);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

f32 noise_fbm(f32 x, f32 y, int period, int octaves, u32 seed)
{
    f32 sum = 0, weight = 1, total = 0;
    for (int o = 0; o < octaves; o++) {
        sum += noise_value(x, y, period, seed + o * 101) * weight;
        total += weight;
        weight *= 0.5f;
        x *= 2;
        y *= 2;
        period *= 2;
    }
    return sum / total;
}

int assets_write_parts(const std::string& root, std::initializer_list<t_assets_part> parts)
{
    int bad = 0;
    for (t_assets_part part : parts)
        bad |= part(root);
    return bad;
}

int assets_make_dirs(const std::string& path)
{
    for (size_t i = 1; i < path.size(); i++) {
        if (path[i] != '/')
            continue;
        std::string dir = path.substr(0, i);
        if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
            fprintf(stderr, "tumbrelix-assets: cannot create directory %s\n", dir.c_str());
            return 1;
        }
    }
    return 0;
}

int assets_write_file(const std::string& path, const std::vector<u8>& bytes)
{
    FILE* file = assets_create(path);
    if (!file)
        return 1;
    size_t written = fwrite(bytes.data(), 1, bytes.size(), file);
    if (fclose(file) != 0 || written != bytes.size()) {
        fprintf(stderr, "tumbrelix-assets: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
