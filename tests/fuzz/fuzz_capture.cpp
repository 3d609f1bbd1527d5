// The capture buffer under any sequence of sends and closes: each input byte is
// an operation (a close, or a send of the bytes that follow), and neither the
// bytes taken nor a conversion's text may ever pass the bound.
#include "editor/CaptureBuffer.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr qsizetype Bound = 4096;
    Tabrix::CaptureBuffer capture(Bound);
    size_t i = 0;
    while (i < size) {
        const uint8_t op = data[i++];
        if (op % 4 == 0) {
            capture.convert();
        } else {
            const size_t n = std::min<size_t>(size - i, op * 8u);
            capture.append(QByteArrayView(reinterpret_cast<const char *>(data + i), qsizetype(n)));
            i += n;
        }
        if (capture.text().size() > Bound)
            std::abort();
    }
    return 0;
}
