#include "register/SQUtils.h"
#include "base/IntText.h"

#include <optional>

namespace Tabrix {

using namespace SQUtils;

qint32 AccnStrToNum(const QString &text)
{
    const QString s = text.toUpper();
    if (s.isEmpty())
        return 0; // no accession given
    const qsizetype p = QStringView(Letters).indexOf(s.front()) + 1;
    if (p == 0)
        return 0; // no accession letter
    const std::optional<qint32> rest = ReadIntText(QStringView(s).mid(1));
    if (!rest)
        return 0;
    // The letter stands for the leading two digits; the rest may be long or negative.
    const qint64 n = *rest + qint64(p + 9) * 10000000;
    return n > INT32_MAX ? 0 : static_cast<qint32>(n);
}

QString AccnNumToStr(qint32 number)
{
    if (number < SmallestAccn || number > LargestAccn)
        return QString();
    return QChar(Letters[number / 10000000 - 10]) + QString::number(number % 10000000);
}

} // namespace Tabrix
