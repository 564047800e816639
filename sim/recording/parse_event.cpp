#include "recording.h"

#include "channel_node.h"
#include "hex.h"
#include "pointed_buffers.h"
#include "requests.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <set>
#include <string_view>

namespace velkor_sim::recording {

namespace {

using Kind = Event::Kind;

[[noreturn]] void fail(const std::string &what)
{
    throw FormatError(0, what);
}

std::string quoted(std::string_view text)
{
    return '"' + std::string(text) + '"';
}

std::string field(std::string_view key, std::string_view value)
{
    return std::string(key) + '=' + std::string(value);
}

Kind kindOf(std::string_view word)
{
    if (word == "open")
        return Kind::Open;
    if (word == "ioctl")
        return Kind::Ioctl;
    if (word == "close")
        return Kind::Close;
    fail(quoted(word) + " is no kind of event (open, ioctl or close)");
}

template <typename Number>
std::optional<Number> parse(std::string_view digits, int base)
{
    Number parsed{};
    const char *end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, parsed, base);
    if (digits.empty() || result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return parsed;
}

template <typename Number>
Number decimal(std::string_view key, std::string_view value)
{
    const auto parsed = parse<Number>(value, 10);
    if (!parsed)
        fail(field(key, value) + " is not a decimal number in range");
    return *parsed;
}

template <typename Number>
Number hexNumber(std::string_view key, std::string_view value)
{
    const auto parsed = value.substr(0, 2) == "0x" ? parse<Number>(value.substr(2), 16) : std::nullopt;
    if (!parsed)
        fail(field(key, value) + " is not a hex number in range starting with 0x");
    return *parsed;
}

std::vector<uint8_t> bytes(std::string_view key, std::string_view value)
{
    if (value.size() % 2)
        fail(std::string(key) + " has an odd number of hex digits");
    auto decoded = hex::decode(value);
    if (!decoded)
        fail(std::string(key) + " holds a character that is not a hex digit");
    return *std::move(decoded);
}

void setNode(Event &event, std::string_view value)
{
    event.node = std::string(value);
    if (!isChannelNode(event.node.c_str()))
        fail(field("node", value) + " is not the name of a channel node");
}

void setError(Event &event, std::string_view value)
{
    event.error = decimal<int>("errno", value);
    if (event.error < 0)
        fail(field("errno", value) + " is negative");
}

using Setter = void (*)(Event &, std::string_view value);

constexpr unsigned kOpen = 1, kIoctl = 2, kClose = 4, kAll = kOpen | kIoctl | kClose;

unsigned bit(Kind kind)
{
    return kind == Kind::Open ? kOpen : kind == Kind::Ioctl ? kIoctl : kClose;
}

struct Field {
    const char *key;
    unsigned kinds;
    bool required;
    Setter set;
};

// The buffers' keys, in@OFFSET and out@OFFSET, are not in the table.
const Field kFields[] = {
    {"node", kAll, true, setNode},
    {"fd", kAll, true, [](Event &e, std::string_view v) { e.fd = decimal<int>("fd", v); }},
    {"flags", kOpen, true,
     [](Event &e, std::string_view v) { e.flags = static_cast<int>(hexNumber<uint32_t>("flags", v)); }},
    {"request", kIoctl, true,
     [](Event &e, std::string_view v) { e.request = hexNumber<uint32_t>("request", v); }},
    {"name", kIoctl, false, [](Event &, std::string_view) {}},
    {"result", kAll, true, [](Event &e, std::string_view v) { e.result = decimal<long>("result", v); }},
    {"errno", kAll, true, setError},
    {"start", kAll, true, [](Event &e, std::string_view v) { e.startMicros = decimal<uint64_t>("start", v); }},
    {"us", kAll, true, [](Event &e, std::string_view v) { e.durationMicros = decimal<uint64_t>("us", v); }},
    {"in", kIoctl, false, [](Event &e, std::string_view v) { e.recordIn = bytes("in", v); }},
    {"out", kIoctl, false, [](Event &e, std::string_view v) { e.recordOut = bytes("out", v); }},
};

std::optional<Buffer::Direction> bufferDirection(std::string_view key)
{
    if (key.substr(0, 3) == "in@")
        return Buffer::Direction::In;
    if (key.substr(0, 4) == "out@")
        return Buffer::Direction::Out;
    return std::nullopt;
}

Buffer buffer(Buffer::Direction direction, std::string_view key, std::string_view value)
{
    const auto offset = parse<std::size_t>(key.substr(key.find('@') + 1), 10);
    if (!offset)
        fail(quoted(key) + " does not end in a decimal offset");
    return {*offset, direction, bytes(key, value)};
}

void set(Event &event, std::string_view key, std::string_view value, std::string_view kind)
{
    const auto direction = bufferDirection(key);
    if (direction && event.kind == Kind::Ioctl) {
        event.buffers.push_back(buffer(*direction, key, value));
        return;
    }
    for (const Field &field : kFields) {
        if (key != field.key)
            continue;
        if (!(field.kinds & bit(event.kind)))
            fail(quoted(key) + " is not a field of " + std::string(kind) + " events");
        field.set(event, value);
        return;
    }
    fail(quoted(key) + " is not a field of any event");
}

void checkRequired(const std::set<std::string_view> &given, Kind kind, std::string_view kindWord)
{
    for (const Field &field : kFields) {
        if (field.required && (field.kinds & bit(kind)) && !given.count(field.key))
            fail("the " + std::string(kindWord) + " event lacks " + field.key + "=");
    }
}

std::string commandName(unsigned long code)
{
    const char *name = request::name(code);
    return name ? name : "request " + std::to_string(code);
}

// An ioctl whose argument was null has no record: `in` and `out` are left out.
void checkRecord(const Event &event, const char *key, const std::vector<uint8_t> &record)
{
    const std::size_t size = request::argumentSize(event.request);
    if (!record.empty() && record.size() != size)
        fail(std::string(key) + " holds " + std::to_string(record.size()) + " bytes, but " +
             commandName(event.request) + " carries " + std::to_string(size));
}

void checkBuffers(Event &event)
{
    const std::vector<std::size_t> pointers = pointerFields(event.request);
    for (const Buffer &buffer : event.buffers) {
        if (std::find(pointers.begin(), pointers.end(), buffer.pointerOffset) == pointers.end())
            fail("offset " + std::to_string(buffer.pointerOffset) + " is no pointer field of " +
                 commandName(event.request));
    }
    std::stable_sort(event.buffers.begin(), event.buffers.end(),
                     [](const Buffer &a, const Buffer &b) { return a.pointerOffset < b.pointerOffset; });
}

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> words;
    for (std::size_t start = 0;;) {
        const std::size_t space = line.find(' ', start);
        words.push_back(line.substr(start, space - start));
        if (space == std::string_view::npos)
            return words;
        start = space + 1;
    }
}

} // namespace

Event parseEvent(const std::string &line)
{
    const std::vector<std::string_view> all = words(line);
    const std::string_view kind = all.front();
    Event event;
    event.kind = kindOf(kind);
    std::set<std::string_view> given;
    for (auto word = all.begin() + 1; word != all.end(); ++word) {
        const std::size_t equals = word->find('=');
        if (word->empty())
            fail("two spaces in a row, or a space at the end");
        if (equals == std::string_view::npos)
            fail(quoted(*word) + " is not key=value");
        const std::string_view key = word->substr(0, equals);
        if (!given.insert(key).second)
            fail(quoted(key) + " is given twice");
        set(event, key, word->substr(equals + 1), kind);
    }
    checkRequired(given, event.kind, kind);
    if (event.kind == Kind::Ioctl) {
        checkRecord(event, "in", event.recordIn);
        checkRecord(event, "out", event.recordOut);
        checkBuffers(event);
    }
    return event;
}

} // namespace velkor_sim::recording
