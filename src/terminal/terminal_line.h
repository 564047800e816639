#ifndef TERMINAL_LINE_H
#define TERMINAL_LINE_H

#include <QLatin1String>

#include <cstdint>

// The time stamp that begins every terminal line: the local time
// "hh:mm:ss.zzz", a colon and a space; the message follows exactly as given.
// A line keeps its stamp as the time of day it shows, so that a change of
// time zone after the line was written leaves the line as it was.
struct TerminalStamp
{
    static constexpr int textLength = 14;

    // 27 bits: a line keeps the time in the spare bits of its item.
    std::uint32_t hour : 5;
    std::uint32_t minute : 6;
    std::uint32_t second : 6; // 60 in a leap second of a zone that counts them
    std::uint32_t millisecond : 10;

    // Writes "hh:mm:ss.zzz: " into text, which has room for textLength.
    void writeText(char *text) const;
};

// The stamp and its text for a line written now. The text lies in one buffer
// that the next call overwrites, so that a busy bus writes its lines without
// building a stamp for each.
struct StampNow
{
    TerminalStamp stamp;
    QLatin1String text;
};
StampNow terminalLineStamp();

#endif
