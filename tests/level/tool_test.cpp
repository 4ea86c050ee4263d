// tumbrelix-map: the check report on a level with every kind of finding, and print.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "tests/level/level_files.h"

namespace {

// Runs the tool with arguments; returns its standard output and sets its exit status.
std::string run_tool(const std::string& arguments, int& status)
{
    std::string command =
        std::string(TUMBRELIX_BINARY_DIR) + "/tumbrelix-map " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    if (!pipe)
        return out;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        out.append(chunk, got);
    int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

}  // namespace

TEST(MapToolCheck, reports_every_finding_on_its_line_and_fails)
{
    TempDir dir;
    std::string png = dir.write("ok.png", "not really a png");
    std::string text = "My level\n"                                   // 1 skipped words
                       "WORLD\n"                                      // 2 no limits
                       "NUMFACES 2\n"                                 // 3
                       "FACES back ghost\n"                           // 4 ghost undefined
                       "Limits -10 10 -7 7 END\n"                     // 5 skipped: case matters
                       "FACE\nID back\nVERTEX 0 0 0\nVERTEX 1 0 0\n"  // 6-9: two vertices
                       "TEXCOORD 0 0\n"                               // 10 one texcoord
                       "TEXTURE " +
                       png +
                       "\n"  // 11 fine
                       "TEXTURE " +
                       dir.path +
                       "/missing.png\n"             // 12 missing
                       "TEXTURE pic.jpg\n"          // 13 not loadable
                       "SHADER SPARKLE 1 2 junk\n"  // 14 unknown kind, then a skip
                       "SHADER COLOR 2 1 1\n"       // 15 too few
                       "END\n"
                       "BLOCKS\n"  // 17 no ORIGIN
                       "NUMFACES 1 FACES back\n"
                       "MOVE HORIZONTAL 1 5\n"  // 19 too few
                       "MOVE ZIGZAG 0\n"        // 20 unknown
                       "END\n"
                       "WORLD NUMFACES 3 END\n";  // 22 count differs
    std::string path = dir.write("bad.map", text);
    int status = 0;
    std::string out = run_tool("check " + path, status);
    EXPECT_EQ(status, 1);
    const char* want[] = {
        ":1: warning: skipped token(s) that are not keywords here: \"My\" \"level\"\n",
        ":2: error: the world has 0 LIMITS values: the game needs four",
        ":4: warning: face \"ghost\" is not defined: the first face is used\n",
        ":5: warning: skipped token(s) that are not keywords here: \"Limits\" \"-10\" \"10\" "
        "\"-7\" \"7\"\n",
        ":6: warning: face \"back\" has 2 vertices: fewer than three draw nothing\n",
        ":6: error: face \"back\" has 1 TEXCOORD for 2 VERTEX",
        ":12: error: TEXTURE \"",
        ":13: error: TEXTURE \"pic.jpg\" does not end in png or bmp",
        ":14: warning: unknown SHADER kind \"SPARKLE\": it does nothing\n",
        ":14: warning: skipped token(s) that are not keywords here: \"junk\"\n",
        ":15: warning: SHADER COLOR reads 4 parameters but has 2: it does nothing\n",
        ":17: warning: the BLOCKS group has no ORIGIN: it has no blocks\n",
        ":19: warning: MOVE HORIZONTAL reads 2 parameters but has 1: it does nothing\n",
        ":20: warning: unknown MOVE kind \"ZIGZAG\": it does nothing\n",
        ":22: warning: the world's NUMFACES is 3 but 2 face identifiers were given",
        "bad.map: 1 faces, 1 groups, 0 blocks, 11 warnings, 4 errors\n",
    };
    size_t from = 0;
    for (const char* line : want) {
        size_t at = out.find(line, from);
        EXPECT_NE(at, std::string::npos) << "missing, in order: " << line << "\nin:\n" << out;
        if (at != std::string::npos)
            from = at;
    }
    EXPECT_EQ(out.find(":11:"), std::string::npos) << out;
}

TEST(MapToolCheck, clean_level_passes_and_a_rejected_one_reports_the_reader_message)
{
    TempDir dir;
    std::string level = EXAMPLE_LEVEL;
    // The example's textures live under data/: point them at files of the test's own.
    std::string back = dir.write("back.png", "x"), b0 = dir.write("b0.png", "x"),
                b1 = dir.write("b1.png", "x");
    level.replace(level.find("data/back.png"), 13, back);
    level.replace(level.find("data/brick0.png"), 15, b0);
    level.replace(level.find("data/brick1.png"), 15, b1);
    std::string good = dir.write("good.map", level);
    std::string cut = dir.write("cut.map", "FACE\nID a\nVERTEX 1 2\n");
    int status = 0;
    std::string out = run_tool("check " + good, status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("good.map: 2 faces, 1 groups, 2 blocks, 0 warnings, 0 errors\n"),
              std::string::npos)
        << out;
    out = run_tool("check " + good + " " + cut + " " + dir.path + "/none.map", status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(
        out.find("cut.map:3: error: expected a number after VERTEX, found the end of the file\n"),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("none.map: error: Could not open file "), std::string::npos) << out;
}

TEST(MapToolPrint, writes_the_reader_description_or_the_reader_message)
{
    TempDir dir;
    int status = -1;
    std::string out = run_tool("print " + dir.write("e.map", EXAMPLE_LEVEL), status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out.rfind("WORLD: \n\tNUMFACES 1\n\tFACES 0 \n\tLIMITS -10 10 -7 7 \nEND\n", 0), 0u)
        << out;
    out = run_tool("print " + dir.path + "/missing.map", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "Could not open file " + dir.path + "/missing.map\n");
}
