// Level runtime in a real GL window: textures by hit count, destroyed blocks, movements while drawing, GL state left behind.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>

#include "level/map.h"
#include "shell/vertex.h"
#include "tests/level/level_files.h"

namespace {

struct rgb {
    int r, g, b;
};

// A 4 x 4 24-bit BMP of one colour (rows of 12 bytes need no padding).
std::string solid_bmp(int r, int g, int b)
{
    std::string out(54 + 4 * 4 * 3, '\0');
    auto put32 = [&](size_t at, u32 v) {
        for (int i = 0; i < 4; i++)
            out[at + i] = (char)(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, (u32)out.size());
    put32(10, 54);
    put32(14, 40);
    put32(18, 4);
    put32(22, 4);
    out[26] = 1;
    out[28] = 24;
    for (size_t p = 54; p < out.size(); p += 3) {
        out[p] = (char)b;
        out[p + 1] = (char)g;
        out[p + 2] = (char)r;
    }
    return out;
}

class MapRender : public ::testing::Test {
protected:
    level_dir dir;
    std::string red, green, blue;

    void SetUp() override
    {
        // A display that has only just started may refuse the first window.
        for (int attempt = 0; attempt < 3 && !gl_vertex.ready; attempt++)
            if (VTX_Init(640, 480, 32, 0) != 0)
                fprintf(stderr, "VTX_Init failed: %s\n", SDL_GetError());
        ASSERT_TRUE(gl_vertex.ready) << "no GL window (is DISPLAY set?)";
        red = dir.write("red.bmp", solid_bmp(255, 0, 0));
        green = dir.write("green.bmp", solid_bmp(0, 255, 0));
        blue = dir.write("blue.bmp", solid_bmp(0, 0, 255));
        gl_vertex.ticks = 0;
    }

    // Reads text into the map and loads its textures.
    void load(Map& map, const std::string& text)
    {
        Reader reader(dir.write("level.map", text));
        reader.read(*map.getMap());
        map.init();
    }

    // One frame seen 30 units away down -z, through the window's own projection.
    void frame(Map& map, u32 ticks)
    {
        gl_vertex.ticks = ticks;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -30);
        map.render();
        glFinish();
    }

    // The colour drawn where the world point (x, y, z) lands.
    rgb at(float x, float y, float z)
    {
        GLdouble model[16], projection[16], wx, wy, wz;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
        unsigned char p[3] = {0, 0, 0};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels((GLint)wx, (GLint)wy, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

    std::string brick_level(const std::string& textures, int lives, const std::string& extra = "")
    {
        return "FACE ID brick VERTEX -1 -0.5 0 VERTEX 1 -0.5 0 VERTEX 1 0.5 0 VERTEX -1 0.5 0 "
               "TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1 " + textures + " END "
               "BLOCKS NUMFACES 1 FACES brick LIVES " + std::to_string(lives) +
               " ORIGIN 3 2 0 " + extra + " END WORLD LIMITS -10 10 -7 7 END";
    }
};

void expect_colour(rgb got, int r, int g, int b, const char* what)
{
    EXPECT_NEAR(got.r, r, 8) << what;
    EXPECT_NEAR(got.g, g, 8) << what;
    EXPECT_NEAR(got.b, b, 8) << what;
}

}  // namespace

TEST_F(MapRender, world_face_with_a_solid_texture_fills_its_pixels_and_nothing_else)
{
    Map map;
    load(map, "WORLD NUMFACES 1 FACES back LIMITS -10 10 -7 7 END "
              "FACE ID back VERTEX -10 -7 -1 VERTEX 10 -7 -1 VERTEX 10 7 -1 VERTEX -10 7 -1 "
              "TEXCOORD 0 0 TEXCOORD 4 0 TEXCOORD 4 3 TEXCOORD 0 3 TEXTURE " + red + " END");
    frame(map, 100);
    expect_colour(at(0, 0, -1), 255, 0, 0, "centre");
    expect_colour(at(-9.5f, -6.5f, -1), 255, 0, 0, "bottom-left corner");
    expect_colour(at(9.5f, 6.5f, -1), 255, 0, 0, "top-right corner");
    expect_colour(at(13, 0, -1), 0, 0, 0, "right of the face");
    expect_colour(at(0, 8, -1), 0, 0, 0, "above the face");
}

TEST_F(MapRender, block_shows_its_hit_count_texture_and_vanishes_once_destroyed)
{
    Map map;
    load(map, brick_level("TEXTURE " + green + " TEXTURE " + blue, 2));
    s_block& block = map.getMap()->groups[0].blocks[0];
    frame(map, 0);
    expect_colour(at(3, 2, 0), 0, 255, 0, "no hit yet: texture 0");
    expect_colour(at(0, 0, 0), 0, 0, 0, "beside the block");
    block.hits = 1;
    frame(map, 0);
    expect_colour(at(3, 2, 0), 0, 0, 255, "one hit: texture 1");
    block.alive = false;
    frame(map, 0);
    expect_colour(at(3, 2, 0), 0, 0, 0, "destroyed");
}

TEST_F(MapRender, unbreakable_groups_always_show_texture_0)
{
    Map map;
    load(map, brick_level("TEXTURE " + green + " TEXTURE " + blue, 0));
    map.getMap()->groups[0].blocks[0].hits = 1;
    frame(map, 0);
    expect_colour(at(3, 2, 0), 0, 255, 0, "lives 0");
}

TEST_F(MapRender, hits_beyond_the_loaded_textures_draw_untextured_in_the_face_colour)
{
    Map map;
    load(map, brick_level("TEXTURE " + green, 5));
    map.getMap()->groups[0].blocks[0].hits = 3;
    frame(map, 0);
    expect_colour(at(3, 2, 0), 255, 255, 255, "texture name 0");
}

TEST_F(MapRender, failed_texture_is_reported_and_the_next_one_moves_down_to_index_0)
{
    Map map;
    std::string missing = dir.path + "/missing.bmp";
    testing::internal::CaptureStderr();
    load(map, brick_level("TEXTURE " + missing + " TEXTURE " + blue, 2));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Could not load " + missing + ".\n");
    EXPECT_EQ(map.getMap()->faces[0].texture_ids.size(), 1u);
    frame(map, 0);
    expect_colour(at(3, 2, 0), 0, 0, 255, "second path drawn as index 0");
}

TEST_F(MapRender, leaves_blending_on_and_texturing_off)
{
    Map map;
    load(map, brick_level("TEXTURE " + green, 1));
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glEnable(GL_TEXTURE_2D);
    frame(map, 0);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(MapRender, movements_advance_while_drawing_and_stop_for_destroyed_blocks)
{
    Map map;
    load(map, brick_level("TEXTURE " + green, 1, "ORIGIN -3 -2 0 MOVE HORIZONTAL 2 4 2000"));
    s_block_group& group = map.getMap()->groups[0];
    frame(map, 1000);
    EXPECT_FLOAT_EQ(group.blocks[0].position.x, 5.0f);
    EXPECT_FLOAT_EQ(group.blocks[1].position.x, -1.0f);
    expect_colour(at(5, 2, 0), 0, 255, 0, "moved block drawn where it moved to");
    expect_colour(at(3, 2, 0), 0, 0, 0, "and no longer at its origin");
    group.blocks[0].alive = false;
    frame(map, 2000);
    EXPECT_FLOAT_EQ(group.blocks[0].position.x, 5.0f);
    EXPECT_FLOAT_EQ(group.blocks[1].position.x, 1.0f);
}

TEST_F(MapRender, half_transparent_colour_blends_over_what_was_drawn)
{
    Map map;
    load(map, "WORLD NUMFACES 2 FACES back glass LIMITS -10 10 -7 7 END "
              "FACE ID back VERTEX -10 -7 -2 VERTEX 10 -7 -2 VERTEX 10 7 -2 VERTEX -10 7 -2 "
              "TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1 TEXTURE " + red + " END "
              "FACE ID glass VERTEX -2 -2 0 VERTEX 2 -2 0 VERTEX 2 2 0 VERTEX -2 2 0 "
              "TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1 TEXTURE " + blue +
              " SHADER COLOR 4 3 0.5 0.5 0.001 END");
    frame(map, 0);
    rgb mixed = at(0, 0, 0);
    EXPECT_NEAR(mixed.r, 128, 10);
    EXPECT_NEAR(mixed.b, 128, 10);
}

TEST_F(MapRender, face_with_fewer_texcoords_than_vertices_is_still_drawn)
{
    Map map;
    load(map, "WORLD NUMFACES 1 FACES f LIMITS -10 10 -7 7 END "
              "FACE ID f VERTEX -2 -2 0 VERTEX 2 -2 0 VERTEX 2 2 0 VERTEX -2 2 0 "
              "TEXCOORD 0.5 0.5 TEXTURE " + green + " END");
    frame(map, 0);
    expect_colour(at(0, 0, 0), 0, 255, 0, "one texcoord for four vertices");
}

TEST_F(MapRender, destructor_deletes_the_level_textures)
{
    u32 name = 0;
    {
        Map map;
        load(map, brick_level("TEXTURE " + green, 1));
        name = map.getMap()->faces[0].texture_ids.at(0);
        EXPECT_TRUE(glIsTexture(name));
    }
    EXPECT_FALSE(glIsTexture(name));
}
