// Helpers every test program shares: a temporary directory, whole files, small
// BMP and WAV fixtures, the program's one GL window and SDL input events.
#pragma once

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <sndfile.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "shell/types.h"
#include "shell/vertex.h"

namespace test_support {

// clang-format off
// The pictures the game loads from data/ by fixed name (the level's textures aside).
const char* const GAME_PICTURES[] = {
    "pad.png", "ball_heavy.png", "ball_light.png", "ball_normal.png", "bonus_ball_oneshot.png",
    "bonus_ball_split.png", "bonus_ball_traverse.png", "bonus_ball_type_heavy.png",
    "bonus_ball_type_light.png", "bonus_pad_dec.png", "bonus_pad_inc.png", "particle.bmp",
    "font_texture_00.bmp"};

// The sound effects the game loads as data/sounds/<name>.wav.
const char* const GAME_SOUNDS[] = {
    "pad_ball", "pad_load", "pad_release", "ball_block_destroy", "ball_block_hit",
    "ball_block_unbreakable", "ball_pad", "ball_wall", "bonus_loot", "bonus_take_ball_oneshot",
    "bonus_take_ball_split", "bonus_take_ball_traverse", "bonus_take_ball_weight_heavy",
    "bonus_take_ball_weight_light", "bonus_take_pad_dec", "bonus_take_pad_inc", "level_clear"};
// clang-format on

// Writes bytes as the whole file at path; false if it cannot.
inline bool write_file(const std::string& path, std::string_view bytes)
{
    return std::ofstream(path, std::ios::binary)
        .write(bytes.data(), (std::streamsize)bytes.size())
        .flush()
        .good();
}

// The same for raw bytes.
inline bool write_file(const std::string& path, const std::vector<u8>& bytes)
{
    return write_file(path, std::string_view((const char*)bytes.data(), bytes.size()));
}

// The whole file as bytes; empty if it cannot be read.
inline std::string read_file(const std::filesystem::path& path)
{
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// A fresh directory under /tmp, removed with everything in it.
struct TempDir {
    std::string path;
    TempDir()
    {
        char name[] = "/tmp/tumbrelix-test-XXXXXX";
        if (!mkdtemp(name))
            throw std::runtime_error("cannot make a temporary directory");
        path = name;
    }
    ~TempDir()
    {
        std::filesystem::remove_all(path);
    }
    // The path of name inside the directory.
    std::string file(const std::string& name) const
    {
        return path + "/" + name;
    }
    // Writes bytes to name inside the directory and returns the file's path.
    template <class Bytes> std::string write(const std::string& name, const Bytes& bytes) const
    {
        write_file(file(name), bytes);
        return file(name);
    }
};

// A TempDir that is the working directory for as long as it exists.
struct TempCwd : TempDir {
    std::filesystem::path previous = std::filesystem::current_path();
    TempCwd()
    {
        std::filesystem::current_path(path);
    }
    ~TempCwd()
    {
        std::filesystem::current_path(previous);
    }
};

// Stores a little-endian 16-bit value at out[at].
inline void put16(std::vector<u8>& out, size_t at, u32 value)
{
    out[at] = (u8)value;
    out[at + 1] = (u8)(value >> 8);
}

// Stores a little-endian 32-bit value at out[at].
inline void put32(std::vector<u8>& out, size_t at, u32 value)
{
    put16(out, at, value);
    put16(out, at + 2, value >> 16);
}

// What a BMP fixture may vary; a plain 24-bit bottom-up file by default.
struct BmpShape {
    i32 width = 1;
    i32 height = 1;
    u32 gap = 0;            // bytes of junk between the header and the pixel data
    bool top_down = false;  // rows stored top first, with a negative height
};

// A 24-bit BMP of the given RGB pixels (rows bottom first), its rows padded with junk.
inline std::vector<u8> make_bmp(const BmpShape& shape, const std::vector<u8>& rgb)
{
    u32 width = (u32)shape.width, height = (u32)shape.height;
    u32 stride = (width * 3 + 3) & ~3u, offset = 54 + shape.gap;
    std::vector<u8> out(offset + (size_t)stride * height, 0xEE);
    std::fill(out.begin(), out.begin() + 54, 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, (u32)out.size());
    put32(out, 10, offset);
    put32(out, 14, 40);
    put32(out, 18, width);
    put32(out, 22, shape.top_down ? (u32) - (i32)height : height);
    put16(out, 26, 1);
    put16(out, 28, 24);
    for (u32 y = 0; y < height; y++) {
        u8* dst = &out[offset + (size_t)(shape.top_down ? height - 1 - y : y) * stride];
        for (u32 x = 0; x < width; x++)
            for (int c = 0; c < 3; c++)
                dst[x * 3 + c] = rgb[((size_t)y * width + x) * 3 + 2 - c];
    }
    return out;
}

// A width x height 24-bit BMP of one colour.
inline std::vector<u8> solid_bmp(i32 width, i32 height, u8 r, u8 g, u8 b)
{
    std::vector<u8> rgb;
    for (i32 i = 0; i < width * height; i++)
        rgb.insert(rgb.end(), {r, g, b});
    return make_bmp({width, height}, rgb);
}

const int WAV = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
const int OGG = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
const int MP3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;

struct Piece {
    double seconds, hz;
};

// Writes a sine tone of amplitude 0.25, its pieces one after another, in every channel.
inline bool write_tone(const std::string& path, int format, int rate, int channels,
                       std::vector<Piece> pieces)
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
    for (const Piece& piece : pieces)
        for (long i = 0; i < lround(piece.seconds * rate); i++, phase += 2 * M_PI * piece.hz / rate)
            frames.insert(frames.end(), (size_t)channels, (float)(0.25 * sin(phase)));
    sf_count_t count = (sf_count_t)(frames.size() / channels);
    bool ok = sf_writef_float(file, frames.data(), count) == count;
    sf_close(file);
    return ok;
}

// Opens the test program's one window unless it is open; false if the display refuses it.
inline bool open_window(int width, int height, int bpp = 32)
{
    for (int attempt = 0; attempt < 3 && !gl_vertex.ready; attempt++)
        if (VTX_Init(width, height, bpp, 0) != 0)
            SDL_Delay(100);
    return gl_vertex.ready;
}

typedef std::array<int, 3> Rgb;

// RGB of one window pixel of the back buffer.
inline Rgb read_pixel(int x, int y)
{
    u8 rgb[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return {rgb[0], rgb[1], rgb[2]};
}

// Queues a press or release for the window's next loop: a mouse button below 8,
// else a key by its SDL symbol.
inline void push_press(int key, bool down)
{
    SDL_Event event = {};
    if (key < 8) {
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.button = (Uint8)key;
    } else {
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.keysym.sym = (SDLKey)key;
    }
    SDL_PushEvent(&event);
}

// Queues a relative mouse movement.
inline void push_motion(int dx, int dy)
{
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.xrel = (Sint16)dx;
    event.motion.yrel = (Sint16)dy;
    SDL_PushEvent(&event);
}

// Queues a window resize.
inline void push_resize(int width, int height)
{
    SDL_Event event = {};
    event.type = SDL_VIDEORESIZE;
    event.resize.w = width;
    event.resize.h = height;
    SDL_PushEvent(&event);
}

}  // namespace test_support
