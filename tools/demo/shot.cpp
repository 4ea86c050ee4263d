// Screenshots: reads the back buffer once the frame is drawn and writes it as a PNG.
#include "tools/demo/shot.h"

#include <GL/gl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfx/image.h"

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
    s_image image;
    image.width = (u32)width;
    image.height = (u32)height;
    image.pixels = shot_pixels;
    image.channels = 3;
    int failed = image_write_png(&image, file, path);
    if (failed)
        fprintf(stderr, "%s\n", image.error);
    return fclose(file) == 0 && !failed ? 0 : 1;
}
