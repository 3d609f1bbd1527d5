#include "app/IntText.h"

namespace Tabrix {

static int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

std::optional<qint32> ReadIntText(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == u' ') ++i;
    if (i == s.size()) return std::nullopt;

    // Hexadecimal: "$", "x", "X", "0x", "0X", then up to eight digits' worth of value.
    qsizetype hexStart = -1;
    if (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')
        hexStart = i + 1;
    else if (s[i] == u'0' && i + 1 < s.size() && (s[i + 1] == u'x' || s[i + 1] == u'X'))
        hexStart = i + 2;
    if (hexStart >= 0) {
        if (hexStart == s.size()) return std::nullopt;
        quint64 v = 0;
        for (qsizetype j = hexStart; j < s.size(); ++j) {
            const int d = hexDigit(s[j]);
            if (d < 0) return std::nullopt;
            v = v * 16 + d;
            if (v > 0xFFFFFFFFull) return std::nullopt;
        }
        return static_cast<qint32>(static_cast<quint32>(v));
    }

    bool negative = false;
    if (s[i] == u'+' || s[i] == u'-') {
        negative = s[i] == u'-';
        ++i;
    }
    if (i == s.size()) return std::nullopt;
    qint64 v = 0;
    for (; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (u < '0' || u > '9') return std::nullopt;
        v = v * 10 + (u - '0');
        if (v > 2147483648LL) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return std::nullopt;
    return static_cast<qint32>(v);
}

} // namespace Tabrix
