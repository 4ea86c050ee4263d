// Live reload: a level author saves the map and sees it in the running game.
// Looks cost one stat per file a second and nothing at all between looks, so
// play is the same with or without watching until a file changes.
#include "shell/watch.h"

#include <cstdio>
#include <sys/stat.h>

#include "level/check.h"
#include "shell/clock.h"
#include "shell/game.h"
#include "shell/swap.h"

// Wall-clock milliseconds: game time stops while paused, the files do not.
static u64 watch_now_ms()
{
    return clock_ns() / CLOCK_NS_PER_MS;
}

// True when the file is no longer as it was last read and has held still since
// the look before: an editor caught between two writes of a save is not read
// half-way, nor is anything but a regular file. The record keeps this look.
static bool watch_look(s_watch_file* file)
{
    struct stat info;
    i64 mtime = -1, size = -1;
    bool found = stat(file->path.c_str(), &info) == 0;
    if (found && !S_ISREG(info.st_mode))
        return false;
    if (found) {
        mtime = (i64)info.st_mtim.tv_sec * 1000000000 + info.st_mtim.tv_nsec;
        size = (i64)info.st_size;
    }
    bool still = mtime == file->mtime_ns && size == file->size;
    file->mtime_ns = mtime;
    file->size = size;
    if (!still || (mtime == file->read_mtime_ns && size == file->read_size))
        return false;
    file->read_mtime_ns = mtime;
    file->read_size = size;
    return true;
}

// The map and every texture path it names, each once, as they are now.
static void watch_list(s_watch* watch, const std::string& path, const s_map* map)
{
    watch->files.assign(1, {path, -1, -1, -1, -1});
    for (const s_face& face : map->faces)
        for (const std::string& texture : face.textures) {
            bool known = false;
            for (const s_watch_file& file : watch->files)
                known = known || file.path == texture;
            if (!known)
                watch->files.push_back({texture, -1, -1, -1, -1});
        }
    // As the game has just read them: the next change is the one to read.
    for (s_watch_file& file : watch->files) {
        watch_look(&file);
        watch_look(&file);
    }
}

void watch_start(s_watch* watch, const char* path, const s_map* map)
{
    watch_list(watch, path, map);
    watch->next_ms = watch_now_ms() + WATCH_PERIOD_MS;
    watch->notice_until_ms = 0;
    watch->broken = 0;
}

// The checker's findings on the level just put in play: all on standard error,
// the first with their count on screen for a few seconds.
static void watch_notice(s_watch* watch, s_game* game, const std::string& path)
{
    std::vector<s_check_note> notes;
    s_map map;
    check_level(path, map, notes);
    for (const s_check_note& note : notes)
        fprintf(stderr, "%s:%d: %s: %s\n", path.c_str(), note.line,
                note.error ? "error" : "warning", note.text.c_str());
    if (notes.empty()) {
        hud_alert(&game->hud, nullptr, 0);
        watch->notice_until_ms = 0;
        return;
    }
    std::string text = path + ":" + std::to_string(notes[0].line) + ": " + notes[0].text;
    if (notes.size() > 1)
        text += " (and " + std::to_string(notes.size() - 1) + " more)";
    hud_alert(&game->hud, text.c_str(), 0);
    watch->notice_until_ms = watch_now_ms() + WATCH_NOTICE_MS;
}

void watch_loop(s_watch* watch, s_game* game)
{
    u64 now = watch_now_ms();
    if (watch->notice_until_ms && now >= watch->notice_until_ms) {
        hud_alert(&game->hud, nullptr, 0);
        watch->notice_until_ms = 0;
    }
    if (now < watch->next_ms)
        return;
    watch->next_ms = now + WATCH_PERIOD_MS;
    bool map_changed = watch_look(&watch->files[0]);
    std::vector<std::string> stale;
    for (size_t i = 1; i < watch->files.size(); i++)
        if (watch_look(&watch->files[i]))
            stale.push_back(watch->files[i].path);
    if (!map_changed && stale.empty())
        return;
    std::string path = watch->files[0].path, error;
    if (map_changed && swap_level(game, path.c_str(), &error, SWAP_RELOAD, &stale) == 0) {
        watch->broken = 0;
        watch_list(watch, path, game->map.getMap());
        watch_notice(watch, game, path);
        return;
    }
    if (map_changed) {
        fprintf(stderr, "%s\n", error.c_str());
        hud_alert(&game->hud, error.c_str(), 1);
        watch->broken = 1;
        watch->notice_until_ms = 0;
    }
    // Textures edited under a level that stays: only they are loaded again.
    if (!stale.empty()) {
        game->map.forget(stale);
        game->map.init();
    }
}
