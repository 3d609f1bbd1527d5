// The data link file reader on any file content.
#include "base/TabrixError.h"
#include "register/DataLink.h"
#include "tests/fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = WriteFuzzFile("udl", data, size);
    if (path.isEmpty())
        return 0;
    try {
        Tabrix::DataLink::Read(path);
    } catch (const Tabrix::ETabrixError &) {
    }
    return 0;
}
