// Pictures in memory and on disk: reads 24-bit BMP and PNG files into one pixel
// buffer and writes that buffer as a PNG. Knows nothing of GL, so the asset
// generator, the screenshots and the fuzz targets share it with the texture store.
#pragma once

#include <cstdio>

#include "shell/types.h"

enum {
    IMAGE_SIDE_MAX = 16384,              // largest accepted width or height, pixels
    IMAGE_FILE_MAX = 256 * 1024 * 1024,  // bytes of the largest picture file read
    IMAGE_ERROR_SIZE = 256,              // bytes of a failure message, NUL included
    IMAGE_PNG_LEVEL = 9,                 // zlib level of written PNGs: small files over speed
};

// Tightly packed RGB or RGBA bytes, bottom row first as GL takes and gives them.
struct s_image {
    u32 height;                    // rows
    u32 width;                     // pixels per row
    u8* pixels;                    // heap when a reader filled it; image_free releases it
    u32 channels;                  // 3 (RGB) or 4 (RGBA)
    char error[IMAGE_ERROR_SIZE];  // "<name>: <problem>" when a call fails
};

// Decodes a 24-bit BMP from an open stream; name only goes into the message.
// 0 and a filled image, or 1 with image->error set and the pixels untouched.
int image_read_bmp(s_image* image, FILE* file, const char* name);
// Decodes any PNG libpng reads that is colour once expanded (palette, tRNS and
// 16-bit included, grey refused) from an open stream, as image_read_bmp does.
int image_read_png(s_image* image, FILE* file, const char* name);
// Opens path and reads it as PNG or BMP by its extension, whatever its case;
// 1 with image->error set for any other name or a file that fails to read.
int image_load(s_image* image, const char* path);
// Writes image as an 8-bit RGB or RGBA PNG without time or text chunks to an
// open stream; 1 with image->error set if libpng fails. Allocates nothing itself.
int image_write_png(s_image* image, FILE* file, const char* name);
// Releases the pixels a reader allocated.
void image_free(s_image* image);
