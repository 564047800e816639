// A recorded driver session held against the board model: every ioctl is
// sent, in order, to a fresh model of its board, and the recorded answer is
// compared with the model's: result, errno and the record field by field.
// Fields that depend on the traffic and the time of the call are compared by
// kind instead (delivery_contract). Opens and closes only say which nodes
// exist.
#ifndef VELKOR_SIM_CHECK_RECORDING_H
#define VELKOR_SIM_CHECK_RECORDING_H

#include "board.h"
#include "recording.h"

#include <functional>
#include <string>
#include <vector>

namespace velkor_sim::check {

// Fields of one record or block: "IOCTL_GET_VERSION_INFO" {"minor", "irq"}.
struct FieldGroup {
    std::string owner;
    std::vector<std::string> fields;

    bool operator==(const FieldGroup &other) const
    {
        return owner == other.owner && fields == other.fields;
    }
};

struct CheckReport {
    std::size_t commands = 0;
    // One line each: "event 12, mil1553dev-0-ch-0, IOCTL_GET_VERSION_INFO: device_id ...".
    std::vector<std::string> differences;
    // Of the records and blocks met in the recording, in the order met.
    std::vector<FieldGroup> comparedByKind;
    std::vector<FieldGroup> notCompared;
};

struct CheckSettings {
    unsigned boards = 1;
    // Applied to each board as it is made: faults and load, as on the command line.
    std::function<void(Board &)> prepare;
};

CheckReport checkRecording(const std::vector<recording::Event> &events,
                           const CheckSettings &settings);

} // namespace velkor_sim::check

#endif
