#ifndef TERMINAL_ITEM_H
#define TERMINAL_ITEM_H

#include <QLatin1String>
#include <QListWidgetItem>

#include <cstddef>

// One terminal line as an item of the terminal list, holding its text in as
// few bytes as it takes: the memory of a line decides how many lines the
// terminal keeps within its ceiling; an item that keeps its text as a QString
// spends twice the text and a QVariant around it.
//
// The text lies in the item's own allocation, right behind the object. The
// tool's texts are ASCII and Cyrillic, and a driver's PCI location may bring
// Latin-1 bytes: a line of either kind takes one byte a character. A line
// that mixes Cyrillic with Latin-1 letters, or holds anything else, keeps
// its UTF-16.
class TerminalItem : public QListWidgetItem
{
public:
    // The line is the stamp followed by the message.
    static TerminalItem *create(QLatin1String stamp, const QString &message);

    QVariant data(int role) const override;

    // What the line takes in memory, the list's own share of it included;
    // 0 for an item that is not a terminal line.
    static std::size_t memoryBytes(const QListWidgetItem *item);

    static void operator delete(void *item);

private:
    // The encoding is the item's type, so that the object stays as small
    // as the plain item it derives from: the length fits in its padding.
    enum class Encoding { Latin1 = UserType, Cyrillic, Utf16 };

    // The size of the text that the allocation holds behind the object.
    struct TextBytes {
        std::size_t size;
    };

    TerminalItem(Encoding encoding, int length);
    static void *operator new(std::size_t size, TextBytes text);
    static void operator delete(void *item, TextBytes text);

    static TerminalItem *createCyrillic(QLatin1String stamp, const QString &message);
    static bool isLatin1(const QString &message);
    void store(QLatin1String stamp, const QString &message);
    QString line() const;
    std::size_t textBytes() const { return std::size_t(length_) * (encoding() == Encoding::Utf16 ? sizeof(QChar) : 1); }
    char *bytes() { return reinterpret_cast<char *>(this + 1); }
    const char *bytes() const { return reinterpret_cast<const char *>(this + 1); }

    Encoding encoding() const { return Encoding(type()); }

    int length_;
};

#endif
