// Level runtime in a real GL window: textures by hit count, destroyed blocks,
// movements while drawing, GL state left behind.
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

class MapRender : public ::testing::Test {
protected:
    TempDir dir;
    std::string red, green, blue;

    void SetUp() override
    {
        ASSERT_TRUE(open_window(640, 480)) << "no GL window: " << SDL_GetError();
        red = dir.write("red.bmp", solid_bmp(4, 4, 255, 0, 0));
        green = dir.write("green.bmp", solid_bmp(4, 4, 0, 255, 0));
        blue = dir.write("blue.bmp", solid_bmp(4, 4, 0, 0, 255));
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
        Rgb p = read_pixel((int)wx, (int)wy);
        return {p[0], p[1], p[2]};
    }

    std::string brick_level(const std::string& textures, int lives, const std::string& extra = "")
    {
        return "FACE ID brick VERTEX -1 -0.5 0 VERTEX 1 -0.5 0 VERTEX 1 0.5 0 VERTEX -1 0.5 0 "
               "TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1 " +
               textures +
               " END "
               "BLOCKS NUMFACES 1 FACES brick LIVES " +
               std::to_string(lives) + " ORIGIN 3 2 0 " + extra +
               " END WORLD LIMITS -10 10 -7 7 END";
    }
};

void expect_colour(rgb got, rgb want, const char* what)
{
    EXPECT_NEAR(got.r, want.r, 8) << what;
    EXPECT_NEAR(got.g, want.g, 8) << what;
    EXPECT_NEAR(got.b, want.b, 8) << what;
}

}  // namespace

TEST_F(MapRender, world_faces_fill_their_pixels_blend_and_survive_short_texcoord_lists)
{
    const std::string back_face =
        "FACE ID back VERTEX -10 -7 -1 VERTEX 10 -7 -1 VERTEX 10 7 -1 "
        "VERTEX -10 7 -1 TEXCOORD 0 0 TEXCOORD 4 0 TEXCOORD 4 3 TEXCOORD 0 3 TEXTURE " +
        red + " END ";
    const std::string back = "WORLD NUMFACES 1 FACES back LIMITS -10 10 -7 7 END " + back_face;
    const std::string square = "VERTEX -2 -2 0 VERTEX 2 -2 0 VERTEX 2 2 0 VERTEX -2 2 0 ";
    const struct {
        const char* name;
        std::string level;
        float x, y, z;
        rgb want;
    } cases[] = {
        {"centre", back, 0, 0, -1, {255, 0, 0}},
        {"bottom-left corner", back, -9.5f, -6.5f, -1, {255, 0, 0}},
        {"top-right corner", back, 9.5f, 6.5f, -1, {255, 0, 0}},
        {"right of the face", back, 13, 0, -1, {0, 0, 0}},
        {"above the face", back, 0, 8, -1, {0, 0, 0}},
        {"half-transparent colour blends over what was drawn",
         "WORLD NUMFACES 2 FACES back glass END " + back_face + "FACE ID glass " + square +
             "TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXCOORD 0 1 TEXTURE " + blue +
             " SHADER COLOR 4 3 0.5 0.5 0.001 END",
         0,
         0,
         0,
         {128, 0, 128}},
        {"one texcoord for four vertices",
         "WORLD NUMFACES 1 FACES f END FACE ID f " + square + "TEXCOORD 0.5 0.5 TEXTURE " + green +
             " END",
         0,
         0,
         0,
         {0, 255, 0}},
    };
    for (const auto& c : cases) {
        Map map;
        load(map, c.level);
        frame(map, 100);
        expect_colour(at(c.x, c.y, c.z), c.want, c.name);
    }
}

TEST_F(MapRender, block_shows_its_hit_count_texture_vanishes_once_destroyed_and_leaves_blending_on)
{
    const struct {
        const char* name;
        int textures, lives, hits;
        bool alive;
        rgb want;
    } cases[] = {
        {"no hit yet: texture 0", 2, 2, 0, true, {0, 255, 0}},
        {"one hit: texture 1", 2, 2, 1, true, {0, 0, 255}},
        {"destroyed", 2, 2, 1, false, {0, 0, 0}},
        {"unbreakable groups always show texture 0", 2, 0, 1, true, {0, 255, 0}},
        {"hits beyond the loaded textures: untextured in the face colour",
         1,
         5,
         3,
         true,
         {255, 255, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Map map;
        load(map,
             brick_level("TEXTURE " + green + (c.textures > 1 ? " TEXTURE " + blue : ""), c.lives));
        s_block& block = map.getMap()->groups[0].blocks[0];
        block.hits = c.hits;
        block.alive = c.alive;
        glDisable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ZERO);
        glEnable(GL_TEXTURE_2D);
        frame(map, 0);
        // render leaves blending on for alpha and texturing off.
        GLint src = 0, dst = 0;
        glGetIntegerv(GL_BLEND_SRC, &src);
        glGetIntegerv(GL_BLEND_DST, &dst);
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(src, GL_SRC_ALPHA);
        EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
        expect_colour(at(3, 2, 0), c.want, "at the block");
        expect_colour(at(0, 0, 0), {0, 0, 0}, "beside the block");
    }
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
    expect_colour(at(3, 2, 0), {0, 0, 255}, "second path drawn as index 0");
}

TEST_F(MapRender, movements_advance_while_drawing_and_stop_for_destroyed_blocks)
{
    Map map;
    load(map, brick_level("TEXTURE " + green, 1, "ORIGIN -3 -2 0 MOVE HORIZONTAL 2 4 2000"));
    s_block_group& group = map.getMap()->groups[0];
    frame(map, 1000);
    EXPECT_FLOAT_EQ(group.blocks[0].position.x, 5.0f);
    EXPECT_FLOAT_EQ(group.blocks[1].position.x, -1.0f);
    expect_colour(at(5, 2, 0), {0, 255, 0}, "moved block drawn where it moved to");
    expect_colour(at(3, 2, 0), {0, 0, 0}, "and no longer at its origin");
    group.blocks[0].alive = false;
    frame(map, 2000);
    EXPECT_FLOAT_EQ(group.blocks[0].position.x, 5.0f);
    EXPECT_FLOAT_EQ(group.blocks[1].position.x, 1.0f);
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
