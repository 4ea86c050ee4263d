// Replays every file of a corpus directory through a fuzz target, so the inputs
// the fuzzer once found stay tested in ordinary builds.
#include <dirent.h>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int replay_file(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        fprintf(stderr, "%s: cannot open\n", path.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

int main(int argc, char** argv)
{
    int replayed = 0, failed = 0;
    for (int i = 1; i < argc; i++) {
        DIR* dir = opendir(argv[i]);
        if (!dir) {
            failed += replay_file(argv[i]);
            replayed++;
            continue;
        }
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            failed += replay_file(std::string(argv[i]) + "/" + entry->d_name);
            replayed++;
        }
        closedir(dir);
    }
    printf("replayed %d inputs\n", replayed);
    return failed ? 1 : 0;
}
