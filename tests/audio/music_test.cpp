// The music player: which files qualify, the random pick, one slot per track, stopping.
#include <sys/stat.h>

#include <algorithm>

#include "audio/music.h"
#include "tests/audio/audio_fixture.h"

using namespace audio_test;

namespace {

TEST(MusicMatch, extensions_match_at_the_end_ignoring_case_and_need_their_dot)
{
    EXPECT_TRUE(music_internal_matches("a.MOD"));
    EXPECT_TRUE(music_internal_matches("song.Ogg"));
    EXPECT_TRUE(music_internal_matches(".xm"));
    EXPECT_TRUE(music_internal_matches("x.it"));
    EXPECT_TRUE(music_internal_matches("x.S3M"));
    EXPECT_TRUE(music_internal_matches("x.mp3"));
    EXPECT_FALSE(music_internal_matches("xm"));
    EXPECT_FALSE(music_internal_matches("m"));
    EXPECT_FALSE(music_internal_matches(""));
    EXPECT_FALSE(music_internal_matches("song.ogg.txt"));
    EXPECT_FALSE(music_internal_matches("song.wav"));
}

struct Music : Chord {
    s_music music;
    void SetUp() override
    {
        Chord::SetUp();
        ASSERT_EQ(0, music_init(&music));
    }
};

TEST_F(Music, only_files_with_a_music_extension_are_candidates_and_directories_never)
{
    ASSERT_TRUE(write_file(dir / "a.MOD", make_mod()));
    ASSERT_TRUE(write_file(dir / "b.txt", "x"));
    ASSERT_TRUE(write_tone(dir / "c.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{0.5, 440}}));
    ASSERT_EQ(0, mkdir((dir / "d.mp3").c_str(), 0700));
    std::vector<std::string> candidates;
    music_internal_gather(dir.path.c_str(), &candidates);
    std::sort(candidates.begin(), candidates.end());
    EXPECT_EQ((std::vector<std::string>{dir / "a.MOD", dir / "c.ogg"}), candidates);
}

TEST_F(Music, the_one_candidate_is_always_chosen_and_heard)
{
    ASSERT_TRUE(write_tone(dir / "only.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{2.0, 440}}));
    ASSERT_TRUE(write_file(dir / "notes.txt", "x"));
    for (unsigned seed : {1u, 2u, 77u, 12345u}) {
        srand(seed);
        music_play_random(&music, dir.path.c_str());
        EXPECT_TRUE(music.playing);
        ASSERT_LT(music.sound, gl_chord.count);
        EXPECT_NE(nullptr, gl_chord.slots[music.sound].sound);
        std::vector<i16> out = play(0.3);
        EXPECT_NEAR(440, frequency(out, 2, at_seconds(0.05)), 6);
    }
}

TEST_F(Music, a_directory_without_music_or_a_missing_one_changes_nothing)
{
    ASSERT_TRUE(write_file(dir / "notes.txt", "x"));
    music_play_random(&music, dir.path.c_str());
    music_play_random(&music, (dir / "missing").c_str());
    EXPECT_FALSE(music.playing);
    EXPECT_EQ(0u, gl_chord.count);
}

TEST_F(Music, a_second_track_takes_a_new_slot_and_only_it_plays)
{
    ASSERT_TRUE(write_tone(dir / "low.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{2.0, 220}}));
    ASSERT_TRUE(write_tone(dir / "high.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{2.0, 880}}));
    music_play_defined(&music, (dir / "low.ogg").c_str());
    u32 first = music.sound;
    play(0.2);
    music_play_defined(&music, (dir / "high.ogg").c_str());
    EXPECT_EQ(2u, gl_chord.count);
    EXPECT_NE(first, music.sound);
    EXPECT_FALSE(sound_channel_is_playing(gl_chord.system, gl_chord.slots[first].channel));
    std::vector<i16> out = play(0.3);
    EXPECT_NEAR(880, frequency(out, 2, at_seconds(0.05)), 10);
}

TEST_F(Music, stop_silences_the_track_and_does_nothing_on_an_idle_player)
{
    music_stop(&music);
    music_free(&music);
    EXPECT_FALSE(music.playing);
    EXPECT_EQ(0u, gl_chord.count);

    ASSERT_TRUE(write_tone(dir / "t.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, {{2.0, 440}}));
    music_play_defined(&music, (dir / "t.ogg").c_str());
    play(0.1);
    music_stop(&music);
    EXPECT_FALSE(music.playing);
    EXPECT_LT(rms(play(0.2), 2, at_seconds(0.01)), 5);
    music_free(&music);
    EXPECT_FALSE(music.playing);
}

TEST_F(Music, a_track_the_decoder_refuses_still_counts_as_playing_but_is_silent)
{
    ASSERT_TRUE(write_file(dir / "broken.ogg", "not an ogg"));
    music_play_defined(&music, (dir / "broken.ogg").c_str());
    EXPECT_TRUE(music.playing);
    EXPECT_EQ(nullptr, gl_chord.slots[music.sound].sound);
    EXPECT_LT(rms(play(0.2), 2), 1);
    music_stop(&music);
    EXPECT_FALSE(music.playing);
}

} // namespace
