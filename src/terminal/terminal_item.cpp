#include "terminal_item.h"

#include "cyrillic_bytes.h"
#include "transaction_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

static_assert(sizeof(TerminalItem) == sizeof(QListWidgetItem), "the stamp fits the plain item's padding");

namespace {

// A summary's numbers as they are kept; a line whose numbers do not fit is
// kept as text.
struct SummaryPayload {
    std::uint32_t freeTimer;
    std::uint8_t typeTransaction;
    std::uint8_t countServiceWords16;
    std::uint8_t countDataWords16;
    std::uint8_t subaddress;
};

// The counts, then the listed words.
struct DataWordsPayload {
    std::uint8_t listed;
    std::uint8_t claimed;
};

// A text's length in characters, then its characters.
using TextLength = std::uint32_t;

bool fitsByte(unsigned int value)
{
    return value <= UINT8_MAX;
}

bool isLatin1(const QString &message)
{
    return std::all_of(message.begin(), message.end(), [](QChar c) { return c.unicode() < 0x100; });
}

// The allocation that glibc's malloc makes for a request: its header and
// a rounding up to 16 bytes, at least 32.
std::size_t heapChunkBytes(std::size_t request)
{
    return std::max<std::size_t>(32, (request + sizeof(std::size_t) + 15) & ~std::size_t(15));
}

} // namespace

TerminalItem *TerminalItem::create(const TerminalStamp &stamp, const QString &message)
{
    TerminalItem *item = createSummary(message);
    if (!item)
        item = createDataWords(message);
    if (!item)
        item = createCyrillic(message);
    if (!item)
        item = createText(message);
    item->stamp_ = stamp;
    return item;
}

QVariant TerminalItem::data(int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QListWidgetItem::data(role);
    const QString text = message();
    QString line(TerminalStamp::textLength + text.size(), Qt::Uninitialized);
    char stamp[TerminalStamp::textLength];
    stamp_.writeText(stamp);
    QChar *chars = line.data();
    for (const char c : stamp)
        *chars++ = QLatin1Char(c);
    std::memcpy(static_cast<void *>(chars), text.constData(), std::size_t(text.size()) * sizeof(QChar));
    return line;
}

std::size_t TerminalItem::memoryBytes(const QListWidgetItem *item)
{
    // The item's private part, the model's pointer to it and the room its
    // list keeps for growing, a third of it on average: Qt 6 keeps in the
    // private part what Qt 5 keeps in the item itself.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    const std::size_t listBytesPerLine = 32 + 8 + 4;
#else
    const std::size_t listBytesPerLine = 48 + 8 + 4;
#endif
    const int type = item->type();
    if (type < int(Form::Latin1Text) || type >= int(Form::FirstSummary) + SummaryForms)
        return 0;
    const auto *line = static_cast<const TerminalItem *>(item);
    return heapChunkBytes(sizeof(TerminalItem) + line->payloadBytes()) + listBytesPerLine;
}

void TerminalItem::operator delete(void *item)
{
    ::operator delete(item);
}

TerminalItem::TerminalItem(int form) : QListWidgetItem(nullptr, form), stamp_{}
{
}

void *TerminalItem::operator new(std::size_t size, PayloadBytes payload)
{
    return ::operator new(size + payload.size);
}

void TerminalItem::operator delete(void *item, PayloadBytes)
{
    ::operator delete(item);
}

TerminalItem *TerminalItem::createSummary(const QString &message)
{
    TransactionSummary summary;
    if (!readSummaryLine(message, summary) || !fitsByte(summary.typeTransaction)
        || !fitsByte(summary.countServiceWords16) || !fitsByte(summary.countDataWords16)
        || !fitsByte(summary.subaddress))
        return nullptr;
    const int texts = (summary.success ? Success : 0) | (summary.busB ? BusB : 0)
                      | (summary.withSubaddress ? WithSubaddress : 0);
    auto *item = new (PayloadBytes{sizeof(SummaryPayload)}) TerminalItem(int(Form::FirstSummary) + texts);
    const SummaryPayload values{summary.freeTimer, std::uint8_t(summary.typeTransaction),
                                std::uint8_t(summary.countServiceWords16), std::uint8_t(summary.countDataWords16),
                                std::uint8_t(summary.subaddress)};
    std::memcpy(item->payload(), &values, sizeof values);
    return item;
}

TerminalItem *TerminalItem::createDataWords(const QString &message)
{
    unsigned char words[2 * DataWords::maxListed];
    DataWords dataWords;
    if (!readDataWordsLine(message, dataWords, words) || !fitsByte(dataWords.claimed))
        return nullptr;
    const std::size_t wordBytes = 2 * std::size_t(dataWords.listed);
    auto *item = new (PayloadBytes{sizeof(DataWordsPayload) + wordBytes}) TerminalItem(int(Form::DataWords));
    const DataWordsPayload counts{std::uint8_t(dataWords.listed), std::uint8_t(dataWords.claimed)};
    std::memcpy(item->payload(), &counts, sizeof counts);
    std::memcpy(item->payload() + sizeof counts, words, wordBytes);
    return item;
}

// The tool's own texts are ASCII with Cyrillic: they are stored in one pass,
// and a message that turns out to hold anything else is stored the general way.
TerminalItem *TerminalItem::createCyrillic(const QString &message)
{
    const TextLength length = TextLength(message.size());
    auto *item = new (PayloadBytes{sizeof length + length}) TerminalItem(int(Form::CyrillicText));
    std::memcpy(item->payload(), &length, sizeof length);
    if (toCyrillicBytes(message.utf16(), message.size(), reinterpret_cast<char *>(item->payload() + sizeof length)))
        return item;
    delete item;
    return nullptr;
}

TerminalItem *TerminalItem::createText(const QString &message)
{
    const TextLength length = TextLength(message.size());
    const bool latin1 = isLatin1(message);
    const std::size_t charBytes = latin1 ? 1 : sizeof(QChar);
    auto *item = new (PayloadBytes{sizeof length + length * charBytes})
        TerminalItem(int(latin1 ? Form::Latin1Text : Form::Utf16Text));
    std::memcpy(item->payload(), &length, sizeof length);
    unsigned char *text = item->payload() + sizeof length;
    if (!latin1) {
        std::memcpy(text, message.constData(), length * charBytes);
        return item;
    }
    for (const QChar c : message)
        *text++ = static_cast<unsigned char>(c.unicode());
    return item;
}

QString TerminalItem::message() const
{
    QString text;
    if (isSummary())
        return writeSummaryLine(text, summary());
    if (Form(type()) == Form::DataWords)
        return writeDataWordsLine(text, dataWords());

    TextLength length;
    std::memcpy(&length, payload(), sizeof length);
    const unsigned char *bytes = payload() + sizeof length;
    switch (Form(type())) {
    case Form::Latin1Text:
        return QString::fromLatin1(reinterpret_cast<const char *>(bytes), int(length));
    case Form::CyrillicText: {
        text.resize(int(length));
        QChar *chars = text.data();
        for (TextLength i = 0; i < length; ++i)
            chars[i] = QChar(ushort(bytes[i] < 0x80 ? bytes[i] : bytes[i] + cyrillicOffset));
        return text;
    }
    default:
        text.resize(int(length));
        std::memcpy(static_cast<void *>(text.data()), bytes, length * sizeof(QChar));
        return text;
    }
}

TransactionSummary TerminalItem::summary() const
{
    SummaryPayload values;
    std::memcpy(&values, payload(), sizeof values);
    const int texts = type() - int(Form::FirstSummary);
    TransactionSummary summary;
    summary.typeTransaction = values.typeTransaction;
    summary.success = (texts & Success) != 0;
    summary.freeTimer = values.freeTimer;
    summary.countServiceWords16 = values.countServiceWords16;
    summary.countDataWords16 = values.countDataWords16;
    summary.withSubaddress = (texts & WithSubaddress) != 0;
    summary.subaddress = values.subaddress;
    summary.busB = (texts & BusB) != 0;
    return summary;
}

DataWords TerminalItem::dataWords() const
{
    DataWordsPayload counts;
    std::memcpy(&counts, payload(), sizeof counts);
    DataWords dataWords;
    dataWords.listed = counts.listed;
    dataWords.claimed = counts.claimed;
    dataWords.words = payload() + sizeof counts;
    return dataWords;
}

std::size_t TerminalItem::payloadBytes() const
{
    if (isSummary())
        return sizeof(SummaryPayload);
    if (Form(type()) == Form::DataWords)
        return sizeof(DataWordsPayload) + 2 * std::size_t(dataWords().listed);
    TextLength length;
    std::memcpy(&length, payload(), sizeof length);
    return sizeof length + length * (Form(type()) == Form::Utf16Text ? sizeof(QChar) : 1);
}

bool TerminalItem::isSummary() const
{
    return type() >= int(Form::FirstSummary) && type() < int(Form::FirstSummary) + SummaryForms;
}
