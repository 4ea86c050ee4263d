// Map reader: the format's structure, its odd corners, and the bad-input rejections.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "level/move.h"
#include "level/shader.h"
#include "shell/vertex.h"
#include "tests/level/level_files.h"

TEST(ReaderExample, gives_the_documented_structure)
{
    s_map map;
    ASSERT_EQ(read_level(EXAMPLE_LEVEL, map), "");
    ASSERT_EQ(map.faces.size(), 2u);
    EXPECT_EQ(map.faces[0].id, "back");
    EXPECT_EQ(map.faces[1].id, "brick");
    EXPECT_EQ(map.world.face_indices, std::vector<int>{0});
    EXPECT_EQ(map.world.limits, (std::vector<float>{-10, 10, -7, 7}));
    ASSERT_EQ(map.groups.size(), 1u);
    const s_block_group& group = map.groups[0];
    EXPECT_EQ(group.face_indices, std::vector<int>{1});
    EXPECT_EQ(group.lives, 2);
    ASSERT_EQ(group.blocks.size(), 2u);
    EXPECT_TRUE(group.blocks[1].alive);
    EXPECT_EQ(group.blocks[1].hits, 0);
    EXPECT_EQ(group.blocks[1].position.x, 4.0f);
    const float want[3][2] = {{-1, 1}, {-0.5f, 0.5f}, {0, 0}};
    for (int a = 0; a < 3; a++) {
        EXPECT_EQ(group.sizes[a][0], want[a][0]);
        EXPECT_EQ(group.sizes[a][1], want[a][1]);
    }
    ASSERT_EQ(group.moves.size(), 1u);
    EXPECT_EQ(group.moves[0].func, &move_horizontal);
    EXPECT_EQ(group.moves[0].params, (std::vector<float>{3, 2000}));
    EXPECT_EQ(map.faces[0].shaders[0].func, &shader_scroll);
    EXPECT_EQ(map.faces[1].textures, (std::vector<std::string>{"data/brick0.png", "data/brick1.png"}));
    EXPECT_EQ(map.faces[0].color[3], 1.0f);
}

TEST(ReaderExample, print_matches_the_format_byte_for_byte)
{
    s_map map;
    level_dir dir;
    std::string path = dir.write("example.map", EXAMPLE_LEVEL);
    Reader reader(path);
    reader.read(map);
    std::ostringstream out;
    reader.print(map, out);
    const char* want =
        "WORLD: \n\tNUMFACES 1\n\tFACES 0 \n\tLIMITS -10 10 -7 7 \nEND\n"
        "BLOCK GROUP: \n\tFACES 1 \n\tBLOCKS \n\t\tBLOCK -4 5 0\n\t\tBLOCK 4 5 0\n\tEND\n"
        "\tSIZES MIN -1 -0.5 0\n\tSIZES MAX 1 0.5 0\n"
        "FACE\n\tID back\n"
        "\tVERTICE -10 -7 -1\n\tVERTICE 10 -7 -1\n\tVERTICE 10 7 -1\n\tVERTICE -10 7 -1\n"
        "\tCURVERTICE -10 -7 -1\n\tCURVERTICE 10 -7 -1\n\tCURVERTICE 10 7 -1\n\tCURVERTICE -10 7 -1\n"
        "\tTEXCOORD 0 0\n\tTEXCOORD 4 0\n\tTEXCOORD 4 3\n\tTEXCOORD 0 3\n"
        "\tCURTEXCOORD 0 0\n\tCURTEXCOORD 4 0\n\tCURTEXCOORD 4 3\n\tCURTEXCOORD 0 3\nEND\n"
        "FACE\n\tID brick\n"
        "\tVERTICE -1 -0.5 0\n\tVERTICE 1 -0.5 0\n\tVERTICE 1 0.5 0\n\tVERTICE -1 0.5 0\n"
        "\tCURVERTICE -1 -0.5 0\n\tCURVERTICE 1 -0.5 0\n\tCURVERTICE 1 0.5 0\n\tCURVERTICE -1 0.5 0\n"
        "\tTEXCOORD 0 0\n\tTEXCOORD 1 0\n\tTEXCOORD 1 1\n\tTEXCOORD 0 1\n"
        "\tCURTEXCOORD 0 0\n\tCURTEXCOORD 1 0\n\tCURTEXCOORD 1 1\n\tCURTEXCOORD 0 1\nEND\n";
    EXPECT_EQ(out.str(), want);
}

TEST(ReaderExample, print_uses_six_significant_digits_and_exponents_like_printf_g)
{
    s_map map;
    ASSERT_EQ(read_level("WORLD LIMITS 0.1234567 1e-7 1234567 -0.5 END", map), "");
    std::ostringstream out;
    level_dir dir;
    Reader reader(dir.write("any.map", ""));
    reader.print(map, out);
    EXPECT_NE(out.str().find("\tLIMITS 0.123457 1e-07 1.23457e+06 -0.5 \n"), std::string::npos);
}

TEST(ReaderOpen, missing_file_throws_exactly_could_not_open_file_and_the_name)
{
    try {
        Reader reader("no/such/level.map");
        FAIL() << "no exception";
    } catch (const std::string& message) {
        EXPECT_EQ(message, "Could not open file no/such/level.map");
    }
    level_dir dir;
    EXPECT_THROW(Reader reader(dir.path), std::string);  // a directory is no map file
}

TEST(ReaderGrammar, empty_file_gives_an_empty_level)
{
    s_map map;
    EXPECT_EQ(read_level("", map), "");
    EXPECT_TRUE(map.faces.empty());
    EXPECT_TRUE(map.groups.empty());
    EXPECT_EQ(map.world.face_count, 0);
    EXPECT_TRUE(map.world.limits.empty());
}

TEST(ReaderGrammar, title_words_and_stray_keywords_between_blocks_are_skipped)
{
    s_map map;
    ASSERT_EQ(read_level("My Little Level END VERTEX 1 2 3\nFACE ID a END\nby me\n", map), "");
    ASSERT_EQ(map.faces.size(), 1u);
    EXPECT_EQ(map.faces[0].id, "a");
    EXPECT_TRUE(map.faces[0].vertices.empty());
}

TEST(ReaderGrammar, end_read_as_an_argument_is_that_argument)
{
    s_map map;
    ASSERT_EQ(read_level("FACE ID END VERTEX 1 2 3 TEXTURE END END "
                         "BLOCKS NUMFACES 1 FACES END ORIGIN 0 0 0 END",
                         map), "");
    ASSERT_EQ(map.faces.size(), 1u);
    EXPECT_EQ(map.faces[0].id, "END");
    EXPECT_EQ(map.faces[0].vertices.size(), 1u);
    EXPECT_EQ(map.faces[0].textures, std::vector<std::string>{"END"});
    ASSERT_EQ(map.groups.size(), 1u);
    EXPECT_EQ(map.groups[0].face_indices, std::vector<int>{0});
    EXPECT_EQ(map.groups[0].blocks.size(), 1u);
}

TEST(ReaderGrammar, two_faces_with_one_identifier_are_kept_and_the_later_wins)
{
    s_map map;
    ASSERT_EQ(read_level("FACE ID a VERTEX 0 0 0 END FACE ID a VERTEX 5 5 5 END "
                         "WORLD NUMFACES 1 FACES a END",
                         map), "");
    EXPECT_EQ(map.faces.size(), 2u);
    EXPECT_EQ(map.world.face_indices, std::vector<int>{1});
}

TEST(ReaderGrammar, limits_twice_append_eight_values_and_a_second_world_adds_to_the_first)
{
    s_map map;
    ASSERT_EQ(read_level("FACE ID a END FACE ID b END "
                         "WORLD LIMITS 1 2 3 4 LIMITS 5 6 7 8 NUMFACES 1 FACES a END "
                         "WORLD NUMFACES 2 FACES b a END",
                         map), "");
    EXPECT_EQ(map.world.limits, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(map.world.face_ids, (std::vector<std::string>{"a", "b", "a"}));
    EXPECT_EQ(map.world.face_indices, (std::vector<int>{0, 1}));
    EXPECT_EQ(map.world.face_count, 2);
}

TEST(ReaderGrammar, unknown_kinds_do_nothing_but_keep_their_parameters)
{
    s_map map;
    ASSERT_EQ(read_level("FACE ID a SHADER DUMMY 0 SHADER SPARKLE 2 7 8 END "
                         "BLOCKS MOVE ZIGZAG 2 1 1 MOVE rotate 1 5 END",
                         map), "");
    const s_face& face = map.faces[0];
    ASSERT_EQ(face.shaders.size(), 2u);
    EXPECT_EQ(face.shaders[0].func, &shader_dummy);
    EXPECT_TRUE(face.shaders[0].params.empty());
    EXPECT_EQ(face.shaders[1].func, &shader_dummy);
    EXPECT_EQ(face.shaders[1].params, (std::vector<float>{7, 8}));
    const s_block_group& group = map.groups[0];
    EXPECT_EQ(group.moves[0].func, &move_dummy);
    EXPECT_EQ(group.moves[0].params, (std::vector<float>{1, 1}));
    EXPECT_EQ(group.moves[1].func, &move_dummy);  // keywords are case sensitive
}

TEST(ReaderGrammar, keyword_of_another_block_is_skipped_with_its_numbers)
{
    s_map map;
    ASSERT_EQ(read_level("FACE ID a ORIGIN 1 2 3 VERTEX 4 5 6 LIMITS 1 2 3 4 END", map), "");
    ASSERT_EQ(map.faces[0].vertices.size(), 1u);
    EXPECT_EQ(map.faces[0].vertices[0].x, 4.0f);
}

TEST(ReaderGrammar, face_defined_after_the_group_that_uses_it_resolves)
{
    s_map map;
    ASSERT_EQ(read_level("BLOCKS NUMFACES 2 FACES late early ORIGIN 0 0 0 END "
                         "FACE ID early VERTEX -2 0 0 END FACE ID late VERTEX -1 3 1 VERTEX -1.5 4 1 END",
                         map), "");
    EXPECT_EQ(map.groups[0].face_indices, (std::vector<int>{1, 0}));
    EXPECT_EQ(map.groups[0].sizes[0][0], -2.0f);
    EXPECT_EQ(map.groups[0].sizes[0][1], -1.0f);  // wholly negative box
    EXPECT_EQ(map.groups[0].sizes[1][0], 0.0f);
    EXPECT_EQ(map.groups[0].sizes[1][1], 4.0f);
}

TEST(ReaderGrammar, unknown_identifier_resolves_to_the_first_face)
{
    s_map map;
    ASSERT_EQ(read_level("FACE ID a END FACE ID b END WORLD NUMFACES 2 FACES b ghost END", map), "");
    EXPECT_EQ(map.world.face_indices, (std::vector<int>{1, 0}));
}

TEST(ReaderGrammar, group_without_faces_keeps_the_empty_box_and_move_start_is_the_clock)
{
    gl_vertex.ticks = 4321;
    s_map map;
    ASSERT_EQ(read_level("BLOCKS LIVES -3 MOVE VERTICAL 2 1 500 END", map), "");
    gl_vertex.ticks = 0;
    const s_block_group& group = map.groups[0];
    EXPECT_EQ(group.sizes[0][0], std::numeric_limits<float>::max());
    EXPECT_EQ(group.sizes[0][1], std::numeric_limits<float>::lowest());
    EXPECT_EQ(group.lives, -3);
    EXPECT_EQ(group.moves[0].start, 4321.0f);
    EXPECT_FALSE(group.moves[0].reverse);
}

TEST(ReaderCounts, faces_before_numfaces_resolves_nothing)
{
    s_map map;
    ASSERT_EQ(read_level("FACE ID a END WORLD FACES a NUMFACES 1 END", map), "");
    EXPECT_TRUE(map.world.face_ids.empty());
    EXPECT_TRUE(map.world.face_indices.empty());
    EXPECT_EQ(map.world.face_count, 0);
}

TEST(ReaderCounts, count_raised_after_faces_resolves_only_the_identifiers_read)
{
    s_map map;
    ASSERT_EQ(read_level("FACE ID a END BLOCKS NUMFACES 1 FACES a NUMFACES 1000000 END", map), "");
    EXPECT_EQ(map.groups[0].face_indices, std::vector<int>{0});
    EXPECT_EQ(map.groups[0].face_count, 1);
}

TEST(ReaderCounts, negative_count_is_zero)
{
    s_map map;
    ASSERT_EQ(read_level("FACE ID a END WORLD NUMFACES -5 FACES a END", map), "");
    EXPECT_EQ(map.world.face_count, 0);
    EXPECT_TRUE(map.world.face_indices.empty());
    EXPECT_TRUE(map.world.face_ids.empty());  // "a" was skipped as an unknown token
}

TEST(ReaderCounts, huge_counts_reserve_nothing_and_stop_at_the_end_of_the_file)
{
    s_map map;
    EXPECT_EQ(read_level("WORLD\nNUMFACES 2000000000\nFACES a b\n", map),
              ":3: expected a face identifier after FACES, found the end of the file");
    s_map shader_map;
    EXPECT_EQ(read_level("FACE\nSHADER ROTATE 2147483647 1 2\n", shader_map),
              ":2: expected a number after SHADER, found the end of the file");
}

TEST(ReaderRejects, end_of_file_inside_each_block)
{
    s_map a, b, c;
    EXPECT_EQ(read_level("WORLD\nNUMFACES 0\n", a),
              ":2: the file ends inside the WORLD block begun on line 1 (END is missing)");
    EXPECT_EQ(read_level("\n\nFACE ID x\nVERTEX 1 2 3", b),
              ":4: the file ends inside the FACE block begun on line 3 (END is missing)");
    EXPECT_EQ(read_level("BLOCKS\n", c),
              ":1: the file ends inside the BLOCKS block begun on line 1 (END is missing)");
}

TEST(ReaderRejects, tokens_that_are_not_the_number_expected)
{
    const struct { const char* text; const char* message; } cases[] = {
        {"FACE\nVERTEX 1 x 3 END", ":2: expected a number after VERTEX, found \"x\""},
        {"FACE\nVERTEX 1 2", ":2: expected a number after VERTEX, found the end of the file"},
        {"WORLD\n\nNUMFACES 1.5 END", ":3: expected an integer after NUMFACES, found \"1.5\""},
        {"WORLD LIMITS 1 2 3 nan END", ":1: expected a number after LIMITS, found \"nan\""},
        {"WORLD LIMITS 1 2 3 1e39 END", ":1: expected a number after LIMITS, found \"1e39\""},
        {"WORLD LIMITS 1 2 3 0x10 END", ":1: expected a number after LIMITS, found \"0x10\""},
        {"WORLD LIMITS 1 2 3 4e END", ":1: expected a number after LIMITS, found \"4e\""},
        {"BLOCKS LIVES 99999999999 END", ":1: expected an integer after LIVES, found \"99999999999\""},
        {"BLOCKS ORIGIN 1 2 \x01\x7f END", ":1: expected a number after ORIGIN, found \"??\""},
        {"FACE TEXCOORD . 1 END", ":1: expected a number after TEXCOORD, found \".\""},
        {"BLOCKS MOVE CIRCLE two 1 2 END", ":1: expected an integer after MOVE, found \"two\""},
    };
    for (const auto& c : cases) {
        s_map map;
        EXPECT_EQ(read_level(c.text, map), c.message) << c.text;
    }
}

TEST(ReaderRejects, accepts_every_ordinary_number_spelling)
{
    s_map map;
    ASSERT_EQ(read_level("WORLD LIMITS +1 -2. .5 1.5E+2 LIMITS 1e-45 -0 007 3e0 END", map), "");
    EXPECT_EQ(map.world.limits[0], 1.0f);
    EXPECT_EQ(map.world.limits[1], -2.0f);
    EXPECT_EQ(map.world.limits[2], 0.5f);
    EXPECT_EQ(map.world.limits[3], 150.0f);
    EXPECT_GT(map.world.limits[4], 0.0f);  // underflow keeps the tiny value
    EXPECT_EQ(map.world.limits[6], 7.0f);
}

TEST(ReaderRejects, identifier_when_the_file_defines_no_face)
{
    s_map map;
    EXPECT_EQ(read_level("WORLD\nNUMFACES 1\nFACES back\nEND\n", map),
              ":3: face \"back\" is used but the file defines no FACE");
    s_map group_map;
    EXPECT_EQ(read_level("BLOCKS NUMFACES 1\n\nFACES brick END", group_map),
              ":3: face \"brick\" is used but the file defines no FACE");
}

TEST(ReaderRejects, movement_durations_of_zero_or_below)
{
    s_map a, b, c;
    EXPECT_EQ(read_level("BLOCKS\nMOVE HORIZONTAL 2 3 0\nEND", a),
              ":2: MOVE HORIZONTAL needs a duration above 0 ms, found 0");
    EXPECT_EQ(read_level("BLOCKS\n\nMOVE CIRCLE 2 1 -500 END", b),
              ":3: MOVE CIRCLE needs a duration above 0 ms, found -500");
    // Kinds that do nothing divide by nothing.
    EXPECT_EQ(read_level("BLOCKS MOVE DUMMY 2 1 0 MOVE WOBBLE 2 1 0 END", c), "");
}

TEST(ReaderRejects, short_movements_and_shaders_behave_as_dummy)
{
    s_map map;
    ASSERT_EQ(read_level("FACE SHADER COLOR 3 1 2 3 SHADER ROTATE 0 SHADER ROTZOOM 1 0.1 END "
                         "BLOCKS MOVE VERTICAL 1 5 MOVE DIAGONAL -4 END",
                         map), "");
    EXPECT_EQ(map.faces[0].shaders[0].func, &shader_dummy);
    EXPECT_EQ(map.faces[0].shaders[1].func, &shader_dummy);
    EXPECT_EQ(map.faces[0].shaders[2].func, &shader_rotzoom);
    EXPECT_EQ(map.faces[0].shaders[0].params.size(), 3u);
    EXPECT_EQ(map.groups[0].moves[0].func, &move_dummy);
    EXPECT_EQ(map.groups[0].moves[1].func, &move_dummy);
}

TEST(ReaderLimits, require_limits_rejects_a_world_without_four)
{
    level_dir dir;
    s_map map;
    std::string path = dir.write("flat.map", "FACE ID a END\nWORLD LIMITS 1 2 3\n4 END");
    Reader reader(path);
    reader.read(map);
    EXPECT_NO_THROW(reader.requireLimits(map));
    s_map empty;
    Reader second(dir.write("empty.map", "\n\nWORLD END"));
    second.read(empty);
    try {
        second.requireLimits(empty);
        FAIL() << "no exception";
    } catch (const std::string& message) {
        EXPECT_EQ(message, dir.path + "/empty.map:3: the world needs LIMITS with four numbers "
                                      "(left, right, bottom, top)");
    }
}

TEST(ReaderScanner, line_numbers_count_every_line_end_including_blank_and_crlf_lines)
{
    s_map map;
    EXPECT_EQ(read_level("\r\n\r\n\t \n  FACE\r\n VERTEX 1 2\r\n\r\n oops END", map),
              ":7: expected a number after VERTEX, found \"oops\"");
}

TEST(ReaderScanner, tokens_spanning_buffer_refills_are_read_whole)
{
    std::string text = "FACE ID ";
    text += std::string(READER_CHUNK - text.size() - 2, 'x') + "yyyy END";
    s_map map;
    ASSERT_EQ(read_level(text, map), "");
    EXPECT_EQ(map.faces[0].id.size(), (size_t)READER_CHUNK - 8 - 2 + 4);
}

TEST(ReaderScanner, a_megabyte_level_reads_quickly)
{
    std::string text = "WORLD LIMITS -10 10 -7 7 NUMFACES 1 FACES f0 END\n";
    int faces = 0;
    while (text.size() < 1000000) {
        text += "FACE ID f" + std::to_string(faces++) +
                " VERTEX -1.25 -0.5 0 VERTEX 1.25 -0.5 0 VERTEX 1.25 0.5 0\n"
                "TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXTURE data/brick.png END\n"
                "BLOCKS NUMFACES 1 FACES f0 LIVES 1 ORIGIN 3.5 2.25 0 END\n";
    }
    s_map map;
    auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(read_level(text, map), "");
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    EXPECT_EQ((int)map.faces.size(), faces);
    // Generous: the figure that matters is taken from the Release build.
    EXPECT_LT(ms, 1000.0);
    RecordProperty("read_ms", (int)ms);
}
