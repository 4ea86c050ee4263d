// The name a program answers to, whatever path or launcher started it, and
// the command line read by a program's table of options.
#include "shell/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(options_name, is_the_last_part_of_the_path_typed_or_the_programs_own)
{
    struct Row {
        int argc;
        const char* argv0;  // null: no argv[0] at all
        const char* name;
    };
    const Row rows[] = {
        {2, "/usr/lib/games/tumbrelix/tumbrelix", "tumbrelix"},
        {1, "build/x", "x"},
        {1, "tumbrelix-map", "tumbrelix-map"},
        {1, "odd/", "odd/"},  // no name after the last slash: kept whole
        {1, "", "prog"},
        {1, nullptr, "prog"},
        {0, nullptr, "prog"},
    };
    for (const Row& row : rows) {
        std::string typed = row.argv0 ? row.argv0 : "";
        char level[] = "level.map";
        char* argv[3] = {row.argv0 ? typed.data() : nullptr, row.argc > 1 ? level : nullptr};
        EXPECT_STREQ(options_name(row.argc, argv, "prog"), row.name) << typed;
    }
}

enum { OPT_FLAG = 256, OPT_FILE };
const s_option opt_rows[] = {
    {"flag", nullptr, OPT_FLAG, "one line"},
    {"file", "FILE", OPT_FILE, "two\nlines"},
};
const s_usage opt_usage = {
    "prog", "[OPTION]... X\n--file FILE", "Does things.\n", "Notes.\n", opt_rows, 2};
s_usage game_usage()  // the game's rule: the first operand ends the options
{
    s_usage usage = opt_usage;
    usage.operand_ends = true;
    return usage;
}

TEST(options_parse, hands_on_each_option_and_answers_help_version_and_mistakes)
{
    // the game's rule, command line, status, options handed on ("code=value" each), first operand
    const std::tuple<bool, std::vector<std::string>, int, std::string, int> rows[] = {
        {false, {"--flag", "x"}, -1, "256= ", 2},
        {false, {"--file", "a", "--flag"}, -1, "257=a 256= ", 4},
        {false, {"--file=b", "--", "--flag"}, -1, "257=b ", 3},
        {false, {"--file", "refused"}, OPTIONS_BAD_USAGE, "257=refused ", 0},
        {false, {"--bogus"}, OPTIONS_BAD_USAGE, "", 0},
        {false, {"--file"}, OPTIONS_BAD_USAGE, "", 0},
        {false, {"--flag", "-h", "--file", "c"}, 0, "256= ", 0},
        {false, {"--version", "--bogus"}, 0, "", 0},
        {false, {"x", "--flag"}, -1, "256= ", 2},
        {false, {"x", "-x"}, OPTIONS_BAD_USAGE, "", 0},
        {true, {"--flag", "x", "--flag", "-x"}, -1, "256= ", 2},
    };
    for (const auto& [game, words, status, handed, operand] : rows) {
        std::vector<std::string> line = {"prog"};
        line.insert(line.end(), words.begin(), words.end());
        std::vector<char*> argv;
        for (std::string& word : line)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        std::string seen;
        optind = 0;  // getopt_long starts afresh
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int got =
            options_parse((int)line.size(), argv.data(), "prog", game ? game_usage() : opt_usage,
                          [&](const s_option& option, const char* value) {
                              seen +=
                                  std::to_string(option.code) + "=" + (value ? value : "") + " ";
                              return value && std::string(value) == "refused";
                          });
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, got) << words[0];
        EXPECT_EQ(handed, seen) << words[0];
        if (status == -1) {
            EXPECT_EQ(operand, optind) << words[0];
        }
    }
}

// A number is taken whole and within its range, or refused in one line naming the option.
TEST(options_number, takes_a_whole_number_in_range_and_names_the_option_otherwise)
{
    const struct {
        const char* text;
        double want;  // -1: refused
    } rows[] = {{"0", 0},   {"60", 60},    {"1000", 1000}, {"2.5", 2.5}, {"1001", -1},
                {"-1", -1}, {"60fps", -1}, {"", -1},       {nullptr, -1}};
    for (const auto& row : rows) {
        double got = -1;
        testing::internal::CaptureStderr();
        int refused = options_number(opt_rows[1], row.text, 0, 1000, &got);
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(refused, row.want < 0) << (row.text ? row.text : "(none)");
        if (refused)
            EXPECT_EQ(said, "--file: expected a number from 0 to 1000, got '" +
                                std::string(row.text ? row.text : "") + "'\n");
        else
            EXPECT_EQ(got, row.want);
    }
}

TEST(options_help, lines_the_help_up_two_spaces_past_the_longest_option)
{
    testing::internal::CaptureStdout();
    options_help("prog", opt_usage);
    EXPECT_EQ("Usage: prog [OPTION]... X\n"
              "  or:  prog --file FILE\n"
              "Does things.\n"
              "\n"
              "      --flag       one line\n"
              "      --file FILE  two\n"
              "                     lines\n"
              "  -h, --help       display this help and exit\n"
              "      --version    output version information and exit\n"
              "\n"
              "Notes.\n",
              testing::internal::GetCapturedStdout());
}

}  // namespace
