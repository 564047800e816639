// Timer ticks of either mode against a driver whose every answer comes from
// the input: failures, any counts, lying delivered counts, any block bytes.
#include "fake_driver.h"
#include "polled_window.h"

#include <cstddef>
#include <cstdint>

namespace {

// Enough ticks for one tick's answers to follow another's, few enough that
// an input stays well inside the time limit: a tick can write some 80000 lines.
constexpr int kMaxTicks = 4;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    polled_window::create();
    return 0;
}

// Each tick begins with a byte whose lowest bit picks the remote terminal timer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fake_driver::load(data, size);
    for (int tick = 0; tick < kMaxTicks && !fake_driver::exhausted(); ++tick) {
        polled_window::tick(fake_driver::takeByte() & 1);
        polled_window::clearTerminal();
    }
    return 0;
}
