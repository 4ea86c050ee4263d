// Fuzz target for the settings reader: any bytes as a settings file. What it
// accepts must be in range, and its written text must read back the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    s_settings settings, again;
    std::string problem;
    settings_parse(&settings, "fuzz.ini", std::string((const char*)data, size), &problem);
    for (int row = 0; row < SETTING_COUNT; row++) {
        f32 value = settings.value[row];
        bool automatic = SETTINGS_ROWS[row].kind == SETTING_WHOLE && value == SETTINGS_AUTO;
        if (!automatic && !(value >= SETTINGS_ROWS[row].low && value <= SETTINGS_ROWS[row].high))
            abort();
    }
    std::string text = settings_text(&settings);
    if (settings_parse(&again, "fuzz.ini", text, &problem) != 0 || settings_text(&again) != text)
        abort();
    return 0;
}
