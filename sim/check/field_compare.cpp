#include "field_compare.h"

#include <cstring>

namespace velkor_sim::check {

std::vector<std::string> fieldDifferences(const std::vector<Field> &fields,
                                          const std::vector<uint8_t> &first,
                                          const std::vector<uint8_t> &second, Sides sides)
{
    std::vector<std::string> differences;
    for (const Field &field : fields) {
        const std::size_t end = field.offset + field.size;
        if (field.compared != Field::Compared::ByValue || end > first.size() ||
            end > second.size())
            continue;
        if (std::memcmp(first.data() + field.offset, second.data() + field.offset, field.size) == 0)
            continue;
        differences.push_back(field.name + " " + showField(field, first.data()) + " " +
                              sides.first + ", " + showField(field, second.data()) + " " +
                              sides.second);
    }
    return differences;
}

} // namespace velkor_sim::check
