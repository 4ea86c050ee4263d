// Replay hashes: of the levels a run plays, so a replay is only played on the
// map it was recorded on, and of the play state, the checksums that witness
// playback still follows the recorded game.
#include "shell/replay.h"

#include <cerrno>
#include <cstring>

#include "level/reader.h"
#include "shell/file.h"
#include "shell/game.h"
#include "shell/pack.h"

constexpr u64 REPLAY_FNV_OFFSET = 14695981039346656037ull;
constexpr u64 REPLAY_FNV_PRIME = 1099511628211ull;

// FNV-1a, byte by byte.
static void replay_internal_mix(u64* hash, const void* bytes, size_t size)
{
    const u8* byte = (const u8*)bytes;
    for (size_t i = 0; i < size; i++)
        *hash = (*hash ^ byte[i]) * REPLAY_FNV_PRIME;
}

// Numbers go in lowest byte first, so a hash does not depend on the machine's byte order.
static void replay_internal_mix_u64(u64* hash, u64 value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        *hash = (*hash ^ (u8)(value >> (8 * i))) * REPLAY_FNV_PRIME;
}

static void replay_internal_mix_u32(u64* hash, u32 value)
{
    replay_internal_mix_u64(hash, value, 4);
}

// Floats go in by their bits: any change of the state, however small, shows.
static void replay_internal_mix_f32(u64* hash, f32 value)
{
    u32 bits;
    memcpy(&bits, &value, sizeof bits);
    replay_internal_mix_u32(hash, bits);
}

// Mixes the bytes of the file at path in; 0, or 1 and error.
static int replay_internal_mix_file(u64* hash, const std::string& path, std::string* error)
{
    // A map named as a device would be hashed forever.
    if (file_check(path.c_str(), FILE_REGULAR, READER_FILE_MAX, error))
        return 1;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        *error = path + ": cannot be read (" + strerror(errno) + ")";
        return 1;
    }
    char chunk[16384];
    u64 length = 0;
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        replay_internal_mix(hash, chunk, got);
        length += got;
    }
    bool failed = ferror(file) != 0;
    int cause = errno;
    fclose(file);
    if (failed) {
        *error = path + ": cannot be read (" + strerror(cause) + ")";
        return 1;
    }
    replay_internal_mix_u64(hash, length, 8);
    return 0;
}

int replay_map_hash(const char* map_path, u64* hash, std::string* error)
{
    s_pack pack;
    if (pack_read(&pack, map_path, error) != 0)
        return 1;
    u64 sum = REPLAY_FNV_OFFSET;
    replay_internal_mix_u32(&sum, pack.cycles);
    replay_internal_mix_u32(&sum, (u32)pack.levels.size());
    for (const s_pack_level& level : pack.levels)
        if (replay_internal_mix_file(&sum, level.path, error) != 0)
            return 1;
    *hash = sum;
    return 0;
}

u64 replay_checksum(s_game* game)
{
    u64 sum = REPLAY_FNV_OFFSET;
    for (int slot = 0; slot < BALL_LIST_SIZE; slot++) {
        const s_ball* ball = &game->balls.balls[slot];
        replay_internal_mix_u32(&sum, (u32)game->balls.states[slot]);
        if (game->balls.states[slot] != 1)
            continue;
        for (f32 value :
             {ball->coord.x, ball->coord.y, ball->mobile.angle, ball->mobile.speed, ball->weight})
            replay_internal_mix_f32(&sum, value);
        replay_internal_mix_u32(&sum, ball->state);
    }
    for (int slot = 0; slot < BONUS_LIST_SIZE; slot++) {
        const s_bonus* bonus = &game->bonuses.bonuses[slot];
        replay_internal_mix_u32(&sum, (u32)game->bonuses.states[slot]);
        if (game->bonuses.states[slot] != 1)
            continue;
        for (f32 value : {bonus->coord.x, bonus->coord.y, bonus->mobile.angle, bonus->mobile.speed})
            replay_internal_mix_f32(&sum, value);
        replay_internal_mix_u32(&sum, (u32)bonus->type);
    }
    const s_pad* pad = &game->pad;
    for (f32 value : {pad->coord.x, pad->half_length, pad->load_time})
        replay_internal_mix_f32(&sum, value);
    replay_internal_mix_u32(&sum, (u32)pad->length);
    replay_internal_mix_u32(&sum, (u32)pad->state);
    for (const s_block_group& group : game->map.getMap()->groups)
        for (const s_block& block : group.blocks) {
            replay_internal_mix_u32(&sum, block.alive ? 1 : 0);
            replay_internal_mix_u32(&sum, (u32)block.hits);
            replay_internal_mix_f32(&sum, block.position.x);
            replay_internal_mix_f32(&sum, block.position.y);
        }
    replay_internal_mix_u32(&sum, game->pack.current);
    replay_internal_mix_u32(&sum, (u32)game->progress.state);
    return sum;
}
