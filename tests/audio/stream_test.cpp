// Streams heard through the loopback mixer: OGG, MP3 and tracker modules, restarts, stalls, underruns.
#include "tests/audio/audio_fixture.h"

using namespace audio_test;

namespace {

using Stream = Chord;

// True when no 10 ms window from the given time on is silent.
bool without_gap(const std::vector<i16>& out, double from = 0)
{
    for (double at = from; at_seconds(at + 0.01) <= out.size() / 2; at += 0.01)
        if (rms(out, 2, at, at + 0.01) < 500)
            return false;
    return true;
}

TEST_F(Stream, ogg_mp3_and_tracker_streams_decode_play_at_their_pitch_and_play_again_after_a_stop)
{
    struct {
        const char* name;
        int channels;
        double hz, tolerance;
    } rows[] = {{"tone.ogg", 2, 440, 5}, {"tone.mp3", 1, 440, 5}, {"tune.mod", 0, 259, 8}};
    for (auto row : rows) {
        SCOPED_TRACE(row.name);
        u32 h = 9999;
        if (row.channels) {
            h = tone(row.name, {{2.0, 440}}, 0, 44100, row.channels);
        } else {
            ASSERT_TRUE(write_file(dir.file(row.name), make_mod()));
            EXPECT_EQ(0, CHD_LoadStream(dir.file(row.name).c_str(), 0, &h));
        }
        CHD_PlayStart(h, false);
        std::vector<i16> out = play(1.0);
        EXPECT_NEAR(row.hz, frequency(out, 2, 0.2), row.tolerance);  // past the MP3 encoder's delay
        EXPECT_TRUE(without_gap(out, 0.2));
        CHD_PlayStop(h);
        EXPECT_LT(rms(play(0.2), 2, 0.01), 5);
        CHD_PlayStart(h, false);
        EXPECT_GT(rms(play(0.5), 2, 0.2), 500);
        CHD_PlayStop(h);
    }
    EXPECT_EQ(0u, sound_system_underruns(gl_chord.system));
}

TEST_F(Stream, a_200_ms_stall_of_updates_is_not_heard)
{
    u32 h = tone("long.ogg", {{3.0, 440}});
    CHD_PlayStart(h, false);
    play(0.5);
    EXPECT_TRUE(without_gap(play(0.2, false)));
    EXPECT_TRUE(without_gap(play(0.5)));
    EXPECT_EQ(0u, sound_system_underruns(gl_chord.system));
}

TEST_F(Stream, a_stream_that_ran_dry_is_restarted_by_the_next_update)
{
    u32 h = tone("long.ogg", {{5.0, 440}});
    CHD_PlayStart(h, false);
    play(0.1);
    EXPECT_LT(rms(play(1.5, false), 2, 1.2), 5);
    EXPECT_TRUE(without_gap(play(0.5), 0.03));
    EXPECT_EQ(1u, sound_system_underruns(gl_chord.system));
    EXPECT_TRUE(sound_channel_is_playing(gl_chord.system, gl_chord.slots[h].channel));
}

TEST_F(Stream, ending_an_endless_loop_lets_the_queued_buffers_play_out_then_stops)
{
    u32 h = tone("short.ogg", {{0.3, 440}}, CHD_MODE_LOOP);
    CHD_PlayStart(h, false);
    CHD_SetLoop(h, -1);
    EXPECT_GT(rms(play(1.5), 2, 1.2), 1000);
    CHD_SetLoop(h, 0);
    EXPECT_LT(rms(play(2.0), 2, 1.1), 5);  // up to four buffers (0.74 s) were already queued
}

TEST_F(Stream, starting_a_stream_again_restarts_it_on_one_voice)
{
    u32 h = tone("two.ogg", {{0.5, 440}, {1.0, 880}});
    CHD_PlayStart(h, false);
    play(0.8);
    u32 first = gl_chord.slots[h].channel;
    CHD_PlayStart(h, false);
    EXPECT_FALSE(sound_channel_is_playing(gl_chord.system, first));
    EXPECT_NEAR(440, frequency(play(0.3), 2, 0.05, 0.25), 8);
}

}  // namespace
