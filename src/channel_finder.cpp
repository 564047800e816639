#include "channel_finder.h"

#include "velkor_cmd.h"

#include <QDir>
#include <QRegExp>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

QString ChannelFinder::ChannelInfo::toString() const
{
    return QString("%1 (%2)").arg(m_name).arg(m_pciLocation);
}

QStringList ChannelFinder::getChannelList()
{
    // The driver makes its nodes as character devices: only system entries can be channels.
    const QStringList entries = QDir("/dev").entryList(QDir::System, QDir::NoSort);
    const QRegExp channelName("mil1553dev-(\\d+)-ch-(\\d+)", Qt::CaseSensitive, QRegExp::RegExp);
    QStringList channels;
    for (const QString &entry : entries) {
        if (channelName.exactMatch(entry))
            channels.append(QString("/dev/%1").arg(entry));
    }
    return channels;
}

static QString readPciLocation(const QString &path)
{
    // Cleared so that a node that fails to open, or a driver that does not
    // answer, shows an empty location rather than stale stack bytes.
    PCI_LOCATION location = {};
    const int fd = open(path.toLatin1().constData(), O_RDWR);
    ioctl(fd, IOCTL_GET_PCI_LOCATION, &location);
    close(fd);
    return QString::fromLatin1(location.name, sizeof location.name);
}

QVector<ChannelFinder::ChannelInfo> ChannelFinder::getChannelInfoList()
{
    QVector<ChannelInfo> channels;
    for (const QString &path : getChannelList())
        channels.append(ChannelInfo{path, readPciLocation(path)});
    return channels;
}
