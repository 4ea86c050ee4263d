// Helpers of the audio tests: fixture files written on the spot and measures of rendered sound.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "audio/chord.h"
#include "audio/sound.h"
#include "shell/types.h"
#include "tests/support/test_support.h"

namespace audio_test {

using namespace test_support;

const int RATE = SOUND_OUTPUT_RATE;

// A four-channel ProTracker module: one looped 32-byte sine cycle at period
// 428 (8287 Hz on a PAL Amiga, so 259 Hz) on channel 1.
inline std::string make_mod()
{
    std::string bytes = "tumbrelix" + std::string(11, '\0');
    std::string first(30, '\0');
    first[23] = 16;  // length in words
    first[25] = 64;  // volume
    first[29] = 16;  // loop length in words, from word 0
    bytes += first + std::string(30 * 30, '\0');
    bytes += std::string("\x01\x7f", 2) + std::string(128, '\0') + "M.K.";  // song length, restart
    std::string pattern(64 * 4 * 4, '\0');
    pattern.replace(0, 3, "\x01\xac\x10");  // sample 1, period 0x1AC, no effect
    bytes += pattern;
    for (int i = 0; i < 32; i++)
        bytes += (char)(i8)lround(100 * sin(2 * M_PI * i / 32));
    return bytes;
}

// Frame i of stereo frames: channel 0 left, 1 right, 2 both summed.
inline int sample(const std::vector<i16>& frames, int channel, size_t i)
{
    return channel == 2 ? frames[i * 2] + frames[i * 2 + 1] : frames[i * 2 + channel];
}

inline size_t at_seconds(double seconds)
{
    return (size_t)lround(seconds * RATE);
}

// Root mean square of a channel between two times in seconds (to the end by default).
inline double rms(const std::vector<i16>& frames, int channel, double from = 0, double to = 1e9)
{
    size_t end = std::min(frames.size() / 2, at_seconds(to)), i = at_seconds(from);
    double sum = 0;
    for (size_t j = i; j < end; j++)
        sum += (double)sample(frames, channel, j) * sample(frames, channel, j);
    return end > i ? sqrt(sum / (end - i)) : 0;
}

// Frequency from the rising zero crossings of a channel between two times in seconds.
inline double frequency(const std::vector<i16>& frames, int channel, double from = 0,
                        double to = 1e9)
{
    size_t end = std::min(frames.size() / 2, at_seconds(to));
    long first = -1, last = -1, crossings = 0;
    for (size_t i = at_seconds(from) + 1; i < end; i++) {
        if (sample(frames, channel, i - 1) < 0 && sample(frames, channel, i) >= 0) {
            crossings += first >= 0;
            if (first < 0)
                first = (long)i;
            last = (long)i;
        }
    }
    return crossings > 0 ? crossings * (double)RATE / (last - first) : 0;
}

// A loopback sound system of 100 channels for the test, stopped at its end.
struct Chord : ::testing::Test {
    TempDir dir;
    void SetUp() override
    {
        ASSERT_EQ(0, CHD_Init(100, SOUND_INIT_LOOPBACK));
    }
    void TearDown() override
    {
        CHD_Stop();
    }

    // Mixes seconds of sound, calling the per-frame update (unless stalled) every 1024 frames.
    std::vector<i16> play(double seconds, bool update = true)
    {
        size_t frames = at_seconds(seconds);
        std::vector<i16> out(frames * 2);
        for (size_t done = 0, n; done < frames; done += n) {
            n = std::min<size_t>(frames - done, 1024);
            if (update)
                CHD_Loop();
            EXPECT_EQ(0, sound_render(gl_chord.system, out.data() + done * 2, (u32)n));
        }
        return out;
    }
    // Writes a tone file and loads it: a .wav as a sound, an .ogg or .mp3 as a stream.
    u32 tone(const std::string& name, std::vector<Piece> pieces, u32 mode = 0, int rate = 44100,
             int channels = 1)
    {
        std::string extension = name.substr(name.rfind('.'));
        int format = extension == ".ogg" ? OGG : extension == ".mp3" ? MP3 : WAV;
        EXPECT_TRUE(write_tone(dir.file(name), format, rate, channels, pieces));
        u32 handle = 9999;
        int result =
            (format == WAV ? CHD_LoadSound : CHD_LoadStream)(dir.file(name).c_str(), mode, &handle);
        EXPECT_EQ(0, result) << sound_system_error(gl_chord.system);
        return handle;
    }
};

}  // namespace audio_test
