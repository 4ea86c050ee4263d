// The replay reader. The text is read whole and checked before play, then
// walked line by line as the frames come (replay_read_item), so what the check
// accepted is exactly what plays, and nothing is allocated per frame.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "shell/replay_format.h"

constexpr f32 REPLAY_FRAME_TIME_MAX = 1e6f;  // ms; the game caps far lower
constexpr size_t REPLAY_FIELD_MAX = 32;      // bytes of a field quoted or read as a number

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
// cursor moves past it and counts it. 0; or 1 and problem, which is missing
// when the text has ended.
static int replay_internal_line(const std::string& text, s_replay_cursor* cursor,
                                const char** begin, const char** end, const std::string& missing,
                                std::string* problem)
{
    // The end of the text counts as a line, so a missing line is reported where it belongs.
    cursor->line++;
    if (cursor->at >= text.size()) {
        *problem = missing;
        return 1;
    }
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

int replay_read_item(const std::string& text, s_replay_cursor* cursor, s_replay_item* item,
                     std::string* problem)
{
    const char *begin, *end, *rest;
    if (replay_internal_line(text, cursor, &begin, &end,
                             "the end line is missing: the file is cut short", problem))
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
    if (replay_internal_line(text, cursor, &begin, value_end,
                             std::string("the file ends before its '") + word + "' line", problem))
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

// Reads the optional "settings" line after the header, whose fields are
// mouse_sensitivity=N (0.25 to 4) and game_speed=N (50 to 100). 0, or 1 and problem.
static int replay_internal_settings(s_replay* replay, s_replay_cursor* cursor, std::string* problem)
{
    replay->sensitivity = 1;
    replay->speed = 100;
    s_replay_cursor ahead = *cursor;
    const char *begin, *end, *rest;
    std::string missing;
    if (replay_internal_line(replay->text, &ahead, &begin, &end, "", &missing) ||
        !replay_internal_starts(begin, end, "settings", &rest))
        return 0;
    *cursor = ahead;
    for (const char* p = rest; p < end;) {
        const char* field = p;
        while (p < end && *p != ' ')
            p++;
        const char* equals = (const char*)memchr(field, '=', (size_t)(p - field));
        f32 number = -1;
        if (equals && replay_internal_ms(equals + 1, p, &number) == 0) {
            std::string key(field, equals);
            if (key == "mouse_sensitivity" && number >= 0.25f && number <= 4)
                replay->sensitivity = number;
            else if (key == "game_speed" && number >= 50 && number <= 100 &&
                     number == std::floor(number))
                replay->speed = (u32)number;
            else
                number = -1;
        }
        if (number < 0) {
            *problem = "settings: expected mouse_sensitivity=0.25 to 4 and game_speed=50 to "
                       "100, got " +
                       replay_internal_quote(field, p);
            return 1;
        }
        while (p < end && *p == ' ')
            p++;
    }
    return 0;
}

// Checks the first line: the magic and our version. 0, or 1 and problem.
static int replay_internal_magic(const std::string& text, s_replay_cursor* cursor,
                                 std::string* problem)
{
    const char *begin, *end, *rest;
    if (replay_internal_line(text, cursor, &begin, &end, "empty file", problem))
        return 1;
    std::string expected = std::string(REPLAY_MAGIC) + " " + std::to_string(REPLAY_VERSION);
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
        replay_internal_fields(replay, &cursor, &problem) ||
        replay_internal_settings(replay, &cursor, &problem)) {
        *error = name + ":" + std::to_string(cursor.line) + ": " + problem;
        return 1;
    }
    s_replay_cursor body = cursor, checked = {};
    s_replay_item item;
    replay->partial = 0;
    do {
        size_t at = cursor.at;
        if (replay_read_item(replay->text, &cursor, &item, &problem)) {
            // A recording cut short (the game crashed or was killed) ends
            // without its end line, perhaps in the middle of a line: it plays
            // up to its last checksum, its last whole second.
            bool cut = !memchr(replay->text.data() + at, '\n', replay->text.size() - at);
            if (!cut || checked.checks == 0) {
                *error = name + ":" + std::to_string(cursor.line) + ": " + problem;
                return 1;
            }
            replay->text.resize(checked.at);
            replay->text += "end " + std::to_string(checked.frames) + " " +
                            std::to_string(checked.checks) + "\n";
            replay->partial = 1;
            cursor = checked;
            break;
        }
        if (item.kind == REPLAY_ITEM_CHECK)
            checked = cursor;
    } while (item.kind != REPLAY_ITEM_END);
    if (!replay->partial && cursor.at < replay->text.size()) {
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
