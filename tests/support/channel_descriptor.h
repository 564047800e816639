// A descriptor on a simulated channel node, opened as the tool opens it.
#ifndef CHANNEL_DESCRIPTOR_H
#define CHANNEL_DESCRIPTOR_H

#include <QByteArray>

#include <fcntl.h>
#include <unistd.h>

class ChannelDescriptor
{
public:
    explicit ChannelDescriptor(int channel)
        : fd_(::open(QByteArray("/dev/mil1553dev-0-ch-").append(QByteArray::number(channel)).constData(), O_RDWR))
    {
    }
    ~ChannelDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ChannelDescriptor(const ChannelDescriptor &) = delete;
    ChannelDescriptor &operator=(const ChannelDescriptor &) = delete;

    int fd() const { return fd_; }

private:
    int fd_;
};

#endif
