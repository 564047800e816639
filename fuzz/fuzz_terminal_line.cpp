// Any message the terminal is given comes back exactly behind its stamp,
// whichever form the terminal kept it in. The input is the message in UTF-8;
// the seeds are the report's own lines, which the fuzzer bends into lines
// that only nearly are.
#include "terminal/terminal_item.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString message = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    TerminalStamp stamp{};
    stamp.hour = 23;
    stamp.minute = 59;
    stamp.second = 60;
    stamp.millisecond = 999;
    const std::unique_ptr<TerminalItem> item(TerminalItem::create(stamp, message));
    if (item->text() != QLatin1String("23:59:60.999: ") + message)
        std::abort();
    return 0;
}
