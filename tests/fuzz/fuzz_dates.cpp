// The date and time short forms and the date text rule on any text.
#include "register/DateText.h"
#include "register/EntryRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QDate today(2026, 12, 10);
    Tabrix::NormalizeDate(text, today);
    Tabrix::NormalizeTime(text, QTime(23, 50));
    Tabrix::HHMMToTime(text);
    Tabrix::ReadDateText(text, today);
    return 0;
}
