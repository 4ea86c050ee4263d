// The music player: one streamed track at a time, chosen by name or at random.
// The track to follow is opened in the background and its first buffers wait
// on a paused channel, so it starts the moment the playing one runs out.
#include "audio/music.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "audio/browse.h"
#include "audio/chord.h"
#include "audio/decode.h"
#include "shell/path.h"

// Besides tracker modules, the compressed formats libsndfile streams; WAV files
// are the game's sound effects, not music.
static const char* const music_sampled_extensions[] = {".mp3", ".ogg"};

int music_init(s_music* music)
{
    music->sound = MUSIC_NO_SLOT;
    music->playing = false;
    music->next_sound = MUSIC_NO_SLOT;
    music->next = MUSIC_NEXT_NONE;
    music->track = -1;
    music->next_track = -1;
    music->fresh = false;
    music->random = 0;
    music->tracks.clear();
    return 0;
}

// Streams the file through one of the player's two slots, taken on first use,
// so the slot table does not grow with every track.
static void music_internal_load(u32* slot, const char* path, u32 mode)
{
    if (*slot == MUSIC_NO_SLOT)
        CHD_LoadStream(path, mode, slot);
    else
        CHD_ReloadStream(*slot, path, mode);
}

void music_play_defined(s_music* music, const char* path)
{
    music_stop(music);
    std::vector<std::string>().swap(music->tracks);
    music->track = -1;
    music->next = MUSIC_NEXT_NONE;
    music_internal_load(&music->sound, path, 0);
    CHD_PlayStart(music->sound, false);
    music->playing = true;
    music->fresh = true;
}

// True if the file name ends in the extension of a tracker module or of a sampled track.
static bool music_internal_matches(const char* name)
{
    for (const char* extension : music_sampled_extensions)
        if (path_ends_with(name, extension))
            return true;
    return decode_is_tracker_name(name);
}

// Lists the directory's playable files as "directory/name", in listing order.
static void music_internal_gather(const char* directory, std::vector<std::string>* candidates)
{
    Browse browse;
    if (!browse.Open(directory))
        return;
    while (browse.Next()) {
        if (browse.IsDir(true))
            continue;
        if (music_internal_matches(browse.GetFile().c_str()))
            candidates->push_back(browse.GetFull());
    }
}

void music_play_random(s_music* music, const char* directory)
{
    // The one draw from rand() comes at a fixed point of start-up, tracks or
    // none, so a game (and its replay) does not depend on the music folder.
    // Later tracks change on the sound card's clock, not on frames, so they are
    // picked by the player's own generator, seeded with this draw.
    u32 draw = (u32)rand();
    std::vector<std::string> tracks;
    music_internal_gather(directory, &tracks);
    if (tracks.empty())
        return;
    int first = (int)(draw % tracks.size());
    music_play_defined(music, tracks[first].c_str());
    music->tracks.swap(tracks);
    music->track = first;
    music->random = draw;
}

// The track to follow the playing one: never the same while there are two or more.
static int music_internal_pick(s_music* music)
{
    u32 count = (u32)music->tracks.size();
    music->random = music->random * 1664525u + 1013904223u;
    u32 draw = music->random >> 16;  // the low bits of this generator repeat quickly
    if (music->track < 0 || count == 1)
        return (int)(draw % count);
    return (int)(((u32)music->track + 1 + draw % (count - 1)) % count);
}

// Takes a track that cannot be played off the list, so that it is not reopened again and again.
static void music_internal_drop(s_music* music, int index)
{
    if (index < 0)
        return;
    music->tracks.erase(music->tracks.begin() + index);
    for (int* other : {&music->track, &music->next_track})
        *other = *other == index ? -1 : *other - (*other > index);
}

// Once the following track is open, decodes its first buffers onto a paused
// channel: that takes a frame of its own, and leaves the switch nothing to do.
static void music_internal_queue(s_music* music)
{
    int state = CHD_GetOpenState(music->next_sound);
    if (state == CHD_OPEN_FAILED) {
        music_internal_drop(music, music->next_track);
        music->next = MUSIC_NEXT_NONE;
    } else if (state == CHD_OPEN_READY) {
        CHD_PlayStart(music->next_sound, true);
        // With every channel busy, the next frame tries again.
        if (CHD_IsPlaying(music->next_sound))
            music->next = MUSIC_NEXT_QUEUED;
    }
}

void music_loop(s_music* music)
{
    if (!music->playing || music->tracks.empty())
        return;
    bool over = !CHD_IsPlaying(music->sound);
    // Over by the first frame after its start, a track is broken or holds no sound.
    if (over && music->fresh)
        music_internal_drop(music, music->track);
    music->fresh = false;
    if (music->tracks.empty())
        return;
    switch (music->next) {
    case MUSIC_NEXT_NONE:
        music->next_track = music_internal_pick(music);
        music_internal_load(&music->next_sound, music->tracks[music->next_track].c_str(),
                            CHD_MODE_NONBLOCKING);
        music->next = MUSIC_NEXT_OPENING;
        break;
    case MUSIC_NEXT_OPENING:
        music_internal_queue(music);
        break;
    case MUSIC_NEXT_QUEUED:
        if (!over)
            break;
        CHD_SetPaused(music->next_sound, false);
        std::swap(music->sound, music->next_sound);
        music->track = music->next_track;
        music->next = MUSIC_NEXT_NONE;
        music->fresh = true;
        break;
    }
}

void music_stop(s_music* music)
{
    if (!music->playing)
        return;
    CHD_PlayStop(music->sound);
    CHD_PlayStop(music->next_sound);
    music->next = MUSIC_NEXT_NONE;
    music->playing = false;
}

void music_free(s_music* music)
{
    music_stop(music);
    std::vector<std::string>().swap(music->tracks);
}
