#include "labels/preview/ZplStream.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace Tabrix {

void ForEachZplCommand(const QByteArray &bytes, const std::function<bool(const ZplCommand &)> &take)
{
    const auto isPrefix = [](char c) { return c == '^' || c == '~'; };
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n && !isPrefix(bytes[i]))
        ++i;
    while (i < n) {
        ZplCommand c;
        c.prefix = bytes[i++];
        // A font command is one letter followed by the font's name; all others two.
        const qsizetype codeLength = (i < n && (bytes[i] == 'A' || bytes[i] == 'a')) ? 1 : 2;
        c.code = bytes.mid(i, codeLength).toUpper();
        i += c.code.size();
        const qsizetype end = std::find_if(bytes.begin() + i, bytes.end(), isPrefix) - bytes.begin();
        c.params = bytes.mid(i, end - i);
        c.params.replace('\r', QByteArray()).replace('\n', QByteArray());
        i = end;
        if (!take(c))
            return;
    }
}

int ZplParams::number(int i, int fallback, int low, int high) const
{
    bool ok = false;
    const double v = item(i).toDouble(&ok);
    return std::clamp(ok && std::isfinite(v) ? int(std::clamp(v, -1e9, 1e9)) : fallback, low, high);
}

double ZplParams::real(int i, double fallback, double low, double high) const
{
    bool ok = false;
    const double v = item(i).toDouble(&ok);
    return std::clamp(ok && std::isfinite(v) ? v : fallback, low, high);
}

char ZplParams::letter(int i, char fallback) const
{
    const QByteArray v = item(i);
    return v.isEmpty() ? fallback : char(std::toupper(static_cast<unsigned char>(v[0])));
}

} // namespace Tabrix
