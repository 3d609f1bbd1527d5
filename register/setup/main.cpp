// tabrix-register: creates an empty register and the data link file naming it.
//
//   tabrix-register sqlite PROGRAM_DIR [DB_FILE]
//     creates DB_FILE (default PROGRAM_DIR/tabrix.db) and PROGRAM_DIR/tabrix.udl; a
//     register DB_FILE kept from before (a reinstall) gets only the data link file
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
//   tabrix-register backup PROGRAM_DIR FILE
//     copies the SQLite register PROGRAM_DIR/tabrix.udl names whole into FILE while
//     stations keep working, checks the copy and prints what it holds
//   tabrix-register check PROGRAM_DIR
//     runs SQLite's integrity check on the register and names every fault
//   tabrix-register range PROGRAM_DIR FIRST LAST | --show
//     writes the station's accession range into PROGRAM_DIR/tabrix.ini as the
//     options dialog does, after its checks; --show prints the range and the next
//     number the register would give
#include "base/EventLog.h"
#include "base/InfoOptions.h"
#include "base/TabrixError.h"
#include "register/AuditTrail.h"
#include "register/DataLink.h"
#include "register/RecordStore.h"
#include "register/RegisterCheck.h"
#include "register/RegisterStatement.h"
#include "register/SQUtils.h"
#include "register/Station.h"
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

// A PostgreSQL register is backed up by its server's own tool; what to run.
void refusePostgres(const DataLink &link, const char *what)
{
    throw ETabrixError(QStringLiteral("the register of %1 is the PostgreSQL database %2 on %3; %4 it with the server's "
                                      "own tools, for example: pg_dump -h %3 -p %5 -U %6 -F c -f tabrix.dump %2 "
                                      "(restored with pg_restore)")
                           .arg(link.path, link.value(QStringLiteral("Initial Catalog")), link.value(QStringLiteral("Data Source")),
                                QLatin1String(what),
                                link.value(QStringLiteral("Port")).isEmpty() ? QStringLiteral("5432") : link.value(QStringLiteral("Port")),
                                link.value(QStringLiteral("User ID"))));
}

bool isPostgres(const DataLink &link)
{
    return link.value(QStringLiteral("Provider")).compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0;
}

// The register copied whole while stations keep working, the copy checked.
int backup(const QString &udlFile, const QString &copy)
{
    const DataLink link = DataLink::Read(udlFile);
    if (isPostgres(link))
        refusePostgres(link, "back up");
    QSqlDatabase db = link.Connect(QStringLiteral("tabrix-backup"), QFileInfo(udlFile).absolutePath());
    const RegisterSetup::RegisterCounts n = RegisterSetup::BackupSqliteRegister(db, QFileInfo(copy).absoluteFilePath());
    db.close();
    std::printf("Copied the register of %s whole to %s and checked the copy: %lld registrations, %lld tests, %lld "
                "labels in the print ledger, %lld rows of the audit trail.\n",
                qPrintable(udlFile), qPrintable(QFileInfo(copy).absoluteFilePath()), n.registrations, n.tests, n.labels,
                n.auditRows);
    return 0;
}

// SQLite's integrity check of the register, every fault named.
int check(const QString &udlFile)
{
    const DataLink link = DataLink::Read(udlFile);
    if (isPostgres(link))
        refusePostgres(link, "check");
    QSqlDatabase db = link.Connect(QStringLiteral("tabrix-check"), QFileInfo(udlFile).absolutePath());
    const QStringList faults = CheckRegisterFile(db, false);
    db.close();
    if (!faults.isEmpty()) {
        std::fprintf(stderr, "tabrix-register: the register of %s is damaged:\n", qPrintable(udlFile));
        for (const QString &fault : faults)
            std::fprintf(stderr, "  %s\n", qPrintable(fault));
        std::fprintf(stderr, "Close Tabrix on every station that uses it and restore the register from its last "
                             "backup (see tabrix-register(1)); File > Export writes every registration that can still "
                             "be read, and names the rest.\n");
        return 1;
    }
    std::printf("The register of %s is whole.\n", qPrintable(udlFile));
    return 0;
}

// A new register file, or one kept from an earlier installation (it must be a
// register: anything else is refused), with the data link file naming it.
int createSqlite(const QDir &programDir, const QString &dbFile)
{
    const bool kept = QFileInfo::exists(dbFile);
    const qint64 registrations = kept ? RegisterSetup::CountRegistrations(dbFile) : 0;
    if (!kept)
        RegisterSetup::CreateSqliteRegister(dbFile);
    const QString source = QFileInfo(dbFile).absolutePath() == programDir.absolutePath() ? QFileInfo(dbFile).fileName()
                                                                                         : dbFile;
    const QString udl = programDir.absoluteFilePath(QStringLiteral("tabrix.udl"));
    RegisterSetup::WriteDataLink(udl, QStringLiteral("Provider=SQLite;Data Source=%1").arg(source));
    if (kept)
        std::printf("Kept the register %s (%lld registrations) and wrote %s naming it\n", qPrintable(dbFile),
                    registrations, qPrintable(udl));
    else
        std::printf("Created %s and %s\n", qPrintable(dbFile), qPrintable(udl));
    return 0;
}

// The station's accession range: written as the options dialog writes it, after
// the same checks, or shown with the next number the register would give.
int range(const QDir &programDir, const QStringList &args)
{
    Station station(programDir.absoluteFilePath(QStringLiteral("tabrix")));
    if (args.size() == 3 && args[2] == QLatin1String("--show")) {
        const TAccnRecord &range = station.settings().TAccn;
        if (const QString fault = station.rangeFault(); !fault.isEmpty())
            throw ETabrixError(fault);
        RecordStore store{station};
        store.Connect(programDir.absoluteFilePath(QStringLiteral("tabrix.udl")));
        const qint64 next = station.settings().TAccn.NextNum;
        store.Disconnect();
        const QString nextText = next <= range.MaxValue ? AccnNumToStr(qint32(next)) : QStringLiteral("none: the range is used up");
        std::printf("%s to %s (MinValue=%d, MaxValue=%d in %s); the next number is %s\n",
                    qPrintable(AccnNumToStr(range.MinValue)), qPrintable(AccnNumToStr(range.MaxValue)), range.MinValue,
                    range.MaxValue, qPrintable(station.files().SettingsFile), qPrintable(nextText));
        return 0;
    }
    // As the dialog's boxes take them: letters in capitals, six characters at most.
    const auto number = [](const QString &text) { return text.size() <= 6 ? AccnStrToNum(text.toUpper()) : 0; };
    const qint32 min = number(args[2]), max = number(args[3]);
    if (!IsAccnRange(min, max))
        throw ETabrixError(QStringLiteral("Please enter a valid Range (\"%1\" to \"%2\" is none; for example X12345 X20000)")
                               .arg(args[2], args[3]));
    station.write(Settings::MinValue, min);
    station.write(Settings::MaxValue, max);
    std::printf("The range of %s is %s to %s (MinValue=%d, MaxValue=%d)\n", qPrintable(station.files().SettingsFile),
                qPrintable(AccnNumToStr(min)), qPrintable(AccnNumToStr(max)), min, max);
    return 0;
}

const char Usage[] = "Usage: tabrix-register sqlite PROGRAM_DIR [DB_FILE]\n"
                     "       tabrix-register postgresql PROGRAM_DIR HOST PORT DATABASE USER [PASSWORD]\n"
                     "       tabrix-register upgrade PROGRAM_DIR\n"
                     "       tabrix-register count DB_FILE\n"
                     "       tabrix-register verify PROGRAM_DIR\n"
                     "       tabrix-register backup PROGRAM_DIR FILE\n"
                     "       tabrix-register check PROGRAM_DIR\n"
                     "       tabrix-register range PROGRAM_DIR FIRST LAST | --show\n"
                     "Creates an empty register (an SQLite file, or the tables in an empty PostgreSQL\n"
                     "database) and the data link file PROGRAM_DIR/tabrix.udl naming it (only the\n"
                     "file, for an SQLite register kept from before); brings an existing register up\n"
                     "to this version's schema; counts the registrations of an SQLite register;\n"
                     "checks a register's audit trail; copies an SQLite register whole while stations\n"
                     "work and checks the copy; checks a register file for damage; sets or shows the\n"
                     "station's accession range.\n"
                     "See tabrix-register(1).\n";

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
    if (args.size() == 3 && args[0] == QLatin1String("backup"))
        return backup(udl(), args[2]);
    if (args.size() == 2 && args[0] == QLatin1String("check"))
        return check(udl());
    if ((args.size() == 4 || (args.size() == 3 && args[2] == QLatin1String("--show"))) && args[0] == QLatin1String("range"))
        return range(QDir(args[1]), args);
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
    const QStringList args = app.arguments().mid(1);
    EventLog::SetProgram(QStringLiteral("tabrix-register"));
    EventLog::Write(args.mid(0, 2).join(u' ')); // the command and its folder: never a password
    try {
        const int status = run(args);
        EventLog::Write(QStringLiteral("exit status %1").arg(status));
        return status;
    } catch (const ETabrixError &e) {
        std::fprintf(stderr, "tabrix-register: %s\n", qPrintable(e.message()));
        EventLog::Write(QStringLiteral("failed: ") + e.message());
        return 1;
    }
}
