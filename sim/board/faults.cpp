#include "faults.h"

namespace velkor_sim {

void CommandFaults::failNext(unsigned long request, unsigned times)
{
    next_[request] = times;
}

void CommandFaults::failAlways(unsigned long request)
{
    always_.insert(request);
}

bool CommandFaults::takeFailure(unsigned long request)
{
    if (always_.count(request))
        return true;
    auto it = next_.find(request);
    if (it == next_.end() || it->second == 0)
        return false;
    --it->second;
    return true;
}

} // namespace velkor_sim
