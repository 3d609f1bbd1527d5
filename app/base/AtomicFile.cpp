#include "app/base/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace Tabrix {

QString WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))
        return QStringLiteral("The file is read-only.");
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return out.errorString();
    return QString();
}

} // namespace Tabrix
