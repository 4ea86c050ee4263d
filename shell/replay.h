// Replays: a run's seed, frame times and input written to a small text file as
// it is played, and played back later so the very same game unfolds, with
// checksums of the play state along the way to prove it.
#pragma once

#include <cstdio>
#include <string>

#include "shell/file.h"
#include "shell/types.h"

struct s_game;

constexpr const char* REPLAY_MAGIC =
    "tumbrelix replay";  // first line: the magic, a blank, the version
// A recording in progress is written to its file's name with this added.
constexpr const char* REPLAY_PART_SUFFIX = ".part";

enum {
    REPLAY_VERSION = 1,
    REPLAY_LINE_MAX = 4200,              // bytes of a line; a map path takes up to 4096
    REPLAY_FILE_MAX = 32 * 1024 * 1024,  // bytes of a replay; recording stops short of it
    REPLAY_FRAMES_MAX = 1000000000,      // frames of a replay, 190 days at 60 per second
    REPLAY_CHECK_EVERY_MS = 1000,        // game time between two checksums
    REPLAY_PACE_SLACK_MS = 250,          // a paced playback this late starts counting afresh
    REPLAY_PACE_WAIT_MAX_MS = 1000,      // longest wait of a paced playback for one frame
    REPLAY_WRITE_BUFFER = 64 * 1024,     // bytes buffered before a recording writes
};

// Keys and buttons a replay carries, as bits of s_replay_input.keys, in the
// order of their letters in the file: L M R S B.
enum {
    REPLAY_KEY_LEFT = 1,
    REPLAY_KEY_MIDDLE = 2,
    REPLAY_KEY_RIGHT = 4,
    REPLAY_KEY_SPACE = 8,
    REPLAY_KEY_B = 16,
    REPLAY_KEY_COUNT = 5,
};

enum e_replay_mode {
    REPLAY_OFF = 0,
    REPLAY_RECORD,
    REPLAY_PLAY,
};

// One frame's input as the game reads it.
struct s_replay_input {
    u32 step;        // ms the game clock moves at the frame's start
    f32 frame_time;  // ms the frame's motions are scaled by (the step, capped)
    i32 mouse_dx;    // the frame's mouse motion, summed
    i32 mouse_dy;
    u8 keys;  // REPLAY_KEY_ bits held as the game reads them (Space as left by the last frame)
};

// Where playback stands in the text of a replay.
struct s_replay_cursor {
    size_t at;   // byte offset of the next line
    u32 line;    // number of the next line, from 1
    u32 repeat;  // frames of a run still to come
    u32 frames;  // frames read
    u32 checks;  // checksums read
    u32 step;    // the step of frames that give none
    u8 keys;     // REPLAY_KEY_ bits held after the frames read
    u8 checked;  // a checksum followed the latest frame
    u8 ended;    // the end line was read
};

struct s_replay {
    e_replay_mode mode = REPLAY_OFF;
    std::string path;             // the replay file, named in every message
    std::string map_path;         // the map file or pack folder played, as given
    u64 map_hash = 0;             // of the levels' contents (replay_map_hash)
    u32 seed = 0;                 // what srand was given
    u32 start_ticks = 0;          // the game clock at the frame before play
    f32 sensitivity = 1;          // the mouse sensitivity played with (a "settings" line)
    u32 speed = 100;              // the game speed played at, percent (the same line)
    u32 frames_total = 0;         // playback: the frames the end line counts
    std::string text;             // playback: the whole file
    s_replay_cursor cursor = {};  // playback: the next line to play
    s_file_save save;             // recording: the file growing beside the replay
    size_t written = 0;           // recording: bytes written
    s_replay_input current = {};  // the input of the frame being played or recorded
    s_replay_input last = {};     // recording: the previous frame's input
    u32 idle = 0;                 // recording: frames of a run not yet written
    u32 frame = 0;                // frames recorded or played back
    u32 checks = 0;               // checksums written or matched
    u32 ticks = 0;                // the game clock at the latest frame recorded or played
    u32 second = 0;               // whole seconds of game time at the latest checksum
    u8 live = 0;                  // the current frame is recorded or played back (not paused)
    u8 paced = 0;                 // playback waits for the recorded times, as a watcher expects
    u32 anchor = 0;               // paced playback: wall ms at which game time start_ticks fell
    u8 diverged = 0;              // a checksum differed
    u8 partial = 0;               // playback: the recording was cut short, its end made up
};

// Hash of the levels a run plays: the bytes of the map file, or of every level
// of the pack folder in playing order. 0; or 1 and error naming the file.
int replay_map_hash(const char* map_path, u64* hash, std::string* error);
// Reads a replay from text, named name in messages, and checks all of it. A
// recording cut short, without its end line, is played up to its last checksum.
// 0, the replay ready to play; or 1 and error "NAME:LINE: problem".
int replay_parse(s_replay* replay, const std::string& name, std::string text, std::string* error);
// Reads the replay file at path (replay_parse) and checks that its map is the
// recorded one. 0; or 1 and error naming the file and the problem.
int replay_load(s_replay* replay, const char* path, std::string* error);
// Playback: the next frame's input into input; 1 when every frame is played.
int replay_next_frame(s_replay* replay, s_replay_input* input);
// Playback: when a checksum follows the frame just played, 1 and its value in sum.
int replay_next_check(s_replay* replay, u64* sum);
// Opens path + REPLAY_PART_SUFFIX for recording a run of map_path; an existing
// path must be a replay, which the recording replaces when it ends. 0; or 1 and error.
int replay_record_open(s_replay* replay, const char* path, const char* map_path,
                       std::string* error);
// Writes the header once the game has started with seed. 0; or 1 and error.
int replay_record_start(s_replay* replay, u32 seed, std::string* error);
// Takes the game clock over from the replay once the game has started; paced
// (non-zero) playback keeps to the recorded times.
void replay_play_start(s_replay* replay, u8 paced);
// After the frame's input is read: the frame's time, recorded or played back
// (a paused frame is neither). 1 when playback has run out of frames.
int replay_frame_time(s_replay* replay);
// Just before the frame's logic: its keys and mouse motion, recorded or played back.
void replay_frame_input(s_replay* replay);
// After the frame: a checksum written once a second of game time, or compared.
// 1 when it differs ("replay diverged at frame N" on standard error).
int replay_frame_check(s_replay* replay, s_game* game);
// Checksum of the balls, bonuses, pad, blocks and level switch of a game.
u64 replay_checksum(s_game* game);
// Ends recording (the end line, the file closed) or playback (a line on standard
// output telling how far it went). 0; or 1 when the recording could not be written.
int replay_stop(s_replay* replay);
