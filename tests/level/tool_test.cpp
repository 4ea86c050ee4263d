// tumbrelix-map: its report and exit status for clean, doubtful, broken and missing levels.
#include <gtest/gtest.h>

#include <sys/stat.h>
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

TEST(map_tool, check_reports_findings_by_line_failing_on_errors_and_print_writes_the_map_read)
{
    TempDir dir;
    std::string doubtful = dir.write("doubtful.map", "\nWORLD LIMITS 1 2 3 4 5 END\n");
    std::string broken = dir.write("broken.map", "WORLD\nLIMITS 1 2\n");
    int status = -1;
    run_tool("check " + doubtful, status);
    EXPECT_EQ(status, 0);  // warnings alone pass
    const std::string doubts = doubtful +
                               ":2: warning: skipped token(s) that are not keywords here: \"5\"\n",
                      breaks =
                          broken +
                          ":2: error: expected a number after LIMITS, found the end of the file\n" +
                          broken + ": 0 faces, 0 groups, 0 blocks, 0 warnings, 1 errors\n";
    EXPECT_EQ(run_tool("check " + doubtful + " " + broken, status),
              doubts + doubtful + ": 0 faces, 0 groups, 0 blocks, 1 warnings, 0 errors\n" + breaks);
    EXPECT_EQ(status, 1);
    // A folder is a pack, checked whole; a level no one can clear would hold it up.
    EXPECT_EQ(run_tool("check " + dir.path, status),
              breaks + doubts + doubtful +
                  ": warning: no breakable block: the level can never be cleared, so the pack "
                  "never moves on from it\n" +
                  doubtful + ": 0 faces, 0 groups, 0 blocks, 2 warnings, 0 errors\n" + dir.path +
                  ": 2 levels, 1 errors\n");
    EXPECT_EQ(status, 1);
    // What is no regular file is named, never read: a device would never end.
    std::string fifo = dir.path + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(run_tool("check /dev/zero " + fifo, status),
              "/dev/zero: error: is not a regular file (a device, a FIFO or a socket)\n"
              "/dev/zero: 0 faces, 0 groups, 0 blocks, 0 warnings, 1 errors\n" +
                  fifo + ": error: is not a regular file (a device, a FIFO or a socket)\n" + fifo +
                  ": 0 faces, 0 groups, 0 blocks, 0 warnings, 1 errors\n");
    EXPECT_EQ(run_tool("print " + doubtful, status),
              "WORLD\n  NUMFACES 0\n  LIMITS 1 2 3 4\nEND\n");
    EXPECT_EQ(status, 0);
    // Every number in its place: each corner of a face, each axis of an origin.
    std::string level =
        dir.write("level.map", "FACE ID f VERTEX -1 -2 -3 VERTEX 4 5 6 TEXCOORD 0.5 1 END\n"
                               "WORLD NUMFACES 1 FACES f LIMITS -10 10 -8 8 END\n"
                               "BLOCKS NUMFACES 1 FACES f ORIGIN 1 2 3 END\n");
    EXPECT_EQ(run_tool("print " + level, status),
              "WORLD\n  NUMFACES 1\n  FACES f\n  LIMITS -10 10 -8 8\nEND\nFACE\n  ID f\n"
              "  VERTEX -1 -2 -3\n  VERTEX 4 5 6\n  TEXCOORD 0.5 1\nEND\nBLOCKS\n  NUMFACES 1\n"
              "  FACES f\n  LIVES 0\n  ORIGIN 1 2 3\nEND\n");
    EXPECT_EQ(run_tool("print " + dir.path + "/missing.map", status),
              "Could not open file " + dir.path + "/missing.map\n");
    EXPECT_EQ(status, 1);
}
