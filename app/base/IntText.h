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
// (spaces and control characters; the expansion's blanks start at 1).
QStringView TrimBlanks(QStringView text, char16_t lowest = 0);

} // namespace Tabrix
