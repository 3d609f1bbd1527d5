#include "base/IntText.h"

namespace Tabrix {

int HexDigitValue(char16_t u)
{
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

namespace {

template <class View>
std::optional<qint32> readIntText(View s)
{
    const auto at = [&](qsizetype i) { return QChar(s[i]).unicode(); };
    qsizetype i = 0;
    while (i < s.size() && at(i) == u' ') ++i;
    if (i == s.size()) return std::nullopt;

    // Hexadecimal: "$", "x", "X", "0x", "0X", then any 32-bit pattern.
    qsizetype hexStart = -1;
    if (at(i) == u'$' || at(i) == u'x' || at(i) == u'X')
        hexStart = i + 1;
    else if (at(i) == u'0' && i + 1 < s.size() && (at(i + 1) == u'x' || at(i + 1) == u'X'))
        hexStart = i + 2;
    if (hexStart >= 0) {
        if (hexStart == s.size()) return std::nullopt;
        quint64 v = 0;
        for (qsizetype j = hexStart; j < s.size(); ++j) {
            const int d = HexDigitValue(at(j));
            if (d < 0) return std::nullopt;
            v = v * 16 + d;
            if (v > 0xFFFFFFFFull) return std::nullopt;
        }
        return static_cast<qint32>(static_cast<quint32>(v));
    }

    bool negative = false;
    if (at(i) == u'+' || at(i) == u'-') {
        negative = at(i) == u'-';
        ++i;
    }
    if (i == s.size()) return std::nullopt;
    qint64 v = 0;
    for (; i < s.size(); ++i) {
        const char16_t u = at(i);
        if (u < '0' || u > '9') return std::nullopt;
        v = v * 10 + (u - '0');
        if (v > 2147483648LL) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return std::nullopt;
    return static_cast<qint32>(v);
}

} // namespace

std::optional<qint32> ReadIntText(QStringView text)
{
    return readIntText(text);
}

std::optional<qint32> ReadIntText(QLatin1StringView text)
{
    return readIntText(text);
}

} // namespace Tabrix
