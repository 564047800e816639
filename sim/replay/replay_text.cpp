#include "replay_text.h"

#include "requests.h"

#include <cstdio>

namespace velkor_sim::replay {

std::string commandText(unsigned long request)
{
    char code[24];
    std::snprintf(code, sizeof code, "0x%lx", request::canonical(request));
    const char *name = request::name(request::canonical(request));
    return name ? std::string(name) + " (" + code + ")" : code;
}

std::string eventNumber(std::size_t index)
{
    return "event " + std::to_string(index + 1);
}

std::string shownLine(const recording::Event &event)
{
    const std::string line = recording::formatEvent(event);
    return line.size() <= kShownLine ? line : line.substr(0, kShownLine) + "...";
}

} // namespace velkor_sim::replay
