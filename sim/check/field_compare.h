// Two versions of one record, field by field.
#ifndef VELKOR_SIM_FIELD_COMPARE_H
#define VELKOR_SIM_FIELD_COMPARE_H

#include "record_fields.h"

#include <string>
#include <vector>

namespace velkor_sim::check {

// Which two versions, as a report names them: "recorded" and "by the model",
// or "sent" and "back".
struct Sides {
    const char *first;
    const char *second;
};

// "device_id 0x4a recorded, 0x4b by the model" for each field compared by
// value that differs. A field beyond the end of either version is left out,
// as a record cut short says nothing about the field.
std::vector<std::string> fieldDifferences(const std::vector<Field> &fields,
                                          const std::vector<uint8_t> &first,
                                          const std::vector<uint8_t> &second, Sides sides);

} // namespace velkor_sim::check

#endif
