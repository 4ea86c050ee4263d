// The music player: one streamed track at a time, chosen by name or at random.
#include "audio/music.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "audio/browse.h"
#include "audio/chord.h"

const char* const music_extensions[MUSIC_EXTENSION_COUNT] = {".it",  ".mod", ".mp3",
                                                             ".ogg", ".s3m", ".xm"};

int music_init(s_music* music)
{
    music->playing = false;
    return 0;
}

void music_play_defined(s_music* music, const char* path)
{
    if (music->playing)
        music_stop(music);
    CHD_LoadStream(path, 0, &music->sound);
    CHD_PlayStart(music->sound, false);
    music->playing = true;
}

bool music_internal_matches(const std::string& name)
{
    for (const char* extension : music_extensions) {
        size_t length = strlen(extension);
        if (name.size() >= length &&
            strcasecmp(name.c_str() + name.size() - length, extension) == 0)
            return true;
    }
    return false;
}

void music_internal_gather(const char* directory, std::vector<std::string>* candidates)
{
    Browse browse;
    if (!browse.Open(directory))
        return;
    while (browse.Next()) {
        if (browse.IsDir(true))
            continue;
        if (music_internal_matches(browse.GetFile()))
            candidates->push_back(browse.GetFull());
    }
}

void music_play_random(s_music* music, const char* directory)
{
    std::vector<std::string> candidates;
    music_internal_gather(directory, &candidates);
    if (candidates.empty())
        return;
    music_play_defined(music, candidates[(size_t)rand() % candidates.size()].c_str());
}

void music_stop(s_music* music)
{
    if (!music->playing)
        return;
    CHD_PlayStop(music->sound);
    music->playing = false;
}

void music_free(s_music* music)
{
    music_stop(music);
}
