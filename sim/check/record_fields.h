// The driver's records field by field, as the check compares them: where each
// field lies, how it reads in a report and whether its value can be held to
// the model's. Pad bytes are not fields.
#ifndef VELKOR_SIM_RECORD_FIELDS_H
#define VELKOR_SIM_RECORD_FIELDS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velkor_sim::check {

struct Field {
    enum class Shown { Hex, Decimal, Text, Pointer };
    // ByKind: the value depends on the bus traffic and the time of the call,
    // so only the contract it obeys is checked. Not: the machine's own value
    // (interrupt line, kernel addresses), or the caller's pointer to a
    // buffer, which a recording does not keep.
    enum class Compared { ByValue, ByKind, Not };

    std::string name;
    std::size_t offset;
    std::size_t size;
    Shown shown;
    Compared compared;
};

// The fields of the record of `request`; empty for a command without record
// and for a code outside the command set.
const std::vector<Field> &recordFields(unsigned long request);

// One interrupt block (block_info) and one DMA block, as far as they are decoded.
const std::vector<Field> &interruptBlockFields();
const std::vector<Field> &dmaBlockFields();

// The field's value as a report shows it: hex, decimal, or quoted text with
// its trailing NULs left out. `record` holds at least offset + size bytes.
std::string showField(const Field &field, const uint8_t *record);

} // namespace velkor_sim::check

#endif
