// Fuzz target for the map reader: any bytes as a map file; a level it reads
// prints as a map that reads back and prints as the very same text (the form
// the editor saves in); then the level's movements and animations run on it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>

#include "level/check.h"
#include "level/reader.h"
#include "shell/vertex.h"

// The reader takes a path, so each input goes through one file of this
// process, in memory-backed /dev/shm when the system has it.
static std::string fuzz_map_path()
{
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/fuzz_map_reader_" + std::to_string(getpid()) + ".map";
}

// Removes the input file when the process ends.
struct s_fuzz_file {
    std::string path = fuzz_map_path();
    ~s_fuzz_file()
    {
        unlink(path.c_str());
    }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const s_fuzz_file input;
    const std::string& path = input.path;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)
        fwrite(data, 1, size, file);
    fclose(file);
    s_map map;
    std::string error;
    if (reader_load(path, map, &error))
        return 0;
    std::ostringstream first;
    check_print(map, first);
    file = fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    fwrite(first.str().data(), 1, first.str().size(), file);
    fclose(file);
    s_map back;
    std::ostringstream second;
    if (reader_load(path, back, &error) == 0)
        check_print(back, second);
    if (second.str() != first.str()) {
        fprintf(stderr, "the printed level does not read back as itself: %s\n%s", error.c_str(),
                first.str().c_str());
        abort();
    }
    // What the level runtime would do with it in two frames, without drawing.
    for (u32 ticks : {0u, 2500u}) {
        gl_vertex.ticks = ticks;
        for (s_block_group& group : map.groups)
            for (s_block& block : group.blocks)
                for (s_move& move : group.moves)
                    move.func(block, move);
        for (s_face& face : map.faces)
            for (s_shader& shader : face.shaders)
                shader.func(face, shader);
    }
    return 0;
}
