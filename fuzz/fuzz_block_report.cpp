// Arbitrary DMA blocks reported by the window as one tick delivers them: the
// first input byte picks the layout (lowest bit set: remote terminal), the
// rest is cut into 128-byte blocks, the last one padded with zeros.
#include "fake_driver.h"
#include "polled_window.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr size_t kBlockSize = 128;

void appendAnswer(std::vector<uint8_t> &script, uint32_t word)
{
    script.push_back(0);
    for (int shift = 0; shift < 32; shift += 8)
        script.push_back(static_cast<uint8_t>(word >> shift));
}

// A driver holding exactly these blocks and no interrupts, answering the
// tick's four commands; the padding comes from the script's zero tail.
std::vector<uint8_t> scriptDelivering(const uint8_t *blocks, size_t size)
{
    const auto count = static_cast<uint32_t>((size + kBlockSize - 1) / kBlockSize);
    std::vector<uint8_t> script;
    appendAnswer(script, count);
    appendAnswer(script, 0);
    appendAnswer(script, count);
    appendAnswer(script, count);
    script.insert(script.end(), blocks, blocks + size);
    return script;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    polled_window::create();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const std::vector<uint8_t> script = scriptDelivering(data + 1, size - 1);
    fake_driver::load(script.data(), script.size());
    polled_window::tick(data[0] & 1);
    polled_window::clearTerminal();
    return 0;
}
