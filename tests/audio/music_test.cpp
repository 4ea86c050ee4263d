// The music player: which files qualify, the random pick, tracks following each other, stopping.
#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include "audio/music.h"
#include "audio/sound_records.h"
#include "tests/audio/audio_fixture.h"

using namespace audio_test;

namespace {

struct music : chord {
    s_music player;
    void SetUp() override
    {
        chord::SetUp();
        ASSERT_EQ(0, music_init(&player));
    }
    // Runs the player as the game would; the tones heard in turn (0: none of those given) and
    // the longest silence between two, in ms.
    std::vector<double> listen(double seconds, const std::vector<double>& tones, int& gap)
    {
        s_mix mix = play(seconds, true, [this] {
            music_loop(&player);
            // Mixed faster than it plays, a track would not give the loader its real time.
            while (player.next == MUSIC_NEXT_OPENING) {
                std::this_thread::yield();
                music_loop(&player);
            }
            // Whatever was dropped, its places in the list name the files its two slots play.
            const std::pair<int, u32> places[] = {
                {player.track, player.sound},
                {player.next ? player.next_track : -1, player.next_sound}};
            for (auto [index, handle] : places)
                EXPECT_TRUE(index < 0 || !gl_chord.slots[handle].sound ||
                            player.tracks.at(index) == gl_chord.slots[handle].sound->path);
        });
        std::vector<double> heard;
        int silence = 0;
        gap = 0;
        for (double at = 0; at < seconds - 0.01; at += 0.01) {
            double hz = mix.rms(2, at, at + 0.01) < 300 ? 0 : mix.hz(2, at, at + 0.01);
            if (!hz) {
                silence += 10;
                continue;
            }
            if (heard.empty() || silence)
                heard.push_back(0);
            gap = std::max(gap, heard.size() > 1 ? silence : 0);
            silence = 0;
            for (double tone : tones)
                heard.back() = tone && std::abs(hz - tone) < tone * 0.04 ? tone : heard.back();
        }
        return heard;
    }
};

// In any case, but with their dot: what music_play_random picks from.
TEST_F(music, only_files_ending_in_a_music_extension_are_tracks)
{
    std::set<std::string> tracks = {"a.MOD", "song.Ogg", ".xm", "x.it", "x.S3M", "x.mp3"}, found;
    for (const char* name : {"a.MOD", "song.Ogg", ".xm", "x.it", "x.S3M", "x.mp3", "xm", "m",
                             "song.ogg.txt", "song.wav"})
        write_file(dir.file(name), "");
    music_play_random(&player, dir.path.c_str());
    for (const std::string& path : player.tracks)
        found.insert(path.substr(dir.path.size() + 1));
    EXPECT_EQ(found, tracks);
}

TEST_F(music, tracks_follow_without_a_gap_never_twice_running_and_leave_rand_alone)
{
    // A track each: 0.3 s of the tone then 0.1 s of silence, or a file that is no music for 0.
    const std::vector<double> cases[] = {{},       {440},         {440, 880}, {440, 660, 880},
                                         {0, 440}, {0, 440, 880}, {0},        {0, 440, 0, 880, 0}};
    for (size_t r = 0; r < std::size(cases); r++) {
        const std::vector<double>& tones = cases[r];
        std::string folder = dir.file("row" + std::to_string(r));
        // Neither a file of another kind nor a directory named like music is a candidate.
        ASSERT_TRUE(std::filesystem::create_directories(folder + "/folder.ogg") &&
                    write_file(folder + "/notes.txt", ""));
        size_t playable = 0;
        for (const double& hz : tones) {
            std::string name = folder + "/" + std::to_string(&hz - tones.data()) + ".ogg";
            playable += hz > 0;
            EXPECT_TRUE(hz ? write_tone(name, OGG, 44100, 1, {{0.3, hz}, {0.1, 0}})
                           : write_file(name, "not an ogg"));
        }
        ASSERT_EQ(0, CHD_Init(100, SOUND_INIT_LOOPBACK));
        music_init(&player);
        srand(5);
        music_play_random(&player, folder.c_str());
        int gap;
        std::vector<double> plays = listen(3.2, tones, gap);
        int after = rand();
        srand(5);
        rand();  // the start's own draw only, tracks or none
        EXPECT_EQ(rand(), after) << "row " << r << ": a track change drew from rand()";
        EXPECT_LT(gap, 100 + 250) << "row " << r << ": ms of silence, 100 the track's own";
        EXPECT_GE(plays.size(), playable ? 7u : 0u) << "row " << r;
        for (size_t i = 1; i < plays.size(); i++)
            // One playable track comes again and again; of more, never the same twice running.
            EXPECT_TRUE(playable < 2 ? plays[i] == plays[0] && plays[0] : plays[i] != plays[i - 1])
                << "row " << r << ", play " << i;
        // Of three, nor a fixed round.
        EXPECT_TRUE(playable < 3 || !std::equal(plays.begin() + 3, plays.end(), plays.begin()));
        // Files that are no music are dropped, so they are not opened again and again.
        EXPECT_EQ(playable, player.tracks.size()) << "row " << r;
        EXPECT_EQ(tones.empty() ? 0u : playable ? 2u : 1u, gl_chord.count) << "row " << r;
        // A track the decoder refuses still counts as playing; stopped, the music is silent.
        EXPECT_EQ(!tones.empty(), player.playing) << "row " << r;
        music_stop(&player);
        EXPECT_LT(play(0.2).rms(2, 0.01), 5) << "row " << r;
    }
}

}  // namespace
