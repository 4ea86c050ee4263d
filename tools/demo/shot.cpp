// Screenshots: reads the back buffer once the frame is drawn and writes it with libpng.
#include "tools/demo/shot.h"

#include <GL/gl.h>
#include <png.h>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>

static unsigned char* shot_pixels;
static size_t shot_capacity;

int shot_init(int width, int height)
{
    shot_stop();
    shot_capacity = (size_t)width * (size_t)height * 3;
    shot_pixels = (unsigned char*)malloc(shot_capacity);
    return shot_pixels ? 0 : 1;
}

void shot_stop()
{
    free(shot_pixels);
    shot_pixels = nullptr;
    shot_capacity = 0;
}

int shot_write(const char* path, int width, int height)
{
    if (width <= 0 || height <= 0 || (size_t)width * (size_t)height * 3 > shot_capacity) {
        fprintf(stderr, "%s: window of %d x %d does not fit the screenshot buffer\n", path, width,
                height);
        return 1;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, shot_pixels);

    FILE* file = fopen(path, "wb");
    if (!file) {
        fprintf(stderr, "%s: cannot write: %s\n", path, strerror(errno));
        return 1;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        fprintf(stderr, "%s: PNG encoding failed\n", path);
        return 1;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // GL rows run bottom-up, PNG rows top-down.
    for (int row = height - 1; row >= 0; row--)
        png_write_row(png, shot_pixels + (size_t)row * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0 ? 0 : 1;
}
