#include "register/SQUtils.h"
#include "app/base/IntText.h"

namespace Tabrix {

using namespace SQUtils;

namespace {

qint32 strToNum(const QString &text)
{
    const QString s = text.toUpper();
    if (s.isEmpty())
        throw EAccnErr(QStringLiteral("No SQ Accn Provided"));
    const qsizetype p = QStringView(Letters).indexOf(s.front()) + 1;
    if (p == 0)
        throw EAccnErr(QStringLiteral("Invalid Accn Number"));
    const auto rest = ReadIntText(QStringView(s).mid(1));
    if (!rest)
        throw EAccnErr(QStringLiteral("'%1' is not a valid integer value").arg(s.mid(1)));
    // The letter stands for the leading two digits; the rest may be long or negative.
    const qint64 n = *rest + qint64(p + 9) * 10000000;
    if (n > INT32_MAX)
        throw EAccnErr(QStringLiteral("Number too large"));
    return static_cast<qint32>(n);
}

QString numToStr(qint32 n)
{
    if (n < SmallestAccn)
        throw EAccnErr(QStringLiteral("Number too small"));
    if (n > LargestAccn)
        throw EAccnErr(QStringLiteral("Number too large"));
    return QChar(Letters[n / 10000000 - 10]) + QString::number(n % 10000000);
}

} // namespace

qint32 AccnStrToNum(const QString &text)
{
    try {
        return strToNum(text);
    } catch (const EAccnErr &) {
        return 0;
    }
}

QString AccnNumToStr(qint32 number)
{
    try {
        return numToStr(number);
    } catch (const EAccnErr &) {
        return QString();
    }
}

} // namespace Tabrix
