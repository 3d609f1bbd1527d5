#include "tests/TestSupport.h"
#include "app/TabrixDefs.h"
#include "register/setup/RegisterSetup.h"

#include <QFile>

namespace Tabrix::Support {

ProgramFolder::ProgramFolder()
{
    TabrixDefs::Initialise(programFile());
}

void ProgramFolder::createRegister()
{
    RegisterSetup::CreateSqliteRegister(path(QStringLiteral("tabrix.db")));
    RegisterSetup::WriteDataLink(path(QStringLiteral("tabrix.udl")), QStringLiteral("Provider=SQLite;Data Source=tabrix.db"));
}

void ProgramFolder::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path(name)));
}

QByteArray ProgramFolder::readFile(const QString &name) const
{
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace Tabrix::Support
