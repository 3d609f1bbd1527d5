#include "base/Clock.h"
#include "base/TabrixDefs.h"
#include "base/DateFormat.h"
#include "labels/LabelFields.h"
#include "labels/LabelLedger.h"
#include "labels/PrintRun.h"
#include "labels/Printers.h"
#include "register/RecordLifecycle.h"
#include "tests/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QTimer>
#include <cups/cups.h>
#include <gtest/gtest.h>

using namespace Tabrix;

// What the ledger says of a label of plain text, a printer language the program does not draw.
static const QString &Unverified = LabelJob::SentUnverified;

TEST(Labels, FormatSpecifiers)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QDateTime afternoon(QDate(2026, 12, 8), QTime(14, 5, 9, 7)); // a Tuesday
    const QDateTime midnight(QDate(2026, 12, 8), QTime(0, 30));
    struct Case { const char *format; QDateTime value; const char *text; };
    const Case cases[] = {
        {"d", afternoon, "8"}, {"dd", afternoon, "08"}, {"ddd", afternoon, "Tue"}, {"dddd", afternoon, "Tuesday"},
        {"ddddd", afternoon, "12/8/26"}, {"dddddd", afternoon, "Tuesday, December 8, 2026"},
        {"ddddddd", afternoon, "Tuesday, December 8, 2026"},
        {"m", afternoon, "12"}, {"mm", afternoon, "12"}, {"mmm", afternoon, "Dec"}, {"mmmm", afternoon, "December"},
        {"mmmmm", afternoon, "December"}, {"hh:mm", afternoon, "14:05"}, {"h:m", afternoon, "14:5"},
        {"mm hh", afternoon, "12 14"},
        {"y", afternoon, "26"}, {"yy", afternoon, "26"}, {"yyy", afternoon, "2026"}, {"yyyy", afternoon, "2026"},
        {"h", afternoon, "14"}, {"hhh", afternoon, "14"}, {"hh am/pm", afternoon, "02 pm"},
        {"h:nn AM/PM", afternoon, "2:05 PM"}, {"h Am/pM", afternoon, "2 pM"}, {"h a/p", afternoon, "2 p"},
        {"h ampm", afternoon, "2 PM"}, {"h am/pm", midnight, "12 am"}, {"hh a/p h", afternoon, "02 p 14"},
        {"hh 'am/pm'", afternoon, "14 am/pm"},
        {"n", afternoon, "5"}, {"nn", afternoon, "05"}, {"nnn", afternoon, "05"},
        {"s", afternoon, "9"}, {"ss", afternoon, "09"}, {"z", afternoon, "7"}, {"zzz", afternoon, "007"},
        {"zzzz", afternoon, "007"},
        {"t", afternoon, "2:05 PM"}, {"c", midnight, "12/8/26 12:30:00 AM"},
        {"c", QDateTime(QDate(2026, 12, 8), QTime(0, 0)), "12/8/26"},
        {"aaa", afternoon, "Tue"}, {"aaaa", afternoon, "Tuesday"}, {"e", afternoon, "26"}, {"eeee", afternoon, "2026"},
        {"g", afternoon, "AD"}, {"mm/dd/yyyy", afternoon, "12/08/2026"}, {"yyyy-mm-dd", afternoon, "2026-12-08"},
        {"hh:nn:ss", afternoon, "14:05:09"}, {"dd 'of' mmmm", afternoon, "08 of December"},
        {"\"at\" hh", afternoon, "at 14"}, {"dD", afternoon, "88"}, {"x#", afternoon, "x#"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(FormatDateTime(QString::fromLatin1(c.format), c.value, us), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(FormatDateTime("tt", afternoon, us), "2:05:09 PM");
    // Another locale's names and order, with "/" between the date parts all the same.
    EXPECT_EQ(FormatDateTime("ddddd mmmm", afternoon, QLocale(QLocale::German, QLocale::Germany)), "08/12/26 Dezember");
}

TEST(Labels, AgeText)
{
    struct Case { QDate birth, today; const char *age; };
    const Case cases[] = {
        {QDate(1970, 1, 19), QDate(2026, 12, 8), "56Y"},
        {QDate(2026, 12, 8), QDate(2026, 12, 8), "0D"},
        {QDate(2026, 1, 20), QDate(2026, 2, 5), "1M"},
        {QDate(2025, 12, 8), QDate(2026, 12, 8), "1Y"},
        {QDate(2025, 12, 9), QDate(2026, 12, 8), "11M"},
        // born last year, not yet one: whole months lived, else days
        {QDate(2025, 12, 20), QDate(2026, 1, 5), "16D"},
        {QDate(2025, 11, 30), QDate(2026, 1, 29), "1M"},
        {QDate(2025, 11, 30), QDate(2026, 1, 30), "2M"},
        {QDate(2025, 12, 31), QDate(2026, 1, 1), "1D"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(AgeText(c.birth, c.today), c.age) << qPrintable(c.birth.toString(Qt::ISODate));
}

namespace {

// A register holding PINDLE, OSKA (X12345, born 01/19/1970) and the given tests,
// printed on 8 December 2026.
struct LabelStation {
    Support::ProgramFolder folder;
    Support::RecordingPrompter prompter;
    RecordStore store{folder.station};
    RecordLifecycle lifecycle{store};
    PrintRun run{lifecycle, store};
    QList<bool> toolbar;

    explicit LabelStation(const QStringList &codes, const std::function<void(Support::ProgramFolder &)> &prepare = {})
    {
        Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
        // The station's range, as a registration needs.
        Support::Set(folder.station, [](StationSettings &s) { s.TAccn = {100012345, 100020000, 0}; });
        if (prepare)
            prepare(folder);
        folder.createRegister();
        store.Connect(folder.path("tabrix.udl"));
        Support::AddPatient(store,
                            {{"AccnNum", 100012345}, {"AccnStr", "X12345"}, {"Created", Clock::now()},
                             {"Last_Name", "PINDLE"}, {"First_Name", "OSKA"}, {"DOB", "01/19/1970"},
                             {"Collection_Time", "0930"}, {"Location", "W144"}},
                            codes);
        store.tblTests.First();
    }
    ~LabelStation() { Clock::setFixed({}); }

    const StationSettings &settings() const { return folder.station.settings(); }
    // Each label's job waits this long at the spooler.
    void wait(int ms) { Support::Set(folder.station, [ms](StationSettings &s) { s.PrinterWait = ms; }); }

    QString tag(const QString &params)
    {
        return PageProducer1HTMLTag(store.currentRegistration(), store.tblTests.asString("TestCode"),
                                    folder.station.settings().StationID, SplitParams(params));
    }
    PrintRunResult print(const QStringList &htmlDoc, const std::function<void(const QString &)> &say = {})
    {
        return run.print({htmlDoc, {}}, {[this](bool on) { toolbar << on; }, say});
    }
};

// The newest job id the spooler knows, 0 for none.
int newestJob()
{
    cups_job_t *jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    int newest = 0;
    for (int i = 0; i < n; ++i)
        newest = std::max(newest, jobs[i].id);
    cupsFreeJobs(n, jobs);
    return newest;
}

// Runs `act` once, as soon as the spooler holds a job newer than any before: the
// first label's, during its wait (the only time the event loop runs in a print).
void whileTheFirstJobIsOpen(const std::function<void()> &act)
{
    auto *poll = new QTimer;
    const int before = newestJob();
    QObject::connect(poll, &QTimer::timeout, [poll, act, before] {
        if (newestJob() > before) {
            poll->stop();
            poll->deleteLater();
            act();
        }
    });
    poll->start(20);
}

const QStringList WorkedExample = RemoveComments({
    "// one label per test",
    "N[CR][LF]",
    "T1 <#Field Name=FullName Length=12>[CR][LF]",
    "T2 <#Field Name=AccnStr> <#Field Name=Age>[CR][LF]",
    "T3 <#Field Name=TestCode Length=10>[CR][LF]",
    "T4 <#Field Name=TestCode2 Length=10>[CR][LF]",
    "P1[CR][LF]",
});
// Its two labels' bytes for PINDLE, OSKA with CBC and BMP,CMP,LIPID,TSH.
const QList<QByteArray> WorkedExampleJobs = {"N\r\nT1 PINDLE,OSKA\r\nT2 X12345 56Y\r\nT3 CBC\r\nT4 \r\nP1\r\n",
                                             "N\r\nT1 PINDLE,OSKA\r\nT2 X12345 56Y\r\nT3 BMP,CMP\r\nT4 LIPID,TSH\r\nP1\r\n"};

} // namespace

TEST(Labels, TagValues)
{
    LabelStation s({"ABCDEFGHIJK"});
    struct Case { const char *params, *value; };
    const Case cases[] = {
        {"Name=Nothing", "?????"}, {"Length=5", "?????"}, {"Name=", "?????"},
        {"Name=Last_Name Length=abc", "PINDLE"}, {"Name=Last_Name Length=0", ""}, {"Name=Last_Name Length=-3", ""},
        {"Name=Last_Name Length=3", "PIN"}, {"Name=Last_Name Length=$3", "PIN"}, {"name=accnstr", "X12345"},
        {"Name=Age Length=1", "56Y"}, {"Name=DOB Format=yyyy-mm-dd", "1970-01-19"},
        {"Name=Last_Name Format=yyyy", "PINDLE"}, {"Name=Collection_Time Format=hh:nn", "0930"},
        {"Name=FullName Length=12", "PINDLE,OSKA"}, {"Name=FullName Length=4", "PIND"},
        {"Name=TestCode Length=10", ""}, {"Name=TestCode2 Length=10", "ABCDEFGHIJ"},
        {"Name=TestCode", "ABCDEFGHIJK"}, {"Name=TestCode2", ""}, {"Name=TestCode2 Length=0", ""},
        {"Name=StationID", "Tabrix Station"}, {"Name=StationID Length=6", "Tabrix"}, {"Name=Middle_Initial", ""},
        {"Name=AccnNum Length=4", "1000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.params);
        EXPECT_EQ(s.tag(QString::fromLatin1(c.params)), QString::fromLatin1(c.value));
    }
}

TEST(Labels, TheWorkedExamplePrintsByteForByte)
{
    LabelStation s({"CBC", "BMP,CMP,LIPID,TSH"});
    s.wait(0);
    Printers::SetCurrentPrinter(QString());
    const QStringList before = Support::SpoolerJobs();
    s.print(WorkedExample);
    EXPECT_TRUE(s.prompter.errors.isEmpty()) << qPrintable(s.prompter.errors.join('|'));
    EXPECT_EQ(Support::CapturedJobs(before, 2),
              WorkedExampleJobs);
    EXPECT_EQ(s.toolbar, (QList<bool>{false, true}));
    EXPECT_EQ(s.store.tblTests.asString("TestCode"), "CBC"); // the run never moves the test list
}

TEST(Labels, ThePreviewsLabelsAreTheBytesThePrintSends)
{
    LabelStation s({"CBC", "BMP,CMP,LIPID,TSH"});
    s.wait(0);
    Printers::SetCurrentPrinter(QString());
    s.store.tblTests.Next(); // the test list on its second row
    const QList<RecordLabel> labels = RegistrationLabels(WorkedExample, s.store.currentRegistration(), s.settings());
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(labels[0].name, "X12345, test CBC");
    EXPECT_EQ(labels[1].name, "X12345, test BMP,CMP,LIPID,TSH");
    const QStringList before = Support::SpoolerJobs();
    s.print(WorkedExample);
    EXPECT_EQ(Support::CapturedJobs(before, 2), (QList<QByteArray>{labels[0].bytes, labels[1].bytes}));
}

TEST(Labels, NothingToPrintIsSaid)
{
    {
        LabelStation s({});
        s.print(WorkedExample);
        EXPECT_EQ(s.prompter.errors, QStringList{"No tests to print"});
        EXPECT_EQ(s.toolbar, (QList<bool>{false, true}));
    }
    {
        LabelStation s({"CBC"});
        s.print(RemoveComments({"// only a comment"}).mid(0, 0));
        EXPECT_EQ(s.prompter.errors, QStringList{"No print template available"});
        EXPECT_TRUE(s.toolbar.isEmpty()); // the toolbar is not touched
    }
}

TEST(Labels, TheRunStopsAtTheFirstLabelThatFails)
{
    LabelStation s({"FIRST", "SECOND", "THIRD"});
    s.wait(1000);
    Printers::SetCurrentPrinter(QString());
    const QString sock = qEnvironmentVariable("TABRIX_CUPS_DIR") + "/cups.sock";
    // While the first label's job is open and waits, the queue starts rejecting jobs.
    whileTheFirstJobIsOpen([&] { QProcess::execute("cupsreject", {"-h", sock, "tabrix-labels"}); });
    const QStringList before = Support::SpoolerJobs();
    const PrintRunResult run = s.print({"<#Field Name=TestCode>[CR][LF]"});
    QProcess::execute("cupsaccept", {"-h", sock, "tabrix-labels"});

    EXPECT_EQ(Support::CapturedJobs(before, 1), QList<QByteArray>{"FIRST\r\n"});
    QThread::msleep(300);
    EXPECT_EQ(Support::SpoolerJobs().size(), before.size() + 1); // the third never went
    EXPECT_EQ(s.prompter.errors, QStringList{"Unable to print.  StartRawPrintJob failed. Printer: tabrix-labels. The print "
                                             "spooler says: Destination \"tabrix-labels\" is not accepting jobs."});
    EXPECT_EQ(s.toolbar, (QList<bool>{false, true}));
    EXPECT_EQ(run.sent, 1);
    EXPECT_EQ(run.unprinted, (QStringList{"SECOND", "THIRD"}));
}

TEST(Labels, ALabelTheSpoolerNeverConfirmedIsNamedAndStopsTheRun)
{
    // A spooler of this test's own, killed while the first label's job is open.
    QTemporaryDir dir("/tmp/tabrix-kill-XXXXXX");
    const QString script = qEnvironmentVariable("TABRIX_TEST_DATA") + "/cups/cupsd.sh";
    ASSERT_EQ(QProcess::execute("bash", {script, "start", dir.path()}), 0);
    cupsSetServer(qPrintable(dir.path() + "/cups.sock"));
    Printers::SetCurrentPrinter("tabrix-labels");
    LabelStation s({"CBC", "BMP"});
    s.wait(3000);
    QFile pid(dir.path() + "/cupsd.pid");
    ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
    const QString cupsd = QString::fromLatin1(pid.readAll().trimmed());
    whileTheFirstJobIsOpen([&] { QProcess::execute("kill", {"-9", cupsd}); });
    QElapsedTimer clock;
    clock.start();
    const PrintRunResult run = s.print({"<#Field Name=TestCode>[CR][LF]"});
    const qint64 took = clock.elapsed();

    EXPECT_EQ(s.prompter.errors, QStringList{"Unable to print.  The label for X12345, test CBC, may not have printed: "
                                             "the print spooler did not confirm its job."});
    EXPECT_LT(took, 3000 + 6000);
    EXPECT_EQ(run.unprinted, (QStringList{"CBC", "BMP"})); // the run stopped at the first
    EXPECT_EQ(s.toolbar, (QList<bool>{false, true}));
    EXPECT_FALSE(s.store.tblPatients.editing());
    EXPECT_EQ(s.store.tblPatients.asString("AccnStr"), "X12345"); // the registration stays saved

    // The next print, with the spooler gone and the printer set, says so at once.
    clock.restart();
    s.print({"<#Field Name=TestCode>[CR][LF]"});
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(s.prompter.errors.last(), "Unable to print.  StartRawPrintJob failed: the print spooler (CUPS) cannot be reached");
    EXPECT_EQ(s.prompter.errors.size(), 2);

    Printers::SetCurrentPrinter(QString());
    cupsSetServer(nullptr);
    QProcess::execute("bash", {script, "stop", dir.path()});
}

TEST(Labels, AnErrorWhileMakingALabelEndsTheRunAndGivesTheToolbarBack)
{
    LabelStation s({"CBC", "BMP"});
    const QStringList before = Support::SpoolerJobs();
    EXPECT_EQ(s.print({"T", QString(5000, u'x')}).unprinted, (QStringList{"CBC", "BMP"}));
    EXPECT_EQ(s.prompter.generalErrors, QStringList{"Line too long on line 2."});
    EXPECT_EQ(s.toolbar, (QList<bool>{false, true}));
    EXPECT_EQ(Support::SpoolerJobs(), before);
}

namespace {

// The print ledger's rows, oldest first, with the columns a test names.
QList<QVariantList> ledgerRows(RecordStore &store, const QString &columns)
{
    return Support::QueryRows(store.tblPatients.database(), "SELECT " + columns + " FROM label_log ORDER BY Label_id");
}

// A print run of the worked example's station, with what its status said;
// `saying` sees each text as it is shown.
QStringList printAndSay(LabelStation &s, const QStringList &htmlDoc,
                        const std::function<void(const QString &)> &saying = [](const QString &) {})
{
    QStringList said;
    s.print(htmlDoc, [&](const QString &text) {
        said << text;
        saying(text);
    });
    return said;
}

// What the status says while the labels of X12345 for `codes` print, then `end`.
QStringList printing(const QStringList &codes, const QString &end)
{
    QStringList said;
    for (const QString &code : codes)
        said << "Printing the label for X12345, test " + code;
    return said << end;
}

} // namespace

TEST(Ledger, EveryLabelHasItsRowWithTheSpoolersBytesJobAndReprintCount)
{
    LabelStation s({"CBC", "BMP", "TSH"});
    s.wait(0);
    Printers::SetCurrentPrinter(QString());
    const QString queue = Printers::CurrentPrinterName();
    const QStringList before = Support::SpoolerJobs();
    const QStringList said = printing({"CBC", "BMP", "TSH"}, "3 labels sent to " + queue + " for X12345");
    EXPECT_EQ(printAndSay(s, WorkedExample), said);
    EXPECT_EQ(printAndSay(s, WorkedExample), said); // F8 again
    EXPECT_TRUE(s.prompter.errors.isEmpty()) << qPrintable(s.prompter.errors.join('|'));
    const QMap<int, QByteArray> captured = Support::CapturedJobsById(before, 6);
    const QList<QByteArray> jobs = captured.values();
    const QList<int> ids = captured.keys();
    ASSERT_EQ(jobs.size(), 6);
    const QList<QVariantList> rows =
        ledgerRows(s.store, "Order_id, AccnNum, AccnStr, TestCode, Station, Printer, Job_id, Bytes, Digest, Outcome, Reprint, Printed");
    ASSERT_EQ(rows.size(), 6);
    const char *codes[] = {"CBC", "BMP", "TSH"};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const QVariantList &r = rows[i];
        EXPECT_EQ(r[0].toInt(), s.store.tblPatients.asInteger("Order_id"));
        EXPECT_EQ(r[1].toLongLong(), 100012345);
        EXPECT_EQ(r[2].toString(), "X12345");
        EXPECT_EQ(r[3].toString(), codes[i % 3]);
        EXPECT_EQ(r[4].toString(), "Tabrix Station");
        EXPECT_EQ(r[5].toString(), queue);
        EXPECT_EQ(r[6].toInt(), ids.value(i));
        EXPECT_EQ(r[7].toLongLong(), jobs[i].size());
        EXPECT_EQ(r[8].toString(), QString::fromLatin1(QCryptographicHash::hash(jobs[i], QCryptographicHash::Sha256).toHex()));
        EXPECT_EQ(r[9].toString(), Unverified);
        EXPECT_EQ(r[10].toInt(), i / 3);
        EXPECT_EQ(r[11].toDateTime(), QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    }
}

TEST(Ledger, ARefusedLabelIsRecordedWithItsErrorAndCountsAsNoPrint)
{
    const QString NoSuchQueue = "Unable to print.  StartRawPrintJob failed. Printer: no-such-queue. The print spooler says: "
                                "There is no such printer.";
    LabelStation s({"CBC", "BMP"});
    s.wait(0);
    Printers::SetCurrentPrinter("no-such-queue");
    const QStringList before = Support::SpoolerJobs();
    EXPECT_EQ(printAndSay(s, WorkedExample),
              printing({"CBC"}, "Printing stopped at the label for X12345, test CBC; 0 labels sent to no-such-queue for "
                                "X12345. Not printed: CBC, BMP (Print prints them)."));
    EXPECT_EQ(ledgerRows(s.store, "TestCode, Job_id IS NULL, Outcome, Reprint"),
              (QList<QVariantList>{{"CBC", 1, NoSuchQueue, 0}}));
    Printers::SetCurrentPrinter(QString());
    printAndSay(s, WorkedExample);
    EXPECT_EQ(Support::CapturedJobs(before, 2).size(), 2);
    EXPECT_EQ(ledgerRows(s.store, "TestCode, Outcome, Reprint"),
              (QList<QVariantList>{{"CBC", NoSuchQueue, 0}, {"CBC", Unverified, 0}, {"BMP", Unverified, 0}}));
}

TEST(Ledger, ALedgerLockedByAnotherProcessStopsTheRunBeforeTheNextLabel)
{
    Support::ShortWriterWait shortWait(300);
    LabelStation s({"CBC", "BMP", "TSH"});
    s.wait(0);
    Printers::SetCurrentPrinter(QString());
    const QString queue = Printers::CurrentPrinterName();
    const QStringList before = Support::SpoolerJobs();
    // Another process takes the register's write lock as the second label begins.
    QProcess locker;
    const QStringList said = printAndSay(s, WorkedExample, [&](const QString &text) {
        if (!text.endsWith("test BMP"))
            return;
        locker.start("sqlite3", {s.folder.path("tabrix.db")});
        locker.write("BEGIN IMMEDIATE;\n.print locked\n");
        while (!locker.readAllStandardOutput().contains("locked"))
            ASSERT_TRUE(locker.waitForReadyRead(10000)) << "the other process took no lock";
    });
    locker.closeWriteChannel(); // its transaction ends with it
    EXPECT_TRUE(locker.waitForFinished(10000));
    EXPECT_EQ(said, printing({"CBC", "BMP"}, "Printing stopped at the label for X12345, test BMP; 1 label sent to " + queue +
                                                 " for X12345. Not printed: BMP, TSH (Print prints them)."));
    EXPECT_EQ(s.prompter.errors, QStringList{"The label for X12345, test BMP was not printed: the print ledger cannot record "
                                             "it (database is locked). Printing stopped."});
    EXPECT_EQ(Support::CapturedJobs(before, 1), QList<QByteArray>{WorkedExampleJobs[0]});
    EXPECT_EQ(ledgerRows(s.store, "TestCode, Outcome, Reprint"), (QList<QVariantList>{{"CBC", Unverified, 0}}));
}

TEST(Ledger, ARegisterWithoutTheLedgerPrintsAsBefore)
{
    LabelStation s({"CBC", "BMP,CMP,LIPID,TSH"});
    s.wait(0);
    Printers::SetCurrentPrinter(QString());
    ASSERT_TRUE(QSqlQuery(s.store.tblPatients.database()).exec("DROP TABLE label_log"));
    const QStringList before = Support::SpoolerJobs();
    s.print(WorkedExample);
    EXPECT_TRUE(s.prompter.errors.isEmpty()) << qPrintable(s.prompter.errors.join('|'));
    EXPECT_EQ(Support::CapturedJobs(before, 2),
              WorkedExampleJobs);
}

namespace {

// A small file system of its own mounted on a folder (as root), unmounted at the end.
struct SmallDisk {
    QString at;
    bool mounted = false;
    explicit SmallDisk(const QString &folder) : at(folder)
    {
        mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", at}) == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            QProcess::execute("umount", {"-l", at});
    }
    // Takes every byte that is left.
    void fill() const { QProcess::execute("sh", {"-c", "cat /dev/zero > '" + at + "/filler' 2>/dev/null"}); }
    void free() const { QFile::remove(at + "/filler"); }
};

} // namespace

TEST(Ledger, OnAFullDiskNoLabelGoesWithoutItsRow)
{
    std::unique_ptr<SmallDisk> disk;
    LabelStation s({"CBC", "BMP", "TSH"}, [&](Support::ProgramFolder &f) { disk = std::make_unique<SmallDisk>(f.path("")); });
    if (!disk->mounted)
        GTEST_SKIP() << "mounting a file system needs root";
    s.wait(0);
    Printers::SetCurrentPrinter(QString());
    const QStringList before = Support::SpoolerJobs();
    disk->fill();
    const PrintRunResult full = s.print(WorkedExample);
    EXPECT_EQ(full.unprinted, (QStringList{"CBC", "BMP", "TSH"}));
    ASSERT_EQ(s.prompter.errors.size(), 1);
    EXPECT_TRUE(s.prompter.errors[0].startsWith("The label for X12345, test CBC was not printed: the print ledger cannot "
                                                "record it (database or disk is full)")) << qPrintable(s.prompter.errors[0]);
    QThread::msleep(300);
    EXPECT_EQ(Support::SpoolerJobs(), before); // nothing went out

    disk->free();
    EXPECT_FALSE(s.print(WorkedExample).failed());
    EXPECT_EQ(Support::CapturedJobs(before, 3).size(), 3);
    EXPECT_EQ(ledgerRows(s.store, "TestCode, Outcome"),
              (QList<QVariantList>{{"CBC", Unverified}, {"BMP", Unverified}, {"TSH", Unverified}}));
    disk.reset(); // unmounted before the folder goes
}

TEST(Ledger, ACompletionALockKeptOutIsTriedAgainBeforeTheNextLabelAndAtTheEnd)
{
    Support::ShortWriterWait shortWait(300);
    Printers::SetCurrentPrinter(QString());
    const QString queue = Printers::CurrentPrinterName();
    struct Case { const char *name; const char *releaseAt; QList<QVariantList> rows; QStringList errors; };
    const Case cases[] = {
        {"freed before the next label", "Printing the label for X12345, test BMP",
         {{"CBC", Unverified}, {"BMP", Unverified}}, {}},
        {"held to the end", nullptr, {{"CBC", "sending, not confirmed"}},
         {"The label for X12345, test BMP was not printed: the print ledger cannot record it (database is locked). "
          "Printing stopped.",
          "The label for X12345, test CBC was sent to " + queue + ", but its record in the print ledger is incomplete: "
          "what became of it could not be written (database is locked). The label history shows it as \"sending, not "
          "confirmed\"."}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LabelStation s({"CBC", "BMP"});
        s.wait(1000);
        // Another process takes the register's write lock while the first label's job is open.
        QProcess locker;
        whileTheFirstJobIsOpen([&] {
            locker.start("sqlite3", {s.folder.path("tabrix.db")});
            locker.write("BEGIN IMMEDIATE;\n.print locked\n");
            while (!locker.readAllStandardOutput().contains("locked"))
                ASSERT_TRUE(locker.waitForReadyRead(10000)) << "the other process took no lock";
        });
        const auto release = [&] {
            locker.closeWriteChannel(); // its transaction ends with it
            locker.waitForFinished(10000);
        };
        s.print(WorkedExample, [&](const QString &text) {
            if (c.releaseAt && text == c.releaseAt)
                release();
        });
        release();
        EXPECT_EQ(s.prompter.errors, c.errors);
        EXPECT_EQ(ledgerRows(s.store, "TestCode, Outcome"), c.rows);
        if (c.releaseAt)
            continue;
        // The next print completes the row first, then sends what is missing.
        s.print(WorkedExample);
        EXPECT_EQ(s.prompter.errors, c.errors); // nothing more to say
        EXPECT_EQ(ledgerRows(s.store, "TestCode, Outcome"),
                  (QList<QVariantList>{{"CBC", Unverified}, {"BMP", Unverified}}));
    }
}

TEST(Ledger, RowsAProgramLeftUnfinishedAreClosedAtTheNextStart)
{
    LabelStation s({"CBC"});
    LabelLedger ledger(s.store.database());
    ledger.open({1, 100012345, "X12345", "CBC", "left by a program that ended", "Tabrix Station"});
    ledger.open({1, 100012345, "X12345", "BMP", "another station's, still printing", "Another Station"});
    EXPECT_EQ(ledger.closeUnfinished("Tabrix Station", Clock::now().addSecs(1)), 1);
    EXPECT_EQ(ledgerRows(s.store, "TestCode, Outcome"),
              (QList<QVariantList>{{"CBC", "not confirmed: the program ended during the print"},
                                   {"BMP", "sending, not confirmed"}}));
}
