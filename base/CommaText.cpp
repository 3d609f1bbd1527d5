#include "base/CommaText.h"

namespace Tabrix {

QString CommaText(const QStringList &items)
{
    if (items.size() == 1 && items.front().isEmpty())
        return QStringLiteral("\"\"");
    QStringList written;
    for (const QString &item : items) {
        const bool quote = std::any_of(item.begin(), item.end(), [](QChar c) {
            return c.unicode() <= 32 || c == u'"' || c == u',';
        });
        written << (quote ? QLatin1Char('"') + QString(item).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"') : item);
    }
    return written.join(u',');
}

} // namespace Tabrix
