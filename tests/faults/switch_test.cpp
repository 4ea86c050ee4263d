// A pack played in a whole game run: a cleared level is celebrated, then
// replaced in place by the next, whose limits every play object takes; the
// textures both levels use are kept and the rest released; a level spoiled
// meanwhile is reported and the cleared one plays on.
#include "faults_fixture.h"

#include "game/ball_list.h"

namespace faults_test {
namespace {

class PackRun : public GameRun {
protected:
    // The last hits of a player: every breakable block goes.
    void clear_level()
    {
        for (s_block_group& group : game_->map.getMap()->groups)
            if (group.lives > 0)
                for (s_block& block : group.blocks)
                    block.alive = false;
    }
    // ms of game time in frames of 100 ms.
    void play(u32 ms)
    {
        for (u32 t = 0; t < ms; t += 100)
            ASSERT_EQ(0, frame(100));
    }
    // The GL name the level's store holds for path, 0 if none.
    u32 texture(const char* path)
    {
        const s_surface* store = game_->map.getSurface();
        for (u32 i = 0; i < store->entry_count; i++)
            if (std::string(store->names + store->entries[i].name_offset) == path)
                return store->entries[i].texture;
        return 0;
    }
};

TEST_F(PackRun, cleared_level_gives_way_to_the_next_in_place_three_seconds_later)
{
    link_data();
    write_file("world2.bmp", solid_bmp(4, 4, 0, 0, 255));
    std::string two = level_text("world2.bmp");
    two.replace(two.find("LIMITS -10 10 -8 8"), 18, "LIMITS -4 8 -6 6");
    write_file("two.map", two);
    write_file("pack.txt", "level.map First\ntwo.map Second\n");
    ASSERT_EQ(0, start("."));
    EXPECT_STREQ(game_->hud.title, "First");
    u32 world = texture("world.bmp"), block = texture("block.bmp");
    ASSERT_TRUE(world && block);

    click();
    clear_level();
    u32 effects = game_->particles.group_count;
    ASSERT_EQ(0, frame());
    EXPECT_GT(game_->particles.group_count, effects) << "the celebration's first burst";
    play(2900);
    ball_list_insert(&game_->balls, 0, 0);
    bonus_list_insert(&game_->bonuses, 0, 0);
    ASSERT_EQ(0, frame(100));
    EXPECT_EQ(game_->balls.limits[0], -10) << "still the cleared level before three seconds";
    ASSERT_EQ(0, frame(100));

    EXPECT_STREQ(game_->hud.title, "Second");
    const f32 limits[4] = {-4, 8, -6, 6};
    for (int i = 0; i < 4; i++)
        EXPECT_TRUE(game_->balls.limits[i] == limits[i] && game_->bonuses.limits[i] == limits[i]);
    EXPECT_TRUE(game_->pad.limit_left == -4 && game_->pad.limit_right == 8);
    EXPECT_TRUE(game_->pad.coord.x == 2 && game_->pad.coord.y == -6);
    EXPECT_TRUE(game_->balls.empty && balls_in_play() == 0) << "the pad is ready to launch";
    for (int slot = 0; slot < 16; slot++)
        EXPECT_EQ(game_->bonuses.states[slot], 0);
    EXPECT_EQ(game_->camera.view_target->x, 2);
    EXPECT_TRUE(game_->camera.view.current.x > 0 && game_->camera.view.current.x < 2)
        << "the camera glides to the new field: " << game_->camera.view.current.x;
    EXPECT_EQ(game_->map.getSurface()->entry_count, 2u);
    EXPECT_EQ(texture("block.bmp"), block) << "a texture both levels use keeps its name";
    EXPECT_TRUE(texture("world2.bmp"));
    EXPECT_FALSE(glIsTexture(world)) << "the first level's own texture is released";

    // The first level spoiled on disk: reported when its turn comes, the cleared
    // level plays on, and the level after the spoiled one is tried a pause later.
    write_file("level.map", std::string("WORLD\nEND\n"));
    clear_level();
    begin_capture();
    play(3200);
    EXPECT_EQ(end_capture(),
              "./level.map:1: the world needs LIMITS with four numbers (left, right, bottom, "
              "top)\n");
    EXPECT_EQ(game_->balls.limits[0], -4);
    play(3000);
    EXPECT_STREQ(game_->hud.title, "Second");
    EXPECT_LT(game_->hud.title_ms, 1000) << "the second level came in again";
}

}  // namespace
}  // namespace faults_test
