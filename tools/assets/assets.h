// Shared pieces of the asset generator: the canvas, its writers and
// the procedural helpers that the texture, sound, music and level parts use.
#pragma once

#include <sndfile.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "shell/types.h"

// A picture being painted: rows from the top, three floats per pixel in [0, 1].
// Turned into gfx/image's byte buffer only when written.
struct s_canvas {
    int width;
    int height;
    std::vector<f32> rgb;
    std::vector<f32> alpha;  // one float per pixel in [0, 1]; empty: opaque
};

// A colour as three floats in [0, 1].
struct s_rgb {
    f32 r, g, b;
};

// Creates a picture filled with one colour.
s_canvas canvas_make(int width, int height, s_rgb fill);
// Returns the pixel at (x, y), wrapping both coordinates around the picture.
s_rgb canvas_get(const s_canvas& canvas, int x, int y);
// Writes the pixel at (x, y); coordinates outside the picture are ignored.
void canvas_set(s_canvas& canvas, int x, int y, s_rgb color);
// Mixes colour into the pixel at (x, y) with weight alpha in [0, 1].
void canvas_blend(s_canvas& canvas, int x, int y, s_rgb color, f32 alpha);
// Writes an 8-bit RGB PNG (RGBA when the picture has alpha) without time or
// text chunks; 0 on success, 1 on failure.
int canvas_write_png(const s_canvas& canvas, const std::string& path);
// Writes an uncompressed 24-bit bottom-up BMP; 0 on success, 1 on failure.
int canvas_write_bmp(const s_canvas& canvas, const std::string& path);

// Linear interpolation between two colours.
s_rgb rgb_mix(s_rgb a, s_rgb b, f32 t);
// Multiplies a colour by a factor.
s_rgb rgb_scale(s_rgb a, f32 k);
// Value noise in [0, 1] that repeats every `period` units on both axes.
f32 noise_value(f32 x, f32 y, int period, u32 seed);
// Sum of octaves of tileable value noise, normalised to [0, 1].
f32 noise_fbm(f32 x, f32 y, int period, int octaves, u32 seed);
// Integer hash giving a float in [0, 1).
f32 noise_hash(u32 x, u32 y, u32 seed);

// Creates every missing directory of `path` (which names a file); 0 on success.
int assets_make_dirs(const std::string& path);
// Writes a byte buffer to a file; 0 on success, 1 with a message on failure.
int assets_write_file(const std::string& path, const std::vector<u8>& bytes);
// Creates the directories of `path` and opens it for writing through
// libsndfile; nullptr with a message on failure.
SNDFILE* assets_open_sound(const std::string& path, int rate, int channels, int format);

// One part of the generator: writes its files under root; 0 on success.
typedef int (*t_assets_part)(const std::string& root);
// Runs every part, going on past one that fails; 0 when all succeeded.
int assets_write_parts(const std::string& root, std::initializer_list<t_assets_part> parts);

// Writes the game's sprites and the level textures under root/data.
int textures_write(const std::string& root);
// Writes the level textures (backgrounds, walls, blocks) under root/data.
int level_textures_write(const std::string& root);
// Writes data/font_texture_00.bmp under root.
int font_write(const std::string& root);
// Writes the sound effects under root/data/sounds.
int sounds_write(const std::string& root);
// Writes the music tracks under root/data/musics/random.
int music_write(const std::string& root);
// Writes the level pack under root/levels.
int levels_write(const std::string& root);
// Writes the application icon in every hicolor size under root/dist/icons.
int icon_write(const std::string& root);
