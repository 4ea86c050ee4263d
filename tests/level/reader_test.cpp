// Map reader: the format's structure, its odd corners, and the bad-input rejections.
#include <gtest/gtest.h>

#include <sstream>

#include "level/move.h"
#include "level/shader.h"
#include "shell/vertex.h"
#include "tests/level/level_files.h"

namespace {

std::ostream& operator<<(std::ostream& out, const s_point& p)
{
    return out << "(" << p.x << " " << p.y << " " << p.z << ")";
}

template <class T> std::string list(const std::vector<T>& items)
{
    std::ostringstream out;
    for (size_t i = 0; i < items.size(); i++)
        out << (i ? " " : "") << items[i];
    return "[" + out.str() + "]";
}

const char* kind(shader_func func)
{
    const std::pair<shader_func, const char*> kinds[] = {
        {shader_dummy, "DUMMY"}, {shader_rotate, "ROTATE"}, {shader_scroll, "SCROLL"},
        {shader_turb, "TURB"},   {shader_wave, "WAVE"},     {shader_rotzoom, "ROTZOOM"},
        {shader_color, "COLOR"}};
    for (const auto& k : kinds)
        if (k.first == func)
            return k.second;
    return "?";
}

const char* kind(move_func func)
{
    const std::pair<move_func, const char*> kinds[] = {{move_dummy, "DUMMY"},
                                                       {move_circle, "CIRCLE"},
                                                       {move_diagonal, "DIAGONAL"},
                                                       {move_horizontal, "HORIZONTAL"},
                                                       {move_vertical, "VERTICAL"}};
    for (const auto& k : kinds)
        if (k.first == func)
            return k.second;
    return "?";
}

// What the reader made, on one line: faces with their vertices, textures and
// animations; the world's resolved faces, count and limits; each group's
// resolved faces, count, lives, block positions, box and movements.
std::string outline(const s_map& map)
{
    std::ostringstream out;
    for (const s_face& f : map.faces) {
        out << "face " << f.id << " " << list(f.vertices) << list(f.textures);
        for (const s_shader& s : f.shaders)
            out << " " << kind(s.func) << list(s.params);
        out << "; ";
    }
    out << "world " << list(map.world.face_indices) << "/" << map.world.face_count << " "
        << list(map.world.limits);
    for (const s_block_group& g : map.groups) {
        std::vector<s_point> at;
        for (const s_block& b : g.blocks)
            at.push_back(b.position);
        out << "; group " << list(g.face_indices) << "/" << g.face_count << " lives " << g.lives
            << " " << list(at) << " box "
            << list(std::vector<float>(&g.sizes[0][0], &g.sizes[0][0] + 6));
        for (const s_move& m : g.moves)
            out << " " << kind(m.func) << list(m.params);
    }
    return out.str();
}

}  // namespace

TEST(ReaderExample, gives_the_documented_structure)
{
    s_map map;
    ASSERT_EQ(read_level(EXAMPLE_LEVEL, map), "");
    EXPECT_EQ(
        outline(map),
        "face back [(-10 -7 -1) (10 -7 -1) (10 7 -1) (-10 7 -1)][data/back.png] SCROLL[0.05 0]; "
        "face brick [(-1 -0.5 0) (1 -0.5 0) (1 0.5 0) (-1 0.5 0)][data/brick0.png "
        "data/brick1.png]; "
        "world [0]/1 [-10 10 -7 7]; "
        "group [1]/1 lives 2 [(-4 5 0) (4 5 0)] box [-1 1 -0.5 0.5 0 0] HORIZONTAL[3 2000]");
}

TEST(ReaderExample, print_matches_the_format_byte_for_byte)
{
    s_map map;
    TempDir dir;
    Reader reader(dir.write("example.map", EXAMPLE_LEVEL));
    reader.read(map);
    std::ostringstream out;
    reader.print(map, out);
    const char* want =
        "WORLD: \n\tNUMFACES 1\n\tFACES 0 \n\tLIMITS -10 10 -7 7 \nEND\n"
        "BLOCK GROUP: \n\tFACES 1 \n\tBLOCKS \n\t\tBLOCK -4 5 0\n\t\tBLOCK 4 5 0\n\tEND\n"
        "\tSIZES MIN -1 -0.5 0\n\tSIZES MAX 1 0.5 0\n"
        "FACE\n\tID back\n"
        "\tVERTICE -10 -7 -1\n\tVERTICE 10 -7 -1\n\tVERTICE 10 7 -1\n\tVERTICE -10 7 -1\n"
        "\tCURVERTICE -10 -7 -1\n\tCURVERTICE 10 -7 -1\n\tCURVERTICE 10 7 -1\n\tCURVERTICE -10 7 "
        "-1\n"
        "\tTEXCOORD 0 0\n\tTEXCOORD 4 0\n\tTEXCOORD 4 3\n\tTEXCOORD 0 3\n"
        "\tCURTEXCOORD 0 0\n\tCURTEXCOORD 4 0\n\tCURTEXCOORD 4 3\n\tCURTEXCOORD 0 3\nEND\n"
        "FACE\n\tID brick\n"
        "\tVERTICE -1 -0.5 0\n\tVERTICE 1 -0.5 0\n\tVERTICE 1 0.5 0\n\tVERTICE -1 0.5 0\n"
        "\tCURVERTICE -1 -0.5 0\n\tCURVERTICE 1 -0.5 0\n\tCURVERTICE 1 0.5 0\n\tCURVERTICE -1 0.5 "
        "0\n"
        "\tTEXCOORD 0 0\n\tTEXCOORD 1 0\n\tTEXCOORD 1 1\n\tTEXCOORD 0 1\n"
        "\tCURTEXCOORD 0 0\n\tCURTEXCOORD 1 0\n\tCURTEXCOORD 1 1\n\tCURTEXCOORD 0 1\nEND\n";
    EXPECT_EQ(out.str(), want);
    // Numbers as printf's %g writes them: six significant digits, exponents.
    s_map odd;
    ASSERT_EQ(read_level("WORLD LIMITS 0.1234567 1e-7 1234567 -0.5 END", odd), "");
    out.str("");
    reader.print(odd, out);
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
    TempDir dir;
    EXPECT_THROW(Reader reader(dir.path), std::string);  // a directory is no map file
}

TEST(ReaderGrammar, odd_corners_of_the_format_read_as_the_format_says)
{
    const char* const BIG = "3.40282e+38 -3.40282e+38";  // the box of a group without faces
    const struct {
        const char* name;
        const char* text;
        std::string outline;
    } cases[] = {
        {"empty file", "", "world []/0 []"},
        {"title words and stray keywords between blocks are skipped",
         "My Little Level END VERTEX 1 2 3\nFACE ID a END\nby me\n", "face a [][]; world []/0 []"},
        {"END read as an argument is that argument",
         "FACE ID END VERTEX 1 2 3 TEXTURE END END BLOCKS NUMFACES 1 FACES END ORIGIN 0 0 0 END",
         "face END [(1 2 3)][END]; world []/0 []; group [0]/1 lives 0 [(0 0 0)] box [1 1 2 2 3 3]"},
        {"two faces with one identifier are kept and the later wins",
         "FACE ID a VERTEX 0 0 0 END FACE ID a VERTEX 5 5 5 END WORLD NUMFACES 1 FACES a END",
         "face a [(0 0 0)][]; face a [(5 5 5)][]; world [1]/1 []"},
        {"LIMITS twice append eight values; a second WORLD adds to the first",
         "FACE ID a END FACE ID b END WORLD LIMITS 1 2 3 4 LIMITS 5 6 7 8 NUMFACES 1 FACES a END "
         "WORLD NUMFACES 2 FACES b a END",
         "face a [][]; face b [][]; world [0 1]/2 [1 2 3 4 5 6 7 8]"},
        {"unknown kinds do nothing but keep their parameters; kinds are case sensitive",
         "FACE ID a SHADER DUMMY 0 SHADER SPARKLE 2 7 8 END BLOCKS MOVE ZIGZAG 2 1 1 MOVE rotate 1 "
         "5 END",
         std::string("face a [][] DUMMY[] DUMMY[7 8]; world []/0 []; group []/0 lives 0 [] box [") +
             BIG + " " + BIG + " " + BIG + "] DUMMY[1 1] DUMMY[5]"},
        {"a keyword of another block is skipped with its numbers",
         "FACE ID a ORIGIN 1 2 3 VERTEX 4 5 6 LIMITS 1 2 3 4 END",
         "face a [(4 5 6)][]; world []/0 []"},
        {"a face defined after the group that uses it resolves",
         "BLOCKS NUMFACES 2 FACES late early ORIGIN 0 0 0 END "
         "FACE ID early VERTEX -2 0 0 END FACE ID late VERTEX -1 3 1 VERTEX -1.5 4 1 END",
         "face early [(-2 0 0)][]; face late [(-1 3 1) (-1.5 4 1)][]; world []/0 []; "
         "group [1 0]/2 lives 0 [(0 0 0)] box [-2 -1 0 4 0 1]"},
        {"an unknown identifier resolves to the first face",
         "FACE ID a END FACE ID b END WORLD NUMFACES 2 FACES b ghost END",
         "face a [][]; face b [][]; world [1 0]/2 []"},
        {"FACES before NUMFACES resolves nothing", "FACE ID a END WORLD FACES a NUMFACES 1 END",
         "face a [][]; world []/0 []"},
        {"a count raised after FACES resolves only the identifiers read",
         "FACE ID a END BLOCKS NUMFACES 1 FACES a NUMFACES 1000000 END",
         std::string("face a [][]; world []/0 []; group [0]/1 lives 0 [] box [") + BIG + " " + BIG +
             " " + BIG + "]"},
        {"a negative count is zero", "FACE ID a END WORLD NUMFACES -5 FACES a END",
         "face a [][]; world []/0 []"},
        {"every ordinary number spelling; underflow keeps the tiny value",
         "WORLD LIMITS +1 -2. .5 1.5E+2 LIMITS 1e-45 -0 007 3e0 END",
         "world []/0 [1 -2 0.5 150 1.4013e-45 -0 7 3]"},
        {"short movements and shaders behave as DUMMY; kinds that do nothing divide by nothing",
         "FACE SHADER COLOR 3 1 2 3 SHADER ROTATE 0 SHADER ROTZOOM 1 0.1 END "
         "BLOCKS LIVES -3 MOVE VERTICAL 1 5 MOVE DIAGONAL -4 MOVE DUMMY 2 1 0 MOVE WOBBLE 2 1 0 "
         "END",
         std::string("face  [][] DUMMY[1 2 3] DUMMY[] ROTZOOM[0.1]; world []/0 []; group []/0 "
                     "lives -3 [] box [") +
             BIG + " " + BIG + " " + BIG + "] DUMMY[5] DUMMY[] DUMMY[1 0] DUMMY[1 0]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        s_map map;
        ASSERT_EQ(read_level(c.text, map), "");
        EXPECT_EQ(outline(map), c.outline);
    }
}

TEST(ReaderGrammar, a_movement_starts_at_the_clock_of_the_reading)
{
    gl_vertex.ticks = 4321;
    s_map map;
    ASSERT_EQ(read_level("BLOCKS MOVE VERTICAL 2 1 500 END", map), "");
    gl_vertex.ticks = 0;
    EXPECT_EQ(map.groups[0].moves[0].start, 4321.0f);
    EXPECT_FALSE(map.groups[0].moves[0].reverse);
}

TEST(ReaderRejects, bad_input_names_the_line_and_what_was_expected)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"WORLD\nNUMFACES 0\n",
         ":2: the file ends inside the WORLD block begun on line 1 (END is missing)"},
        {"\n\nFACE ID x\nVERTEX 1 2 3",
         ":4: the file ends inside the FACE block begun on line 3 (END is missing)"},
        {"BLOCKS\n", ":1: the file ends inside the BLOCKS block begun on line 1 (END is missing)"},
        {"FACE\nVERTEX 1 x 3 END", ":2: expected a number after VERTEX, found \"x\""},
        {"FACE\nVERTEX 1 2", ":2: expected a number after VERTEX, found the end of the file"},
        {"WORLD\n\nNUMFACES 1.5 END", ":3: expected an integer after NUMFACES, found \"1.5\""},
        {"WORLD LIMITS 1 2 3 nan END", ":1: expected a number after LIMITS, found \"nan\""},
        {"WORLD LIMITS 1 2 3 1e39 END", ":1: expected a number after LIMITS, found \"1e39\""},
        {"WORLD LIMITS 1 2 3 0x10 END", ":1: expected a number after LIMITS, found \"0x10\""},
        {"WORLD LIMITS 1 2 3 4e END", ":1: expected a number after LIMITS, found \"4e\""},
        {"BLOCKS LIVES 99999999999 END",
         ":1: expected an integer after LIVES, found \"99999999999\""},
        {"BLOCKS ORIGIN 1 2 \x01\x7f END", ":1: expected a number after ORIGIN, found \"??\""},
        {"FACE TEXCOORD . 1 END", ":1: expected a number after TEXCOORD, found \".\""},
        {"BLOCKS MOVE CIRCLE two 1 2 END", ":1: expected an integer after MOVE, found \"two\""},
        // Huge counts reserve nothing: the reader runs into the end of the file.
        {"WORLD\nNUMFACES 2000000000\nFACES a b\n",
         ":3: expected a face identifier after FACES, found the end of the file"},
        {"FACE\nSHADER ROTATE 2147483647 1 2\n",
         ":2: expected a number after SHADER, found the end of the file"},
        {"WORLD\nNUMFACES 1\nFACES back\nEND\n",
         ":3: face \"back\" is used but the file defines no FACE"},
        {"BLOCKS NUMFACES 1\n\nFACES brick END",
         ":3: face \"brick\" is used but the file defines no FACE"},
        {"BLOCKS\nMOVE HORIZONTAL 2 3 0\nEND",
         ":2: MOVE HORIZONTAL needs a duration of 1 ms or more, found 0"},
        {"BLOCKS\n\nMOVE CIRCLE 2 1 -500 END",
         ":3: MOVE CIRCLE needs a duration of 1 ms or more, found -500"},
        // Numbers that would turn a block's position infinite or not a number.
        {"BLOCKS MOVE CIRCLE 2 1 1e-40 END",
         ":1: MOVE CIRCLE needs a duration of 1 ms or more, found 1e-40"},
        {"BLOCKS MOVE HORIZONTAL 2 3e38 1000 END",
         ":1: MOVE HORIZONTAL needs a distance from -10000 to 10000 units, found 3e+38"},
        {"BLOCKS MOVE CIRCLE 2 -10000.001 1 END",
         ":1: MOVE CIRCLE needs an offset from -10000 to 10000 units, found -10000.001"},
        // Every line end counts, blank and CRLF lines included.
        {"\r\n\r\n\t \n  FACE\r\n VERTEX 1 2\r\n\r\n oops END",
         ":7: expected a number after VERTEX, found \"oops\""},
    };
    for (const auto& c : cases) {
        s_map map;
        EXPECT_EQ(read_level(c.text, map), c.message) << c.text;
    }
}

TEST(ReaderLimits, require_limits_rejects_a_world_without_four)
{
    TempDir dir;
    s_map map, empty;
    Reader reader(dir.write("flat.map", "FACE ID a END\nWORLD LIMITS 1 2 3\n4 END"));
    reader.read(map);
    EXPECT_NO_THROW(reader.requireLimits(map));
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

TEST(ReaderLimits, a_play_area_empty_reversed_or_far_out_is_refused_on_its_line)
{
    const struct {
        const char* limits;
        const char* problem;
    } cases[] = {
        {"-10 10 -8 8", ""},
        {"-0.5 0.5 9999 10000", ""},  // a ball's width and height, at the edge of the reach
        {"5 5 -8 8", "LIMITS make a play area 0 units wide: right must lie at least 1 beyond left"},
        {"8 -8 -8 8",
         "LIMITS make a play area -16 units wide: right must lie at least 1 beyond left"},
        {"-10 10 8 7.5",
         "LIMITS make a play area -0.5 units high: top must lie at least 1 above bottom"},
        {"-10 10 -8 1e5", "LIMITS top 100000 lies more than 10000 units from the origin"},
        {"-3e38 3e38 -8 8", "LIMITS left -3e+38 lies more than 10000 units from the origin"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limits);
        std::string path =
            dir.write("area.map", std::string("WORLD\n\nLIMITS ") + c.limits + " END");
        s_map game_map, tool_map;
        std::string error;
        EXPECT_EQ(reader_load(path, game_map, &error), *c.problem ? 1 : 0);
        EXPECT_EQ(error, *c.problem ? path + ":3: " + c.problem : "");
        // The checker reports the same, as an error on the same line.
        std::vector<s_reader_note> notes;
        Reader reader(path);
        reader.setNotes(&notes);
        reader.read(tool_map);
        bool noted = false;
        for (const s_reader_note& note : notes)
            noted = noted || (note.line == 3 && note.error && note.text == c.problem);
        EXPECT_EQ(noted, *c.problem != 0);
    }
}

TEST(ReaderScanner, tokens_spanning_buffer_refills_are_read_whole)
{
    std::string text = "FACE ID ";
    text += std::string(READER_CHUNK - text.size() - 2, 'x') + "yyyy END";
    s_map map;
    ASSERT_EQ(read_level(text, map), "");
    EXPECT_EQ(map.faces[0].id.size(), (size_t)READER_CHUNK - 8 - 2 + 4);
}

TEST(ReaderScanner, a_megabyte_level_reads_whole_across_buffer_refills)
{
    std::string text = "WORLD LIMITS -10 10 -7 7 NUMFACES 1 FACES f0 END\n";
    int faces = 0;
    while (text.size() < 1000000)
        text += "FACE ID f" + std::to_string(faces++) +
                " VERTEX -1.25 -0.5 0 VERTEX 1.25 -0.5 0 VERTEX 1.25 0.5 0\n"
                "TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 1 1 TEXTURE data/brick.png END\n"
                "BLOCKS NUMFACES 1 FACES f0 LIVES 1 ORIGIN 3.5 2.25 0 END\n";
    s_map map;
    // How fast is measured by bench_map_read; here only that nothing is lost.
    ASSERT_EQ(read_level(text, map), "");
    EXPECT_EQ((int)map.faces.size(), faces);
    EXPECT_EQ((int)map.groups.size(), faces);
}
