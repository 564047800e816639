#include "fake_driver.h"

#include "velkor_cmd.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <sys/syscall.h>
#include <unistd.h>

namespace fake_driver {
namespace {

const uint8_t *cursor = nullptr;
const uint8_t *end = nullptr;

void takeBytes(void *destination, size_t size)
{
    const size_t available = std::min(size, static_cast<size_t>(end - cursor));
    std::memcpy(destination, cursor, available);
    std::memset(static_cast<uint8_t *>(destination) + available, 0, size - available);
    cursor += available;
}

uint32_t takeWord()
{
    uint8_t bytes[4];
    takeBytes(bytes, sizeof bytes);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void answerCount(unsigned int *count)
{
    *count = takeWord();
}

void answerInterruptRead(INTERRUPT_BLOCK_BUFFER *record)
{
    const uint32_t capacity = record->count_blocks;
    record->count_blocks = takeWord();
    takeBytes(record->blocks, std::min(record->count_blocks, capacity) * sizeof(block_info));
}

void answerDmaRead(DMA_READ_BLOCK *record)
{
    const uint32_t capacity = std::min(record->countBlocks, record->length / 128u);
    record->countBlocks = takeWord();
    takeBytes(record->data, static_cast<size_t>(std::min(record->countBlocks, capacity)) * 128u);
}

int fail(int error)
{
    errno = error;
    return -1;
}

int answer(unsigned long request, void *argument)
{
    if (takeByte() & 1)
        return fail(EIO);
    switch (static_cast<uint32_t>(request)) {
    case IOCTL_GET_COUNT_DMA_BLOCKS:
    case IOCTL_GET_COUNT_INT_BLOCKS:
        answerCount(static_cast<unsigned int *>(argument));
        return 0;
    case IOCTL_READ_INT_BLOCKS:
        answerInterruptRead(static_cast<INTERRUPT_BLOCK_BUFFER *>(argument));
        return 0;
    case IOCTL_READ_DMA_BLOCKS:
        answerDmaRead(static_cast<DMA_READ_BLOCK *>(argument));
        return 0;
    default:
        return fail(ENOTTY);
    }
}

} // namespace

void load(const uint8_t *script, size_t size)
{
    cursor = script;
    end = script + size;
}

bool exhausted()
{
    return cursor == end;
}

uint8_t takeByte()
{
    uint8_t byte;
    takeBytes(&byte, 1);
    return byte;
}

} // namespace fake_driver

// Interposes libc's ioctl for the whole process, Qt's own calls included:
// only the window's descriptor reaches the fake driver.
extern "C" int ioctl(int fd, unsigned long request, ...)
{
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);
    if (fd == fake_driver::kChannelDescriptor)
        return fake_driver::answer(request, argument);
    return static_cast<int>(syscall(SYS_ioctl, fd, request, argument));
}
