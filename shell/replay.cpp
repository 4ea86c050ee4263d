// Replays. Play is a pure function of the seed, each frame's duration and each
// frame's input, so those are all a replay holds; the checksums only witness
// that playback still follows the recorded game. This file holds the replay's
// steps in the game loop; replay_read and replay_write the text, replay_hash
// the hashes.
#include "shell/replay.h"

#include <cerrno>
#include <cstring>

#include "shell/game.h"
#include "shell/replay_format.h"
#include "shell/vertex.h"

constexpr int REPLAY_KEY_INDEX[REPLAY_KEY_COUNT] = {VTX_MOUSE_LEFT, VTX_MOUSE_MIDDLE,
                                                    VTX_MOUSE_RIGHT, VTX_KEY_SPACE, VTX_KEY_B};

int replay_load(s_replay* replay, const char* path, std::string* error)
{
    std::string text;
    if (file_read(path, REPLAY_FILE_MAX, &text, error) ||
        replay_parse(replay, path, std::move(text), error))
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
        if (cursor->ended || replay_read_item(replay->text, cursor, &item, &problem))
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
    if (replay_read_item(replay->text, &ahead, &item, &problem) || item.kind != REPLAY_ITEM_CHECK)
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
    // Played slower than full speed, the game's time ran behind the wall's.
    u32 wall_ms = (u32)((u64)game_ms * 100 / (replay->speed ? replay->speed : 100));
    i32 lead = (i32)(replay->anchor + wall_ms - gl_vertex.wall_ticks);
    if (lead < -REPLAY_PACE_SLACK_MS || lead > REPLAY_PACE_WAIT_MAX_MS)
        replay->anchor = gl_vertex.wall_ticks - wall_ms;
    else if (lead > 0)
        VTX_Delay((u32)lead);
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
            replay_write_end(replay);
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
        replay_write_frame(replay, input);
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
        replay_write_run(replay);
        char line[32];
        snprintf(line, sizeof line, "c %016llx", (unsigned long long)replay_checksum(game));
        replay_write_line(replay, line);
        replay->checks++;
        // Each whole second reaches the file: a recording cut short by a crash
        // or a kill plays back that far.
        fflush(replay->save.file);
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
        return replay_write_end(replay);
    // Opened for a game that never started: nothing was recorded, and only the
    // file the recording made goes.
    if (replay->save.file)
        file_save_close(&replay->save, 1);
    if (replay->mode == REPLAY_PLAY && !replay->diverged) {
        if (replay->frame == replay->frames_total)
            printf("%s: %u frames played back, %u checksums matched%s\n", replay->path.c_str(),
                   replay->frame, replay->checks,
                   replay->partial ? " (a recording cut short: played to its last checksum)" : "");
        else
            printf("%s: stopped at frame %u of %u\n", replay->path.c_str(), replay->frame,
                   replay->frames_total);
        fflush(stdout);
    }
    replay->mode = REPLAY_OFF;
    return 0;
}
