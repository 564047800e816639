// Bytes as lowercase hex digits, two a byte, with no separators.
#ifndef VELKOR_SIM_HEX_H
#define VELKOR_SIM_HEX_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor_sim::hex {

void append(std::string &text, const uint8_t *bytes, std::size_t size);

// Nothing when `text` has an odd length or a character that is no hex digit.
std::optional<std::vector<uint8_t>> decode(std::string_view text);

} // namespace velkor_sim::hex

#endif
