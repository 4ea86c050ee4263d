// The window module: one SDL window with its GL context, the projection, the
// frame clock and the table of held keys. Everything it learns each frame lands
// in gl_vertex, which the rest of the game reads directly.
#pragma once

#include "shell/types.h"

struct SDL_Surface;

// Key symbols the game reads from gl_vertex.key (SDL 1.2 numbering).
enum {
    VTX_MOUSE_LEFT = 1,
    VTX_MOUSE_MIDDLE = 2,
    VTX_MOUSE_RIGHT = 3,
    VTX_KEY_ESCAPE = 27,
    VTX_KEY_SPACE = 32,
    VTX_KEY_B = 'b',
};

struct s_vertex {
    u8 key[512];          // 1 while a key (by SDL key symbol) or mouse button (1 to 5) is held
    i32 mouse_dx;         // relative motion of the frame's last motion event, 0 if none
    i32 mouse_dy;         // positive downwards
    SDL_Surface* screen;  // the video surface of the window
    int dimension;        // 0: perspective with depth test, other: 2-D orthographic
    int height;           // window size in pixels
    int width;
    u32 ticks;       // clock in ms at the start of the current frame; 0 before the first frame
    f32 time_scale;  // factor on elapsed milliseconds, 1.0
    f32 frame_time;  // duration of the previous frame in ms (scaled); 0 on the first frame
    u8 quit;         // 1 once a close was requested; never cleared
    u8 ready;        // 1 between a successful VTX_Init and VTX_Stop
};

extern s_vertex gl_vertex;

// Millisecond clock the frame loop reads; SDL_GetTicks unless replaced.
typedef u32 (*vtx_clock)(void);

// Opens the window and its GL context; 0 on success, 1 on failure (SDL_GetError tells why).
int VTX_Init(int width, int height, int bits_per_pixel, u8 fullscreen);
// Sets the fixed GL state the game relies on.
void VTX_InternalReset();
// One frame: clock, events, buffer swap and clear; returns the quit flag.
i8 VTX_Loop(u32 min_frame_ms);
// Records a new window size and rebuilds viewport and projection.
void VTX_ScrResize(int width, int height);
// Selects perspective (0) or pixel-exact orthographic (other) projection.
void VTX_ScrDimention(int dimension);
// Shows or hides the cursor and grabs or releases the input.
void VTX_SetMouse(u8 show_cursor, u8 grab);
// Sets the window caption.
void VTX_SetWindow(const char* title, const char* icon_title);
// Frames per second of the last frame, 0 after a frame of 0 ms.
f32 VTX_GetFps();
// Closes the window and shuts SDL down; does nothing unless open.
void VTX_Stop();
// Replaces the frame clock (tests and fixed-step runs); null restores SDL_GetTicks.
void VTX_SetClock(vtx_clock clock);
