// Shared by the presentation tests: hand-built PNG files and texture read-backs.
#pragma once

#include <GL/gl.h>
#include <png.h>

#include "tests/support/test_support.h"

namespace gfx_test {

using namespace test_support;
typedef std::vector<u8> Bytes;

const int WINDOW_SIDE = 256;

// What a PNG writer may vary: size, colour type, depth, interlacing, palette,
// palette alphas, and a transparent RGB colour when trns_colour is set.
struct PngShape {
    u32 width = 1, height = 1;
    int color_type = PNG_COLOR_TYPE_RGB, depth = 8;
    bool interlaced = false;
    std::vector<png_color> palette = {};
    std::vector<u8> trns_alpha = {};
    bool trns_colour = false;
    png_color_16 trns_value = {};
};

// Writes a PNG whose rows are given top row first, packed as the file stores them.
inline bool write_png(const std::string& path, const PngShape& s, const std::vector<Bytes>& rows)
{
    FILE* file = fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, s.width, s.height, s.depth, s.color_type,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty())
        png_set_PLTE(png, info, s.palette.data(), (int)s.palette.size());
    if (!s.trns_alpha.empty() || s.trns_colour)
        png_set_tRNS(png, info, s.trns_alpha.data(), (int)s.trns_alpha.size(), &s.trns_value);
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const Bytes& row : rows)
        pointers.push_back((png_bytep)row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

// Level 0 of a texture as bytes in its own format, rows bottom first, after its width.
inline Bytes texture_bytes(u32 texture)
{
    GLint width = 0, height = 0, format = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    Bytes bytes(1 + (size_t)width * height * (format == GL_RGBA ? 4 : 3), (u8)width);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, bytes.data() + 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return bytes;
}

}  // namespace gfx_test
