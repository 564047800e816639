// How the comparison writes its figures.
#ifndef FIGURE_TEXT_H
#define FIGURE_TEXT_H

#include "spread.h"

#include <string>

// One figure by a printf format: formatted("%.1f ms", 34.04) is "34.0 ms".
std::string formatted(const char *format, double value);

// "34.0 (33.1-36.2) ms"
std::string spreadText(const Spread &s, const char *unit);

// "20,000,000"
std::string withThousands(long long number);

#endif
