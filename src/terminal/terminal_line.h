#ifndef TERMINAL_LINE_H
#define TERMINAL_LINE_H

#include <QLatin1String>

// The time stamp that begins every terminal line: the local time
// "hh:mm:ss.zzz", a colon and a space; the message follows exactly as given.
// The text lies in one buffer that the next call overwrites, so that a busy
// bus writes its lines without building a stamp for each.
QLatin1String terminalLineStamp();

#endif
