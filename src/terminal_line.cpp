#include "terminal_line.h"

#include <QDateTime>

QString terminalLine(const QString &message)
{
    return QString("%1: %2").arg(QDateTime::currentDateTime().toString("hh:mm:ss.zzz")).arg(message);
}
