#include "terminal_item.h"

#include "cyrillic_bytes.h"

#include <cstring>

TerminalItem *TerminalItem::create(QLatin1String stamp, const QString &message)
{
    if (TerminalItem *item = createCyrillic(stamp, message))
        return item;
    const Encoding encoding = isLatin1(message) ? Encoding::Latin1 : Encoding::Utf16;
    const int length = stamp.size() + message.size();
    const TextBytes text{std::size_t(length) * (encoding == Encoding::Utf16 ? sizeof(QChar) : 1)};
    TerminalItem *item = new (text) TerminalItem(encoding, length);
    item->store(stamp, message);
    return item;
}

QVariant TerminalItem::data(int role) const
{
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return line();
    return QListWidgetItem::data(role);
}

std::size_t TerminalItem::memoryBytes(const QListWidgetItem *item)
{
    // The item's private part, the model's pointer to it, the view's row
    // position and the heap's own headers, as measured on a shown list: Qt 6
    // keeps in the private part what Qt 5 keeps in the item itself, so the
    // same line takes the same memory under both.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    const std::size_t listBytesPerLine = 80;
#else
    const std::size_t listBytesPerLine = 88;
#endif
    const int type = item->type();
    if (type < int(Encoding::Latin1) || type > int(Encoding::Utf16))
        return 0;
    return sizeof(TerminalItem) + static_cast<const TerminalItem *>(item)->textBytes() + listBytesPerLine;
}

void TerminalItem::operator delete(void *item)
{
    ::operator delete(item);
}

TerminalItem::TerminalItem(Encoding encoding, int length)
    : QListWidgetItem(nullptr, int(encoding)), length_(length)
{
}

void *TerminalItem::operator new(std::size_t size, TextBytes text)
{
    return ::operator new(size + text.size);
}

void TerminalItem::operator delete(void *item, TextBytes)
{
    ::operator delete(item);
}

// The tool's own lines are ASCII with Cyrillic: they are stored in one pass,
// and a line that turns out to hold anything else is stored the general way.
TerminalItem *TerminalItem::createCyrillic(QLatin1String stamp, const QString &message)
{
    const int length = stamp.size() + message.size();
    TerminalItem *item = new (TextBytes{std::size_t(length)}) TerminalItem(Encoding::Cyrillic, length);
    std::memcpy(item->bytes(), stamp.data(), std::size_t(stamp.size()));
    if (toCyrillicBytes(message.utf16(), message.size(), item->bytes() + stamp.size()))
        return item;
    delete item;
    return nullptr;
}

bool TerminalItem::isLatin1(const QString &message)
{
    for (const QChar c : message) {
        if (c.unicode() >= 0x100)
            return false;
    }
    return true;
}

void TerminalItem::store(QLatin1String stamp, const QString &message)
{
    if (encoding() == Encoding::Latin1) {
        std::memcpy(bytes(), stamp.data(), std::size_t(stamp.size()));
        char *text = bytes() + stamp.size();
        for (const QChar c : message)
            *text++ = char(c.unicode());
        return;
    }
    QChar *chars = reinterpret_cast<QChar *>(bytes());
    for (const char c : stamp)
        *chars++ = QLatin1Char(c);
    std::memcpy(static_cast<void *>(chars), message.constData(), std::size_t(message.size()) * sizeof(QChar));
}

QString TerminalItem::line() const
{
    const char *text = bytes();
    switch (encoding()) {
    case Encoding::Latin1:
        return QString::fromLatin1(text, length_);
    case Encoding::Cyrillic: {
        QString line;
        line.resize(length_);
        QChar *chars = line.data();
        for (int i = 0; i < length_; ++i) {
            const ushort b = static_cast<unsigned char>(text[i]);
            chars[i] = QChar(ushort(b < 0x80 ? b : b + cyrillicOffset));
        }
        return line;
    }
    case Encoding::Utf16:
        break;
    }
    return QString(reinterpret_cast<const QChar *>(text), length_);
}
