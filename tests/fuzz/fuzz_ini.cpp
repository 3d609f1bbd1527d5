// The settings file reader and writer on any file content.
#include "base/IniFile.h"
#include "base/TabrixError.h"
#include "tests/fuzz/FuzzFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = WriteFuzzFile("ini", data, size);
    if (path.isEmpty())
        return 0;
    using namespace Tabrix::IniFile;
    const QString value = ReadString(path, QStringLiteral("Defaults"), QStringLiteral("StationID"), QStringLiteral("x"));
    if (value.size() > MaxValueLength)
        abort();
    ReadInteger(path, QStringLiteral("Ranges"), QStringLiteral("MinValue"), 0);
    try {
        WriteString(path, QStringLiteral("Defaults"), QStringLiteral("Location"), QStringLiteral("W1"));
        if (ReadString(path, QStringLiteral("defaults"), QStringLiteral("location"), QString()) != QLatin1String("W1"))
            abort(); // a write is always read back
    } catch (const Tabrix::ETabrixError &) {
    }
    return 0;
}
