// Start-up, frame and shutdown sequences of the game, in their fixed order.
#include "shell/game.h"

#include "audio/chord.h"
#include "gfx/coord.h"
#include "level/reader.h"
#include "shell/replay.h"
#include "shell/vertex.h"
#include "shell/watch.h"
#include "ui/front.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

enum {
    VIEW_COUNT = 4,
    VIEW_DISTANCE = 30,  // level units between the eye and the looked-at point
    // Longest frame the motion is scaled by, ms. A stalled process (stopped,
    // swapped out) would otherwise fling balls far beyond the walls in one
    // step, and they would take as long to come back as the stall lasted;
    // below 10 frames per second the game slows down instead.
    GAME_FRAME_TIME_MAX = 100,
};

// Writes the one line that ends a failed start-up, stops what was started and
// returns the exit status.
static int game_internal_fail(s_game* game, const std::string& line)
{
    fprintf(stderr, "%s\n", line.c_str());
    game_stop(game);
    return 1;
}

// Reads the pack, then its first level into the map.
static int game_internal_read(s_game* game, const char* map_path)
{
    std::string message;
    if (pack_read(&game->pack, map_path, &message) != 0 ||
        reader_load(game->pack.levels[0].path, *game->map.getMap(), &message) != 0)
        return game_internal_fail(game, message);
    return 0;
}

// Draws the level and the pad once before play and throws the picture away, so the
// GL driver builds its programs for their states during start-up rather than in
// the first frame of play (a software rasteriser takes a good tenth of a second).
// The blocks stay where the reader put them: play starts from there.
static void game_internal_warm_up(s_game* game)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0, 0, -VIEW_DISTANCE);
    game->map.render(false);
    pad_draw(&game->pad);
    glPopMatrix();
    glFinish();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

int game_start(s_game* game, const char* map_path, const u32* seed)
{
    game->stage = GAME_STAGE_NONE;
    game->quadric = nullptr;
    // The levels first: a broken pack started from the desktop is told in one
    // line rather than by a window that flashes and goes.
    if (map_path && game_internal_read(game, map_path) != 0)
        return 1;
    if (CHD_Init(100, 0) != 0)
        return game_internal_fail(game, "Could not start the sound system.");
    game->stage = GAME_STAGE_SOUND;
    if (VTX_Init(640, 480, 16, 0) != 0)
        return game_internal_fail(game, std::string("Could not open the window: ") + VTX_Error());
    game->stage = GAME_STAGE_WINDOW;
    surface_init(&game->surfaces);
    game->stage = GAME_STAGE_SURFACES;
    if (particle_init(&game->particles, &game->surfaces) != 0)
        return game_internal_fail(game, std::string("Could not start the particles: ") +
                                            surface_last_error(&game->surfaces));
    game->stage = GAME_STAGE_PARTICLES;
    game->map.init();

    game->quadric = gluNewQuadric();
    gluQuadricNormals(game->quadric, GLU_SMOOTH);
    gluQuadricTexture(game->quadric, GL_TRUE);

    const std::vector<f32>& limits = game->map.getMap()->world.limits;
    f32 left = limits[0], right = limits[1], bottom = limits[2], top = limits[3];
    game->centre_x = (left + right) / 2;
    game->field_width = right - left;
    game->view_changed = true;
    game->view_index = -1;
    camera_define(&game->camera);
    music_init(&game->music);
    ball_list_define(&game->balls, &game->particles, &game->surfaces, game->quadric, left, right,
                     bottom, top);
    bonus_list_define(&game->bonuses, &game->particles, &game->surfaces, left, right, bottom, top);
    pad_define(&game->pad, &game->particles, &game->surfaces, game->quadric, left, right, bottom);
    progress_define(&game->progress, game->pack.cycles);
    progress_start(&game->progress, game->map.getMap());
    hud_init(&game->hud);
    if (map_path)
        hud_title(&game->hud, game->pack.levels[0].name.c_str());

    game_internal_warm_up(game);
    game->sounds_paused = false;
    VTX_SetPausable(1);
    VTX_SetMouse(0, 1);
    VTX_SetWindow("Tumbrelix", nullptr);
    VTX_Loop(0);
    srand(seed ? *seed : gl_vertex.ticks);
    music_play_random(&game->music, "data/musics/random");
    game->stage = GAME_STAGE_RUNNING;
    return 0;
}

int game_frame_input(s_game* game)
{
    (void)game;
    if (VTX_Loop(0) != 0)
        return 1;
    if (gl_vertex.frame_time > GAME_FRAME_TIME_MAX)
        gl_vertex.frame_time = GAME_FRAME_TIME_MAX;
    return gl_vertex.key[VTX_KEY_ESCAPE] != 0;
}

// Sets up a newly selected view: its laws and the targets fixed for its lifetime.
static void game_internal_select(s_game* game)
{
    s_camera* camera = &game->camera;
    switch (game->view_index) {
    case 0:
        camera_mode(camera, 1, 1, 1, 1, 0);
        coord_set_pos(camera->view_target, game->centre_x, 0, 0);
        coord_set_pos(camera->item_target, 0, 0, -VIEW_DISTANCE);
        coord_set_rot(camera->item_target, 0, 0, 0);
        break;
    case 1:
        camera_mode(camera, 1, 1, 1, 1, 0);
        coord_set_pos(camera->item_target, 0, 0, -VIEW_DISTANCE);
        coord_set_rot(camera->item_target, 0, 0, 0);
        break;
    case 2:
        camera_mode(camera, 1, 1, 1, 1, 0);
        coord_set_pos(camera->item_target, 0, 0, -VIEW_DISTANCE);
        break;
    case 3:
        // Looking up the field from the pad: glide here would swing through the level.
        camera_mode(camera, 0, 0, 0, 0, 0);
        coord_set_pos(camera->item_target, 0, 0, 1);
        coord_set_rot(camera->item_target, -90, 0, 0);
        break;
    }
}

void game_view_refresh(s_game* game)
{
    game_internal_select(game);
}

// The tilted view's turn with the pad, by degrees at the field's edge. Only a
// level built in memory can have a field of no width: its view does not turn.
static f32 game_internal_turn(f32 pad_x, f32 degrees, f32 field_width)
{
    f32 turn = pad_x * degrees / field_width;
    return std::isfinite(turn) ? turn : 0;
}

void game_view(s_game* game)
{
    // Space is consumed only when no selection is pending, so one key-down
    // selects one view however long the key is held.
    if (!game->view_changed && gl_vertex.key[VTX_KEY_SPACE]) {
        gl_vertex.key[VTX_KEY_SPACE] = 0;
        game->view_changed = true;
    }
    if (game->view_changed) {
        game->view_index = (game->view_index + 1) % VIEW_COUNT;
        game_internal_select(game);
        game->view_changed = false;
    }

    s_camera* camera = &game->camera;
    f32 pad_x = game->pad.coord.x, pad_y = game->pad.coord.y;
    bool tilting = gl_vertex.key[VTX_MOUSE_RIGHT] != 0;
    switch (game->view_index) {
    case 0:
        if (tilting)
            camera->item_target->rx -= gl_vertex.mouse_dy;
        break;
    case 1:
        if (tilting)
            camera->item_target->rx -= gl_vertex.mouse_dy;
        coord_set_pos(camera->view_target, pad_x, 0, 0);
        break;
    case 2:
        coord_set_pos(camera->view_target, pad_x, 0, 0);
        coord_set_rot(camera->item_target, -60, game_internal_turn(pad_x, -30, game->field_width),
                      game_internal_turn(pad_x, -45, game->field_width));
        break;
    case 3:
        coord_set_pos(camera->view_target, pad_x, pad_y, 0);
        break;
    }
}

// Holds or releases the effects with the game clock; the music plays on.
static void game_internal_pause_sounds(s_game* game)
{
    bool paused = gl_vertex.paused != 0;
    if (paused == game->sounds_paused)
        return;
    game->sounds_paused = paused;
    // The next track waits on a paused channel of its own: resuming it here
    // would start it over the playing one.
    for (u32 handle = 0; handle < gl_chord.count; handle++)
        if (handle != game->music.sound && handle != game->music.next_sound)
            CHD_SetPaused(handle, paused);
}

void game_frame_step(s_game* game)
{
    game_internal_pause_sounds(game);
    CHD_Loop();
    music_loop(&game->music);
    if (game->at_title) {
        front_view(game->front, game);
        return;
    }
    if (gl_vertex.paused)
        return;

    // Step phase: every body proposes where it goes this frame.
    bonus_list_loop(&game->bonuses);
    ball_list_loop(&game->balls);
    pad_loop(&game->pad, &game->balls);
    particle_cycle(&game->particles);

    // Collision phase: proposed against committed positions; blocks are where
    // the previous frame's drawing left them.
    ball_list_collide(&game->balls, &game->pad, game->map.getMap()->groups, &game->bonuses);
    bonus_list_collide(&game->bonuses, &game->pad, &game->balls);

    // Commit phase.
    ball_list_move(&game->balls);
    bonus_list_move(&game->bonuses);
    pad_move(&game->pad);
    progress_loop(&game->progress, game->map.getMap(), &game->particles);
    hud_loop(&game->hud, game->balls.empty && game->progress.state == PROGRESS_PLAYING);

    game_view(game);
}

void game_frame_draw(s_game* game)
{
    camera_begin(&game->camera);
    game->map.render();
    ball_list_draw(&game->balls);
    bonus_list_draw(&game->bonuses);
    pad_draw(&game->pad);
    hud_project(&game->hud, &game->pad);
    particle_draw(&game->particles);
    camera_stop();
    if (!game->at_title)
        hud_draw(&game->hud);
    if (game->front)
        front_draw(game->front, game);
    else if (gl_vertex.paused)
        hud_draw_pause();
}

void game_frame_update(s_game* game)
{
    game_frame_step(game);
    game_frame_draw(game);
}

int game_frame(s_game* game)
{
    if (game_frame_input(game))
        return 1;
    // The replay sets the clock before the switch: a level read takes its
    // movements' start from it.
    if (game->replay && replay_frame_time(game->replay))
        return 1;
    // The frame's input is recorded or replayed before any step reads it: a
    // level switch resets the pad by the left button's state.
    if (game->replay)
        replay_frame_input(game->replay);
    progress_switch(game);
    if (game->front && front_loop(game->front, game))
        return 1;
    if (game->watch)
        watch_loop(game->watch, game);
    game_frame_update(game);
    return game->replay && replay_frame_check(game->replay, game);
}

void game_stop(s_game* game)
{
    if (game->stage >= GAME_STAGE_RUNNING) {
        music_free(&game->music);
        hud_stop(&game->hud);
    }
    if (game->quadric)
        gluDeleteQuadric(game->quadric);
    game->quadric = nullptr;
    if (game->stage >= GAME_STAGE_PARTICLES)
        particle_stop(&game->particles);
    if (game->stage >= GAME_STAGE_SURFACES)
        surface_stop(&game->surfaces);
    // The level's textures go while their GL context is still there; the map
    // itself lives on until its owner ends.
    if (game->stage >= GAME_STAGE_WINDOW)
        game->map.stop();
    if (game->stage >= GAME_STAGE_SOUND)
        CHD_Stop();
    if (game->stage >= GAME_STAGE_WINDOW)
        VTX_Stop();
    game->stage = GAME_STAGE_NONE;
}
