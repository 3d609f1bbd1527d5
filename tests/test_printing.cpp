#include "base/TabrixDefs.h"
#include "labels/Labels.h"
#include "labels/Printers.h"
#include "labels/RawPrinter.h"
#include "tests/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <cups/cups.h>
#include <gtest/gtest.h>

using namespace Tabrix;

namespace {

// The private CUPS server the test command started; its default queue keeps each
// job's bytes in a file of its own.
struct Spooler {
    QString dir = qEnvironmentVariable("TABRIX_CUPS_DIR");
    QString out = dir + "/out";
    QStringList before = jobFiles();

    QStringList jobFiles() const
    {
        QStringList files = QDir(out).entryList({"job-*"}, QDir::Files);
        std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
            return a.mid(4).toInt() < b.mid(4).toInt();
        });
        return files;
    }
    // The jobs that arrived since this object was made, waiting up to 10 s for `count`.
    QList<QByteArray> newJobs(int count) const
    {
        QStringList fresh;
        for (int i = 0; i < 100; ++i) {
            fresh.clear();
            for (const QString &f : jobFiles())
                if (!before.contains(f))
                    fresh << f;
            if (fresh.size() >= count)
                break;
            QThread::msleep(100);
        }
        QList<QByteArray> jobs;
        for (const QString &f : fresh) {
            QFile file(out + "/" + f);
            file.open(QIODevice::ReadOnly);
            jobs << file.readAll();
        }
        return jobs;
    }
    void admin(const QStringList &args) const
    {
        QProcess::execute("lpadmin", QStringList{"-h", dir + "/cups.sock"} + args);
    }
};

struct PrintingTest : ::testing::Test {
    Support::RecordingPrompter prompter;
    Spooler spooler;
    void SetUp() override
    {
        ASSERT_FALSE(spooler.dir.isEmpty()) << "needs the private CUPS server of the test command";
        Printers::SetCurrentPrinter(QString());
    }
};

int jobsIn(const char *queue, int which)
{
    cups_job_t *jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue, 0, which);
    cupsFreeJobs(n, jobs);
    return n;
}

} // namespace

TEST_F(PrintingTest, ALabelArrivesByteForByteAsOneJob)
{
    const QByteArray label("N\0\x1b\r\nA\xff", 7);
    EXPECT_TRUE(PrintLabel(label, 0).sent());
    EXPECT_EQ(spooler.newJobs(1), QList<QByteArray>{label});
    EXPECT_TRUE(prompter.errors.isEmpty());
}

TEST_F(PrintingTest, ThreeLabelsAreThreeJobsInOrder)
{
    for (const char *label : {"first", "second", "third"})
        EXPECT_TRUE(PrintLabel(label, 0).sent());
    EXPECT_EQ(spooler.newJobs(3), (QList<QByteArray>{"first", "second", "third"}));
}

TEST_F(PrintingTest, AnEmptyLabelStillOpensAndEndsAJob)
{
    const int jobs = jobsIn("tabrix-labels", CUPS_WHICHJOBS_ALL);
    EXPECT_TRUE(PrintLabel(QByteArray(), 0).sent());
    EXPECT_EQ(jobsIn("tabrix-labels", CUPS_WHICHJOBS_ALL), jobs + 1);
    // Nothing lingers in the queue: the spooler ends the jobs in its own time.
    for (int i = 0; i < 200 && jobsIn("tabrix-labels", CUPS_WHICHJOBS_ACTIVE) > 0; ++i)
        QThread::msleep(50);
    EXPECT_EQ(jobsIn("tabrix-labels", CUPS_WHICHJOBS_ACTIVE), 0);
    EXPECT_TRUE(prompter.errors.isEmpty());
    EXPECT_EQ(PrintRawData(12345, nullptr, 0), 1); // no write for no bytes
}

TEST_F(PrintingTest, TheJobReachesTheSpoolerOnlyAfterTheWait)
{
    bool arrivedDuringWait = false;
    int ticks = 0;
    QTimer probe; // runs while PrintLabel waits, as the window would
    QObject::connect(&probe, &QTimer::timeout, [&] {
        ++ticks;
        arrivedDuringWait |= spooler.jobFiles().size() > spooler.before.size();
    });
    probe.start(100);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(PrintLabel("late", 1000).sent());
    const qint64 waited = clock.elapsed();
    probe.stop();
    EXPECT_GE(waited, 1000);
    EXPECT_LT(waited, 3000);
    EXPECT_GE(ticks, 5); // the event loop kept running
    EXPECT_FALSE(arrivedDuringWait);
    EXPECT_EQ(spooler.newJobs(1), QList<QByteArray>{"late"});
}

TEST_F(PrintingTest, FailuresAreReportedAndNeverHang)
{
    struct Case { const char *name; std::function<void()> arrange; std::function<void()> undo; const char *message; };
    // The printer and the spooler's own reason follow the failure's words.
    const Case cases[] = {
        {"a queue that does not exist", [] { Printers::SetCurrentPrinter("no-such-queue"); }, [] {},
         "Unable to print.  StartRawPrintJob failed. Printer: no-such-queue. The print spooler says: There is no such "
         "printer."},
        {"a queue that rejects jobs",
         [&] { QProcess::execute("cupsreject", {"-h", spooler.dir + "/cups.sock", "tabrix-labels"}); },
         [&] { QProcess::execute("cupsaccept", {"-h", spooler.dir + "/cups.sock", "tabrix-labels"}); },
         "Unable to print.  StartRawPrintJob failed. Printer: tabrix-labels. The print spooler says: Destination "
         "\"tabrix-labels\" is not accepting jobs."},
        {"a spooler that is down",
         [] { Printers::SetCurrentPrinter("tabrix-labels"); cupsSetServer("/nonexistent/cups.sock"); },
         [] { cupsSetServer(nullptr); },
         "Unable to print.  StartRawPrintJob failed: the print spooler (CUPS) cannot be reached"},
        {"a spooler that is down, no printer chosen", [] { cupsSetServer("/nonexistent/cups.sock"); },
         [] { cupsSetServer(nullptr); },
         "Unable to print.  StartRawPrintJob failed: the print spooler (CUPS) cannot be reached"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        QElapsedTimer clock;
        clock.start();
        const LabelJob job = PrintLabel("never", 0);
        EXPECT_LT(clock.elapsed(), 6000);
        c.undo();
        EXPECT_FALSE(job.sent());
        EXPECT_EQ(job.outcome, c.message);
        EXPECT_TRUE(prompter.errors.isEmpty()); // the caller shows it
        Printers::SetCurrentPrinter(QString());
    }
    EXPECT_TRUE(spooler.newJobs(0).isEmpty());
}

TEST_F(PrintingTest, WithoutAnyPrinterTheGeneralErrorDisplaySaysSo)
{
    // A spooler that answers but has no default queue: the default queue is a
    // new one that is then deleted.
    spooler.admin({"-p", "passing-queue", "-E", "-v", "capture:" + spooler.out});
    spooler.admin({"-d", "passing-queue"});
    spooler.admin({"-x", "passing-queue"});
    const LabelJob job = PrintLabel("x", 0);
    EXPECT_TRUE(job.noPrinter);
    EXPECT_EQ(job.outcome, "There is no default printer currently selected");
    ShowPrintFailure(job); // by the general error display, not the error box
    EXPECT_EQ(prompter.generalErrors, QStringList{"There is no default printer currently selected."});
    EXPECT_TRUE(prompter.errors.isEmpty());
    spooler.admin({"-d", "tabrix-labels"});
}

TEST_F(PrintingTest, TheSettingsNameThePrinterWithoutRegardToCase)
{
    spooler.admin({"-p", "Second-Queue", "-E", "-v", "capture:" + spooler.out});
    Support::ProgramFolder folder;
    struct Case { const char *setting, *current; };
    const Case cases[] = {{"SECOND-queue", "Second-Queue"}, {"gone-queue", "tabrix-labels"}, {"", "tabrix-labels"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.setting);
        folder.writeFile("tabrix.ini", QByteArray("[Printer]\nPrinter=") + c.setting + "\n");
        folder.station.LoadSettings();
        Printers::SelectSettingsPrinter(folder.station.settings().PrinterName);
        EXPECT_EQ(Printers::CurrentPrinterName(), c.current);
    }
    EXPECT_TRUE(Printers::InstalledPrinters().contains("Second-Queue"));
    spooler.admin({"-x", "Second-Queue"});
    // While the spooler cannot be asked, the station's printer is kept as written.
    cupsSetServer("/nonexistent/cups.sock");
    folder.writeFile("tabrix.ini", "[Printer]\nPrinter=gone-queue\n");
    folder.station.LoadSettings();
    Printers::SelectSettingsPrinter(folder.station.settings().PrinterName);
    cupsSetServer(nullptr);
    EXPECT_EQ(Printers::CurrentPrinterName(), "gone-queue");
    Printers::SetCurrentPrinter(QString());
}

TEST(Delay, KeepsTheEventLoopGoingAndAQuitStillQuits)
{
    QElapsedTimer clock;
    bool delayReturned = false;
    qint64 quitAt = -1, delayEnded = -1;
    QTimer::singleShot(0, [&] {
        clock.start();
        Delay(400);
        delayEnded = clock.elapsed();
        delayReturned = true;
    });
    QTimer::singleShot(100, [&] {
        quitAt = clock.elapsed();
        QCoreApplication::quit();
    });
    QTimer hang; // a hang fails here
    hang.setSingleShot(true);
    QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    hang.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(delayReturned);
    EXPECT_GE(quitAt, 90);
    EXPECT_GE(delayEnded, 400);
}
