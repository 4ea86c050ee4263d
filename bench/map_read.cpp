// Reading a 1 MB map file: faces with animations and block groups with
// movements, written by the benchmark itself.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "level/reader.h"

namespace {

const char* MAP_PATH = "/tmp/tumbrelix_bench_1mb.map";
const size_t MAP_BYTES = 1 << 20;

// Writes a valid level of about MAP_BYTES; returns its size.
size_t map_write()
{
    std::ofstream out(MAP_PATH);
    out << "WORLD\n  NUMFACES 1\n  FACES f0\n  LIMITS -11 11 -9 9\nEND\n";
    size_t bytes = 0;
    int faces = 0;
    while (bytes < MAP_BYTES * 4 / 5) {
        char face[512];
        int n =
            snprintf(face, sizeof face,
                     "FACE\n  ID f%d\n  VERTEX -0.9 -0.4 0.5\n  VERTEX 0.9 -0.4 0.5\n"
                     "  VERTEX 0.9 0.4 0.5\n  VERTEX -0.9 0.4 0.5\n  TEXCOORD 0 0\n  TEXCOORD 1 0\n"
                     "  TEXCOORD 1 1\n  TEXCOORD 0 1\n  TEXTURE data/blocks/b%d.png\n"
                     "  SHADER SCROLL 2 0.02 0.01\nEND\n",
                     faces, faces % 7);
        out << face;
        bytes += n;
        faces++;
    }
    for (int g = 0; bytes < MAP_BYTES; g++) {
        std::string group =
            "BLOCKS\n  NUMFACES 1\n  FACES f" + std::to_string(g % faces) + "\n  LIVES 2\n";
        for (int i = 0; i < 40; i++)
            group += "  ORIGIN " + std::to_string(-9 + i % 10 * 2) + " " + std::to_string(i / 10) +
                     " 0\n";
        group += "END\n";
        out << group;
        bytes += group.size();
    }
    return out.good() ? (size_t)out.tellp() : 0;
}

void BM_ReadMap1MB(benchmark::State& state)
{
    size_t bytes = map_write();
    if (bytes == 0) {
        state.SkipWithError("could not write the map");
        return;
    }
    for (auto _ : state) {
        s_map map;
        Reader reader{std::string(MAP_PATH)};
        reader.read(map);
        benchmark::DoNotOptimize(map.faces.data());
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * bytes));
    state.counters["file_bytes"] = (double)bytes;
    unlink(MAP_PATH);
}
BENCHMARK(BM_ReadMap1MB)->Unit(benchmark::kMillisecond);

}  // namespace
