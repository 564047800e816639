#ifndef TERMINAL_WRITER_H
#define TERMINAL_WRITER_H

#include <QObject>
#include <QString>

#include <cstdint>

class QListWidget;
class TerminalRowDelegate;

// Writes the terminal's lines, each message behind its time stamp at the end
// of the list, and keeps them within a memory ceiling. Below the ceiling no
// line is ever cut. A terminal that only grew would take the machine's memory
// on a busy bus, megabytes a second at full load, until the system killed the
// tool and every line was lost; at the ceiling the oldest lines go instead, a
// quarter of the ceiling at a time, in one removal: the terminal cuts seldom,
// and each cut costs the list one model operation.
class TerminalWriter : public QObject
{
public:
    TerminalWriter(QListWidget *terminal, std::uint64_t ceilingBytes);

    // At the ceiling, removes the oldest lines and says how many went;
    // below it, 0.
    int makeRoom();
    void append(const QString &message);

    std::uint64_t ceilingBytes() const { return ceiling_; }

private:
    void forgetRows(int first, int last);

    QListWidget *terminal_;
    TerminalRowDelegate *rows_;
    const std::uint64_t ceiling_;
    std::uint64_t bytes_ = 0;
};

#endif
