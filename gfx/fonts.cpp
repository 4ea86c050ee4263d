// Bitmap-font text: a tiny formatter and screen-space glyph quads from a 16 x 16 cell texture.
#include "gfx/fonts.h"

#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>

#include "gfx/surface.h"
#include "shell/vertex.h"

static const char* FONT_PATH = "data/font_texture_00.bmp";
constexpr float FONT_CELL = 0.0625f;  // one of 16 cells, in texture coordinates

u32 gl_fonts[FONT_COUNT];

// The fonts' own store: its keys turn white transparent, and it must outlive every
// PrintString because stopping it would delete the glyph texture.
static s_surface s_font_store;
static u8 s_font_store_ready;

int font_init()
{
    if (!s_font_store_ready) {
        surface_init(&s_font_store);
        surface_mode(&s_font_store, SURFACE_ALPHA_FILE, 1);
        s_font_store_ready = 1;
    }
    surface_alpha_define(&s_font_store, 255, 255, 255, 0);
    int failed = surface_load(&s_font_store, FONT_PATH, &gl_fonts[0]);
    surface_alpha_reset(&s_font_store, 255);
    return failed ? 1 : 0;
}

void font_stop()
{
    if (!s_font_store_ready)
        return;
    surface_stop(&s_font_store);
    s_font_store_ready = 0;
    for (int i = 0; i < FONT_COUNT; i++)
        gl_fonts[i] = 0;
}

// Text being formatted: characters counted, not terminated, cut at the buffer's end.
struct s_font_text {
    char chars[FONT_BUFFER_SIZE];
    u32 count;
};

// Appends length characters, dropping what does not fit.
static void font_append(s_font_text* text, const char* chars, size_t length)
{
    for (size_t i = 0; i < length && text->count < FONT_BUFFER_SIZE; i++)
        text->chars[text->count++] = chars[i];
}

// The formatter: %c, %d and %s convert; "%" and any other character stay as both
// characters; a lone "%" at the end ends the text.
static void font_format(s_font_text* text, const char* format, va_list args)
{
    text->count = 0;
    for (const char* p = format; *p; p++) {
        if (*p != '%') {
            font_append(text, p, 1);
            continue;
        }
        char kind = p[1];
        if (kind == '\0')
            break;
        p++;
        char scratch[16];
        if (kind == 'c') {
            scratch[0] = (char)va_arg(args, int);
            font_append(text, scratch, 1);
        } else if (kind == 'd') {
            int length = snprintf(scratch, sizeof scratch, "%d", va_arg(args, int));
            font_append(text, scratch, (size_t)length);
        } else if (kind == 's') {
            const char* string = va_arg(args, const char*);
            if (!string)
                string = "(null)";
            for (; *string && text->count < FONT_BUFFER_SIZE; string++)
                font_append(text, string, 1);
        } else {
            scratch[0] = '%';
            scratch[1] = kind;
            font_append(text, scratch, 2);
        }
    }
}

// True when a corner converts to an int: one beyond the int range (or not a
// number) lies far off any screen, and its conversion would be undefined.
static bool font_in_int_range(float value)
{
    return value >= -2147483648.0f && value < 2147483648.0f;
}

void PrintChar(float x, float y, float size, char code)
{
    if (!font_in_int_range(x) || !font_in_int_range(y) || !font_in_int_range(x + size) ||
        !font_in_int_range(y + size))
        return;
    u8 n = (u8)code;
    float left = (float)(n % 16) / 16.0f;
    float bottom = 1.0f - (float)(n / 16) / 16.0f - FONT_CELL;
    // Corners land on whole pixels (truncated toward zero) so glyphs stay crisp.
    glBegin(GL_QUADS);
    glTexCoord2f(left + FONT_CELL, bottom + FONT_CELL);
    glVertex2i((int)(x + size), (int)(y + size));
    glTexCoord2f(left + FONT_CELL, bottom);
    glVertex2i((int)(x + size), (int)y);
    glTexCoord2f(left, bottom);
    glVertex2i((int)x, (int)y);
    glTexCoord2f(left, bottom + FONT_CELL);
    glVertex2i((int)x, (int)(y + size));
    glEnd();
}

int PrintString(float x, float y, float size, float spacing, int font, const char* format, ...)
{
    s_font_text text;
    va_list args;
    va_start(args, format);
    font_format(&text, format, args);
    va_end(args);

    VTX_ScrDimention(1);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // A font number without a texture draws untextured squares rather than reading past the table.
    u32 texture = (font >= 0 && font < FONT_COUNT) ? gl_fonts[font] : 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glPushMatrix();
    float offset = 0.0f;
    for (u32 i = 0; i < text.count; i++) {
        PrintChar(x + offset, y, size, text.chars[i]);
        offset += spacing;
    }
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    return 0;
}
