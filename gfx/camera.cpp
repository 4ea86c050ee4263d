// The camera's two followers and the viewing transform they give each frame.
#include "gfx/camera.h"

#include <cstring>

void camera_coef_pos(s_camera* camera, f32 view_k, f32 view_k_accel, f32 item_k, f32 item_k_accel)
{
    camera->view.pos_k = view_k;
    camera->view.pos_k_accel = view_k_accel;
    camera->item.pos_k = item_k;
    camera->item.pos_k_accel = item_k_accel;
}

void camera_coef_rot(s_camera* camera, f32 view_k, f32 view_k_accel, f32 item_k, f32 item_k_accel)
{
    camera->view.rot_k = view_k;
    camera->view.rot_k_accel = view_k_accel;
    camera->item.rot_k = item_k;
    camera->item.rot_k_accel = item_k_accel;
}

void camera_mode(s_camera* camera, u32 view_pos_mode, u32 view_rot_mode, u32 item_pos_mode,
                 u32 item_rot_mode, u8 wrap)
{
    camera->view.pos_mode = view_pos_mode;
    camera->view.rot_mode = view_rot_mode;
    camera->item.pos_mode = item_pos_mode;
    camera->item.rot_mode = item_rot_mode;
    camera->wrap = wrap;
}

// Puts a follower at rest: every placement and speed at 0.
static void camera_track_zero(s_camera_track* track)
{
    memset(&track->current, 0, sizeof track->current);
    memset(&track->speed, 0, sizeof track->speed);
    memset(&track->target, 0, sizeof track->target);
}

void camera_define(s_camera* camera)
{
    camera_coef_pos(camera, 0.0025f, 0.00025f, 0.0025f, 0.00025f);
    camera_coef_rot(camera, 0.005f, 0.0005f, 0.005f, 0.0005f);
    camera_mode(camera, CAMERA_SET, CAMERA_SET, CAMERA_SET, CAMERA_SET, 0);
    camera_track_zero(&camera->view);
    camera_track_zero(&camera->item);
    camera->view_target = &camera->view.target;
    camera->item_target = &camera->item.target;
    camera->first = 1;
}

// One frame step of one follower by its laws.
static void camera_apply(s_camera_track* track, u8 wrap)
{
    switch (track->pos_mode) {
    case CAMERA_SET:
        coord_copy_pos(&track->current, &track->target);
        break;
    case CAMERA_RELATIVE:
        coord_interpolate_pos_relative(&track->current, &track->target, track->pos_k);
        break;
    case CAMERA_SPEED:
        coord_interpolate_pos_speed(&track->current, &track->speed, &track->target, track->pos_k,
                                    track->pos_k_accel);
        break;
    default:
        break;
    }
    switch (track->rot_mode) {
    case CAMERA_SET:
        coord_copy_rot(&track->current, &track->target);
        break;
    case CAMERA_RELATIVE:
        coord_interpolate_rot_relative(&track->current, &track->target, track->rot_k, wrap);
        break;
    case CAMERA_SPEED:
        coord_interpolate_rot_speed(&track->current, &track->speed, &track->target, track->rot_k,
                                    track->rot_k_accel, wrap);
        break;
    default:
        break;
    }
}

// The first frame after camera_define shows the targets at once instead of gliding from 0.
static void camera_jump(s_camera_track* track)
{
    track->current = track->target;
    memset(&track->speed, 0, sizeof track->speed);
}

void camera_begin(s_camera* camera)
{
    if (camera->first == 1) {
        camera_jump(&camera->view);
        camera_jump(&camera->item);
        camera->first = 0;
    } else {
        camera_apply(&camera->view, camera->wrap);
        camera_apply(&camera->item, camera->wrap);
    }
    coord_item(&camera->item.current);
    coord_view(&camera->view.current);
}

void camera_stop()
{
    coord_stop();
    coord_stop();
}
