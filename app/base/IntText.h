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

} // namespace Tabrix
