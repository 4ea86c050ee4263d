// The player's progress, kept under $XDG_DATA_HOME/tumbrelix/: the levels
// cleared in each pack and the level last played there, each named by the
// pack's folder and the map's file name as the pack lists it.
#pragma once

#include <string>
#include <vector>

#include "shell/types.h"

constexpr const char* HISTORY_FILE_NAME = "progress.txt";

enum {
    HISTORY_FILE_MAX = 4 * 1024 * 1024,  // bytes of a progress file
    HISTORY_LINE_MAX = 8300,             // bytes of a line: a keyword and two paths
};

// One level of one pack.
struct s_history_level {
    std::string folder;  // the pack's folder, absolute
    std::string map;     // the map file as the pack names it
};

struct s_history {
    std::vector<s_history_level> cleared;  // every level ever cleared, in the order cleared
    std::vector<s_history_level> last;     // the level last played, one per pack
    u8 bad;  // the file read held a problem: kept aside on the next save
};

// Reads text, the file named name, into history; bad lines are left out. 0; or
// 1 and problem "NAME:LINE: problem" for the first bad line.
int history_parse(s_history* history, const std::string& name, const std::string& text,
                  std::string* problem);
// The file's text: "cleared" and "last" lines of a keyword, the folder and the
// map separated by tabs.
std::string history_text(const s_history* history);
// True when the level was cleared.
bool history_cleared(const s_history* history, const s_history_level& level);
// Marks the level cleared; 1 when that is news.
int history_clear(s_history* history, const s_history_level& level);
// Notes the level as its pack's last played; 1 when that is news.
int history_play(s_history* history, const s_history_level& level);
// The map last played in folder; "" for none.
std::string history_last(const s_history* history, const std::string& folder);

// $XDG_DATA_HOME/tumbrelix/progress.txt, else under ~/.local/share; "" if unknown.
std::string history_path();
// Reads the file at path (missing: nothing played; bad: one line on standard error).
void history_load(s_history* history, const std::string& path);
// Writes history to path (a bad file read before is kept beside as path + ".bad").
// 0; or 1 and one line on standard error.
int history_save(s_history* history, const std::string& path);
