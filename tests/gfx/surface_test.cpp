// The texture store: accepted files as uploaded bytes, bad ones refused, alpha keys, the cache.
#include "gfx/surface.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <climits>

#include "tests/support/test_support.h"

using namespace test_support;

namespace {

typedef std::vector<u8> Bytes;

// What a PNG may vary; trns_value is the transparent colour when trns_colour is set.
struct PngShape {
    u32 width = 1, height = 1;
    int color_type = PNG_COLOR_TYPE_RGB, depth = 8;
    bool interlaced = false;
    std::vector<png_color> palette = {};
    std::vector<u8> trns_alpha = {};
    bool trns_colour = false;
    png_color_16 trns_value = {};
};

// A PNG file's bytes, its rows given top row first as the file stores them: plain
// 8-bit colour through the game's own writer, the other shapes through libpng's.
std::string png(const PngShape& s, const std::vector<Bytes>& rows)
{
    TempDir dir;
    FILE* file = fopen(dir.file("p").c_str(), "wb");
    if (s.depth == 8 && !s.interlaced && s.palette.empty() && s.trns_alpha.empty() &&
        !s.trns_colour && s.color_type != PNG_COLOR_TYPE_GRAY) {
        Bytes pixels;
        for (size_t i = rows.size(); i-- > 0;)
            pixels.insert(pixels.end(), rows[i].begin(), rows[i].end());
        s_image image = {s.height, s.width, pixels.data(),
                         s.color_type == PNG_COLOR_TYPE_RGB ? 3u : 4u, ""};
        EXPECT_EQ(image_write_png(&image, file, "p"), 0) << image.error;
        fclose(file);
        return read_file(dir.file("p"));
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, s.width, s.height, s.depth, s.color_type,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty())
        png_set_PLTE(png, info, s.palette.data(), (int)s.palette.size());
    if (!s.trns_alpha.empty() || s.trns_colour)
        png_set_tRNS(png, info, s.trns_alpha.data(), (int)s.trns_alpha.size(), &s.trns_value);
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const Bytes& row : rows)
        pointers.push_back((png_bytep)row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    fclose(file);
    return read_file(dir.file("p"));
}

// load: the texture's width, then level 0 bottom row first; or the store's message.
class surface_store : public ::testing::Test {
protected:
    TempDir dir;
    s_surface store;
    void SetUp() override
    {
        ASSERT_TRUE(open_window(256, 256)) << SDL_GetError();
        surface_init(&store);
        surface_mode(&store, SURFACE_ALPHA_NONE, 0);  // level 0 holds the file at its own size
    }
    void TearDown() override
    {
        surface_stop(&store);
    }
    std::string load(const std::string& path)
    {
        u32 texture = 0;
        if (surface_load(&store, path.c_str(), &texture) != 0)
            return surface_last_error(&store);
        GLint width = 0, height = 0, format = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        std::string bytes(1 + (size_t)width * height * (format == GL_RGBA ? 4 : 3), (char)width);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, &bytes[1]);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        return bytes;
    }
    static std::string str(const Bytes& bytes)
    {
        return std::string(bytes.begin(), bytes.end());
    }
};

// BMP rows are padded to four bytes, stored bottom up unless the height is
// negative, after a header of any length; the last row may lack its padding.
TEST_F(surface_store, bmp_and_png_of_every_accepted_shape_upload_bottom_row_first)
{
    auto ramp = [](int width, int height) {
        Bytes rgb(width * height * 3);
        for (size_t i = 0; i < rgb.size(); i++)
            rgb[i] = (u8)(i * 7 + 1);
        return rgb;
    };
    auto bmp = [&](BmpShape s) { return str(make_bmp(s, ramp(s.width, s.height))); };
    auto uploaded = [&](int width, int height) { return (char)width + str(ramp(width, height)); };
    const int RGB = PNG_COLOR_TYPE_RGB, RGBA = PNG_COLOR_TYPE_RGB_ALPHA,
              PAL = PNG_COLOR_TYPE_PALETTE;
    std::vector<png_color> palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {99, 99, 99}};
    std::vector<Bytes> adam7(9, Bytes(27));
    Bytes adam7_pixels = {9};
    for (int y = 8; y >= 0; y--)
        for (int i = 0; i < 27; i++)
            adam7_pixels.push_back(adam7[y][i] = (u8)(y * 27 + i));
    // file name, contents, the texture's width then its rows bottom first
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"2x3.bmp", bmp({2, 3}), uploaded(2, 3)},
        {"3x3.bmp", bmp({3, 3}), uploaded(3, 3)},
        {"4x2.bmp", bmp({4, 2}), uploaded(4, 2)},
        {"top-down.bmp", bmp({3, 2, 0, true}), uploaded(3, 2)},
        {"long-header.bmp", bmp({2, 2, 70}), uploaded(2, 2)},
        {"short-row.bmp", bmp({1, 3}).substr(0, 54 + 11), uploaded(1, 3)},
        {"rgb.png", png({1, 2}, {{1, 2, 3}, {4, 5, 6}}), str({1, 4, 5, 6, 1, 2, 3})},
        {"rgba.png", png({1, 1, RGBA}, {{1, 2, 3, 4}}), str({1, 1, 2, 3, 4})},
        {"16-bit.png", png({1, 1, RGB, 16}, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}}),
         str({1, 0x12, 0x56, 0x9A})},
        {"2-bit.png", png({3, 1, PAL, 2, false, palette}, {{0x90}}),
         str({3, 70, 80, 90, 40, 50, 60, 10, 20, 30})},
        {"palette-alpha.png", png({2, 1, PAL, 8, false, palette, {0}}, {{0, 1}}),
         str({2, 10, 20, 30, 0, 40, 50, 60, 255})},
        {"key-colour.png",
         png({2, 1, RGB, 8, false, {}, {}, true, {0, 9, 9, 9, 0}}, {{9, 9, 9, 9, 9, 8}}),
         str({2, 9, 9, 9, 0, 9, 9, 8, 255})},
        {"interlaced.png", png({9, 9, RGB, 8, true}, adam7), str(adam7_pixels)},
    };
    for (const auto& [name, bytes, expected] : cases)
        EXPECT_EQ(load(dir.write(name, bytes)), expected) << name;
}

TEST_F(surface_store, bad_files_are_refused_with_one_message_naming_the_file_and_the_fault)
{
    const Bytes good = make_bmp({4, 4}, Bytes(48, 9));  // rows of 12 bytes, no padding
    auto with = [&](size_t at, u32 value, bool wide = true, size_t at2 = 0, u32 value2 = 0) {
        Bytes b = good;
        wide ? put32(b, at, value) : put16(b, at, value);
        if (at2)
            put32(b, at2, value2);
        return str(b);
    };
    const std::string good_png = png({4, 4}, std::vector<Bytes>(4, Bytes(12, 7)));
    std::string crc = good_png;
    crc[40] ^= (char)0xFF;  // inside the image data: its checksum no longer matches
    // file name, contents, fault
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"8-bit.bmp", with(28, 8, false), "depth 8 bits"},
        {"planes.bmp", with(26, 2, false), "planes 2"},
        {"offset.bmp", with(10, 20), "offset 20"},
        {"negative.bmp", with(18, (u32)-1), "size -1 x 4"},
        {"no-width.bmp", with(18, 0), "size 0 x 4"},
        {"no-height.bmp", with(22, 0), "size 4 x 0"},
        {"wide.bmp", with(18, 16385), "size 16385 x 4"},
        {"int-min.bmp", with(22, (u32)INT_MIN), "size 4 x -2147483648"},
        {"huge.bmp", with(18, 16384, true, 22, 16384), "cut short"},  // refused before allocating
        {"header.bmp", str(good).substr(0, 53), "BMP header cut short"},
        {"last-byte.bmp", str(good).substr(0, 101), "102 bytes needed, 101 present"},
        {"grey.png", png({1, 1, PNG_COLOR_TYPE_GRAY}, {{1}}), "colour type 0"},
        {"wide.png", png({16385, 1}, {Bytes(49155, 5)}), "PNG decoding failed"},
        {"cut.png", good_png.substr(0, 33), "PNG decoding failed"},
        {"crc.png", crc, "PNG decoding failed"},
        {"png.bmp", good_png, "BMP"},  // the reader goes by the name
        {"a.jpg", str(good), "not a .png or .bmp file"},
        {"none/missing.png", "", "No such file or directory"},
    };
    for (const auto& [name, bytes, fault] : cases) {
        std::string path = dir.write(name, bytes);
        u32 texture = 12345;
        EXPECT_EQ(surface_load(&store, path.c_str(), &texture), 1) << name;
        std::string error = surface_last_error(&store);
        EXPECT_EQ(error.find(path + ": "), 0u) << error;
        EXPECT_NE(error.find(fault), std::string::npos) << error;
        EXPECT_EQ(texture, 12345u) << "a failure writes nothing";
    }
    u32 texture = 0;
    EXPECT_EQ(surface_load(&store, nullptr, &texture), 1);
    EXPECT_EQ(surface_load(&store, "ab", &texture), 1);
}

// As the fonts load: mode 0 widens an RGB picture with alphas from the keys
// (the earliest matching key winning, the default elsewhere) and keeps an RGBA
// picture's own; mode 2, the default, keeps every file's channels; mode 1 keys all.
TEST_F(surface_store, alpha_comes_from_the_keys_or_the_file_by_mode)
{
    std::string rgb = dir.write("rgb.png", png({3, 1}, {{9, 9, 9, 1, 1, 1, 7, 7, 7}}));
    std::string rgba =
        dir.write("rgba.png", png({1, 1, PNG_COLOR_TYPE_RGB_ALPHA}, {{9, 9, 9, 10}}));
    const std::tuple<u32, std::string, Bytes> cases[] = {
        {SURFACE_ALPHA_FILE, rgb, {3, 9, 9, 9, 99, 1, 1, 1, 200, 7, 7, 7, 0}},
        {SURFACE_ALPHA_FILE, rgba, {1, 9, 9, 9, 10}},
        {SURFACE_ALPHA_NONE, rgb, {3, 9, 9, 9, 1, 1, 1, 7, 7, 7}},
        {SURFACE_ALPHA_KEYS, rgba, {1, 9, 9, 9, 99}}};
    for (const auto& [mode, file, expected] : cases) {
        surface_stop(&store);  // a cached path would keep its first mode
        surface_init(&store);
        surface_alpha_define(&store, 1, 1, 1, 77);
        surface_alpha_reset(&store, 200);  // forgets the key above
        for (auto [grey, alpha] : {std::pair{9, 99}, {7, 0}, {9, 55}})
            surface_alpha_define(&store, grey, grey, grey, alpha);
        surface_mode(&store, mode, 0);
        EXPECT_EQ(load(file), str(expected)) << "mode " << mode << ", " << file;
    }
}

// Each path, however long and in whatever case, is read once; later loads and
// modes change nothing; stopping the store deletes every texture.
TEST_F(surface_store, every_path_is_read_once_and_stop_deletes_its_texture)
{
    std::vector<std::string> paths = {dir.path + "/./0.bMp", dir.path + "//0.bMp"};
    std::filesystem::create_directory(dir.file("a"));
    for (int i = 0; i < 60; i++)
        paths[0].insert(dir.path.size(), "/a/..");
    for (std::string name : {"a.Png", "cpng"})
        paths.push_back(dir.write(name, png({}, {{1, 2, 3}})));
    paths.push_back(dir.write("0.bMp", str(make_bmp({1, 1}, {1, 2, 3}))));
    std::vector<u32> textures(paths.size());
    for (size_t i = 0; i < paths.size(); i++)
        ASSERT_EQ(surface_load(&store, paths[i].c_str(), &textures[i]), 0) << paths[i];
    std::filesystem::remove_all(dir.path);
    surface_mode(&store, SURFACE_ALPHA_KEYS, 1);
    for (size_t i = 0; i < paths.size(); i++)
        EXPECT_EQ(load(paths[i]), str({1, 1, 2, 3})) << "from the cache: " << paths[i];
    surface_stop(&store);
    for (u32 texture : textures)
        EXPECT_FALSE(glIsTexture(texture));
    surface_init(&store);
}

}  // namespace
