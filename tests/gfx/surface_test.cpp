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

typedef std::vector<u8> Bytes;

// Distinct RGB bytes for a w x h picture, rows bottom first.
Bytes ramp(u32 width, u32 height)
{
    Bytes rgb((size_t)width * height * 3);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = (u8)(i * 7 + 1);
    return rgb;
}

// Runs the store's own reader on a file without GL; returns its error ("" on success).
std::string decode_error(const std::string& path, bool png)
{
    s_surface_image image{};
    int result = png ? surface_internal_load_png(&image, path.c_str())
                     : surface_internal_load_bmp(&image, path.c_str());
    free(result == 0 ? image.pixels : nullptr);
    return result == 0 ? "" : image.error;
}

class Store : public ::testing::Test {
protected:
    TempDir dir;
    s_surface store;
    void SetUp() override
    {
        ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
        surface_init(&store);
    }
    void TearDown() override
    {
        surface_stop(&store);
    }

    std::string bmp(const std::string& name, const Bytes& bytes)
    {
        return dir.write(name, bytes);
    }
    // Loads without mipmaps so level 0 holds the file's bytes at its own size.
    u32 load_exact(const std::string& path, u32 mode = SURFACE_ALPHA_NONE)
    {
        surface_mode(&store, mode, 0);
        u32 texture = 0;
        EXPECT_EQ(surface_load(&store, path.c_str(), &texture), 0) << surface_last_error(&store);
        return texture;
    }
    // Uploads a file and checks the texture's size, format and every byte.
    void expect_upload(const std::string& path, u32 width, u32 height, GLenum format,
                       const Bytes& expected)
    {
        u32 texture = load_exact(path);
        EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_WIDTH), (GLint)width);
        EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_HEIGHT), (GLint)height);
        EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT), (GLint)format);
        EXPECT_EQ(texture_bytes(texture, format), expected);
    }
};

// ---------------------------------------------------------------- BMP reader

TEST_F(Store, bmp_uploads_bottom_row_first_whatever_the_padding_order_or_offset)
{
    struct Case {
        const char* name;
        BmpShape shape;
    } cases[] = {{"4x2", {4, 2}},
                 {"width 1", {1, 3}},
                 {"width 2", {2, 3}},
                 {"width 3", {3, 3}},
                 {"width 4", {4, 3}},
                 {"width 5", {5, 3}},
                 {"top-down", {3, 2, 0, true}},
                 {"pixels after a longer header", {2, 2, 70}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes rgb = ramp(c.shape.width, c.shape.height);
        expect_upload(bmp(std::string(c.name) + ".bmp", make_bmp(c.shape, rgb)), c.shape.width,
                      c.shape.height, GL_RGB, rgb);
    }
    // The last row may lack its padding.
    Bytes whole = make_bmp({1, 2}, ramp(1, 2));
    whole.pop_back();
    expect_upload(bmp("short.bmp", whole), 1, 2, GL_RGB, ramp(1, 2));
}

TEST(BmpReader, refuses_bad_files_naming_the_file_and_the_fault)
{
    TempDir dir;
    const Bytes good = make_bmp({4, 4}, ramp(4, 4));
    auto with = [&](size_t at, u32 value, bool wide) {
        Bytes b = good;
        wide ? put32(b, at, value) : put16(b, at, value);
        return b;
    };
    auto sized = [&](i32 width, i32 height) {
        Bytes b = with(18, (u32)width, true);
        put32(b, 22, (u32)height);
        return b;
    };
    auto cut = [&](size_t length) { return Bytes(good.begin(), good.begin() + length); };
    struct Case {
        std::string name;
        Bytes bytes;
        const char* fault;
    } cases[] = {
        {"8-bit", with(28, 8, false), "depth"},
        {"32-bit", with(28, 32, false), "depth"},
        {"16-bit", with(28, 16, false), "depth"},
        {"1-bit", with(28, 1, false), "depth"},
        {"two planes", with(26, 2, false), "planes"},
        {"offset in header", with(10, 20, true), "offset"},
        {"0 wide", sized(0, 1), "size"},
        {"0 high", sized(1, 0), "size"},
        {"negative width", sized(-1, 1), "size"},
        {"too wide", sized(16385, 1), "size"},
        {"too high", sized(1, 16385), "size"},
        {"too high top-down", sized(1, -16385), "size"},
        {"INT_MIN high", sized(1, INT_MIN), "size"},
        {"INT_MAX wide", sized(INT_MAX, 1), "size"},
        {"16384 squared", sized(16384, 16384), "cut short"},  // checked before allocating
        {"empty", cut(0), "cut short"},
        {"1 byte", cut(1), "cut short"},
        {"17 bytes", cut(17), "cut short"},
        {"29 bytes", cut(29), "cut short"},
        {"53 bytes", cut(53), "cut short"},
        {"header only", cut(54), "cut short"},
        {"one pixel", cut(60), "cut short"},
        {"last rows", cut(good.size() - 13), "cut short"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(dir.file("bad.bmp"), c.bytes);
        std::string error = decode_error(dir.file("bad.bmp"), false);
        EXPECT_NE(error.find(dir.file("bad.bmp") + ": "), std::string::npos) << error;
        EXPECT_NE(error.find(c.fault), std::string::npos) << error;
    }
    EXPECT_NE(
        decode_error("/nonexistent/none.bmp", false).find("/nonexistent/none.bmp: cannot open"),
        std::string::npos);
    EXPECT_NE(decode_error(dir.path, false).find(dir.path + ": "), std::string::npos);
}

// ---------------------------------------------------------------- PNG reader

TEST_F(Store, png_of_every_colour_type_and_depth_uploads_as_rgb_or_rgba)
{
    const int RGB = PNG_COLOR_TYPE_RGB, RGBA = PNG_COLOR_TYPE_RGB_ALPHA,
              PALETTE = PNG_COLOR_TYPE_PALETTE;
    std::vector<png_color> palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}};
    std::vector<png_color> two(palette.begin(), palette.begin() + 2);  // all 1 bit can index
    std::vector<std::vector<u8>> adam7_rows(9, Bytes(27));
    Bytes adam7_pixels;
    for (int y = 8; y >= 0; y--)
        for (int i = 0; i < 27; i++)
            adam7_pixels.push_back(adam7_rows[y][i] = (u8)(y * 27 + i));
    const Bytes indices_3012 = {100, 110, 120, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    struct Case {
        const char* name;
        PngShape shape;
        std::vector<std::vector<u8>> rows;  // top row first
        GLenum format;
        Bytes expected;  // bottom row first
    } cases[] = {
        {"RGB, top row last",
         {2, 2},
         {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}},
         GL_RGB,
         {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}},
        {"RGBA keeps its alpha, rows not multiples of four",
         {3, 1, RGBA},
         {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
         GL_RGBA,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"16-bit RGB keeps high bytes",
         {1, 1, RGB, 16},
         {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}},
         GL_RGB,
         {0x12, 0x56, 0x9A}},
        {"16-bit RGBA", {1, 1, RGBA, 16}, {{1, 0, 2, 0, 3, 0, 4, 0}}, GL_RGBA, {1, 2, 3, 4}},
        {"1-bit palette, indices 0 1 0 0",
         {4, 1, PALETTE, 1, false, two},
         {{0x40}},
         GL_RGB,
         {10, 20, 30, 40, 50, 60, 10, 20, 30, 10, 20, 30}},
        {"2-bit palette", {4, 1, PALETTE, 2, false, palette}, {{0xC6}}, GL_RGB, indices_3012},
        {"4-bit palette", {4, 1, PALETTE, 4, false, palette}, {{0x30, 0x12}}, GL_RGB, indices_3012},
        {"8-bit palette", {4, 1, PALETTE, 8, false, palette}, {{3, 0, 1, 2}}, GL_RGB, indices_3012},
        {"palette with transparency",
         {2, 1, PALETTE, 8, false, {{1, 2, 3}, {4, 5, 6}}, {0}},
         {{0, 1}},
         GL_RGBA,
         {1, 2, 3, 0, 4, 5, 6, 255}},  // index 1 opaque by omission
        {"RGB with a transparent colour",
         {2, 1, RGB, 8, false, {}, {}, true, {0, 9, 9, 9, 0}},
         {{9, 9, 9, 9, 9, 8}},
         GL_RGBA,
         {9, 9, 9, 0, 9, 9, 8, 255}},
        {"interlaced", {9, 9, RGB, 8, true}, adam7_rows, GL_RGB, adam7_pixels},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.file(std::string(c.name) + ".png");
        ASSERT_TRUE(write_png(path, c.shape, c.rows));
        expect_upload(path, c.shape.width, c.shape.height, c.format, c.expected);
    }
}

TEST(PngReader, refuses_grey_corrupt_truncated_and_oversized_files_naming_the_file)
{
    TempDir dir;
    std::vector<std::pair<std::string, std::string>> bad;  // path, fault
    for (int depth : {1, 2, 4, 8, 16}) {
        bad.push_back({dir.file("grey" + std::to_string(depth) + ".png"), "colour type"});
        ASSERT_TRUE(
            write_png(bad.back().first, {1, 1, PNG_COLOR_TYPE_GRAY, depth}, {{0x80, 0x80}}));
    }
    bad.push_back({dir.file("ga.png"), "colour type"});
    ASSERT_TRUE(write_png(bad.back().first, {1, 1, PNG_COLOR_TYPE_GRAY_ALPHA}, {{1, 2}}));
    bad.push_back({dir.file("wide.png"), ""});
    ASSERT_TRUE(write_png(bad.back().first, {SURFACE_SIDE_MAX + 1, 1},
                          {Bytes((SURFACE_SIDE_MAX + 1) * 3, 5)}));
    ASSERT_TRUE(write_png(dir.file("good.png"), {4, 4}, std::vector<Bytes>(4, Bytes(12, 77))));
    std::string good = read_file(dir.file("good.png"));
    for (size_t length : {0ul, 7ul, 8ul, 20ul, 33ul, good.size() - 20, good.size() - 12}) {
        bad.push_back({dir.file("cut" + std::to_string(length) + ".png"), ""});
        write_file(bad.back().first, good.substr(0, length));
    }
    good[40] ^= (char)0xFF;  // inside the image data: its checksum no longer matches
    bad.push_back({dir.file("crc.png"), ""});
    write_file(bad.back().first, good);

    for (const auto& [path, fault] : bad) {
        SCOPED_TRACE(path);
        std::string error = decode_error(path, true);
        EXPECT_NE(error.find(path + ": "), std::string::npos) << error;
        EXPECT_NE(error.find(fault), std::string::npos) << error;
    }
}

// ---------------------------------------------------------------- alpha keys

TEST_F(Store, keys_in_mode_1_give_the_earliest_matching_key_alpha)
{
    surface_alpha_define(&store, 1, 2, 3, 77);
    surface_alpha_reset(&store, 200);  // forgets the key above
    for (u8 i = 0; i < 15; i++)
        ASSERT_EQ(surface_alpha_define(&store, i, 0, 0, i), 0);
    surface_alpha_define(&store, 255, 255, 255, 0);
    surface_alpha_define(&store, 255, 255, 255, 128);
    EXPECT_EQ(store.key_capacity, 32u);  // grown by sixteen
    u32 word;                            // keys are stored as 0xRRGGBBAA little-endian words
    memcpy(&word, &store.keys[16], 4);
    EXPECT_EQ(word, 0xFFFFFF80u);
    u32 texture =
        load_exact(bmp("k.bmp", make_bmp({3, 1}, {255, 255, 255, 1, 2, 3, 255, 255, 254})),
                   SURFACE_ALPHA_KEYS);
    EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
    EXPECT_EQ(texture_bytes(texture, GL_RGBA),
              (Bytes{255, 255, 255, 0, 1, 2, 3, 200, 255, 255, 254, 200}));
}

TEST_F(Store, alpha_mode_chooses_between_file_alpha_key_alpha_and_none)
{
    ASSERT_TRUE(write_png(dir.file("rgb.png"), {2, 1}, {{9, 9, 9, 1, 1, 1}}));
    ASSERT_TRUE(write_png(dir.file("rgba.png"), {2, 1, PNG_COLOR_TYPE_RGB_ALPHA},
                          {{9, 9, 9, 10, 1, 1, 1, 20}}));
    const i64 DEFAULT = -1;
    const Bytes keyed = {9, 9, 9, 99, 1, 1, 1, 255};
    struct Case {
        i64 mode;
        const char* file;
        GLenum format;
        Bytes expected;
    } cases[] = {
        {SURFACE_ALPHA_FILE, "rgba.png", GL_RGBA, {9, 9, 9, 10, 1, 1, 1, 20}},
        {SURFACE_ALPHA_FILE, "rgb.png", GL_RGBA, keyed},
        {SURFACE_ALPHA_KEYS, "rgba.png", GL_RGBA, keyed},
        {3, "rgba.png", GL_RGBA, keyed},
        {0xFFFFFFFF, "rgba.png", GL_RGBA, keyed},
        {SURFACE_ALPHA_NONE, "rgb.png", GL_RGB, {9, 9, 9, 1, 1, 1}},
        {DEFAULT, "rgb.png", GL_RGB, {9, 9, 9, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", " << c.file);
        s_surface own;  // a store of its own: a cached path would keep its first mode
        surface_init(&own);
        surface_alpha_define(&own, 9, 9, 9, 99);
        if (c.mode != DEFAULT)
            surface_mode(&own, (u32)c.mode, 0);
        u32 texture = 0;
        ASSERT_EQ(surface_load(&own, dir.file(c.file).c_str(), &texture), 0);
        EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT), (GLint)c.format);
        EXPECT_EQ(texture_bytes(texture, c.format), c.expected);
        surface_stop(&own);
    }
}

// ---------------------------------------------------------------- the store

TEST_F(Store, same_path_ten_times_reads_the_file_once_and_ignores_later_modes)
{
    std::string path = bmp("p.bmp", make_bmp({1, 1}, {255, 255, 255}));
    u32 first = load_exact(path);
    // Two other spellings of the same file are two more textures.
    for (std::string other : {dir.path + "/./p.bmp", dir.path + "//p.bmp"})
        EXPECT_NE(load_exact(other), first);
    remove(path.c_str());  // later loads can only succeed from the cache
    surface_alpha_define(&store, 255, 255, 255, 0);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(load_exact(path, SURFACE_ALPHA_KEYS), first);
    EXPECT_EQ(store.entry_count, 3u);
    EXPECT_EQ(texture_level_parameter(first, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
}

TEST_F(Store, reader_is_chosen_by_the_last_three_letters_in_any_case)
{
    for (const char* name : {"a.Png", "b.PNG", "cpng", "f.bmp"})
        ASSERT_TRUE(write_png(dir.file(name), {}, {{1, 2, 3}}));
    write_file(dir.file("e.bMp"), make_bmp({1, 1}, {1, 2, 3}));
    write_file(dir.file("a.jpg"), make_bmp({1, 1}, {1, 2, 3}));
    struct Case {
        std::string path;
        int result;
        const char* fault;
    } cases[] = {
        {dir.file("a.Png"), 0, ""},
        {dir.file("b.PNG"), 0, ""},
        {dir.file("cpng"), 0, ""},
        {dir.file("e.bMp"), 0, ""},
        {dir.file("f.bmp"), 1, "BMP"},  // a PNG named .bmp goes to the BMP reader
        {dir.file("a.jpg"), 1, "not a .png or .bmp"},
        {"ab", 1, "not a .png or .bmp"},
        {"g", 1, "not a .png or .bmp"},
        {"", 1, "not a .png or .bmp"},
        {dir.file("missing.png"), 1, "cannot open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        u32 texture = 12345;
        EXPECT_EQ(surface_load(&store, c.path.c_str(), &texture), c.result);
        EXPECT_NE(std::string(surface_last_error(&store)).find(c.fault), std::string::npos)
            << surface_last_error(&store);
        if (c.result != 0) {
            EXPECT_EQ(texture, 12345u);  // a failure writes nothing
        }
    }
    u32 texture = 12345;
    EXPECT_EQ(surface_load(&store, nullptr, &texture), 1);
    EXPECT_EQ(texture, 12345u);
    EXPECT_EQ(store.entry_count, 4u);  // failures add no entry
}

TEST_F(Store, name_pool_and_entries_grow_in_their_steps)
{
    Bytes file = make_bmp({1, 1}, {1, 2, 3});
    u32 texture;
    ASSERT_EQ(surface_load(&store, bmp("0.bmp", file).c_str(), &texture), 0);
    EXPECT_EQ(store.names_capacity, 256u);
    EXPECT_EQ(store.entry_capacity, 32u);
    for (int i = 1; i <= 32; i++)
        ASSERT_EQ(surface_load(&store, bmp(std::to_string(i) + ".bmp", file).c_str(), &texture), 0);
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
    std::string path = bmp("m.bmp", make_bmp({4, 4}, ramp(4, 4)));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    u32 plain = load_exact(path);
    s_surface mip;
    surface_init(&mip);
    u32 chained = 0;
    ASSERT_EQ(surface_load(&mip, path.c_str(), &chained), 0);
    GLint alignment = 0, filter = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 2);  // upload leaves the unpack alignment as it found it
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
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

TEST_F(Store, stop_deletes_every_texture)
{
    std::vector<u32> textures(3);
    for (int i = 0; i < 3; i++)
        ASSERT_EQ(surface_load(&store,
                               bmp(std::to_string(i) + ".bmp", make_bmp({1, 1}, {1, 2, 3})).c_str(),
                               &textures[i]),
                  0);
    for (u32 texture : textures)
        EXPECT_TRUE(glIsTexture(texture));
    surface_stop(&store);
    for (u32 texture : textures)
        EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(store.entries, nullptr);
    surface_init(&store);  // TearDown stops it again
}

}  // namespace
