// The replay writer: the header once the game starts, then a line for each
// frame that has input, runs of frames without, and the checksums.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "shell/file.h"

#include "shell/replay_format.h"
#include "shell/vertex.h"

void replay_write_line(s_replay* replay, const char* line)
{
    fputs(line, replay->save.file);
    fputc('\n', replay->save.file);
    replay->written += strlen(line) + 1;
}

void replay_write_run(s_replay* replay)
{
    if (replay->idle == 0)
        return;
    char line[32];
    snprintf(line, sizeof line, "* %u", replay->idle);
    replay_write_line(replay, line);
    replay->idle = 0;
}

int replay_write_end(s_replay* replay)
{
    replay_write_run(replay);
    char line[64];
    snprintf(line, sizeof line, "end %u %u", replay->frame, replay->checks);
    replay_write_line(replay, line);
    replay->mode = REPLAY_OFF;
    std::string error;
    if (file_save_commit(&replay->save, &error) == 0)
        return 0;
    fprintf(stderr, "%s\n", error.c_str());
    return 1;
}

// 0 when nothing is at path or a replay is; else 1 and error.
static int replay_internal_may_replace(const char* path, std::string* error)
{
    struct stat info;
    if (stat(path, &info) != 0 && errno == ENOENT)
        return 0;
    if (file_check(path, FILE_REGULAR, REPLAY_FILE_MAX, error))
        return 1;
    std::string magic = std::string(REPLAY_MAGIC) + " ";
    char head[64] = {};
    FILE* file = fopen(path, "rb");
    size_t got = file ? fread(head, 1, magic.size(), file) : 0;
    if (file)
        fclose(file);
    if (got == magic.size() && memcmp(head, magic.data(), got) == 0)
        return 0;
    *error = std::string(path) + ": is not a replay; recording would overwrite it";
    return 1;
}

int replay_record_open(s_replay* replay, const char* path, const char* map_path, std::string* error)
{
    replay->mode = REPLAY_OFF;
    replay->path = path;
    replay->map_path = map_path;
    bool plain = replay->map_path.size() + 4 <= REPLAY_LINE_MAX && !replay->map_path.empty();
    for (char c : replay->map_path)
        plain = plain && (u8)c >= 32 && (u8)c != 127;
    if (!plain) {
        *error = std::string(path) + ": cannot record a map path that is empty, longer than " +
                 std::to_string(REPLAY_LINE_MAX - 4) + " bytes or holds control characters";
        return 1;
    }
    // Only a replay is ever recorded over: a map named by mistake in its place
    // (the arguments swapped) is refused whole.
    if (replay_internal_may_replace(path, error))
        return 1;
    // The recording grows beside the file and replaces it only when it ends
    // normally; killed, it stays there and plays back to its last second.
    if (file_save_open(&replay->save, path, REPLAY_PART_SUFFIX, error))
        return 1;
    // Buffered in a block of our own, so recording allocates nothing as it
    // goes; a process records one game at a time.
    static char buffer[REPLAY_WRITE_BUFFER];
    setvbuf(replay->save.file, buffer, _IOFBF, sizeof buffer);
    return 0;
}

int replay_record_start(s_replay* replay, u32 seed, std::string* error)
{
    if (replay_map_hash(replay->map_path.c_str(), &replay->map_hash, error))
        return 1;
    replay->seed = seed;
    replay->start_ticks = replay->ticks = gl_vertex.ticks;
    replay->written = 0;
    replay->last = {};
    replay->idle = replay->frame = replay->checks = replay->second = 0;
    replay->live = 0;
    char line[96];
    snprintf(line, sizeof line, "%s %d", REPLAY_MAGIC, (int)REPLAY_VERSION);
    replay_write_line(replay, line);
    fprintf(replay->save.file, "map %s\n", replay->map_path.c_str());
    snprintf(line, sizeof line, "hash %016llx\nseed %u\nticks %u",
             (unsigned long long)replay->map_hash, replay->seed, replay->start_ticks);
    replay_write_line(replay, line);
    replay->written += replay->map_path.size() + 5;
    // Only settings away from the defaults are written, so a replay played
    // with them reads as every replay did before there were settings.
    if (replay->sensitivity != 1 || replay->speed != 100) {
        snprintf(line, sizeof line, "settings mouse_sensitivity=%g game_speed=%u",
                 (double)replay->sensitivity, replay->speed);
        replay_write_line(replay, line);
    }
    replay->mode = REPLAY_RECORD;
    return 0;
}

void replay_write_frame(s_replay* replay, const s_replay_input* input)
{
    const s_replay_input* last = &replay->last;
    char line[160];
    int size = 0;
    if (input->step != last->step)
        size += snprintf(line + size, sizeof line - size, " t%u", input->step);
    if (input->frame_time != (f32)input->step)
        size += snprintf(line + size, sizeof line - size, " f%.9g", (double)input->frame_time);
    if (input->mouse_dx)
        size += snprintf(line + size, sizeof line - size, " x%d", input->mouse_dx);
    if (input->mouse_dy)
        size += snprintf(line + size, sizeof line - size, " y%d", input->mouse_dy);
    for (int k = 0; k < REPLAY_KEY_COUNT; k++) {
        u8 bit = (u8)(1u << k);
        if ((input->keys ^ last->keys) & bit)
            size += snprintf(line + size, sizeof line - size, " %c%c",
                             input->keys & bit ? '+' : '-', REPLAY_KEY_LETTERS[k]);
    }
    replay->last = *input;
    if (size == 0) {
        replay->idle++;
        return;
    }
    replay_write_run(replay);
    replay_write_line(replay, line + 1);
}
