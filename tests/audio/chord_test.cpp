// Sound channels heard through the loopback mixer: pitch, pan, pause, loops, voices and handles,
// and the files refused.
#include <thread>

#include "tests/audio/audio_fixture.h"

using namespace audio_test;

namespace {

TEST_F(chord, pitch_follows_the_file_rate_and_set_frequency_without_accumulating)
{
    // Every setting is applied twice: a relative x2 must stay x2, not x4.
    const struct {
        int rate;
        float set;
        bool relative;
        double hz, tolerance;
    } cases[] = {
        {44100, 0, false, 440, 5},     {22050, 0, false, 440, 5},      {44100, 2, true, 880, 10},
        {44100, 22050, false, 220, 4}, {22050, 44100, false, 880, 10},
    };
    for (const auto& c : cases) {
        std::string name = std::to_string(c.rate) + "_" + std::to_string(c.set) + ".wav";
        u32 h = tone(name, {{1.0, 440}}, 0, c.rate);
        CHD_PlayStart(h, false);
        for (int i = 0; i < 2 && c.set; i++)
            CHD_SetFrequency(h, c.set, c.relative);
        s_mix out = play(0.3);
        EXPECT_NEAR(out.hz(0, 0.05), c.hz, c.tolerance) << name;
        EXPECT_GT(out.rms(0, 0.05), 1000) << name;
        CHD_PlayStop(h);
    }
}

TEST_F(chord, pan_moves_a_mono_or_stereo_sound_between_the_sides)
{
    const struct {
        int channels;
        float pan, right;  // the right side's share of the two sides' RMS
    } cases[] = {{1, -1, 0},        {1, 1, 1},        {2, -1, 0}, {2, 1, 1},
                 {2, -0.5f, 0.27f}, {2, 0.5f, 0.73f}, {1, 3, 1},  {1, -3, 0}};
    for (const auto& c : cases) {
        u32 h = tone(std::to_string(c.pan) + "_" + std::to_string(c.channels) + ".wav",
                     {{1.0, 440}}, 0, 44100, c.channels);
        CHD_PlayStart(h, false);
        CHD_SetPan(h, c.pan);
        s_mix out = play(0.2);
        EXPECT_NEAR(out.rms(1, 0.1) / (out.rms(0, 0.1) + out.rms(1, 0.1)), c.right, 0.03)
            << c.channels << " channels at " << c.pan;
        CHD_PlayStop(h);
    }
}

// The music's gain (streams) and the effects' (samples) each scale their own
// sounds alone: at once for a sound playing, from the start for the next. A
// channel's volume (held to 0 to 1) scales on top; a mute silences it and,
// lifted, gives that level back.
TEST_F(chord, music_and_effects_gains_scale_only_their_own_sounds)
{
    const struct {
        const char* name;
        float music, effects, volume;
        bool mute;
        float level;  // the level against the sound at full gains
    } cases[] = {
        {"a.ogg", 0.5f, 1, 1, false, 0.5f},   {"b.ogg", 1, 0, 1, false, 1},
        {"c.ogg", 0, 1, 1, false, 0},         {"d.wav", 1, 0.25f, 1, false, 0.25f},
        {"e.wav", 0, 1, 1, false, 1},         {"f.wav", 1, 0.5f, 2, false, 0.5f},
        {"g.ogg", 1, 1, 0.5f, true, 0.5f},    {"h.wav", 1, 1, -1, false, 0},
        {"i.wav", 1, NAN, 0.5f, false, 0.5f},  // no gain is no change
    };
    for (const auto& c : cases) {
        u32 h = tone(c.name, {{2.0, 440}});
        CHD_SetGain(1, 1);
        CHD_SetGain(0, 1);
        CHD_PlayStart(h, false);
        double full = play(0.2).rms(0, 0.05);
        CHD_SetGain(1, c.music);
        CHD_SetGain(0, c.effects);
        if (strstr(c.name, ".wav")) {  // an effect starts anew; the music plays on
            CHD_PlayStop(h);
            CHD_PlayStart(h, false);
        }
        CHD_SetVolume(h, c.volume);
        CHD_SetMode(h, c.mute);
        EXPECT_NEAR(play(0.2).rms(0, 0.05) / full, c.mute ? 0 : c.level, 0.05) << c.name;
        CHD_SetMode(h, false);
        EXPECT_NEAR(play(0.2).rms(0, 0.05) / full, c.level, 0.05) << c.name;
        CHD_PlayStop(h);
    }
}

TEST_F(chord, pause_silences_and_resume_goes_on_where_it_was_even_from_a_paused_start)
{
    // The last runs on the voice the first freed: a reused voice must not look like an ended
    // sound while it waits to be resumed.
    for (std::string name : {"two.wav", "two.ogg", "again.wav"}) {
        u32 h = tone(name, {{0.25, 440}, {0.25, 880}});
        CHD_PlayStart(h, true);
        EXPECT_LT(play(0.2).rms(0), 5) << name;
        CHD_SetPaused(h, false);
        EXPECT_NEAR(play(0.2).hz(0, 0.02), 440, 5) << name;
        CHD_SetPaused(h, true);
        EXPECT_LT(play(3.0).rms(0, 0.01), 5) << name;  // longer than a stream's queued buffers
        CHD_SetPaused(h, false);
        s_mix out = play(0.4);  // 0.05 s of 440 Hz left, then 0.25 s of 880 Hz
        EXPECT_NEAR(out.hz(0, 0.005, 0.045), 440, 30) << name;
        EXPECT_NEAR(out.hz(0, 0.07, 0.28), 880, 15) << name;
        EXPECT_LT(out.rms(0, 0.32), 5) << name;
    }
    EXPECT_EQ(0u, sound_system_underruns(gl_chord.system));
}

TEST_F(chord, an_endless_loop_keeps_sounding_a_count_adds_that_many_plays_and_mode_zero_ends)
{
    // Whole cycles of 440 Hz in 0.1 s and 0.3 s make seamless loops; silent_from 0: never silent.
    // The count is set on the update of the set_at-th 1024 frames, a stream's queue well ahead.
    const struct {
        const char* name;
        u32 mode;
        int loop;
        double seconds, from, to, silent_from;
        int set_at;
    } cases[] = {
        {"loop -1.wav", CHD_MODE_LOOP, -1, 0.1, 1.3, 1.5, 0, 0},
        {"loop 2.wav", CHD_MODE_LOOP, 2, 0.1, 0.21, 0.29, 0.32, 0},
        {"loop 0.wav", CHD_MODE_LOOP, 0, 0.1, 0.02, 0.09, 0.12, 0},
        {"loop 0.ogg", CHD_MODE_LOOP, 0, 0.1, 0.02, 0.09, 0.12, 0},
        {"loop 2.ogg", CHD_MODE_LOOP, 2, 0.3, 0.65, 0.85, 0.92, 0},    // two rewinds queued
        {"later 1.ogg", CHD_MODE_LOOP, 1, 0.1, 0.32, 0.38, 0.42, 11},  // heard: the third pass
        {"loop -1.ogg", CHD_MODE_LOOP, -1, 0.1, 1.3, 1.5, 0, 0},  // a stream shorter than a buffer
        {"mode 0.wav", 0, 0, 0.1, 0.02, 0.09, 0.12, 0},
        {"mode 0.ogg", 0, 0, 16384 / 44100.0, 0.05, 0.25, 0.4, 0},  // ends on a buffer's end
    };
    for (const auto& c : cases) {
        u32 h = tone(c.name, {{c.seconds, 440}}, c.mode);
        CHD_PlayStart(h, false);
        int chunk = 0;
        s_mix out = play(1.5, true, [&] {
            if (c.mode == CHD_MODE_LOOP && chunk++ == c.set_at)
                CHD_SetLoop(h, c.loop);
        });
        EXPECT_GT(out.rms(0, c.from, c.to), 1000) << c.name;
        EXPECT_NEAR(out.hz(0, c.from, c.to), 440, 8) << c.name;
        EXPECT_EQ(CHD_IsPlaying(h), !c.silent_from) << c.name;
        EXPECT_LT(c.silent_from ? out.rms(0, c.silent_from) : 0, 5) << c.name;
        CHD_PlayStop(h);
    }
    EXPECT_EQ(0u, sound_system_underruns(gl_chord.system));
}

TEST_F(chord, a_refused_file_is_named_and_takes_a_handle_and_empty_handles_do_nothing)
{
    u32 first = tone("first.wav", {{0.1, 440}}), h = 77;
    // Setting up a live system again is refused, and what it holds still plays.
    EXPECT_EQ(1, sound_system_init(gl_chord.system, 100, SOUND_INIT_LOOPBACK));
    CHD_PlayStart(first, false);
    EXPECT_GT(play(0.15).rms(2, 0, 0.05), 1000);
    ASSERT_TRUE(write_tone(dir.file("three.wav"), WAV, 44100, 3, {{0.1, 440}}) &&
                write_file(dir.file("text.wav"), "this is not a sound") &&
                write_file(dir.file("empty.wav"), "") &&
                write_file(dir.file("text.mod"), "this is not a sound") &&
                write_file(dir.file("empty.xm"), ""));
    for (std::string name :
         {"three.wav", "text.wav", "empty.wav", "missing.wav", "text.mod", "empty.xm"})
        for (auto load : {CHD_LoadSound, CHD_LoadStream}) {
            EXPECT_EQ(1, load(dir.file(name).c_str(), 0, &h)) << name;
            std::string error = sound_system_error(gl_chord.system);
            EXPECT_NE(error.find(dir.file(name)), std::string::npos) << error;
            EXPECT_TRUE(name != "three.wav" || error.find("3 channels") != std::string::npos);
        }
    // A name of 4095 bytes is tried (and missing); one more is refused unread.
    for (size_t length : {4095, 4096}) {
        EXPECT_EQ(1, CHD_LoadStream(std::string(length, 'x').c_str(), 0, &h));
        EXPECT_EQ(length > 4095, !!strstr(sound_system_error(gl_chord.system), "over 4095 bytes"));
    }
    u32 last = tone("last.wav", {{0.1, 440}});
    EXPECT_STREQ("", sound_system_error(gl_chord.system));  // a load that works clears it
    EXPECT_EQ((std::vector<u32>{first, h, last}), (std::vector<u32>{0, 14, 15}));
    // An empty slot, a slot never started and a handle never given out.
    for (u32 e : {h, last, 12345u}) {
        CHD_SetPaused(e, false);
        CHD_SetFrequency(e, 2, true);
        CHD_PlayStop(e);
        EXPECT_FALSE(CHD_IsPlaying(e)) << e;
    }
    CHD_PlayStart(h, false);
    CHD_PlayStart(12345, false);
    EXPECT_FALSE(CHD_IsPlaying(h));
    EXPECT_LT(play(0.1).rms(2), 1);
    // A sample of the cap's size exactly loads; a frame more must be streamed.
    for (int more : {0, 1}) {
        ASSERT_TRUE(write_tone(dir.file("cap.wav"), WAV, 8192, 2, {{1024 + more / 8192.0, 0}}));
        EXPECT_EQ(more, CHD_LoadSound(dir.file("cap.wav").c_str(), 0, &h));
    }
    // A table made after a stop knows no channel of the old one.
    CHD_PlayStart(last, false);  // on the first voice
    CHD_Stop();
    ASSERT_EQ(0, CHD_Init(100, SOUND_INIT_LOOPBACK));
    for (u32 i = 0; i <= CHD_GROWTH; i++)  // the table grows once
        EXPECT_EQ(0, CHD_LoadSound(dir.file("first.wav").c_str(), 0, &h));
    CHD_PlayStart(0, false);  // on the first voice again
    EXPECT_FALSE(CHD_IsPlaying(last) || CHD_IsPlaying(CHD_GROWTH));
    // Once stopped, and before any start, every call does nothing.
    CHD_Stop();
    h = 5;
    EXPECT_EQ(1, CHD_LoadSound(dir.file("first.wav").c_str(), 0, &h));
    EXPECT_EQ(0u, h);
    CHD_PlayStart(h, false);
    CHD_SetFrequency(h, 2, true);
    CHD_Loop();
    CHD_Stop();
    EXPECT_EQ(nullptr, gl_chord.slots);
}

// Without a sound card the mix follows the clock, a stall catching up a quarter second at most.
TEST_F(chord, a_loopback_without_a_card_mixes_by_the_clock_and_skips_a_stall)
{
    ASSERT_EQ(0, CHD_Init(100, 0));  // the fixture's drivers open no device
    u32 h = tone("clock.wav", {{0.6, 440}});
    CHD_PlayStart(h, false);
    for (bool playing : {true, true, false}) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        CHD_Loop();
        EXPECT_EQ(playing, CHD_IsPlaying(h));
    }
}

TEST_F(chord, ended_voices_are_reclaimed_so_the_channels_asked_for_serve_many_more_starts)
{
    for (auto [asked, voices] : {std::pair{100, 100}, {0, 1}, {300, 255}}) {
        ASSERT_EQ(0, CHD_Init(asked, SOUND_INIT_LOOPBACK));
        u32 h = tone("short.wav", {{0.01, 440}});
        for (int round = 0; round < 5; round++) {
            for (int i = 0; i < voices; i++) {
                CHD_PlayStart(h, false);
                EXPECT_TRUE(CHD_IsPlaying(h)) << asked;
            }
            CHD_PlayStart(h, false);  // one more of the same instant: none free
            EXPECT_FALSE(CHD_IsPlaying(h)) << asked;
            play(0.05);
        }
    }
}

}  // namespace
