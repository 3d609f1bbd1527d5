#pragma once
#include <QByteArrayView>

namespace Tabrix {

// Text saved as UTF-16: with its byte-order mark, or starting with four plain
// characters each followed (or, big-endian, preceded) by a NUL byte. Files of
// single-byte text are read byte for byte, so such a file would be read as a
// few letters and NULs.
inline bool IsUtf16Text(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    if (bytes.size() < 8)
        return false;
    const auto plain = [](char c) { return (c >= 32 && c <= 126) || c == '\t' || c == '\r' || c == '\n'; };
    bool little = true, big = true;
    for (int i = 0; i < 8; i += 2) {
        little = little && plain(bytes[i]) && bytes[i + 1] == '\0';
        big = big && bytes[i] == '\0' && plain(bytes[i + 1]);
    }
    return little || big;
}

} // namespace Tabrix
