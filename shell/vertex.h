// The window module: one SDL window with its GL context, the projection, the
// frame clock, the game clock that stops while paused and the table of held
// keys. Everything it learns each frame lands in gl_vertex, which the rest of
// the game reads directly.
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
    VTX_KEY_P = 'p',    // pauses and resumes
    VTX_KEY_F11 = 292,  // toggles full screen
    VTX_KEY_RETURN = 13,
    VTX_KEY_BACKSPACE = 8,
    VTX_KEY_UP = 273,
    VTX_KEY_DOWN = 274,
    VTX_KEY_RIGHT = 275,
    VTX_KEY_LEFT = 276,
    // The first gamepad, past every SDL 1.2 key symbol. Its button 0 also
    // holds VTX_MOUSE_LEFT, so it launches and charges as the mouse does.
    VTX_JOY_UP = 400,  // the d-pad, or the stick pushed past half its way
    VTX_JOY_DOWN,
    VTX_JOY_LEFT,
    VTX_JOY_RIGHT,
    VTX_JOY_A,      // button 0
    VTX_JOY_B,      // button 1
    VTX_JOY_START,  // button 7: pauses and resumes as P does
};

// The gamepad's buttons by SDL's numbering (Xbox-style under sdl12-compat's game controllers).
enum {
    VTX_JOY_BUTTON_A = 0,
    VTX_JOY_BUTTON_B = 1,
    VTX_JOY_BUTTON_START = 7,
};

constexpr f32 VTX_STICK_DEAD = 0.2f;       // deflection of the stick that steers nothing
constexpr f32 VTX_STICK_PX_PER_MS = 1.2f;  // mouse motion a full deflection steers by, per ms

enum {
    VTX_PAUSED_FRAME_MS = 100,  // longest sleep of a paused frame; an event ends it sooner
    VTX_TAPS_MAX = 32,      // keys per frame whose release can wait for the next frame
    VTX_MAX_FPS_AUTO = -1,  // VTX_SetMaxFps: the display's refresh rate where it is known
    VTX_MAX_FPS_DEFAULT = 60,  // what VTX_MAX_FPS_AUTO gives when the rate is not known
    VTX_MAX_FPS_HIGHEST = 1000,
};

struct s_vertex {
    u8 key[512];          // 1 while a key (by SDL key symbol) or mouse button (1 to 5) is held;
                          // a key pressed during a frame reads 1 for that whole frame
    i32 mouse_dx;         // relative motion summed over the frame's motion events, 0 if none
    i32 mouse_dy;         // positive downwards
    SDL_Surface* screen;  // the video surface of the window
    int dimension;        // 0: perspective with depth test, other: 2-D orthographic
    int height;           // window size in pixels
    int width;
    u32 ticks;       // game clock in ms at the start of the current frame; stands still while
                     // paused; 0 before the first frame
    f32 time_scale;  // game time per wall millisecond (the game speed); 1.0 after VTX_Init
    f32 frame_time;  // game time of the previous frame in ms (scaled); 0 on the first frame and
                     // while paused
    u8 quit;         // 1 once a close was requested; never cleared
    u8 ready;        // 1 between a successful VTX_Init and VTX_Stop
    u8 paused;       // 1 while the game is paused; changed only by the window's events
    u8 pausable;     // 1 when P and a lost focus pause the game (VTX_SetPausable)
    u8 fullscreen;   // 1 while the window covers the desktop
    u32 wall_ticks;  // frame clock in ms at the start of the current frame, paused or not
    f32 swap_ms;     // wall time the last buffer swap and clear took, ms (with the finish
                     // before the wait under a frame limit)
    f64 shown_ms;    // clock_ms() when the last picture was handed to the display
    i32 pointer_x;   // where the pointer last was, window pixels from the top left
    i32 pointer_y;
    u8 menus;  // 1 when menus answer while paused: keys count, a click does not resume
};

extern s_vertex gl_vertex;

// Millisecond clock the frame loop reads; SDL_GetTicks unless replaced.
typedef u32 (*vtx_clock)(void);

// Opens the window and its GL context; 0 on success, 1 on failure (SDL_GetError tells why).
int VTX_Init(int width, int height, int bits_per_pixel, u8 fullscreen);
// One frame: clock, events, buffer swap and clear; returns the quit flag. While paused it
// first sleeps until an event arrives or VTX_PAUSED_FRAME_MS pass.
i8 VTX_Loop(u32 min_frame_ms);
// Records a new window size and rebuilds viewport and projection.
void VTX_ScrResize(int width, int height);
// Selects perspective (0) or pixel-exact orthographic (other) projection.
void VTX_ScrDimention(int dimension);
// Switches between the window and full screen at the desktop's size, keeping the GL
// context; back in the window the previous window size returns. 0 on success, 1 on failure
// (the previous mode is kept).
int VTX_SetFullscreen(u8 fullscreen);
// Lets P and a lost input focus pause the game (1), or ignores them (0, after VTX_Init).
void VTX_SetPausable(u8 pausable);
// Pauses (1) or resumes (0) as P would.
void VTX_SetPaused(u8 paused);
// Lets menus take the input while paused (1), or keeps the plain pause (0, after VTX_Init).
void VTX_SetMenus(u8 menus);
// Asks for vertical sync (1, the default) or not at the next VTX_Init; TUMBRELIX_NO_VSYNC=1
// in the environment turns it off as well.
void VTX_SetVsync(u8 vsync);
// Limits the frames to fps a second (1 to VTX_MAX_FPS_HIGHEST), lifts the limit (0), or
// sets it to the display's refresh rate (VTX_MAX_FPS_AUTO). VTX_Loop waits for each
// frame's deadline before it reads the clock; a late frame starts the count again
// rather than making the next ones hurry. No limit until this is called.
void VTX_SetMaxFps(int fps);
// The limit in force, frames per second; 0 for none.
int VTX_GetMaxFps();
// Shows or hides the cursor and grabs or releases the input.
void VTX_SetMouse(u8 show_cursor, u8 grab);
// Sets the window caption.
void VTX_SetWindow(const char* title, const char* icon_title);
// Frames per second of the last frame, 0 after a frame of 0 ms.
f32 VTX_GetFps();
// Closes the window and shuts SDL down; does nothing unless open.
void VTX_Stop();
// What SDL said of its latest failure, such as a window it could not open.
const char* VTX_Error();
// Sleeps ms milliseconds without spinning.
void VTX_Delay(u32 ms);
// Replaces the frame clock (tests and fixed-step runs); null restores SDL_GetTicks.
void VTX_SetClock(vtx_clock clock);
