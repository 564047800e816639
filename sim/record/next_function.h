// The function that a wrapper stands in front of: libumockdev-preload's
// under velkor-sim, libc's otherwise.
#ifndef VELKOR_RECORD_NEXT_FUNCTION_H
#define VELKOR_RECORD_NEXT_FUNCTION_H

#include <cerrno>
#include <dlfcn.h>

namespace velkor_sim::record {

// The caller's errno stays as it was: the lookup runs inside its first call.
template <typename Function>
Function nextFunction(const char *name)
{
    const int callerErrno = errno;
    const auto function = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
    errno = callerErrno;
    return function;
}

} // namespace velkor_sim::record

#endif
