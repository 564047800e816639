#include "terminal_line.h"

#include <ctime>

namespace {

// The local time of day, as "hh:mm:ss.zzz". A busy bus writes tens of
// thousands of lines a second; converting each to local time would consult
// the time zone every time, so the conversion is made once per second and
// only the milliseconds are filled in per line.
class LocalTimeStamp
{
public:
    QString now()
    {
        timespec clock;
        clock_gettime(CLOCK_REALTIME, &clock);
        if (clock.tv_sec != second_)
            startSecond(clock.tv_sec);
        QString stamp = secondText_;
        appendDigits(stamp, int(clock.tv_nsec / 1000000), 3);
        return stamp;
    }

private:
    void startSecond(time_t second)
    {
        tm local;
        localtime_r(&second, &local);
        secondText_.clear();
        appendDigits(secondText_, local.tm_hour, 2);
        secondText_ += QLatin1Char(':');
        appendDigits(secondText_, local.tm_min, 2);
        secondText_ += QLatin1Char(':');
        appendDigits(secondText_, local.tm_sec, 2);
        secondText_ += QLatin1Char('.');
        second_ = second;
    }

    static void appendDigits(QString &text, int value, int digits)
    {
        for (int divisor = digits == 3 ? 100 : 10; divisor > 0; divisor /= 10)
            text += QLatin1Char(char('0' + value / divisor % 10));
    }

    time_t second_ = -1;
    QString secondText_;
};

} // namespace

QString terminalLine(const QString &message)
{
    static LocalTimeStamp clock;
    QString line = clock.now();
    line.reserve(line.size() + 2 + message.size());
    line += QLatin1String(": ");
    line += message;
    return line;
}
