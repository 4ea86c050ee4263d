// Fuzz target: the texture store's PNG reader on arbitrary bytes, without GL.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <zlib.h>

#include "gfx/surface.h"

// Rewrites every chunk checksum so mutations reach the decoder instead of
// dying at libpng's CRC test.
static void fix_checksums(uint8_t* bytes, size_t size)
{
    size_t at = 8;
    while (at + 12 <= size) {
        uint32_t length = (uint32_t)bytes[at] << 24 | (uint32_t)bytes[at + 1] << 16 |
                          (uint32_t)bytes[at + 2] << 8 | bytes[at + 3];
        if (length > size - at - 12)
            break;
        uLong crc = crc32(0L, bytes + at + 4, length + 4);
        uint8_t* out = bytes + at + 8 + length;
        out[0] = (uint8_t)(crc >> 24);
        out[1] = (uint8_t)(crc >> 16);
        out[2] = (uint8_t)(crc >> 8);
        out[3] = (uint8_t)crc;
        at += 12 + (size_t)length;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // fmemopen refuses a zero-length buffer; one spare byte keeps empty input testable.
    void* copy = malloc(size + 1);
    if (!copy)
        return 0;
    if (size)
        memcpy(copy, data, size);
    fix_checksums((uint8_t*)copy, size);
    FILE* file = fmemopen(copy, size ? size : 1, "rb");
    if (file) {
        if (size == 0)
            fgetc(file);  // consume the spare byte so the stream is empty
        s_surface_image image;
        image.pixels = nullptr;
        if (surface_internal_decode_png(&image, file, "fuzz.png") == 0) {
            // Touch every pixel byte so a short buffer shows up under the sanitizers.
            volatile uint8_t sum = 0;
            size_t bytes = (size_t)image.width * image.height * (image.format == 0x1908 ? 4 : 3);
            for (size_t i = 0; i < bytes; i++)
                sum = (uint8_t)(sum + image.pixels[i]);
            s_surface store;
            surface_init(&store);
            surface_mode(&store, SURFACE_ALPHA_KEYS, 1);
            surface_alpha_define(&store, 255, 255, 255, 0);
            surface_internal_alpha(&store, &image);
            free(image.pixels);
            free(store.keys);
        } else if (strlen(image.error) == 0) {
            abort();  // every refusal must say why
        }
        fclose(file);
    }
    free(copy);
    return 0;
}
