#include "terminal_line.h"

#include <ctime>

namespace {

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
    QLatin1String now()
    {
        timespec clock;
        clock_gettime(CLOCK_REALTIME, &clock);
        if (clock.tv_sec != second_)
            startSecond(clock.tv_sec);
        putDigits(text_ + 9, int(clock.tv_nsec / 1000000), 3);
        return QLatin1String(text_, sizeof text_);
    }

private:
    void startSecond(time_t second)
    {
        tzset();
        tm local;
        localtime_r(&second, &local);
        putDigits(text_, local.tm_hour, 2);
        putDigits(text_ + 3, local.tm_min, 2);
        putDigits(text_ + 6, local.tm_sec, 2);
        second_ = second;
    }

    static void putDigits(char *at, int value, int digits)
    {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            at[i] = char('0' + value % 10);
    }

    time_t second_ = -1;
    char text_[14] = {'h', 'h', ':', 'm', 'm', ':', 's', 's', '.', 'z', 'z', 'z', ':', ' '};
};

} // namespace

QLatin1String terminalLineStamp()
{
    static LocalTimeStamp clock;
    return clock.now();
}
