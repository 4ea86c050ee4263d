// Reading replays: the frames playback meets, and the one line a damaged or
// foreign file gets, naming its line.
#include "shell/replay.h"

#include <gtest/gtest.h>

namespace {

const std::string HEADER =
    "tumbrelix replay 1\nmap levels/default.map\nhash 6ce1317744a66d94\nseed 1\nticks 1010\n";

// A whole recording, then the same cut short at every byte after its checksum,
// as a killed game leaves it: that plays up to the checksum, its last second.
TEST(ReplayRead, playback_meets_each_frame_as_written_with_its_checksum)
{
    const std::string body = HEADER + "t10 x5 +L\r\n* 2\nf4.5 -L +S\nc 00000000000000fF\n",
                      tail = "t0 y-3 +R\nend 5 1\n";
    for (size_t cut = 0; cut < tail.size(); cut++) {
        s_replay replay;
        std::string error;
        ASSERT_EQ(replay_parse(&replay, "r", body + tail.substr(0, cut), &error), 0) << error;
        EXPECT_TRUE(replay.partial && replay.frames_total == 4u) << cut;
    }
    s_replay replay;
    std::string error;
    ASSERT_EQ(replay_parse(&replay, "r", body + tail, &error), 0) << error;
    EXPECT_EQ(replay.seed, 1u);
    EXPECT_EQ(replay.start_ticks, 1010u);
    EXPECT_TRUE(replay.sensitivity == 1 && replay.speed == 100u)
        << "no settings line: the defaults";
    const struct {
        u32 step;
        f32 frame_time;
        i32 dx, dy;
        u8 keys;
        int checked;
    } frames[] = {
        {10, 10, 5, 0, REPLAY_KEY_LEFT, 0},
        {10, 10, 0, 0, REPLAY_KEY_LEFT, 0},
        {10, 10, 0, 0, REPLAY_KEY_LEFT, 0},
        {10, 4.5f, 0, 0, REPLAY_KEY_SPACE, 1},
        {0, 0, 0, -3, REPLAY_KEY_SPACE | REPLAY_KEY_RIGHT, 0},
    };
    for (const auto& row : frames) {
        s_replay_input got;
        u64 sum = 0;
        ASSERT_EQ(replay_next_frame(&replay, &got), 0);
        EXPECT_EQ(got.step, row.step);
        EXPECT_EQ(got.frame_time, row.frame_time);
        EXPECT_EQ(got.mouse_dx, row.dx);
        EXPECT_EQ(got.mouse_dy, row.dy);
        EXPECT_EQ(got.keys, row.keys);
        EXPECT_EQ(replay_next_check(&replay, &sum), row.checked);
        EXPECT_EQ(sum, row.checked ? 0xFFu : 0u);
    }
    s_replay_input after;
    EXPECT_EQ(replay_next_frame(&replay, &after), 1) << "the end line ends playback";
    ASSERT_EQ(replay_parse(&replay, "r",
                           HEADER + "settings mouse_sensitivity=2.5 game_speed=60\nx1\nend 1 0\n",
                           &error),
              0)
        << error;
    EXPECT_TRUE(replay.sensitivity == 2.5f && replay.speed == 60u);
}

TEST(ReplayRead, a_damaged_or_foreign_file_is_refused_naming_its_line)
{
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"", "r:1: empty file"},
        {"\x89PNG\r\n", "r:1: not a Tumbrelix replay (its first line is not 'tumbrelix replay 1')"},
        {"tumbrelix replay 2\n", "r:1: version '2'; this game plays version 1"},
        {"tumbrelix replay 1\nmap a.map\n", "r:3: the file ends before its 'hash' line"},
        {"tumbrelix replay 1\nmap a.map\nhash 12\n",
         "r:3: the map's hash is not 16 hexadecimal digits"},
        {HEADER.substr(0, HEADER.find("seed")) + "seed 4294967296\n",
         "r:4: seed: expected a whole number from 0 to 4294967295"},
        {HEADER + "t10 q1\n", "r:6: unknown field 'q1'"},
        {HEADER + "t10 t10\n", "r:6: field t given twice"},
        {HEADER + "t-1\n", "r:6: field t: expected a whole number from 0 to 4294967295, got 't-1'"},
        {HEADER + "x2147483648\n", "r:6: field x: expected a whole number from -2147483648 to "
                                   "2147483647, got 'x2147483648'"},
        {HEADER + "fnan\n", "r:6: field f: expected milliseconds from 0 to 1000000, got 'fnan'"},
        {HEADER + "+Q\n", "r:6: unknown key '+Q' (keys: L M R S B)"},
        {HEADER + "-L\n", "r:6: releases L, which is not held"},
        {HEADER + "+L\n+L\n", "r:7: presses L, which is already held"},
        {HEADER + "+S -S\n", "r:6: key S changes twice in one frame"},
        {HEADER + "\n", "r:6: empty line (a frame without input is '* 1')"},
        {HEADER + "* 0\n", "r:6: expected '*' and a number of frames from 1 to 1000000000"},
        {HEADER + "* 999999999\n* 2\n", "r:7: more than 1000000000 frames"},
        {HEADER + "c 0000000000000001\n", "r:6: a checksum before the first frame"},
        {HEADER + "x1\nc 0000000000000001\nc 0000000000000001\n",
         "r:8: a second checksum after one frame"},
        {HEADER + "x1\nc 00000000000001\n", "r:7: expected 'c' and 16 hexadecimal digits"},
        {HEADER + "x1\nend 2 0\n",
         "r:7: the end line counts 2 frames and 0 checksums, but 1 and 0 came before it"},
        {HEADER + "x1\n", "r:7: the end line is missing: the file is cut short"},
        {HEADER + "settings game_speed=40\n",
         "r:6: settings: expected mouse_sensitivity=0.25 to 4 and game_speed=50 to 100, got "
         "'game_speed=40'"},
        {HEADER + "settings volume=3\n",
         "r:6: settings: expected mouse_sensitivity=0.25 to 4 and game_speed=50 to 100, got "
         "'volume=3'"},
        {HEADER + "x1", "r:6: the last line has no line end: the file is cut short"},
        {HEADER + "x1\nend 1 0\nx1\n", "r:8: text after the end line"},
        {HEADER + std::string("x1\0\n", 4), "r:6: control character (byte 0x00)"},
        {HEADER + std::string(5000, 'x') + "\n", "r:6: line longer than 4200 bytes"},
        {std::string(REPLAY_FILE_MAX + 1, 'x'), "r: larger than 32 MiB"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.text.substr(0, 120));
        s_replay replay;
        std::string error;
        EXPECT_EQ(replay_parse(&replay, "r", row.text, &error), 1);
        EXPECT_EQ(error, row.error);
    }
}

// The map's path goes into one line of the text: what that line cannot hold
// is refused before any file is made; the rest goes on to the file checks.
TEST(ReplayRecord, a_map_path_no_line_can_hold_is_refused_first)
{
    const size_t longest = REPLAY_LINE_MAX - 4;
    const struct {
        std::string map;
        bool refused;
    } cases[] = {{"", true},
                 {"a\tb.map", true},
                 {"a\x7f.map", true},
                 {"a\x1f.map", true},
                 {"caf\xc3\xa9.map", false},
                 {" ~", false},
                 {std::string(longest, 'm'), false},
                 {std::string(longest + 1, 'm'), true}};
    for (const auto& row : cases) {
        s_replay replay;
        std::string error;
        EXPECT_EQ(replay_record_open(&replay, "/nonexistent/r", row.map.c_str(), &error), 1);
        EXPECT_EQ(error.find("/nonexistent/r: cannot record a map path") == 0, row.refused)
            << row.map.size() << " " << error;
    }
}

}  // namespace
