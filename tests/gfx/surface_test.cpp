// The texture store: decoding of BMP and PNG files of every accepted shape,
// refusal of bad ones, alpha keys, the path cache and the GL textures it makes.
#include "gfx/surface.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "tests/gfx/gfx_fixtures.h"

using namespace gfx_test;

namespace {

// Distinct RGB bytes for a w x h picture, rows bottom first.
std::vector<u8> ramp(u32 width, u32 height)
{
    std::vector<u8> rgb((size_t)width * height * 3);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = (u8)(i * 7 + 1);
    return rgb;
}

// Decodes a file through the store's internal readers, without GL.
struct Decoded {
    int result = 1;
    s_surface_image image{};
    std::string error;
    std::vector<u8> pixels;
};

Decoded decode(const std::string& path, bool png)
{
    Decoded d;
    d.image.pixels = nullptr;
    d.result = png ? surface_internal_load_png(&d.image, path.c_str())
                   : surface_internal_load_bmp(&d.image, path.c_str());
    d.error = d.image.error;
    if (d.result == 0) {
        size_t channels = d.image.format == GL_RGBA ? 4 : 3;
        d.pixels.assign(d.image.pixels,
                        d.image.pixels + (size_t)d.image.width * d.image.height * channels);
        free(d.image.pixels);
    }
    return d;
}

class Store : public ::testing::Test {
protected:
    TempDir dir;
    s_surface store;
    void SetUp() override
    {
        open_window();
        surface_init(&store);
    }
    void TearDown() override { surface_stop(&store); }

    std::string bmp(const std::string& name, const BmpShape& shape, const std::vector<u8>& rgb)
    {
        std::string path = dir.file(name);
        write_file(path, make_bmp(shape, rgb));
        return path;
    }
    // Loads without mipmaps so level 0 holds the file's bytes at its own size.
    u32 load_exact(const std::string& path, u32 mode = SURFACE_ALPHA_NONE)
    {
        surface_mode(&store, mode, 0);
        u32 texture = 0;
        EXPECT_EQ(surface_load(&store, path.c_str(), &texture), 0) << surface_last_error(&store);
        return texture;
    }
};

// ---------------------------------------------------------------- BMP reader

TEST_F(Store, bmp_4x2_uploads_as_rgb_with_bottom_left_pixel_first)
{
    std::vector<u8> rgb = ramp(4, 2);
    u32 texture = load_exact(bmp("a.bmp", {4, 2}, rgb));
    EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_HEIGHT), 2);
    EXPECT_EQ(texture_bytes(texture, GL_RGB), rgb);
}

TEST_F(Store, bmp_rows_of_widths_1_to_5_skip_their_padding)
{
    for (i32 width = 1; width <= 5; width++) {
        SCOPED_TRACE(width);
        std::vector<u8> rgb = ramp(width, 3);
        u32 texture = load_exact(bmp("w" + std::to_string(width) + ".bmp", {width, 3}, rgb));
        EXPECT_EQ(texture_bytes(texture, GL_RGB), rgb);
    }
}

TEST_F(Store, bmp_top_down_file_is_stored_bottom_row_first)
{
    BmpShape shape;
    shape.width = 3;
    shape.height = 2;
    shape.top_down = true;
    std::vector<u8> rgb = ramp(3, 2);
    u32 texture = load_exact(bmp("top.bmp", shape, rgb));
    EXPECT_EQ(texture_bytes(texture, GL_RGB), rgb);
}

TEST_F(Store, bmp_pixel_data_is_read_from_the_offset_field)
{
    BmpShape shape;
    shape.width = 2;
    shape.height = 2;
    shape.gap = 70;  // a larger header (e.g. version 5) before the pixels
    std::vector<u8> rgb = ramp(2, 2);
    u32 texture = load_exact(bmp("gap.bmp", shape, rgb));
    EXPECT_EQ(texture_bytes(texture, GL_RGB), rgb);
}

TEST(BmpReader, refuses_other_depths_and_planes_naming_the_file)
{
    TempDir dir;
    for (u16 depth : {8, 32, 16, 1}) {
        BmpShape shape;
        shape.depth = depth;
        std::string path = dir.file("d" + std::to_string(depth) + ".bmp");
        write_file(path, make_bmp(shape, ramp(1, 1)));
        Decoded d = decode(path, false);
        EXPECT_EQ(d.result, 1) << depth;
        EXPECT_NE(d.error.find(path), std::string::npos) << d.error;
        EXPECT_NE(d.error.find("depth"), std::string::npos) << d.error;
    }
    BmpShape planes;
    planes.planes = 2;
    write_file(dir.file("p.bmp"), make_bmp(planes, ramp(1, 1)));
    Decoded d = decode(dir.file("p.bmp"), false);
    EXPECT_EQ(d.result, 1);
    EXPECT_NE(d.error.find("planes"), std::string::npos) << d.error;
}

TEST(BmpReader, refuses_a_file_shorter_than_its_header_says)
{
    TempDir dir;
    std::vector<u8> whole = make_bmp({4, 4}, ramp(4, 4));
    // Every cut inside the header, and cuts inside the pixel data.
    for (size_t length : {0ul, 1ul, 17ul, 29ul, 53ul, 54ul, 60ul, whole.size() - 13}) {
        std::vector<u8> cut(whole.begin(), whole.begin() + length);
        write_file(dir.file("cut.bmp"), cut);
        Decoded d = decode(dir.file("cut.bmp"), false);
        EXPECT_EQ(d.result, 1) << length;
        EXPECT_NE(d.error.find("cut short"), std::string::npos) << length << ": " << d.error;
    }
}

TEST(BmpReader, last_row_may_lack_its_padding)
{
    TempDir dir;
    std::vector<u8> rgb = ramp(1, 2);
    std::vector<u8> whole = make_bmp({1, 2}, rgb);
    whole.resize(whole.size() - 1);  // 3 bytes of pixel and 1 byte of padding: drop the padding
    write_file(dir.file("short.bmp"), whole);
    Decoded d = decode(dir.file("short.bmp"), false);
    ASSERT_EQ(d.result, 0) << d.error;
    EXPECT_EQ(d.pixels, rgb);
}

TEST(BmpReader, refuses_zero_negative_and_absurd_sizes_before_allocating)
{
    TempDir dir;
    struct Case {
        i32 width, height;
    } cases[] = {{0, 1}, {1, 0}, {-1, 1}, {16385, 1}, {1, 16385}, {1, -16385}, {1, INT_MIN},
                 {INT_MAX, 1}, {16384, 16384}};
    for (const Case& c : cases) {
        std::vector<u8> bytes = make_bmp({1, 1}, ramp(1, 1));
        put32(bytes, 18, (u32)c.width);
        put32(bytes, 22, (u32)c.height);
        write_file(dir.file("big.bmp"), bytes);
        Decoded d = decode(dir.file("big.bmp"), false);
        EXPECT_EQ(d.result, 1) << c.width << " x " << c.height;
        EXPECT_FALSE(d.error.empty());
    }
}

TEST(BmpReader, refuses_a_pixel_offset_inside_the_header)
{
    TempDir dir;
    std::vector<u8> bytes = make_bmp({1, 1}, ramp(1, 1));
    put32(bytes, 10, 20);
    write_file(dir.file("o.bmp"), bytes);
    Decoded d = decode(dir.file("o.bmp"), false);
    EXPECT_EQ(d.result, 1);
    EXPECT_NE(d.error.find("offset"), std::string::npos) << d.error;
}

TEST(BmpReader, missing_file_is_named_in_the_message)
{
    Decoded d = decode("/nonexistent/none.bmp", false);
    EXPECT_EQ(d.result, 1);
    EXPECT_NE(d.error.find("/nonexistent/none.bmp: cannot open"), std::string::npos) << d.error;
}

// ---------------------------------------------------------------- PNG reader

// One 8-bit row from a list of byte values.
std::vector<std::vector<u8>> rows_of(std::initializer_list<std::vector<u8>> rows)
{
    return std::vector<std::vector<u8>>(rows);
}

TEST_F(Store, png_rgb_uploads_with_the_file_top_row_last)
{
    PngShape shape;
    shape.width = 2;
    shape.height = 2;
    std::string path = dir.file("rgb.png");
    ASSERT_TRUE(write_png(path, shape, rows_of({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}})));
    u32 texture = load_exact(path);
    EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    EXPECT_EQ(texture_bytes(texture, GL_RGB), (std::vector<u8>{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
}

TEST_F(Store, png_rgba_keeps_its_alpha)
{
    PngShape shape;
    shape.width = 3;  // a row of 9 or 12 bytes: not a multiple of four for RGB
    shape.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    std::string path = dir.file("rgba.png");
    std::vector<u8> row = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_TRUE(write_png(path, shape, rows_of({row})));
    u32 texture = load_exact(path);
    EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(texture_bytes(texture, GL_RGBA), row);
}

TEST(PngReader, sixteen_bit_channels_are_stripped_to_their_high_byte)
{
    TempDir dir;
    PngShape shape;
    shape.depth = 16;
    std::string path = dir.file("16.png");
    ASSERT_TRUE(write_png(path, shape, rows_of({{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}})));
    Decoded d = decode(path, true);
    ASSERT_EQ(d.result, 0) << d.error;
    EXPECT_EQ(d.image.format, (u32)GL_RGB);
    EXPECT_EQ(d.pixels, (std::vector<u8>{0x12, 0x56, 0x9A}));

    shape.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    ASSERT_TRUE(write_png(path, shape, rows_of({{1, 0, 2, 0, 3, 0, 4, 0}})));
    d = decode(path, true);
    ASSERT_EQ(d.result, 0) << d.error;
    EXPECT_EQ(d.pixels, (std::vector<u8>{1, 2, 3, 4}));
}

TEST(PngReader, palette_images_of_every_depth_expand_to_rgb)
{
    TempDir dir;
    std::vector<png_color> palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}};
    // Four pixels of indices 3, 0, 1, 2 packed at each depth.
    struct Case {
        int depth;
        std::vector<u8> row;
    } cases[] = {{1, {0x40}}, {2, {0xC6}}, {4, {0x30, 0x12}}, {8, {3, 0, 1, 2}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        PngShape shape;
        shape.width = 4;
        shape.color_type = PNG_COLOR_TYPE_PALETTE;
        shape.depth = c.depth;
        // A palette may not hold more entries than the depth can index.
        shape.palette.assign(palette.begin(), palette.begin() + (c.depth == 1 ? 2 : 4));
        std::string path = dir.file("pal.png");
        ASSERT_TRUE(write_png(path, shape, rows_of({c.row})));
        Decoded d = decode(path, true);
        ASSERT_EQ(d.result, 0) << d.error;
        EXPECT_EQ(d.image.format, (u32)GL_RGB);
        if (c.depth == 1) {
            // One bit per pixel: indices 0 1 0 0 from 0x40.
            EXPECT_EQ(d.pixels, (std::vector<u8>{10, 20, 30, 40, 50, 60, 10, 20, 30, 10, 20, 30}));
        } else {
            EXPECT_EQ(d.pixels,
                      (std::vector<u8>{100, 110, 120, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
        }
    }
}

TEST(PngReader, palette_with_transparency_becomes_rgba)
{
    TempDir dir;
    PngShape shape;
    shape.width = 2;
    shape.color_type = PNG_COLOR_TYPE_PALETTE;
    shape.palette = {{1, 2, 3}, {4, 5, 6}};
    shape.trns_alpha = {0};  // index 0 transparent, index 1 opaque by omission
    std::string path = dir.file("trns.png");
    ASSERT_TRUE(write_png(path, shape, rows_of({{0, 1}})));
    Decoded d = decode(path, true);
    ASSERT_EQ(d.result, 0) << d.error;
    EXPECT_EQ(d.image.format, (u32)GL_RGBA);
    EXPECT_EQ(d.pixels, (std::vector<u8>{1, 2, 3, 0, 4, 5, 6, 255}));
}

TEST(PngReader, rgb_with_a_transparent_colour_becomes_rgba)
{
    TempDir dir;
    PngShape shape;
    shape.width = 2;
    shape.trns_colour = true;
    shape.trns_value.red = 9;
    shape.trns_value.green = 9;
    shape.trns_value.blue = 9;
    std::string path = dir.file("key.png");
    ASSERT_TRUE(write_png(path, shape, rows_of({{9, 9, 9, 9, 9, 8}})));
    Decoded d = decode(path, true);
    ASSERT_EQ(d.result, 0) << d.error;
    EXPECT_EQ(d.image.format, (u32)GL_RGBA);
    EXPECT_EQ(d.pixels, (std::vector<u8>{9, 9, 9, 0, 9, 9, 8, 255}));
}

TEST(PngReader, grey_images_are_refused_at_every_depth)
{
    TempDir dir;
    for (int depth : {1, 2, 4, 8, 16}) {
        PngShape shape;
        shape.color_type = PNG_COLOR_TYPE_GRAY;
        shape.depth = depth;
        std::string path = dir.file("grey.png");
        ASSERT_TRUE(write_png(path, shape, rows_of({{0x80, 0x80}})));
        Decoded d = decode(path, true);
        EXPECT_EQ(d.result, 1) << depth;
        EXPECT_NE(d.error.find("colour type"), std::string::npos) << d.error;
    }
    PngShape grey_alpha;
    grey_alpha.color_type = PNG_COLOR_TYPE_GRAY_ALPHA;
    ASSERT_TRUE(write_png(dir.file("ga.png"), grey_alpha, rows_of({{1, 2}})));
    EXPECT_EQ(decode(dir.file("ga.png"), true).result, 1);
}

TEST(PngReader, interlaced_file_decodes_like_a_plain_one)
{
    TempDir dir;
    PngShape shape;
    shape.width = 9;
    shape.height = 9;
    std::vector<std::vector<u8>> rows(9, std::vector<u8>(27));
    for (int y = 0; y < 9; y++)
        for (int i = 0; i < 27; i++)
            rows[y][i] = (u8)(y * 27 + i);
    ASSERT_TRUE(write_png(dir.file("plain.png"), shape, rows));
    shape.interlaced = true;
    ASSERT_TRUE(write_png(dir.file("adam7.png"), shape, rows));
    Decoded plain = decode(dir.file("plain.png"), true);
    Decoded adam7 = decode(dir.file("adam7.png"), true);
    ASSERT_EQ(plain.result, 0) << plain.error;
    ASSERT_EQ(adam7.result, 0) << adam7.error;
    EXPECT_EQ(plain.pixels, adam7.pixels);
}

TEST(PngReader, corrupt_and_truncated_files_fail_with_a_message)
{
    TempDir dir;
    PngShape shape;
    shape.width = 4;
    shape.height = 4;
    std::vector<std::vector<u8>> rows(4, std::vector<u8>(12, 77));
    ASSERT_TRUE(write_png(dir.file("good.png"), shape, rows));
    std::vector<u8> good = read_file(dir.file("good.png"));
    for (size_t length : {0ul, 7ul, 8ul, 20ul, 33ul, good.size() - 20, good.size() - 12}) {
        std::vector<u8> cut(good.begin(), good.begin() + length);
        write_file(dir.file("cut.png"), cut);
        Decoded d = decode(dir.file("cut.png"), true);
        EXPECT_EQ(d.result, 1) << length;
        EXPECT_NE(d.error.find(dir.file("cut.png")), std::string::npos) << d.error;
    }
    std::vector<u8> flipped = good;
    flipped[40] ^= 0xFF;  // inside the image data: its checksum no longer matches
    write_file(dir.file("crc.png"), flipped);
    EXPECT_EQ(decode(dir.file("crc.png"), true).result, 1);
}

TEST(PngReader, refuses_sides_beyond_the_cap)
{
    TempDir dir;
    PngShape shape;
    shape.width = SURFACE_SIDE_MAX + 1;
    std::vector<std::vector<u8>> rows(1, std::vector<u8>(shape.width * 3, 5));
    ASSERT_TRUE(write_png(dir.file("wide.png"), shape, rows));
    Decoded d = decode(dir.file("wide.png"), true);
    EXPECT_EQ(d.result, 1);
    EXPECT_FALSE(d.error.empty());
}

// ---------------------------------------------------------------- alpha keys

TEST_F(Store, keys_in_mode_1_give_the_earliest_matching_key_alpha)
{
    surface_alpha_define(&store, 255, 255, 255, 0);
    surface_alpha_define(&store, 255, 255, 255, 128);
    surface_alpha_define(&store, 1, 2, 3, 77);
    surface_alpha_reset(&store, 200);  // reset forgets keys...
    EXPECT_EQ(store.key_count, 0u);
    EXPECT_EQ(store.key_capacity, (u32)SURFACE_KEYS_STEP);
    surface_alpha_define(&store, 255, 255, 255, 0);
    surface_alpha_define(&store, 255, 255, 255, 128);
    std::vector<u8> rgb = {255, 255, 255, 1, 2, 3, 255, 255, 254};
    u32 texture = load_exact(bmp("k.bmp", {3, 1}, rgb), SURFACE_ALPHA_KEYS);
    EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(texture_bytes(texture, GL_RGBA),
              (std::vector<u8>{255, 255, 255, 0, 1, 2, 3, 200, 255, 255, 254, 200}));
}

TEST_F(Store, mode_1_and_unknown_modes_replace_the_alpha_of_rgba_files)
{
    PngShape shape;
    shape.width = 2;
    shape.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    std::string path = dir.file("a.png");
    ASSERT_TRUE(write_png(path, shape, rows_of({{9, 9, 9, 10, 1, 1, 1, 20}})));
    surface_alpha_define(&store, 9, 9, 9, 99);
    for (u32 mode : {1u, 3u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(mode);
        s_surface other;
        surface_init(&other);
        surface_alpha_define(&other, 9, 9, 9, 99);
        surface_mode(&other, mode, 0);
        u32 texture = 0;
        ASSERT_EQ(surface_load(&other, path.c_str(), &texture), 0);
        EXPECT_EQ(texture_bytes(texture, GL_RGBA), (std::vector<u8>{9, 9, 9, 99, 1, 1, 1, 255}));
        surface_stop(&other);
    }
}

TEST_F(Store, mode_0_keeps_file_alpha_and_widens_rgb_with_keys)
{
    PngShape shape;
    shape.width = 2;
    shape.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    ASSERT_TRUE(write_png(dir.file("a.png"), shape, rows_of({{9, 9, 9, 10, 1, 1, 1, 20}})));
    shape.color_type = PNG_COLOR_TYPE_RGB;
    ASSERT_TRUE(write_png(dir.file("b.png"), shape, rows_of({{9, 9, 9, 1, 1, 1}})));
    surface_alpha_define(&store, 9, 9, 9, 99);
    u32 rgba = load_exact(dir.file("a.png"), SURFACE_ALPHA_FILE);
    u32 rgb = load_exact(dir.file("b.png"), SURFACE_ALPHA_FILE);
    EXPECT_EQ(texture_bytes(rgba, GL_RGBA), (std::vector<u8>{9, 9, 9, 10, 1, 1, 1, 20}));
    EXPECT_EQ(texture_level_parameter(rgb, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(texture_bytes(rgb, GL_RGBA), (std::vector<u8>{9, 9, 9, 99, 1, 1, 1, 255}));
}

TEST_F(Store, default_mode_2_ignores_keys)
{
    surface_alpha_define(&store, 255, 255, 255, 0);
    std::vector<u8> rgb = {255, 255, 255};
    u32 texture = load_exact(bmp("w.bmp", {1, 1}, rgb));
    EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    EXPECT_EQ(texture_bytes(texture, GL_RGB), rgb);
}

TEST(SurfaceKeys, key_array_grows_by_sixteen)
{
    s_surface store;
    surface_init(&store);
    for (int i = 0; i < 17; i++)
        ASSERT_EQ(surface_alpha_define(&store, (u8)i, 0, 0, (u8)i), 0);
    EXPECT_EQ(store.key_count, 17u);
    EXPECT_EQ(store.key_capacity, 32u);
    // Stored alpha, blue, green, red: 0xRRGGBBAA as a little-endian word.
    surface_alpha_define(&store, 0x11, 0x22, 0x33, 0x44);
    u32 word;
    memcpy(&word, &store.keys[17], 4);
    EXPECT_EQ(word, 0x11223344u);
    free(store.keys);
}

TEST(SurfaceRead, reads_bytes_in_order_and_fails_at_the_first_missing_one)
{
    char bytes[] = "abc";
    FILE* file = fmemopen(bytes, 3, "rb");
    ASSERT_NE(file, nullptr);
    u8 out[4] = {0, 0, 0, 0};
    EXPECT_EQ(surface_internal_read(file, out, 2), 0);
    EXPECT_EQ(out[0], 'a');
    EXPECT_EQ(out[1], 'b');
    EXPECT_EQ(surface_internal_read(file, out, 2), 1);
    EXPECT_EQ(out[0], 'c');
    EXPECT_EQ(surface_internal_read(file, out, 0), 0);
    fclose(file);
}

TEST(BmpReader, a_directory_or_pipe_is_refused_cleanly)
{
    TempDir dir;
    Decoded d = decode(dir.path, false);
    EXPECT_EQ(d.result, 1);
    EXPECT_NE(d.error.find(dir.path), std::string::npos) << d.error;
}

// ---------------------------------------------------------------- the store

TEST(SurfaceInit, sets_the_documented_defaults)
{
    s_surface store;
    memset(&store, 0xAB, sizeof store);
    EXPECT_EQ(surface_init(&store), 0);
    EXPECT_EQ(store.keys, nullptr);
    EXPECT_EQ(store.names, nullptr);
    EXPECT_EQ(store.entries, nullptr);
    EXPECT_EQ(store.key_count + store.key_capacity + store.names_length + store.names_capacity +
                  store.entry_count + store.entry_capacity,
              0u);
    EXPECT_EQ(store.alpha_default, 255);
    EXPECT_EQ(store.alpha_mode, (u32)SURFACE_ALPHA_NONE);
    EXPECT_EQ(store.mipmap, 1u);
}

TEST_F(Store, same_path_ten_times_reads_the_file_once)
{
    std::string path = bmp("p.bmp", {1, 1}, {1, 2, 3});
    u32 first = 0;
    ASSERT_EQ(surface_load(&store, path.c_str(), &first), 0);
    remove(path.c_str());  // later loads can only succeed from the cache
    for (int i = 0; i < 9; i++) {
        u32 again = 0;
        ASSERT_EQ(surface_load(&store, path.c_str(), &again), 0);
        EXPECT_EQ(again, first);
    }
    EXPECT_EQ(store.entry_count, 1u);
    EXPECT_EQ(store.names_length, path.size() + 1);
}

TEST_F(Store, two_spellings_of_one_file_are_two_textures)
{
    bmp("p.bmp", {1, 1}, {1, 2, 3});
    u32 a = 0, b = 0, c = 0;
    ASSERT_EQ(surface_load(&store, (dir.path + "/p.bmp").c_str(), &a), 0);
    ASSERT_EQ(surface_load(&store, (dir.path + "/./p.bmp").c_str(), &b), 0);
    ASSERT_EQ(surface_load(&store, (dir.path + "//p.bmp").c_str(), &c), 0);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_EQ(store.entry_count, 3u);
}

TEST_F(Store, kind_comes_from_the_last_three_letters_in_any_case)
{
    PngShape shape;
    std::vector<std::vector<u8>> row = rows_of({{1, 2, 3}});
    for (const char* name : {"a.Png", "b.PNG", "cpng", "d.png"}) {
        ASSERT_TRUE(write_png(dir.file(name), shape, row));
        u32 texture = 0;
        EXPECT_EQ(surface_load(&store, dir.file(name).c_str(), &texture), 0) << name;
    }
    write_file(dir.file("e.bMp"), make_bmp({1, 1}, {1, 2, 3}));
    u32 texture = 0;
    EXPECT_EQ(surface_load(&store, dir.file("e.bMp").c_str(), &texture), 0);
    // A PNG named .bmp goes to the BMP reader, which refuses it.
    ASSERT_TRUE(write_png(dir.file("f.bmp"), shape, row));
    EXPECT_EQ(surface_load(&store, dir.file("f.bmp").c_str(), &texture), 1);
}

TEST_F(Store, other_kinds_and_short_paths_fail_without_opening_anything)
{
    write_file(dir.file("a.jpg"), make_bmp({1, 1}, {1, 2, 3}));
    u32 texture = 12345;
    for (std::string path : {dir.file("a.jpg"), std::string("ab"), std::string("g"), std::string()}) {
        EXPECT_EQ(surface_load(&store, path.c_str(), &texture), 1) << path;
        EXPECT_NE(std::string(surface_last_error(&store)).find("not a .png or .bmp"),
                  std::string::npos)
            << surface_last_error(&store);
    }
    EXPECT_EQ(surface_load(&store, nullptr, &texture), 1);
    EXPECT_EQ(texture, 12345u);
    EXPECT_EQ(store.entry_count, 0u);
}

TEST_F(Store, failed_load_writes_nothing_and_adds_no_entry)
{
    u32 texture = 777;
    std::string path = dir.file("missing.png");
    EXPECT_EQ(surface_load(&store, path.c_str(), &texture), 1);
    EXPECT_EQ(texture, 777u);
    EXPECT_EQ(store.entry_count, 0u);
    EXPECT_EQ(store.names_length, 0u);
    EXPECT_NE(std::string(surface_last_error(&store)).find(path), std::string::npos);
}

TEST_F(Store, cached_path_ignores_later_mode_and_key_changes)
{
    std::string path = bmp("c.bmp", {1, 1}, {255, 255, 255});
    u32 first = load_exact(path);
    surface_alpha_define(&store, 255, 255, 255, 0);
    surface_mode(&store, SURFACE_ALPHA_KEYS, 1);
    u32 again = 0;
    ASSERT_EQ(surface_load(&store, path.c_str(), &again), 0);
    EXPECT_EQ(again, first);
    EXPECT_EQ(texture_level_parameter(again, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
}

TEST_F(Store, name_pool_and_entries_grow_in_their_steps)
{
    std::vector<u8> file = make_bmp({1, 1}, {1, 2, 3});
    std::string first = dir.file("0.bmp");
    write_file(first, file);
    u32 texture;
    ASSERT_EQ(surface_load(&store, first.c_str(), &texture), 0);
    EXPECT_EQ(store.names_capacity, 256u);
    EXPECT_EQ(store.entry_capacity, 32u);
    for (int i = 1; i <= 32; i++) {
        std::string path = dir.file(std::to_string(i) + ".bmp");
        write_file(path, file);
        ASSERT_EQ(surface_load(&store, path.c_str(), &texture), 0);
    }
    EXPECT_EQ(store.entry_count, 33u);
    EXPECT_EQ(store.entry_capacity, 64u);
    // A path longer than the step grows the pool by its own length.
    std::filesystem::create_directory(dir.file("a"));
    std::string long_name = dir.path;
    for (int i = 0; i < 60; i++)
        long_name += "/a/..";
    long_name += "/0.bmp";
    u32 before = store.names_capacity;
    ASSERT_EQ(surface_load(&store, long_name.c_str(), &texture), 0);
    EXPECT_EQ(store.names_capacity, before + long_name.size() + 1);
    EXPECT_STREQ(store.names + store.entries[33].name_offset, long_name.c_str());
}

TEST_F(Store, mipmapped_upload_builds_a_chain_and_plain_upload_one_level)
{
    std::string path = bmp("m.bmp", {4, 4}, ramp(4, 4));
    u32 plain = load_exact(path);
    s_surface mip;
    surface_init(&mip);
    u32 chained = 0;
    ASSERT_EQ(surface_load(&mip, path.c_str(), &chained), 0);
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, chained);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(texture_level_parameter(chained, 2, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(texture_bytes(chained, GL_RGB), ramp(4, 4));
    glBindTexture(GL_TEXTURE_2D, plain);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    EXPECT_EQ(texture_level_parameter(plain, 1, GL_TEXTURE_WIDTH), 0);
    surface_stop(&mip);
}

TEST_F(Store, upload_leaves_the_unpack_alignment_as_it_found_it)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    load_exact(bmp("u.bmp", {3, 3}, ramp(3, 3)));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 2);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

TEST_F(Store, stop_deletes_every_texture)
{
    std::vector<u32> textures;
    for (int i = 0; i < 3; i++) {
        u32 texture = 0;
        std::string path = bmp(std::to_string(i) + ".bmp", {1, 1}, {1, 2, 3});
        ASSERT_EQ(surface_load(&store, path.c_str(), &texture), 0);
        textures.push_back(texture);
    }
    for (u32 texture : textures)
        EXPECT_TRUE(glIsTexture(texture));
    surface_stop(&store);
    for (u32 texture : textures)
        EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(store.entries, nullptr);
    surface_init(&store);  // TearDown stops it again
}

}  // namespace
