// Token syntax of the map format, shared by the reader and the authoring checks.
#pragma once

#include <string>

// True for white space as the standard streams see it in the C locale.
bool token_space(char c);
// Parses a whole token as a decimal float into value; false on bad syntax or overflow.
bool token_float(const std::string& text, float& value);
// Parses a whole token as a 32-bit int into value; false on bad syntax or overflow.
bool token_int(const std::string& text, int& value);
// A number as messages quote it: as a stream writes it when that reads back as
// the same float, else in the fewest digits that do, so a value just past a
// bound never shows as the bound itself.
std::string token_number(float value);
// A token made safe to echo in a message: quoted, cut short, control and
// non-ASCII bytes shown as '?'.
std::string token_quote(const std::string& text);
