// Helpers of the audio tests: a loopback sound system, files for it and measures of its mix.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "audio/chord.h"
#include "audio/sound.h"
#include "tests/support/test_support.h"

namespace audio_test {

using namespace test_support;

// A four-channel ProTracker module: one looped 32-byte sine cycle at period 428 (8287 Hz on a
// PAL Amiga, so 259 Hz) on channel 1.
inline std::string make_mod()
{
    std::string mod = "tumbrelix" + std::string(2140 - 9, '\0');
    mod[43] = 16, mod[45] = 64, mod[49] = 16;  // sample 1: words long, volume, words looped
    mod[950] = 1, mod[951] = 127;              // song length, restart
    mod.replace(1080, 7, "M.K.\x01\xac\x10");  // tag; sample 1 at period 0x1AC, no effect
    for (int i = 0; i < 32; i++)
        mod[2108 + i] = (char)(i8)lround(100 * sin(2 * M_PI * i / 32));
    return mod;
}

// Stereo frames mixed at SOUND_OUTPUT_RATE, measured over [from, to) seconds of channel 0
// (left), 1 (right) or 2 (both summed).
struct s_mix {
    std::vector<i16> frames;

    // The channel's samples in the time span.
    std::vector<int> span(int channel, double from, double to) const
    {
        size_t end = std::min(frames.size() / 2, (size_t)lround(to * SOUND_OUTPUT_RATE));
        std::vector<int> out;
        for (size_t i = (size_t)lround(from * SOUND_OUTPUT_RATE); i < end; i++)
            out.push_back(channel == 2 ? frames[i * 2] + frames[i * 2 + 1]
                                       : frames[i * 2 + channel]);
        return out;
    }
    double rms(int channel, double from = 0, double to = 1e9) const
    {
        double sum = 0;
        std::vector<int> s = span(channel, from, to);
        for (int v : s)
            sum += (double)v * v;
        return s.empty() ? 0 : sqrt(sum / s.size());
    }
    // Frequency from the rising zero crossings; 0 without two of them.
    double hz(int channel, double from = 0, double to = 1e9) const
    {
        std::vector<int> s = span(channel, from, to);
        long first = -1, last = -1, crossings = 0;
        for (size_t i = 1; i < s.size(); i++)
            if (s[i - 1] < 0 && s[i] >= 0) {
                crossings += first >= 0;
                first = first < 0 ? (long)i : first;
                last = (long)i;
            }
        return crossings > 0 ? crossings * (double)SOUND_OUTPUT_RATE / (last - first) : 0;
    }
    // True when no 10 ms from the given time on is quieter than a fifth of a fixture tone.
    bool without_gap(double from = 0) const
    {
        for (double at = from; at + 0.01 <= frames.size() / 2.0 / SOUND_OUTPUT_RATE; at += 0.01)
            if (rms(2, at, at + 0.01) < 500)
                return false;
        return true;
    }
};

// A loopback sound system of 100 channels for the test, stopped at its end.
struct chord : ::testing::Test {
    TempDir dir;
    void SetUp() override
    {
        setenv("ALSOFT_DRIVERS", "none", 1);  // read once, before OpenAL Soft's first call
        ASSERT_EQ(0, CHD_Init(100, SOUND_INIT_LOOPBACK));
    }
    void TearDown() override
    {
        CHD_Stop();
    }

    // Mixes seconds of sound, a frame every 1024 frames: the update, unless stalled, and frame.
    s_mix play(double seconds, bool update = true, std::function<void()> frame = nullptr)
    {
        s_mix mix;
        mix.frames.resize((size_t)lround(seconds * SOUND_OUTPUT_RATE) * 2);
        for (size_t done = 0, n; done < mix.frames.size() / 2; done += n) {
            n = std::min<size_t>(mix.frames.size() / 2 - done, 1024);
            if (update)
                CHD_Loop();
            if (frame)
                frame();
            EXPECT_EQ(0, sound_render(gl_chord.system, &mix.frames[done * 2], (u32)n));
        }
        return mix;
    }
    // Writes a tone file and loads it: a .wav as a sound, an .ogg or .mp3 as a stream.
    u32 tone(const std::string& name, std::vector<Piece> pieces, u32 mode = 0, int rate = 44100,
             int channels = 1)
    {
        std::string extension = name.substr(name.rfind('.'));
        int format = extension == ".ogg" ? OGG : extension == ".mp3" ? MP3 : WAV;
        EXPECT_TRUE(write_tone(dir.file(name), format, rate, channels, pieces));
        u32 handle = 9999;
        auto load = format == WAV ? CHD_LoadSound : CHD_LoadStream;
        EXPECT_EQ(0, load(dir.file(name).c_str(), mode, &handle))
            << sound_system_error(gl_chord.system);
        return handle;
    }
};

}  // namespace audio_test
