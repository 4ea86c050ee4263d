// The texture store: files of every accepted shape as uploaded bytes, refusal
// of bad files naming file and fault, alpha keys and modes, the path cache.
#include "gfx/surface.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>

#include "tests/gfx/gfx_fixtures.h"

using namespace gfx_test;

namespace {

// Distinct RGB bytes for a w x h picture, rows bottom first, after its width as
// texture_bytes gives them.
Bytes ramp(u32 width, u32 height)
{
    Bytes rgb = {(u8)width};
    for (size_t i = 0; i < (size_t)width * height * 3; i++)
        rgb.push_back((u8)(i * 7 + 1));
    return rgb;
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
    // The texture's bytes, or the store's message when the file is refused.
    std::string load(const std::string& path)
    {
        u32 texture = 0;
        if (surface_load(&store, path.c_str(), &texture) != 0)
            return surface_last_error(&store);
        Bytes bytes = texture_bytes(texture);
        return std::string(bytes.begin(), bytes.end());
    }
    std::string str(const Bytes& bytes)
    {
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(surface_store, bmp_uploads_bottom_row_first_whatever_the_padding_order_or_offset)
{
    const BmpShape shapes[] = {{1, 3}, {2, 3}, {3, 3}, {4, 2}, {3, 2, 0, true}, {2, 2, 70}};
    for (const BmpShape& s : shapes) {
        Bytes rgb = ramp(s.width, s.height);
        Bytes file = make_bmp(s, Bytes(rgb.begin() + 1, rgb.end()));
        EXPECT_EQ(load(dir.write(std::to_string(&s - shapes) + ".bmp", file)), str(rgb))
            << "shape " << &s - shapes;
    }
    Bytes rgb = ramp(1, 2), whole = make_bmp({1, 2}, Bytes(rgb.begin() + 1, rgb.end()));
    whole.pop_back();  // the last row may lack its padding
    EXPECT_EQ(load(dir.write("short.bmp", whole)), str(rgb));
}

TEST_F(surface_store, bad_bmp_is_refused_naming_the_file_and_the_fault)
{
    const Bytes good = make_bmp({4, 4}, Bytes(48, 9));  // rows of 12 bytes, no padding
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
    const std::pair<Bytes, const char*> cases[] = {
        {with(28, 8, false), "depth"},
        {with(26, 2, false), "planes"},
        {with(10, 20, true), "offset"},
        {sized(0, 1), "size"},
        {sized(-1, 1), "size"},
        {sized(16385, 1), "size"},
        {sized(1, -16385), "size"},
        {sized(1, INT_MIN), "size"},
        {sized(16384, 16384), "cut short"},  // refused before allocating
        {Bytes(), "cut short"},
        {Bytes(good.begin(), good.begin() + 53), "cut short"},
        {Bytes(good.begin(), good.end() - 1), "102 bytes needed"}};
    for (const auto& [bytes, fault] : cases) {
        std::string path = dir.write("bad.bmp", bytes), error = load(path);
        EXPECT_EQ(error.find(path + ": "), 0u) << error;
        EXPECT_NE(error.find(fault), std::string::npos) << error;
    }
    EXPECT_EQ(load(dir.path + "/none.bmp"),
              dir.path + "/none.bmp: cannot open: No such file or directory");
}

TEST_F(surface_store, png_of_every_colour_type_and_depth_uploads_as_rgb_or_rgba)
{
    const int RGB = PNG_COLOR_TYPE_RGB, RGBA = PNG_COLOR_TYPE_RGB_ALPHA,
              PAL = PNG_COLOR_TYPE_PALETTE;
    std::vector<png_color> palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {99, 99, 99}};
    std::vector<Bytes> adam7(9, Bytes(27));
    Bytes adam7_pixels = {9};
    for (int y = 8; y >= 0; y--)
        for (int i = 0; i < 27; i++)
            adam7_pixels.push_back(adam7[y][i] = (u8)(y * 27 + i));
    const struct {
        PngShape shape;
        std::vector<Bytes> rows;  // top row first
        Bytes expected;           // width, then the rows bottom first
    } cases[] = {
        {{1, 2}, {{1, 2, 3}, {4, 5, 6}}, {1, 4, 5, 6, 1, 2, 3}},
        {{1, 1, RGBA}, {{1, 2, 3, 4}}, {1, 1, 2, 3, 4}},
        {{1, 1, RGB, 16}, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}}, {1, 0x12, 0x56, 0x9A}},
        {{3, 1, PAL, 2, false, palette}, {{0x90}}, {3, 70, 80, 90, 40, 50, 60, 10, 20, 30}},
        {{2, 1, PAL, 8, false, palette, {0}}, {{0, 1}}, {2, 10, 20, 30, 0, 40, 50, 60, 255}},
        {{2, 1, RGB, 8, false, {}, {}, true, {0, 9, 9, 9, 0}},
         {{9, 9, 9, 9, 9, 8}},
         {2, 9, 9, 9, 0, 9, 9, 8, 255}},
        {{9, 9, RGB, 8, true}, adam7, adam7_pixels},
    };
    for (const auto& c : cases) {
        std::string path = dir.file(std::to_string(&c - cases) + ".png");
        ASSERT_TRUE(write_png(path, c.shape, c.rows));
        EXPECT_EQ(load(path), str(c.expected)) << "case " << &c - cases;
    }
}

TEST_F(surface_store, grey_corrupt_truncated_and_oversized_png_is_refused_naming_the_file)
{
    std::vector<std::pair<std::string, std::string>> bad;  // path, fault
    for (int type : {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA}) {
        bad.push_back({dir.file("grey" + std::to_string(type) + ".png"), "colour type"});
        ASSERT_TRUE(write_png(bad.back().first, {1, 1, type}, {{1, 2}}));
    }
    bad.push_back({dir.file("wide.png"), "PNG"});
    ASSERT_TRUE(write_png(bad.back().first, {SURFACE_SIDE_MAX + 1, 1}, {Bytes(49155, 5)}));
    ASSERT_TRUE(write_png(dir.file("good.png"), {4, 4}, std::vector<Bytes>(4, Bytes(12, 7))));
    std::string good = read_file(dir.file("good.png"));
    for (size_t length : {0ul, 8ul, 33ul, good.size() - 12})
        bad.push_back({dir.write(std::to_string(length) + ".png", good.substr(0, length)), "PNG"});
    good[40] ^= (char)0xFF;  // inside the image data: its checksum no longer matches
    bad.push_back({dir.write("crc.png", good), "PNG decoding failed"});
    for (const auto& [path, fault] : bad) {
        std::string error = load(path);
        EXPECT_EQ(error.find(path + ": "), 0u) << error;
        EXPECT_NE(error.find(fault), std::string::npos) << error;
    }
}

// Keys give their alpha to pixels of their colour, the earliest defined key
// winning; other pixels get the default. Mode 1, or any unknown mode, keys every
// image; mode 0 keeps a file's own alpha; mode 2 keeps the file's channels.
TEST_F(surface_store, alpha_comes_from_the_file_or_the_keys_by_mode)
{
    ASSERT_TRUE(write_png(dir.file("rgb.png"), {3, 1}, {{9, 9, 9, 1, 1, 1, 7, 7, 7}}));
    ASSERT_TRUE(write_png(dir.file("rgba.png"), {3, 1, PNG_COLOR_TYPE_RGB_ALPHA},
                          {{9, 9, 9, 10, 1, 1, 1, 20, 7, 7, 7, 30}}));
    const Bytes keyed = {3, 9, 9, 9, 99, 1, 1, 1, 200, 7, 7, 7, 0};
    const std::tuple<u32, const char*, Bytes> cases[] = {
        {SURFACE_ALPHA_FILE, "rgba.png", {3, 9, 9, 9, 10, 1, 1, 1, 20, 7, 7, 7, 30}},
        {SURFACE_ALPHA_FILE, "rgb.png", keyed},
        {SURFACE_ALPHA_KEYS, "rgba.png", keyed},
        {0xFFFFFFFF, "rgba.png", keyed},
        {SURFACE_ALPHA_NONE, "rgb.png", {3, 9, 9, 9, 1, 1, 1, 7, 7, 7}},
    };
    for (const auto& [mode, file, expected] : cases) {
        surface_stop(&store);  // a cached path would keep its first mode
        surface_init(&store);
        surface_alpha_define(&store, 1, 2, 3, 77);
        surface_alpha_reset(&store, 200);  // forgets the key above
        for (u8 i = 10; i < 24; i++)       // the keys that count come past the first sixteen
            surface_alpha_define(&store, i, 0, 0, i);
        surface_alpha_define(&store, 9, 9, 9, 99);
        surface_alpha_define(&store, 7, 7, 7, 0);
        surface_alpha_define(&store, 9, 9, 9, 55);
        surface_mode(&store, mode, 0);
        EXPECT_EQ(load(dir.file(file)), str(expected)) << "mode " << mode << ", " << file;
    }
}

// Forty files and a path longer than the name pool's step, each read once.
TEST_F(surface_store, every_path_is_read_once_by_the_reader_its_last_three_letters_name)
{
    std::vector<std::string> paths = {dir.path + "/./0.bmp", dir.path + "//0.bmp"};
    std::filesystem::create_directory(dir.file("a"));
    for (int i = 0; i < 60; i++)
        paths[0].insert(dir.path.size(), "/a/..");
    for (int i = 0; i < 40; i++)
        paths.push_back(dir.write(std::to_string(i) + ".bmp", make_bmp({1, 1}, {1, 2, 3})));
    for (const char* name : {"a.Png", "cpng", "f.bmp"})
        ASSERT_TRUE(write_png(dir.file(name), {}, {{1, 2, 3}}));
    paths.push_back(dir.file("a.Png"));
    paths.push_back(dir.file("cpng"));
    paths.push_back(dir.write("e.bMp", make_bmp({1, 1}, {1, 2, 3})));
    std::vector<u32> textures(paths.size());
    for (size_t i = 0; i < paths.size(); i++)
        ASSERT_EQ(surface_load(&store, paths[i].c_str(), &textures[i]), 0) << paths[i];
    EXPECT_NE(textures[0], textures[2]) << "another spelling of a path is another texture";
    std::filesystem::remove_all(dir.path + "/a");
    for (int i = 0; i < 40; i++)
        std::filesystem::remove(dir.file(std::to_string(i) + ".bmp"));
    surface_mode(&store, SURFACE_ALPHA_KEYS, 0);
    for (size_t i = 0; i < paths.size(); i++)
        EXPECT_EQ(load(paths[i]), str({1, 1, 2, 3})) << "cached, mode unchanged: " << paths[i];
    const std::pair<std::string, const char*> refused[] = {
        {dir.file("f.bmp"), "BMP"},  // a PNG named .bmp goes to the BMP reader
        {dir.file("a.jpg"), "not a .png or .bmp"},
        {"ab", "not a .png or .bmp"},
    };
    for (const auto& [path, fault] : refused) {
        u32 texture = 12345;
        EXPECT_EQ(surface_load(&store, path.c_str(), &texture), 1);
        EXPECT_NE(std::string(surface_last_error(&store)).find(fault), std::string::npos) << path;
        EXPECT_EQ(texture, 12345u) << "a failure writes nothing";
    }
    EXPECT_EQ(surface_load(&store, nullptr, &textures[0]), 1);
}

TEST_F(surface_store, mipmapped_upload_builds_a_chain_and_leaves_the_unpack_alignment)
{
    std::string path = dir.write("m.bmp", make_bmp({4, 4}, Bytes(48, 5)));
    surface_mode(&store, SURFACE_ALPHA_NONE, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    u32 texture = 0;
    ASSERT_EQ(surface_load(&store, path.c_str(), &texture), 0);
    GLint alignment = 0, width = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 2);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);
    surface_stop(&store);
    EXPECT_FALSE(glIsTexture(texture)) << "stop deletes the store's textures";
    surface_init(&store);
}

}  // namespace
