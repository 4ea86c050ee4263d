// The replay text shared by its reader and its writer: what a body line is and
// the letters of the keys. Only the replay's own files include this.
#pragma once

#include <string>

#include "shell/replay.h"

constexpr char REPLAY_KEY_LETTERS[] = "LMRSB";  // by bit, REPLAY_KEY_LEFT first

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

// Reads a line of the body after the header into item, keeping the cursor's
// tally. 0, or 1 and problem (about the cursor's line).
int replay_read_item(const std::string& text, s_replay_cursor* cursor, s_replay_item* item,
                     std::string* problem);
// Writes one line; lines are short, so the byte count may pass the cap by one line at most.
void replay_write_line(s_replay* replay, const char* line);
// Writes the run of frames without input waiting to be written.
void replay_write_run(s_replay* replay);
// Writes the end line and closes the file. 0, or 1 with the message written.
int replay_write_end(s_replay* replay);
// Writes the frame's line: what differs from the frame before, a run of
// frames without any input kept back to be written as one line.
void replay_write_frame(s_replay* replay, const s_replay_input* input);
