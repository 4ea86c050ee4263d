// Bitmap text read back from the window: where glyph squares land, which cell
// each one shows, and the formatter's edge cases seen through the drawn codes.
#include "gfx/fonts.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/gfx/gfx_fixtures.h"

using namespace gfx_test;

namespace {

// A 256 x 256 font of 16 x 16 texel cells, so a 16-pixel glyph maps texel to
// pixel; cell n is red n, green 255 - n, blue 100, except the space's, which is
// white for the font's key to make transparent.
std::vector<u8> font_bmp()
{
    std::vector<u8> rgb;
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 256; x++) {
            int code = (15 - y / 16) * 16 + x / 16;  // rows counted from the top of the picture
            std::vector<u8> c = code == ' ' ? std::vector<u8>{255, 255, 255}
                                            : std::vector<u8>{(u8)code, (u8)(255 - code), 100};
            rgb.insert(rgb.end(), c.begin(), c.end());
        }
    }
    return make_bmp({256, 256}, rgb);
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

// Code shown at a pixel: -1 for the black background, -2 for no cell's colour.
int code_at(int x, int y)
{
    Rgb c = read_pixel(x, y);
    if (c == Rgb{0, 0, 0})
        return -1;
    return c[1] == 255 - c[0] && c[2] == 100 ? c[0] : -2;
}

// The codes of the 16-pixel glyph places on the bottom row, trailing gaps dropped.
std::vector<int> drawn_codes()
{
    std::vector<int> codes;
    for (int x = 8; x < WINDOW_SIDE; x += 16)
        codes.push_back(code_at(x, 8));
    while (!codes.empty() && codes.back() == -1)
        codes.pop_back();
    return codes;
}

class Text : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override
    {
        ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
        std::filesystem::create_directory(dir.file("data"));
        write_file(dir.file("data/font_texture_00.bmp"), font_bmp());
        ASSERT_EQ(font_init_in(dir.path), 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override
    {
        font_stop();
    }
};

TEST_F(Text, number_draws_four_squares_at_the_spacing)
{
    PrintString(10, 20, 16, 12, 0, "%d", 1200);
    // Later glyphs overlap earlier ones by 4 pixels: each left edge shows its own code.
    const int row[][2] = {{9, -1},   {10, '1'}, {21, '1'}, {22, '2'}, {33, '2'},
                          {34, '0'}, {46, '0'}, {61, '0'}, {62, -1}};
    for (const auto& at : row)
        EXPECT_EQ(code_at(at[0], 28), at[1]) << "x " << at[0];
    // Bottom edge at 20, side 16.
    const int column[][2] = {{19, -1}, {20, '1'}, {35, '1'}, {36, -1}};
    for (const auto& at : column)
        EXPECT_EQ(code_at(12, at[0]), at[1]) << "y " << at[0];
}

TEST_F(Text, formatter_rules_seen_through_the_drawn_cells)
{
    // Every row passes the same arguments; a format takes only what it names.
    struct Case {
        const char* format;
        std::vector<int> expected;
    } cases[] = {
        {"%%%c", {'%', '%', 'A'}},      {"ab%", {'a', 'b'}},  // a lone % at the end
        {"%q%d", {'%', 'q', '6', '5'}},  // unknown conversion kept, consumes nothing
        {"%5dx", {'%', '5', 'd', 'x'}},  // no widths
        {"%c%cz", {'A', 0, 'z'}},        // 0 is a counted character: the top-left cell
        {"a b", {'a', -1, 'b'}},         // the space's white cell is transparent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        glClear(GL_COLOR_BUFFER_BIT);
        PrintString(0, 0, 16, 16, 0, c.format, 65, 0);
        EXPECT_EQ(drawn_codes(), c.expected);
    }
    glClear(GL_COLOR_BUFFER_BIT);
    PrintString(0, 0, 16, 16, 0, "%d%s%c", -4, "hi", 255);
    EXPECT_EQ(drawn_codes(), (std::vector<int>{'-', '4', 'h', 'i', 255}));
}

TEST_F(Text, positions_are_truncated_toward_zero)
{
    // 10.7 + 16 = 26.7 draws up to 26; -0.5 + 16 = 15.5 up to 15.
    PrintString(10.7f, 5, 16, 16, 0, "x");
    PrintString(-0.5f, 40, 16, 16, 0, "y");
    // Corners beyond the int range: the glyph is off any screen and not drawn.
    PrintString(40, 40, 3e9f, 16, 0, "w");
    const int cases[][3] = {{9, 10, -1},  {10, 10, 'x'}, {25, 10, 'x'}, {26, 10, -1},
                            {0, 45, 'y'}, {14, 45, 'y'}, {15, 45, -1},  {30, 30, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(code_at(c[0], c[1]), c[2]) << c[0] << ", " << c[1];
}

TEST_F(Text, text_beyond_the_buffer_is_cut)
{
    // 1024 'A's then 'B's, a sixteenth of a pixel apart: the last 'A' starts at
    // pixel 63; any 'B' drawn would start at 64.
    std::string text = std::string(FONT_BUFFER_SIZE, 'A') + std::string(100, 'B');
    PrintString(0, 0, 4, 0.0625f, 0, "%s", text.c_str());
    EXPECT_EQ(code_at(62, 2), 'A');
    EXPECT_EQ(code_at(66, 2), 'A');
    EXPECT_EQ(code_at(67, 2), -1);
    EXPECT_EQ(code_at(69, 2), -1);
}

TEST_F(Text, leaves_blend_and_texture_off_and_the_screen_projection_on)
{
    for (const char* text : {"", "k"}) {
        SCOPED_TRACE(text);
        glEnable(GL_BLEND);
        PrintString(0, 0, 16, 16, 0, text);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(gl_vertex.dimension, 1);
    }
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
    ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
    TempDir empty;
    gl_fonts[0] = 4242;
    EXPECT_EQ(font_init_in(empty.path), 1);
    EXPECT_EQ(gl_fonts[0], 4242u);
    gl_fonts[0] = 0;
    font_stop();
}

}  // namespace
