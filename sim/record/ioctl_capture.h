// What an ioctl on a channel node moves across the driver boundary: the
// record before and after the call and the buffers its pointers reach.
#ifndef VELKOR_RECORD_IOCTL_CAPTURE_H
#define VELKOR_RECORD_IOCTL_CAPTURE_H

#include "pointed_buffers.h"
#include "recording.h"

namespace velkor_sim::record {

class IoctlCapture {
public:
    IoctlCapture(unsigned long request, const void *argument);

    // Before the call: the record and the buffers the driver will read.
    void before();
    // After it: the record again and the buffers the driver wrote, no longer
    // than the record's counts now say. Every pointer field is zeroed.
    recording::Event after();

private:
    void copyBuffer(const PointedBuffer &buffer, std::size_t length);
    std::size_t filledLength(const PointedBuffer &buffer) const;

    recording::Event event_;
    const void *argument_;
    std::vector<PointedBuffer> pointed_;
};

} // namespace velkor_sim::record

#endif
