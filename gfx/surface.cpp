// Texture store: decodes PNG and BMP files, applies colour keys, uploads to GL and caches by path.
#include "gfx/surface.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

enum {
    BMP_HEADER_SIZE = 54,  // file header (14) and information header (40)
    BMP_DEPTH = 24,
};

// Writes "<name>: <problem>" into a message buffer; never overflows it.
static void surface_fail(char* error, const char* name, const char* format, ...)
{
    int used = snprintf(error, SURFACE_ERROR_SIZE, "%s: ", name ? name : "(image)");
    if (used < 0 || used >= SURFACE_ERROR_SIZE)
        return;
    va_list args;
    va_start(args, format);
    vsnprintf(error + used, SURFACE_ERROR_SIZE - used, format, args);
    va_end(args);
}

// Byte count of an image with the given sides and channels, or 0 when a side is
// zero or beyond the cap, or the count would not fit the int sizes GL takes.
static size_t surface_image_bytes(u32 width, u32 height, u32 channels)
{
    if (width == 0 || height == 0 || width > SURFACE_SIDE_MAX || height > SURFACE_SIDE_MAX)
        return 0;
    u64 bytes = (u64)width * height * channels;
    if (bytes > (u64)INT_MAX)
        return 0;
    return (size_t)bytes;
}

// Little-endian field readers over a header already in memory.
static u32 surface_le32(const u8* p)
{
    return (u32)p[0] | ((u32)p[1] << 8) | ((u32)p[2] << 16) | ((u32)p[3] << 24);
}

static u16 surface_le16(const u8* p)
{
    return (u16)(p[0] | (p[1] << 8));
}

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
            surface_fail(surface->error, "colour keys", "cannot grow to %u keys", capacity);
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

int surface_internal_read(FILE* file, void* buffer, u32 count)
{
    u8* bytes = (u8*)buffer;
    for (u32 i = 0; i < count; i++) {
        int c = fgetc(file);
        if (c == EOF)
            return 1;
        bytes[i] = (u8)c;
    }
    return 0;
}

// Size of an open stream in bytes, leaving the position at the start; -1 if unknown.
static long surface_stream_size(FILE* file)
{
    if (fseek(file, 0, SEEK_END) != 0)
        return -1;
    long size = ftell(file);
    if (fseek(file, 0, SEEK_SET) != 0)
        return -1;
    return size;
}

int surface_internal_decode_bmp(s_surface_image* image, FILE* file, const char* name)
{
    image->error[0] = '\0';
    long file_size = surface_stream_size(file);
    if (file_size < 0) {
        surface_fail(image->error, name, "cannot tell the file's size (not a regular file?)");
        return 1;
    }
    u8 header[BMP_HEADER_SIZE];
    if (surface_internal_read(file, header, BMP_HEADER_SIZE)) {
        surface_fail(image->error, name, "BMP header cut short (under %d bytes)", BMP_HEADER_SIZE);
        return 1;
    }
    u32 offset = surface_le32(header + 10);
    i32 width = (i32)surface_le32(header + 18);
    i32 height = (i32)surface_le32(header + 22);
    u16 planes = surface_le16(header + 26);
    u16 depth = surface_le16(header + 28);
    if (planes != 1) {
        surface_fail(image->error, name, "BMP planes %u, expected 1", planes);
        return 1;
    }
    if (depth != BMP_DEPTH) {
        surface_fail(image->error, name, "BMP depth %u bits, only 24 is supported", depth);
        return 1;
    }
    // A negative height marks a file stored top row first.
    u8 top_down = height < 0;
    u32 rows = top_down ? (u32)0 - (u32)height : (u32)height;
    u32 columns = (u32)width;
    if (width <= 0 || width > SURFACE_SIDE_MAX || rows == 0 || rows > SURFACE_SIDE_MAX) {
        surface_fail(image->error, name, "BMP size %d x %d out of range (1 to %d)", width, height,
                     SURFACE_SIDE_MAX);
        return 1;
    }
    size_t bytes = surface_image_bytes(columns, rows, 4);
    if (bytes == 0) {
        surface_fail(image->error, name, "BMP size %u x %u too large", columns, rows);
        return 1;
    }
    if (offset < BMP_HEADER_SIZE) {
        surface_fail(image->error, name, "BMP pixel data offset %u lies inside the header", offset);
        return 1;
    }
    // Rows are padded to whole 4-byte words; the last row's padding may be missing.
    u64 row_bytes = (u64)columns * 3;
    u64 stride = (row_bytes + 3) & ~(u64)3;
    u64 needed = (u64)offset + stride * (rows - 1) + row_bytes;
    if (needed > (u64)file_size) {
        surface_fail(image->error, name,
                     "BMP pixel data cut short (%llu bytes needed, %ld present)",
                     (unsigned long long)needed, file_size);
        return 1;
    }
    u8* pixels = (u8*)malloc(bytes);
    if (!pixels) {
        surface_fail(image->error, name, "out of memory for %u x %u pixels", columns, rows);
        return 1;
    }
    for (u32 row = 0; row < rows; row++) {
        u32 target = top_down ? rows - 1 - row : row;
        u8* line = pixels + (size_t)target * (size_t)row_bytes;
        if (fseek(file, (long)(offset + stride * row), SEEK_SET) != 0 ||
            fread(line, 1, (size_t)row_bytes, file) != (size_t)row_bytes) {
            free(pixels);
            surface_fail(image->error, name, "BMP pixel data cut short at row %u", row);
            return 1;
        }
        for (u64 i = 0; i < row_bytes; i += 3) {
            u8 blue = line[i];
            line[i] = line[i + 2];
            line[i + 2] = blue;
        }
    }
    image->width = columns;
    image->height = rows;
    image->pixels = pixels;
    image->format = GL_RGB;
    return 0;
}

// libpng error handler: keeps the library's message for the caller, then unwinds.
static void surface_png_error(png_structp png, png_const_charp message)
{
    s_surface_image* image = (s_surface_image*)png_get_error_ptr(png);
    if (image && image->error[0] == '\0')
        snprintf(image->error, SURFACE_ERROR_SIZE, "%s", message);
    png_longjmp(png, 1);
}

// Warnings (bad ancillary chunks and the like) are not worth a word: the store prints nothing.
static void surface_png_warning(png_structp, png_const_charp)
{}

int surface_internal_decode_png(s_surface_image* image, FILE* file, const char* name)
{
    image->error[0] = '\0';
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, image, surface_png_error,
                                             surface_png_warning);
    if (!png) {
        surface_fail(image->error, name, "cannot create the PNG reader");
        return 1;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        surface_fail(image->error, name, "cannot create the PNG reader");
        return 1;
    }
    // Written after setjmp and read after a longjmp: must live in memory.
    u8* volatile pixels = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        char reason[SURFACE_ERROR_SIZE];
        snprintf(reason, sizeof reason, "%s", image->error);
        free(rows);
        free(pixels);
        png_destroy_read_struct(&png, &info, nullptr);
        surface_fail(image->error, name, "PNG decoding failed: %s", reason);
        return 1;
    }
    png_set_user_limits(png, SURFACE_SIDE_MAX, SURFACE_SIDE_MAX);
    png_init_io(png, file);
    png_read_info(png, info);
    int depth = png_get_bit_depth(png, info);
    int type = png_get_color_type(png, info);
    if (type == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (depth == 16)
        png_set_strip_16(png);
    else if (depth < 8)
        png_set_packing(png);
    // Interlaced files are deinterlaced by libpng instead of decoded pass by pass.
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_uint_32 width = 0, height = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &type, nullptr, nullptr, nullptr);
    u32 channels = type == PNG_COLOR_TYPE_RGB ? 3 : type == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : 0;
    if (channels == 0 || depth != 8) {
        png_destroy_read_struct(&png, &info, nullptr);
        surface_fail(image->error, name, "PNG colour type %d is not supported (only colour images)",
                     type);
        return 1;
    }
    size_t bytes = surface_image_bytes(width, height, channels);
    if (bytes == 0 || png_get_rowbytes(png, info) != (size_t)width * channels) {
        png_destroy_read_struct(&png, &info, nullptr);
        surface_fail(image->error, name, "PNG size %u x %u out of range (1 to %d)", (u32)width,
                     (u32)height, SURFACE_SIDE_MAX);
        return 1;
    }
    pixels = (u8*)malloc(bytes);
    rows = (png_bytep*)malloc((size_t)height * sizeof(png_bytep));
    if (!pixels || !rows) {
        free(rows);
        free(pixels);
        png_destroy_read_struct(&png, &info, nullptr);
        surface_fail(image->error, name, "out of memory for %u x %u pixels", (u32)width,
                     (u32)height);
        return 1;
    }
    // The file's top row goes last: GL wants the bottom row first.
    size_t row_bytes = (size_t)width * channels;
    for (u32 i = 0; i < height; i++)
        rows[i] = pixels + (size_t)(height - 1 - i) * row_bytes;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    free(rows);
    image->width = width;
    image->height = height;
    image->pixels = pixels;
    image->format = channels == 4 ? GL_RGBA : GL_RGB;
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
}

// Opens path for one of the decoders and closes it on every way out.
static int surface_load_file(s_surface_image* image, const char* path,
                             int (*decode)(s_surface_image*, FILE*, const char*))
{
    image->error[0] = '\0';
    FILE* file = fopen(path, "rb");
    if (!file) {
        surface_fail(image->error, path, "cannot open: %s", strerror(errno));
        return 1;
    }
    int result = decode(image, file, path);
    fclose(file);
    return result;
}

int surface_internal_load_bmp(s_surface_image* image, const char* path)
{
    return surface_load_file(image, path, surface_internal_decode_bmp);
}

int surface_internal_load_png(s_surface_image* image, const char* path)
{
    return surface_load_file(image, path, surface_internal_decode_png);
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

int surface_internal_alpha(s_surface* surface, s_surface_image* image)
{
    u32 mode = surface->alpha_mode;
    if (mode == SURFACE_ALPHA_NONE || (mode == SURFACE_ALPHA_FILE && image->format == GL_RGBA))
        return 0;
    size_t count = (size_t)image->width * image->height;
    if (image->format == GL_RGBA) {
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
    image->format = GL_RGBA;
    return 0;
}

// Upper-cased last three characters of path; zeros when the path is shorter.
static void surface_extension(const char* path, char extension[4])
{
    size_t length = strlen(path);
    memset(extension, 0, 4);
    if (length < 3)
        return;
    for (int i = 0; i < 3; i++) {
        char c = path[length - 3 + i];
        extension[i] = (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
    }
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
static u32 surface_upload(const s_surface* surface, const s_surface_image* image)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    // Rows are tightly packed whatever their length; GL's default of 4 would
    // read past the end of RGB images whose width is not a multiple of four.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (surface->mipmap == 1) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, image->format, image->width, image->height, image->format,
                          GL_UNSIGNED_BYTE, image->pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, image->format, image->width, image->height, 0, image->format,
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
        surface_fail(surface->error, "(no path)", "no file named");
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
        surface_fail(surface->error, path, "out of memory for the texture list");
        return 1;
    }
    char extension[4];
    surface_extension(path, extension);
    int (*load)(s_surface_image*, const char*) = nullptr;
    if (strcmp(extension, "PNG") == 0)
        load = surface_internal_load_png;
    else if (strcmp(extension, "BMP") == 0)
        load = surface_internal_load_bmp;
    if (!load) {
        surface_fail(surface->error, path, "not a .png or .bmp file");
        return 1;
    }
    s_surface_image image;
    image.pixels = nullptr;
    if (load(&image, path)) {
        snprintf(surface->error, SURFACE_ERROR_SIZE, "%s", image.error);
        return 1;
    }
    if (surface_internal_alpha(surface, &image)) {
        free(image.pixels);
        surface_fail(surface->error, path, "out of memory adding an alpha channel");
        return 1;
    }
    u32 name = surface_upload(surface, &image);
    free(image.pixels);
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
