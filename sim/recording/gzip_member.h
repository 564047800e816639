// Recordings named *.gz are gzip members one after another: each writer adds
// whole members, so that a crash or a second process appending in between
// leaves a file that zcat and readRecording still read to its last event.
#ifndef VELKOR_SIM_GZIP_MEMBER_H
#define VELKOR_SIM_GZIP_MEMBER_H

#include <string>

namespace velkor_sim::recording {

bool isGzipName(const std::string &path);

// `text` as one complete gzip member; empty when zlib has no memory for it.
std::string gzipMember(const std::string &text);

} // namespace velkor_sim::recording

#endif
