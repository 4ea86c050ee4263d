// The front end's files: the settings and progress readers on good, odd and
// bad text, their writers, and a bad file kept rather than lost.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_support.h"
#include "ui/history.h"
#include "ui/settings.h"

using namespace test_support;

namespace {

// Reads text; checks the row of setting and the problem ("" for none).
TEST(SettingsFile, each_line_counts_alone_and_the_first_bad_one_is_named)
{
    struct Row {
        std::string text;
        int setting;
        f32 value;
        std::string problem;
    };
    const Row rows[] = {
        {"", SETTING_MOUSE_SENSITIVITY, 1, ""},
        {"mouse_sensitivity = 2\n", SETTING_MOUSE_SENSITIVITY, 2, ""},
        {"\tmouse_sensitivity\t=\t4\t", SETTING_MOUSE_SENSITIVITY, 4, ""},
        {"max_fps = 1001\n", SETTING_MAX_FPS, SETTINGS_AUTO,
         "s:1: max_fps: expected a whole number from 0 to 1000, or auto, got '1001'"},
        {"vsync = " + std::string(33, 'v'), SETTING_VSYNC, 1,
         "s:1: vsync: expected yes or no, got '" + std::string(32, 'v') + "...'"},
        {"vsync = off\x7f", SETTING_VSYNC, 1, "s:1: control character (byte 0x7F)"},
        {"#" + std::string(1023, 'k') + "\nvsync = 0", SETTING_VSYNC, 0, ""},
        {"# quiet\n  music_volume=0  # off\r\n", SETTING_MUSIC_VOLUME, 0, ""},
        {"fullscreen = yes\n", SETTING_FULLSCREEN, 1, ""},
        {"vsync = off", SETTING_VSYNC, 0, ""},
        {"max_fps = 144\n", SETTING_MAX_FPS, 144, ""},
        {"max_fps = auto\n", SETTING_MAX_FPS, SETTINGS_AUTO, ""},
        {"game_speed = 40\n", SETTING_GAME_SPEED, 100,
         "s:1: game_speed: expected a whole number from 50 to 100, got '40'"},
        {"effects_volume = 50.5\n", SETTING_EFFECTS_VOLUME, 100,
         "s:1: effects_volume: expected a whole number from 0 to 100, got '50.5'"},
        {"mouse_sensitivity = nan\n", SETTING_MOUSE_SENSITIVITY, 1,
         "s:1: mouse_sensitivity: expected a number from 0.25 to 4, got 'nan'"},
        {"vsync = maybe\n", SETTING_VSYNC, 1, "s:1: vsync: expected yes or no, got 'maybe'"},
        {"nonsense\nmouse_sensitivity = 3\n", SETTING_MOUSE_SENSITIVITY, 3,
         "s:1: expected 'key = value'"},
        {"\n= 3\n", SETTING_MOUSE_SENSITIVITY, 1, "s:2: expected a key before '='"},
        {"game_speed = 50\n\x01\x7f", SETTING_GAME_SPEED, 50, "s:2: control character (byte 0x01)"},
        {std::string(1025, 'k') + "\n", SETTING_GAME_SPEED, 100,
         "s:1: line longer than 1024 bytes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40));
        s_settings settings;
        std::string problem;
        EXPECT_EQ(settings_parse(&settings, "s", row.text, &problem), row.problem.empty() ? 0 : 1);
        EXPECT_EQ(problem, row.problem);
        EXPECT_EQ(settings.value[row.setting], row.value);
    }
}

TEST(SettingsFile, written_text_reads_back_the_same_with_unknown_keys_kept)
{
    s_settings settings, again;
    std::string problem;
    settings_parse(&settings, "s", "colour = red\nmouse_sensitivity=0.5\nmax_fps=0\n", &problem);
    EXPECT_EQ(settings_text(&settings),
              "# Tumbrelix settings, written by the game: key = value\n"
              "mouse_sensitivity = 0.5\nmusic_volume = 100\neffects_volume = 100\n"
              "fullscreen = no\nvsync = yes\ngame_speed = 100\nmax_fps = 0\ncolour = red\n");
    EXPECT_EQ(settings_parse(&again, "s", settings_text(&settings), &problem), 0);
    for (int row = 0; row < SETTING_COUNT; row++)
        EXPECT_EQ(again.value[row], settings.value[row]) << SETTINGS_ROWS[row].key;
    EXPECT_EQ(again.kept, settings.kept);
}

// The menu's steps: clamped to the range, a yes/no turned over, a frame limit
// passing through auto below its lowest; and what the menu shows then.
TEST(SettingsFile, steps_stay_in_range)
{
    struct Row {
        e_setting setting;
        f32 from;
        int steps;
        f32 to;
        const char* shown;
    };
    const Row rows[] = {
        {SETTING_MOUSE_SENSITIVITY, 1, 1, 1.25f, "1.25x"},
        {SETTING_MOUSE_SENSITIVITY, 4, 1, 4, "4.00x"},
        {SETTING_MOUSE_SENSITIVITY, 0.25f, -1, 0.25f, "0.25x"},
        {SETTING_MUSIC_VOLUME, 100, -3, 70, "70%"},
        {SETTING_MUSIC_VOLUME, 95, 1, 100, "100%"},
        {SETTING_GAME_SPEED, 50, -1, 50, "50%"},
        {SETTING_FULLSCREEN, 0, 1, 1, "yes"},
        {SETTING_FULLSCREEN, 1, -1, 0, "no"},
        {SETTING_VSYNC, 1, 2, 1, "yes"},
        {SETTING_MAX_FPS, SETTINGS_AUTO, 1, 0, "no limit"},
        {SETTING_MAX_FPS, SETTINGS_AUTO, 2, 30, "30"},
        {SETTING_MAX_FPS, 30, -1, 0, "no limit"},
        {SETTING_MAX_FPS, 0, -1, SETTINGS_AUTO, "auto"},
        {SETTING_MAX_FPS, SETTINGS_AUTO, -1, SETTINGS_AUTO, "auto"},
        {SETTING_MAX_FPS, 990, 1, 1000, "1000"},
    };
    for (const Row& row : rows) {
        s_settings settings;
        settings_default(&settings);
        settings.value[row.setting] = row.from;
        settings_step(&settings, row.setting, row.steps);
        EXPECT_EQ(settings.value[row.setting], row.to)
            << SETTINGS_ROWS[row.setting].key << " " << row.from << " by " << row.steps;
        char shown[32];
        settings_show(&settings, row.setting, shown, sizeof shown);
        EXPECT_STREQ(shown, row.shown);
    }
}

// A missing file gives the defaults and writes nothing; a file of random
// bytes is named on standard error and kept as it is until a setting
// changes, then kept beside the new file.
TEST(SettingsFile, a_bad_file_is_named_and_kept_until_replaced_then_set_aside)
{
    TempDir dir;
    std::string path = dir.path + "/deep/tumbrelix/settings.ini";
    s_settings settings;
    testing::internal::CaptureStderr();
    settings_load(&settings, path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(std::filesystem::exists(path));

    ASSERT_EQ(settings_save(&settings, path), 0) << "the folders are made";
    std::string noise = "\xff\xfe\x01 = \x80garbage\nmouse_sensitivity = 2\n";
    ASSERT_TRUE(write_file(path, noise));
    testing::internal::CaptureStderr();
    settings_load(&settings, path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), path + ":1: control character (byte 0x01)\n");
    EXPECT_EQ(settings.value[SETTING_MOUSE_SENSITIVITY], 2) << "the good line still counts";
    EXPECT_EQ(read_file(path), noise);

    settings.value[SETTING_MUSIC_VOLUME] = 0;
    ASSERT_EQ(settings_save(&settings, path), 0);
    EXPECT_EQ(read_file(path + ".bad"), noise);
    EXPECT_NE(read_file(path).find("music_volume = 0\n"), std::string::npos);
    ASSERT_EQ(settings_save(&settings, path), 0);
    EXPECT_EQ(read_file(path + ".bad"), noise) << "a good file is written over, not set aside";
}

TEST(ProgressFile, lines_read_alone_and_the_text_reads_back)
{
    struct Row {
        std::string text;
        size_t cleared;
        std::string last;  // of /p
        std::string problem;
    };
    const Row rows[] = {
        {"", 0, "", ""},
        {"cleared\t/p\ta.map\ncleared\t/p\ta.map\ncleared\t/q\tb.map\nlast\t/p\tsub/c d.map\n", 2,
         "sub/c d.map", ""},
        {"# a comment\nlast\t/p\ta.map\nlast\t/p\tb.map\n", 0, "b.map", ""},
        {"cleared /p a.map\ncleared\t/p\tb.map\n", 1, "",
         "h:1: expected 'cleared' or 'last', a tab, the pack's folder, a tab and the map"},
        {"cleared\tp\ta.map\n", 0, "",
         "h:1: expected an absolute folder and a map without tabs or control characters"},
        {"won\t/p\ta.map\n", 0, "", "h:1: unknown keyword 'won' (expected cleared or last)"},
        {"last\t/p\t" + std::string(8292, 'm'), 0, std::string(8292, 'm'), ""},
        {"last\t/p\t" + std::string(8293, 'm'), 0, "", "h:1: line longer than 8300 bytes"},
        {"last\t/p\t\x7f\n", 0, "",
         "h:1: expected an absolute folder and a map without tabs or control characters"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40));
        s_history history, again;
        std::string problem;
        EXPECT_EQ(history_parse(&history, "h", row.text, &problem), row.problem.empty() ? 0 : 1);
        EXPECT_EQ(problem, row.problem);
        EXPECT_EQ(history.cleared.size(), row.cleared);
        EXPECT_EQ(history_last(&history, "/p"), row.last);
        EXPECT_EQ(history_parse(&again, "h", history_text(&history), &problem), 0);
        EXPECT_EQ(history_text(&again), history_text(&history));
    }
    // Only news makes the game write the file again.
    s_history h = {};
    s_history_level a = {"/p", "a.map"}, b = {"/p", "b.map"}, tab = {"/p", "x\ty"};
    std::vector<int> news = {history_play(&h, a),    history_play(&h, a),  history_play(&h, b),
                             history_play(&h, tab),  history_clear(&h, a), history_clear(&h, a),
                             history_clear(&h, tab), history_clear(&h, b)};
    EXPECT_EQ(news, (std::vector<int>{1, 0, 1, 0, 1, 0, 0, 1}));
    // Saved and loaded, it is the same; a good file is written over, not set aside.
    TempDir dir;
    std::string path = dir.path + "/deep/progress.txt";
    s_history loaded;
    ASSERT_EQ(history_save(&h, path), 0);
    history_load(&loaded, path);
    EXPECT_EQ(history_text(&loaded), history_text(&h));
    ASSERT_EQ(history_save(&loaded, path), 0);
    EXPECT_FALSE(std::filesystem::exists(path + ".bad"));
}

}  // namespace
