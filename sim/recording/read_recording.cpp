#include "recording.h"

#include "gzip_member.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace velkor_sim::recording {

namespace {

constexpr unsigned kChunkBytes = 1u << 16;

using GzFile = std::unique_ptr<gzFile_s, decltype(&gzclose)>;

// zlib reads a file that is not gzip as it is; the name alone says which to expect.
GzFile open(const std::string &path)
{
    GzFile file(gzopen(path.c_str(), "rb"), &gzclose);
    if (!file)
        throw FormatError(0, "cannot open " + path + ": " + std::strerror(errno ? errno : ENOMEM));
    if (isGzipName(path) && gzdirect(file.get()))
        throw FormatError(0, path + " is not gzip, though its name ends in .gz");
    return file;
}

class LineReader {
public:
    std::vector<Event> events;

    void take(const std::string &line)
    {
        ++number_;
        if (number_ == 1)
            checkVersion(line);
        else if (line.empty() || line[0] != '#')
            events.push_back(parse(line));
    }

    // The number of the line that a cut at this point falls into.
    std::size_t nextLine() const { return number_ + 1; }
    bool sawVersion() const { return number_ > 0; }

private:
    void checkVersion(const std::string &line) const
    {
        static const std::string prefix = "velkor-recording ";
        if (line == kVersionLine)
            return;
        if (line.compare(0, prefix.size(), prefix) == 0)
            throw FormatError(1, "version " + line.substr(prefix.size()) + " of the format, "
                                 "but this reader knows only \"" + kVersionLine + "\"");
        throw FormatError(0, std::string("no version line: the first line is not \"") +
                                 kVersionLine + "\"");
    }

    Event parse(const std::string &line) const
    {
        if (line.empty())
            throw FormatError(number_, "the line is empty");
        try {
            return parseEvent(line);
        } catch (FormatError &error) {
            error.line = number_;
            throw;
        }
    }

    std::size_t number_ = 0;
};

} // namespace

std::vector<Event> readRecording(const std::string &path)
{
    GzFile file = open(path);
    LineReader lines;
    std::string pending;
    std::string chunk(kChunkBytes, '\0');
    int read;
    while ((read = gzread(file.get(), chunk.data(), kChunkBytes)) > 0) {
        pending.append(chunk.data(), static_cast<std::size_t>(read));
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
            lines.take(pending.substr(start, end - start));
        pending.erase(0, start);
    }
    int status = Z_OK;
    const char *message = gzerror(file.get(), &status);
    if (read < 0 || status != Z_OK)
        throw FormatError(lines.nextLine(), status == Z_BUF_ERROR
                                                ? "the gzip data is cut short"
                                                : std::string("the file cannot be read: ") + message);
    if (!pending.empty())
        throw FormatError(lines.nextLine(), "the line has no newline: the file is cut short");
    if (!lines.sawVersion())
        throw FormatError(0, "the file is empty: no version line");
    return std::move(lines.events);
}

} // namespace velkor_sim::recording
