#include "recording_start.h"

#include "gzip_member.h"
#include "record_environment.h"
#include "recording.h"
#include "session_clock.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace velkor_sim::record {

namespace {

constexpr const char *kLibraryName = "libvelkor-record.so";

bool writeAll(int fd, const std::string &bytes)
{
    return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::string ownFolder()
{
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return {};
    const std::string path(exe, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/'));
}

} // namespace

bool startRecording(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const std::string line = std::string(recording::kVersionLine) + '\n';
    const bool written = writeAll(fd, recording::isGzipName(path) ? recording::gzipMember(line) : line);
    const int error = errno;
    ::close(fd);
    errno = error;
    return written;
}

std::string absolutePath(const std::string &path)
{
    char folder[PATH_MAX];
    if (path.front() == '/' || !getcwd(folder, sizeof folder))
        return path;
    return std::string(folder) + '/' + path;
}

std::string findPreloadLibrary()
{
    for (const std::string &candidate : {ownFolder() + '/' + kLibraryName, std::string(VELKOR_RECORD_LIBRARY)}) {
        if (access(candidate.c_str(), R_OK) == 0)
            return candidate;
    }
    return {};
}

void exportToProgram(const std::string &file, const std::string &library)
{
    setenv(kFileVariable, file.c_str(), 1);
    setenv(kEpochVariable, std::to_string(monotonicMicros()).c_str(), 1);
    const char *old = std::getenv("LD_PRELOAD");
    const std::string preload = old && *old ? library + ":" + old : library;
    setenv("LD_PRELOAD", preload.c_str(), 1);
}

} // namespace velkor_sim::record
