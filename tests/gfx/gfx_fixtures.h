// Fixtures for the presentation tests: a temp directory, hand-built BMP and PNG
// files, and one real GL window shared by the whole test program.
#pragma once

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/types.h"
#include "shell/vertex.h"

namespace gfx_test {

const int WINDOW_SIDE = 256;

// A fresh directory under /tmp, removed with everything in it.
struct TempDir {
    std::string path;
    TempDir()
    {
        char name[] = "/tmp/tumbrelix-gfx-XXXXXX";
        const char* made = mkdtemp(name);
        path = made ? made : "/tmp";
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return path + "/" + name; }
};

inline void write_file(const std::string& path, const std::vector<u8>& bytes)
{
    std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), bytes.size());
}

inline std::vector<u8> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), {});
}

inline void put16(std::vector<u8>& out, size_t at, u32 value)
{
    out[at] = (u8)value;
    out[at + 1] = (u8)(value >> 8);
}

inline void put32(std::vector<u8>& out, size_t at, u32 value)
{
    put16(out, at, value);
    put16(out, at + 2, value >> 16);
}

// What a BMP writer may vary; a plain 24-bit bottom-up file by default.
struct BmpShape {
    i32 width = 1;
    i32 height = 1;
    u32 gap = 0;           // bytes of junk between the header and the pixel data
    bool top_down = false; // rows stored top first, with a negative height
};

// A BMP of the given RGB pixels (rows bottom first), its rows padded with junk.
inline std::vector<u8> make_bmp(const BmpShape& shape, const std::vector<u8>& rgb)
{
    u32 width = (u32)shape.width, height = (u32)shape.height;
    u32 stride = (width * 3 + 3) & ~3u, offset = 54 + shape.gap;
    std::vector<u8> out(offset + (size_t)stride * height, 0xEE);
    std::fill(out.begin(), out.begin() + 54, 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, (u32)out.size());
    put32(out, 10, offset);
    put32(out, 14, 40);
    put32(out, 18, width);
    put32(out, 22, shape.top_down ? (u32)-(i32)height : height);
    put16(out, 26, 1);
    put16(out, 28, 24);
    for (u32 y = 0; y < height; y++) {
        u8* dst = &out[offset + (size_t)(shape.top_down ? height - 1 - y : y) * stride];
        for (u32 x = 0; x < width; x++)
            for (int c = 0; c < 3; c++)
                dst[x * 3 + c] = rgb[((size_t)y * width + x) * 3 + 2 - c];
    }
    return out;
}

// What a PNG writer may vary.
struct PngShape {
    u32 width = 1;
    u32 height = 1;
    int color_type = PNG_COLOR_TYPE_RGB;
    int depth = 8;
    bool interlaced = false;
    std::vector<png_color> palette = {};
    std::vector<u8> trns_alpha = {};     // palette alphas (tRNS of a palette image)
    bool trns_colour = false;    // RGB tRNS with trns_value
    png_color_16 trns_value = {};
};

// Writes a PNG whose rows are given top row first, packed as the file stores them.
inline bool write_png(const std::string& path, const PngShape& shape,
                      const std::vector<std::vector<u8>>& rows)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, shape.width, shape.height, shape.depth, shape.color_type,
                 shape.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!shape.palette.empty())
        png_set_PLTE(png, info, shape.palette.data(), (int)shape.palette.size());
    if (!shape.trns_alpha.empty())
        png_set_tRNS(png, info, shape.trns_alpha.data(), (int)shape.trns_alpha.size(), nullptr);
    if (shape.trns_colour)
        png_set_tRNS(png, info, nullptr, 0, &shape.trns_value);
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const auto& row : rows)
        pointers.push_back((png_bytep)row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    fclose(file);
    return true;
}

// Opens the test program's one window the first time a GL test needs it.
inline void open_window()
{
    // A display started just before the test may still be coming up.
    for (int attempt = 0; attempt < 5 && !gl_vertex.ready; attempt++)
        if (VTX_Init(WINDOW_SIDE, WINDOW_SIDE, 32, 0) != 0)
            SDL_Delay(200);
    ASSERT_TRUE(gl_vertex.ready) << "no GL window: " << SDL_GetError();
}

inline GLint texture_level_parameter(u32 texture, int level, GLenum what)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, what, &value);
    return value;
}

// Level 0 of a texture as bytes in the given format, rows bottom first.
inline std::vector<u8> texture_bytes(u32 texture, GLenum format)
{
    size_t pixels = (size_t)texture_level_parameter(texture, 0, GL_TEXTURE_WIDTH) *
                    texture_level_parameter(texture, 0, GL_TEXTURE_HEIGHT);
    std::vector<u8> bytes(pixels * (format == GL_RGBA ? 4 : 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, bytes.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return bytes;
}

typedef std::array<int, 3> Rgb;

// RGB of one window pixel of the back buffer.
inline Rgb read_pixel(int x, int y)
{
    u8 rgb[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return {rgb[0], rgb[1], rgb[2]};
}

}  // namespace gfx_test
