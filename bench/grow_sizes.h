// The sizes a terminal grows to, as the command line gives them:
// "100000,1000000,10000000,20000000".
#ifndef GROW_SIZES_H
#define GROW_SIZES_H

#include <string>
#include <vector>

// Rising line counts above 0; empty for anything else.
std::vector<int> sizesFromText(const std::string &text);

std::string sizesText(const std::vector<int> &sizes);

#endif
