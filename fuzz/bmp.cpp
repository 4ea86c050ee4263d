// Fuzz target: the picture BMP reader on arbitrary bytes, without GL.
#include "image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return image_fuzz_run(data, size, image_read_bmp, "fuzz.bmp", nullptr);
}
