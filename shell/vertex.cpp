// The window module: SDL 1.2 window, GL context, projection, frame and game
// clocks, pause, full screen and the input table.
#include "shell/vertex.h"

#include "shell/clock.h"

#include <SDL/SDL.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdlib>
#include <cstring>

// Video mode flags: the window may be resized; the full-screen mode keeps its size.
constexpr Uint32 VTX_FLAGS_WINDOW = 0x20000017u;
constexpr Uint32 VTX_FLAGS_FULLSCREEN = 0xA0000007u;
constexpr u32 VTX_IDLE_STEP_MS = 10;  // poll period of a paused frame's sleep

// What the events of the current frame leave for the end of the frame, and the
// bookkeeping that lets a short tap read as held for one frame.
struct s_vtx_input {
    u8 down[512];                   // held state as the events tell it
    u32 pressed_frame[512];         // frame of each key's latest press
    u16 release_due[VTX_TAPS_MAX];  // keys released in the frame of their press
    u32 release_count;
    u32 frame;       // frames begun since VTX_Init, 0 before the first
    u32 advance;     // ms the game clock moved at the start of this frame
    u8 focus_lost;   // the input focus is gone, as the events of this frame tell it
    u8 focus_event;  // a focus loss was seen this frame
    u8 toggle_due;   // F11 was pressed this frame
    u8 resize_due;   // the window was resized this frame
    int resize_width, resize_height;
    u8 warp_due;  // the pointer was sent to (warp_x, warp_y); that motion is no move
    int warp_x, warp_y;
    u8 warp_drops;         // the motions before the warp's own are no moves either
    u32 warp_until;        // last frame the warp's motion is waited for
    u8 pointer_placed;     // the next motion is a move; 0: it only places the pointer
    u32 elapsed;           // wall ms since the previous frame
    f64 carry;             // game ms owed to the clock below a whole one (a game speed under 1)
    f32 stick_x, stick_y;  // the gamepad's stick, -1 to 1 (right, down)
    u8 hat;                // the gamepad's d-pad, SDL_HAT_ bits
    f32 steer_carry;       // steered mouse motion below a whole pixel
};

// The window's modes: the desktop's size, the window size to return to and the GL options.
struct s_vtx_window {
    int desktop_width, desktop_height;
    int window_width, window_height;
    u8 vsync;
    u8 grabbed;  // the input is grabbed and the pointer kept inside the window
};

// The frame limit: each frame starts one period after the previous one's deadline.
struct s_vtx_pace {
    int fps;       // 0: no limit
    u64 period;    // ns between two frames
    u64 deadline;  // clock_ns() at which the last frame started; 0 before the first
};

s_vertex gl_vertex;

static vtx_clock vtx_now = SDL_GetTicks;
static SDL_Joystick* vtx_joystick;
static s_vtx_input vtx_input;
static s_vtx_window vtx_window = {0, 0, 0, 0, 1, 0};
static s_vtx_pace vtx_pace;

// Sets the video mode with the surface's own depth: any other depth makes SDL's X11
// driver build a new window, and with it a new GL context without our textures.
// 0 on success; on failure the previous mode is set again.
static int vtx_internal_mode(int width, int height, u8 fullscreen)
{
    int bpp = gl_vertex.screen ? gl_vertex.screen->format->BitsPerPixel : 0;
    Uint32 flags = fullscreen ? VTX_FLAGS_FULLSCREEN : VTX_FLAGS_WINDOW;
    SDL_Surface* screen =
        SDL_SetVideoMode(width < 1 ? 1 : width, height < 1 ? 1 : height, bpp, flags);
    if (screen) {
        gl_vertex.screen = screen;
        return 0;
    }
    Uint32 previous = gl_vertex.fullscreen ? VTX_FLAGS_FULLSCREEN : VTX_FLAGS_WINDOW;
    gl_vertex.screen = SDL_SetVideoMode(gl_vertex.width < 1 ? 1 : gl_vertex.width,
                                        gl_vertex.height < 1 ? 1 : gl_vertex.height, bpp, previous);
    // Without any window there is nothing left to play in.
    if (!gl_vertex.screen)
        gl_vertex.quit = 1;
    return 1;
}

// Sends a grabbed pointer to the middle of the window, unless it is there, and
// drops the motion of that warp when it arrives, within the frame or the next.
// With drops, every motion before it goes too: a grab or a new mode jumps the
// pointer into the window, and that jump is no move of the player's.
static void vtx_internal_warp(u8 drops)
{
    if (!vtx_window.grabbed || !gl_vertex.screen)
        return;
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    int centre_x = gl_vertex.screen->w / 2, centre_y = gl_vertex.screen->h / 2;
    if (x == centre_x && y == centre_y)
        return;
    SDL_WarpMouse((Uint16)centre_x, (Uint16)centre_y);
    vtx_input.warp_due = 1;
    vtx_input.warp_x = centre_x;
    vtx_input.warp_y = centre_y;
    vtx_input.warp_drops = drops;
    vtx_input.warp_until = vtx_input.frame + 1;
}

// Sets the fixed GL state the game relies on.
static void vtx_internal_reset()
{
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);
}

int VTX_Init(int width, int height, int bits_per_pixel, u8 fullscreen)
{
    memset(&gl_vertex, 0, sizeof gl_vertex);
    memset(&vtx_input, 0, sizeof vtx_input);
    // Only the X11 driver gives SDL 1.2 an OpenGL context here; without this a
    // failed X connection falls through to text-mode drivers that print to the terminal.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    // SDL's own relative mouse mode waits inside its event pump for the motion of
    // each pointer warp it makes, and waits for good when the warp cannot move the
    // pointer (a window shrunk under the grabbed pointer): the window module keeps
    // the pointer near the centre itself (vtx_internal_recentre).
    setenv("SDL_MOUSE_RELATIVE", "0", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return 1;
    // A gamepad is a bonus: without the subsystem or a pad the game plays on.
    // Before the window, whose first events SDL 1.2 would throw away as it
    // turns the gamepad's events on.
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) {
        vtx_joystick = SDL_NumJoysticks() > 0 ? SDL_JoystickOpen(0) : nullptr;
        SDL_JoystickEventState(SDL_ENABLE);
    }
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info) {
        SDL_Quit();
        return 1;
    }
    // Only before the first mode is set does the video information tell the desktop's size.
    vtx_window.desktop_width = info->current_w > 0 ? info->current_w : width;
    vtx_window.desktop_height = info->current_h > 0 ? info->current_h : height;
    vtx_window.window_width = width;
    vtx_window.window_height = height;
    vtx_window.grabbed = 0;
    const char* no_vsync = getenv("TUMBRELIX_NO_VSYNC");
    bool vsync = vtx_window.vsync && !(no_vsync && strcmp(no_vsync, "1") == 0);
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, vsync ? 1 : 0);
    gl_vertex.screen = SDL_SetVideoMode(width, height, bits_per_pixel,
                                        fullscreen ? VTX_FLAGS_FULLSCREEN : VTX_FLAGS_WINDOW);
    if (!gl_vertex.screen) {
        SDL_Quit();
        return 1;
    }
    gl_vertex.fullscreen = fullscreen != 0;
    vtx_internal_reset();
    VTX_ScrResize(width, height);
    gl_vertex.time_scale = 1.0f;
    gl_vertex.ready = 1;
    gl_vertex.ticks = 0;
    return 0;
}

void VTX_ScrResize(int width, int height)
{
    gl_vertex.height = height;
    gl_vertex.width = width;
    glViewport(0, 0, width, height);
    VTX_ScrDimention(gl_vertex.dimension);
}

void VTX_ScrDimention(int dimension)
{
    gl_vertex.dimension = dimension;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (dimension == 0) {
        glEnable(GL_DEPTH_TEST);
        // A window squeezed to height 0 keeps a finite projection.
        f32 aspect =
            gl_vertex.height ? (f32)gl_vertex.width / (f32)gl_vertex.height : (f32)gl_vertex.width;
        gluPerspective(45.0, aspect, 0.1, 1000.0);
    } else {
        glDisable(GL_DEPTH_TEST);
        glOrtho(0, gl_vertex.width, 0, gl_vertex.height, -1, 1);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int VTX_SetFullscreen(u8 fullscreen)
{
    fullscreen = fullscreen != 0;
    if (!gl_vertex.ready || fullscreen == gl_vertex.fullscreen)
        return 0;
    if (fullscreen) {
        vtx_window.window_width = gl_vertex.width;
        vtx_window.window_height = gl_vertex.height;
    }
    int width = fullscreen ? vtx_window.desktop_width : vtx_window.window_width;
    int height = fullscreen ? vtx_window.desktop_height : vtx_window.window_height;
    if (vtx_internal_mode(width, height, fullscreen) != 0)
        return 1;
    gl_vertex.fullscreen = fullscreen;
    // The driver may have picked the closest size it has.
    VTX_ScrResize(gl_vertex.screen->w, gl_vertex.screen->h);
    // Setting the mode lets go of the pointer for a moment; its return is no motion.
    vtx_internal_warp(1);
    return 0;
}

// Pauses or resumes. A pause found by this frame's events takes this frame's
// step of the game clock back, so game time stops where the last frame played.
static void vtx_internal_pause(u8 paused)
{
    if (paused == gl_vertex.paused)
        return;
    gl_vertex.paused = paused;
    if (paused) {
        gl_vertex.ticks -= vtx_input.advance;
        vtx_input.advance = 0;
        gl_vertex.frame_time = 0;
    }
    // Nothing but Escape stays held across a pause: the releases may go to
    // another window, and what a menu was told must not reach play.
    u8 escape = vtx_input.down[VTX_KEY_ESCAPE];
    memset(gl_vertex.key, 0, sizeof gl_vertex.key);
    memset(vtx_input.down, 0, sizeof vtx_input.down);
    gl_vertex.key[VTX_KEY_ESCAPE] = vtx_input.down[VTX_KEY_ESCAPE] = escape;
    vtx_input.release_count = 0;
    gl_vertex.mouse_dx = gl_vertex.mouse_dy = 0;
    VTX_SetMouse(paused, !paused);
}

// A key or button goes down: it reads held from this frame on. While paused only
// Escape counts; P resumes, and so does the left button, whose press is spent on it.
static void vtx_internal_press(int index)
{
    if (gl_vertex.pausable && (index == VTX_KEY_P || index == VTX_JOY_START)) {
        vtx_internal_pause(!gl_vertex.paused);
        return;
    }
    if (index == VTX_KEY_F11) {
        vtx_input.toggle_due = !vtx_input.toggle_due;
        return;
    }
    if (gl_vertex.paused && !gl_vertex.menus) {
        if (index == VTX_MOUSE_LEFT)
            vtx_internal_pause(0);
        if (index != VTX_KEY_ESCAPE)
            return;
    }
    vtx_input.down[index] = 1;
    vtx_input.pressed_frame[index] = vtx_input.frame;
    gl_vertex.key[index] = 1;
}

// A key or button goes up. Released in the very frame of its press, it stays held
// until the next frame, so the game sees every tap; but Escape, which quits, must
// be held: a tap of it brushed by mistake costs nothing.
static void vtx_internal_release(int index)
{
    vtx_input.down[index] = 0;
    bool tapped = gl_vertex.key[index] && vtx_input.pressed_frame[index] == vtx_input.frame &&
                  index != VTX_KEY_ESCAPE;
    if (tapped && vtx_input.release_count < VTX_TAPS_MAX)
        vtx_input.release_due[vtx_input.release_count++] = (u16)index;
    else
        gl_vertex.key[index] = 0;
}

// A gamepad button goes down or up, as the keys it stands for.
static void vtx_internal_button(int button, bool down)
{
    int keys[2] = {0, 0};
    if (button == VTX_JOY_BUTTON_A) {
        keys[0] = VTX_JOY_A;
        keys[1] = VTX_MOUSE_LEFT;
    } else if (button == VTX_JOY_BUTTON_B)
        keys[0] = VTX_JOY_B;
    else if (button == VTX_JOY_BUTTON_START)
        keys[0] = VTX_JOY_START;
    for (int key : keys)
        if (key)
            down ? vtx_internal_press(key) : vtx_internal_release(key);
}

// The d-pad and the stick as four held directions, for the menus.
static void vtx_internal_directions()
{
    const f32 half = 0.5f;
    u8 held[4] = {
        (u8)((vtx_input.hat & SDL_HAT_UP) || vtx_input.stick_y < -half),
        (u8)((vtx_input.hat & SDL_HAT_DOWN) || vtx_input.stick_y > half),
        (u8)((vtx_input.hat & SDL_HAT_LEFT) || vtx_input.stick_x < -half),
        (u8)((vtx_input.hat & SDL_HAT_RIGHT) || vtx_input.stick_x > half),
    };
    for (int i = 0; i < 4; i++)
        if (held[i] != vtx_input.down[VTX_JOY_UP + i])
            held[i] ? vtx_internal_press(VTX_JOY_UP + i) : vtx_internal_release(VTX_JOY_UP + i);
}

// The d-pad or the stick steers as the mouse would, faster the further the
// stick leans past its dead zone; the motion joins the mouse's, so replays
// and the sensitivity take it as they take the mouse.
static void vtx_internal_steer()
{
    f32 lean = vtx_input.hat & SDL_HAT_LEFT    ? -1.0f
               : vtx_input.hat & SDL_HAT_RIGHT ? 1.0f
                                               : vtx_input.stick_x;
    f32 size = lean < 0 ? -lean : lean;
    if (gl_vertex.paused || size <= VTX_STICK_DEAD) {
        vtx_input.steer_carry = 0;
        return;
    }
    // A stalled frame steers no further than a paused one lasts.
    u32 elapsed =
        vtx_input.elapsed < (u32)VTX_PAUSED_FRAME_MS ? vtx_input.elapsed : (u32)VTX_PAUSED_FRAME_MS;
    f32 speed = (size - VTX_STICK_DEAD) / (1 - VTX_STICK_DEAD) * VTX_STICK_PX_PER_MS;
    f32 motion = (lean < 0 ? -speed : speed) * (f32)elapsed + vtx_input.steer_carry;
    i32 whole = (i32)motion;
    vtx_input.steer_carry = motion - (f32)whole;
    gl_vertex.mouse_dx += whole;
}

// Applies one window event to gl_vertex.
static void vtx_internal_event(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if ((unsigned)event.key.keysym.sym < sizeof gl_vertex.key) {
            if (event.type == SDL_KEYDOWN)
                vtx_internal_press(event.key.keysym.sym);
            else
                vtx_internal_release(event.key.keysym.sym);
        }
        break;
    case SDL_MOUSEMOTION:
        gl_vertex.pointer_x = event.motion.x;
        gl_vertex.pointer_y = event.motion.y;
        // SDL knows where the pointer is once the warp arrives: what follows is the player's.
        if (vtx_input.warp_due && event.motion.x == vtx_input.warp_x &&
            event.motion.y == vtx_input.warp_y) {
            vtx_input.warp_due = 0;
            vtx_input.pointer_placed = 1;
            break;
        }
        if (vtx_input.warp_due && vtx_input.warp_drops)
            break;
        // The pointer entering the new window, or coming back to it after a grab
        // or a new mode, is a place, not a move: counted, it would throw the pad
        // across the field. The motions after it are the player's.
        if (!vtx_input.pointer_placed) {
            vtx_input.pointer_placed = 1;
            break;
        }
        // A fast hand sends several motions per frame: all of them count.
        if (!gl_vertex.paused) {
            gl_vertex.mouse_dx += event.motion.xrel;
            gl_vertex.mouse_dy += event.motion.yrel;
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
        gl_vertex.pointer_x = event.button.x;
        gl_vertex.pointer_y = event.button.y;
        vtx_internal_press(event.button.button);
        break;
    case SDL_MOUSEBUTTONUP:
        vtx_internal_release(event.button.button);
        break;
    case SDL_JOYAXISMOTION:
        if (event.jaxis.axis < 2)
            (event.jaxis.axis == 0 ? vtx_input.stick_x : vtx_input.stick_y) =
                event.jaxis.value < -32767 ? -1.0f : (f32)event.jaxis.value / 32767.0f;
        break;
    case SDL_JOYHATMOTION:
        if (event.jhat.hat == 0)
            vtx_input.hat = event.jhat.value;
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        vtx_internal_button(event.jbutton.button, event.type == SDL_JOYBUTTONDOWN);
        break;
    case SDL_ACTIVEEVENT:
        if (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) {
            vtx_input.focus_lost = !event.active.gain;
            vtx_input.focus_event |= !event.active.gain;
        }
        break;
    case SDL_VIDEORESIZE:
        vtx_input.resize_due = 1;
        vtx_input.resize_width = event.resize.w;
        vtx_input.resize_height = event.resize.h;
        break;
    case SDL_QUIT:
        gl_vertex.quit = 1;
        break;
    }
}

// Waits while paused: the loop need not spin for a still picture.
static void vtx_internal_idle()
{
    for (u32 waited = 0; waited < VTX_PAUSED_FRAME_MS && !SDL_PollEvent(nullptr);
         waited += VTX_IDLE_STEP_MS)
        SDL_Delay(VTX_IDLE_STEP_MS);
}

// Reads the frame clock and moves the game clock by the frame's duration unless paused.
static void vtx_internal_clock(u32 min_frame_ms)
{
    u32 now = vtx_now();
    if (vtx_input.frame == 0) {
        gl_vertex.ticks = now;
        gl_vertex.wall_ticks = now;
        gl_vertex.frame_time = 0;
        return;
    }
    // Unsigned differences keep the wrap of the tick counter harmless.
    while (now - gl_vertex.wall_ticks < min_frame_ms)
        now = vtx_now();
    u32 elapsed = now - gl_vertex.wall_ticks;
    gl_vertex.wall_ticks = now;
    vtx_input.elapsed = elapsed;
    // A game speed below 1 stretches both clocks the game reads; the parts of a
    // millisecond carry over, so the game clock stays whole and loses nothing.
    f64 scaled = gl_vertex.paused ? 0 : (f64)elapsed * gl_vertex.time_scale + vtx_input.carry;
    vtx_input.advance = (u32)scaled;
    vtx_input.carry = scaled - (f64)vtx_input.advance;
    gl_vertex.ticks += vtx_input.advance;
    gl_vertex.frame_time = (f32)vtx_input.advance;
}

// Starts a frame's input: taps of the previous frame end, the motion starts from zero.
static void vtx_internal_input_begin()
{
    for (u32 i = 0; i < vtx_input.release_count; i++) {
        u16 index = vtx_input.release_due[i];
        gl_vertex.key[index] = vtx_input.down[index];
    }
    vtx_input.release_count = 0;
    // A warp whose motion never came (the pointer could not move) holds nothing up.
    if (vtx_input.warp_due && vtx_input.frame >= vtx_input.warp_until)
        vtx_input.warp_due = 0;
    gl_vertex.mouse_dx = 0;
    gl_vertex.mouse_dy = 0;
    vtx_input.focus_event = 0;
    vtx_input.toggle_due = 0;
    vtx_input.resize_due = 0;
    vtx_input.frame++;
}

// What the events asked for once they are all read: a focus lost and not regained
// within the frame pauses, and a mode changes once per frame however many events
// asked for it.
static void vtx_internal_input_end()
{
    vtx_internal_directions();
    vtx_internal_steer();
    if (vtx_input.focus_event && vtx_input.focus_lost && gl_vertex.pausable)
        vtx_internal_pause(1);
    if (vtx_input.toggle_due)
        VTX_SetFullscreen(!gl_vertex.fullscreen);
    else if (vtx_input.resize_due && !gl_vertex.fullscreen) {
        if (vtx_internal_mode(vtx_input.resize_width, vtx_input.resize_height, 0) == 0)
            VTX_ScrResize(vtx_input.resize_width, vtx_input.resize_height);
        vtx_internal_warp(1);
    }
}

// Sends a grabbed pointer that strayed from the middle of the window back to it, so
// the next motions are not stopped by the window's edge; the motion of the warp
// itself is dropped when it arrives.
static void vtx_internal_recentre()
{
    if (!vtx_window.grabbed || !gl_vertex.screen || vtx_input.warp_due)
        return;
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    int centre_x = gl_vertex.screen->w / 2, centre_y = gl_vertex.screen->h / 2;
    if (abs(x - centre_x) <= centre_x / 2 && abs(y - centre_y) <= centre_y / 2)
        return;
    vtx_internal_warp(0);
}

// Waits until the frame's deadline under a limit. Deadlines follow one another
// by whole periods, so the rate does not drift with the time each wait ends;
// a frame that starts late becomes the new start, so the next ones do not hurry.
static void vtx_internal_pace()
{
    if (!vtx_pace.period)
        return;
    u64 deadline = vtx_pace.deadline + vtx_pace.period, now = clock_ns();
    if (vtx_pace.deadline == 0 || now >= deadline) {
        vtx_pace.deadline = now;
        return;
    }
    clock_wait_until(deadline);
    vtx_pace.deadline = deadline;
}

i8 VTX_Loop(u32 min_frame_ms)
{
    // Under a limit the frame drawn is finished before the wait, so the
    // rasteriser's uneven time falls in the slack and the swap after the
    // deadline is only the copy: pictures reach the screen a period apart.
    f64 finish_ms = 0;
    if (vtx_pace.period && gl_vertex.screen) {
        f64 finish_start = clock_ms();
        glFinish();
        finish_ms = clock_ms() - finish_start;
    }
    vtx_internal_pace();
    if (gl_vertex.paused)
        vtx_internal_idle();
    vtx_internal_clock(min_frame_ms);
    vtx_internal_input_begin();
    SDL_Event event;
    while (SDL_PollEvent(&event))
        vtx_internal_event(event);
    vtx_internal_input_end();
    vtx_internal_recentre();

    f64 swap_start = clock_ms();
    if (gl_vertex.screen)
        SDL_GL_SwapBuffers();
    gl_vertex.shown_ms = clock_ms();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl_vertex.swap_ms = (f32)(clock_ms() - swap_start + finish_ms);
    return gl_vertex.quit;
}

void VTX_SetPausable(u8 pausable)
{
    gl_vertex.pausable = pausable != 0;
}

void VTX_SetPaused(u8 paused)
{
    vtx_internal_pause(paused != 0);
}

void VTX_SetMenus(u8 menus)
{
    gl_vertex.menus = menus != 0;
}

void VTX_SetVsync(u8 vsync)
{
    vtx_window.vsync = vsync != 0;
}

void VTX_SetMaxFps(int fps)
{
    // SDL 1.2 does not tell the display's refresh rate.
    if (fps == VTX_MAX_FPS_AUTO)
        fps = VTX_MAX_FPS_DEFAULT;
    vtx_pace.fps = fps < 0 ? 0 : fps > VTX_MAX_FPS_HIGHEST ? VTX_MAX_FPS_HIGHEST : fps;
    vtx_pace.period = vtx_pace.fps ? (u64)CLOCK_NS_PER_S / (u64)vtx_pace.fps : 0;
    vtx_pace.deadline = 0;
}

int VTX_GetMaxFps()
{
    return vtx_pace.fps;
}

void VTX_SetMouse(u8 show_cursor, u8 grab)
{
    SDL_ShowCursor(show_cursor != 0);
    SDL_WM_GrabInput(grab != 0 ? SDL_GRAB_ON : SDL_GRAB_OFF);
    // A grab pulls the pointer into the window: that jump is no move of the player's.
    bool grabbing = grab && !vtx_window.grabbed;
    vtx_window.grabbed = grab != 0;
    if (grabbing)
        vtx_internal_warp(1);
}

void VTX_SetWindow(const char* title, const char* icon_title)
{
    SDL_WM_SetCaption(title, icon_title);
}

f32 VTX_GetFps()
{
    if (gl_vertex.frame_time == 0)
        return 0;
    return gl_vertex.time_scale * 1000.0f / gl_vertex.frame_time;
}

void VTX_Stop()
{
    if (gl_vertex.ready != 1)
        return;
    if (vtx_joystick)
        SDL_JoystickClose(vtx_joystick);
    vtx_joystick = nullptr;
    SDL_FreeSurface(gl_vertex.screen);
    SDL_Quit();
    gl_vertex.ready = 0;
}

const char* VTX_Error()
{
    return SDL_GetError();
}

void VTX_Delay(u32 ms)
{
    SDL_Delay(ms);
}

void VTX_SetClock(vtx_clock clock)
{
    vtx_now = clock ? clock : SDL_GetTicks;
}
