// Bitmap text read back from the window: where glyph squares land, which cell
// each shows, and the formatter's edge cases seen through the drawn codes.
#include "gfx/fonts.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

using namespace test_support;

const int WINDOW_SIDE = 256;

namespace {

// Code shown at a pixel: -1 for the black background, -2 for no cell's colour.
int code_at(int x, int y)
{
    Rgb c = read_pixel(x, y);
    return c == Rgb{0, 0, 0} ? -1 : c[1] == 255 - c[0] && c[2] == 100 ? c[0] : -2;
}

// A font of 16 x 16 texel cells, so a 16-pixel glyph maps texel to pixel; cell
// n is red n, green 255 - n, blue 100; the space's is white, the key's colour.
class font_text : public ::testing::Test {
protected:
    TempCwd dir;
    void SetUp() override
    {
        ASSERT_TRUE(open_window(WINDOW_SIDE, WINDOW_SIDE)) << SDL_GetError();
        std::vector<u8> rgb;
        for (int y = 0; y < 256; y++)
            for (int x = 0, code = (15 - y / 16) * 16; x < 256; x++)
                rgb.insert(rgb.end(), {(u8)(code + x / 16), (u8)(255 - code - x / 16), 100});
        for (int y = 208; y < 224; y++)  // the space's cell
            std::fill_n(rgb.begin() + (y * 256 + 0) * 3, 48, 255);
        std::filesystem::create_directory("data");
        write_file("data/font_texture_00.bmp", make_bmp({256, 256}, rgb));
        ASSERT_EQ(font_init(), 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override
    {
        font_stop();
    }
};

TEST_F(font_text, text_draws_squares_at_the_spacing_on_whole_pixels_up_to_the_buffer_size)
{
    EXPECT_EQ(PrintString(10.7f, 19.5f, 16, 12, 0, "%d", 1200), 0);
    // Later glyphs overlap earlier ones by 4 pixels: each left edge shows its own
    // code. Corners are cut to whole pixels: 10.7 + 36 + 16 ends before 62.
    const int row[][2] = {{9, -1},   {10, '1'}, {21, '1'}, {22, '2'}, {33, '2'},
                          {34, '0'}, {46, '0'}, {61, '0'}, {62, -1}};
    for (const auto& [x, code] : row)
        EXPECT_EQ(code_at(x, 28), code) << "x " << x;
    const int column[][2] = {{18, -1}, {19, '1'}, {34, '1'}, {35, -1}};
    for (const auto& [y, code] : column)
        EXPECT_EQ(code_at(12, y), code) << "y " << y;
    // 1024 'A's then 'B's, a sixteenth of a pixel apart: any 'B' would start at 64.
    PrintString(0, 0, 4, 0.0625f, 0, "%s", (std::string(1024, 'A') + std::string(9, 'B')).c_str());
    EXPECT_EQ(code_at(66, 2), 'A');
    EXPECT_EQ(code_at(67, 2), -1) << "text beyond the buffer is cut";
    // A corner beyond the int range, either end, puts the glyph off any screen: not drawn.
    for (float size : {3e9f, -3e9f}) {
        glClear(GL_COLOR_BUFFER_BIT);
        PrintString(40, 40, size, 16, 0, "w");
        EXPECT_TRUE(code_at(50, 48) == -1 && code_at(20, 20) == -1) << size;
    }
}

TEST_F(font_text, formatter_rules_seen_through_the_drawn_cells)
{
    // Every row passes the same arguments; a format takes only what it names.
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"%%%c", {'%', '%', 'A'}},      {"ab%", {'a', 'b'}},  // a lone % at the end
        {"%q%d", {'%', 'q', '6', '5'}},  // unknown conversion kept, consumes nothing
        {"%5dx", {'%', '5', 'd', 'x'}},  // no widths
        {"%c%c%c", {'A', 0, 255}},       // 0 is a counted character; 511 keeps its low byte
        {"a b", {'a', -1, 'b'}},         // the space's white cell is transparent
        {"%s%d", {'h', 'i', '6', '5'}},
    };
    for (const auto& [format, expected] : cases) {
        glClear(GL_COLOR_BUFFER_BIT);
        if (format[1] == 's')
            PrintString(0, 0, 16, 16, 0, format, "hi", 65);
        else
            PrintString(0, 0, 16, 16, 0, format, 65, 0, 511);
        std::vector<int> codes, drawn = expected;  // glyph places on the bottom row, and one more
        drawn.push_back(-1);
        for (int x = 8; codes.size() < drawn.size(); x += 16)
            codes.push_back(code_at(x, 8));
        EXPECT_EQ(codes, drawn) << format;
    }
}

// Fonts 1 to 3 are never loaded and others do not exist: all draw plain squares.
TEST_F(font_text, leaves_blend_and_texture_off_and_a_font_without_texture_draws_squares)
{
    glColor3f(1, 1, 1);
    for (int font : {0, 1, (int)FONT_COUNT, -1}) {
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        PrintString(0, 0, 16, 16, font, "a");
        EXPECT_TRUE(!glIsEnabled(GL_BLEND) && !glIsEnabled(GL_TEXTURE_2D) &&
                    gl_vertex.dimension == 1)
            << "the screen projection stays on";
        EXPECT_EQ(code_at(8, 8), font ? -2 : 'a') << "font " << font;
    }
}

}  // namespace
