#ifndef LINE_READER_H
#define LINE_READER_H

#include <QStringView>

#include <cstdint>

// Reads a line back the way ReportLine writes it, from the start on: fixed
// texts, and numbers in the one form ReportLine gives them (no sign, no
// leading zeros, lower-case hexadecimal digits), so that whatever reads
// without failing is written again character for character.
class LineReader
{
public:
    explicit LineReader(QStringView line) : at_(line.begin()), end_(line.end()) {}

    template<int N>
    bool text(const char16_t (&expected)[N])
    {
        if (end_ - at_ < N - 1)
            return false;
        for (int i = 0; i < N - 1; ++i) {
            if (at_[i].unicode() != expected[i])
                return false;
        }
        at_ += N - 1;
        return true;
    }

    bool character(char16_t expected)
    {
        if (at_ == end_ || at_->unicode() != expected)
            return false;
        ++at_;
        return true;
    }

    bool decimal(unsigned int &value) { return digits(10, value); }
    bool hexadecimal(unsigned int &value) { return digits(16, value); }

    bool atEnd() const { return at_ == end_; }

private:
    static int digitValue(char16_t c)
    {
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        if (c >= u'a' && c <= u'f')
            return c - u'a' + 10;
        return -1;
    }

    bool digits(int base, unsigned int &value)
    {
        std::uint64_t number = 0;
        const QChar *first = at_;
        for (int digit; at_ != end_ && (digit = digitValue(at_->unicode())) >= 0 && digit < base; ++at_) {
            number = number * unsigned(base) + unsigned(digit);
            if (number > UINT32_MAX)
                return false;
        }
        const std::ptrdiff_t count = at_ - first;
        if (count == 0 || (count > 1 && first->unicode() == u'0'))
            return false;
        value = unsigned(number);
        return true;
    }

    const QChar *at_;
    const QChar *end_;
};

#endif
