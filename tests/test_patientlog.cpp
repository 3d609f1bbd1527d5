#include "base/TabrixDefs.h"
#include "app/ui/TfrmMain.h"
#include "labels/Printers.h"
#include "log/ui/PatientLogReport.h"
#include "log/ui/TfrmPatientLog.h"
#include "tests/TestSupport.h"
#include "tests/WindowSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QPrintDialog>
#include <QProcess>
#include <QScreen>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Tabrix;

namespace {

struct Patient { qint32 accn; const char *last, *first, *id; QStringList tests; };

// The real main window and its patient log over a register of the given patients.
struct LogWindow {
    Support::ProgramFolder folder;
    Support::RecordingPrompter prompter;
    std::unique_ptr<TfrmMain> main;
    TfrmPatientLog *log;

    explicit LogWindow(const std::vector<Patient> &patients)
    {
        folder.createRegister();
        {
            RecordStore writer{folder.station};
            writer.Connect(folder.path("tabrix.udl"));
            for (const Patient &p : patients)
                Support::AddPatient(writer,
                                    {{"AccnNum", p.accn},
                                     {"AccnStr", QString("%1%2").arg(p.accn >= 110000000 ? 'M' : 'X').arg(p.accn % 10000000)},
                                     {"Created", QDateTime(QDate(2026, 12, 8), QTime(9, 30))},
                                     {"Last_Name", p.last}, {"First_Name", p.first}, {"Patient_id", p.id},
                                     {"Gender", "F"}, {"Collection_date", "12/08/2026"}, {"Collection_Time", "0915"}},
                                    p.tests);
        }
        main = std::make_unique<TfrmMain>(folder.station);
        log = new TfrmPatientLog(folder.station, main.get());
        main->setPatientLog(log);
        main->store().Connect(folder.path("tabrix.udl"));
    }

    // Opens the log from the main window's menu, runs `inside` while it shows.
    void open(const std::function<void()> &inside)
    {
        QTimer::singleShot(0, [this, inside] {
            inside();
            if (log->isVisible())
                log->reject();
        });
        Support::Control<QAction>(*main, "AccnList1")->trigger();
    }
    QStringList column(int c) const
    {
        QStringList values;
        for (int r = 0; r < Support::Control<QTableView>(*log, "DBGrid1")->model()->rowCount(); ++r)
            values << Support::Control<QTableView>(*log, "DBGrid1")->model()->index(r, c).data().toString();
        return values;
    }
    QString current() { return main->store().tblPatients.asString("AccnStr"); }
};

const std::vector<Patient> Four = {
    {100000005, "SMITH", "JOHN", "P3", {"CBC", "BMP"}},
    {100000006, "SMITH", "ANNE", "P9", {}},
    {110000001, "JONES", "ANNE", "P1", {"HB A1C"}},
    {100000007, "SMITH", "ANNE", "P2", {"TSH"}},
};

} // namespace

TEST(PatientLog, SortsChoosesAndTheMainWindowFollows)
{
    LogWindow w(Four);
    EXPECT_EQ(w.log->windowTitle(), "Patient Log");
    w.open([&] {
        QStringList titles;
        for (int c = 0; c < 6; ++c)
            titles << Support::Control<QTableView>(*w.log, "DBGrid1")->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(titles, (QStringList{"Accession", "Last Name", "First Name", "Patient ID", "Gender", "Created"}));
        EXPECT_TRUE(Support::Control<QPushButton>(*w.log, "btnPrint")->isEnabled());
        EXPECT_EQ(w.column(0), (QStringList{"X5", "X6", "X7", "M1"}));
        Support::Control<QTableView>(*w.log, "DBGrid1")->horizontalHeader()->sectionClicked(1);
        EXPECT_EQ(w.column(3), (QStringList{"P1", "P2", "P9", "P3"}));
        Support::Control<QTableView>(*w.log, "DBGrid1")->horizontalHeader()->sectionClicked(1); // twice: still ascending
        EXPECT_EQ(w.column(3), (QStringList{"P1", "P2", "P9", "P3"}));
        Support::Control<QTableView>(*w.log, "DBGrid1")->horizontalHeader()->sectionClicked(2);
        EXPECT_EQ(w.column(3), (QStringList{"P1", "P2", "P9", "P3"}));
        EXPECT_EQ(w.column(1), (QStringList{"JONES", "SMITH", "SMITH", "SMITH"}));
        Support::Control<QAction>(*w.log, "Accn1")->trigger(); // by the accession text: M before X
        EXPECT_EQ(w.column(0), (QStringList{"M1", "X5", "X6", "X7"}));
        Support::Control<QAction>(*w.log, "LastNameFirstName1")->trigger();
        // choosing a row makes it the main window's record; a double-click closes, keeping the order
        Support::Control<QTableView>(*w.log, "DBGrid1")->setCurrentIndex(Support::Control<QTableView>(*w.log, "DBGrid1")->model()->index(1, 0));
        emit Support::Control<QTableView>(*w.log, "DBGrid1")->doubleClicked(Support::Control<QTableView>(*w.log, "DBGrid1")->model()->index(1, 0));
    });
    EXPECT_EQ(w.current(), "X7"); // SMITH ANNE P2
    w.main->lifecycle().tbNextClick();
    EXPECT_EQ(w.current(), "X6"); // SMITH ANNE P9: browsing follows the log's order
    w.open([&] {
        EXPECT_EQ(w.column(3), (QStringList{"P1", "P2", "P9", "P3"}));
        EXPECT_EQ(Support::Control<QTableView>(*w.log, "DBGrid1")->currentIndex().row(), 2);
        Support::Control<QPushButton>(*w.log, "btnOK")->click(); // Done: accession order again
    });
    w.main->lifecycle().tbNextClick();
    EXPECT_EQ(w.current(), "X7");
    w.main->lifecycle().tbNextClick();
    EXPECT_EQ(w.current(), "M1");
}

// Typing into the grid finds the typed start of a value in the sorted column.
TEST(PatientLog, TypingFindsTheStartOfAValueInTheSortedColumn)
{
    LogWindow w(Four);
    w.open([&] {
        auto *grid = Support::Control<QTableView>(*w.log, "DBGrid1");
        const auto type = [&](const char *keys, const char *expected) {
            QTest::qWait(1100); // a new text after a pause
            QTest::keyClicks(grid, QString::fromLatin1(keys));
            EXPECT_EQ(w.current(), expected) << keys;
            EXPECT_EQ(grid->currentIndex().row(), w.column(0).indexOf(expected)) << keys;
        };
        type("110000001", "M1"); // accession order: the number typed
        type("100000006", "X6");
        grid->horizontalHeader()->sectionClicked(1); // last name, first name, patient id
        type("sm", "X7");        // SMITH ANNE P2, the first SMITH
        type("jo", "M1");
        type("k", "X7");         // no K: the first name after it
        grid->horizontalHeader()->sectionClicked(3); // patient id
        type("p9", "X6");
    });
}

TEST(PatientLog, EveryColumnShowsItsWidestValueWithoutScrolling)
{
    LogWindow w({{100000005, "MARTINEZ-GONZALEZ-AB", "CHUKWUEMEKA-JOHANNA", "MRN-0048291300000001", {}},
                 {100000006, "LI", "WEI", "7", {}}});
    w.open([&] {
        QTableView *grid = Support::Control<QTableView>(*w.log, "DBGrid1");
        for (int c = 0; c < 6; ++c) {
            const QString widest = w.column(c).value(0);
            EXPECT_GE(grid->columnWidth(c), grid->fontMetrics().horizontalAdvance(widest)) << "column " << c;
        }
        EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width());
        EXPECT_TRUE(w.log->screen()->availableGeometry().contains(w.log->geometry()));
        // wider by hand: the grid follows, the last column taking the room
        const int created = grid->columnWidth(5);
        w.log->resize(w.log->width() + 200, w.log->height());
        QApplication::processEvents();
        EXPECT_EQ(grid->columnWidth(5), created + 200);
    });
}

TEST(PatientLog, TheReportPrintsThroughTheSpooler)
{
    std::vector<Patient> many = Four;
    for (int i = 0; i < 40; ++i)
        many.push_back({100000100 + i, "FILL", "ER", "Q", {}});
    LogWindow w(many);
    Support::Set(w.folder.station, [](StationSettings &s) { s.StationID = "Haematology Bench 2"; });
    const QString out = qEnvironmentVariable("TABRIX_CUPS_DIR") + "/out";
    const QStringList before = QDir(out).entryList({"job-*"}, QDir::Files);

    // Cancelled: nothing printed, and the labels go to the default printer afterwards.
    Printers::SetCurrentPrinter("no-such-queue");
    const auto answer = [](bool print) {
        auto *poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, [poll, print] {
            if (auto *d = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget())) {
                poll->deleteLater();
                print ? d->accept() : d->reject();
            }
        });
        poll->start(20);
    };
    w.open([&] {
        answer(false);
        Support::Control<QPushButton>(*w.log, "btnPrint")->click();
    });
    EXPECT_EQ(Printers::CurrentPrinterName(), "tabrix-labels");
    w.open([&] {
        Support::Control<QTableView>(*w.log, "DBGrid1")->horizontalHeader()->sectionClicked(1);
        answer(true);
        Support::Control<QPushButton>(*w.log, "btnPrint")->click();
    });
    EXPECT_TRUE(w.prompter.errors.isEmpty()) << qPrintable(w.prompter.errors.join('|'));

    QString pdf;
    for (int i = 0; i < 100 && pdf.isEmpty(); ++i) {
        for (const QString &f : QDir(out).entryList({"job-*"}, QDir::Files))
            if (!before.contains(f))
                pdf = out + "/" + f;
        QThread::msleep(100);
    }
    ASSERT_FALSE(pdf.isEmpty());
    QThread::msleep(300);
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString report = QString::fromUtf8(text.readAllStandardOutput());
    QFile::copy(pdf, QDir::tempPath() + "/tabrix-report.pdf");
    EXPECT_EQ(report.count("Tabrix Patient Log"), 3);
    EXPECT_EQ(report.count(QRegularExpression("Accession +Last Name +First Name +Patient ID +Sex +Coll. Date +Coll. Time")), 3);
    EXPECT_TRUE(report.contains(QRegularExpression("X5 +SMITH +JOHN +P3 +F +12/08/2026 +0915"))) << qPrintable(report);
    EXPECT_TRUE(report.contains("CBC,BMP"));
    EXPECT_TRUE(report.contains("\"HB A1C\""));
    EXPECT_EQ(report.count("Haematology Bench 2"), 3);
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(report.contains(QRegularExpression(QString("Page: +%1\\b").arg(page)))) << page;
    EXPECT_FALSE(report.contains(QRegularExpression("Page: +4\\b")));
    // By last name: JONES first, FILL before both.
    EXPECT_LT(report.indexOf("FILL"), report.indexOf("JONES"));
    EXPECT_LT(report.indexOf("JONES"), report.indexOf("SMITH"));
}
