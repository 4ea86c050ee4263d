// Map reader: what it makes of the format's odd corners, what it tells a level author, and
// how it rejects bad input.
#include <gtest/gtest.h>

#include <sstream>

#include "level/check.h"
#include "level/move.h"
#include "level/reader.h"
#include "level/shader.h"
#include "shell/vertex.h"
#include "tests/support/test_support.h"

using namespace test_support;

namespace {

// A kind's keyword, from the reader's own table.
template <class Item, class F> std::string kind(const Item* items, F func)
{
    for (int i = 0; items[i].func; i++)
        if (items[i].func == func)
            return items[i].name;
    return "?";
}

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

// What the reader made, on one line: faces, world, and groups with their blocks, box and
// movements with the clock they start from.
std::string outline(const s_map& map)
{
    std::ostringstream out;
    for (const s_face& f : map.faces) {
        out << "face " << f.id << " " << list(f.vertices) << list(f.textures);
        for (const s_shader& s : f.shaders)
            out << " " << kind(g_items, s.func) << list(s.params);
        out << "; ";
    }
    out << "world " << list(map.world.face_indices) << "/" << map.world.face_count << " "
        << list(map.world.limits);
    for (const s_block_group& g : map.groups) {
        std::vector<s_point> at;
        for (const s_block& b : g.blocks)
            at.push_back(b.position);
        out << "; group " << list(g.face_indices) << "/" << g.face_count << " lives " << g.lives
            << " " << list(at) << " box ";
        if (g.sizes[0][0] > g.sizes[0][1])
            out << "none";  // no face, no vertex
        else
            out << list(std::vector<float>(&g.sizes[0][0], &g.sizes[0][0] + 6));
        for (const s_move& m : g.moves)
            out << " " << kind(g_mitems, m.func) << list(m.params) << "@" << m.start;
    }
    return out.str();
}

}  // namespace

TEST(reader, notes_tell_the_author_every_doubtful_line_in_line_order)
{
    const char* text =
        "My level\nWORLD\nNUMFACES 2\nFACES back ghost\nLimits -10 10 -7 7 END\n"       // 1-5
        "FACE\nID back VERTEX 0 0 0 VERTEX 1 0 0 TEXCOORD 0 0\n"                        // 6-7
        "TEXTURE data/pad.png\nTEXTURE nowhere/missing.png\nTEXTURE pic.jpg\n"          // 8-10
        "SHADER SPARKLE 1 2 junk\nSHADER COLOR 2 1 1\nEND\n"                            // 11-13
        "BLOCKS\nNUMFACES 2 FACES back END\nMOVE HORIZONTAL 1 5\nMOVE ZIGZAG 0\nEND\n"  // 14-18
        "WORLD NUMFACES 3 END\nFACE ID many VERTEX 0 0 0 VERTEX 1 0 0 VERTEX 0 1 0 "
        "TEXCOORD 0 0 TEXCOORD 1 0 TEXCOORD 0 1 TEXCOORD 1 1 "
        "an_overlong_word_that_is_quoted_only_in_part END\n";  // 19-20
    // Each note's line, w or e, and the start of its text, | between notes.
    std::string want =
        "1 w skipped token(s) that are not keywords here: \"My\" \"level\"|2 e the world has 0 "
        "LIMITS values|4 e face \"ghost\" is not defined|5 w skipped token(s)|6 w face \"back\" "
        "has 2 vertices|6 e face \"back\" has 1 TEXCOORD|9 e TEXTURE \"nowhere/missing.png\" does "
        "not|10 e TEXTURE \"pic.jpg\" does not end|11 w unknown SHADER kind \"SPARKLE\"|11 w "
        "skipped token(s)|12 w SHADER COLOR reads 4 parameters but has 2|14 w the BLOCKS group has "
        "no ORIGIN|15 w FACES took the keyword \"END\"|15 e face \"END\" is not defined|16 w MOVE "
        "HORIZONTAL reads 2 parameters but has 1|17 w unknown MOVE kind \"ZIGZAG\"|19 w the "
        "world's NUMFACES is 3 but 2|20 w skipped token(s) that are not keywords here: "
        "\"an_overlong_word_that_is_quoted_only_in_...\"|20 w face \"many\" has 4 TEXCOORD for 3|";
    TempDir dir;
    std::vector<s_check_note> notes;
    s_map map;
    check_level(dir.write("notes.map", std::string(text)), map, notes);
    std::string all;
    for (const s_check_note& n : notes)
        all += std::to_string(n.line) + (n.error ? " e " : " w ") + n.text + "\n";
    size_t at = 0;
    for (size_t from = 0, to; (to = want.find('|', from)) != std::string::npos; from = to + 1) {
        EXPECT_EQ(all.compare(at, to - from, want, from, to - from), 0)
            << want.substr(from, to - from) << " in\n"
            << all;
        at = all.find('\n', at) + 1;
    }
    EXPECT_EQ(at, all.size()) << all;
}

TEST(reader, checker_finds_what_the_player_would_see_broken_on_its_line)
{
    // A brick of two textures on line 1; each row adds lines from 2 on and gives its one finding.
    const std::string brick =
        "FACE ID b VERTEX -1 -0.5 0 VERTEX 1 -0.5 0 VERTEX 0 0.5 0 TEXCOORD 0 0 "
        "TEXCOORD 1 0 TEXCOORD 0 1 TEXTURE data/pad.png TEXTURE data/pad.png END";
    const std::string field = "\nWORLD LIMITS -10 10 -8 8 END\nBLOCKS NUMFACES 1 FACES ";
    const struct {
        std::string text, want;
    } cases[] = {
        {field + "b LIVES 2 ORIGIN 0 4 0 ORIGIN 3 4 0 MOVE VERTICAL 2 3 900 END", ""},
        {"\nWORLD LIMITS 10 -10 -8 8 END", "2 e LIMITS make a play area -20 units wide"},
        {"\nWORLD LIMITS -10 10 8 8 END", "2 e LIMITS make a play area 0 units high"},
        {"\nWORLD LIMITS -0.5 0.5 9999 10000 END", ""},  // a ball's width, at the edge of reach
        {field + "b\nLIVES 3 ORIGIN 0 4 0 END", "4 e face \"b\" has 2 TEXTURE for LIVES 3"},
        {field + "nope LIVES 1 ORIGIN 0 4 0 END", "3 e face \"nope\" is not defined"},
        {field + "b LIVES 1\nORIGIN 9.5 4 0 END", "4 e the block at 9.5, 4 leaves the field"},
        {field + "b LIVES 1\nORIGIN 0 -6 0 END", "4 e the block at 0, -6 leaves the field"},
        {field + "b LIVES 1\nORIGIN 0 4 0 MOVE HORIZONTAL 2 9.5 900 END",
         "4 e the block at 0, 4 leaves the field"},
        {field + "b LIVES 1 ORIGIN 0 4 0 END\nBLOCKS NUMFACES 1 FACES b ORIGIN 3 4 0 "
                 "MOVE HORIZONTAL 2 -3 900 END",
         "4 e the block at 3, 4 overlaps the block at 0, 4 along their paths"},
        {field + "b ORIGIN -2 4 0 ORIGIN 0 4 0 ORIGIN 2 4 0 ORIGIN -2 5 0 ORIGIN 2 5 0 ORIGIN -2 6 "
                 "0 ORIGIN 0 6 0 ORIGIN 2 6 0 END\nBLOCKS NUMFACES 1 FACES b LIVES 1 ORIGIN 0 5 0 "
                 "END",
         "4 e the block at 0, 5 is breakable but no ball can reach it"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        std::vector<s_check_note> notes;
        s_map map;
        check_level(dir.write("level.map", brick + c.text), map, notes);
        std::string all;
        for (const s_check_note& n : notes)
            all += std::to_string(n.line) + (n.error ? " e " : " w ") + n.text + "|";
        EXPECT_EQ(all.substr(0, c.want.size()), c.want) << c.text;
        EXPECT_EQ(notes.size(), c.want.empty() ? 0u : 1u) << all;
    }
}

TEST(reader, reads_the_format_as_a_level_author_expects_and_names_the_line_of_bad_input)
{
    // Each text gives what the reader made of it (the outline) or, through the game's loader,
    // what it rejected it for, after the file name.
    const std::string LONG(READER_CHUNK - 10, 'x');  // ends 2 bytes short of a refill
    const struct {
        std::string text, want;
    } cases[] = {
        // a whole level
        {"WORLD NUMFACES 1 FACES back LIMITS -10 10 -7 7 END FACE ID back VERTEX -10 -7 -1 "
         "VERTEX 10 7 -1 TEXTURE b.png SHADER SCROLL 2 0.05 0 END FACE ID brick VERTEX -1 -0.5 0 "
         "VERTEX 1 0.5 0 TEXTURE b0.png TEXTURE b1.png END BLOCKS NUMFACES 1 FACES brick LIVES 2 "
         "ORIGIN -4 5 0 ORIGIN 4 5 0 MOVE HORIZONTAL 2 3 2000 END",
         "face back [(-10 -7 -1) (10 7 -1)][b.png] SCROLL[0.05 0]; face brick [(-1 -0.5 0) "
         "(1 0.5 0)][b0.png b1.png]; world [0]/1 [-10 10 -7 7]; group [1]/1 lives 2 [(-4 5 0) "
         "(4 5 0)] box [-1 1 -0.5 0.5 0 0] HORIZONTAL[3 2000]@0"},
        // END read as an argument is that argument
        {"FACE ID END VERTEX 1 2 3 TEXTURE END END BLOCKS NUMFACES 1 FACES END ORIGIN 0 0 0 END",
         "face END [(1 2 3)][END]; world []/0 []; group [0]/1 lives 0 [(0 0 0)] box [1 1 2 2 3 3]"},
        // unknown kinds do nothing but keep their parameters; kinds are case sensitive
        {"FACE ID a SHADER DUMMY 0 SHADER SPARKLE 2 7 8 END BLOCKS MOVE ZIGZAG 2 1 1 MOVE rotate 1 "
         "5 END",
         "face a [][] DUMMY[] DUMMY[7 8]; world []/0 []; group []/0 lives 0 [] box none DUMMY[1 "
         "1]@0 DUMMY[5]@0"},
        // a face defined after the group that uses it resolves
        {"BLOCKS NUMFACES 2 FACES late early ORIGIN 0 0 0 END "
         "FACE ID early VERTEX -2 0 0 END FACE ID late VERTEX -1 3 1 VERTEX -1.5 4 1 END",
         "face early [(-2 0 0)][]; face late [(-1 3 1) (-1.5 4 1)][]; world []/0 []; "
         "group [1 0]/2 lives 0 [(0 0 0)] box [-2 -1 0 4 0 1]"},
        // an integer may carry a sign
        {"FACE ID a END WORLD NUMFACES +1 FACES a END", "face a [][]; world [0]/1 []"},
        // an unknown identifier resolves to the first face
        {"FACE ID a END FACE ID b END WORLD NUMFACES 2 FACES b ghost END",
         "face a [][]; face b [][]; world [1 0]/2 []"},
        // a count raised after FACES resolves only the identifiers read
        {"FACE ID a END BLOCKS NUMFACES 1 FACES a NUMFACES 1000000 END",
         "face a [][]; world []/0 []; group [0]/1 lives 0 [] box none"},
        // every ordinary number spelling; underflow keeps the tiny value
        {"WORLD LIMITS +1 -2. .5 1.5E+2 LIMITS 1e-45 -0 007 3e0 END",
         "world []/0 [1 -2 0.5 150 1.4013e-45 -0 7 3]"},
        // short movements and shaders behave as DUMMY; kinds that do nothing divide by nothing
        {"FACE SHADER COLOR 3 1 2 3 SHADER ROTATE 0 SHADER ROTZOOM 1 0.1 END "
         "BLOCKS LIVES -3 MOVE VERTICAL 1 5 MOVE DIAGONAL -4 MOVE DUMMY 2 1 0 MOVE WOBBLE 2 1 0 "
         "END",
         "face  [][] DUMMY[1 2 3] DUMMY[] ROTZOOM[0.1]; world []/0 []; group []/0 lives -3 [] box "
         "none DUMMY[5]@0 DUMMY[]@0 DUMMY[1 0]@0 DUMMY[1 0]@0"},
        // a token cut by a buffer refill reads whole
        {"FACE ID " + LONG + "yyyy END", "face " + LONG + "yyyy [][]; world []/0 []"},
        // Rejected: a block left open, a number that is none, a count too large for the file...
        {"WORLD\nNUMFACES 0\n",
         ":2: the file ends inside the WORLD block begun on line 1 (END is missing)"},
        {"\n\nFACE ID x\nVERTEX 1 2 3",
         ":4: the file ends inside the FACE block begun on line 3 (END is missing)"},
        {"BLOCKS\n", ":1: the file ends inside the BLOCKS block begun on line 1 (END is missing)"},
        {"FACE\nVERTEX 1 x 3 END", ":2: expected a number after VERTEX, found \"x\""},
        {"WORLD\n\nNUMFACES 1.5 END", ":3: expected an integer after NUMFACES, found \"1.5\""},
        {"WORLD NUMFACES x1 END", ":1: expected an integer after NUMFACES, found \"x1\""},
        {"WORLD NUMFACES - END", ":1: expected an integer after NUMFACES, found \"-\""},
        {"WORLD NUMFACES 2147483648 END",
         ":1: expected an integer after NUMFACES, found \"2147483648\""},
        {"WORLD LIMITS 1 2 3 nan END", ":1: expected a number after LIMITS, found \"nan\""},
        {"WORLD LIMITS 1 2 3 1e39 END", ":1: expected a number after LIMITS, found \"1e39\""},
        {"WORLD LIMITS 1 2 3 4e END", ":1: expected a number after LIMITS, found \"4e\""},
        {"WORLD LIMITS 1 2 3 -. END", ":1: expected a number after LIMITS, found \"-.\""},
        {"BLOCKS ORIGIN 1 2 \x01\x7f END", ":1: expected a number after ORIGIN, found \"??\""},
        {"WORLD\nNUMFACES 2000000000\nFACES a b\n",
         ":3: expected a face identifier after FACES, found the end of the file"},
        {"BLOCKS NUMFACES 1\n\nFACES brick END",
         ":3: face \"brick\" is used but the file defines no FACE"},
        {"BLOCKS\nMOVE HORIZONTAL 2 3 0\nEND",
         ":2: MOVE HORIZONTAL needs a duration of 1 ms or more, found 0"},
        // Numbers that would turn a block's position infinite or not a number.
        {"BLOCKS MOVE CIRCLE 2 1 1e-40 END",
         ":1: MOVE CIRCLE needs a duration of 1 ms or more, found 1e-40"},
        {"BLOCKS MOVE HORIZONTAL 2 3e38 1000 END",
         ":1: MOVE HORIZONTAL needs a distance from -10000 to 10000 units, found 3e+38"},
        {"BLOCKS MOVE CIRCLE 2 -10000.001 1 END",
         ":1: MOVE CIRCLE needs an offset from -10000 to 10000 units, found -10000.001"},
        {"WORLD\nLIMITS 5 5 -8 8 END",
         ":2: LIMITS make a play area 0 units wide: right must lie at least 1 beyond left"},
        {"WORLD LIMITS -10 10 8 7.5 END",
         ":1: LIMITS make a play area -0.5 units high: top must lie at least 1 above bottom"},
        {"WORLD LIMITS -3e38 3e38 -8 8 END",
         ":1: LIMITS left -3e+38 lies more than 10000 units from the origin"},
        // Every line end counts, those beyond a buffer refill too.
        {std::string(READER_CHUNK + 1, '\n') + "FACE VERTEX x",
         ":65538: expected a number after VERTEX, found \"x\""},
        // ...and a world without the four limits of the play area, which the game needs.
        {"\n\nWORLD END",
         ":3: the world needs LIMITS with four numbers (left, right, bottom, top)"},
        {"FACE ID a END",
         ":1: the world needs LIMITS with four numbers (left, right, bottom, top)"},
    };
    TempDir dir;
    gl_vertex.ticks = 4321;  // a level starts its movements when it comes into play, not when read
    for (const auto& c : cases) {
        s_map map;
        std::string path = dir.write("level.map", c.text), error = "accepted";
        bool rejected = c.want[0] == ':';
        if (rejected && reader_load(path, map, &error) == 1)
            error = error.substr(path.size());
        else if (!rejected)
            Reader(path).read(map);
        EXPECT_EQ(rejected ? error : outline(map), c.want) << c.text.substr(0, 80);
    }
    gl_vertex.ticks = 0;
}
