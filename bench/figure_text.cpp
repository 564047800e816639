#include "figure_text.h"

#include <cstdio>

std::string formatted(const char *format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string spreadText(const Spread &s, const char *unit)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f (%.1f-%.1f) %s", s.median, s.lowest, s.highest, unit);
    return text;
}

std::string withThousands(long long number)
{
    std::string digits = std::to_string(number);
    for (int at = int(digits.size()) - 3; at > (number < 0 ? 1 : 0); at -= 3)
        digits.insert(std::size_t(at), ",");
    return digits;
}
