#include "grow_sizes.h"

#include <climits>
#include <cstdlib>
#include <sstream>

std::vector<int> sizesFromText(const std::string &text)
{
    std::vector<int> sizes;
    std::istringstream list(text);
    for (std::string item; std::getline(list, item, ',');) {
        char *end = nullptr;
        const long size = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end || size <= (sizes.empty() ? 0 : sizes.back()) || size > INT_MAX)
            return {};
        sizes.push_back(int(size));
    }
    return sizes;
}

std::string sizesText(const std::vector<int> &sizes)
{
    std::string text;
    for (int size : sizes)
        text += (text.empty() ? "" : ",") + std::to_string(size);
    return text;
}
