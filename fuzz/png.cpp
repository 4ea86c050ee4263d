// Fuzz target: the texture store's PNG reader on arbitrary bytes, without GL.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfx/surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // fmemopen refuses a zero-length buffer; one spare byte keeps empty input testable.
    void* copy = malloc(size + 1);
    if (!copy)
        return 0;
    if (size)
        memcpy(copy, data, size);
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
