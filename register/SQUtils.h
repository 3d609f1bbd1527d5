#pragma once
#include <QString>

namespace Tabrix {

// Accession numbers: the nine-digit AccnNum and its text form, a letter for the
// leading two digits followed by the rest without leading zeros (100012345 is X12345).
// Only 100000001 to 359999999 have a text form.
namespace SQUtils {
inline constexpr char16_t Letters[] = u"XMTWHFSAZBCDEGIJKLNOPQRUVY";
inline constexpr qint32 SmallestAccn = 100000001;
inline constexpr qint32 LargestAccn = 359999999;
} // namespace SQUtils

// The number of an accession text, or 0 when the text is none. Never raises.
qint32 AccnStrToNum(const QString &text);
// The text of an accession number, or "" when the number has none. Never raises.
QString AccnNumToStr(qint32 number);
// Whether two accession numbers make a range a station can number from: both
// numbers, the first not after the second.
inline bool IsAccnRange(qint32 min, qint32 max)
{
    return min != 0 && max != 0 && min <= max;
}

} // namespace Tabrix
