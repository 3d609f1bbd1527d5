// tabrix-register: creates an empty register and the data link file naming it.
//
//   tabrix-register sqlite PROGRAM_DIR [DB_FILE]
//     creates DB_FILE (default PROGRAM_DIR/tabrix.db) and PROGRAM_DIR/tabrix.udl
#include "app/TabrixError.h"
#include "register/setup/RegisterSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

using namespace Tabrix;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2 || args[0] != QLatin1String("sqlite")) {
        std::fprintf(stderr, "usage: tabrix-register sqlite PROGRAM_DIR [DB_FILE]\n");
        return 2;
    }
    const QDir programDir(args[1]);
    const QString dbFile = programDir.absoluteFilePath(args.value(2, QStringLiteral("tabrix.db")));
    try {
        RegisterSetup::CreateSqliteRegister(dbFile);
        const QString source = QFileInfo(dbFile).absolutePath() == programDir.absolutePath()
                                   ? QFileInfo(dbFile).fileName()
                                   : dbFile;
        RegisterSetup::WriteDataLink(programDir.absoluteFilePath(QStringLiteral("tabrix.udl")),
                                     QStringLiteral("Provider=SQLite;Data Source=%1").arg(source));
        std::printf("Created %s and %s\n", qPrintable(dbFile),
                    qPrintable(programDir.absoluteFilePath(QStringLiteral("tabrix.udl"))));
    } catch (const ETabrixError &e) {
        std::fprintf(stderr, "tabrix-register: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
