// The progress file: one line per fact, so a torn or hand-edited file loses
// at most the lines that went wrong.
#include "ui/history.h"

#include <cstdio>

#include "ui/keep.h"

static bool history_same(const s_history_level& a, const s_history_level& b)
{
    return a.folder == b.folder && a.map == b.map;
}

// A path the file can hold: not empty, no tab, no line end, no control byte.
static bool history_plain(const std::string& path)
{
    if (path.empty())
        return false;
    for (char c : path)
        if ((u8)c < 32 || (u8)c == 127)
            return false;
    return true;
}

// Reads one line; "" when good, else the problem.
static std::string history_line(s_history* history, const std::string& line)
{
    if (line.size() > HISTORY_LINE_MAX)
        return "line longer than " + std::to_string(HISTORY_LINE_MAX) + " bytes";
    if (line.empty() || line[0] == '#')
        return "";
    size_t first = line.find('\t'),
           second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos)
        return "expected 'cleared' or 'last', a tab, the pack's folder, a tab and the map";
    std::string word = line.substr(0, first);
    s_history_level level = {line.substr(first + 1, second - first - 1), line.substr(second + 1)};
    if (!history_plain(level.folder) || !history_plain(level.map) || level.folder[0] != '/')
        return "expected an absolute folder and a map without tabs or control characters";
    if (word == "cleared")
        history_clear(history, level);
    else if (word == "last")
        history_play(history, level);
    else
        return "unknown keyword '" + word.substr(0, 32) + "' (expected cleared or last)";
    return "";
}

int history_parse(s_history* history, const std::string& name, const std::string& text,
                  std::string* problem)
{
    history->cleared.clear();
    history->last.clear();
    history->bad = (u8)keep_lines(
        text, name, [&](const std::string& line) { return history_line(history, line); }, problem);
    return history->bad;
}

std::string history_text(const s_history* history)
{
    std::string text = "# Tumbrelix progress, written by the game\n";
    for (const s_history_level& level : history->cleared)
        text += "cleared\t" + level.folder + "\t" + level.map + "\n";
    for (const s_history_level& level : history->last)
        text += "last\t" + level.folder + "\t" + level.map + "\n";
    return text;
}

bool history_cleared(const s_history* history, const s_history_level& level)
{
    for (const s_history_level& cleared : history->cleared)
        if (history_same(cleared, level))
            return true;
    return false;
}

int history_clear(s_history* history, const s_history_level& level)
{
    if (history_cleared(history, level) || !history_plain(level.folder) ||
        !history_plain(level.map))
        return 0;
    history->cleared.push_back(level);
    return 1;
}

int history_play(s_history* history, const s_history_level& level)
{
    if (!history_plain(level.folder) || !history_plain(level.map))
        return 0;
    for (s_history_level& last : history->last)
        if (last.folder == level.folder) {
            if (last.map == level.map)
                return 0;
            last.map = level.map;
            return 1;
        }
    history->last.push_back(level);
    return 1;
}

std::string history_last(const s_history* history, const std::string& folder)
{
    for (const s_history_level& last : history->last)
        if (last.folder == folder)
            return last.map;
    return "";
}

std::string history_path()
{
    return keep_path("XDG_DATA_HOME", ".local/share", HISTORY_FILE_NAME);
}

void history_load(s_history* history, const std::string& path)
{
    history->cleared.clear();
    history->last.clear();
    history->bad = 0;
    keep_load(path, HISTORY_FILE_MAX, &history->bad,
              [&](const std::string& text, std::string* problem) {
                  return history_parse(history, path, text, problem);
              });
}

int history_save(s_history* history, const std::string& path)
{
    return keep_save(path, history_text(history), &history->bad);
}
