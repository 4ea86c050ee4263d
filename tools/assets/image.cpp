// Picture record, PNG/BMP writers and tileable noise for the asset generator.
#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

#include "tools/assets/assets.h"

s_image image_make(int width, int height, s_rgb fill)
{
    s_image image;
    image.width = width;
    image.height = height;
    image.rgb.resize((size_t)width * height * 3);
    for (size_t i = 0; i < image.rgb.size(); i += 3) {
        image.rgb[i] = fill.r;
        image.rgb[i + 1] = fill.g;
        image.rgb[i + 2] = fill.b;
    }
    return image;
}

s_rgb image_get(const s_image& image, int x, int y)
{
    x = ((x % image.width) + image.width) % image.width;
    y = ((y % image.height) + image.height) % image.height;
    const f32* p = &image.rgb[((size_t)y * image.width + x) * 3];
    return {p[0], p[1], p[2]};
}

void image_set(s_image& image, int x, int y, s_rgb color)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height)
        return;
    f32* p = &image.rgb[((size_t)y * image.width + x) * 3];
    p[0] = color.r;
    p[1] = color.g;
    p[2] = color.b;
}

void image_blend(s_image& image, int x, int y, s_rgb color, f32 alpha)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height || alpha <= 0)
        return;
    if (alpha > 1)
        alpha = 1;
    image_set(image, x, y, rgb_mix(image_get(image, x, y), color, alpha));
}

static u8 image_byte(f32 v)
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

int image_write_png(const s_image& image, const std::string& path)
{
    FILE* file = assets_create(path);
    if (!file)
        return 1;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool alpha = image.alpha.size() == (size_t)image.width * image.height;
    std::vector<u8> row((size_t)image.width * (alpha ? 4 : 3));
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        fclose(file);
        fprintf(stderr, "tumbrelix-assets: cannot encode %s\n", path.c_str());
        return 1;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, image.width, image.height, 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; y++) {
        u8* out = row.data();
        for (int x = 0; x < image.width; x++) {
            size_t at = (size_t)y * image.width + x;
            for (int c = 0; c < 3; c++)
                *out++ = image_byte(image.rgb[at * 3 + c]);
            if (alpha)
                *out++ = image_byte(image.alpha[at]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (fclose(file) != 0) {
        fprintf(stderr, "tumbrelix-assets: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

static void image_put_le(std::vector<u8>& out, u32 value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out.push_back((u8)(value >> (8 * i)));
}

int image_write_bmp(const s_image& image, const std::string& path)
{
    // Rows padded to four bytes so any width is valid; our sizes never need it.
    u32 stride = ((u32)image.width * 3 + 3) & ~3u;
    u32 data_size = stride * image.height;
    std::vector<u8> out;
    out.push_back('B');
    out.push_back('M');
    image_put_le(out, 54 + data_size, 4);
    image_put_le(out, 0, 4);
    image_put_le(out, 54, 4);
    image_put_le(out, 40, 4);
    image_put_le(out, image.width, 4);
    image_put_le(out, image.height, 4);
    image_put_le(out, 1, 2);
    image_put_le(out, 24, 2);
    image_put_le(out, 0, 4);
    image_put_le(out, data_size, 4);
    image_put_le(out, 2835, 4);
    image_put_le(out, 2835, 4);
    image_put_le(out, 0, 4);
    image_put_le(out, 0, 4);
    for (int y = image.height - 1; y >= 0; y--) {
        for (int x = 0; x < image.width; x++) {
            s_rgb c = image_get(image, x, y);
            out.push_back(image_byte(c.b));
            out.push_back(image_byte(c.g));
            out.push_back(image_byte(c.r));
        }
        for (u32 i = (u32)image.width * 3; i < stride; i++)
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
