// The words on screen: each level's title at its start and the launch hint
// under the pad, in the bitmap font over the finished picture.
#pragma once

#include "game/pad.h"
#include "shell/types.h"

constexpr float HUD_TITLE_MS = 2000.0f;      // game time a level's title shows
constexpr float HUD_TITLE_FADE_MS = 500.0f;  // the end of that time, over which it fades out
constexpr float HUD_HINT_FADE_MS =
    400.0f;  // the launch hint fades out (and back in) over this much
constexpr const char* HUD_HINT_TEXT = "Click to launch";

enum {
    HUD_TITLE_SIZE = 32,        // glyph side of a title, pixels, where the window is wide enough
    HUD_PAUSE_TITLE_SIZE = 32,  // glyph side of "Paused", pixels
    HUD_HINT_SIZE = 16,         // glyph side of the hint, pixels
    HUD_HINT_DROP = 24,         // pixels from the pad's centre down to the top of the hint
    HUD_TITLE_CAP = 64,         // bytes kept of a title, terminator included
    HUD_ALERT_SIZE = 12,        // glyph side of an author's alert, pixels
    HUD_ALERT_CAP = 512,        // bytes kept of an alert, terminator included
};

struct s_hud {
    u8 font;                    // the font loaded; without it nothing is written
    char title[HUD_TITLE_CAP];  // the level's display name
    f32 title_ms;               // game time the title has shown; from HUD_TITLE_MS on it is gone
    f32 hint_alpha;             // opacity of the launch hint, 0 to 1
    f32 pad_x, pad_y;           // the pad's centre in window pixels, origin at the bottom left
    u8 pad_seen;                // this frame's pad centre lay in front of the eye
    char alert[HUD_ALERT_CAP];  // message for the level's author at the top; "" for none
    u8 alert_error;             // the alert is an error (else a warning): its colour
};

// Loads the font (without it the game runs wordless); nothing shows yet. Needs GL.
void hud_init(s_hud* hud);
// Shows name as the title from now on for HUD_TITLE_MS of game time.
void hud_title(s_hud* hud, const char* name);
// Shows text at the top of the window until replaced, warning or error
// colour; null or "" takes the alert away.
void hud_alert(s_hud* hud, const char* text, u8 error);
// Advances the title's time and fades the hint toward shown (hint non-zero) or hidden.
void hud_loop(s_hud* hud, u8 hint);
// Notes where the pad's centre shows in the window; call with the camera's view in place.
void hud_project(s_hud* hud, const s_pad* pad);
// Writes the title, the hint and the alert over the picture, then restores the perspective projection.
void hud_draw(const s_hud* hud);
// The paused picture: the frozen scene dimmed, with the way back in words.
void hud_draw_pause();
// Releases the font. Needs GL.
void hud_stop(s_hud* hud);
