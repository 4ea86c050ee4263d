// Image files: BMP and PNG decoding into one pixel buffer, PNG encoding from it.
#include "gfx/image.h"

#include <png.h>

#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "shell/file.h"
#include "shell/path.h"

enum {
    BMP_HEADER_SIZE = 54,  // file header (14) and information header (40)
    BMP_DEPTH = 24,
};

// Writes "<name>: <problem>" into a message buffer; never overflows it.
static void image_fail(char* error, const char* name, const char* format, ...)
{
    int used = snprintf(error, IMAGE_ERROR_SIZE, "%s: ", name ? name : "(image)");
    if (used < 0 || used >= IMAGE_ERROR_SIZE)
        return;
    va_list args;
    va_start(args, format);
    vsnprintf(error + used, IMAGE_ERROR_SIZE - used, format, args);
    va_end(args);
}

// Byte count of an image with the given sides and channels, or 0 when a side is
// zero or beyond the cap, or the count would not fit the int sizes GL takes.
static size_t image_bytes(u32 width, u32 height, u32 channels)
{
    if (width == 0 || height == 0 || width > IMAGE_SIDE_MAX || height > IMAGE_SIDE_MAX)
        return 0;
    u64 bytes = (u64)width * height * channels;
    if (bytes > (u64)INT_MAX)
        return 0;
    return (size_t)bytes;
}

// Little-endian field readers over a header already in memory.
static u32 image_le32(const u8* p)
{
    return (u32)p[0] | ((u32)p[1] << 8) | ((u32)p[2] << 16) | ((u32)p[3] << 24);
}

static u16 image_le16(const u8* p)
{
    return (u16)(p[0] | (p[1] << 8));
}

// Size of an open stream in bytes, leaving the position at the start; -1 if unknown.
static long image_stream_size(FILE* file)
{
    if (fseek(file, 0, SEEK_END) != 0)
        return -1;
    long size = ftell(file);
    if (fseek(file, 0, SEEK_SET) != 0)
        return -1;
    return size;
}

int image_read_bmp(s_image* image, FILE* file, const char* name)
{
    image->error[0] = '\0';
    long file_size = image_stream_size(file);
    if (file_size < 0) {
        image_fail(image->error, name, "cannot tell the file's size (not a regular file?)");
        return 1;
    }
    u8 header[BMP_HEADER_SIZE];
    if (fread(header, 1, BMP_HEADER_SIZE, file) != BMP_HEADER_SIZE) {
        image_fail(image->error, name, "BMP header cut short (under %d bytes)", BMP_HEADER_SIZE);
        return 1;
    }
    u32 offset = image_le32(header + 10);
    i32 width = (i32)image_le32(header + 18);
    i32 height = (i32)image_le32(header + 22);
    u16 planes = image_le16(header + 26);
    u16 depth = image_le16(header + 28);
    if (planes != 1) {
        image_fail(image->error, name, "BMP planes %u, expected 1", planes);
        return 1;
    }
    if (depth != BMP_DEPTH) {
        image_fail(image->error, name, "BMP depth %u bits, only 24 is supported", depth);
        return 1;
    }
    // A negative height marks a file stored top row first.
    u8 top_down = height < 0;
    u32 rows = top_down ? (u32)0 - (u32)height : (u32)height;
    u32 columns = (u32)width;
    if (width <= 0 || width > IMAGE_SIDE_MAX || rows == 0 || rows > IMAGE_SIDE_MAX) {
        image_fail(image->error, name, "BMP size %d x %d out of range (1 to %d)", width, height,
                   IMAGE_SIDE_MAX);
        return 1;
    }
    size_t bytes = image_bytes(columns, rows, 4);
    if (bytes == 0) {
        image_fail(image->error, name, "BMP size %u x %u too large", columns, rows);
        return 1;
    }
    if (offset < BMP_HEADER_SIZE) {
        image_fail(image->error, name, "BMP pixel data offset %u lies inside the header", offset);
        return 1;
    }
    // Rows are padded to whole 4-byte words; the last row's padding may be missing.
    u64 row_bytes = (u64)columns * 3;
    u64 stride = (row_bytes + 3) & ~(u64)3;
    u64 needed = (u64)offset + stride * (rows - 1) + row_bytes;
    if (needed > (u64)file_size) {
        image_fail(image->error, name, "BMP pixel data cut short (%llu bytes needed, %ld present)",
                   (unsigned long long)needed, file_size);
        return 1;
    }
    u8* pixels = (u8*)malloc(bytes);
    if (!pixels) {
        image_fail(image->error, name, "out of memory for %u x %u pixels", columns, rows);
        return 1;
    }
    for (u32 row = 0; row < rows; row++) {
        u32 target = top_down ? rows - 1 - row : row;
        u8* line = pixels + (size_t)target * (size_t)row_bytes;
        if (fseek(file, (long)(offset + stride * row), SEEK_SET) != 0 ||
            fread(line, 1, (size_t)row_bytes, file) != (size_t)row_bytes) {
            free(pixels);
            image_fail(image->error, name, "BMP pixel data cut short at row %u", row);
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
    image->channels = 3;
    return 0;
}

// libpng error handler: keeps the library's message for the caller, then unwinds.
static void image_png_error(png_structp png, png_const_charp message)
{
    s_image* image = (s_image*)png_get_error_ptr(png);
    if (image && image->error[0] == '\0')
        snprintf(image->error, IMAGE_ERROR_SIZE, "%s", message);
    png_longjmp(png, 1);
}

// Warnings (bad ancillary chunks and the like) are not worth a word: nothing is printed.
static void image_png_warning(png_structp, png_const_charp)
{}

int image_read_png(s_image* image, FILE* file, const char* name)
{
    image->error[0] = '\0';
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, image, image_png_error, image_png_warning);
    if (!png) {
        image_fail(image->error, name, "cannot create the PNG reader");
        return 1;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        image_fail(image->error, name, "cannot create the PNG reader");
        return 1;
    }
    // Written after setjmp and read after a longjmp: must live in memory.
    u8* volatile pixels = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        char reason[IMAGE_ERROR_SIZE];
        snprintf(reason, sizeof reason, "%s", image->error);
        free(rows);
        free(pixels);
        png_destroy_read_struct(&png, &info, nullptr);
        image_fail(image->error, name, "PNG decoding failed: %s", reason);
        return 1;
    }
    png_set_user_limits(png, IMAGE_SIDE_MAX, IMAGE_SIDE_MAX);
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
        image_fail(image->error, name, "PNG colour type %d is not supported (only colour images)",
                   type);
        return 1;
    }
    size_t bytes = image_bytes(width, height, channels);
    if (bytes == 0 || png_get_rowbytes(png, info) != (size_t)width * channels) {
        png_destroy_read_struct(&png, &info, nullptr);
        image_fail(image->error, name, "PNG size %u x %u out of range (1 to %d)", (u32)width,
                   (u32)height, IMAGE_SIDE_MAX);
        return 1;
    }
    pixels = (u8*)malloc(bytes);
    rows = (png_bytep*)malloc((size_t)height * sizeof(png_bytep));
    if (!pixels || !rows) {
        free(rows);
        free(pixels);
        png_destroy_read_struct(&png, &info, nullptr);
        image_fail(image->error, name, "out of memory for %u x %u pixels", (u32)width, (u32)height);
        return 1;
    }
    // The file's top row goes last: the buffer holds the bottom row first.
    size_t row_bytes = (size_t)width * channels;
    for (u32 i = 0; i < height; i++)
        rows[i] = pixels + (size_t)(height - 1 - i) * row_bytes;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    free(rows);
    image->width = width;
    image->height = height;
    image->pixels = pixels;
    image->channels = channels;
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
}

int image_load(s_image* image, const char* path)
{
    image->error[0] = '\0';
    // The last three letters decide, dot or not, as they always have for level authors.
    int (*read)(s_image*, FILE*, const char*) = nullptr;
    if (path_ends_with(path, "png"))
        read = image_read_png;
    else if (path_ends_with(path, "bmp"))
        read = image_read_bmp;
    if (!read) {
        image_fail(image->error, path, "not a .png or .bmp file");
        return 1;
    }
    // A FIFO or a device would hold the open, or feed the reader forever.
    std::string problem;
    if (file_check(path, FILE_REGULAR, IMAGE_FILE_MAX, &problem)) {
        snprintf(image->error, IMAGE_ERROR_SIZE, "%s", problem.c_str());
        return 1;
    }
    FILE* file = fopen(path, "rb");
    if (!file) {
        image_fail(image->error, path, "cannot open: %s", strerror(errno));
        return 1;
    }
    int result = read(image, file, path);
    fclose(file);
    return result;
}

int image_write_png(s_image* image, FILE* file, const char* name)
{
    image->error[0] = '\0';
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, image, image_png_error, image_png_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        char reason[IMAGE_ERROR_SIZE];
        snprintf(reason, sizeof reason, "%s", image->error);
        png_destroy_write_struct(&png, info ? &info : nullptr);
        image_fail(image->error, name, "PNG encoding failed%s%s", reason[0] ? ": " : "", reason);
        return 1;
    }
    png_init_io(png, file);
    png_set_compression_level(png, IMAGE_PNG_LEVEL);
    png_set_IHDR(png, info, image->width, image->height, 8,
                 image->channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // The buffer holds the bottom row first, the file the top row.
    size_t row_bytes = (size_t)image->width * image->channels;
    for (u32 row = image->height; row-- > 0;)
        png_write_row(png, image->pixels + (size_t)row * row_bytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return 0;
}

void image_free(s_image* image)
{
    free(image->pixels);
    image->pixels = nullptr;
}
