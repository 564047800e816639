// A recorded driver session: every open, ioctl and close that a program made
// on the channel nodes, with the bytes that crossed the driver boundary.
//
// The file is text, one event a line, after the version line
// "velkor-recording 1"; lines starting with '#' are comments. Each event is
// its kind and then key=value fields, separated by single spaces:
//
//   open  node=mil1553dev-0-ch-0 fd=5 flags=0x2 result=5 errno=0 start=120 us=14
//   ioctl node=mil1553dev-0-ch-0 fd=5 request=0xc0106206 name=IOCTL_READ_DMA_BLOCKS
//         result=0 errno=0 start=530 us=41 in=HEX out=HEX out@8=HEX
//   close node=mil1553dev-0-ch-0 fd=5 result=0 errno=0 start=900 us=3
//
// (an ioctl is one line; it is folded here only to fit). `start` is the
// call's monotonic start in µs since the recording began, `us` its duration.
// `in` and `out` are the record's bytes before and after the call (absent for
// commands without argument), with every pointer field written as zeros.
// `in@OFFSET` is a buffer the driver read through the pointer at OFFSET, as
// it was before the call; `out@OFFSET` one the driver wrote, as it was after,
// only as many bytes as the record's counts after the call say were filled.
// `name` is a reader's help and is not read back. A name ending in ".gz" is
// gzip: members one after another, one or more events each.
#ifndef VELKOR_SIM_RECORDING_H
#define VELKOR_SIM_RECORDING_H

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace velkor_sim::recording {

constexpr const char *kVersionLine = "velkor-recording 1";

struct Buffer {
    enum class Direction { In, Out };
    std::size_t pointerOffset;
    Direction direction;
    std::vector<uint8_t> bytes;

    bool operator==(const Buffer &other) const
    {
        return pointerOffset == other.pointerOffset && direction == other.direction &&
               bytes == other.bytes;
    }
};

struct Event {
    enum class Kind { Open, Ioctl, Close };
    Kind kind = Kind::Ioctl;
    std::string node;  // the node's name in /dev: "mil1553dev-0-ch-0"
    int fd = -1;
    long result = 0;
    int error = 0;  // errno after the call; 0 when it succeeded
    uint64_t startMicros = 0;
    uint64_t durationMicros = 0;
    int flags = 0;                  // open only
    unsigned long request = 0;      // ioctl only, as the kernel sees it (32 bits)
    std::vector<uint8_t> recordIn;  // ioctl only; pointer fields zero
    std::vector<uint8_t> recordOut;
    std::vector<Buffer> buffers;  // in the order of their offsets

    bool operator==(const Event &other) const
    {
        return kind == other.kind && node == other.node && fd == other.fd && result == other.result &&
               error == other.error && startMicros == other.startMicros &&
               durationMicros == other.durationMicros && flags == other.flags && request == other.request &&
               recordIn == other.recordIn && recordOut == other.recordOut && buffers == other.buffers;
    }
};

// What is wrong with a file, and where: `line` counts from 1, 0 for the file
// as a whole (cannot be opened, not gzip, no version line).
struct FormatError : std::runtime_error {
    FormatError(std::size_t line, const std::string &what);
    std::size_t line;
};

// One line, without its newline.
std::string formatEvent(const Event &event);
// Throws FormatError with line 0; the caller sets the line.
Event parseEvent(const std::string &line);

// Every event of the file, plain or gzip by its name. Throws FormatError.
std::vector<Event> readRecording(const std::string &path);

} // namespace velkor_sim::recording

#endif
