#pragma once
// The fuzz input as a file of its own (one per fuzzing process), for readers that take a path.
#include <QDir>
#include <QFile>
#include <unistd.h>

inline QString WriteFuzzFile(const char *extension, const uint8_t *data, size_t size)
{
    const QString path = QDir::temp().filePath(QStringLiteral("tabrix-fuzz-%1.%2").arg(getpid()).arg(QLatin1String(extension)));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    f.write(reinterpret_cast<const char *>(data), qsizetype(size));
    return path;
}
