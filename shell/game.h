// The game's objects and the named steps of its start-up, frame and shutdown,
// shared by the game's entry point and the self-playing demo so both run the
// very same sequence.
#pragma once

#include "audio/music.h"
#include "game/ball_list.h"
#include "game/bonus_list.h"
#include "game/pad.h"
#include "gfx/camera.h"
#include "gfx/particle.h"
#include "gfx/surface.h"
#include "level/map.h"
#include "shell/hud.h"
#include "shell/pack.h"
#include "shell/progress.h"
#include "shell/types.h"

#include <GL/glu.h>

struct s_front;
struct s_replay;
struct s_watch;

// How far start-up got, so shutdown stops exactly what was started.
enum e_game_stage {
    GAME_STAGE_NONE = 0,
    GAME_STAGE_SOUND,      // the sound system runs
    GAME_STAGE_WINDOW,     // plus the window
    GAME_STAGE_SURFACES,   // plus the sprite texture store
    GAME_STAGE_PARTICLES,  // plus the particle system
    GAME_STAGE_RUNNING,    // everything, the first frame shown
};

struct s_game {
    s_pack pack;  // the levels of the run and the one being played
    Map map;      // the level being played
    s_camera camera;
    s_surface surfaces;  // textures of the game's own sprites
    s_particle particles;
    s_music music;
    s_ball_list balls;
    s_bonus_list bonuses;
    s_pad pad;
    GLUquadric* quadric;  // shared by the balls and the pad
    f32 centre_x;         // middle of the play area, x
    f32 field_width;      // right limit minus left limit
    int view_index;       // camera view 0 to 3; -1 before the first frame
    bool view_changed;    // a view is to be selected this frame
    s_progress progress;  // the level's clearing, its celebration and the switch to the next
    s_hud hud;            // title and launch hint
    bool sounds_paused;   // the effects are held for a pause
    e_game_stage stage;
    s_replay* replay = nullptr;  // records the run or plays one back; null: neither
    s_watch* watch = nullptr;    // reloads the map when its files change; null: never looks
    s_front* front = nullptr;    // the title and the menus (ui/front); null: play alone
    u8 at_title = 0;             // the title shows: the level stands behind it, nothing plays
};

// Runs the start-up sequence for the level at map_path, or for the pack in that
// folder from its first level; seed, when given, replaces the first frame's
// tick count as the random seed. Returns 0 when the game can run; otherwise
// writes one line to standard error naming what failed and returns the process
// exit status to end with (everything started is stopped). A null map_path plays
// the level the caller put in game->map, with no pack: the editor's way in.
int game_start(s_game* game, const char* map_path, const u32* seed = nullptr);
// One whole frame in its fixed order, a due level switch between input and
// update, the replay's steps around them; returns non-zero when the run should
// end (also when playback ends or diverges).
int game_frame(s_game* game);
// The frame's opening: clock, events, the close and Escape tests. Non-zero: end the run.
int game_frame_input(s_game* game);
// The rest of the frame: game_frame_step, then game_frame_draw.
void game_frame_update(s_game* game);
// Sound, logic, collisions, motion and the camera's targets; while paused only the sound,
// on the title the sound and the title's camera.
void game_frame_step(s_game* game);
// Camera and drawing; while paused the picture is dimmed under the resume hint.
void game_frame_draw(s_game* game);
// Selects the camera view when due and sets the current view's targets.
void game_view(s_game* game);
// Sets the current view up again as on its selection, so the first view turns to a new field.
void game_view_refresh(s_game* game);
// Stops what game_start started, in the fixed shutdown order.
void game_stop(s_game* game);
