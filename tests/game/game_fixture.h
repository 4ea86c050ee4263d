// Helpers shared by the gameplay tests: a GL window, a scratch directory the
// test runs in, tiny image files and a driven clock.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "shell/vertex.h"

namespace game_test {

// Opens the one window of the test program (kept open until exit).
inline bool window_open()
{
    static int state = -1;
    if (state < 0)
        state = VTX_Init(640, 480, 24, 0) == 0 ? 1 : 0;
    return state == 1;
}

// Sets the frame clock the gameplay reads.
inline void set_clock(u32 ticks, f32 frame_time)
{
    gl_vertex.ticks = ticks;
    gl_vertex.frame_time = frame_time;
}

// Runs the test inside a fresh empty directory and returns to the repo root after.
class scratch_dir {
public:
    scratch_dir()
    {
        char pattern[] = "/tmp/tumbrelix_game_XXXXXX";
        const char* dir = mkdtemp(pattern);
        path_ = dir ? dir : "/tmp";
        char cwd[4096];
        old_ = getcwd(cwd, sizeof(cwd)) ? cwd : ".";
        if (chdir(path_.c_str()) != 0)
            ADD_FAILURE() << "cannot enter " << path_;
    }
    ~scratch_dir()
    {
        if (chdir(old_.c_str()) != 0)
            ADD_FAILURE() << "cannot return to " << old_;
        std::string command = "rm -rf '" + path_ + "'";
        if (system(command.c_str()) != 0)
            ADD_FAILURE() << "cannot remove " << path_;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string old_;
};

// Writes a width x height 24-bit BMP of one colour.
inline bool write_bmp(const char* path, int width, int height, u8 r, u8 g, u8 b)
{
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    int row = (width * 3 + 3) & ~3;
    int size = 54 + row * height;
    auto u16le = [f](int v) { fputc(v & 255, f); fputc((v >> 8) & 255, f); };
    auto u32le = [&](int v) { u16le(v & 0xffff); u16le((v >> 16) & 0xffff); };
    fputs("BM", f);
    u32le(size); u32le(0); u32le(54);
    u32le(40); u32le(width); u32le(height); u16le(1); u16le(24);
    u32le(0); u32le(row * height); u32le(2835); u32le(2835); u32le(0); u32le(0);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            fputc(b, f); fputc(g, f); fputc(r, f);
        }
        for (int p = width * 3; p < row; p++)
            fputc(0, f);
    }
    return fclose(f) == 0;
}

}  // namespace game_test
