#include "gzip_member.h"

#include <zlib.h>

namespace velkor_sim::recording {

namespace {

// zlib's windowBits for a gzip header and trailer around the deflate data.
constexpr int kGzipWindowBits = 15 + 16;
constexpr int kMemoryLevel = 8;

} // namespace

bool isGzipName(const std::string &path)
{
    constexpr std::size_t length = 3;
    return path.size() > length && path.compare(path.size() - length, length, ".gz") == 0;
}

std::string gzipMember(const std::string &text)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits, kMemoryLevel,
                      Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string member(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef *>(member.data());
    stream.avail_out = static_cast<uInt>(member.size());
    const int status = deflate(&stream, Z_FINISH);
    member.resize(stream.total_out);
    deflateEnd(&stream);
    return status == Z_STREAM_END ? member : std::string();
}

} // namespace velkor_sim::recording
