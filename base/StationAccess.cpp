#include "base/StationAccess.h"

#include <QFileInfo>
#include <pwd.h>
#include <unistd.h>

namespace Tabrix {

QString GroupWriteRefusal(const QStringList &files)
{
    for (const QString &file : files) {
        const QFileInfo info(file); // through a link, the file it leads to
        if (!info.exists() || !(info.permissions() & QFileDevice::WriteGroup))
            continue;
        const QString path = info.canonicalFilePath();
        if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0)
            continue;
        const passwd *me = ::getpwuid(::geteuid());
        const QString user = me ? QString::fromLocal8Bit(me->pw_name) : QStringLiteral("USER");
        return QStringLiteral("Tabrix cannot start: %1 may be changed only by the members of the group \"%2\", and you "
                              "are not one of them. Ask the station's administrator to add you to the group "
                              "(adduser %3 %2), then log in again.")
            .arg(path, info.group(), user);
    }
    return QString();
}

} // namespace Tabrix
