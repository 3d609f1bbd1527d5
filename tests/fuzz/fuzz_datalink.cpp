// The data link file reader on any file content.
#include "app/TabrixError.h"
#include "register/DataLink.h"

#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = QDir::temp().filePath(QStringLiteral("tabrix-fuzz-%1.udl").arg(getpid()));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(reinterpret_cast<const char *>(data), qsizetype(size));
    f.close();
    try {
        Tabrix::DataLink::Read(path);
    } catch (const Tabrix::ETabrixError &) {
    }
    return 0;
}
