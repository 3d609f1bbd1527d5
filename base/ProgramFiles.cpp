#include "base/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Tabrix {

QString ChangeFileExt(const QString &path, const QString &extension)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot > slash)
        return path.left(dot) + extension;
    return path + extension;
}

ProgramFiles ProgramFiles::Of(const QString &programFilePath)
{
    ProgramFiles f;
    f.ProgramFile = QFileInfo(programFilePath).absoluteFilePath();
    f.ProgramDir = QFileInfo(f.ProgramFile).absolutePath() + u'/';
    f.SplashDir = f.ProgramDir + QStringLiteral("splash/");
    f.HelpFile = f.ProgramDir + QStringLiteral("docs/index.html");
    f.PrinterDefFile = ChangeFileExt(f.ProgramFile, QStringLiteral(".tpd"));
    f.SettingsFile = ChangeFileExt(f.ProgramFile, QStringLiteral(".ini"));
    return f;
}

QString ProgramFiles::ExportFolder() const
{
    // An installed program's folder belongs to root: an export there would fail.
    if (QFileInfo(ProgramDir).isWritable())
        return ProgramDir;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() && QFileInfo(documents).isWritable() ? documents
                                                                                                   : QDir::homePath();
}

} // namespace Tabrix
