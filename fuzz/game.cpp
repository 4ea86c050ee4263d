// Fuzz target that plays: each input becomes a level, written as map text and
// read by the real reader, and a script of frames whose input reaches the game
// as SDL events, run through the game's own frame in one window kept for the
// whole process, recorded as a replay. After every frame the rules of play are
// checked; then the replay is played back and must meet every frame's state
// again. A broken rule aborts, so the fuzzer keeps the input.
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "level/move.h"
#include "level/reader.h"
#include "shell/game.h"
#include "shell/replay.h"
#include "shell/swap.h"
#include "shell/vertex.h"
#include "tools/demo/alloc_count.h"

enum {
    FUZZ_FRAMES_MAX = 240,
    FUZZ_FACES_MAX = 6,
    FUZZ_VERTICES_MAX = 6,
    FUZZ_SHADERS_MAX = 2,
    FUZZ_GROUPS_MAX = 32,
    FUZZ_ORIGINS_MAX = 8,
    FUZZ_MOVES_MAX = 3,
    FUZZ_BLOCKS_MAX = FUZZ_GROUPS_MAX * FUZZ_ORIGINS_MAX,
    FUZZ_TEXTURES = 3,           // tiny pictures of our own the levels choose from
    FUZZ_WINDOW_WIDTH = 96,      // pixels: the picture is no part of the rules,
    FUZZ_WINDOW_HEIGHT = 72,     // and a small one keeps the frames fast
    FUZZ_START_TICKS = 1000,     // game clock at each level's start, ms
    FUZZ_OUTSIDE_MS_MAX = 1000,  // game time a ball may spend beyond a side or the top
    FUZZ_LONG_FRAME_MS = 5000,   // longest frame a script asks for
    FUZZ_MOTION_MAX = 6000,      // pixels of one motion event, either way
};

// The buttons and keys a script presses, by bit.
constexpr int FUZZ_BUTTONS[] = {1, 2, 3};
constexpr SDLKey FUZZ_KEYS[] = {SDLK_SPACE, SDLK_b};

// Edges and extremes the reader's syntax takes: zeros, a denormal, the bounds and
// just past them, the ends of the float range.
constexpr float FUZZ_EXTREMES[] = {
    0.0f,   -0.0f,  1e-40f, -1e-40f, 1.17549435e-38f, 1e-7f,          0.5f,
    0.999f, 1.0f,   -1.0f,  9999.5f, 10000.0f,        10000.001f,     -1e5f,
    1e10f,  -1e10f, 1e20f,  3e38f,   -3e38f,          3.40282347e38f,
};

// The input, read from the front; past its end every read is 0.
struct s_fuzz_bytes {
    const uint8_t* data;
    size_t size;
    size_t at;
};

// One frame of the script.
struct s_fuzz_frame {
    u32 ms;       // game clock advance asked for
    i16 dx, dy;   // pixels of each motion event
    u8 motions;   // motion events
    u8 presses;   // FUZZ_BUTTONS then FUZZ_KEYS by bit, pressed this frame
    u8 releases;  // likewise released, after the presses: both bits make a tap
};

// A level as written, with the lines on which the reader must refuse it.
struct s_fuzz_level {
    std::string text;
    int lines;         // lines written so far
    int move_refusal;  // line of the first movement the reader must refuse, or 0
    int limits_line;   // line of LIMITS
    bool limits_bad;   // the play area must be refused
};

// What the checks remember of the frame before.
struct s_fuzz_watch {
    f32 outside_ms[BALL_LIST_SIZE];
    bool alive[FUZZ_BLOCKS_MAX];
    int hits[FUZZ_BLOCKS_MAX];
};

static s_game fuzz_game;
static s_fuzz_watch fuzz_watch;
static s_fuzz_frame fuzz_frames[FUZZ_FRAMES_MAX];
static u64 fuzz_sums[FUZZ_FRAMES_MAX];  // the play state after each frame as recorded
static std::string fuzz_dir;
static u32 fuzz_now = 1;

static u32 fuzz_clock()
{
    return fuzz_now;
}

// Reports a broken rule and aborts, so the fuzzer keeps the input.
[[noreturn]] static void fuzz_fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    fprintf(stderr, "fuzz_game: ");
    vfprintf(stderr, format, args);
    fprintf(stderr, "\n");
    va_end(args);
    abort();
}

// A value in [0, count), from one byte or, for larger counts, two.
static u32 fuzz_take(s_fuzz_bytes* in, u32 count)
{
    u32 value = 0;
    for (u32 span = 1; span < count && span < 65536; span <<= 8)
        value = (value << 8) | (in->at < in->size ? in->data[in->at++] : 0);
    return count ? value % count : 0;
}

static float fuzz_number(s_fuzz_bytes* in, float scale)
{
    switch (fuzz_take(in, 8)) {
    case 0:
        return FUZZ_EXTREMES[fuzz_take(in, sizeof FUZZ_EXTREMES / sizeof FUZZ_EXTREMES[0])];
    case 1: {
        u32 bits = (fuzz_take(in, 65536) << 16) | fuzz_take(in, 65536);
        float value;
        memcpy(&value, &bits, sizeof value);
        return std::isfinite(value) ? value : 0.0f;
    }
    default:
        return ((float)fuzz_take(in, 257) - 128.0f) * scale / 128.0f;
    }
}

// A movement's leg or turn in ms: mostly what levels use, now and then anything.
static float fuzz_duration(s_fuzz_bytes* in)
{
    return fuzz_take(in, 8) ? (float)(50 + fuzz_take(in, 5000)) : fuzz_number(in, 2);
}

// Appends one line of words and numbers; %g numbers are written to read back exactly.
static void fuzz_line(s_fuzz_level* level, const char* words, int count = 0,
                      const float* numbers = nullptr)
{
    level->text += words;
    char number[32];
    for (int i = 0; i < count; i++) {
        snprintf(number, sizeof number, " %.9g", (double)numbers[i]);
        level->text += number;
    }
    level->text += '\n';
    level->lines++;
}

static void fuzz_write_face(s_fuzz_bytes* in, s_fuzz_level* level, int index)
{
    static const char* const kinds[] = {"DUMMY", "ROTATE",  "SCROLL", "TURB",
                                        "WAVE",  "ROTZOOM", "COLOR",  "SPARKLE"};
    fuzz_line(level, "FACE");
    fuzz_line(level, ("ID f" + std::to_string(index)).c_str());
    u32 vertices = 3 + fuzz_take(in, FUZZ_VERTICES_MAX - 2);
    u32 texcoords = fuzz_take(in, 4) ? vertices : fuzz_take(in, vertices + 2);
    for (u32 v = 0; v < vertices; v++) {
        float scale = fuzz_take(in, 16) ? 2.0f : 1e6f;
        float p[3] = {fuzz_number(in, scale), fuzz_number(in, scale), fuzz_number(in, 1)};
        fuzz_line(level, "VERTEX", 3, p);
    }
    for (u32 t = 0; t < texcoords; t++) {
        float uv[2] = {fuzz_number(in, 2), fuzz_number(in, 2)};
        fuzz_line(level, "TEXCOORD", 2, uv);
    }
    for (u32 t = fuzz_take(in, 3); t > 0; t--)
        fuzz_line(level, ("TEXTURE " + fuzz_dir + "/t" +
                          std::to_string(fuzz_take(in, FUZZ_TEXTURES)) + ".bmp")
                             .c_str());
    for (u32 s = fuzz_take(in, FUZZ_SHADERS_MAX + 1); s > 0; s--) {
        u32 count = fuzz_take(in, 6);
        float params[5];
        for (u32 p = 0; p < count; p++)
            params[p] = fuzz_number(in, 4);
        std::string head = std::string("SHADER ") +
                           kinds[fuzz_take(in, sizeof kinds / sizeof kinds[0])] + " " +
                           std::to_string(count);
        fuzz_line(level, head.c_str(), (int)count, params);
    }
    fuzz_line(level, "END");
}

// The play area: mostly an ordinary field, now and then any four numbers.
static void fuzz_write_world(s_fuzz_bytes* in, s_fuzz_level* level, int faces, float* limits)
{
    fuzz_line(level, "WORLD");
    int shown = (int)fuzz_take(in, 3);
    fuzz_line(level, ("NUMFACES " + std::to_string(shown)).c_str());
    std::string ids = "FACES";
    for (int i = 0; i < shown; i++)
        ids += " f" + std::to_string(fuzz_take(in, (u32)faces));
    fuzz_line(level, ids.c_str());
    if (fuzz_take(in, 8)) {
        limits[0] = -1.0f - (float)fuzz_take(in, 30);
        limits[1] = 1.0f + (float)fuzz_take(in, 30);
        limits[2] = -1.0f - (float)fuzz_take(in, 20);
        limits[3] = 1.0f + (float)fuzz_take(in, 20);
    } else {
        for (int i = 0; i < 4; i++)
            limits[i] = fuzz_number(in, 20);
    }
    level->limits_line = level->lines + 1;
    fuzz_line(level, "LIMITS", 4, limits);
    fuzz_line(level, "END");
    bool far = false;
    for (int i = 0; i < 4; i++)
        far = far || !(std::fabs(limits[i]) <= READER_LIMIT_MAX);
    level->limits_bad = far || !((double)limits[1] - limits[0] >= READER_FIELD_MIN) ||
                        !((double)limits[3] - limits[2] >= READER_FIELD_MIN);
}

// One movement; notes the line if the reader must refuse it.
static void fuzz_write_move(s_fuzz_bytes* in, s_fuzz_level* level)
{
    static const char* const kinds[] = {"CIRCLE",   "DIAGONAL", "HORIZONTAL",
                                        "VERTICAL", "DUMMY",    "ZIGZAG"};
    u32 kind = fuzz_take(in, sizeof kinds / sizeof kinds[0]);
    u32 count = fuzz_take(in, 8) ? 2 : fuzz_take(in, 4);
    float params[3] = {fuzz_number(in, 6), fuzz_duration(in), fuzz_number(in, 6)};
    std::string head = std::string("MOVE ") + kinds[kind] + " " + std::to_string(count);
    bool moving = kind < 4 && count >= MOVE_PARAM_COUNT;
    bool refused = moving && (!(params[1] >= MOVE_DURATION_MIN_MS) ||
                              !(std::fabs(params[0]) <= MOVE_DISTANCE_MAX));
    if (refused && level->move_refusal == 0)
        level->move_refusal = level->lines + 1;
    fuzz_line(level, head.c_str(), (int)count, params);
}

// A block group: its faces, lives, movements and blocks inside and outside the field.
static void fuzz_write_group(s_fuzz_bytes* in, s_fuzz_level* level, int faces, const float* field)
{
    fuzz_line(level, "BLOCKS");
    int count = 1 + (int)fuzz_take(in, 2);
    fuzz_line(level, ("NUMFACES " + std::to_string(count)).c_str());
    std::string ids = "FACES";
    for (int i = 0; i < count; i++)
        ids += " f" + std::to_string(fuzz_take(in, (u32)faces));
    fuzz_line(level, ids.c_str());
    fuzz_line(level, ("LIVES " + std::to_string((int)fuzz_take(in, 6) - 1)).c_str());
    for (u32 m = fuzz_take(in, FUZZ_MOVES_MAX + 1); m > 0; m--)
        fuzz_write_move(in, level);
    for (u32 b = 1 + fuzz_take(in, FUZZ_ORIGINS_MAX); b > 0; b--) {
        float at[3];
        if (fuzz_take(in, 8)) {
            // Across the field and a little beyond each limit.
            float across = (float)fuzz_take(in, 1201) / 1000.0f - 0.1f;
            float up = (float)fuzz_take(in, 1201) / 1000.0f - 0.1f;
            at[0] = field[0] + (field[1] - field[0]) * across;
            at[1] = field[2] + (field[3] - field[2]) * up;
            at[2] = 0;
            // A field near the end of the float range puts the product past it; the
            // reader refuses such a field anyway, so any finite place will do.
            for (float& value : at)
                value = std::isfinite(value) ? value : 0.0f;
        } else {
            at[0] = fuzz_number(in, 40);
            at[1] = fuzz_number(in, 40);
            at[2] = fuzz_number(in, 2);
        }
        fuzz_line(level, "ORIGIN", 3, at);
    }
    fuzz_line(level, "END");
}

static void fuzz_write_level(s_fuzz_bytes* in, s_fuzz_level* level)
{
    level->text.clear();
    level->lines = 0;
    level->move_refusal = 0;
    int faces = 1 + (int)fuzz_take(in, FUZZ_FACES_MAX);
    // Blocks are placed over the field as the limits give it, even a refused one.
    float field[4];
    fuzz_write_world(in, level, faces, field);
    for (int f = 0; f < faces; f++)
        fuzz_write_face(in, level, f);
    for (u32 g = fuzz_take(in, FUZZ_GROUPS_MAX + 1); g > 0; g--)
        fuzz_write_group(in, level, faces, field);
}

// The rest of the input is the script, one frame after another.
static int fuzz_read_script(s_fuzz_bytes* in)
{
    int count = 0;
    while (count < FUZZ_FRAMES_MAX && in->at < in->size) {
        s_fuzz_frame* frame = &fuzz_frames[count++];
        switch (fuzz_take(in, 8)) {
        case 0:
            frame->ms = 0;
            break;
        case 1:
            frame->ms = 100;  // the longest frame the motion is scaled by
            break;
        case 2:
            frame->ms = 101 + fuzz_take(in, FUZZ_LONG_FRAME_MS);
            break;
        default:
            frame->ms = 1 + fuzz_take(in, 40);
        }
        frame->motions = (u8)fuzz_take(in, 3);
        int reach = fuzz_take(in, 4) ? 40 : FUZZ_MOTION_MAX;
        frame->dx = (i16)((int)fuzz_take(in, 2 * reach + 1) - reach);
        frame->dy = (i16)((int)fuzz_take(in, 2 * reach + 1) - reach);
        frame->presses = (u8)fuzz_take(in, 32);
        frame->releases = (u8)fuzz_take(in, 32);
    }
    return count;
}

static void fuzz_push_button(int button, bool down)
{
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = (Uint8)button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

static void fuzz_push_key(SDLKey key, bool down)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// Presses or releases every button and key whose bit is set.
static void fuzz_push_inputs(u8 bits, bool down)
{
    int bit = 0;
    for (int button : FUZZ_BUTTONS)
        if (bits & (1 << bit++))
            fuzz_push_button(button, down);
    for (SDLKey key : FUZZ_KEYS)
        if (bits & (1 << bit++))
            fuzz_push_key(key, down);
}

static void fuzz_push_frame(const s_fuzz_frame* frame)
{
    fuzz_push_inputs(frame->presses, true);
    for (int i = 0; i < frame->motions; i++) {
        SDL_Event event = {};
        event.type = SDL_MOUSEMOTION;
        event.motion.xrel = frame->dx;
        event.motion.yrel = frame->dy;
        SDL_PushEvent(&event);
    }
    fuzz_push_inputs(frame->releases, false);
}

// A 4 x 4 BMP of one colour.
static bool fuzz_write_bmp(const std::string& path, u8 red, u8 green, u8 blue)
{
    u8 file[54 + 48] = {'B', 'M', sizeof file, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                        0,   0,   0,           4, 0, 0, 0, 4, 0, 0, 0,  1, 0, 24, 0};
    for (int pixel = 0; pixel < 16; pixel++) {
        file[54 + pixel * 3] = blue;
        file[55 + pixel * 3] = green;
        file[56 + pixel * 3] = red;
    }
    FILE* out = fopen(path.c_str(), "wb");
    bool written = out && fwrite(file, sizeof file, 1, out) == 1;
    return (out ? fclose(out) == 0 : false) && written;
}

static bool fuzz_write_text(const std::string& path, const std::string& text)
{
    FILE* out = fopen(path.c_str(), "wb");
    bool written = out && fwrite(text.data(), 1, text.size(), out) == text.size();
    return (out ? fclose(out) == 0 : false) && written;
}

static void fuzz_end()
{
    game_stop(&fuzz_game);
    VTX_SetClock(nullptr);
    for (const char* name :
         {"/t0.bmp", "/t1.bmp", "/t2.bmp", "/level.map", "/pack.txt", "/run.replay"})
        unlink((fuzz_dir + name).c_str());
    rmdir(fuzz_dir.c_str());
}

// Xlib ends the process when the display goes away (another test's server
// stopped, or two runs given one display), and libFuzzer would then file the
// input that happened to be running as a crash it never caused. Ending
// without the exit handlers leaves no such report, only this line.
static int fuzz_display_lost(void*)
{
    fprintf(stderr, "fuzz_game: the X display went away; no input is at fault\n");
    _exit(2);
}

// Xlib is already loaded by SDL; its handler is set after SDL has set its own.
static void fuzz_watch_display()
{
    typedef int (*handler)(void*);
    typedef handler (*set_handler)(handler);
    set_handler set = (set_handler)dlsym(RTLD_DEFAULT, "XSetIOErrorHandler");
    if (set)
        set(fuzz_display_lost);
}

// Starts the game once per process on a pack of one level, which each input
// rewrites: a cleared level then switches to itself, read again.
static void fuzz_start()
{
    const char* shm = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    fuzz_dir = std::string(shm) + "/tumbrelix_fuzz_game_" + std::to_string(getpid());
    mkdir(fuzz_dir.c_str(), 0700);
    bool written = fuzz_write_bmp(fuzz_dir + "/t0.bmp", 200, 40, 40) &&
                   fuzz_write_bmp(fuzz_dir + "/t1.bmp", 40, 200, 40) &&
                   fuzz_write_bmp(fuzz_dir + "/t2.bmp", 40, 40, 200) &&
                   fuzz_write_text(fuzz_dir + "/level.map", "WORLD LIMITS -10 10 -8 8 END\n") &&
                   fuzz_write_text(fuzz_dir + "/pack.txt", "level.map Fuzz\n");
    if (!written)
        fuzz_fail("cannot write into %s", fuzz_dir.c_str());
    VTX_SetVsync(0);
    VTX_SetClock(fuzz_clock);
    u32 seed = 1;
    if (game_start(&fuzz_game, fuzz_dir.c_str(), &seed) != 0)
        fuzz_fail("the game did not start (an X display and the game's data/ are needed)");
    atexit(fuzz_end);
    fuzz_watch_display();
    VTX_SetPausable(0);
    // Decoding music is no part of play and would cost every frame.
    music_free(&fuzz_game.music);
    SDL_Event resize = {};
    resize.type = SDL_VIDEORESIZE;
    resize.resize.w = FUZZ_WINDOW_WIDTH;
    resize.resize.h = FUZZ_WINDOW_HEIGHT;
    SDL_PushEvent(&resize);
    // Past the pointer's return after the grab and the new mode, which only
    // places it: every input's motions then count from its first.
    for (int i = 0; i < 3; i++) {
        SDL_Event motion = {};
        motion.type = SDL_MOUSEMOTION;
        SDL_PushEvent(&motion);
        game_frame(&fuzz_game);
    }
}

// Lets go of everything, ends the effects of the last input, and puts the
// level in with the clock, the camera and the random numbers as at any
// other input's start, so an input plays the same whatever came before it.
static int fuzz_load(const std::string& path, u32 seed, std::string* error)
{
    fuzz_push_inputs(0xFF, false);
    if (game_frame_input(&fuzz_game))
        fuzz_fail("the game asked to end");
    gl_vertex.frame_time = 0;
    gl_vertex.ticks = FUZZ_START_TICKS + 0x80000000u;
    particle_cycle(&fuzz_game.particles);
    gl_vertex.ticks = FUZZ_START_TICKS;
    if (swap_level(&fuzz_game, path.c_str(), error) != 0)
        return 1;
    camera_define(&fuzz_game.camera);
    fuzz_game.view_index = -1;
    fuzz_game.view_changed = true;
    srand(seed);
    return 0;
}

// Remembers every block as the level now has it.
static void fuzz_watch_blocks(const s_map* map)
{
    int b = 0;
    for (const s_block_group& group : map->groups)
        for (const s_block& block : group.blocks) {
            if (b == FUZZ_BLOCKS_MAX)
                fuzz_fail("more blocks than the level was written with");
            fuzz_watch.alive[b] = block.alive;
            fuzz_watch.hits[b++] = block.hits;
        }
}

static bool fuzz_finite(const s_coord& c)
{
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z);
}

static void fuzz_check_blocks(const s_map* map, int frame)
{
    int b = 0;
    for (const s_block_group& group : map->groups)
        for (const s_block& block : group.blocks) {
            const s_point& p = block.position;
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                fuzz_fail("frame %d: block %d at (%g, %g, %g)", frame, b, p.x, p.y, p.z);
            if (block.hits > (group.lives > 0 ? group.lives : 0))
                fuzz_fail("frame %d: block %d took %d hits of %d lives", frame, b, block.hits,
                          group.lives);
            if (!fuzz_watch.alive[b] && (block.alive || block.hits != fuzz_watch.hits[b]))
                fuzz_fail("frame %d: block %d was hit after it was destroyed", frame, b);
            b++;
        }
    fuzz_watch_blocks(map);
}

static void fuzz_check_balls(s_game* game, int frame)
{
    const std::vector<f32>& limits = game->map.getMap()->world.limits;
    int in_play = 0;
    for (int slot = 0; slot < BALL_LIST_SIZE; slot++) {
        i32 state = game->balls.states[slot];
        if (state != 0 && state != 1)
            fuzz_fail("frame %d: ball slot %d in state %d", frame, slot, state);
        if (state == 0) {
            fuzz_watch.outside_ms[slot] = 0;
            continue;
        }
        in_play++;
        const s_ball& ball = game->balls.balls[slot];
        if (!fuzz_finite(ball.coord) || !std::isfinite(ball.mobile.x) ||
            !std::isfinite(ball.mobile.y))
            fuzz_fail("frame %d: ball %d at (%g, %g)", frame, slot, ball.coord.x, ball.coord.y);
        bool outside =
            ball.coord.x < limits[0] || ball.coord.x > limits[1] || ball.coord.y > limits[3];
        fuzz_watch.outside_ms[slot] =
            outside ? fuzz_watch.outside_ms[slot] + gl_vertex.frame_time : 0;
        if (fuzz_watch.outside_ms[slot] > FUZZ_OUTSIDE_MS_MAX)
            fuzz_fail("frame %d: ball %d beyond the limits for %g ms, at (%g, %g)", frame, slot,
                      fuzz_watch.outside_ms[slot], ball.coord.x, ball.coord.y);
    }
    if ((in_play == 0) != (game->balls.empty != 0))
        fuzz_fail("frame %d: %d balls in play but the list says empty is %d", frame, in_play,
                  game->balls.empty);
}

static void fuzz_check_bonuses(const s_game* game, int frame)
{
    for (int slot = 0; slot < BONUS_LIST_SIZE; slot++) {
        i32 state = game->bonuses.states[slot];
        if (state != 0 && state != 1)
            fuzz_fail("frame %d: bonus slot %d in state %d", frame, slot, state);
        if (state == 1 && !fuzz_finite(game->bonuses.bonuses[slot].coord))
            fuzz_fail("frame %d: bonus %d at (%g, %g)", frame, slot,
                      game->bonuses.bonuses[slot].coord.x, game->bonuses.bonuses[slot].coord.y);
    }
}

// Plays the script through the game's own frame, recording it; a level switch
// (the level cleared, then read again) is left out of the allocation count, as
// the demo leaves it out.
static void fuzz_play(int frames, s_replay* replay)
{
    s_game* game = &fuzz_game;
    memset(&fuzz_watch, 0, sizeof fuzz_watch);
    fuzz_watch_blocks(game->map.getMap());
    game->replay = replay;
    alloc_count_start();
    for (int f = 0; f < frames; f++) {
        fuzz_now += fuzz_frames[f].ms;
        fuzz_push_frame(&fuzz_frames[f]);
        const s_progress& progress = game->progress;
        bool due = progress.state == PROGRESS_CLEARED && progress.cleared_ms >= PROGRESS_PAUSE_MS;
        const s_block_group* groups = game->map.getMap()->groups.data();
        alloc_count_hold(due);
        if (game_frame(game))
            fuzz_fail("frame %d: the game asked to end", f);
        alloc_count_hold(false);
        if (game->map.getMap()->groups.data() != groups)
            fuzz_watch_blocks(game->map.getMap());
        fuzz_check_blocks(game->map.getMap(), f);
        fuzz_check_balls(game, f);
        fuzz_check_bonuses(game, f);
        fuzz_sums[f] = replay_checksum(game);
        if (alloc_count_read() != 0)
            fuzz_fail("frame %d: %llu heap allocations during play", f,
                      (unsigned long long)alloc_count_read());
    }
    alloc_count_hold(true);
    game->replay = nullptr;
}

// Plays the recording back from the same start: every frame's state must be
// the recorded one, and the replay must end where the script did.
static void fuzz_play_back(const std::string& path, const std::string& level, u32 seed, int frames)
{
    static s_replay replay;
    std::string error;
    if (replay_load(&replay, path.c_str(), &error) != 0)
        fuzz_fail("the recording cannot be played: %s", error.c_str());
    if (fuzz_load(level, seed, &error) != 0)
        fuzz_fail("the level was refused the second time: %s", error.c_str());
    replay_play_start(&replay, 0);
    fuzz_game.replay = &replay;
    int f = 0;
    while (game_frame(&fuzz_game) == 0) {
        if (f >= frames)
            fuzz_fail("the replay plays more than the %d frames recorded", frames);
        u64 sum = replay_checksum(&fuzz_game);
        if (sum != fuzz_sums[f])
            fuzz_fail("frame %d played back: state %016llx, recorded %016llx", f,
                      (unsigned long long)sum, (unsigned long long)fuzz_sums[f]);
        f++;
    }
    fuzz_game.replay = nullptr;
    if (replay.diverged || f != frames)
        fuzz_fail("the replay %s after %d of %d frames", replay.diverged ? "diverged" : "ended", f,
                  frames);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool started = false;
    if (!started)
        fuzz_start();
    started = true;
    static s_fuzz_level level;
    s_fuzz_bytes in = {data, size, 0};
    u32 seed = fuzz_take(&in, 65536);
    fuzz_write_level(&in, &level);
    int frames = fuzz_read_script(&in);
    std::string path = fuzz_dir + "/level.map";
    if (!fuzz_write_text(path, level.text))
        fuzz_fail("cannot write %s", path.c_str());

    std::string error;
    int refused = fuzz_load(path, seed, &error);
    int line = level.move_refusal ? level.move_refusal : level.limits_bad ? level.limits_line : 0;
    if (line == 0 && refused)
        fuzz_fail("a level the game can play was refused: %s", error.c_str());
    if (line != 0) {
        std::string where = path + ":" + std::to_string(line) + ": ";
        if (!refused || error.compare(0, where.size(), where) != 0)
            fuzz_fail("expected a refusal on line %d, got \"%s\"", line, error.c_str());
        return 0;
    }
    static s_replay recording;
    std::string replay_path = fuzz_dir + "/run.replay";
    if (replay_record_open(&recording, replay_path.c_str(), fuzz_dir.c_str(), &error) ||
        replay_record_start(&recording, seed, &error))
        fuzz_fail("cannot record: %s", error.c_str());
    fuzz_play(frames, &recording);
    if (replay_stop(&recording) != 0)
        fuzz_fail("the recording could not be written");
    fuzz_play_back(replay_path, path, seed, frames);
    return 0;
}
