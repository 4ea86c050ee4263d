// The music player: which files qualify, the random pick, one slot per track, stopping.
#include <sys/stat.h>

#include <algorithm>

#include "audio/music.h"
#include "tests/audio/audio_fixture.h"

using namespace audio_test;

namespace {

TEST(MusicMatch, extensions_match_at_the_end_ignoring_case_and_need_their_dot)
{
    for (const char* name : {"a.MOD", "song.Ogg", ".xm", "x.it", "x.S3M", "x.mp3"})
        EXPECT_TRUE(music_internal_matches(name)) << name;
    for (const char* name : {"xm", "m", "", "song.ogg.txt", "song.wav"})
        EXPECT_FALSE(music_internal_matches(name)) << name;
}

struct Music : Chord {
    s_music music;
    void SetUp() override
    {
        Chord::SetUp();
        ASSERT_EQ(0, music_init(&music));
    }
    void ogg(const std::string& name, double hz)
    {
        EXPECT_TRUE(write_tone(dir.file(name), OGG, 44100, 1, {{2.0, hz}}));
    }
};

TEST_F(Music, only_files_with_a_music_extension_are_candidates_and_directories_never)
{
    ASSERT_TRUE(write_file(dir.file("a.MOD"), make_mod()));
    ASSERT_TRUE(write_file(dir.file("b.txt"), "x"));
    ogg("c.ogg", 440);
    ASSERT_EQ(0, mkdir(dir.file("d.mp3").c_str(), 0700));
    std::vector<std::string> candidates;
    music_internal_gather(dir.path.c_str(), &candidates);
    std::sort(candidates.begin(), candidates.end());
    EXPECT_EQ((std::vector<std::string>{dir.file("a.MOD"), dir.file("c.ogg")}), candidates);
}

TEST_F(Music, nothing_to_play_leaves_the_player_idle_and_one_candidate_is_always_chosen)
{
    ASSERT_TRUE(write_file(dir.file("notes.txt"), "x"));
    music_stop(&music);
    music_play_random(&music, dir.path.c_str());
    music_play_random(&music, dir.file("missing").c_str());
    music_free(&music);
    EXPECT_FALSE(music.playing);
    EXPECT_EQ(0u, gl_chord.count);
    ogg("only.ogg", 440);
    for (unsigned seed : {1u, 2u, 77u, 12345u}) {
        SCOPED_TRACE(seed);
        srand(seed);
        music_play_random(&music, dir.path.c_str());
        EXPECT_TRUE(music.playing);
        ASSERT_LT(music.sound, gl_chord.count);
        EXPECT_NE(nullptr, gl_chord.slots[music.sound].sound);
        EXPECT_NEAR(440, frequency(play(0.3), 2, 0.05), 6);
    }
}

TEST_F(Music, a_second_track_takes_a_new_slot_only_it_plays_and_stop_silences_it)
{
    ogg("low.ogg", 220);
    ogg("high.ogg", 880);
    music_play_defined(&music, dir.file("low.ogg").c_str());
    u32 first = music.sound;
    play(0.2);
    music_play_defined(&music, dir.file("high.ogg").c_str());
    EXPECT_EQ(2u, gl_chord.count);
    EXPECT_NE(first, music.sound);
    EXPECT_FALSE(sound_channel_is_playing(gl_chord.system, gl_chord.slots[first].channel));
    EXPECT_NEAR(880, frequency(play(0.3), 2, 0.05), 10);
    music_stop(&music);
    EXPECT_FALSE(music.playing);
    EXPECT_LT(rms(play(0.2), 2, 0.01), 5);
    music_free(&music);
    EXPECT_FALSE(music.playing);
}

TEST_F(Music, a_track_the_decoder_refuses_still_counts_as_playing_but_is_silent)
{
    ASSERT_TRUE(write_file(dir.file("broken.ogg"), "not an ogg"));
    music_play_defined(&music, dir.file("broken.ogg").c_str());
    EXPECT_TRUE(music.playing);
    EXPECT_EQ(nullptr, gl_chord.slots[music.sound].sound);
    EXPECT_LT(rms(play(0.2), 2), 1);
    music_stop(&music);
    EXPECT_FALSE(music.playing);
}

}  // namespace
