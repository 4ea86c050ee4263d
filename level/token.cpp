// Token syntax of the map format: what separates tokens, how numbers are
// spelled, and how a bad token is shown back to the author.
#include "level/token.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

// Longest piece of a bad token quoted back in a message.
constexpr size_t TOKEN_QUOTE_MAX = 40;

bool token_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string token_quote(const std::string& text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size() && i < TOKEN_QUOTE_MAX; i++) {
        unsigned char c = (unsigned char)text[i];
        out += (c >= 32 && c < 127) ? (char)c : '?';
    }
    if (text.size() > TOKEN_QUOTE_MAX)
        out += "...";
    return out + "\"";
}

static bool token_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Whole-token decimal syntax: sign, digits, optional fraction and exponent.
// strtof alone would also take "inf", "nan" and hex floats, which the map
// format never had.
static bool token_float_syntax(const char* s)
{
    if (*s == '+' || *s == '-')
        s++;
    int digits = 0;
    while (token_digit(*s)) {
        s++;
        digits++;
    }
    if (*s == '.') {
        s++;
        while (token_digit(*s)) {
            s++;
            digits++;
        }
    }
    if (digits == 0)
        return false;
    if (*s == 'e' || *s == 'E') {
        s++;
        if (*s == '+' || *s == '-')
            s++;
        if (!token_digit(*s))
            return false;
        while (token_digit(*s))
            s++;
    }
    return *s == '\0';
}

bool token_float(const std::string& text, float& value)
{
    if (text.find('\0') != std::string::npos || !token_float_syntax(text.c_str()))
        return false;
    errno = 0;
    float v = strtof(text.c_str(), nullptr);
    if (errno == ERANGE && (v > 1.0f || v < -1.0f))
        return false;
    value = v;
    return true;
}

bool token_int(const std::string& text, int& value)
{
    const char* s = text.c_str();
    size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    if (i == text.size())
        return false;
    for (size_t k = i; k < text.size(); k++)
        if (!token_digit(s[k]))
            return false;
    errno = 0;
    long long v = strtoll(s, nullptr, 10);
    if (errno == ERANGE || v < std::numeric_limits<int>::min() ||
        v > std::numeric_limits<int>::max())
        return false;
    value = (int)v;
    return true;
}

std::string token_number(float value)
{
    char text[32];
    snprintf(text, sizeof text, "%g", (double)value);
    if (strtof(text, nullptr) == value && !strchr(text, 'e'))
        return text;
    for (int digits = 1; digits <= 9; digits++) {
        snprintf(text, sizeof text, "%.*g", digits, (double)value);
        if (strtof(text, nullptr) == value)
            break;
    }
    return text;
}
