// Bitmap-font text: one texture of 16 x 16 glyph cells, drawn as screen-space
// quads with a small printf-like formatter.
#pragma once

#include "shell/types.h"

enum {
    FONT_COUNT = 4,          // entries of gl_fonts; only font 0 is ever loaded
    FONT_BUFFER_SIZE = 1024  // formatted characters kept per PrintString call; the rest is cut
};

// OpenGL texture names by font number; 0 where no font is loaded.
extern u32 gl_fonts[FONT_COUNT];

// Loads "data/font_texture_00.bmp" as font 0, white transparent; 0 on success, 1 on failure.
int font_init();
// Releases the font textures and their store; the fonts are unusable afterwards.
void font_stop();
// Formats (%c %d %s; any other %X prints both characters) and draws at pixel (x, y); returns 0.
int PrintString(float x, float y, float size, float spacing, int font, const char* format, ...);
// Draws one glyph square with its bottom-left corner at (x, y), nothing if a corner lies
// beyond the int range; only inside PrintString's set-up.
void PrintChar(float x, float y, float size, char code);
