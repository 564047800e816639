// What the launcher prepares before it becomes the program.
#ifndef VELKOR_RECORD_RECORDING_START_H
#define VELKOR_RECORD_RECORDING_START_H

#include <string>

namespace velkor_sim::record {

// Creates or empties `path` and writes the version line; false with errno set.
bool startRecording(const std::string &path);

// `path` from the root: the program may change its folder.
std::string absolutePath(const std::string &path);

// The preload library beside this program (a build tree), else where it is
// installed; empty when neither is there.
std::string findPreloadLibrary();

// Exports the recording's file and epoch and puts `library` first in
// LD_PRELOAD, ahead of libumockdev-preload under velkor-sim, so that the
// recorder sees the calls before umockdev answers them.
void exportToProgram(const std::string &file, const std::string &library);

} // namespace velkor_sim::record

#endif
