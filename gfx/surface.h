// The texture store: turns PNG and 24-bit BMP files (read by gfx/image) into
// OpenGL textures, remembers each file by its exact path, and can derive an alpha
// channel from colour keys between decoding and upload. The caller owns the record.
#pragma once

#include "gfx/image.h"
#include "shell/types.h"

// Alpha modes (s_surface.alpha_mode); any other value behaves as SURFACE_ALPHA_KEYS.
enum {
    SURFACE_ALPHA_FILE = 0,  // RGB widened with key alphas; RGBA keeps the file's alpha
    SURFACE_ALPHA_KEYS = 1,  // every image gets RGBA with alpha from the keys
    SURFACE_ALPHA_NONE = 2,  // pixels uploaded with the channels of the file
};

enum {
    SURFACE_NAMES_STEP = 256,               // least growth of the name pool, bytes
    SURFACE_ENTRIES_STEP = 32,              // growth of the entry array, entries
    SURFACE_KEYS_STEP = 16,                 // growth of the key array, keys
    SURFACE_ERROR_SIZE = IMAGE_ERROR_SIZE,  // bytes of the last-failure message, NUL included
};

// One colour key; read as a little-endian u32 it is 0xRRGGBBAA.
struct s_surface_key {
    u8 alpha;  // alpha given to pixels of this colour
    u8 blue;
    u8 green;
    u8 red;
};

// One loaded file: where its path sits in the name pool and its texture.
struct s_surface_entry {
    u32 name_offset;  // offset in s_surface.names of the path's first character
    u32 texture;      // OpenGL texture name
};

struct s_surface {
    s_surface_key* keys;             // colour keys in definition order (heap)
    u32 key_count;                   // keys in use
    u8 alpha_default;                // alpha of pixels no key matches
    u32 key_capacity;                // keys allocated
    char* names;                     // paths of loaded files, NUL-terminated, back to back (heap)
    u32 names_length;                // pool bytes in use, terminators included
    u32 names_capacity;              // pool bytes allocated
    s_surface_entry* entries;        // one per loaded file, in load order (heap)
    u32 entry_count;                 // entries in use
    u32 entry_capacity;              // entries allocated
    u32 alpha_mode;                  // SURFACE_ALPHA_*
    u32 mipmap;                      // 1: full mipmap chain; other: one level, linear filters
    char error[SURFACE_ERROR_SIZE];  // why the last failed call failed ("" after success)
};

// Sets every field to its initial value (mode 2, mipmaps on, alpha_default 255); returns 0.
int surface_init(s_surface* surface);
// Sets the alpha mode and the mipmap switch for every later load.
void surface_mode(s_surface* surface, u32 alpha_mode, u32 mipmap);
// Appends a colour key (earliest defined wins on a match); 1 if the key array cannot grow.
int surface_alpha_define(s_surface* surface, u8 red, u8 green, u8 blue, u8 alpha);
// Forgets every key (allocation kept) and sets the alpha of unmatched pixels.
void surface_alpha_reset(s_surface* surface, u8 alpha_default);
// Loads path (or finds it cached) and writes its texture name; 1 on failure, texture untouched.
int surface_load(s_surface* surface, const char* path, u32* texture);
// Deletes every texture whose name is not among keep[0 .. count - 1] and forgets its
// path; the others keep their names and their paths stay cached.
void surface_prune(s_surface* surface, const u32* keep, u32 count);
// Message of the last failed surface_load or surface_alpha_define, "" if none.
const char* surface_last_error(const s_surface* surface);
// Deletes every texture of the store and releases its arrays; surface_init before reuse.
void surface_stop(s_surface* surface);
