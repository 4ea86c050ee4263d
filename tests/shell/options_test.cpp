// The name a program answers to, whatever path or launcher started it.
#include "shell/options.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
