// Texture store: applies colour keys to decoded pictures, uploads them to GL and caches them by path.
#include "gfx/surface.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int surface_init(s_surface* surface)
{
    surface->keys = nullptr;
    surface->key_count = 0;
    surface->alpha_default = 255;
    surface->key_capacity = 0;
    surface->names = nullptr;
    surface->names_length = 0;
    surface->names_capacity = 0;
    surface->entries = nullptr;
    surface->entry_count = 0;
    surface->entry_capacity = 0;
    surface->alpha_mode = SURFACE_ALPHA_NONE;
    surface->mipmap = 1;
    surface->error[0] = '\0';
    return 0;
}

void surface_mode(s_surface* surface, u32 alpha_mode, u32 mipmap)
{
    surface->alpha_mode = alpha_mode;
    surface->mipmap = mipmap;
}

int surface_alpha_define(s_surface* surface, u8 red, u8 green, u8 blue, u8 alpha)
{
    if (surface->key_count == surface->key_capacity) {
        u32 capacity = surface->key_capacity + SURFACE_KEYS_STEP;
        void* grown = realloc(surface->keys, (size_t)capacity * sizeof(s_surface_key));
        if (!grown) {
            snprintf(surface->error, SURFACE_ERROR_SIZE, "colour keys: cannot grow to %u keys",
                     capacity);
            return 1;
        }
        surface->keys = (s_surface_key*)grown;
        surface->key_capacity = capacity;
    }
    s_surface_key* key = &surface->keys[surface->key_count++];
    key->alpha = alpha;
    key->blue = blue;
    key->green = green;
    key->red = red;
    return 0;
}

void surface_alpha_reset(s_surface* surface, u8 alpha_default)
{
    surface->key_count = 0;
    surface->alpha_default = alpha_default;
}

// Alpha of one pixel: the default, unless a key matches; the earliest key wins.
static u8 surface_key_alpha(const s_surface* surface, const u8* rgb)
{
    u8 alpha = surface->alpha_default;
    for (u32 k = surface->key_count; k-- > 0;) {
        const s_surface_key* key = &surface->keys[k];
        if (key->red == rgb[0] && key->green == rgb[1] && key->blue == rgb[2])
            alpha = key->alpha;
    }
    return alpha;
}

// Applies the store's alpha mode and keys to a decoded image; 1 if widening fails.
static int surface_alpha(const s_surface* surface, s_image* image)
{
    u32 mode = surface->alpha_mode;
    if (mode == SURFACE_ALPHA_NONE || (mode == SURFACE_ALPHA_FILE && image->channels == 4))
        return 0;
    size_t count = (size_t)image->width * image->height;
    if (image->channels == 4) {
        for (size_t i = count; i-- > 0;)
            image->pixels[i * 4 + 3] = surface_key_alpha(surface, image->pixels + i * 4);
        return 0;
    }
    u8* grown = (u8*)realloc(image->pixels, count * 4);
    if (!grown)
        return 1;
    image->pixels = grown;
    // Widened from the end so no source pixel is overwritten before it moves.
    for (size_t i = count; i-- > 0;) {
        u8 rgb[3] = {grown[i * 3], grown[i * 3 + 1], grown[i * 3 + 2]};
        u8* out = grown + i * 4;
        out[0] = rgb[0];
        out[1] = rgb[1];
        out[2] = rgb[2];
        out[3] = surface_key_alpha(surface, rgb);
    }
    image->channels = 4;
    return 0;
}

// Makes room for one more path of length bytes and one more entry; 1 if either cannot grow.
static int surface_reserve(s_surface* surface, size_t length)
{
    if ((u64)surface->names_length + length + 1 > surface->names_capacity) {
        u64 step = length + 1;
        if (step < (u64)SURFACE_NAMES_STEP)
            step = SURFACE_NAMES_STEP;
        u64 capacity = (u64)surface->names_capacity + step;
        if (capacity > UINT32_MAX)
            return 1;
        void* grown = realloc(surface->names, (size_t)capacity);
        if (!grown)
            return 1;
        surface->names = (char*)grown;
        surface->names_capacity = (u32)capacity;
    }
    if (surface->entry_count == surface->entry_capacity) {
        u32 capacity = surface->entry_capacity + SURFACE_ENTRIES_STEP;
        void* grown = realloc(surface->entries, (size_t)capacity * sizeof(s_surface_entry));
        if (!grown)
            return 1;
        surface->entries = (s_surface_entry*)grown;
        surface->entry_capacity = capacity;
    }
    return 0;
}

// Creates the GL texture of a decoded image with or without a mipmap chain.
static u32 surface_upload(const s_surface* surface, const s_image* image)
{
    GLenum format = image->channels == 4 ? GL_RGBA : GL_RGB;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    // Rows are tightly packed whatever their length; GL's default of 4 would
    // read past the end of RGB images whose width is not a multiple of four.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (surface->mipmap == 1) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, format, image->width, image->height, format,
                          GL_UNSIGNED_BYTE, image->pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, format, image->width, image->height, 0, format,
                     GL_UNSIGNED_BYTE, image->pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return name;
}

int surface_load(s_surface* surface, const char* path, u32* texture)
{
    if (!path) {
        snprintf(surface->error, SURFACE_ERROR_SIZE, "(no path): no file named");
        return 1;
    }
    for (u32 i = 0; i < surface->entry_count; i++) {
        if (strcmp(surface->names + surface->entries[i].name_offset, path) == 0) {
            *texture = surface->entries[i].texture;
            surface->error[0] = '\0';
            return 0;
        }
    }
    size_t length = strlen(path);
    if (surface_reserve(surface, length)) {
        snprintf(surface->error, SURFACE_ERROR_SIZE, "%s: out of memory for the texture list",
                 path);
        return 1;
    }
    s_image image;
    image.pixels = nullptr;
    if (image_load(&image, path)) {
        snprintf(surface->error, SURFACE_ERROR_SIZE, "%s", image.error);
        return 1;
    }
    if (surface_alpha(surface, &image)) {
        image_free(&image);
        snprintf(surface->error, SURFACE_ERROR_SIZE, "%s: out of memory adding an alpha channel",
                 path);
        return 1;
    }
    u32 name = surface_upload(surface, &image);
    image_free(&image);
    s_surface_entry* entry = &surface->entries[surface->entry_count++];
    entry->name_offset = surface->names_length;
    entry->texture = name;
    memcpy(surface->names + surface->names_length, path, length + 1);
    surface->names_length += (u32)(length + 1);
    surface->error[0] = '\0';
    *texture = name;
    return 0;
}

void surface_prune(s_surface* surface, const u32* keep, u32 count)
{
    // Kept entries slide down in load order, and so do their paths: a path
    // only ever moves toward the start of the pool, over ones already moved or dropped.
    u32 kept = 0, length = 0;
    for (u32 i = 0; i < surface->entry_count; i++) {
        s_surface_entry entry = surface->entries[i];
        if (std::find(keep, keep + count, entry.texture) == keep + count) {
            GLuint name = entry.texture;
            glDeleteTextures(1, &name);
            continue;
        }
        const char* path = surface->names + entry.name_offset;
        size_t size = strlen(path) + 1;
        memmove(surface->names + length, path, size);
        surface->entries[kept].name_offset = length;
        surface->entries[kept].texture = entry.texture;
        kept++;
        length += (u32)size;
    }
    surface->entry_count = kept;
    surface->names_length = length;
}

const char* surface_last_error(const s_surface* surface)
{
    return surface->error;
}

void surface_stop(s_surface* surface)
{
    for (u32 i = 0; i < surface->entry_count; i++) {
        GLuint name = surface->entries[i].texture;
        glDeleteTextures(1, &name);
    }
    free(surface->keys);
    free(surface->names);
    free(surface->entries);
    surface->keys = nullptr;
    surface->names = nullptr;
    surface->entries = nullptr;
    surface->key_count = surface->key_capacity = 0;
    surface->names_length = surface->names_capacity = 0;
    surface->entry_count = surface->entry_capacity = 0;
}
