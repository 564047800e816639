// The program that velkor_sim_replay.sh replays its recording to: it makes
// the recording's calls, or departs from them, and prints what each got.
// Usage: replay_probe same|depart|depart-and-wait|short
#include "requests.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using namespace velkor_sim;

struct DmaRead {
    uint32_t countBlocks;
    uint32_t length;
    uint8_t *data;
};

// The byte a buffer holds where no answer wrote.
constexpr uint8_t kUntouched = 0xee;

std::string outcome(int result)
{
    return result == 0 ? "0" : strerrorname_np(errno);
}

std::string hexBytes(const uint8_t *bytes, std::size_t size)
{
    std::string text;
    char digits[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        text += digits;
    }
    return text;
}

void version(int node)
{
    uint32_t word = 0;
    const int result = ioctl(node, request::kGetDriverVersion, &word);
    std::printf("version %s %08x\n", outcome(result).c_str(), word);
}

void channelNumber(int node)
{
    uint32_t number = 0;
    std::printf("number %s\n", outcome(ioctl(node, request::kGetNumberChannel, &number)).c_str());
}

// Room for two blocks; the recording delivers one.
void dmaRead(int node)
{
    uint8_t blocks[256];
    std::memset(blocks, kUntouched, sizeof blocks);
    DmaRead record{2, sizeof blocks, blocks};
    const int result = ioctl(node, request::kReadDmaBlocks, &record);
    std::size_t untouched = 0;
    for (uint8_t byte : blocks)
        untouched += byte == kUntouched;
    std::printf("dma %s count=%u length=%u pointer=%s untouched=%zu block=%s\n", outcome(result).c_str(),
                record.countBlocks, record.length, record.data == blocks ? "kept" : "changed",
                untouched, hexBytes(blocks, 128).c_str());
}

void openFailing()
{
    const int node = open("/dev/mil1553dev-0-ch-1", O_RDWR);
    std::printf("ch-1 open %s\n", node < 0 ? strerrorname_np(errno) : "succeeded");
    if (node >= 0)
        close(node);
}

} // namespace

int main(int argc, char **argv)
{
    // Each line out before a SIGTERM can end the probe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string mode = argc > 1 ? argv[1] : "same";
    openFailing();
    const int node = open("/dev/mil1553dev-0-ch-0", O_RDWR);
    if (node < 0) {
        std::perror("open /dev/mil1553dev-0-ch-0");
        return 1;
    }
    version(node);
    if (mode == "short")
        return 0;
    if (mode != "same")
        channelNumber(node);
    if (mode == "depart-and-wait") {
        sleep(20);
        std::puts("not stopped");
    }
    dmaRead(node);
    close(node);
    return 0;
}
