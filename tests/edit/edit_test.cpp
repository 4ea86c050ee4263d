// The editor's operations on level records, without a window: each one and its
// undo, random runs of them undone and redone, saving and what it keeps; and
// the printed form every save uses reading back as itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "edit/edit.h"
#include "level/move.h"
#include "level/reader.h"
#include "tests/support/test_support.h"

using namespace test_support;

namespace {

// The level as a map file: equal texts, equal levels (numbers print exactly).
std::string text(const s_edit& edit)
{
    return edit_text(edit.map);
}

// Reads path as the game does and prints it; the reader's message when it refuses.
std::string reprint(const std::string& path)
{
    s_map map;
    std::string error;
    return reader_load(path, map, &error) ? error : edit_text(map);
}

// The blocks of every group as "group:x,y" words, in order.
std::string blocks(const s_edit& edit)
{
    std::ostringstream out;
    for (size_t g = 0; g < edit.map.groups.size(); g++)
        for (const s_block& b : edit.map.groups[g].blocks)
            out << g << ":" << b.origin.x << "," << b.origin.y << " ";
    return out.str();
}

// A template level open in the editor, with one group of blocks at (0, 5) and (2, 5).
void open_two(s_edit& edit)
{
    s_map map;
    edit_template(map);
    edit_open(&edit, map);
    edit_place(&edit, 0, 5);
    edit_place(&edit, 2, 5);
}

}  // namespace

TEST(edit, each_operation_changes_the_level_as_an_author_expects_and_undo_gives_it_back)
{
    // clang-format off
    struct {
        const char* name;
        std::function<int(s_edit&)> op;
        int status;          // what the operation returns
        const char* after;   // blocks afterwards; null: unchanged
        std::function<bool(const s_edit&)> holds;  // besides the blocks
    } rows[] = {
        {"place joins the current group", [](s_edit& e) { return edit_place(&e, -3, 1.5f); },
         0, "0:0,5 0:2,5 0:-3,1.5 ", nullptr},
        {"move takes the selection", [](s_edit& e) { edit_select(&e, {0, 0}); return edit_move(&e, 1, -0.5f); },
         0, "0:1,4.5 0:2,5 ", nullptr},
        {"move without a selection does nothing", [](s_edit& e) { edit_select(&e, {EDIT_NONE, EDIT_NONE}); return edit_move(&e, 1, 1); },
         1, nullptr, nullptr},
        {"a box selects the blocks inside it", [](s_edit& e) { edit_select_box(&e, 3, 6, 1, 4); return edit_delete(&e); },
         0, "0:0,5 ", nullptr},
        {"a box takes the blocks on its edges", [](s_edit& e) { edit_select_box(&e, 2, 5, 0, 5); return edit_delete(&e); },
         0, "", nullptr},
        {"delete removes every selected block", [](s_edit& e) { edit_select_box(&e, -9, -9, 9, 9); return edit_delete(&e); },
         0, "", [](const s_edit& e) { return e.map.groups[0].blocks.empty() && e.selection.empty(); }},
        {"duplicate copies one grid step right, the copies selected", [](s_edit& e) { edit_select_box(&e, -9, -9, 9, 9); return edit_duplicate(&e); },
         0, "0:0,5 0:2,5 0:1,5 0:3,5 ", [](const s_edit& e) { return e.selection.size() == 2 && e.selection[0].block == 2; }},
        {"a new group takes the current faces and one life", [](s_edit& e) { return edit_group_new(&e) + edit_place(&e, 0, 0); },
         0, "0:0,5 0:2,5 1:0,0 ", [](const s_edit& e) { return e.group == 1 && e.map.groups[1].lives == 1 && e.map.groups[1].face_ids == e.map.groups[0].face_ids; }},
        {"Tab goes round the groups", [](s_edit& e) { edit_group_new(&e); edit_group_next(&e); return edit_place(&e, 0, 0); },
         0, "0:0,5 0:2,5 0:0,0 ", nullptr},
        {"lives stop at five", [](s_edit& e) { return edit_lives(&e, 9); },
         0, nullptr, [](const s_edit& e) { return e.map.groups[0].lives == EDIT_LIVES_MAX; }},
        {"lives 0 is unbreakable", [](s_edit& e) { return edit_lives(&e, -2); },
         0, nullptr, [](const s_edit& e) { return e.map.groups[0].lives == 0; }},
        {"the same lives again is no step", [](s_edit& e) { return edit_lives(&e, 1); },
         1, nullptr, nullptr},
        {"the next face replaces the group's faces and its box", [](s_edit& e) { return edit_face_next(&e); },
         0, nullptr, [](const s_edit& e) { return e.map.groups[0].face_ids == std::vector<std::string>{"blue"} && e.map.groups[0].face_indices[0] == 5 && e.map.groups[0].sizes[0][1] == 0.9f; }},
        {"a face is added, and taken away", [](s_edit& e) { return edit_face_toggle(&e, 6) + edit_face_toggle(&e, 4); },
         0, nullptr, [](const s_edit& e) { return e.map.groups[0].face_ids == std::vector<std::string>{"green"}; }},
        {"the last face stays", [](s_edit& e) { return edit_face_toggle(&e, 4); },
         1, nullptr, nullptr},
        {"a world face is not a block face", [](s_edit& e) { return edit_face_toggle(&e, 0); },
         1, nullptr, nullptr},
        {"a movement comes with its numbers", [](s_edit& e) { return edit_move_add(&e, "VERTICAL"); },
         0, nullptr, [](const s_edit& e) { return e.map.groups[0].moves[0].params == std::vector<float>{2, 2000}; }},
        {"a kind that does not move is refused", [](s_edit& e) { return edit_move_add(&e, "DUMMY"); },
         1, nullptr, nullptr},
        {"numbers change in steps, the duration kept from 250 ms", [](s_edit& e) { edit_move_add(&e, "CIRCLE"); edit_move_number(&e, 0, 0, -3); return edit_move_number(&e, 0, 1, -100); },
         0, nullptr, [](const s_edit& e) { return e.map.groups[0].moves[0].params == std::vector<float>{-1.5f, 250}; }},
        {"the kind goes round the moving ones", [](s_edit& e) { edit_move_add(&e, "VERTICAL"); return edit_move_kind(&e, 0); },
         0, nullptr, [](const s_edit& e) { return edit_move_name(e.map.groups[0].moves[0]) == std::string("CIRCLE"); }},
        {"a movement is removed", [](s_edit& e) { edit_move_add(&e, "VERTICAL"); edit_move_add(&e, "CIRCLE"); return edit_move_remove(&e, 0); },
         0, nullptr, [](const s_edit& e) { return e.map.groups[0].moves.size() == 1 && e.map.groups[0].moves[0].params[0] == 0; }},
        {"limits move", [](s_edit& e) { return edit_limit(&e, 3, 12.5f) + edit_limit(&e, 0, -12); },
         0, nullptr, [](const s_edit& e) { return e.map.world.limits == std::vector<float>{-12, 11, -9, 12.5f}; }},
        {"a limit cannot close the field", [](s_edit& e) { return edit_limit(&e, 0, 10.5f); },
         1, nullptr, nullptr},
        {"a drag is one step, none when it ends where it began, and after it each change is one", [](s_edit& e) { edit_select(&e, {0, 1}); edit_begin(&e); edit_move(&e, 1, 0); edit_move(&e, -1, 0); edit_end(&e); edit_begin(&e); edit_move(&e, 1, 0); edit_move(&e, 1, 1); edit_end(&e); edit_lives(&e, 2); edit_lives(&e, 3); return (int)e.undo.size() - 5; },
         0, "0:0,5 0:4,6 ", nullptr},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        s_edit edit;
        open_two(edit);
        std::string before = text(edit), blocks_before = blocks(edit);
        size_t steps = edit.undo.size();
        EXPECT_EQ(row.op(edit), row.status);
        EXPECT_EQ(blocks(edit), row.after ? row.after : blocks_before);
        if (row.holds) {
            EXPECT_TRUE(row.holds(edit));
        }
        EXPECT_EQ(edit_dirty(&edit), 1);
        if (row.status != 0) {
            EXPECT_EQ(text(edit), before);
            EXPECT_EQ(edit.undo.size(), steps);
            continue;
        }
        std::string after = text(edit);
        while (edit.undo.size() > steps)
            edit_undo(&edit);
        EXPECT_EQ(text(edit), before);
        while (edit_redo(&edit) == 0) {
        }
        EXPECT_EQ(text(edit), after);
    }
}

TEST(edit, a_new_map_starts_from_the_template_and_a_first_block_starts_a_group)
{
    TempDir dir;
    s_map map;
    std::string error;
    ASSERT_EQ(edit_load(dir.file("new.map").c_str(), map, &error), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.map")));
    s_edit edit;
    edit_open(&edit, map);
    EXPECT_EQ(edit.group, EDIT_NONE);
    EXPECT_EQ(edit_dirty(&edit), 0);
    std::vector<int> faces;
    edit_block_faces(edit.map, faces);
    EXPECT_EQ(faces.size(), 5u);         // four bricks and steel
    EXPECT_EQ(edit_lives(&edit, 3), 1);  // no group to change yet
    EXPECT_EQ(edit_place(&edit, 0.5f, 2), 0);
    EXPECT_EQ(edit.map.groups[0].face_ids, std::vector<std::string>{"red"});
    EXPECT_EQ(edit.map.groups[0].lives, 1);
    EXPECT_EQ(edit_pick(&edit, 1.3f, 2.4f).block, 0);
    EXPECT_EQ(edit_pick(&edit, 1.5f, 2).group, EDIT_NONE);
    EXPECT_EQ(edit_pick(&edit, 0.5f + 0.9f, 2 + 0.45f).block, 0);  // the box's edges are its own
    EXPECT_EQ(edit_pick(&edit, 0.5f - 0.9f, 2 - 0.45f).block, 0);
    EXPECT_EQ(edit_snap(1.26f, 0), 1.5f);
    EXPECT_EQ(edit_snap(-0.74f, 0), -0.5f);
    EXPECT_EQ(edit_snap(1.26f, 1), 1.26f);
}

TEST(edit, saving_writes_what_reads_back_keeps_the_old_file_and_never_a_refused_level)
{
    TempDir dir;
    std::string path = dir.file("level.map");
    s_edit edit;
    open_two(edit);
    std::vector<s_check_note> notes;
    std::string error;
    ASSERT_EQ(edit_save(&edit, path.c_str(), &notes, &error), 0) << error;
    EXPECT_EQ(reprint(path), text(edit));
    EXPECT_EQ(edit_dirty(&edit), 0);
    EXPECT_TRUE(notes.empty());
    EXPECT_FALSE(std::filesystem::exists(path + "~"));
    std::string first = read_file(path);

    edit_lives(&edit, 4);
    edit_place(&edit, 30, 5);  // outside the field: the checker says so, the save goes on
    ASSERT_EQ(edit_save(&edit, path.c_str(), &notes, &error), 0) << error;
    EXPECT_EQ(read_file(path + "~"), first);
    ASSERT_FALSE(notes.empty());
    EXPECT_TRUE(notes[0].error);
    EXPECT_NE(notes[0].text.find("leaves the field"), std::string::npos) << notes[0].text;

    // A level the game would refuse is not written, and the file stays as it was.
    std::string second = read_file(path);
    edit.map.groups[0].moves.push_back({{1, 0}, nullptr});
    edit.map.groups[0].moves.back().func = level_kind(g_mitems, "HORIZONTAL")->func;
    EXPECT_EQ(edit_save(&edit, path.c_str(), &notes, &error), 1);
    EXPECT_EQ(error.rfind(path + ":", 0), 0u) << error;
    EXPECT_NE(error.find("needs a duration"), std::string::npos) << error;
    EXPECT_EQ(read_file(path), second);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path),
                            std::filesystem::directory_iterator{}),
              2);

    // A map that is there but does not read is refused by name and line, never replaced.
    std::string broken = dir.write("broken.map", "WORLD\nLIMITS 1 2\n");
    s_map map;
    EXPECT_EQ(edit_load(broken.c_str(), map, &error), 1);
    EXPECT_EQ(error, broken + ":2: expected a number after LIMITS, found the end of the file");
}

TEST(edit, random_operations_undo_to_the_start_redo_to_the_end_and_every_save_reads_back)
{
    TempDir dir;
    std::string path = dir.file("random.map");
    std::mt19937 rng(26);
    for (int run = 0; run < 20; run++) {
        s_edit edit;
        s_map map;
        edit_template(map);
        edit_open(&edit, map);
        std::string start = text(edit);
        auto coord = [&] { return (float)(int)(rng() % 37) * 0.5f - 9; };
        std::vector<std::string> seen = {start};
        for (int step = 0; step < 40; step++) {
            int picked = (int)(rng() % 12), at = (int)(rng() % 3);
            switch (picked) {
            case 0:
            case 1:
                edit_place(&edit, coord(), coord());
                break;
            case 2:
                edit_select(&edit, edit_pick(&edit, coord(), coord()));
                edit_move(&edit, 0.5f, -1);
                break;
            case 3:
                edit_select_box(&edit, coord(), coord(), coord(), coord());
                edit_delete(&edit);
                break;
            case 4:
                edit_select_box(&edit, coord(), coord(), coord(), coord());
                edit_duplicate(&edit);
                break;
            case 5:
                edit_group_new(&edit);
                break;
            case 6:
                edit_group_next(&edit);
                edit_lives(&edit, at * 2);
                break;
            case 7:
                edit_face_next(&edit);
                edit_face_toggle(&edit, 5 + at);
                break;
            case 8:
                edit_move_add(&edit, at ? "DIAGONAL" : "CIRCLE");
                edit_move_kind(&edit, at);
                break;
            case 9:
                edit_move_number(&edit, at, at % 2, (int)(rng() % 9) - 4);
                edit_move_remove(&edit, at + 1);
                break;
            case 10:
                edit_limit(&edit, at, coord() * 2);
                break;
            case 11:
                edit_undo(&edit);
                break;
            }
            if (step % 8 == 7) {
                std::vector<s_check_note> notes;
                std::string error;
                ASSERT_EQ(edit_save(&edit, path.c_str(), &notes, &error), 0) << error;
                ASSERT_EQ(reprint(path), text(edit)) << "run " << run << " step " << step;
            }
        }
        // Redo goes on past the end when the run ended undoing: as many as were done.
        std::string end = text(edit);
        size_t done = edit.undo.size();
        while (edit_undo(&edit) == 0) {
        }
        EXPECT_EQ(text(edit), start) << "run " << run;
        for (size_t i = 0; i < done; i++)
            edit_redo(&edit);
        EXPECT_EQ(text(edit), end) << "run " << run;
    }
}

TEST(edit, printed_levels_read_back_and_print_as_the_same_text)
{
    TempDir dir;
    std::vector<std::string> maps;
    for (const auto& entry : std::filesystem::directory_iterator("levels"))
        if (entry.path().extension() == ".map")
            maps.push_back(entry.path());
    // What a hand-written map may hold: unknown kinds, too few numbers, a
    // face defined twice or after its use, an undefined one, odd numbers.
    maps.push_back(dir.write("odd.map",
                             "title words WORLD NUMFACES 3 FACES a b nowhere LIMITS -10 10 -8 8 "
                             "LIMITS 0 1 2 3 END BLOCKS NUMFACES 1 FACES a ORIGIN 0.1 -0 1e-7 "
                             "MOVE SPIN 2 1 1 MOVE HORIZONTAL 1 3 LIVES -2 END FACE ID a VERTEX "
                             "0 0 0 VERTEX 1 0 0 TEXCOORD 0.333333343 1 SHADER WAVE 2 1 2 "
                             "SHADER ROTATE 1 1e+20 TEXTURE data/x.png END FACE VERTEX 1 2 3 "
                             "END FACE ID a END"));
    ASSERT_GT(maps.size(), 5u);
    for (const std::string& map : maps) {
        SCOPED_TRACE(map);
        std::string once = reprint(map);
        std::string copy = dir.write("copy.map", once);
        EXPECT_EQ(reprint(copy), once);
        EXPECT_EQ(once.rfind("WORLD\n", 0), 0u) << once;
    }
}
