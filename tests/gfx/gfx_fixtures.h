// Shared by the presentation tests: hand-built PNG files and texture read-backs.
#pragma once

#include <GL/gl.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace gfx_test {

using namespace test_support;
typedef std::vector<u8> Bytes;

const int WINDOW_SIDE = 256;

// What a PNG writer may vary.
struct PngShape {
    u32 width = 1, height = 1;
    int color_type = PNG_COLOR_TYPE_RGB;
    int depth = 8;
    bool interlaced = false;
    std::vector<png_color> palette = {};
    std::vector<u8> trns_alpha = {};  // palette alphas
    bool trns_colour = false;         // RGB tRNS with trns_value
    png_color_16 trns_value = {};
};

// Writes a PNG whose rows are given top row first, packed as the file stores them.
inline bool write_png(const std::string& path, const PngShape& shape,
                      const std::vector<Bytes>& rows)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
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
    for (const Bytes& row : rows)
        pointers.push_back((png_bytep)row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

inline GLint texture_level_parameter(u32 texture, int level, GLenum what)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, what, &value);
    return value;
}

// Level 0 of a texture as bytes in its own format, rows bottom first.
inline Bytes texture_bytes(u32 texture)
{
    GLenum format = texture_level_parameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT);
    Bytes bytes((size_t)texture_level_parameter(texture, 0, GL_TEXTURE_WIDTH) *
                texture_level_parameter(texture, 0, GL_TEXTURE_HEIGHT) *
                (format == GL_RGBA ? 4 : 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, bytes.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return bytes;
}

}  // namespace gfx_test
