// Title and launch hint: light glyphs with a dark outline, so they read on
// every background, placed from the window's size and the pad's projection.
#include "shell/hud.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "gfx/fonts.h"
#include "shell/vertex.h"

constexpr f32 HUD_ADVANCE =
    0.75f;  // glyph advance over glyph side: the glyphs fill 12 of 16 texels
constexpr f32 HUD_TITLE_WIDTH = 0.9f;   // most of the window's width a title may take
constexpr f32 HUD_TITLE_HEIGHT = 0.6f;  // height of a title's middle, over the window's
constexpr f32 HUD_MARGIN = 4;           // pixels the hint keeps from the window's edges

void hud_init(s_hud* hud)
{
    hud->font = font_init() == 0;
    hud->title[0] = '\0';
    hud->title_ms = HUD_TITLE_MS;
    hud->hint_alpha = 1;
    hud->pad_x = hud->pad_y = 0;
    hud->pad_seen = 0;
    hud->alert[0] = '\0';
    hud->alert_error = 0;
}

void hud_title(s_hud* hud, const char* name)
{
    snprintf(hud->title, sizeof hud->title, "%s", name ? name : "");
    hud->title_ms = 0;
}

void hud_alert(s_hud* hud, const char* text, u8 error)
{
    snprintf(hud->alert, sizeof hud->alert, "%s", text ? text : "");
    hud->alert_error = error;
}

void hud_loop(s_hud* hud, u8 hint)
{
    f32 ms = gl_vertex.frame_time;
    if (hud->title_ms < HUD_TITLE_MS)
        hud->title_ms += ms;
    f32 alpha = hud->hint_alpha + (hint ? ms : -ms) / HUD_HINT_FADE_MS;
    hud->hint_alpha = alpha < 0 ? 0 : alpha > 1 ? 1 : alpha;
}

void hud_project(s_hud* hud, const s_pad* pad)
{
    GLdouble model[16], projection[16], x = 0, y = 0, z = 0;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // A depth outside 0 to 1 is a point behind the eye (the view from the pad).
    hud->pad_seen = gluProject(pad->coord.x, pad->coord.y, pad->coord.z, model, projection,
                               viewport, &x, &y, &z) == GL_TRUE &&
                    z > 0 && z < 1 && std::isfinite(x) && std::isfinite(y);
    hud->pad_x = hud->pad_seen ? (f32)x : 0;
    hud->pad_y = hud->pad_seen ? (f32)y : 0;
}

static f32 hud_clamp(f32 value, f32 low, f32 high)
{
    return value > high ? high : value < low ? low : value;
}

// Writes one line of text centred on x, glyphs size pixels square.
static void hud_internal_centred(f32 x, f32 y, f32 size, const char* text)
{
    f32 advance = size * HUD_ADVANCE;
    PrintString(x - ((f32)(strlen(text) - 1) * advance + size) / 2, y, size, advance, 0, "%s",
                text);
}

static void hud_internal_title(const s_hud* hud)
{
    size_t count = strlen(hud->title);
    if (hud->title_ms >= HUD_TITLE_MS || count == 0)
        return;
    f32 width = (f32)gl_vertex.width, size = HUD_TITLE_SIZE, advance = size * HUD_ADVANCE;
    // A long name on a narrow window shrinks to fit rather than run off its sides.
    if (count * advance > width * HUD_TITLE_WIDTH) {
        advance = width * HUD_TITLE_WIDTH / (f32)count;
        size = advance / HUD_ADVANCE;
    }
    f32 y = (f32)gl_vertex.height * HUD_TITLE_HEIGHT - size / 2;
    glColor4f(1, 1, 1, hud_clamp((HUD_TITLE_MS - hud->title_ms) / HUD_TITLE_FADE_MS, 0, 1));
    hud_internal_centred(width / 2, y, size, hud->title);
}

static void hud_internal_hint(const s_hud* hud)
{
    if (hud->hint_alpha <= 0)
        return;
    f32 size = HUD_HINT_SIZE, advance = size * HUD_ADVANCE;
    f32 span = (f32)(strlen(HUD_HINT_TEXT) - 1) * advance + size;
    f32 width = (f32)gl_vertex.width, height = (f32)gl_vertex.height;
    // Where the pad is not in sight, the hint sits at the bottom middle.
    f32 x = hud->pad_seen ? hud->pad_x - span / 2 : (width - span) / 2;
    f32 y = hud->pad_seen ? hud->pad_y - HUD_HINT_DROP - size : HUD_MARGIN;
    x = hud_clamp(x, HUD_MARGIN, width - span - HUD_MARGIN);
    y = hud_clamp(y, HUD_MARGIN, height - size - HUD_MARGIN);
    glColor4f(1, 1, 1, hud->hint_alpha);
    PrintString(x, y, size, advance, 0, HUD_HINT_TEXT);
}

// Darkens the window's rows from bottom to top under what is written next, in
// screen space (VTX_ScrDimention(1)); alpha is the black's opacity.
static void hud_internal_shade(f32 bottom, f32 top, f32 alpha)
{
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, alpha);
    glRectf(0, bottom, (f32)gl_vertex.width, top);
    glDisable(GL_BLEND);
}

// The alert on a dark band across the top, cut into lines the window's width;
// errors in red, warnings in yellow, both far from any level's usual colours.
static void hud_internal_alert(const s_hud* hud)
{
    size_t count = strlen(hud->alert);
    f32 size = HUD_ALERT_SIZE, advance = size * HUD_ADVANCE;
    f32 width = (f32)gl_vertex.width, height = (f32)gl_vertex.height;
    // A window too narrow for one glyph has no line to write in.
    f32 fit = (width - 2 * HUD_MARGIN - size) / advance;
    if (count == 0 || !(fit >= 0))
        return;
    size_t per_line = (size_t)fit + 1;
    size_t lines = (count + per_line - 1) / per_line;
    f32 band = (f32)lines * (size + 2) + 2 * HUD_MARGIN;
    VTX_ScrDimention(1);
    hud_internal_shade(height - band, height, 0.75f);
    if (hud->alert_error)
        glColor4f(1, 0.25f, 0.2f, 1);
    else
        glColor4f(1, 0.9f, 0.2f, 1);
    for (size_t i = 0; i < lines; i++) {
        char line[HUD_ALERT_CAP];
        snprintf(line, sizeof line, "%.*s", (int)per_line, hud->alert + i * per_line);
        PrintString(HUD_MARGIN, height - HUD_MARGIN - (f32)(i + 1) * (size + 2), size, advance, 0,
                    "%s", line);
    }
}

void hud_draw(const s_hud* hud)
{
    bool title = hud->title_ms < HUD_TITLE_MS && hud->title[0];
    // A window squeezed to nothing has no screen projection to write in.
    if (!hud->font || (!title && hud->hint_alpha <= 0 && !hud->alert[0]) || gl_vertex.width < 1 ||
        gl_vertex.height < 1)
        return;
    hud_internal_title(hud);
    hud_internal_hint(hud);
    hud_internal_alert(hud);
    glColor4f(1, 1, 1, 1);
    VTX_ScrDimention(0);
}

void hud_draw_pause()
{
    f32 width = (f32)gl_vertex.width, height = (f32)gl_vertex.height;
    VTX_ScrDimention(1);
    hud_internal_shade(0, height, 0.6f);
    glColor4f(1, 1, 1, 1);
    hud_internal_centred(width / 2, height / 2, HUD_PAUSE_TITLE_SIZE, "Paused");
    hud_internal_centred(width / 2, height / 2 - 2 * HUD_HINT_SIZE, HUD_HINT_SIZE,
                         "P or click to resume");
    VTX_ScrDimention(0);
}

void hud_stop(s_hud* hud)
{
    font_stop();
    hud->font = 0;
}
