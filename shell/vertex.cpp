// The window module: SDL 1.2 window, GL context, projection, frame clock and input table.
#include "shell/vertex.h"

#include <SDL/SDL.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdlib>
#include <cstring>

s_vertex gl_vertex;

static vtx_clock vtx_now = SDL_GetTicks;

int VTX_Init(int width, int height, int bits_per_pixel, u8 fullscreen)
{
    memset(&gl_vertex, 0, sizeof gl_vertex);
    // Only the X11 driver gives SDL 1.2 an OpenGL context here; without this a
    // failed X connection falls through to text-mode drivers that print to the terminal.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return 1;
    if (!SDL_GetVideoInfo()) {
        SDL_Quit();
        return 1;
    }
    // The window may be resized; the full-screen mode keeps its size.
    Uint32 flags = fullscreen ? 0xA0000007u : 0x20000017u;
    gl_vertex.screen = SDL_SetVideoMode(width, height, bits_per_pixel, flags);
    if (!gl_vertex.screen) {
        SDL_Quit();
        return 1;
    }
    VTX_InternalReset();
    VTX_ScrResize(width, height);
    gl_vertex.time_scale = 1.0f;
    gl_vertex.ready = 1;
    gl_vertex.ticks = 0;
    return 0;
}

void VTX_InternalReset()
{
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);
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

// Applies one window event to gl_vertex.
static void vtx_internal_event(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if ((unsigned)event.key.keysym.sym < sizeof gl_vertex.key)
            gl_vertex.key[event.key.keysym.sym] = event.type == SDL_KEYDOWN;
        break;
    case SDL_MOUSEMOTION:
        // The last motion of the frame counts, not the sum.
        gl_vertex.mouse_dx = event.motion.xrel;
        gl_vertex.mouse_dy = event.motion.yrel;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        gl_vertex.key[event.button.button] = event.type == SDL_MOUSEBUTTONDOWN;
        break;
    case SDL_VIDEORESIZE:
        VTX_ScrResize(event.resize.w, event.resize.h);
        break;
    case SDL_QUIT:
        gl_vertex.quit = 1;
        break;
    }
}

i8 VTX_Loop(u32 min_frame_ms)
{
    u32 now = vtx_now();
    if (gl_vertex.ticks != 0) {
        // Unsigned differences keep the wrap of the tick counter harmless.
        while (now - gl_vertex.ticks < min_frame_ms)
            now = vtx_now();
        gl_vertex.frame_time = (f32)(now - gl_vertex.ticks) * gl_vertex.time_scale;
    } else {
        gl_vertex.frame_time = 0;
    }
    gl_vertex.mouse_dx = 0;
    gl_vertex.mouse_dy = 0;
    gl_vertex.ticks = now;

    SDL_Event event;
    while (SDL_PollEvent(&event))
        vtx_internal_event(event);

    SDL_GL_SwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return gl_vertex.quit;
}

void VTX_SetMouse(u8 show_cursor, u8 grab)
{
    SDL_ShowCursor(show_cursor != 0);
    SDL_WM_GrabInput(grab != 0 ? SDL_GRAB_ON : SDL_GRAB_OFF);
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
    SDL_FreeSurface(gl_vertex.screen);
    SDL_Quit();
    gl_vertex.ready = 0;
}

void VTX_SetClock(vtx_clock clock)
{
    vtx_now = clock ? clock : SDL_GetTicks;
}
