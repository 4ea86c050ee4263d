// Streams heard through the loopback mixer: OGG, MP3 and tracker modules, stalls, underruns, one-shot ends.
#include "tests/audio/audio_fixture.h"

using namespace audio_test;

namespace {

struct Stream : Chord {
    u32 open(const std::string& name, u32 mode = 0)
    {
        u32 handle = 9999;
        EXPECT_EQ(0, CHD_LoadStream((dir / name).c_str(), mode, &handle)) << sound_system_error(gl_chord.system);
        return handle;
    }
    // True when no 10 ms window of [from, to) is silent.
    static bool without_gap(const std::vector<i16>& out, size_t from, size_t to)
    {
        for (size_t at = from; at + 441 <= to; at += 441)
            if (rms(out, 2, at, at + 441) < 500)
                return false;
        return true;
    }
};

TEST_F(Stream, an_ogg_stream_decodes_and_plays_at_its_pitch)
{
    ASSERT_TRUE(write_tone(dir / "tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, {{2.0, 440}}));
    u32 h = open("tone.ogg");
    CHD_PlayStart(h, false);
    EXPECT_FLOAT_EQ(44100.0f, gl_chord.slots[h].frequency);
    std::vector<i16> out = play(1.0);
    EXPECT_NEAR(440, frequency(out, 2, at_seconds(0.1)), 5);
    EXPECT_TRUE(without_gap(out, at_seconds(0.05), out.size() / 2));
    EXPECT_EQ(0u, sound_system_underruns(gl_chord.system));
}

TEST_F(Stream, an_mp3_stream_decodes_and_plays_at_its_pitch)
{
    ASSERT_TRUE(write_tone(dir / "tone.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 1, {{2.0, 440}}));
    u32 h = open("tone.mp3");
    CHD_PlayStart(h, false);
    std::vector<i16> out = play(1.0);
    EXPECT_NEAR(440, frequency(out, 2, at_seconds(0.2)), 5);
    EXPECT_GT(rms(out, 0, at_seconds(0.2)), 1000);
}

TEST_F(Stream, a_tracker_module_written_by_hand_plays_its_note)
{
    ASSERT_TRUE(write_file(dir / "tune.mod", make_mod()));
    u32 h = open("tune.mod");
    CHD_PlayStart(h, false);
    std::vector<i16> out = play(1.0);
    EXPECT_GT(rms(out, 2, at_seconds(0.1)), 500);
    EXPECT_NEAR(259, frequency(out, 2, at_seconds(0.1)), 8);
}

TEST_F(Stream, a_module_stopped_and_started_again_plays_from_its_start)
{
    ASSERT_TRUE(write_file(dir / "tune.mod", make_mod()));
    u32 h = open("tune.mod");
    CHD_PlayStart(h, false);
    play(0.5);
    CHD_PlayStop(h);
    EXPECT_LT(rms(play(0.2), 2, at_seconds(0.01)), 5);
    CHD_PlayStart(h, false);
    EXPECT_GT(rms(play(0.5), 2, at_seconds(0.1)), 500);
}

TEST_F(Stream, a_200_ms_stall_of_updates_is_not_heard)
{
    ASSERT_TRUE(write_tone(dir / "long.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{3.0, 440}}));
    u32 h = open("long.ogg");
    CHD_PlayStart(h, false);
    std::vector<i16> before = play(0.5);
    std::vector<i16> stall = play(0.2, false);
    std::vector<i16> after = play(0.5);
    EXPECT_TRUE(without_gap(stall, 0, stall.size() / 2));
    EXPECT_TRUE(without_gap(after, 0, after.size() / 2));
    EXPECT_EQ(0u, sound_system_underruns(gl_chord.system));
}

TEST_F(Stream, a_stream_that_ran_dry_is_restarted_by_the_next_update)
{
    ASSERT_TRUE(write_tone(dir / "long.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{5.0, 440}}));
    u32 h = open("long.ogg");
    CHD_PlayStart(h, false);
    play(0.1);
    std::vector<i16> dry = play(1.5, false);
    EXPECT_LT(rms(dry, 2, at_seconds(1.2)), 5);
    std::vector<i16> after = play(0.5);
    EXPECT_EQ(1u, sound_system_underruns(gl_chord.system));
    EXPECT_TRUE(without_gap(after, at_seconds(0.03), after.size() / 2));
    EXPECT_TRUE(sound_channel_is_playing(gl_chord.system, gl_chord.slots[h].channel));
}

TEST_F(Stream, a_mode_zero_stream_plays_once_and_frees_its_channel)
{
    ASSERT_TRUE(write_tone(dir / "short.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{0.3, 440}}));
    u32 h = open("short.ogg");
    CHD_PlayStart(h, false);
    std::vector<i16> out = play(1.0);
    EXPECT_GT(rms(out, 2, at_seconds(0.05), at_seconds(0.25)), 1000);
    EXPECT_LT(rms(out, 2, at_seconds(0.4)), 5);
    EXPECT_FALSE(sound_channel_is_playing(gl_chord.system, gl_chord.slots[h].channel));
    EXPECT_EQ(0u, sound_system_underruns(gl_chord.system));
}

TEST_F(Stream, an_endless_loop_keeps_a_stream_going_past_its_end)
{
    ASSERT_TRUE(write_tone(dir / "short.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{0.3, 440}}));
    u32 h = open("short.ogg", CHD_MODE_LOOP);
    CHD_PlayStart(h, false);
    std::vector<i16> out = play(1.5);
    EXPECT_GT(rms(out, 2, at_seconds(1.2)), 1000);
    // What is already queued (up to four buffers, 0.74 s) still plays, then the current pass ends.
    CHD_SetLoop(h, 0);
    out = play(2.0);
    EXPECT_LT(rms(out, 2, at_seconds(1.1)), 5);
}

TEST_F(Stream, starting_a_stream_again_restarts_it_on_one_voice)
{
    ASSERT_TRUE(write_tone(dir / "two.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{0.5, 440}, {1.0, 880}}));
    u32 h = open("two.ogg");
    CHD_PlayStart(h, false);
    play(0.8);
    u32 first = gl_chord.slots[h].channel;
    CHD_PlayStart(h, false);
    EXPECT_FALSE(sound_channel_is_playing(gl_chord.system, first));
    std::vector<i16> out = play(0.3);
    EXPECT_NEAR(440, frequency(out, 2, at_seconds(0.05), at_seconds(0.25)), 8);
}

TEST_F(Stream, pause_holds_a_stream_and_resume_continues_it)
{
    ASSERT_TRUE(write_tone(dir / "long.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{2.0, 440}}));
    u32 h = open("long.ogg");
    CHD_PlayStart(h, false);
    play(0.3);
    CHD_SetPaused(h, true);
    EXPECT_LT(rms(play(3.0), 2, at_seconds(0.02)), 5);
    CHD_SetPaused(h, false);
    std::vector<i16> out = play(0.5);
    EXPECT_TRUE(without_gap(out, at_seconds(0.02), out.size() / 2));
    EXPECT_EQ(0u, sound_system_underruns(gl_chord.system));
}

} // namespace
