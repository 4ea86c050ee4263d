// Level runtime in a real GL window: what the world and the blocks show, movements while drawing,
// the texture that fails to load, and the GL state and textures left behind.
#include <gtest/gtest.h>

#include "level/map.h"
#include "level/reader.h"
#include "tests/support/test_support.h"

using namespace test_support;

TEST(map_render, each_face_and_block_shows_its_texture_where_it_is_at_the_clock_value)
{
    ASSERT_TRUE(open_window(640, 480)) << "no GL window: " << SDL_GetError();
    TempDir dir;
    std::string red = dir.write("r.bmp", solid_bmp(4, 4, 255, 0, 0)), lost = dir.file("lost.bmp"),
                green = dir.write("g.bmp", solid_bmp(4, 4, 0, 255, 0)),
                blue = dir.write("b.bmp", solid_bmp(4, 4, 0, 0, 255));
    std::string square = "VERTEX -2 -2 0 VERTEX 2 -2 0 VERTEX 2 2 0 VERTEX -2 2 0 TEXCOORD 0 0 ";
    // back: 20 x 14 at z -1; glass: half transparent; one: one texture coordinate; brick: 2 x 1.
    std::string faces = "FACE ID back VERTEX -10 -7 -1 VERTEX 10 -7 -1 VERTEX 10 7 -1 "
                        "VERTEX -10 7 -1 TEXCOORD 0 0 TEXCOORD 4 0 TEXCOORD 4 3 TEXCOORD 0 3 ";
    faces += "TEXTURE " + red + " END FACE ID glass " + square + "TEXCOORD 1 0 TEXCOORD 1 1 ";
    faces += "TEXCOORD 0 1 TEXTURE " + blue + " SHADER COLOR 4 3 0.5 0.5 1 END FACE ID one ";
    faces += square + "TEXTURE " + green + " END FACE ID brick VERTEX -1 -0.5 0 VERTEX 1 -0.5 0 ";
    faces += "VERTEX 1 0.5 0 VERTEX -1 0.5 0 TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1 ";
    std::string two = "TEXTURE " + green + " TEXTURE " + blue + " END ", one = "TEXTURE " + green,
                bricks = "BLOCKS NUMFACES 1 FACES brick ORIGIN 3 2 0 ";
    const struct {
        std::string level;  // after the faces
        int hits;           // of the first block; -1: destroyed
        u32 ticks;
        float x, y;
        Rgb want;
    } cases[] = {
        {"END WORLD NUMFACES 1 FACES back END", 0, 0, -9.5f, -6.5f, {255, 0, 0}},
        {"END WORLD NUMFACES 1 FACES back END", 0, 0, 10.5f, 0, {0, 0, 0}},
        {"END WORLD NUMFACES 2 FACES back glass END", 0, 0, 0, 0, {128, 0, 128}},  // blended
        {"END WORLD NUMFACES 1 FACES one END", 0, 0, 0, 0, {0, 255, 0}},  // one texcoord for four
        {two + bricks + "LIVES 2 END", 0, 0, 3, 2, {0, 255, 0}},  // texture 0 before the first hit
        {two + bricks + "LIVES 2 END", 1, 0, 3, 2, {0, 0, 255}},  // texture 1 after it
        {two + bricks + "LIVES 2 END", -1, 0, 3, 2, {0, 0, 0}},
        {two + bricks + "LIVES 0 END", 1, 0, 3, 2, {0, 255, 0}},  // unbreakable: texture 0
        {one + " END " + bricks + "LIVES 5 END", 3, 0, 3, 2, {255, 255, 255}},  // no texture 3
        {one + " SHADER COLOR 4 1 0 0 1 END " + bricks + "LIVES 5 END",
         3,
         0,
         3,
         2,
         {255, 0, 255}},  // its green channel set to 0
        {"TEXTURE " + lost + " TEXTURE " + blue + " END " + bricks + "LIVES 2 END",
         0,
         0,
         3,
         2,
         {0, 0, 255}},  // the texture after one that failed takes its place
        {one + " END " + bricks + "MOVE HORIZONTAL 2 4 2000 END", 0, 1000, 5, 2, {0, 255, 0}},
        {one + " END " + bricks + "MOVE HORIZONTAL 2 4 2000 END", 0, 1000, 3, 2, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        std::vector<u32> names;
        std::string text = faces + c.level;
        {
            Map map;
            testing::internal::CaptureStderr();
            Reader(dir.write("level.map", text)).read(*map.getMap());
            map.init();
            EXPECT_EQ(testing::internal::GetCapturedStderr(),
                      text.find(lost) == std::string::npos ? "" : "Could not load " + lost + ".\n");
            for (s_block_group& g : map.getMap()->groups) {
                g.blocks[0].hits = std::max(c.hits, 0);
                g.blocks[0].alive = c.hits >= 0;
            }
            gl_vertex.ticks = c.ticks;
            glViewport(0, 0, 640, 480);  // level units 20 pixels apart, (0, 0) at the centre
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            glOrtho(-16, 16, -12, 12, -10, 10);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            map.render();
            gl_vertex.ticks = 0;
            Rgb got = read_pixel((int)((c.x + 16) * 20), (int)((c.y + 12) * 20));
            for (int k = 0; k < 3; k++)
                EXPECT_NEAR(got[k], c.want[k], 8)
                    << "at " << c.x << ", " << c.y << " of " << c.level;
            // What the game's other drawing relies on: blending on, texturing off.
            EXPECT_TRUE(glIsEnabled(GL_BLEND) && !glIsEnabled(GL_TEXTURE_2D));
            for (const s_face& f : map.getMap()->faces)
                names.insert(names.end(), f.texture_ids.begin(), f.texture_ids.end());
        }
        for (u32 name : names)
            EXPECT_FALSE(glIsTexture(name)) << "a texture outlives its level";
    }
}
