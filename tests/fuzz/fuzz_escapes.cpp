// Captured bytes turned into template text and back give the same bytes.
#include "labels/Template.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (Tabrix::DecodeEscapes(Tabrix::EncodeEscapes(bytes)) != bytes)
        abort();
    return 0;
}
