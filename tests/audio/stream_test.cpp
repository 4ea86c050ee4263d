// Streams heard through the loopback mixer: OGG, MP3 and tracker modules, restarts, and the
// decoder fed from memory.
#include "audio/decode.h"
#include "tests/audio/audio_fixture.h"
#include "tools/demo/alloc_count.h"

using namespace audio_test;

namespace {

using stream = chord;

TEST_F(stream, ogg_mp3_and_tracker_streams_play_at_their_pitch_and_restart_on_one_voice)
{
    const struct {
        const char* name;
        int channels;
        double hz, tolerance;
    } cases[] = {{"tone.ogg", 2, 440, 5}, {"tone.mp3", 1, 440, 5}, {"tune.mod", 0, 259, 8}};
    // Each is opened in the background and started at once: the start waits for the opening.
    for (const auto& c : cases) {
        u32 h = 9999;
        if (c.channels)
            h = tone(c.name, {{0.5, 440}, {1.5, 880}}, CHD_MODE_NONBLOCKING, 44100, c.channels);
        else if (write_file(dir.file(c.name), make_mod()) &&
                 CHD_LoadStream(dir.file(c.name).c_str(), CHD_MODE_NONBLOCKING, &h))
            ADD_FAILURE() << sound_system_error(gl_chord.system);
        CHD_PlayStart(h, false);
        s_mix out = play(1.0);
        EXPECT_NEAR(out.hz(2, 0.1, 0.4), c.hz, c.tolerance) << c.name;  // past the MP3's delay
        EXPECT_TRUE(out.without_gap(0.1)) << c.name;
        u32 first = gl_chord.slots[h].channel;
        CHD_PlayStart(h, false);  // one decoder: the second start takes over from the first
        EXPECT_FALSE(sound_channel_is_playing(gl_chord.system, first)) << c.name;
        EXPECT_NEAR(play(0.5).hz(2, 0.1, 0.4), c.hz, c.tolerance) << c.name;
        CHD_PlayStop(h);
        EXPECT_LT(play(0.2).rms(2, 0.01), 5) << c.name;
    }
    EXPECT_EQ(0u, sound_system_underruns(gl_chord.system));
}

// The music holds two streams, its track and the next: once the first plays,
// moving from track to track takes no new memory, however long the game runs.
TEST_F(stream, streams_opened_and_replaced_after_the_first_take_no_new_memory)
{
    ASSERT_TRUE(write_tone(dir.file("t.ogg"), OGG, 44100, 2, {{0.2, 440}}));
    std::string name = dir.file("t.ogg");
    u32 track, next;
    ASSERT_EQ(0, CHD_LoadStream(name.c_str(), 0, &track));
    alloc_count_start();
    ASSERT_EQ(0, CHD_LoadStream(name.c_str(), 0, &next));
    for (u32 handle : {track, next, track, next})
        ASSERT_EQ(0, CHD_ReloadStream(handle, name.c_str(), 0));
    EXPECT_EQ(0u, alloc_count_read());
}

// What the fuzzers feed the decoder: the bytes of a file rather than its name.
TEST_F(stream, a_file_read_from_memory_decodes_as_it_does_from_its_name)
{
    ASSERT_TRUE(write_tone(dir.file("m.wav"), WAV, 22050, 2, {{0.1, 440}}));
    std::string bytes = read_file(dir.file("m.wav"));
    s_decoder named, held;
    ASSERT_EQ(0, decode_open_file(&named, dir.file("m.wav").c_str()));
    ASSERT_EQ(0, decode_open_memory(&held, bytes.data(), bytes.size(), false, "m.wav"));
    std::vector<i16> a(8192), b(8192);
    EXPECT_EQ(decode_read(&named, a.data(), 4096), decode_read(&held, b.data(), 4096));
    EXPECT_EQ(a, b);
    decode_close(&named);
    decode_close(&held);
}

}  // namespace
