#include "recording.h"

#include "hex.h"
#include "requests.h"

#include <cstdio>

namespace velkor_sim::recording {

namespace {

const char *kindName(Event::Kind kind)
{
    switch (kind) {
    case Event::Kind::Open:
        return "open";
    case Event::Kind::Close:
        return "close";
    case Event::Kind::Ioctl:
        break;
    }
    return "ioctl";
}

std::string hexNumber(unsigned long value)
{
    char text[2 + 2 * sizeof value + 1];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

void appendBytes(std::string &line, const std::string &key, const std::vector<uint8_t> &bytes)
{
    line += ' ' + key + '=';
    hex::append(line, bytes.data(), bytes.size());
}

void appendIoctlHead(std::string &line, const Event &event)
{
    line += " request=" + hexNumber(event.request);
    if (const char *name = request::name(event.request))
        line += std::string(" name=") + name;
}

void appendIoctlBytes(std::string &line, const Event &event)
{
    if (!event.recordIn.empty())
        appendBytes(line, "in", event.recordIn);
    if (!event.recordOut.empty())
        appendBytes(line, "out", event.recordOut);
    for (const Buffer &buffer : event.buffers) {
        const char *direction = buffer.direction == Buffer::Direction::In ? "in@" : "out@";
        appendBytes(line, direction + std::to_string(buffer.pointerOffset), buffer.bytes);
    }
}

} // namespace

FormatError::FormatError(std::size_t line, const std::string &what)
    : std::runtime_error(what), line(line)
{
}

std::string formatEvent(const Event &event)
{
    std::string line = kindName(event.kind);
    line += " node=" + event.node + " fd=" + std::to_string(event.fd);
    if (event.kind == Event::Kind::Open)
        line += " flags=" + hexNumber(static_cast<unsigned>(event.flags));
    if (event.kind == Event::Kind::Ioctl)
        appendIoctlHead(line, event);
    line += " result=" + std::to_string(event.result) + " errno=" + std::to_string(event.error) +
            " start=" + std::to_string(event.startMicros) +
            " us=" + std::to_string(event.durationMicros);
    if (event.kind == Event::Kind::Ioctl)
        appendIoctlBytes(line, event);
    return line;
}

} // namespace velkor_sim::recording
