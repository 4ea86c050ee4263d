// Fuzz target: the picture PNG reader on arbitrary bytes, without GL.
#include <zlib.h>

#include "image_fuzz.h"

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
    return image_fuzz_run(data, size, image_read_png, "fuzz.png", fix_checksums);
}
