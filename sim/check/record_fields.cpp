#include "record_fields.h"

#include "describe.h"
#include "requests.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace velkor_sim::check {

namespace {

using Shown = Field::Shown;
using Compared = Field::Compared;
using Fields = std::vector<Field>;

Field hex(const char *name, std::size_t offset, std::size_t size)
{
    return {name, offset, size, Shown::Hex, Compared::ByValue};
}

Field dec(const char *name, std::size_t offset, std::size_t size)
{
    return {name, offset, size, Shown::Decimal, Compared::ByValue};
}

Field text(const char *name, std::size_t offset, std::size_t size)
{
    return {name, offset, size, Shown::Text, Compared::ByValue};
}

Field timeDependent(const char *name, std::size_t offset, std::size_t size)
{
    return {name, offset, size, Shown::Decimal, Compared::ByKind};
}

Field machines(const char *name, std::size_t offset, std::size_t size)
{
    return {name, offset, size, Shown::Hex, Compared::Not};
}

Field pointer(const char *name, std::size_t offset)
{
    return {name, offset, 8, Shown::Pointer, Compared::Not};
}

Fields version()
{
    return {hex("device_id", 0, 4),    hex("vendor_id", 4, 4),        hex("type", 8, 4),
            hex("revision", 12, 1),    text("dev_name", 13, 30),      machines("minor", 44, 4),
            machines("irq", 48, 4),    machines("size_dma", 56, 8),   machines("addr_dma_virt", 64, 8),
            machines("pci_bars", 72, 4), machines("addr_bar_virt", 80, 8)};
}

Fields interruptFlags()
{
    Fields fields;
    const char *names[] = {"int_flash",       "int_bc",           "int_rt_ren",
                           "int_rt_ten",      "int_qdat",         "int_hdat",
                           "int_data_cnt_en", "int_timeout_itven", "int_timeout_absen"};
    for (std::size_t i = 0; i < 9; ++i)
        fields.push_back(dec(names[i], i, 1));
    return fields;
}

Fields transmitBuffer()
{
    Fields fields{dec("num_buf", 0, 1), dec("subaddress", 1, 1)};
    for (std::size_t i = 0; i < 32; ++i)
        fields.push_back({"data_words[" + std::to_string(i) + "]", 2 + 2 * i, 2, Shown::Hex,
                          Compared::ByValue});
    return fields;
}

Fields subaddressInterrupts()
{
    return {dec("rt_int", 0, 1), hex("subaddress_mask", 4, 4)};
}

const std::map<unsigned long, Fields> &tables()
{
    using namespace request;
    static const std::map<unsigned long, Fields> table = {
        {kWriteRegMasked, {hex("daddr", 0, 8), hex("data", 8, 4), hex("mask", 12, 4)}},
        {kReadReg, {hex("daddr", 0, 8), hex("data", 8, 4)}},
        {kSetMode, {dec("mode", 0, 4)}},
        {kReadDmaBlocks,
         {timeDependent("countBlocks", 0, 4), dec("length", 4, 4), pointer("data", 8)}},
        {kGetCountDmaBlocks, {timeDependent("count", 0, 4)}},
        {kSetInterrupts, interruptFlags()},
        {kSetRtAddress, {dec("address", 0, 1)}},
        {kWriteRtTrBuf, transmitBuffer()},
        {kWriteBcRam,
         {dec("type", 0, 4), dec("shift", 4, 4), dec("length", 8, 4), pointer("dwords", 16)}},
        {kGetVersionInfo, version()},
        {kSetBus, {dec("bus", 0, 4)}},
        {kChannelOn, {dec("on", 0, 4)}},
        {kSetRtTrMode, {dec("subaddress", 0, 1), dec("mode", 4, 4)}},
        {kSetRtBufMan,
         {dec("direction", 0, 4), hex("subaddress_mask", 4, 4), hex("action_mask", 8, 4)}},
        {kSetRtTrModeBuf, {dec("subaddress", 0, 1), dec("cmd_buf", 4, 4)}},
        {kSetIntSubaddrA, subaddressInterrupts()},
        {kSetIntSubaddrB, subaddressInterrupts()},
        {kGetDriverVersion, {hex("driver_version", 0, 4)}},
        {kGetPciLocation, {text("name", 0, 13)}},
        {kGetCountIntBlocks, {timeDependent("count", 0, 4)}},
        {kReadIntBlocks, {timeDependent("count_blocks", 0, 4), pointer("blocks", 8)}},
        {kGetNumberChannel, {dec("channel", 0, 4)}},
    };
    return table;
}

uint64_t number(const uint8_t *bytes, std::size_t size)
{
    uint64_t value = 0;
    std::memcpy(&value, bytes, size < sizeof value ? size : sizeof value);
    return value;
}

std::string quoted(const uint8_t *bytes, std::size_t size)
{
    while (size > 0 && bytes[size - 1] == 0)
        --size;
    std::string shown = "\"";
    for (std::size_t i = 0; i < size; ++i) {
        const uint8_t c = bytes[i];
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            shown += escape;
        }
    }
    return shown + "\"";
}

} // namespace

const std::vector<Field> &recordFields(unsigned long request)
{
    static const Fields none;
    const auto it = tables().find(request::canonical(request));
    return it == tables().end() ? none : it->second;
}

const std::vector<Field> &interruptBlockFields()
{
    static const Fields fields = {
        timeDependent("free_timer_value", 0, 4), timeDependent("interrupt_ch", 4, 4),
        timeDependent("hw_stat_reg1", 8, 4), timeDependent("hw_stat_reg2", 12, 4)};
    return fields;
}

const std::vector<Field> &dmaBlockFields()
{
    static const Fields fields = {timeDependent("status word", 0, 4),
                                  timeDependent("free timer (bus controller)", 4, 4),
                                  timeDependent("free timer (remote terminal)", 16, 4),
                                  timeDependent("data words", 64, 64)};
    return fields;
}

std::string showField(const Field &field, const uint8_t *record)
{
    const uint8_t *bytes = record + field.offset;
    switch (field.shown) {
    case Shown::Text:
        return quoted(bytes, field.size);
    case Shown::Decimal:
        return std::to_string(number(bytes, field.size));
    case Shown::Hex:
    case Shown::Pointer:
        break;
    }
    return velkor_sim::hex(number(bytes, field.size));
}

} // namespace velkor_sim::check
