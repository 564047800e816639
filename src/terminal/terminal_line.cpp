#include "terminal_line.h"

#include <ctime>

namespace {

void putDigits(char *at, unsigned int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        at[i] = char('0' + value % 10);
}

// A busy bus writes tens of thousands of lines a second; converting each to
// local time would consult the time zone every time, so the conversion is
// made once per second and only the milliseconds are filled in per line.
// localtime_r, unlike localtime, never reads the time zone again after its
// first call, so the zone is read afresh each second: a change of the
// system's zone (a new /etc/localtime, or TZ changed in the process) shows
// from the next second on.
class LocalTimeStamp
{
public:
    StampNow now()
    {
        timespec clock;
        clock_gettime(CLOCK_REALTIME, &clock);
        if (clock.tv_sec != second_)
            startSecond(clock.tv_sec);
        stamp_.millisecond = std::uint32_t(clock.tv_nsec / 1000000) & 1023;
        putDigits(text_ + 9, stamp_.millisecond, 3);
        return {stamp_, QLatin1String(text_, sizeof text_)};
    }

private:
    void startSecond(time_t second)
    {
        tzset();
        tm local;
        localtime_r(&second, &local);
        stamp_.hour = std::uint32_t(local.tm_hour) & 31;
        stamp_.minute = std::uint32_t(local.tm_min) & 63;
        stamp_.second = std::uint32_t(local.tm_sec) & 63;
        stamp_.writeText(text_);
        second_ = second;
    }

    time_t second_ = -1;
    TerminalStamp stamp_{};
    char text_[TerminalStamp::textLength];
};

} // namespace

void TerminalStamp::writeText(char *text) const
{
    putDigits(text, hour, 2);
    text[2] = ':';
    putDigits(text + 3, minute, 2);
    text[5] = ':';
    putDigits(text + 6, second, 2);
    text[8] = '.';
    putDigits(text + 9, millisecond, 3);
    text[12] = ':';
    text[13] = ' ';
}

StampNow terminalLineStamp()
{
    static LocalTimeStamp clock;
    return clock.now();
}
