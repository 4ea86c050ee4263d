// Fuzz target: the texture store's BMP reader on arbitrary bytes, without GL.
#include "image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return image_fuzz_run(data, size, surface_internal_decode_bmp, "fuzz.bmp", nullptr);
}
