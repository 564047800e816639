#include "hex.h"

namespace velkor_sim::hex {

namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

void append(std::string &text, const uint8_t *bytes, std::size_t size)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    const std::size_t start = text.size();
    text.resize(start + 2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        text[start + 2 * i] = kDigits[bytes[i] >> 4];
        text[start + 2 * i + 1] = kDigits[bytes[i] & 0xf];
    }
}

std::optional<std::vector<uint8_t>> decode(std::string_view text)
{
    if (text.size() % 2)
        return std::nullopt;
    std::vector<uint8_t> bytes(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = digitValue(text[2 * i]);
        const int low = digitValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return bytes;
}

} // namespace velkor_sim::hex
