// Map files written by the tests themselves into a private temporary directory.
#pragma once

#include <string>

#include "level/reader.h"
#include "tests/support/test_support.h"

using namespace test_support;

// The small example level of the map format: two faces, one world face, one group of two blocks.
static const char* const EXAMPLE_LEVEL =
    "WORLD\nNUMFACES 1\nFACES back\nLIMITS -10 10 -7 7\nEND\n"
    "FACE\nID back\nVERTEX -10 -7 -1\nVERTEX 10 -7 -1\nVERTEX 10 7 -1\nVERTEX -10 7 -1\n"
    "TEXCOORD 0 0\nTEXCOORD 4 0\nTEXCOORD 4 3\nTEXCOORD 0 3\nTEXTURE data/back.png\n"
    "SHADER SCROLL 2 0.05 0\nEND\n"
    "FACE\nID brick\nVERTEX -1 -0.5 0\nVERTEX 1 -0.5 0\nVERTEX 1 0.5 0\nVERTEX -1 0.5 0\n"
    "TEXCOORD 0 0\nTEXCOORD 1 0\nTEXCOORD 1 1\nTEXCOORD 0 1\n"
    "TEXTURE data/brick0.png\nTEXTURE data/brick1.png\nEND\n"
    "BLOCKS\nNUMFACES 1\nFACES brick\nLIVES 2\nORIGIN -4 5 0\nORIGIN 4 5 0\n"
    "MOVE HORIZONTAL 2 3 2000\nEND\n";

// Reads text as a map file; returns "" or the message the reader threw.
inline std::string read_level(const std::string& text, s_map& map)
{
    TempDir dir;
    try {
        Reader(dir.write("level.map", text)).read(map);
    } catch (const std::string& message) {
        // The directory is random: callers compare what follows the file name.
        return message.substr(message.find("level.map") + 9);
    }
    return "";
}
