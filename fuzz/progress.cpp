// Fuzz target for the progress reader: any bytes as a progress file; what it
// kept, written and read again, must come back the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/history.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    s_history history, again;
    std::string problem;
    history_parse(&history, "fuzz.txt", std::string((const char*)data, size), &problem);
    std::string text = history_text(&history);
    if (history_parse(&again, "fuzz.txt", text, &problem) != 0 || history_text(&again) != text)
        abort();
    return 0;
}
