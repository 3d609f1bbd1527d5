#pragma once
#include <QByteArrayView>

namespace Tabrix {

// Text saved as UTF-16: with its byte-order mark, or plain letters each followed
// (or, big-endian, preceded) by a NUL byte. Files of single-byte text are read
// byte for byte, so such a file would be read as a few letters and NULs.
inline bool IsUtf16Text(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    if (bytes.size() < 4)
        return false;
    const bool little = bytes[0] != '\0' && bytes[1] == '\0' && bytes[2] != '\0' && bytes[3] == '\0';
    const bool big = bytes[0] == '\0' && bytes[1] != '\0' && bytes[2] == '\0' && bytes[3] != '\0';
    return little || big;
}

} // namespace Tabrix
