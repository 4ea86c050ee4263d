// tumbrelix-map: its report and exit status for clean, doubtful, broken and missing levels.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "level/reader.h"
#include "tests/support/test_support.h"

using namespace test_support;

namespace {

// Runs the tool with arguments; returns what it wrote on either stream and sets its exit status.
std::string run_tool(const std::string& arguments, int& status)
{
    FILE* pipe = popen((TUMBRELIX_BINARY_DIR "/tumbrelix-map " + arguments + " 2>&1").c_str(), "r");
    std::string out;
    char chunk[4096];
    for (size_t got; pipe && (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        out.append(chunk, got);
    int raw = pipe ? pclose(pipe) : -1;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

}  // namespace

TEST(map_tool, check_reports_findings_by_line_and_fails_only_on_errors)
{
    TempDir dir;
    std::string doubtful = dir.write("doubtful.map", "\nWORLD LIMITS 1 2 3 4 5 END BLOCKS END\n");
    std::string broken = dir.write("broken.map", "WORLD\nLIMITS 1 2\n");
    int status = -1;
    run_tool("check " + doubtful, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run_tool("check " + doubtful + " " + broken + " " + dir.path, status),
              doubtful + ":2: warning: skipped token(s) that are not keywords here: \"5\"\n" +
                  doubtful + ":2: warning: the BLOCKS group has no ORIGIN: it has no blocks\n" +
                  doubtful + ": 0 faces, 1 groups, 0 blocks, 2 warnings, 0 errors\n" + broken +
                  ":2: error: expected a number after LIMITS, found the end of the file\n" +
                  broken + ": 0 faces, 0 groups, 0 blocks, 0 warnings, 1 errors\n" + dir.path +
                  ": error: Could not open file " + dir.path + "\n" + dir.path +
                  ": 0 faces, 0 groups, 0 blocks, 0 warnings, 1 errors\n");
    EXPECT_EQ(status, 1);
}

TEST(map_tool, print_writes_every_record_with_numbers_as_printf_g_would_or_the_reader_message)
{
    TempDir dir;
    int status = -1;
    std::string out =
        run_tool("print " + dir.write("small.map",
                                      "FACE ID a VERTEX 1 2 3 TEXCOORD 0.5 1 END BLOCKS NUMFACES 1 "
                                      "FACES a ORIGIN 0.1234567 1e-7 1234567 END WORLD "
                                      "NUMFACES 1 FACES a LIMITS 1 2 3 4 END"),
                 status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "WORLD: \n\tNUMFACES 1\n\tFACES 0 \n\tLIMITS 1 2 3 4 \nEND\n"
                   "BLOCK GROUP: \n\tFACES 0 \n\tBLOCKS \n\t\tBLOCK 0.123457 1e-07 1.23457e+06\n"
                   "\tEND\n\tSIZES MIN 1 2 3\n\tSIZES MAX 1 2 3\n"
                   "FACE\n\tID a\n\tVERTICE 1 2 3\n\tCURVERTICE 1 2 3\n"
                   "\tTEXCOORD 0.5 1\n\tCURTEXCOORD 0.5 1\nEND\n");
    out = run_tool("print " + dir.path + "/missing.map", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "Could not open file " + dir.path + "/missing.map\n");
}
