// The texture store: BMP and PNG files of every accepted shape as uploaded
// bytes, refusal of bad files, alpha keys and modes, the path cache.
#include "gfx/surface.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/gfx/gfx_fixtures.h"

using namespace gfx_test;

namespace {

// Distinct RGB bytes for a w x h picture, rows bottom first.
Bytes ramp(u32 width, u32 height)
{
    Bytes rgb((size_t)width * height * 3);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = (u8)(i * 7 + 1);
    return rgb;
}

// The store's own reader on a file, without GL; its error, "" on success.
std::string decode_error(const std::string& path, bool png)
{
    s_surface_image image{};
    int result = png ? surface_internal_load_png(&image, path.c_str())
                     : surface_internal_load_bmp(&image, path.c_str());
    free(result == 0 ? image.pixels : nullptr);
    return result == 0 ? "" : image.error;
}

class surface_store : public ::testing::Test {
protected:
    TempDir dir;
    s_surface store;
    void SetUp() override
    {
        ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
        surface_init(&store);
        surface_mode(&store, SURFACE_ALPHA_NONE, 0);  // level 0 holds the file at its own size
    }
    void TearDown() override
    {
        surface_stop(&store);
    }
    u32 load(const std::string& path)
    {
        u32 texture = 0;
        EXPECT_EQ(surface_load(&store, path.c_str(), &texture), 0) << surface_last_error(&store);
        return texture;
    }
    // Uploads a file and checks the texture's size and every byte.
    void expect_upload(const std::string& path, u32 width, u32 height, const Bytes& expected)
    {
        u32 texture = load(path);
        EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_WIDTH), (GLint)width);
        EXPECT_EQ(texture_level_parameter(texture, 0, GL_TEXTURE_HEIGHT), (GLint)height);
        EXPECT_EQ(texture_bytes(texture), expected);
    }
};

TEST_F(surface_store, bmp_uploads_bottom_row_first_whatever_the_padding_order_or_offset)
{
    const std::pair<const char*, BmpShape> cases[] = {
        {"pad 1", {1, 3}},
        {"pad 2", {2, 3}},
        {"pad 3", {3, 3}},
        {"pad 0", {4, 2}},
        {"top-down", {3, 2, 0, true}},
        {"gap after header", {2, 2, 70}},
    };
    for (const auto& [name, shape] : cases) {
        SCOPED_TRACE(name);
        Bytes rgb = ramp(shape.width, shape.height);
        expect_upload(dir.write(std::string(name) + ".bmp", make_bmp(shape, rgb)), shape.width,
                      shape.height, rgb);
    }
    Bytes whole = make_bmp({1, 2}, ramp(1, 2));
    whole.pop_back();  // the last row may lack its padding
    expect_upload(dir.write("short.bmp", whole), 1, 2, ramp(1, 2));
}

TEST(bmp_reader, refuses_bad_files_naming_the_file_and_the_fault)
{
    TempDir dir;
    const Bytes good = make_bmp({4, 4}, ramp(4, 4));  // rows of 12 bytes, no padding
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
    const std::pair<Bytes, const char*> cases[] = {
        {with(28, 8, false), "depth"},
        {with(28, 32, false), "depth"},
        {with(26, 2, false), "planes"},
        {with(10, 20, true), "offset"},
        {sized(0, 1), "size"},
        {sized(1, 0), "size"},
        {sized(-1, 1), "size"},
        {sized(16385, 1), "size"},
        {sized(1, -16385), "size"},
        {sized(1, INT_MIN), "size"},
        {sized(16384, 16384), "cut short"},  // refused before allocating
        {cut(0), "cut short"},
        {cut(53), "cut short"},
        {cut(good.size() - 1), "102 bytes needed"},
    };
    for (const auto& [bytes, fault] : cases) {
        SCOPED_TRACE(fault);
        std::string path = dir.write("bad.bmp", bytes);
        std::string error = decode_error(path, false);
        EXPECT_NE(error.find(path + ": "), std::string::npos) << error;
        EXPECT_NE(error.find(fault), std::string::npos) << error;
    }
    EXPECT_NE(decode_error("/nonexistent/a.bmp", false).find("/nonexistent/a.bmp: cannot open"),
              std::string::npos);
    EXPECT_NE(decode_error(dir.path, false).find(dir.path + ": "), std::string::npos);
}

TEST_F(surface_store, png_of_every_colour_type_and_depth_uploads_as_rgb_or_rgba)
{
    const int RGB = PNG_COLOR_TYPE_RGB, RGBA = PNG_COLOR_TYPE_RGB_ALPHA,
              PAL = PNG_COLOR_TYPE_PALETTE;
    std::vector<png_color> palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}};
    std::vector<Bytes> adam7_rows(9, Bytes(27));
    Bytes adam7_pixels;
    for (int y = 8; y >= 0; y--)
        for (int i = 0; i < 27; i++)
            adam7_pixels.push_back(adam7_rows[y][i] = (u8)(y * 27 + i));
    struct {
        const char* name;
        PngShape shape;
        std::vector<Bytes> rows;  // top row first
        Bytes expected;           // bottom row first
    } cases[] = {
        {"RGB",
         {2, 2},
         {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}},
         {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}},
        {"RGBA, odd width",
         {3, 1, RGBA},
         {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"16-bit keeps high bytes",
         {1, 1, RGB, 16},
         {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}},
         {0x12, 0x56, 0x9A}},
        {"2-bit palette",
         {4, 1, PAL, 2, false, palette},
         {{0xC6}},
         {100, 110, 120, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {"4-bit palette",
         {4, 1, PAL, 4, false, palette},
         {{0x30, 0x12}},
         {100, 110, 120, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {"palette alpha",
         {2, 1, PAL, 8, false, palette, {0}},
         {{0, 1}},
         {10, 20, 30, 0, 40, 50, 60, 255}},
        {"RGB key colour",
         {2, 1, RGB, 8, false, {}, {}, true, {0, 9, 9, 9, 0}},
         {{9, 9, 9, 9, 9, 8}},
         {9, 9, 9, 0, 9, 9, 8, 255}},
        {"interlaced", {9, 9, RGB, 8, true}, adam7_rows, adam7_pixels},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.file(std::string(c.name) + ".png");
        ASSERT_TRUE(write_png(path, c.shape, c.rows));
        expect_upload(path, c.shape.width, c.shape.height, c.expected);
    }
}

TEST(png_reader, refuses_grey_corrupt_truncated_and_oversized_files_naming_the_file)
{
    TempDir dir;
    std::vector<std::pair<std::string, std::string>> bad;  // path, fault
    for (int depth : {1, 8}) {
        bad.push_back({dir.file("grey" + std::to_string(depth) + ".png"), "colour type"});
        ASSERT_TRUE(write_png(bad.back().first, {1, 1, PNG_COLOR_TYPE_GRAY, depth}, {{0x80}}));
    }
    bad.push_back({dir.file("ga.png"), "colour type"});
    ASSERT_TRUE(write_png(bad.back().first, {1, 1, PNG_COLOR_TYPE_GRAY_ALPHA}, {{1, 2}}));
    bad.push_back({dir.file("wide.png"), ""});
    ASSERT_TRUE(write_png(bad.back().first, {SURFACE_SIDE_MAX + 1, 1},
                          {Bytes((SURFACE_SIDE_MAX + 1) * 3, 5)}));
    ASSERT_TRUE(write_png(dir.file("good.png"), {4, 4}, std::vector<Bytes>(4, Bytes(12, 77))));
    std::string good = read_file(dir.file("good.png"));
    for (size_t length : {0ul, 8ul, 33ul, good.size() - 12})
        bad.push_back(
            {dir.write("cut" + std::to_string(length) + ".png", good.substr(0, length)), ""});
    good[40] ^= (char)0xFF;  // inside the image data: its checksum no longer matches
    bad.push_back({dir.write("crc.png", good), ""});
    for (const auto& [path, fault] : bad) {
        SCOPED_TRACE(path);
        std::string error = decode_error(path, true);
        EXPECT_NE(error.find(path + ": "), std::string::npos) << error;
        EXPECT_NE(error.find(fault), std::string::npos) << error;
    }
}

TEST_F(surface_store, earliest_matching_key_gives_the_alpha_and_reset_forgets_the_keys)
{
    surface_alpha_define(&store, 1, 2, 3, 77);
    surface_alpha_reset(&store, 200);
    for (u8 i = 0; i < 15; i++)  // the two white keys come past the first sixteen
        ASSERT_EQ(surface_alpha_define(&store, i, 0, 0, i), 0);
    surface_alpha_define(&store, 255, 255, 255, 0);
    surface_alpha_define(&store, 255, 255, 255, 128);
    surface_mode(&store, SURFACE_ALPHA_KEYS, 0);
    u32 texture =
        load(dir.write("k.bmp", make_bmp({3, 1}, {255, 255, 255, 1, 2, 3, 255, 255, 254})));
    EXPECT_EQ(texture_bytes(texture), (Bytes{255, 255, 255, 0, 1, 2, 3, 200, 255, 255, 254, 200}));
}

TEST_F(surface_store, alpha_mode_chooses_between_file_alpha_key_alpha_and_none)
{
    ASSERT_TRUE(write_png(dir.file("rgb.png"), {2, 1}, {{9, 9, 9, 1, 1, 1}}));
    ASSERT_TRUE(write_png(dir.file("rgba.png"), {2, 1, PNG_COLOR_TYPE_RGB_ALPHA},
                          {{9, 9, 9, 10, 1, 1, 1, 20}}));
    const i64 DEFAULT = -1;
    const Bytes keyed = {9, 9, 9, 99, 1, 1, 1, 255};
    const struct {
        i64 mode;
        const char* file;
        Bytes expected;
    } cases[] = {
        {SURFACE_ALPHA_FILE, "rgba.png", {9, 9, 9, 10, 1, 1, 1, 20}},
        {SURFACE_ALPHA_FILE, "rgb.png", keyed},
        {SURFACE_ALPHA_KEYS, "rgba.png", keyed},
        {0xFFFFFFFF, "rgba.png", keyed},
        {SURFACE_ALPHA_NONE, "rgba.png", {9, 9, 9, 10, 1, 1, 1, 20}},
        {DEFAULT, "rgb.png", {9, 9, 9, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", " << c.file);
        s_surface own;  // a store of its own: a cached path would keep its first mode
        surface_init(&own);
        surface_alpha_define(&own, 9, 9, 9, 99);
        if (c.mode != DEFAULT)
            surface_mode(&own, (u32)c.mode, 0);
        u32 texture = 0;
        ASSERT_EQ(surface_load(&own, dir.file(c.file).c_str(), &texture), 0);
        EXPECT_EQ(texture_bytes(texture), c.expected);
        surface_stop(&own);
    }
}

// Forty files, one path longer than the pool grows by at a time, each read once.
TEST_F(surface_store, every_path_is_read_once_and_later_modes_are_ignored)
{
    Bytes file = make_bmp({1, 1}, {255, 255, 255});
    std::vector<std::string> paths = {dir.path + "/./0.bmp", dir.path + "//0.bmp"};
    std::filesystem::create_directory(dir.file("a"));
    for (int i = 0; i < 60; i++)
        paths[0].insert(dir.path.size(), "/a/..");
    for (int i = 0; i < 40; i++)
        paths.push_back(dir.write(std::to_string(i) + ".bmp", file));
    std::vector<u32> textures;
    for (const std::string& path : paths)
        textures.push_back(load(path));
    std::filesystem::remove_all(dir.path);  // later loads can only succeed from the cache
    surface_mode(&store, SURFACE_ALPHA_KEYS, 0);
    for (size_t i = 0; i < paths.size(); i++)
        EXPECT_EQ(load(paths[i]), textures[i]) << paths[i];
    EXPECT_NE(textures[0], textures[2]) << "another spelling of a path is another texture";
    EXPECT_EQ(texture_level_parameter(textures[2], 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
}

TEST_F(surface_store, reader_is_chosen_by_the_last_three_letters_in_any_case)
{
    for (const char* name : {"a.Png", "cpng", "f.bmp"})
        ASSERT_TRUE(write_png(dir.file(name), {}, {{1, 2, 3}}));
    dir.write("e.bMp", make_bmp({1, 1}, {1, 2, 3}));
    dir.write("a.jpg", make_bmp({1, 1}, {1, 2, 3}));
    const std::pair<std::string, const char*> cases[] = {
        {dir.file("a.Png"), ""},
        {dir.file("cpng"), ""},
        {dir.file("e.bMp"), ""},
        {dir.file("f.bmp"), "BMP"},  // a PNG named .bmp goes to the BMP reader
        {dir.file("a.jpg"), "not a .png or .bmp"},
        {"ab", "not a .png or .bmp"},
        {dir.file("missing.png"), "cannot open"},
    };
    for (const auto& [path, fault] : cases) {
        SCOPED_TRACE(path);
        u32 texture = 12345;
        EXPECT_EQ(surface_load(&store, path.c_str(), &texture), *fault ? 1 : 0);
        EXPECT_NE(std::string(surface_last_error(&store)).find(fault), std::string::npos);
        EXPECT_EQ(texture, *fault ? 12345u : texture) << "a failure writes nothing";
    }
    u32 texture = 12345;
    EXPECT_EQ(surface_load(&store, nullptr, &texture), 1);
    EXPECT_EQ(texture, 12345u);
}

TEST_F(surface_store, mipmapped_upload_builds_a_chain_and_plain_upload_one_level)
{
    std::string path = dir.write("m.bmp", make_bmp({4, 4}, ramp(4, 4)));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    u32 plain = load(path);
    s_surface mip;
    surface_init(&mip);
    u32 chained = 0;
    ASSERT_EQ(surface_load(&mip, path.c_str(), &chained), 0);
    GLint alignment = 0, filter = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 2) << "upload leaves the unpack alignment as it found it";
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(texture_level_parameter(chained, 2, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(texture_bytes(chained), ramp(4, 4));
    glBindTexture(GL_TEXTURE_2D, plain);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    EXPECT_EQ(texture_level_parameter(plain, 1, GL_TEXTURE_WIDTH), 0);
    surface_stop(&mip);
    EXPECT_FALSE(glIsTexture(chained)) << "stop deletes the store's textures";
    EXPECT_TRUE(glIsTexture(plain));
}

}  // namespace
