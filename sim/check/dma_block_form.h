// Whether a delivered DMA block is one the board can have written, by what
// both layouts of word 0 share: no more data words than the block holds, and
// the command word with at most the terminal's status word. Which layout a
// block has depends on the mode the channel had when the block arrived, which
// a queue that outlives a change of mode leaves open; so the rest of word 0 is
// not judged.
#ifndef VELKOR_SIM_DMA_BLOCK_FORM_H
#define VELKOR_SIM_DMA_BLOCK_FORM_H

#include <cstdint>
#include <optional>
#include <string>

namespace velkor_sim::check {

// What is wrong with the 128-byte block, or nothing.
std::optional<std::string> malformation(const uint8_t *block);

} // namespace velkor_sim::check

#endif
