#ifndef TERMINAL_LINE_H
#define TERMINAL_LINE_H

#include <QString>

// The terminal's text for a message: the local time "hh:mm:ss.zzz", a colon
// and a space, then the message exactly as given.
QString terminalLine(const QString &message);

#endif
