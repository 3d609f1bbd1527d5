#include "base/Clock.h"
#include "base/TabrixDefs.h"
#include "labels/LabelLedger.h"
#include "labels/Printers.h"
#include "labels/PrintRun.h"
#include "log/RegisterExport.h"
#include "register/EntryRules.h"
#include "register/RecordLifecycle.h"
#include "register/RegisterCheck.h"
#include "register/SQUtils.h"
#include "register/setup/RegisterSetup.h"
#include "tests/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <QTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <algorithm>

using namespace Tabrix;

// What the ledger says of a label of plain text, a printer language the program does not draw.
static const QString &Unverified = LabelJob::SentUnverified;

namespace {

// Station processes registering into one register at once.
struct Stations {
    Support::ProgramFolder folder;
    QList<QProcess *> running;
    Stations() { folder.createRegister(); }
    ~Stations() { qDeleteAll(running); }

    // With `labelTemplate`, the station prints each registration's labels with it.
    void start(const QString &name, const char *min, const char *max, int count, const QString &labelTemplate = QString())
    {
        auto *p = new QProcess;
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList args{folder.path("tabrix.udl"), QString::number(AccnStrToNum(min)), QString::number(AccnStrToNum(max)),
                         QString::number(count), name};
        if (!labelTemplate.isEmpty())
            args << labelTemplate;
        p->start(QStringLiteral(TABRIX_STATION_LOAD), args);
        running << p;
    }
    // Waits for every station; each must have saved all it was given.
    void finish()
    {
        for (QProcess *p : running) {
            ASSERT_TRUE(p->waitForFinished(300000)) << "a station hangs";
            const QString out = QString::fromUtf8(p->readAllStandardOutput()).trimmed();
            std::printf("station %s: %s\n", qPrintable(p->arguments().at(4)), qPrintable(out));
            EXPECT_EQ(p->exitCode(), 0) << qPrintable(p->arguments().at(4));
        }
        qDeleteAll(running);
        running.clear();
    }
    QVariant value(const QString &sql) { return rows(sql).value(0).value(0); }
    // Every row of a query, on a connection of the test's own.
    QList<QVariantList> rows(const QString &sql)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(Support::ProgramFolder::onPostgres() ? "QPSQL" : "QSQLITE", "check");
        QList<QVariantList> all;
        {
            if (Support::ProgramFolder::onPostgres()) {
                const QStringList pg = qEnvironmentVariable("TABRIX_TEST_PG").split(':');
                db.setHostName(pg[0]);
                db.setPort(pg[1].toInt());
                db.setUserName("postgres");
                db.setDatabaseName(currentPgDatabase());
            } else {
                db.setDatabaseName(folder.path("tabrix.db"));
            }
            db.open();
            all = Support::QueryRows(db, sql);
            db.close();
        }
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("check");
        return all;
    }
    QString currentPgDatabase() const
    {
        const QString udl = QString::fromUtf8(folder.readFile("tabrix.udl"));
        return udl.section("Initial Catalog=", 1).section(';', 0, 0);
    }
};

// Runs statements on an SQLite register file, on a connection of their own; false
// at the first that fails.
bool execOnFile(const QString &file, const QStringList &statements)
{
    bool done = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "file");
        db.setDatabaseName(file);
        done = db.open();
        QSqlQuery q(db);
        for (const QString &statement : statements)
            done = done && q.exec(statement);
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase("file");
    return done;
}

} // namespace

TEST(SharedRegister, EightStationsOnOneRangeNeverGiveANumberTwice)
{
    Stations s;
    for (int i = 1; i <= 8; ++i)
        s.start(QString("S%1").arg(i), "X12345", "X22344", 300);
    s.finish();
    EXPECT_EQ(s.value("SELECT count(*) FROM patients").toInt(), 2400);
    EXPECT_EQ(s.value("SELECT count(DISTINCT AccnNum) FROM patients").toInt(), 2400);
    EXPECT_EQ(s.value("SELECT count(*) FROM patients WHERE AccnNum < 100012345 OR AccnNum > 100022344").toInt(), 0);
    EXPECT_EQ(s.value("SELECT count(*) FROM tests").toInt(), 4800);
    EXPECT_EQ(s.value("SELECT count(*) FROM patients p WHERE (SELECT count(*) FROM tests t WHERE t.Order_id = p.Order_id) <> 2")
                  .toInt(),
              0);
    EXPECT_EQ(s.value("SELECT count(*) FROM patients WHERE AccnStr <> 'X' || CAST(AccnNum - 100000000 AS VARCHAR(10))")
                  .toInt(),
              0);
    // Each station's audit chain is whole: a row for every save and every test.
    EXPECT_EQ(s.rows("SELECT Action, count(*), count(DISTINCT Station) FROM audit_log GROUP BY Action ORDER BY Action"),
              (QList<QVariantList>{{"new", 2400, 8}, {"test added", 4800, 8}}));
    QProcess verify;
    verify.start(QStringLiteral(TABRIX_REGISTER_TOOL), {"verify", s.folder.path("")});
    ASSERT_TRUE(verify.waitForFinished(60000));
    EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardError().constData();
    EXPECT_TRUE(verify.readAllStandardOutput().contains("is whole: 7200 rows"));
}

TEST(SharedRegister, StationsWithRangesOfTheirOwnNeverBlockEachOther)
{
    Stations s;
    s.start("HIGH", "X20000", "X29999", 50); // the higher range saves first
    s.finish();
    s.start("LOW", "X10000", "X19999", 100);
    s.start("HIGH", "X20000", "X29999", 100);
    s.finish();
    EXPECT_EQ(s.value("SELECT min(AccnNum) FROM patients WHERE First_Name = 'LOW'").toInt(), 100010000);
    EXPECT_EQ(s.value("SELECT max(AccnNum) FROM patients WHERE First_Name = 'LOW'").toInt(), 100010099);
    EXPECT_EQ(s.value("SELECT max(AccnNum) FROM patients WHERE First_Name = 'HIGH'").toInt(), 100020149);
}

TEST(SharedRegister, EightStationsPrintingAtOnceRecordEveryJobOnce)
{
    if (!qEnvironmentVariableIsSet("TABRIX_CUPS_DIR"))
        GTEST_SKIP() << "the private print spooler";
    Stations s;
    const QStringList before = Support::SpoolerJobs();
    const QString labelTemplate = qEnvironmentVariable("TABRIX_TEST_DATA") + "/../app/tabrix.tpd";
    for (int i = 1; i <= 8; ++i)
        s.start(QString("S%1").arg(i), "X12345", "X22344", 10, labelTemplate);
    s.finish();
    // The capture backend names each job's file after the spooler's job id.
    const QMap<int, QByteArray> byId = Support::CapturedJobsById(before, 160);
    ASSERT_EQ(byId.size(), 160);
    const QList<QVariantList> rows = s.rows("SELECT Job_id, Bytes, Digest, Outcome, Reprint, AccnStr, TestCode FROM label_log");
    ASSERT_EQ(rows.size(), 160);
    QSet<int> recorded;
    for (const QVariantList &r : rows) {
        const int id = r[0].toInt();
        SCOPED_TRACE(id);
        EXPECT_FALSE(recorded.contains(id)) << "a job recorded twice";
        recorded << id;
        ASSERT_TRUE(byId.contains(id)) << "a row for a job the spooler never had";
        EXPECT_EQ(r[1].toLongLong(), byId[id].size());
        EXPECT_EQ(r[2].toString(), QString::fromLatin1(QCryptographicHash::hash(byId[id], QCryptographicHash::Sha256).toHex()));
        EXPECT_EQ(r[3].toString(), "sent");
        EXPECT_EQ(r[4].toInt(), 0);
        EXPECT_TRUE(byId[id].contains(r[5].toString().toLatin1())) << "the label of another registration";
        EXPECT_TRUE(byId[id].contains(r[6].toString().toLatin1()));
    }
    EXPECT_EQ(s.value("SELECT count(DISTINCT AccnNum) FROM label_log").toInt(), 80);
}

TEST(SharedRegister, ALedgerAnotherStationHoldsLockedFailsAfterTheWaitAndWorksWhenFreed)
{
    Support::ShortWriterWait shortWait(300);
    Stations s;
    RecordStore other{s.folder.station}, station{s.folder.station};
    other.Connect(s.folder.path("tabrix.udl"));
    station.Connect(s.folder.path("tabrix.udl"));
    QSqlQuery lock(other.database());
    if (Support::ProgramFolder::onPostgres())
        ASSERT_TRUE(lock.exec("BEGIN") && lock.exec("LOCK TABLE label_log IN EXCLUSIVE MODE"));
    else
        ASSERT_TRUE(lock.exec("BEGIN IMMEDIATE"));
    LabelLedger ledger(station.database());
    const LedgerEntry entry{1, 100012345, "X12345", "CBC", "label"};
    EXPECT_THROW(ledger.open(entry), EDatabaseError); // never waits for ever
    ASSERT_TRUE(lock.exec("ROLLBACK"));
    EXPECT_GT(ledger.open(entry), 0);
}

TEST(SharedRegister, UpgradeMakesTheIndexUniqueOrListsTheNumbersHeldTwice)
{
    if (Support::ProgramFolder::onPostgres())
        GTEST_SKIP() << "the register file, byte for byte";
    // A register of an older set-up tool: the same schema with a plain index and no print ledger.
    Support::ProgramFolder folder;
    const QString file = folder.path("tabrix.db");
    QStringList old;
    for (QString statement : RegisterSetup::SchemaStatements("sqlite"))
        if (!statement.contains(" label_log"))
            old << statement.replace("CREATE UNIQUE INDEX AccnNum", "CREATE INDEX AccnNum");
    for (const char *row : {"(100012345, 'X12345', '2026-12-08T09:30:00.000', 'PINDLE', 'OSKA')",
                            "(100012346, 'X12346', '2026-12-08T09:31:00.000', 'DOE', 'JANE')",
                            "(100012345, 'X12345', '2026-12-08T09:32:00.000', 'ROE', 'RICHARD')"})
        old << QString("INSERT INTO patients (AccnNum, AccnStr, Created, Last_Name, First_Name) VALUES ") + row;
    ASSERT_TRUE(execOnFile(file, old));
    RegisterSetup::WriteDataLink(folder.path("tabrix.udl"), "Provider=SQLite;Data Source=tabrix.db");
    const QByteArray before = folder.readFile("tabrix.db");

    QProcess tool;
    tool.start(QStringLiteral(TABRIX_REGISTER_TOOL), {"upgrade", folder.path("")});
    ASSERT_TRUE(tool.waitForFinished(20000));
    EXPECT_EQ(tool.exitCode(), 1);
    const QString listed = QString::fromUtf8(tool.readAllStandardError());
    EXPECT_TRUE(listed.contains("X12345 (100012345): row 1, PINDLE, OSKA")) << qPrintable(listed);
    EXPECT_TRUE(listed.contains("X12345 (100012345): row 3, ROE, RICHARD")) << qPrintable(listed);
    EXPECT_FALSE(listed.contains("X12346")) << qPrintable(listed);
    EXPECT_EQ(folder.readFile("tabrix.db"), before); // byte for byte

    // Without the second X12345 the index becomes unique and refuses one.
    ASSERT_TRUE(execOnFile(file, {"DELETE FROM patients WHERE Last_Name = 'ROE'"}));
    tool.start(QStringLiteral(TABRIX_REGISTER_TOOL), {"upgrade", folder.path("")});
    ASSERT_TRUE(tool.waitForFinished(20000));
    EXPECT_EQ(tool.exitCode(), 0) << qPrintable(QString::fromUtf8(tool.readAllStandardError()));
    EXPECT_FALSE(execOnFile(file, {"INSERT INTO patients (AccnNum, AccnStr, Created) VALUES (100012346, 'X12346', '2026-12-08')"}));
    EXPECT_TRUE(execOnFile(file, {"SELECT Label_id, Digest, Reprint FROM label_log"})); // and the ledger is there
}

TEST(SetupTool, ABackupWhileEightStationsSaveIsWholeAndHoldsEveryRegistrationCommittedBefore)
{
    if (Support::ProgramFolder::onPostgres()) {
        // A server's register is backed up with the server's tools: the tool says which.
        Support::ProgramFolder folder;
        folder.createRegister();
        QProcess tool;
        tool.start(QStringLiteral(TABRIX_REGISTER_TOOL), {"backup", folder.path(""), folder.path("copy.db")});
        ASSERT_TRUE(tool.waitForFinished(20000));
        EXPECT_EQ(tool.exitCode(), 1);
        EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError()).contains("pg_dump -h "));
        return;
    }
    Stations s;
    for (int i = 1; i <= 8; ++i)
        s.start(QString("S%1").arg(i), "X12345", "X22344", 150);
    // Once the stations are well under way, what the register holds now must be in the copy.
    QList<QVariantList> before;
    for (int tries = 0; tries < 600 && before.size() < 200; ++tries) {
        QThread::msleep(50);
        before = s.rows("SELECT AccnStr FROM patients ORDER BY AccnStr");
    }
    ASSERT_GE(before.size(), 200);
    QProcess tool;
    tool.start(QStringLiteral(TABRIX_REGISTER_TOOL), {"backup", s.folder.path(""), s.folder.path("copy.db")});
    ASSERT_TRUE(tool.waitForFinished(120000));
    const QString said = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    EXPECT_EQ(tool.exitCode(), 0) << qPrintable(said);
    EXPECT_TRUE(said.startsWith("Copied the register of " + s.folder.path("tabrix.udl") + " whole to " +
                                s.folder.path("copy.db") + " and checked the copy: "))
        << qPrintable(said);
    s.finish();
    EXPECT_EQ(s.value("SELECT count(*) FROM patients").toInt(), 1200); // the stations were never held up

    QSqlDatabase copy = QSqlDatabase::addDatabase("QSQLITE", "copy");
    copy.setDatabaseName(s.folder.path("copy.db"));
    ASSERT_TRUE(copy.open());
    EXPECT_EQ(CheckRegisterFile(copy, false), QStringList());
    const QList<QVariantList> copied = Support::QueryRows(copy, "SELECT AccnStr FROM patients ORDER BY AccnStr");
    for (const QVariantList &row : before)
        EXPECT_TRUE(copied.contains(row)) << qPrintable(row[0].toString());
    EXPECT_TRUE(said.contains(QString(": %1 registrations, ").arg(copied.size()))) << qPrintable(said);
    // A snapshot: no test without its registration (a registration's tests are saved after it, one by one).
    EXPECT_EQ(Support::QueryRows(copy, "SELECT count(*) FROM tests t WHERE NOT EXISTS (SELECT 1 FROM patients p "
                                       "WHERE p.Order_id = t.Order_id)"),
              (QList<QVariantList>{{0}}));
    copy.close();
    copy = QSqlDatabase();
    QSqlDatabase::removeDatabase("copy");
    EXPECT_EQ(QFile::permissions(s.folder.path("copy.db")) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);

    // A second backup never overwrites the first.
    tool.start(QStringLiteral(TABRIX_REGISTER_TOOL), {"backup", s.folder.path(""), s.folder.path("copy.db")});
    ASSERT_TRUE(tool.waitForFinished(20000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError()).contains("copy.db exists already"));
}

TEST(SetupTool, ADamagedRegisterIsSaidAtStartAndNamedByTheCheck)
{
    if (Support::ProgramFolder::onPostgres())
        GTEST_SKIP() << "the file check is SQLite's";
    Support::ProgramFolder folder;
    folder.createRegister();
    QStringList rows;
    for (int i = 0; i < 5000; ++i)
        rows << QString("INSERT INTO patients (AccnNum, AccnStr, Created, Last_Name) VALUES (%1, 'X%2', '2026-12-08', "
                        "'PATIENT %2')").arg(100012345 + i).arg(12345 + i);
    ASSERT_TRUE(execOnFile(folder.path("tabrix.db"), rows + QStringList{"INSERT INTO tests (Order_id, TestCode) SELECT "
                                                                        "Order_id, 'CBC' FROM patients",
                                                                        "PRAGMA wal_checkpoint(TRUNCATE)"}));
    // The export of the whole register, to hold the damaged one's against.
    QList<QByteArray> whole;
    {
        RecordStore store{folder.station};
        store.Connect(folder.path("tabrix.udl"));
        ASSERT_TRUE(ExportRegister(store.database(), folder.path("whole.txt"), [](qint64, qint64) { return true; }));
        whole = folder.readFile("whole.txt").split('\n');
    }
    const auto check = [&](QString *said) {
        QProcess tool;
        tool.start(QStringLiteral(TABRIX_REGISTER_TOOL), {"check", folder.path("")});
        tool.waitForFinished(20000);
        *said = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
        return tool.exitCode();
    };
    QString said;
    EXPECT_EQ(check(&said), 0);
    EXPECT_EQ(said, "The register of " + folder.path("tabrix.udl") + " is whole.\n");

    // A few pages in the middle of the patients overwritten, as a failing disk leaves them.
    {
        QFile f(folder.path("tabrix.db"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const qint64 page = 4096, pages = f.size() / page;
        for (qint64 p = pages / 2; p < pages / 2 + 3; ++p) {
            f.seek(p * page);
            f.write(QByteArray(int(page), '\xA5'));
        }
    }
    EXPECT_EQ(check(&said), 1);
    EXPECT_TRUE(said.startsWith("tabrix-register: the register of " + folder.path("tabrix.udl") + " is damaged:\n  "))
        << qPrintable(said);
    EXPECT_TRUE(said.contains("Page ")) << qPrintable(said);

    RecordStore store{folder.station};
    store.Connect(folder.path("tabrix.udl"));
    ASSERT_FALSE(store.damage().isEmpty());
    const QString warning = DamagedRegisterText(store.database(), folder.path(""), store.damage());
    EXPECT_TRUE(warning.startsWith("The register " + folder.path("tabrix.db") + " is damaged: ")) << qPrintable(warning);
    EXPECT_TRUE(warning.contains("run \"tabrix-register check " + QDir(folder.path("")).absolutePath() + "\"")) << qPrintable(warning);

    // The export writes every registration that can be read, as it would have, and names the rest.
    QStringList unreadable;
    EXPECT_THROW(ExportRegister(store.database(), folder.path("damaged.txt"), [](qint64, qint64) { return true; }),
                 ETabrixError); // without a list for the rest, the damage is an error
    ASSERT_TRUE(ExportRegister(store.database(), folder.path("damaged.txt"), [](qint64, qint64) { return true; },
                               &unreadable));
    EXPECT_FALSE(unreadable.isEmpty());
    QList<QByteArray> expected;
    for (const QByteArray &line : whole)
        if (std::none_of(unreadable.begin(), unreadable.end(),
                         [&](const QString &accn) { return line.contains("\\" + accn.toLatin1() + "\\"); }))
            expected << line;
    const QList<QByteArray> salvaged = folder.readFile("damaged.txt").split('\n');
    EXPECT_EQ(salvaged, expected);
    EXPECT_EQ(salvaged.size() - 1 + unreadable.size(), 5000) << qPrintable(unreadable.join(' '));
}

TEST(SetupTool, AKeptRegisterGetsItsDataLinkFileAndAnythingElseIsRefused)
{
    Support::ProgramFolder folder;
    const auto tool = [&](const QString &db, QString *said) {
        QProcess p;
        p.start(QStringLiteral(TABRIX_REGISTER_TOOL), {"sqlite", folder.path(""), db});
        p.waitForFinished(20000);
        *said = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitCode();
    };
    QString said;
    folder.writeFile("notes.db", "not a register");
    folder.writeFile("half.db", "");
    ASSERT_TRUE(execOnFile(folder.path("half.db"), {"CREATE TABLE patients (AccnNum INTEGER)"}));
    for (const char *file : {"notes.db", "half.db"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(tool(folder.path(file), &said), 1);
        EXPECT_TRUE(said.contains(folder.path(file) + " cannot be read as a register")) << qPrintable(said);
        EXPECT_FALSE(QFile::exists(folder.path("tabrix.udl")));
    }
    EXPECT_EQ(folder.readFile("notes.db"), "not a register");

    ASSERT_EQ(tool(folder.path("kept.db"), &said), 0) << qPrintable(said);
    ASSERT_TRUE(execOnFile(folder.path("kept.db"), {"INSERT INTO patients (AccnNum, AccnStr, Created) VALUES "
                                                    "(100012345, 'X12345', '2026-12-08')"}));
    QFile::remove(folder.path("tabrix.udl")); // a reinstall: the register is there, its data link file not
    EXPECT_EQ(tool(folder.path("kept.db"), &said), 0);
    EXPECT_EQ(said, "Kept the register " + folder.path("kept.db") + " (1 registrations) and wrote " +
                        folder.path("tabrix.udl") + " naming it\n");
    EXPECT_TRUE(folder.readFile("tabrix.udl").endsWith("\nProvider=SQLite;Data Source=kept.db\n"));
    EXPECT_EQ(RegisterSetup::CountRegistrations(folder.path("kept.db")), 1);
}

namespace {

// A register server of the test's own, with a register in it, that the test stops
// and starts again; the data link file of `folder` names it.
struct PrivateServer {
    QTemporaryDir dir{"/tmp/tabrix-pgr-XXXXXX"};
    QString port;
    explicit PrivateServer(int portNumber) : port(QString::number(portNumber)) {}
    ~PrivateServer() { run("stop"); }

    int run(const char *command)
    {
        QProcess cluster; // in the machine's own locale, as initdb wants
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("LC_ALL");
        cluster.setProcessEnvironment(env);
        cluster.setProcessChannelMode(QProcess::ForwardedChannels);
        cluster.start("bash", {qEnvironmentVariable("TABRIX_TEST_DATA") + "/pg/cluster.sh", command, dir.path(), port});
        return cluster.waitForFinished(60000) ? cluster.exitCode() : -1;
    }
    // Starts the server with an empty register; false when it could not.
    bool startWithRegister(const Support::ProgramFolder &folder)
    {
        if (run("start") != 0)
            return false;
        bool created = false;
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase("QPSQL", "admin");
            admin.setHostName(dir.path());
            admin.setPort(port.toInt());
            admin.setUserName("postgres");
            admin.setDatabaseName("postgres");
            created = admin.open() && QSqlQuery(admin).exec("CREATE DATABASE tabrix");
            admin.close();
        }
        QSqlDatabase::removeDatabase("admin");
        if (!created)
            return false;
        RegisterSetup::CreatePostgresRegister(dir.path(), port.toInt(), "tabrix", "postgres", QString());
        RegisterSetup::WriteDataLink(folder.path("tabrix.udl"),
                                     QString("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=tabrix;User ID=postgres")
                                         .arg(dir.path(), port));
        return true;
    }
};

} // namespace

TEST(SharedRegister, ASaveAfterTheServerRestartedReconnectsAndSavesOnce)
{
    if (!Support::ProgramFolder::onPostgres())
        GTEST_SKIP() << "a register server";
    // A server of this test's own, stopped and started while a record is typed.
    PrivateServer server(55433);
    const auto cluster = [&](const char *command) { return server.run(command); };
    Support::ProgramFolder folder;
    ASSERT_TRUE(server.startWithRegister(folder));
    Support::RecordingPrompter prompter;
    Support::Set(folder.station, [](StationSettings &s) { s.TAccn = {100012345, 100020000, 0}; });
    {
        RecordStore store{folder.station};
        RecordLifecycle life(store);
        life.CheckFields = [&] { return !CheckRecord(store.tblPatients, Clock::now()); };
        store.Connect(folder.path("tabrix.udl"));
        Cursor &p = store.tblPatients;
        const auto type = [&](const QString &last) {
            life.tbNewClick();
            p.setValue("Last_Name", last);
            p.setValue("First_Name", "OSKA");
            p.setValue("Patient_id", "MRN" + last);
            p.setValue("DOB", "01/19/1970");
            p.setValue("Location", "W1");
            p.setValue("Collection_date", Clock::now().addSecs(-3600).toString("MM/dd/yyyy"));
            p.setValue("Collection_Time", Clock::now().addSecs(-3600).toString("HHmm"));
        };

        // Restarted while typing: the save reconnects once and goes through.
        type("RESTARTED");
        ASSERT_EQ(cluster("halt"), 0);
        ASSERT_EQ(cluster("resume"), 0);
        EXPECT_TRUE(life.TryPost()) << qPrintable(prompter.errors.join('|'));
        EXPECT_EQ(p.asString("Last_Name"), "RESTARTED");
        EXPECT_EQ(p.asString("AccnStr"), "X12345");

        // Down at the moment of saving: said plainly, the record stays as typed,
        // and saves once the server is back.
        type("WAITING");
        ASSERT_EQ(cluster("halt"), 0);
        EXPECT_FALSE(life.TryPost());
        ASSERT_FALSE(prompter.errors.isEmpty());
        EXPECT_TRUE(prompter.errors.last().startsWith("The register server cannot be reached")) << qPrintable(prompter.errors.last());
        EXPECT_EQ(p.state(), Cursor::State::Insert);
        EXPECT_EQ(p.asString("Last_Name"), "WAITING");
        ASSERT_EQ(cluster("resume"), 0);
        EXPECT_TRUE(life.TryPost()) << qPrintable(prompter.errors.join('|'));
        EXPECT_EQ(p.asString("AccnStr"), "X12346");

        QSqlQuery rows(store.database());
        ASSERT_TRUE(rows.exec("SELECT string_agg(AccnStr || ':' || Last_Name, ',' ORDER BY AccnNum) FROM patients") && rows.next());
        EXPECT_EQ(rows.value(0).toString(), "X12345:RESTARTED,X12346:WAITING"); // none lost, none doubled
    }
}

TEST(SharedRegister, AServerDownDuringAPrintRunLeavesNoLabelWithoutItsRowAndSaysWhatIsIncomplete)
{
    if (!Support::ProgramFolder::onPostgres() || qEnvironmentVariableIsEmpty("TABRIX_CUPS_DIR"))
        GTEST_SKIP() << "a register server and the private print spooler";
    PrivateServer server(55434);
    Support::ProgramFolder folder;
    ASSERT_TRUE(server.startWithRegister(folder));
    Support::RecordingPrompter prompter;
    QTemporaryDir state; // the log of this run alone
    const QByteArray stateBefore = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    Support::Set(folder.station, [](StationSettings &s) {
        s.TAccn = {100012345, 100020000, 0};
        s.PrinterWait = 1000;
    });
    Printers::SetCurrentPrinter(QString());
    const QString queue = Printers::CurrentPrinterName();
    {
        RecordStore store{folder.station};
        RecordLifecycle life(store);
        PrintRun run(life, store);
        store.Connect(folder.path("tabrix.udl"));
        Support::AddPatient(store, {{"AccnNum", 100012345}, {"AccnStr", "X12345"}, {"Created", Clock::now()},
                                    {"Last_Name", "PINDLE"}, {"First_Name", "OSKA"}, {"Location", "W1"}},
                            {"CBC", "BMP", "TSH"});
        const PrinterDefinition definition{{"<#Field Name=AccnStr> <#Field Name=TestCode>[CR][LF]"}, {}};
        const QStringList before = Support::SpoolerJobs();
        // The server stops while the first label's job is open, and stays down to the run's end.
        const PrintRunResult down = run.print(definition, {[](bool) {}, [&](const QString &text) {
                                                   if (text == "Printing the label for X12345, test CBC")
                                                       QTimer::singleShot(300, [&] { server.run("halt"); });
                                               }});
        EXPECT_EQ(down.unprinted, (QStringList{"BMP", "TSH"}));
        ASSERT_EQ(prompter.errors.size(), 2);
        EXPECT_TRUE(prompter.errors[0].startsWith("The label for X12345, test BMP was not printed: the print ledger cannot "
                                                  "record it (The register server cannot be reached"))
            << qPrintable(prompter.errors[0]);
        EXPECT_TRUE(prompter.errors[1].startsWith("The label for X12345, test CBC was sent to " + queue +
                                                  ", but its record in the print ledger is incomplete"))
            << qPrintable(prompter.errors[1]);
        EXPECT_EQ(Support::CapturedJobs(before, 1), QList<QByteArray>{"X12345 CBC\r\n"});

        // Back again: the next print completes CBC's row, then sends only the labels still missing.
        ASSERT_EQ(server.run("resume"), 0);
        EXPECT_FALSE(run.print(definition, {[](bool) {}}).failed());
        EXPECT_EQ(Support::CapturedJobs(before, 3),
                  (QList<QByteArray>{"X12345 CBC\r\n", "X12345 BMP\r\n", "X12345 TSH\r\n"}));
        EXPECT_EQ(Support::QueryRows(store.database(), "SELECT TestCode, Outcome FROM label_log ORDER BY Label_id"),
                  (QList<QVariantList>{{"CBC", Unverified}, {"BMP", Unverified}, {"TSH", Unverified}}));
    }
    Clock::setFixed({});
    qputenv("XDG_STATE_HOME", stateBefore);
    // The log: the labels, the server lost and found again, the errors shown; never the patient.
    QFile file(state.filePath("tabrix/tabrix.log"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(file.readAll());
    for (const char *line : {"label X12345, test CBC: sent unverified", "label X12345, test BMP: not printed: ",
                             "register connection lost and opened again: the database ",
                             "error shown: The label for X12345, test BMP was not printed"})
        EXPECT_TRUE(log.contains(line)) << line << "\n" << qPrintable(log);
    EXPECT_FALSE(log.contains("PINDLE") || log.contains("OSKA")) << qPrintable(log);
}

// The audit trail checked by the set-up tool: whole, then a value changed with the
// sqlite3 tool, then its last row removed: each named, the exit status 1.
TEST(SharedRegister, VerifyNamesARowChangedOrRemovedBehindTheProgramsBack)
{
    if (Support::ProgramFolder::onPostgres())
        GTEST_SKIP() << "the register file, changed with sqlite3";
    Support::ProgramFolder folder;
    folder.createRegister();
    Support::Set(folder.station, [](StationSettings &s) { s.TAccn = {100012345, 100020000, 0}; s.StationID = "ER"; });
    {
        RecordStore store{folder.station};
        store.Connect(folder.path("tabrix.udl"));
        for (const char *last : {"ALPHA", "BRAVO", "CHARLIE"}) { // each saved with its audit row
            store.tblPatients.Append();
            store.tblPatients.setValue("AccnNum", 100012345 + last[0] - 'A');
            store.tblPatients.setValue("Last_Name", last);
            store.tblPatients.setValue("Created", QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
            store.postPatient({}); // a new row
        }
    }
    const auto verify = [&](int status) {
        QProcess tool;
        tool.start(QStringLiteral(TABRIX_REGISTER_TOOL), {"verify", folder.path("")});
        EXPECT_TRUE(tool.waitForFinished(20000));
        EXPECT_EQ(tool.exitCode(), status);
        return QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    };
    EXPECT_TRUE(verify(0).contains("is whole: 3 rows"));
    const auto sqlite3 = [&](const char *sql) {
        QProcess cli;
        cli.start("sqlite3", {folder.path("tabrix.db"), sql});
        ASSERT_TRUE(cli.waitForFinished(20000));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().constData();
    };
    sqlite3("UPDATE audit_log SET Details = replace(Details, 'BRAVO', 'BRAVA') WHERE Seq = 2");
    const QString changed = verify(1);
    EXPECT_TRUE(changed.contains("row 2 (station ER, number 2 of its chain) was changed after it was written"))
        << qPrintable(changed);
    sqlite3("DELETE FROM audit_log WHERE Seq = 3");
    const QString removed = verify(1);
    EXPECT_TRUE(removed.contains("station ER: the chain's last rows are missing or changed (it ends at number 2, row 2; "
                                 "it was written up to number 3)"))
        << qPrintable(removed);
}
