#ifndef REPORT_LINE_H
#define REPORT_LINE_H

#include <QString>

// A terminal message written character by character into one buffer that
// every message reuses. A saturated bus brings tens of thousands of blocks a
// tick; building each line from QString::number temporaries and appends cost
// several times the text itself, so the pieces are written in place.
class ReportLine
{
public:
    static constexpr int maxLength = 320;

    // Starts a message of up to maxLength characters in the buffer.
    explicit ReportLine(QString &buffer) : buffer_(buffer)
    {
        buffer_.resize(maxLength);
        end_ = buffer_.data();
    }

    template<int N>
    ReportLine &operator<<(const char16_t (&text)[N])
    {
        for (int i = 0; i < N - 1; ++i)
            end_[i] = QChar(text[i]);
        end_ += N - 1;
        return *this;
    }

    ReportLine &operator<<(char16_t c)
    {
        *end_++ = QChar(c);
        return *this;
    }

    ReportLine &decimal(unsigned int value) { return digits<10>(value); }
    // Lower-case digits without leading zeros, as QString::number(value, 16).
    ReportLine &hexadecimal(unsigned int value) { return digits<16>(value); }

    // The finished message; nothing is appended after it.
    const QString &text()
    {
        buffer_.resize(int(end_ - buffer_.constData()));
        return buffer_;
    }

private:
    template<unsigned int Base>
    ReportLine &digits(unsigned int value)
    {
        int count = 1;
        for (unsigned int rest = value / Base; rest != 0; rest /= Base)
            ++count;
        end_ += count;
        for (QChar *digit = end_; count > 0; --count, value /= Base)
            *--digit = QChar(u"0123456789abcdef"[value % Base]);
        return *this;
    }

    QString &buffer_;
    QChar *end_;
};

#endif
