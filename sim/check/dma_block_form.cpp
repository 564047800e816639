#include "dma_block_form.h"

#include "bytes.h"

namespace velkor_sim::check {

namespace {

constexpr unsigned kDataWordsHeld = 32;

} // namespace

std::optional<std::string> malformation(const uint8_t *block)
{
    const uint32_t word0 = bytes::get<uint32_t>(block, 0);
    const unsigned dataWords = (word0 >> 5) & 0x3f;
    const unsigned serviceWords = (word0 >> 11) & 0xf;
    if (dataWords > kDataWordsHeld)
        return std::to_string(dataWords) + " data words, more than the block holds";
    if (serviceWords < 1 || serviceWords > 2)
        return std::to_string(serviceWords) + " service words, not 1 or 2";
    return std::nullopt;
}

} // namespace velkor_sim::check
