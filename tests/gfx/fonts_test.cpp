// Bitmap text read back from the window: where glyph squares land, which cell
// each one shows, and the formatter's edge cases seen through the drawn codes.
#include "gfx/fonts.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gfx/surface.h"
#include "tests/gfx/gfx_fixtures.h"

using namespace gfx_test;

namespace {

const int SPACE = 32;  // its cell is white, which the font's key makes transparent

// Cell colour of character code n: red n, green 255 - n, blue 100.
Rgb cell_colour(int n)
{
    return n == SPACE ? Rgb{255, 255, 255} : Rgb{n, 255 - n, 100};
}

// A 256 x 256 font: 16 x 16 texel cells of one colour each, so a 16-pixel glyph
// maps texel to pixel and every glyph shows its code as a colour.
std::vector<u8> font_bmp()
{
    std::vector<u8> rgb(256 * 256 * 3);
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            int code = (15 - y / 16) * 16 + x / 16;  // rows counted from the top of the picture
            Rgb c = cell_colour(code);
            u8* p = &rgb[((size_t)y * 256 + x) * 3];
            p[0] = (u8)c.r;
            p[1] = (u8)c.g;
            p[2] = (u8)c.b;
        }
    }
    BmpShape shape;
    shape.width = 256;
    shape.height = 256;
    return make_bmp(shape, rgb);
}

// Runs font_init from inside a directory, as the game does from its own.
int font_init_in(const std::string& dir)
{
    std::string back = std::filesystem::current_path();
    EXPECT_EQ(chdir(dir.c_str()), 0);
    int result = font_init();
    EXPECT_EQ(chdir(back.c_str()), 0);
    return result;
}

// Code shown at a pixel: the code whose colour it has, -1 for the black
// background, -2 for anything else.
int code_at(int x, int y)
{
    Rgb c = read_pixel(x, y);
    if (c == Rgb{0, 0, 0})
        return -1;
    if (c.g == 255 - c.r && c.b == 100)
        return c.r;
    return -2;
}

// The codes of consecutive 16-pixel glyphs drawn from x = 0, up to the first gap.
std::vector<int> drawn_codes(int y)
{
    std::vector<int> codes;
    for (int x = 8; x < WINDOW_SIDE; x += 16) {
        int code = code_at(x, y + 8);
        if (code == -1)
            break;
        codes.push_back(code);
    }
    return codes;
}

class Text : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override
    {
        open_window();
        std::filesystem::create_directory(dir.file("data"));
        write_file(dir.file("data/font_texture_00.bmp"), font_bmp());
        ASSERT_EQ(font_init_in(dir.path), 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override { font_stop(); }
};

TEST_F(Text, number_draws_four_squares_at_the_spacing)
{
    PrintString(10, 20, 16, 12, 0, "%d", 1200);
    // Later glyphs overlap earlier ones by 4 pixels: each left edge shows its own code.
    EXPECT_EQ(code_at(9, 28), -1);
    EXPECT_EQ(code_at(10, 28), '1');
    EXPECT_EQ(code_at(21, 28), '1');
    EXPECT_EQ(code_at(22, 28), '2');
    EXPECT_EQ(code_at(33, 28), '2');
    EXPECT_EQ(code_at(34, 28), '0');
    EXPECT_EQ(code_at(46, 28), '0');
    EXPECT_EQ(code_at(61, 28), '0');
    EXPECT_EQ(code_at(62, 28), -1);
    // Bottom edge at 20, side 16.
    EXPECT_EQ(code_at(12, 19), -1);
    EXPECT_EQ(code_at(12, 20), '1');
    EXPECT_EQ(code_at(12, 35), '1');
    EXPECT_EQ(code_at(12, 36), -1);
}

TEST_F(Text, percent_rules_of_the_formatter)
{
    struct Case {
        const char* name;
        std::vector<int> expected;
        void (*draw)();
    } cases[] = {
        {"%%%c with 65", {'%', '%', 'A'}, [] { PrintString(0, 0, 16, 16, 0, "%%%c", 65); }},
        {"lone % at the end", {'a', 'b'}, [] { PrintString(0, 0, 16, 16, 0, "ab%"); }},
        {"unknown conversion keeps both characters and consumes nothing",
         {'%', 'q', '7'},
         [] { PrintString(0, 0, 16, 16, 0, "%q%d", 7); }},
        {"width is not understood", {'%', '5', 'd', 'x'}, [] { PrintString(0, 0, 16, 16, 0, "%5dx"); }},
        {"negative number and a string", {'-', '4', 'h', 'i'},
         [] { PrintString(0, 0, 16, 16, 0, "%d%s", -4, "hi"); }},
        {"%c with 0 is a counted character", {0, 'z'}, [] { PrintString(0, 0, 16, 16, 0, "%cz", 0); }},
        {"code 255 is the last cell", {255}, [] { PrintString(0, 0, 16, 16, 0, "%c", 255); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        glClear(GL_COLOR_BUFFER_BIT);
        c.draw();
        EXPECT_EQ(drawn_codes(0), c.expected);
    }
}

TEST_F(Text, white_cells_are_transparent)
{
    PrintString(0, 0, 16, 16, 0, "a b");
    EXPECT_EQ(code_at(8, 8), 'a');
    EXPECT_EQ(code_at(24, 8), -1);
    EXPECT_EQ(code_at(40, 8), 'b');
}

TEST_F(Text, positions_are_truncated_toward_zero)
{
    PrintString(10.7f, 5, 16, 16, 0, "x");
    EXPECT_EQ(code_at(9, 10), -1);
    EXPECT_EQ(code_at(10, 10), 'x');
    EXPECT_EQ(code_at(25, 10), 'x');
    EXPECT_EQ(code_at(26, 10), -1);  // 10.7 + 16 = 26.7 draws up to 26
    glClear(GL_COLOR_BUFFER_BIT);
    PrintString(-0.5f, 40, 16, 16, 0, "y");
    EXPECT_EQ(code_at(0, 45), 'y');
    EXPECT_EQ(code_at(14, 45), 'y');
    EXPECT_EQ(code_at(15, 45), -1);  // -0.5 + 16 = 15.5 draws up to 15
}

TEST_F(Text, text_beyond_the_buffer_is_cut)
{
    // 1024 'A's then 'B's, a sixteenth of a pixel apart: the last 'A' starts at
    // pixel 63; any 'B' drawn would start at 64.
    std::string text(FONT_BUFFER_SIZE, 'A');
    text += std::string(100, 'B');
    PrintString(0, 0, 4, 0.0625f, 0, "%s", text.c_str());
    EXPECT_EQ(code_at(62, 2), 'A');
    EXPECT_EQ(code_at(66, 2), 'A');
    EXPECT_EQ(code_at(67, 2), -1);
    EXPECT_EQ(code_at(69, 2), -1);
}

TEST_F(Text, leaves_blend_and_texture_off_and_the_screen_projection_on)
{
    glEnable(GL_BLEND);
    PrintString(0, 0, 16, 16, 0, "");
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(gl_vertex.dimension, 1);
    EXPECT_EQ(code_at(8, 8), -1);
    PrintString(0, 0, 16, 16, 0, "k");
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(Text, font_without_texture_draws_plain_squares)
{
    glColor3f(1, 1, 1);
    for (int font : {1, (int)FONT_COUNT - 1, (int)FONT_COUNT, -1, 1 << 30}) {
        SCOPED_TRACE(font);
        glClear(GL_COLOR_BUFFER_BIT);
        PrintString(0, 0, 16, 16, font, "a");
        EXPECT_EQ(read_pixel(8, 8), (Rgb{255, 255, 255}));
    }
}

TEST(FontInit, missing_file_fails_and_keeps_font_0)
{
    open_window();
    TempDir empty;
    gl_fonts[0] = 4242;
    EXPECT_EQ(font_init_in(empty.path), 1);
    EXPECT_EQ(gl_fonts[0], 4242u);
    gl_fonts[0] = 0;
    font_stop();
}

}  // namespace
