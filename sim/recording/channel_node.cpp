#include "channel_node.h"

#include <cstring>

namespace velkor_sim::recording {

namespace {

// Past the digits at `text`, or null when there are none.
const char *skipDigits(const char *text)
{
    const char *end = text;
    while (*end >= '0' && *end <= '9')
        ++end;
    return end == text ? nullptr : end;
}

// Past `prefix` at `text`, or null when `text` does not start with it.
const char *skip(const char *text, const char *prefix)
{
    const std::size_t length = std::strlen(prefix);
    return std::strncmp(text, prefix, length) == 0 ? text + length : nullptr;
}

} // namespace

bool isChannelNode(const char *name)
{
    if (std::strlen(name) >= kMaxNodeName)
        return false;
    const char *at = skip(name, "mil1553dev-");
    at = at ? skipDigits(at) : nullptr;
    at = at ? skip(at, "-ch-") : nullptr;
    at = at ? skipDigits(at) : nullptr;
    return at && *at == '\0';
}

const char *lastComponent(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

} // namespace velkor_sim::recording
