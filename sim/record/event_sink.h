// Where the recorder's events go: the file named in the environment, each
// event with one write() on a descriptor opened O_APPEND, so that a crash
// loses no event before it and processes that share the file never
// interleave their lines. A file named *.gz gets each event as a whole
// gzip member.
#ifndef VELKOR_RECORD_EVENT_SINK_H
#define VELKOR_RECORD_EVENT_SINK_H

#include "recording.h"

namespace velkor_sim::record {

// Whether the launcher named a file; without one nothing is followed.
bool recording();

void writeEvent(const recording::Event &event);

// The program closed `fd`: if it was the recording's, the next event opens it anew.
void descriptorClosed(int fd);

} // namespace velkor_sim::record

#endif
