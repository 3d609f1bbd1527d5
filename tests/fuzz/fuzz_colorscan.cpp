// The colouring scan: every span lies inside the text, in order, without overlaps.
#include "editor/ColorScan.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    qint32 end = 0;
    for (const Tabrix::TColorSpan &s : Tabrix::ScanColorSpans(text)) {
        if (s.Start < end || s.Length <= 0 || s.Start + s.Length > text.size() || s.Kind > 2)
            abort();
        end = s.Start + s.Length;
    }
    return 0;
}
