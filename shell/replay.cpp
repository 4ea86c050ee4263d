// Replays. Play is a pure function of the seed, each frame's duration and each
// frame's input, so those are all a replay holds; the checksums only witness
// that playback still follows the recorded game. The text is read whole and
// checked before play, then walked line by line as the frames come, so what the
// check accepted is exactly what plays, and nothing is allocated per frame.
#include "shell/replay.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "shell/game.h"
#include "shell/pack.h"
#include "shell/vertex.h"

static const char REPLAY_KEY_LETTERS[] = "LMRSB";  // by bit, REPLAY_KEY_LEFT first
static const int REPLAY_KEY_INDEX[REPLAY_KEY_COUNT] = {VTX_MOUSE_LEFT, VTX_MOUSE_MIDDLE,
                                                       VTX_MOUSE_RIGHT, VTX_KEY_SPACE, VTX_KEY_B};
static const u64 REPLAY_FNV_OFFSET = 14695981039346656037ull;
static const u64 REPLAY_FNV_PRIME = 1099511628211ull;
static const f32 REPLAY_FRAME_TIME_MAX = 1e6f;  // ms; the game caps far lower
static const size_t REPLAY_FIELD_MAX = 32;      // bytes of a field quoted or read as a number

// What one line of a replay's body is.
enum e_replay_item {
    REPLAY_ITEM_FRAME,  // one frame, or a run of frames without input
    REPLAY_ITEM_CHECK,  // the checksum after the latest frame
    REPLAY_ITEM_END,    // the end line
};

struct s_replay_item {
    e_replay_item kind;
    s_replay_input input;  // FRAME: the input of each of its frames
    u32 count;             // FRAME: frames it stands for
    u64 sum;               // CHECK
};

// --- Hashing

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

// --- Reading

// A field as a message quotes it: at most REPLAY_FIELD_MAX bytes.
static std::string replay_internal_quote(const char* begin, const char* end)
{
    size_t size = (size_t)(end - begin);
    std::string text(begin, size < REPLAY_FIELD_MAX ? size : REPLAY_FIELD_MAX);
    return "'" + text + (size > REPLAY_FIELD_MAX ? "...'" : "'");
}

// A whole number of digits alone into value, at most high. 0, or 1 when it is none.
static int replay_internal_u64(const char* begin, const char* end, u64 high, u64* value)
{
    if (begin == end)
        return 1;
    u64 number = 0;
    for (const char* p = begin; p < end; p++) {
        if (*p < '0' || *p > '9')
            return 1;
        u32 digit = (u32)(*p - '0');
        if (number > (high - digit) / 10)
            return 1;
        number = number * 10 + digit;
    }
    *value = number;
    return 0;
}

static int replay_internal_u32(const char* begin, const char* end, u32* value)
{
    u64 number;
    if (replay_internal_u64(begin, end, 0xFFFFFFFFu, &number))
        return 1;
    *value = (u32)number;
    return 0;
}

static int replay_internal_i32(const char* begin, const char* end, i32* value)
{
    bool negative = begin < end && *begin == '-';
    u64 number;
    if (replay_internal_u64(begin + negative, end, negative ? 0x80000000u : 0x7FFFFFFFu, &number))
        return 1;
    *value = negative ? (i32)(0 - number) : (i32)number;
    return 0;
}

// Exactly 16 hexadecimal digits into value. 0, or 1.
static int replay_internal_hex(const char* begin, const char* end, u64* value)
{
    if (end - begin != 16)
        return 1;
    u64 number = 0;
    for (const char* p = begin; p < end; p++) {
        int digit = *p >= '0' && *p <= '9'   ? *p - '0'
                    : *p >= 'a' && *p <= 'f' ? *p - 'a' + 10
                    : *p >= 'A' && *p <= 'F' ? *p - 'A' + 10
                                             : -1;
        if (digit < 0)
            return 1;
        number = number << 4 | (u64)digit;
    }
    *value = number;
    return 0;
}

// A frame time in ms: a finite decimal number from 0 to REPLAY_FRAME_TIME_MAX. 0, or 1.
static int replay_internal_ms(const char* begin, const char* end, f32* value)
{
    size_t size = (size_t)(end - begin);
    char digits[REPLAY_FIELD_MAX + 1];
    if (size == 0 || size > REPLAY_FIELD_MAX)
        return 1;
    memcpy(digits, begin, size);
    digits[size] = '\0';
    char* stop = nullptr;
    f32 number = strtof(digits, &stop);
    if (stop != digits + size || !std::isfinite(number) || number < 0 ||
        number > REPLAY_FRAME_TIME_MAX)
        return 1;
    *value = number;
    return 0;
}

// The next line at the cursor, without its line end, in [*begin, *end); the
// cursor moves past it and counts it. 0; 1 and problem; 2 at the end of the text.
static int replay_internal_line(const std::string& text, s_replay_cursor* cursor,
                                const char** begin, const char** end, std::string* problem)
{
    // The end of the text counts as a line, so a missing line is reported where it belongs.
    cursor->line++;
    if (cursor->at >= text.size())
        return 2;
    const char* start = text.data() + cursor->at;
    size_t left = text.size() - cursor->at;
    size_t scan = left < REPLAY_LINE_MAX + 2 ? left : REPLAY_LINE_MAX + 2;
    const char* stop = (const char*)memchr(start, '\n', scan);
    if (!stop) {
        *problem = left > REPLAY_LINE_MAX + 1
                       ? "line longer than " + std::to_string(REPLAY_LINE_MAX) + " bytes"
                       : "the last line has no line end: the file is cut short";
        return 1;
    }
    cursor->at += (size_t)(stop - start) + 1;
    // Lines ending in a carriage return come from editors on Windows.
    if (stop > start && stop[-1] == '\r')
        stop--;
    if (stop - start > REPLAY_LINE_MAX) {
        *problem = "line longer than " + std::to_string(REPLAY_LINE_MAX) + " bytes";
        return 1;
    }
    for (const char* p = start; p < stop; p++)
        if ((u8)*p < 32 || (u8)*p == 127) {
            char text_problem[48];
            snprintf(text_problem, sizeof text_problem, "control character (byte 0x%02X)", (u8)*p);
            *problem = text_problem;
            return 1;
        }
    *begin = start;
    *end = stop;
    return 0;
}

// Applies one key field, "+K" or "-K", to keys. 0, or 1 and problem.
static int replay_internal_key(const char* begin, const char* end, u8* keys, u8* changed,
                               std::string* problem)
{
    const char* letter =
        end - begin == 2 && begin[1] ? strchr(REPLAY_KEY_LETTERS, begin[1]) : nullptr;
    if (!letter) {
        *problem = "unknown key " + replay_internal_quote(begin, end) + " (keys: L M R S B)";
        return 1;
    }
    u8 bit = (u8)(1u << (letter - REPLAY_KEY_LETTERS));
    bool press = begin[0] == '+';
    if (*changed & bit)
        *problem = std::string("key ") + *letter + " changes twice in one frame";
    else if (press == ((*keys & bit) != 0))
        *problem = std::string(press ? "presses " : "releases ") + *letter +
                   (press ? ", which is already held" : ", which is not held");
    else {
        *keys ^= bit;
        *changed |= bit;
        return 0;
    }
    return 1;
}

// Reads one field of a frame line into input; seen marks the letters given. 0, or 1 and problem.
static int replay_internal_field(const char* begin, const char* end, s_replay_input* input,
                                 u32* seen, u8* changed, std::string* problem)
{
    char kind = *begin;
    if (kind == '+' || kind == '-')
        return replay_internal_key(begin, end, &input->keys, changed, problem);
    const char* kinds = "tfxy";
    const char* at = strchr(kinds, kind);
    if (!at || !kind) {
        *problem = "unknown field " + replay_internal_quote(begin, end);
        return 1;
    }
    u32 bit = 1u << (at - kinds);
    if (*seen & bit) {
        *problem = std::string("field ") + kind + " given twice";
        return 1;
    }
    *seen |= bit;
    int bad = kind == 't'   ? replay_internal_u32(begin + 1, end, &input->step)
              : kind == 'f' ? replay_internal_ms(begin + 1, end, &input->frame_time)
              : kind == 'x' ? replay_internal_i32(begin + 1, end, &input->mouse_dx)
                            : replay_internal_i32(begin + 1, end, &input->mouse_dy);
    if (!bad)
        return 0;
    *problem = std::string("field ") + kind + ": " +
               (kind == 'f'   ? "expected milliseconds from 0 to 1000000"
                : kind == 't' ? "expected a whole number from 0 to 4294967295"
                              : "expected a whole number from -2147483648 to 2147483647") +
               ", got " + replay_internal_quote(begin, end);
    return 1;
}

// Reads a frame line's fields, separated by blanks. 0, or 1 and problem.
static int replay_internal_frame(const char* begin, const char* end, s_replay_cursor* cursor,
                                 s_replay_item* item, std::string* problem)
{
    s_replay_input input = {cursor->step, 0, 0, 0, cursor->keys};
    u32 seen = 0;
    u8 changed = 0;
    for (const char* p = begin; p < end;) {
        if (*p == ' ') {
            p++;
            continue;
        }
        const char* field = p;
        while (p < end && *p != ' ')
            p++;
        if (replay_internal_field(field, p, &input, &seen, &changed, problem))
            return 1;
    }
    if (!(seen & 2))
        input.frame_time = (f32)input.step;
    cursor->step = input.step;
    cursor->keys = input.keys;
    item->input = input;
    item->count = 1;
    return 0;
}

// Splits "WORD REST" at its first blank: 1 when the line starts with word and a blank.
static bool replay_internal_starts(const char* begin, const char* end, const char* word,
                                   const char** rest)
{
    size_t size = strlen(word);
    if ((size_t)(end - begin) <= size || memcmp(begin, word, size) != 0 || begin[size] != ' ')
        return false;
    *rest = begin + size + 1;
    return true;
}

// Reads a line of the body after the header into item, keeping the cursor's
// tally. 0, or 1 and problem (about the cursor's line).
static int replay_internal_item(const std::string& text, s_replay_cursor* cursor,
                                s_replay_item* item, std::string* problem)
{
    const char *begin, *end, *rest;
    int got = replay_internal_line(text, cursor, &begin, &end, problem);
    if (got == 2)
        *problem = "the end line is missing: the file is cut short";
    if (got != 0)
        return 1;
    if (replay_internal_starts(begin, end, "end", &rest)) {
        const char* blank = (const char*)memchr(rest, ' ', (size_t)(end - rest));
        u32 frames, checks;
        if (!blank || replay_internal_u32(rest, blank, &frames) ||
            replay_internal_u32(blank + 1, end, &checks)) {
            *problem = "expected 'end FRAMES CHECKSUMS'";
            return 1;
        }
        if (frames != cursor->frames || checks != cursor->checks) {
            *problem = "the end line counts " + std::to_string(frames) + " frames and " +
                       std::to_string(checks) + " checksums, but " +
                       std::to_string(cursor->frames) + " and " + std::to_string(cursor->checks) +
                       " came before it";
            return 1;
        }
        cursor->ended = 1;
        item->kind = REPLAY_ITEM_END;
        return 0;
    }
    if (begin < end && *begin == 'c') {
        if (!replay_internal_starts(begin, end, "c", &rest) ||
            replay_internal_hex(rest, end, &item->sum)) {
            *problem = "expected 'c' and 16 hexadecimal digits";
            return 1;
        }
        if (cursor->frames == 0 || cursor->checked) {
            *problem = cursor->frames ? "a second checksum after one frame"
                                      : "a checksum before the first frame";
            return 1;
        }
        cursor->checked = 1;
        cursor->checks++;
        item->kind = REPLAY_ITEM_CHECK;
        return 0;
    }
    item->kind = REPLAY_ITEM_FRAME;
    if (begin < end && *begin == '*') {
        u64 count = 0;
        if (!replay_internal_starts(begin, end, "*", &rest) ||
            replay_internal_u64(rest, end, REPLAY_FRAMES_MAX, &count) || count == 0) {
            *problem = "expected '*' and a number of frames from 1 to " +
                       std::to_string(REPLAY_FRAMES_MAX);
            return 1;
        }
        item->input = {cursor->step, (f32)cursor->step, 0, 0, cursor->keys};
        item->count = (u32)count;
    } else if (begin == end) {
        *problem = "empty line (a frame without input is '* 1')";
        return 1;
    } else if (replay_internal_frame(begin, end, cursor, item, problem))
        return 1;
    if (item->count > REPLAY_FRAMES_MAX - cursor->frames) {
        *problem = "more than " + std::to_string(REPLAY_FRAMES_MAX) + " frames";
        return 1;
    }
    cursor->frames += item->count;
    cursor->checked = 0;
    return 0;
}

// Reads a header line "WORD VALUE" into [*value, *value_end). 0, or 1 and problem.
static int replay_internal_header(const std::string& text, s_replay_cursor* cursor,
                                  const char* word, const char** value, const char** value_end,
                                  std::string* problem)
{
    const char* begin;
    int got = replay_internal_line(text, cursor, &begin, value_end, problem);
    if (got == 2)
        *problem = std::string("the file ends before its '") + word + "' line";
    if (got != 0)
        return 1;
    if (!replay_internal_starts(begin, *value_end, word, value) || *value == *value_end) {
        *problem = std::string("expected '") + word + " ...'";
        return 1;
    }
    return 0;
}

// Reads the header lines after the first into replay. 0, or 1 and problem.
static int replay_internal_fields(s_replay* replay, s_replay_cursor* cursor, std::string* problem)
{
    const char *value, *end;
    if (replay_internal_header(replay->text, cursor, "map", &value, &end, problem))
        return 1;
    replay->map_path.assign(value, end);
    if (replay_internal_header(replay->text, cursor, "hash", &value, &end, problem))
        return 1;
    if (replay_internal_hex(value, end, &replay->map_hash)) {
        *problem = "the map's hash is not 16 hexadecimal digits";
        return 1;
    }
    static const char* const words[] = {"seed", "ticks"};
    u32* numbers[] = {&replay->seed, &replay->start_ticks};
    for (int i = 0; i < 2; i++) {
        if (replay_internal_header(replay->text, cursor, words[i], &value, &end, problem))
            return 1;
        if (replay_internal_u32(value, end, numbers[i])) {
            *problem = std::string(words[i]) + ": expected a whole number from 0 to 4294967295";
            return 1;
        }
    }
    return 0;
}

// Checks the first line: the magic and our version. 0, or 1 and problem.
static int replay_internal_magic(const std::string& text, s_replay_cursor* cursor,
                                 std::string* problem)
{
    const char *begin, *end, *rest;
    int got = replay_internal_line(text, cursor, &begin, &end, problem);
    if (got == 2)
        *problem = "empty file";
    if (got != 0)
        return 1;
    std::string expected = REPLAY_MAGIC " " + std::to_string(REPLAY_VERSION);
    if (std::string(begin, end) == expected)
        return 0;
    if (replay_internal_starts(begin, end, REPLAY_MAGIC, &rest))
        *problem = "version " + replay_internal_quote(rest, end) + "; this game plays version " +
                   std::to_string(REPLAY_VERSION);
    else
        *problem = "not a Tumbrelix replay (its first line is not '" + expected + "')";
    return 1;
}

int replay_parse(s_replay* replay, const std::string& name, std::string text, std::string* error)
{
    replay->mode = REPLAY_OFF;
    replay->path = name;
    replay->text = std::move(text);
    if (replay->text.size() > REPLAY_FILE_MAX) {
        *error = name + ": larger than " + std::to_string(REPLAY_FILE_MAX >> 20) + " MiB";
        return 1;
    }
    s_replay_cursor cursor = {};
    std::string problem;
    if (replay_internal_magic(replay->text, &cursor, &problem) ||
        replay_internal_fields(replay, &cursor, &problem)) {
        *error = name + ":" + std::to_string(cursor.line) + ": " + problem;
        return 1;
    }
    s_replay_cursor body = cursor;
    s_replay_item item;
    do {
        if (replay_internal_item(replay->text, &cursor, &item, &problem)) {
            *error = name + ":" + std::to_string(cursor.line) + ": " + problem;
            return 1;
        }
    } while (item.kind != REPLAY_ITEM_END);
    if (cursor.at < replay->text.size()) {
        *error = name + ":" + std::to_string(cursor.line + 1) + ": text after the end line";
        return 1;
    }
    replay->frames_total = cursor.frames;
    replay->cursor = body;
    replay->frame = replay->checks = 0;
    replay->diverged = 0;
    replay->live = 0;
    replay->mode = REPLAY_PLAY;
    return 0;
}

int replay_load(s_replay* replay, const char* path, std::string* error)
{
    FILE* file = fopen(path, "rb");
    if (!file) {
        *error = std::string(path) + ": cannot be read (" + strerror(errno) + ")";
        return 1;
    }
    std::string text;
    char chunk[65536];
    size_t got;
    // One byte past the largest replay is enough to know the file is too large.
    while (text.size() <= REPLAY_FILE_MAX && (got = fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    bool failed = ferror(file) != 0;
    int cause = errno;
    fclose(file);
    if (failed) {
        *error = std::string(path) + ": cannot be read (" + strerror(cause) + ")";
        return 1;
    }
    if (replay_parse(replay, path, std::move(text), error))
        return 1;
    u64 hash;
    std::string problem;
    if (replay_map_hash(replay->map_path.c_str(), &hash, &problem)) {
        *error = std::string(path) + ": the recorded map cannot be read: " + problem;
        return 1;
    }
    if (hash != replay->map_hash) {
        *error = std::string(path) + ": the map " + replay->map_path +
                 " differs from the one this replay was recorded on";
        return 1;
    }
    return 0;
}

// --- Playback

int replay_next_frame(s_replay* replay, s_replay_input* input)
{
    s_replay_cursor* cursor = &replay->cursor;
    if (cursor->repeat > 0) {
        cursor->repeat--;
        *input = {cursor->step, (f32)cursor->step, 0, 0, cursor->keys};
        return 0;
    }
    s_replay_item item;
    std::string problem;
    do {
        if (cursor->ended || replay_internal_item(replay->text, cursor, &item, &problem))
            return 1;
    } while (item.kind == REPLAY_ITEM_CHECK);
    if (item.kind == REPLAY_ITEM_END)
        return 1;
    cursor->repeat = item.count - 1;
    *input = item.input;
    return 0;
}

int replay_next_check(s_replay* replay, u64* sum)
{
    if (replay->cursor.repeat > 0 || replay->cursor.ended)
        return 0;
    s_replay_cursor ahead = replay->cursor;
    s_replay_item item;
    std::string problem;
    if (replay_internal_item(replay->text, &ahead, &item, &problem) ||
        item.kind != REPLAY_ITEM_CHECK)
        return 0;
    replay->cursor = ahead;
    *sum = item.sum;
    return 1;
}

void replay_play_start(s_replay* replay, u8 paced)
{
    replay->paced = paced;
    replay->anchor = gl_vertex.wall_ticks;
    replay->ticks = replay->start_ticks;
    gl_vertex.ticks = replay->start_ticks;
}

// Waits until the wall clock reaches the time at which the coming frame began
// when it was recorded. Falling behind (a slow machine, a pause) starts the
// count afresh rather than rushing to catch up.
static void replay_internal_pace(s_replay* replay, u32 step)
{
    u32 game_ms = replay->ticks + step - replay->start_ticks;
    i32 lead = (i32)(replay->anchor + game_ms - gl_vertex.wall_ticks);
    if (lead < -REPLAY_PACE_SLACK_MS || lead > REPLAY_PACE_WAIT_MAX_MS)
        replay->anchor = gl_vertex.wall_ticks - game_ms;
    else if (lead > 0)
        VTX_Delay((u32)lead);
}

// --- Recording

// Writes one line; lines are short, so the byte count may pass the cap by one line at most.
static void replay_internal_write(s_replay* replay, const char* line)
{
    fputs(line, replay->file);
    fputc('\n', replay->file);
    replay->written += strlen(line) + 1;
}

// Writes the run of frames without input waiting to be written.
static void replay_internal_flush_run(s_replay* replay)
{
    if (replay->idle == 0)
        return;
    char line[32];
    snprintf(line, sizeof line, "* %u", replay->idle);
    replay_internal_write(replay, line);
    replay->idle = 0;
}

// Writes the end line and closes the file. 0, or 1 with the message written.
static int replay_internal_finish(s_replay* replay)
{
    replay_internal_flush_run(replay);
    char line[64];
    snprintf(line, sizeof line, "end %u %u", replay->frame, replay->checks);
    replay_internal_write(replay, line);
    bool failed = ferror(replay->file) != 0;
    int cause = errno;
    if (fclose(replay->file) != 0 && !failed) {
        failed = true;
        cause = errno;
    }
    replay->file = nullptr;
    replay->mode = REPLAY_OFF;
    if (failed)
        fprintf(stderr, "%s: cannot be written (%s)\n", replay->path.c_str(), strerror(cause));
    return failed;
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
    replay->file = fopen(path, "w");
    if (!replay->file) {
        *error = std::string(path) + ": cannot be written (" + strerror(errno) + ")";
        return 1;
    }
    // Buffered in a block of our own, so recording allocates nothing as it
    // goes; a process records one game at a time.
    static char buffer[REPLAY_WRITE_BUFFER];
    setvbuf(replay->file, buffer, _IOFBF, sizeof buffer);
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
    snprintf(line, sizeof line, REPLAY_MAGIC " %d", (int)REPLAY_VERSION);
    replay_internal_write(replay, line);
    fprintf(replay->file, "map %s\n", replay->map_path.c_str());
    snprintf(line, sizeof line, "hash %016llx\nseed %u\nticks %u",
             (unsigned long long)replay->map_hash, replay->seed, replay->start_ticks);
    replay_internal_write(replay, line);
    replay->written += replay->map_path.size() + 5;
    replay->mode = REPLAY_RECORD;
    return 0;
}

// Writes the frame's line: what differs from the frame before, a run of
// frames without any input kept back to be written as one line.
static void replay_internal_record(s_replay* replay, const s_replay_input* input)
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
    replay_internal_flush_run(replay);
    replay_internal_write(replay, line + 1);
}

// --- The frame's steps

int replay_frame_time(s_replay* replay)
{
    replay->live = 0;
    if (replay->mode == REPLAY_RECORD && !gl_vertex.paused) {
        // Full: the game goes on unrecorded, the replay stays whole.
        if (replay->frame >= REPLAY_FRAMES_MAX ||
            replay->written + 2 * REPLAY_LINE_MAX > REPLAY_FILE_MAX) {
            fprintf(stderr, "%s: the replay is full; the rest of the game is not recorded\n",
                    replay->path.c_str());
            replay_internal_finish(replay);
            return 0;
        }
        replay->live = 1;
        replay->current.step = gl_vertex.ticks - replay->ticks;
        replay->current.frame_time = gl_vertex.frame_time;
        replay->ticks = gl_vertex.ticks;
        return 0;
    }
    if (replay->mode != REPLAY_PLAY)
        return 0;
    if (gl_vertex.paused) {
        gl_vertex.ticks = replay->ticks;
        gl_vertex.frame_time = 0;
        return 0;
    }
    s_replay_input input;
    if (replay_next_frame(replay, &input))
        return 1;
    if (replay->paced)
        replay_internal_pace(replay, input.step);
    replay->live = 1;
    replay->current = input;
    replay->ticks += input.step;
    replay->frame++;
    gl_vertex.ticks = replay->ticks;
    gl_vertex.frame_time = input.frame_time;
    return 0;
}

void replay_frame_input(s_replay* replay)
{
    if (!replay->live)
        return;
    s_replay_input* input = &replay->current;
    if (replay->mode == REPLAY_RECORD) {
        input->mouse_dx = gl_vertex.mouse_dx;
        input->mouse_dy = gl_vertex.mouse_dy;
        input->keys = 0;
        for (int k = 0; k < REPLAY_KEY_COUNT; k++)
            input->keys |= gl_vertex.key[REPLAY_KEY_INDEX[k]] ? (u8)(1u << k) : 0;
        replay_internal_record(replay, input);
        replay->frame++;
        return;
    }
    gl_vertex.mouse_dx = input->mouse_dx;
    gl_vertex.mouse_dy = input->mouse_dy;
    for (int k = 0; k < REPLAY_KEY_COUNT; k++)
        gl_vertex.key[REPLAY_KEY_INDEX[k]] = (input->keys >> k) & 1;
}

int replay_frame_check(s_replay* replay, s_game* game)
{
    if (!replay->live)
        return 0;
    if (replay->mode == REPLAY_RECORD) {
        u32 second = (replay->ticks - replay->start_ticks) / REPLAY_CHECK_EVERY_MS;
        if (second <= replay->second)
            return 0;
        replay->second = second;
        replay_internal_flush_run(replay);
        char line[32];
        snprintf(line, sizeof line, "c %016llx", (unsigned long long)replay_checksum(game));
        replay_internal_write(replay, line);
        replay->checks++;
        return 0;
    }
    u64 recorded;
    if (replay->mode != REPLAY_PLAY || !replay_next_check(replay, &recorded))
        return 0;
    u64 sum = replay_checksum(game);
    if (sum == recorded) {
        replay->checks++;
        return 0;
    }
    replay->diverged = 1;
    fprintf(stderr,
            "%s: replay diverged at frame %u (%.3f s of game time): checksum %016llx, "
            "recorded %016llx\n",
            replay->path.c_str(), replay->frame,
            (double)(u32)(replay->ticks - replay->start_ticks) / 1000, (unsigned long long)sum,
            (unsigned long long)recorded);
    return 1;
}

int replay_stop(s_replay* replay)
{
    if (replay->mode == REPLAY_RECORD)
        return replay_internal_finish(replay);
    // Opened for a game that never started: nothing was recorded.
    if (replay->file) {
        fclose(replay->file);
        replay->file = nullptr;
        remove(replay->path.c_str());
    }
    if (replay->mode == REPLAY_PLAY && !replay->diverged) {
        if (replay->frame == replay->frames_total)
            printf("%s: %u frames played back, %u checksums matched\n", replay->path.c_str(),
                   replay->frame, replay->checks);
        else
            printf("%s: stopped at frame %u of %u\n", replay->path.c_str(), replay->frame,
                   replay->frames_total);
        fflush(stdout);
    }
    replay->mode = REPLAY_OFF;
    return 0;
}
