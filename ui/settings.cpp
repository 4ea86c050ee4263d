// The settings file: forgiving to read (a bad line costs only itself and is
// reported once), exact to write, and never rid of a key it does not know.
#include "ui/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/keep.h"

// clang-format off
const s_setting_row SETTINGS_ROWS[SETTING_COUNT] = {
    {"mouse_sensitivity", "Mouse sensitivity", SETTING_FACTOR,  0.25f, 4,    1,             0.25f},
    {"music_volume",      "Music volume",      SETTING_PERCENT, 0,     100,  100,           10},
    {"effects_volume",    "Effects volume",    SETTING_PERCENT, 0,     100,  100,           10},
    {"fullscreen",        "Full screen",       SETTING_YES_NO,  0,     1,    0,             1},
    {"vsync",             "Vertical sync",     SETTING_YES_NO,  0,     1,    1,             1},
    {"game_speed",        "Game speed",        SETTING_PERCENT, 50,    100,  100,           10},
    {"max_fps",           "Frame limit",       SETTING_WHOLE,   0,     1000, SETTINGS_AUTO, 30},
};
// clang-format on

constexpr const char* SETTINGS_BLANKS = " \t";
constexpr size_t SETTINGS_QUOTE_MAX = 32;  // bytes of a value a message quotes

void settings_default(s_settings* settings)
{
    for (int row = 0; row < SETTING_COUNT; row++)
        settings->value[row] = SETTINGS_ROWS[row].fallback;
    settings->kept.clear();
    settings->bad = 0;
}

static std::string settings_trim(const std::string& text)
{
    size_t start = text.find_first_not_of(SETTINGS_BLANKS);
    if (start == std::string::npos)
        return "";
    return text.substr(start, text.find_last_not_of(SETTINGS_BLANKS) + 1 - start);
}

// What a row accepts, for the message about a value it refused.
static std::string settings_expected(const s_setting_row& row)
{
    char text[96];
    if (row.kind == SETTING_YES_NO)
        return "expected yes or no";
    snprintf(text, sizeof text, "expected %s from %g to %g%s",
             row.kind == SETTING_FACTOR ? "a number" : "a whole number", (double)row.low,
             (double)row.high, row.kind == SETTING_WHOLE ? ", or auto" : "");
    return text;
}

// Reads value for row into *out. 0, or 1 when the row does not take it.
static int settings_value(const s_setting_row& row, const std::string& value, f32* out)
{
    if (row.kind == SETTING_YES_NO) {
        static const char* const words[] = {"no", "yes", "false", "true", "off", "on", "0", "1"};
        for (int i = 0; i < 8; i++)
            if (value == words[i]) {
                *out = (f32)(i % 2);
                return 0;
            }
        return 1;
    }
    if (row.kind == SETTING_WHOLE && value == "auto") {
        *out = SETTINGS_AUTO;
        return 0;
    }
    char* stop = nullptr;
    f32 number = value.empty() ? NAN : strtof(value.c_str(), &stop);
    if (!std::isfinite(number) || stop != value.c_str() + value.size() || number < row.low ||
        number > row.high || (row.kind != SETTING_FACTOR && number != std::floor(number)))
        return 1;
    *out = number;
    return 0;
}

// Reads one line. "" when it is good, else the problem.
static std::string settings_line(s_settings* settings, const std::string& line)
{
    if (line.size() > SETTINGS_LINE_MAX)
        return "line longer than " + std::to_string(SETTINGS_LINE_MAX) + " bytes";
    for (char c : line)
        if (((u8)c < 32 && c != '\t') || (u8)c == 127) {
            char problem[48];
            snprintf(problem, sizeof problem, "control character (byte 0x%02X)", (u8)c);
            return problem;
        }
    std::string text = settings_trim(line);
    if (text.empty() || text[0] == '#')
        return "";
    size_t equals = text.find('=');
    if (equals == std::string::npos)
        return "expected 'key = value'";
    std::string key = settings_trim(text.substr(0, equals));
    std::string value = text.substr(equals + 1);
    value = settings_trim(value.substr(0, value.find('#')));
    for (int row = 0; row < SETTING_COUNT; row++) {
        if (key != SETTINGS_ROWS[row].key)
            continue;
        if (settings_value(SETTINGS_ROWS[row], value, &settings->value[row]) == 0)
            return "";
        std::string quote = value.substr(0, SETTINGS_QUOTE_MAX);
        return key + ": " + settings_expected(SETTINGS_ROWS[row]) + ", got '" + quote +
               (value.size() > SETTINGS_QUOTE_MAX ? "...'" : "'");
    }
    if (key.empty())
        return "expected a key before '='";
    settings->kept.push_back(line);
    return "";
}

int settings_parse(s_settings* settings, const std::string& name, const std::string& text,
                   std::string* problem)
{
    settings_default(settings);
    settings->bad = (u8)keep_lines(
        text, name, [&](const std::string& line) { return settings_line(settings, line); },
        problem);
    return settings->bad;
}

// The value as the file writes it.
static std::string settings_write_value(const s_setting_row& row, f32 value)
{
    char text[32];
    if (row.kind == SETTING_YES_NO)
        return value != 0 ? "yes" : "no";
    snprintf(text, sizeof text, row.kind == SETTING_FACTOR ? "%g" : "%.0f", (double)value);
    return text;
}

std::string settings_text(const s_settings* settings)
{
    std::string text = "# Tumbrelix settings, written by the game: key = value\n";
    for (int row = 0; row < SETTING_COUNT; row++) {
        // A row that may be automatic is automatic by being absent.
        if (SETTINGS_ROWS[row].kind == SETTING_WHOLE && settings->value[row] == SETTINGS_AUTO)
            continue;
        text += std::string(SETTINGS_ROWS[row].key) + " = " +
                settings_write_value(SETTINGS_ROWS[row], settings->value[row]) + "\n";
    }
    for (const std::string& line : settings->kept)
        text += line + "\n";
    return text;
}

void settings_step(s_settings* settings, e_setting row, int steps)
{
    const s_setting_row& info = SETTINGS_ROWS[row];
    f32* value = &settings->value[row];
    if (info.kind == SETTING_YES_NO) {
        *value = (steps % 2 != 0) != (*value != 0) ? 1.0f : 0.0f;
        return;
    }
    bool may_be_auto = info.kind == SETTING_WHOLE;
    if (may_be_auto && *value == SETTINGS_AUTO) {
        if (steps > 0)
            *value = info.low + (f32)(steps - 1) * info.step;
    } else {
        f32 next = *value + (f32)steps * info.step;
        *value = next < info.low ? (may_be_auto ? SETTINGS_AUTO : info.low) : next;
    }
    if (*value > info.high)
        *value = info.high;
}

void settings_show(const s_settings* settings, e_setting row, char* text, size_t size)
{
    const s_setting_row& info = SETTINGS_ROWS[row];
    f32 value = settings->value[row];
    if (info.kind == SETTING_FACTOR)
        snprintf(text, size, "%.2fx", (double)value);
    else if (info.kind == SETTING_PERCENT)
        snprintf(text, size, "%.0f%%", (double)value);
    else if (info.kind == SETTING_YES_NO)
        snprintf(text, size, "%s", value != 0 ? "yes" : "no");
    else if (value == SETTINGS_AUTO)
        snprintf(text, size, "auto");
    else if (value == 0)
        snprintf(text, size, "no limit");
    else
        snprintf(text, size, "%.0f", (double)value);
}

std::string settings_path()
{
    return keep_path("XDG_CONFIG_HOME", ".config", SETTINGS_FILE_NAME);
}

void settings_load(s_settings* settings, const std::string& path)
{
    settings_default(settings);
    keep_load(path, SETTINGS_FILE_MAX, &settings->bad,
              [&](const std::string& text, std::string* problem) {
                  return settings_parse(settings, path, text, problem);
              });
}

int settings_save(s_settings* settings, const std::string& path)
{
    return keep_save(path, settings_text(settings), &settings->bad);
}
