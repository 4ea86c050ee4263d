// Sound channels heard through the loopback mixer: pitch, volume, pan, mute, pause, loops, handles.
#include "tests/audio/audio_fixture.h"

using namespace audio_test;

namespace {

struct ChordSound : Chord {
    u32 load(const std::string& name, int rate, double seconds, double hz, u32 mode = 0, int channels = 1)
    {
        EXPECT_TRUE(write_wav(dir / name, rate, seconds, hz, channels));
        u32 handle = 9999;
        EXPECT_EQ(0, CHD_LoadSound((dir / name).c_str(), mode, &handle));
        return handle;
    }
};

TEST_F(ChordSound, a_440_hz_wav_plays_at_440_hz)
{
    u32 h = load("tone.wav", 44100, 1.0, 440);
    CHD_PlayStart(h, false);
    EXPECT_FLOAT_EQ(44100.0f, gl_chord.slots[h].frequency);
    std::vector<i16> out = play(0.5);
    EXPECT_NEAR(440, frequency(out, 0, at_seconds(0.05)), 5);
    EXPECT_GT(rms(out, 0, at_seconds(0.05)), 1000);
}

TEST_F(ChordSound, a_22050_hz_file_plays_at_its_own_pitch)
{
    u32 h = load("low.wav", 22050, 1.0, 440);
    CHD_PlayStart(h, false);
    EXPECT_FLOAT_EQ(22050.0f, gl_chord.slots[h].frequency);
    EXPECT_NEAR(440, frequency(play(0.5), 0, at_seconds(0.05)), 5);
}

TEST_F(ChordSound, relative_frequency_is_a_multiple_of_the_start_frequency_and_does_not_accumulate)
{
    u32 h = load("tone.wav", 44100, 1.0, 440);
    CHD_PlayStart(h, false);
    CHD_SetFrequency(h, 2, true);
    CHD_SetFrequency(h, 2, true);
    EXPECT_NEAR(880, frequency(play(0.3), 0, at_seconds(0.05)), 10);
}

TEST_F(ChordSound, absolute_frequency_is_set_in_hz_whatever_the_file_rate)
{
    u32 full = load("tone.wav", 44100, 1.0, 440);
    CHD_PlayStart(full, false);
    CHD_SetFrequency(full, 22050, false);
    EXPECT_NEAR(220, frequency(play(0.5), 0, at_seconds(0.05)), 4);
    CHD_PlayStop(full);

    u32 half = load("low.wav", 22050, 1.0, 440);
    CHD_PlayStart(half, false);
    CHD_SetFrequency(half, 44100, false);
    EXPECT_NEAR(880, frequency(play(0.3), 0, at_seconds(0.05)), 10);
}

TEST_F(ChordSound, a_zero_or_negative_frequency_is_clamped_and_the_sound_still_ends)
{
    u32 h = load("short.wav", 44100, 0.01, 440);
    CHD_PlayStart(h, false);
    CHD_SetFrequency(h, 0, false);
    u32 channel = gl_chord.slots[h].channel;
    EXPECT_TRUE(sound_channel_is_playing(gl_chord.system, channel));
    EXPECT_GT(sound_channel_get_frequency(gl_chord.system, channel), 0);
    CHD_SetFrequency(h, -5, false);
    EXPECT_GT(sound_channel_get_frequency(gl_chord.system, channel), 0);
    CHD_SetFrequency(h, 4410, false); // a tenth of the rate: 0.1 s
    play(0.2);
    EXPECT_FALSE(sound_channel_is_playing(gl_chord.system, channel));
}

TEST_F(ChordSound, half_volume_halves_the_amplitude)
{
    u32 h = load("tone.wav", 44100, 1.0, 440);
    CHD_PlayStart(h, false);
    double full = rms(play(0.2), 0, at_seconds(0.05));
    CHD_SetVolume(h, 0.5f);
    std::vector<i16> out = play(0.3);
    EXPECT_NEAR(0.5, rms(out, 0, at_seconds(0.1)) / full, 0.03);
}

TEST_F(ChordSound, pan_to_either_side_puts_a_mono_sound_in_one_channel)
{
    u32 h = load("tone.wav", 44100, 1.0, 440);
    CHD_PlayStart(h, false);
    std::vector<i16> centre = play(0.1);
    EXPECT_NEAR(1.0, rms(centre, 0, at_seconds(0.02)) / rms(centre, 1, at_seconds(0.02)), 0.05);
    CHD_SetPan(h, -1);
    std::vector<i16> left = play(0.2);
    EXPECT_LT(rms(left, 1, at_seconds(0.1)), 0.05 * rms(left, 0, at_seconds(0.1)));
    CHD_SetPan(h, 1);
    std::vector<i16> right = play(0.2);
    EXPECT_LT(rms(right, 0, at_seconds(0.1)), 0.05 * rms(right, 1, at_seconds(0.1)));
}

TEST_F(ChordSound, pan_of_a_stereo_sound_moves_both_channels_to_one_side)
{
    u32 h = load("stereo.wav", 44100, 1.0, 440, 0, 2);
    CHD_PlayStart(h, false);
    CHD_SetPan(h, 1);
    std::vector<i16> right = play(0.2);
    EXPECT_LT(rms(right, 0, at_seconds(0.1)), 0.05 * rms(right, 1, at_seconds(0.1)));
    EXPECT_GT(rms(right, 1, at_seconds(0.1)), 1000);
}

TEST_F(ChordSound, mute_silences_and_unmute_restores_the_volume)
{
    u32 h = load("tone.wav", 44100, 1.0, 440);
    CHD_PlayStart(h, false);
    CHD_SetVolume(h, 0.5f);
    double half = rms(play(0.2), 0, at_seconds(0.1));
    CHD_SetMode(h, true);
    EXPECT_LT(rms(play(0.1), 0, at_seconds(0.05)), 5);
    CHD_SetMode(h, false);
    EXPECT_NEAR(1.0, rms(play(0.2), 0, at_seconds(0.1)) / half, 0.03);
}

TEST_F(ChordSound, pause_silences_and_resume_goes_on_where_it_was)
{
    // 0.25 s at 440 Hz, then 0.25 s at 880 Hz.
    ASSERT_TRUE(write_tone(dir / "two.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, {{0.25, 440}, {0.25, 880}}));
    u32 h;
    ASSERT_EQ(0, CHD_LoadSound((dir / "two.wav").c_str(), 0, &h));
    CHD_PlayStart(h, false);
    play(0.2);
    CHD_SetPaused(h, true);
    EXPECT_LT(rms(play(1.0), 0, at_seconds(0.01)), 5);
    CHD_SetPaused(h, false);
    std::vector<i16> out = play(0.2);
    EXPECT_NEAR(440, frequency(out, 0, at_seconds(0.005), at_seconds(0.045)), 30);
    EXPECT_NEAR(880, frequency(out, 0, at_seconds(0.07), at_seconds(0.28)), 15);
    EXPECT_LT(rms(out, 0, at_seconds(0.32)), 5);
}

TEST_F(ChordSound, a_sound_started_paused_waits_for_resume)
{
    u32 h = load("tone.wav", 44100, 1.0, 440);
    CHD_PlayStart(h, true);
    EXPECT_LT(rms(play(0.2), 0), 5);
    CHD_SetPaused(h, false);
    EXPECT_NEAR(440, frequency(play(0.3), 0, at_seconds(0.02)), 5);
}

TEST_F(ChordSound, mode_two_with_endless_loop_sounds_after_several_lengths_and_mode_zero_ends)
{
    // 0.1 s holds 44 whole cycles, so the loop is seamless.
    u32 looped = load("loop.wav", 44100, 0.1, 440, CHD_MODE_LOOP);
    CHD_PlayStart(looped, false);
    CHD_SetLoop(looped, -1);
    std::vector<i16> out = play(0.6);
    EXPECT_GT(rms(out, 0, at_seconds(0.5)), 1000);
    EXPECT_NEAR(440, frequency(out, 0, at_seconds(0.45)), 8);
    CHD_PlayStop(looped);

    u32 once = load("once.wav", 44100, 0.1, 440, 0);
    CHD_PlayStart(once, false);
    out = play(0.4);
    EXPECT_GT(rms(out, 0, 0, at_seconds(0.09)), 1000);
    EXPECT_LT(rms(out, 0, at_seconds(0.12)), 5);
}

TEST_F(ChordSound, a_finite_loop_count_plays_that_many_more_times)
{
    u32 h = load("loop.wav", 44100, 0.1, 440, CHD_MODE_LOOP);
    CHD_PlayStart(h, false);
    CHD_SetLoop(h, 2);
    std::vector<i16> out = play(0.6);
    EXPECT_GT(rms(out, 0, at_seconds(0.21), at_seconds(0.29)), 1000);
    EXPECT_LT(rms(out, 0, at_seconds(0.32)), 5);
}

TEST_F(ChordSound, starting_twice_sounds_twice_and_stop_ends_only_the_newest_voice)
{
    u32 h = load("tone.wav", 44100, 1.0, 440);
    CHD_PlayStart(h, false);
    double one = rms(play(0.1), 0, at_seconds(0.05));
    CHD_PlayStop(h);
    CHD_PlayStart(h, false);
    CHD_PlayStart(h, false); // same instant, same phase: twice the amplitude
    EXPECT_NEAR(2.0, rms(play(0.1), 0, at_seconds(0.05)) / one, 0.05);
    CHD_PlayStop(h);
    CHD_PlayStop(h);
    EXPECT_NEAR(1.0, rms(play(0.1), 0, at_seconds(0.05)) / one, 0.05);

    CHD_SetFrequency(h, 0.5f, true); // the stopped channel is stale: no effect on the first voice
    EXPECT_NEAR(440, frequency(play(0.3), 0, at_seconds(0.02)), 5);
}

TEST_F(ChordSound, handles_are_given_in_load_order_and_a_failed_load_still_takes_one)
{
    u32 a = load("a.wav", 44100, 0.1, 440);
    u32 missing = 77;
    EXPECT_EQ(1, CHD_LoadSound((dir / "missing.wav").c_str(), 0, &missing));
    EXPECT_NE(std::string::npos, std::string(sound_system_error(gl_chord.system)).find("missing.wav"));
    u32 c = load("c.wav", 44100, 0.1, 440);
    EXPECT_EQ(0u, a);
    EXPECT_EQ(1u, missing);
    EXPECT_EQ(2u, c);
    EXPECT_EQ(nullptr, gl_chord.slots[missing].sound);

    // Every call on the empty slot, on a slot never started, and on a handle never given out is silent.
    for (u32 h : {missing, c, 12345u}) {
        CHD_SetVolume(h, 1);
        CHD_SetPan(h, 1);
        CHD_SetMode(h, true);
        CHD_SetPaused(h, false);
        CHD_SetLoop(h, -1);
        CHD_SetFrequency(h, 2, true);
        CHD_PlayStop(h);
    }
    CHD_PlayStart(missing, false);
    CHD_PlayStart(12345, false);
    CHD_SetVolume(missing, 1);
    EXPECT_EQ(0u, gl_chord.slots[missing].channel);
    EXPECT_LT(rms(play(0.1), 2), 1);
}

TEST_F(ChordSound, files_the_mixer_cannot_play_are_refused_with_a_message_naming_them)
{
    ASSERT_TRUE(write_wav(dir / "three.wav", 44100, 0.1, 440, 3));
    ASSERT_TRUE(write_file(dir / "text.wav", "this is not a sound"));
    ASSERT_TRUE(write_file(dir / "empty.wav", ""));
    for (const char* name : {"three.wav", "text.wav", "empty.wav"}) {
        u32 h;
        EXPECT_EQ(1, CHD_LoadSound((dir / name).c_str(), 0, &h)) << name;
        EXPECT_NE(std::string::npos, std::string(sound_system_error(gl_chord.system)).find(dir / name)) << name;
        if (std::string(name) == "three.wav") {
            EXPECT_NE(std::string::npos, std::string(sound_system_error(gl_chord.system)).find("3 channels"));
        }
        EXPECT_EQ(1, CHD_LoadStream((dir / name).c_str(), 0, &h)) << name;
    }
}

struct Released {
    std::vector<const s_sound*> order;
};

static void record_release(const s_sound* sound, void* user)
{
    ((Released*)user)->order.push_back(sound);
}

TEST_F(ChordSound, sixty_five_loads_grow_the_table_twice_and_stop_releases_them_last_first)
{
    ASSERT_TRUE(write_wav(dir / "t.wav", 44100, 0.01, 440));
    for (u32 i = 0; i < 65; i++) {
        u32 h;
        ASSERT_EQ(0, CHD_LoadSound((dir / "t.wav").c_str(), 0, &h));
        ASSERT_EQ(i, h);
        EXPECT_EQ(i < 64 ? 64u : 128u, gl_chord.capacity);
    }
    std::vector<const s_sound*> expected;
    for (u32 i = 65; i-- > 0;)
        expected.push_back(gl_chord.slots[i].sound);
    Released released;
    sound_system_set_release_hook(gl_chord.system, record_release, &released);
    CHD_Stop();
    EXPECT_EQ(expected, released.order);
    EXPECT_EQ(0u, gl_chord.count);
    EXPECT_EQ(nullptr, gl_chord.system);
    EXPECT_EQ(nullptr, gl_chord.slots);
}

TEST_F(ChordSound, ended_voices_are_reclaimed_so_a_hundred_channels_serve_many_more_starts)
{
    u32 h = load("short.wav", 44100, 0.01, 440);
    for (int round = 0; round < 5; round++) {
        for (int i = 0; i < 100; i++) {
            CHD_PlayStart(h, false);
            EXPECT_NE(0u, gl_chord.slots[h].channel);
        }
        CHD_PlayStart(h, false); // the 101st voice of the same instant: none free
        EXPECT_EQ(0u, gl_chord.slots[h].channel);
        play(0.05);
    }
}

TEST(ChordInit, without_a_sound_card_init_still_succeeds_and_sounds_start_and_end)
{
    ASSERT_EQ(0, CHD_Init(100, 0));
    TempDir dir;
    ASSERT_TRUE(write_wav(dir / "t.wav", 44100, 0.01, 440));
    u32 h;
    EXPECT_EQ(0, CHD_LoadSound((dir / "t.wav").c_str(), 0, &h));
    CHD_PlayStart(h, false);
    EXPECT_NE(0u, gl_chord.slots[h].channel);
    CHD_Loop();
    CHD_Stop();
}

TEST(ChordInit, calls_before_init_or_after_stop_do_nothing)
{
    u32 h = 5;
    EXPECT_EQ(1, CHD_LoadSound("data/sounds/none.wav", 0, &h));
    EXPECT_EQ(0u, h);
    CHD_PlayStart(h, false);
    CHD_SetFrequency(h, 2, true);
    CHD_Loop();
    CHD_Stop();
    CHD_Stop();
    EXPECT_EQ(nullptr, gl_chord.slots);
}

// Without a sound card, ALSA and OpenAL Soft would print their complaints on the player's terminal.
TEST(ChordInit, nothing_reaches_stderr_when_no_device_can_be_opened)
{
    fflush(stderr);
    int saved = dup(2);
    FILE* capture = tmpfile();
    ASSERT_NE(nullptr, capture);
    dup2(fileno(capture), 2);
    int result = CHD_Init(100, 0);
    CHD_Loop();
    CHD_Stop();
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    EXPECT_EQ(0, result);
    fseek(capture, 0, SEEK_END);
    long size = ftell(capture);
    std::string text(size > 0 ? (size_t)size : 0, '\0');
    rewind(capture);
    if (size > 0) {
        EXPECT_EQ((size_t)size, fread(&text[0], 1, (size_t)size, capture));
    }
    fclose(capture);
    EXPECT_EQ(0, size) << text;
}

} // namespace
