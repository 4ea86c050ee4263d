// The music player: which files qualify, the random pick, tracks following each other, stopping.
#include <sys/stat.h>

#include <algorithm>
#include <thread>

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
    // Runs the player as the game's frames would, one per 1024 frames mixed, and
    // tells what sounds in each 10 ms: the tone's frequency, or 0 for silence.
    std::vector<double> listen(double seconds)
    {
        std::vector<i16> out(at_seconds(seconds) * 2);
        for (size_t done = 0, n; done < out.size() / 2; done += n) {
            n = std::min<size_t>(out.size() / 2 - done, 1024);
            CHD_Loop();
            music_loop(&music);
            // Mixed faster than it plays, a track would not give the loader its real time.
            while (music.next == MUSIC_NEXT_OPENING) {
                std::this_thread::yield();
                music_loop(&music);
            }
            EXPECT_EQ(0, sound_render(gl_chord.system, out.data() + done * 2, (u32)n));
        }
        std::vector<double> heard;
        for (double at = 0; at_seconds(at + 0.01) <= out.size() / 2; at += 0.01)
            heard.push_back(rms(out, 2, at, at + 0.01) < 300 ? 0
                                                             : frequency(out, 2, at, at + 0.01));
        return heard;
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

TEST_F(Music, a_second_named_track_reuses_the_slot_only_it_plays_and_stop_silences_it)
{
    ogg("low.ogg", 220);
    ogg("high.ogg", 880);
    music_play_defined(&music, dir.file("low.ogg").c_str());
    play(0.2);
    music_play_defined(&music, dir.file("high.ogg").c_str());
    EXPECT_EQ(1u, gl_chord.count);
    EXPECT_NEAR(880, frequency(play(0.3), 2, 0.05), 10);
    music_stop(&music);
    EXPECT_FALSE(music.playing);
    EXPECT_LT(rms(play(0.2), 2, 0.01), 5);
    music_free(&music);
    EXPECT_FALSE(music.playing);
}

TEST_F(Music, tracks_follow_without_a_gap_never_twice_running_on_two_slots_and_leave_rand_alone)
{
    struct {
        std::vector<double> tones;  // a track each, 0.3 s of the tone then 0.1 s of silence;
                                    // 0: a file that is no music
        bool alone;                 // one track can be played: it comes again and again
    } rows[] = {{{440}, true},
                {{440, 880}, false},
                {{440, 660, 880}, false},
                {{0, 440}, true},
                {{0, 440, 880}, false}};
    for (size_t r = 0; r < std::size(rows); r++) {
        SCOPED_TRACE(r);
        std::string folder = "row" + std::to_string(r);
        ASSERT_EQ(0, mkdir(dir.file(folder).c_str(), 0700));
        for (double hz : rows[r].tones) {
            std::string name = dir.file(folder + "/" + std::to_string((int)hz) + ".ogg");
            EXPECT_TRUE(hz ? write_tone(name, OGG, 44100, 1, {{0.3, hz}, {0.1, 0}})
                           : write_file(name, "not an ogg"));
        }
        ASSERT_EQ(0, CHD_Init(100, SOUND_INIT_LOOPBACK));
        music_init(&music);
        srand(5);
        music_play_random(&music, dir.file(folder).c_str());
        std::vector<double> heard = listen(3.2), plays;
        int after = rand();
        srand(5);
        rand();
        EXPECT_EQ(rand(), after) << "a track change drew from rand()";
        size_t silence = 0, longest = 0;
        for (double hz : heard) {
            if (!hz) {
                silence++;
                continue;
            }
            if (plays.empty() || silence)
                plays.push_back(0);
            longest = std::max(longest, plays.size() > 1 ? silence : 0);
            silence = 0;
            for (double tone : rows[r].tones)
                if (tone && std::abs(hz - tone) < tone * 0.04)
                    plays.back() = tone;
        }
        EXPECT_LT(longest * 10, 100 + 250u) << "ms of silence, a track's own 100 ms included";
        EXPECT_GE(plays.size(), 7u);
        for (size_t i = 1; i < plays.size(); i++)
            EXPECT_TRUE(rows[r].alone ? plays[i] == plays[0] && plays[0] : plays[i] != plays[i - 1])
                << "play " << i;
        EXPECT_EQ(2u, gl_chord.count);
        for (double p : plays)
            printf(" %g", p);
        printf("\n");
    }
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
