// Shared body of the image fuzz targets: decode arbitrary bytes from memory with
// one of the picture readers and touch every pixel it claims to have written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfx/image.h"

typedef int (*image_fuzz_decoder)(s_image* image, FILE* file, const char* name);

// Feeds data to decode; prepare, when given, may rewrite the copy first.
static inline int image_fuzz_run(const uint8_t* data, size_t size, image_fuzz_decoder decode,
                                 const char* name, void (*prepare)(uint8_t*, size_t))
{
    // fmemopen refuses a zero-length buffer; one spare byte keeps empty input testable.
    uint8_t* copy = (uint8_t*)malloc(size + 1);
    if (!copy)
        return 0;
    if (size)
        memcpy(copy, data, size);
    if (prepare)
        prepare(copy, size);
    FILE* file = fmemopen(copy, size ? size : 1, "rb");
    if (file) {
        if (size == 0)
            fgetc(file);  // consume the spare byte so the stream is empty
        s_image image;
        image.pixels = nullptr;
        if (decode(&image, file, name) == 0) {
            // Touch every pixel byte so a short buffer shows up under the sanitizers.
            volatile uint8_t sum = 0;
            size_t bytes = (size_t)image.width * image.height * image.channels;
            for (size_t i = 0; i < bytes; i++)
                sum = (uint8_t)(sum + image.pixels[i]);
            image_free(&image);
        } else if (strlen(image.error) == 0) {
            abort();  // every refusal must say why
        }
        fclose(file);
    }
    free(copy);
    return 0;
}
