// Helpers of the audio tests: fixture files written on the spot and measures of rendered sound.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/chord.h"
#include "audio/sound.h"
#include "shell/types.h"

namespace audio_test {

const int RATE = SOUND_OUTPUT_RATE;

// A fresh temporary directory, removed with its content at the end of the test.
struct TempDir {
    std::string path;
    TempDir()
    {
        char name[] = "/tmp/tumbrelix_audio_XXXXXX";
        path = mkdtemp(name) ? name : "";
    }
    ~TempDir()
    {
        std::string command = "rm -rf '" + path + "'";
        if (system(command.c_str()) != 0)
            fprintf(stderr, "could not remove %s\n", path.c_str());
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

// Frequency of each part: a list of (seconds, Hz) pieces played one after another.
struct Piece {
    double seconds;
    double hz;
};

// Writes a sine tone through libsndfile in the given format; false on failure.
inline bool write_tone(const std::string& path, int format, int rate, int channels, std::vector<Piece> pieces,
                       double amplitude = 0.25)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> frames;
    double phase = 0;
    for (const Piece& piece : pieces) {
        long count = lround(piece.seconds * rate);
        for (long i = 0; i < count; i++) {
            float value = (float)(amplitude * sin(phase));
            phase += 2 * M_PI * piece.hz / rate;
            for (int c = 0; c < channels; c++)
                frames.push_back(value);
        }
    }
    sf_count_t written = sf_writef_float(file, frames.data(), (sf_count_t)(frames.size() / channels));
    sf_close(file);
    return written == (sf_count_t)(frames.size() / channels);
}

inline bool write_wav(const std::string& path, int rate, double seconds, double hz, int channels = 1,
                      double amplitude = 0.25)
{
    return write_tone(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, channels, {{seconds, hz}}, amplitude);
}

inline bool write_file(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

// A four-channel ProTracker module, byte by byte: one looped 32-byte sine
// cycle played at period 428 (8287 Hz on a PAL Amiga, so 259 Hz) on channel 1.
inline std::string make_mod()
{
    std::string bytes(20, '\0');
    bytes.replace(0, 9, "tumbrelix");
    for (int sample = 0; sample < 31; sample++) {
        std::string header(30, '\0');
        if (sample == 0) {
            header[22] = 0;
            header[23] = 16; // length in words
            header[25] = 64; // volume
            header[26] = 0;  // loop start in words
            header[27] = 0;
            header[28] = 0;  // loop length in words
            header[29] = 16;
        }
        bytes += header;
    }
    bytes += (char)1;   // song length
    bytes += (char)127; // restart position
    bytes += std::string(128, '\0');
    bytes += "M.K.";
    std::string pattern(64 * 4 * 4, '\0');
    pattern[0] = 0x01;        // sample 1 (high nibble 0), period 0x1AC
    pattern[1] = (char)0xAC;
    pattern[2] = 0x10;        // sample 1 (low nibble), no effect
    bytes += pattern;
    for (int i = 0; i < 32; i++)
        bytes += (char)(i8)lround(100 * sin(2 * M_PI * i / 32));
    return bytes;
}

// A loopback sound system of 100 channels for the test, stopped at its end.
struct Chord : ::testing::Test {
    TempDir dir;
    void SetUp() override { ASSERT_EQ(0, CHD_Init(100, SOUND_INIT_LOOPBACK)); }
    void TearDown() override { CHD_Stop(); }

    // Mixes seconds of sound, calling the per-frame update every 1024 frames.
    std::vector<i16> play(double seconds, bool update = true)
    {
        size_t frames = (size_t)lround(seconds * RATE);
        std::vector<i16> out(frames * 2);
        for (size_t done = 0; done < frames;) {
            size_t n = frames - done < 1024 ? frames - done : 1024;
            if (update)
                CHD_Loop();
            EXPECT_EQ(0, sound_render(gl_chord.system, out.data() + done * 2, (u32)n));
            done += n;
        }
        return out;
    }
};

// Root mean square of one channel (0 left, 1 right, 2 both summed) of stereo frames.
inline double rms(const std::vector<i16>& frames, int channel, size_t from = 0, size_t to = (size_t)-1)
{
    size_t count = frames.size() / 2;
    if (to > count)
        to = count;
    double sum = 0;
    for (size_t i = from; i < to; i++) {
        double value = channel == 2 ? frames[i * 2] + frames[i * 2 + 1] : frames[i * 2 + channel];
        sum += value * value;
    }
    return to > from ? sqrt(sum / (to - from)) : 0;
}

// Frequency from the rising zero crossings of a channel (2: both summed) over frames [from, to).
inline double frequency(const std::vector<i16>& frames, int channel, size_t from = 0, size_t to = (size_t)-1)
{
    size_t count = frames.size() / 2;
    if (to > count)
        to = count;
    auto at = [&](size_t i) {
        return channel == 2 ? frames[i * 2] + frames[i * 2 + 1] : (int)frames[i * 2 + channel];
    };
    long first = -1, last = -1, crossings = 0;
    for (size_t i = from + 1; i < to; i++) {
        if (at(i - 1) < 0 && at(i) >= 0) {
            if (first < 0)
                first = (long)i;
            else
                crossings++;
            last = (long)i;
        }
    }
    return crossings > 0 ? crossings * (double)RATE / (last - first) : 0;
}

inline size_t at_seconds(double seconds)
{
    return (size_t)lround(seconds * RATE);
}

} // namespace audio_test
