#include "delivery_contract.h"

#include "bytes.h"
#include "dma_block_form.h"
#include "pointed_buffers.h"
#include "requests.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace velkor_sim::check {

namespace {

std::optional<uint32_t> word(const std::vector<uint8_t> &record, std::size_t offset)
{
    if (record.size() < offset + 4)
        return std::nullopt;
    return bytes::get<uint32_t>(record.data(), offset);
}

std::vector<std::string> countBreaches(const char *field, uint32_t asked, uint32_t delivered,
                                       std::optional<uint32_t> ready)
{
    const std::string said = std::string(field) + " " + std::to_string(delivered) + " delivered, ";
    if (delivered > asked)
        return {said + "more than the " + std::to_string(asked) + " asked for"};
    if (ready && asked >= *ready && delivered < *ready)
        return {said + "fewer than the " + std::to_string(*ready) + " ready by the count before"};
    return {};
}

const recording::Buffer *outBuffer(const recording::Event &event)
{
    for (const recording::Buffer &buffer : event.buffers) {
        if (buffer.direction == recording::Buffer::Direction::Out)
            return &buffer;
    }
    return nullptr;
}

} // namespace

std::vector<std::string> DeliveryContract::breaches(const recording::Event &event)
{
    const auto dmaReady = std::exchange(dmaReady_, std::nullopt);
    const auto interruptsReady = std::exchange(interruptsReady_, std::nullopt);
    if (event.result != 0)
        return {};
    const auto asked = word(event.recordIn, 0);
    const auto answered = word(event.recordOut, 0);
    switch (request::canonical(event.request)) {
    case request::kGetCountDmaBlocks:
        dmaReady_ = answered;
        return {};
    case request::kGetCountIntBlocks:
        interruptsReady_ = answered;
        return {};
    case request::kReadDmaBlocks:
        return dmaReadBreaches(event, dmaReady);
    case request::kReadIntBlocks:
        if (!asked || !answered)
            return {};
        return countBreaches("count_blocks", *asked, *answered, interruptsReady);
    default:
        return {};
    }
}

std::vector<std::string> DeliveryContract::dmaReadBreaches(const recording::Event &event,
                                                           std::optional<uint32_t> ready)
{
    const auto answered = word(event.recordOut, 0);
    if (event.recordIn.size() < 8 || !answered)
        return {};
    std::vector<std::string> found =
        countBreaches("countBlocks", dmaBlocksRoom(event.recordIn.data()), *answered, ready);
    const recording::Buffer *buffer = outBuffer(event);
    const std::size_t held = buffer ? buffer->bytes.size() / kDmaBlockBytes : 0;
    std::set<DmaBlock> thisRead;
    for (std::size_t i = 0; i < std::min<std::size_t>(held, *answered); ++i) {
        DmaBlock block;
        std::memcpy(block.data(), buffer->bytes.data() + i * kDmaBlockBytes, kDmaBlockBytes);
        const std::string which = "block " + std::to_string(i) + " ";
        if (const auto wrong = malformation(block.data()))
            found.push_back(which + "malformed: " + *wrong);
        if (lastRead_.count(block))
            found.push_back(which + "delivered again, by the read before");
        thisRead.insert(block);
    }
    lastRead_ = std::move(thisRead);
    return found;
}

} // namespace velkor_sim::check
