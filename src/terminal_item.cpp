#include "terminal_item.h"

#include <cstring>

namespace {

// Cyrillic U+0400 to U+047F takes the byte values 0x80 to 0xFF.
const ushort cyrillicOffset = 0x0400 - 0x80;

bool isCyrillic(ushort c)
{
    return c >= 0x0400 && c < 0x0480;
}

} // namespace

TerminalItem *TerminalItem::create(QLatin1String stamp, const QString &message)
{
    if (TerminalItem *item = createCyrillic(stamp, message))
        return item;
    const Encoding encoding = encodingOf(message);
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
// and a line that turns out to hold anything else is left to the general way.
TerminalItem *TerminalItem::createCyrillic(QLatin1String stamp, const QString &message)
{
    const int length = stamp.size() + message.size();
    TerminalItem *item = new (TextBytes{std::size_t(length)}) TerminalItem(Encoding::Cyrillic, length);
    char *text = item->bytes();
    std::memcpy(text, stamp.data(), std::size_t(stamp.size()));
    text += stamp.size();
    const ushort *chars = message.utf16();
    bool fits = true;
    for (int i = 0; i < message.size(); ++i) {
        const ushort u = chars[i];
        fits &= u < 0x80 || isCyrillic(u);
        text[i] = char(u < 0x80 ? u : u - cyrillicOffset);
    }
    if (fits)
        return item;
    delete item;
    return nullptr;
}

TerminalItem::Encoding TerminalItem::encodingOf(const QString &message)
{
    bool latin1 = true;
    bool cyrillic = true;
    for (const QChar c : message) {
        const ushort u = c.unicode();
        latin1 = latin1 && u < 0x100;
        cyrillic = cyrillic && (u < 0x80 || isCyrillic(u));
    }
    if (latin1)
        return Encoding::Latin1;
    return cyrillic ? Encoding::Cyrillic : Encoding::Utf16;
}

void TerminalItem::store(QLatin1String stamp, const QString &message)
{
    if (encoding() == Encoding::Utf16) {
        QChar *chars = reinterpret_cast<QChar *>(bytes());
        for (const char c : stamp)
            *chars++ = QLatin1Char(c);
        std::memcpy(chars, message.constData(), std::size_t(message.size()) * sizeof(QChar));
        return;
    }
    char *text = bytes();
    std::memcpy(text, stamp.data(), std::size_t(stamp.size()));
    text += stamp.size();
    const ushort offset = encoding() == Encoding::Cyrillic ? cyrillicOffset : 0;
    for (const QChar c : message) {
        const ushort u = c.unicode();
        *text++ = char(u < 0x80 ? u : u - offset);
    }
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
