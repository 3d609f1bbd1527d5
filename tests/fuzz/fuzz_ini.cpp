// The settings file reader and writer on any file content.
#include "app/IniFile.h"
#include "app/TabrixError.h"

#include <QDir>
#include <QFile>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = QDir::temp().filePath(QStringLiteral("tabrix-fuzz-%1.ini").arg(getpid()));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(reinterpret_cast<const char *>(data), qsizetype(size));
    f.close();
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
