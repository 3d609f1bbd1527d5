// tabrix-register: creates an empty register and the data link file naming it.
//
//   tabrix-register sqlite PROGRAM_DIR [DB_FILE]
//     creates DB_FILE (default PROGRAM_DIR/tabrix.db) and PROGRAM_DIR/tabrix.udl
//   tabrix-register postgresql PROGRAM_DIR HOST PORT DATABASE USER [PASSWORD]
//     creates the tables in the existing, empty DATABASE and PROGRAM_DIR/tabrix.udl
//   tabrix-register upgrade PROGRAM_DIR
//     brings the register that PROGRAM_DIR/tabrix.udl names up to the shipped schema;
//     lists the accession numbers held twice, and changes nothing, when there are any
//   tabrix-register count DB_FILE
//     prints how many registrations the SQLite register DB_FILE holds
//   tabrix-register verify PROGRAM_DIR
//     checks the audit trail of the register PROGRAM_DIR/tabrix.udl names: names
//     every row changed or removed, and exits 1 when there is one
#include "base/InfoOptions.h"
#include "base/TabrixError.h"
#include "register/AuditTrail.h"
#include "register/DataLink.h"
#include "register/RegisterStatement.h"
#include "register/setup/RegisterSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

using namespace Tabrix;

namespace {

// The register a program folder's data link file names.
QSqlDatabase openRegister(const QString &udlFile, const QString &connection)
{
    return DataLink::Read(udlFile).Connect(connection, QFileInfo(udlFile).absolutePath());
}

int upgrade(const QString &udlFile)
{
    QSqlDatabase db = openRegister(udlFile, QStringLiteral("tabrix-upgrade"));
    const QStringList duplicates = RegisterSetup::UpgradeRegister(db);
    db.close();
    if (!duplicates.isEmpty()) {
        std::fprintf(stderr, "tabrix-register: the register holds these accession numbers more than once; "
                             "nothing was changed:\n");
        for (const QString &row : duplicates)
            std::fprintf(stderr, "  %s\n", qPrintable(row));
        return 1;
    }
    std::printf("The register of %s is up to date: no accession number can be given twice.\n", qPrintable(udlFile));
    return 0;
}

// Whether the audit trail is whole: each row changed or removed is named.
int verify(const QString &udlFile)
{
    QSqlDatabase db = openRegister(udlFile, QStringLiteral("tabrix-verify"));
    if (!HasTable(db, QStringLiteral("audit_log"))) {
        std::fprintf(stderr, "tabrix-register: the register of %s has no audit trail; \"tabrix-register upgrade\" "
                             "adds one\n", qPrintable(udlFile));
        return 1;
    }
    const QStringList faults = VerifyAuditTrail(db);
    QSqlQuery rows = ExecRegister(db, QStringLiteral("SELECT count(*) FROM audit_log"));
    const qint64 count = rows.next() ? rows.value(0).toLongLong() : 0;
    db.close();
    if (!faults.isEmpty()) {
        std::fprintf(stderr, "tabrix-register: the audit trail was changed:\n");
        for (const QString &fault : faults)
            std::fprintf(stderr, "  %s\n", qPrintable(fault));
        return 1;
    }
    std::printf("The audit trail of %s is whole: %lld rows.\n", qPrintable(udlFile), count);
    return 0;
}

int createPostgres(const QDir &programDir, const QStringList &args)
{
    RegisterSetup::CreatePostgresRegister(args[2], args[3].toInt(), args[4], args[5], args.value(6));
    RegisterSetup::WriteDataLink(programDir.absoluteFilePath(QStringLiteral("tabrix.udl")),
                                 QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;User ID=%4;Password=%5")
                                     .arg(args[2], args[3], args[4], args[5], args.value(6)));
    return 0;
}

int createSqlite(const QDir &programDir, const QString &dbFile)
{
    RegisterSetup::CreateSqliteRegister(dbFile);
    const QString source = QFileInfo(dbFile).absolutePath() == programDir.absolutePath() ? QFileInfo(dbFile).fileName()
                                                                                         : dbFile;
    RegisterSetup::WriteDataLink(programDir.absoluteFilePath(QStringLiteral("tabrix.udl")),
                                 QStringLiteral("Provider=SQLite;Data Source=%1").arg(source));
    std::printf("Created %s and %s\n", qPrintable(dbFile), qPrintable(programDir.absoluteFilePath(QStringLiteral("tabrix.udl"))));
    return 0;
}

const char Usage[] = "Usage: tabrix-register sqlite PROGRAM_DIR [DB_FILE]\n"
                     "       tabrix-register postgresql PROGRAM_DIR HOST PORT DATABASE USER [PASSWORD]\n"
                     "       tabrix-register upgrade PROGRAM_DIR\n"
                     "       tabrix-register count DB_FILE\n"
                     "       tabrix-register verify PROGRAM_DIR\n"
                     "Creates an empty register (an SQLite file, or the tables in an empty PostgreSQL\n"
                     "database) and the data link file PROGRAM_DIR/tabrix.udl naming it; brings an\n"
                     "existing register up to this version's schema; counts the registrations of an\n"
                     "SQLite register; checks a register's audit trail. See tabrix-register(1).\n";

int run(const QStringList &args)
{
    const auto udl = [&] { return QDir(args[1]).absoluteFilePath(QStringLiteral("tabrix.udl")); };
    if (args.size() == 2 && args[0] == QLatin1String("upgrade"))
        return upgrade(udl());
    if (args.size() == 2 && args[0] == QLatin1String("count")) { // the registrations of an SQLite register file
        std::printf("%lld\n", RegisterSetup::CountRegistrations(args[1]));
        return 0;
    }
    if (args.size() == 2 && args[0] == QLatin1String("verify"))
        return verify(udl());
    const bool postgres = args.value(0) == QLatin1String("postgresql");
    if (args.size() < 2 || (args[0] != QLatin1String("sqlite") && !postgres) || (postgres && args.size() < 6)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const QDir programDir(args[1]);
    return postgres ? createPostgres(programDir, args)
                    : createSqlite(programDir, programDir.absoluteFilePath(args.value(2, QStringLiteral("tabrix.db"))));
}

} // namespace

int main(int argc, char **argv)
{
    if (const auto answered = AnswerInfoOptions(argc, argv, "tabrix-register", Usage))
        return *answered;
    QCoreApplication app(argc, argv);
    try {
        return run(app.arguments().mid(1));
    } catch (const ETabrixError &e) {
        std::fprintf(stderr, "tabrix-register: %s\n", qPrintable(e.message()));
        return 1;
    }
}
