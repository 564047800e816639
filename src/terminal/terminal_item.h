#ifndef TERMINAL_ITEM_H
#define TERMINAL_ITEM_H

#include "terminal_line.h"

#include <QListWidgetItem>

#include <cstddef>

struct TransactionSummary;
struct DataWords;

// One terminal line as an item of the terminal list, kept in as few bytes as
// give its text back exactly: the memory of a line decides how many lines
// the terminal keeps within its ceiling, and the item itself with the list's
// share of it already takes about a hundred bytes.
//
// The line lies in the item's own allocation, right behind the object, and
// its text is made again whenever it is asked for. Its stamp is the time of
// day it shows. A transaction's summary and data-word lines, nearly all of
// a busy bus, are kept as their values. Any other message is kept as text:
// the tool's texts are ASCII and Cyrillic, and a driver's PCI location may
// bring Latin-1 bytes, so a message of either kind takes one byte a
// character; one that mixes Cyrillic with Latin-1 letters, or holds anything
// else, keeps its UTF-16.
class TerminalItem : public QListWidgetItem
{
public:
    static TerminalItem *create(const TerminalStamp &stamp, const QString &message);

    QVariant data(int role) const override;

    // What the line takes in memory, the list's own share of it included;
    // 0 for an item that is not a terminal line.
    static std::size_t memoryBytes(const QListWidgetItem *item);

    static void operator delete(void *item);

private:
    // The form is the item's type, so that the object stays as small as the
    // plain item it derives from; a summary's two texts of two kinds and
    // whether it names a subaddress make eight forms of it.
    enum class Form { Latin1Text = UserType, CyrillicText, Utf16Text, DataWords, FirstSummary };
    enum SummaryTexts { Success = 1, BusB = 2, WithSubaddress = 4, SummaryForms = 8 };

    // The size of what the allocation holds behind the object.
    struct PayloadBytes {
        std::size_t size;
    };

    explicit TerminalItem(int form);
    static void *operator new(std::size_t size, PayloadBytes payload);
    static void operator delete(void *item, PayloadBytes payload);

    static TerminalItem *createSummary(const QString &message);
    static TerminalItem *createDataWords(const QString &message);
    static TerminalItem *createCyrillic(const QString &message);
    static TerminalItem *createText(const QString &message);

    QString message() const;
    TransactionSummary summary() const;
    DataWords dataWords() const;
    std::size_t payloadBytes() const;
    bool isSummary() const;

    unsigned char *payload() { return reinterpret_cast<unsigned char *>(this + 1); }
    const unsigned char *payload() const { return reinterpret_cast<const unsigned char *>(this + 1); }

    // In the padding at the end of the plain item.
    TerminalStamp stamp_;
};

#endif
