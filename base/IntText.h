#pragma once
#include <QLatin1StringView>
#include <QString>
#include <optional>

namespace Tabrix {

// Reads an integer text: optional leading spaces, then either an optional sign
// and decimal digits within the signed 32-bit range, or (without a sign) a
// hexadecimal number introduced by "$", "x", "X", "0x" or "0X" holding any
// 32-bit pattern. Nothing may follow. Settings values, template parameters,
// escapes and accession digits are all read this way.
std::optional<qint32> ReadIntText(QStringView text);
std::optional<qint32> ReadIntText(QLatin1StringView text);

// The value of a hexadecimal digit in either case, or -1.
int HexDigitValue(char16_t c);
// The text without its blanks at both ends: characters from `lowest` to 32
// (spaces and control characters; the expansion's blanks start at 1). For texts
// (QStringView) and bytes (QByteArrayView) alike.
template <class View>
View TrimBlanks(View text, char16_t lowest = 0)
{
    const auto blank = [lowest](auto c) {
        char16_t code;
        if constexpr (sizeof(c) == 1)
            code = static_cast<unsigned char>(c);
        else
            code = QChar(c).unicode();
        return code >= lowest && code <= 32;
    };
    qsizetype a = 0, b = text.size();
    while (a < b && blank(text[a])) ++a;
    while (b > a && blank(text[b - 1])) --b;
    return text.sliced(a, b - a);
}
inline QStringView TrimBlanks(const QString &text, char16_t lowest = 0)
{
    return TrimBlanks(QStringView(text), lowest);
}

} // namespace Tabrix
