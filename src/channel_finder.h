#ifndef CHANNEL_FINDER_H
#define CHANNEL_FINDER_H

#include <QString>
#include <QStringList>
#include <QVector>

class ChannelFinder
{
public:
    struct ChannelInfo {
        QString m_name;
        QString m_pciLocation;

        QString toString() const;
    };

    static QStringList getChannelList();
    static QVector<ChannelInfo> getChannelInfoList();
};

#endif
