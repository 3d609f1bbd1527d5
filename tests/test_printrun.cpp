// A print run in the real main window, with keys and clicks arriving while its
// labels wait at the spooler: it prints exactly the registration it began with.
#include "labels/LabelLedger.h"
#include "labels/Printers.h"
#include "tests/MainWindowFixture.h"

#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Tabrix;

// What the ledger says of a label of plain text, a printer language the program does not draw.
static const QString &Unverified = LabelJob::SentUnverified;

namespace {

// A station whose template names the accession number, the last name and the test.
struct PrintingStation : Support::MainWindowFixture {
    explicit PrintingStation(const QByteArray &labelTemplate = "<#Field Name=AccnStr> <#Field Name=Last_Name> <#Field Name=TestCode>[CR][LF]")
        : MainWindowFixture(0, [&](Support::ProgramFolder &f) { f.writeFile("tabrix.tpd", labelTemplate); })
    {
        set([](StationSettings &s) { s.PrinterWait = 1000; }); // the default: the window takes keys meanwhile
        Printers::SetCurrentPrinter(QString());
    }

    // A saved registration with its tests typed into the test box, which keeps the focus.
    void registration(const QString &last, const QStringList &tests)
    {
        key(Qt::Key_F5);
        fillValid(last);
        Support::Control(*main, "eTestCode")->setFocus(); // reaching the test box saves the record
        QApplication::processEvents();
        for (const QString &code : tests)
            typeAndEnter(code);
    }
    QList<QVariantList> rows(const QString &sql) { return Support::QueryRows(main->store().database(), sql); }
    QString box(const char *name) { return Support::Control(*main, name)->text(); }
};

} // namespace

TEST(PrintRun, KeysAndClicksDuringTheRunNeverReachTheRegistrationBeingPrinted)
{
    PrintingStation s;
    s.registration("ALPHA", {"AAA", "BBB"});
    s.key(Qt::Key_F8);
    s.registration("BRAVO", {"CBC", "TSH", "BMP"});
    const QStringList before = Support::SpoolerJobs();

    // While BRAVO's labels print: Page Up, F5, a click on the menu, the next
    // patient typed ahead, and a second Enter.
    QTimer::singleShot(400, [&] {
        s.key(Qt::Key_PageUp);
        s.key(Qt::Key_F5);
        QMenuBar *menu = s.main->menuBar();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().value(2)).center());
        s.type("charlie");
        s.key(Qt::Key_Return);
        s.type("chuck");
    });
    QTimer::singleShot(700, [&] { s.key(Qt::Key_Return); });
    s.key(Qt::Key_Return); // Enter on the empty test box: save, print, next record

    EXPECT_EQ(Support::CapturedJobs(before, 3),
              (QList<QByteArray>{"X12346 BRAVO CBC\r\n", "X12346 BRAVO TSH\r\n", "X12346 BRAVO BMP\r\n"}));
    QTest::qWait(300);
    EXPECT_EQ(Support::SpoolerJobs().size(), before.size() + 3);
    EXPECT_EQ(s.rows("SELECT AccnStr, TestCode, Outcome FROM label_log WHERE AccnStr = 'X12346' ORDER BY Label_id"),
              (QList<QVariantList>{{"X12346", "CBC", Unverified},
                                   {"X12346", "TSH", Unverified},
                                   {"X12346", "BMP", Unverified}}));
    EXPECT_EQ(s.rows("SELECT p.AccnStr, p.Last_Name, p.First_Name, t.TestCode FROM patients p JOIN tests t ON t.Order_id = "
                     "p.Order_id ORDER BY t.Test_id"),
              (QList<QVariantList>{{"X12345", "ALPHA", "OSKA", "AAA"}, {"X12345", "ALPHA", "OSKA", "BBB"},
                                   {"X12346", "BRAVO", "OSKA", "CBC"}, {"X12346", "BRAVO", "OSKA", "TSH"},
                                   {"X12346", "BRAVO", "OSKA", "BMP"}}));
    // What was typed ahead is the next record's; the refused keys said so.
    EXPECT_EQ(s.patients().state(), Cursor::State::Insert);
    EXPECT_EQ(s.patients().asString("AccnStr"), "X12347");
    EXPECT_EQ(s.box("dbeLast"), "CHARLIE");
    EXPECT_EQ(s.box("dbeFirst"), "CHUCK");
    EXPECT_EQ(s.focus(), Support::Control<QComboBox>(*s.main, "dbcGender")); // the second Enter moved on
    const QString busy = "Printing the labels for X12346: wait until they are printed.";
    EXPECT_TRUE(s.said.contains("PgUp was not taken. " + busy)) << s.said.join('\n').toStdString();
    EXPECT_TRUE(s.said.contains("F5 was not taken. " + busy));
    EXPECT_TRUE(s.said.contains(busy)); // the click
    EXPECT_EQ(s.said.last(), "3 labels sent to tabrix-labels for X12346");
    EXPECT_TRUE(s.prompter.errors.isEmpty()) << s.prompter.errors.join('|').toStdString();
}

TEST(PrintRun, KeysTypedDuringAPrintThatStartsNoRecordAreRefusedWithAWord)
{
    PrintingStation s;
    s.registration("BRAVO", {"CBC", "TSH"});
    const QStringList before = Support::SpoolerJobs();
    QTimer::singleShot(400, [&] {
        s.type("xy");
        s.main->close(); // the program does not end under its labels
    });
    s.key(Qt::Key_F8);
    EXPECT_EQ(Support::CapturedJobs(before, 2), (QList<QByteArray>{"X12345 BRAVO CBC\r\n", "X12345 BRAVO TSH\r\n"}));
    EXPECT_TRUE(s.main->isVisible());
    EXPECT_TRUE(s.said.contains("Printing the labels for X12345: wait until they are printed."));
    EXPECT_EQ(s.said.last(), "2 labels sent to tabrix-labels for X12345  2 keys typed while the labels for X12345 printed "
                             "were not taken: no new record was started. Type them again.");
    EXPECT_EQ(s.box("eTestCode"), "");
    EXPECT_EQ(s.rows("SELECT count(*) FROM tests"), (QList<QVariantList>{{2}}));
    EXPECT_FALSE(s.patients().editing());
}

TEST(PrintRun, APrinterDefinitionSavedAsUtf16IsSaidAndNothingPrints)
{
    PrintingStation s(QByteArray("\xFF\xFE/\0/\0 \0N\0", 10));
    s.registration("BRAVO", {"CBC"});
    const QStringList before = Support::SpoolerJobs();
    s.key(Qt::Key_F8);
    ASSERT_EQ(s.prompter.errors.size(), 1);
    EXPECT_EQ(s.prompter.errors[0], "The printer definition " + s.folder.path("tabrix.tpd") + " is saved as UTF-16 text, "
              "which a label printer cannot take: nothing was printed from it. Open it in a text editor, save it as plain "
              "text (UTF-8 or ASCII), then print again.");
    QTest::qWait(300);
    EXPECT_EQ(Support::SpoolerJobs(), before);
}

TEST(PrintRun, LabelsAnEndedProgramLeftUnconfirmedAreClosedAndSaidAtStart)
{
    Support::MainWindowFixture w(0, {}, [](TfrmMain &main) {
        LabelLedger ledger(main.store().database());
        ledger.open({1, 100012345, "X12345", "CBC", "CBC", "Tabrix Station"});
        ledger.open({1, 100012345, "X12345", "TSH", "TSH", "Tabrix Station"});
    });
    EXPECT_EQ(Support::QueryRows(w.main->store().database(), "SELECT DISTINCT Outcome FROM label_log"),
              (QList<QVariantList>{{"not confirmed: the program ended during the print"}}));
    EXPECT_TRUE(w.said.contains("2 labels of an earlier run were left unconfirmed: the program ended during their print. "
                                "Label History shows them as \"not confirmed: the program ended during the print\"; check "
                                "those tubes."))
        << w.said.join('|').toStdString();
}

TEST(PrintRun, ACodeLeftInTheTestBoxIsAddedBeforeThePrint)
{
    PrintingStation s;
    s.registration("BRAVO", {"TSH"});
    s.type("lipid"); // no Enter
    const QStringList before = Support::SpoolerJobs();
    s.key(Qt::Key_F8);
    EXPECT_EQ(s.rows("SELECT TestCode FROM tests ORDER BY Test_id"), (QList<QVariantList>{{"TSH"}, {"LIPID"}}));
    EXPECT_EQ(Support::CapturedJobs(before, 2), (QList<QByteArray>{"X12345 BRAVO TSH\r\n", "X12345 BRAVO LIPID\r\n"}));
    EXPECT_EQ(s.box("eTestCode"), "");
}

TEST(PrintRun, AFailedLabelKeepsTheRegistrationOnScreenAndPrintSendsWhatIsMissing)
{
    PrintingStation s;
    s.registration("BRAVO", {"CBC", "TSH", "BMP"});
    const QString sock = qEnvironmentVariable("TABRIX_CUPS_DIR") + "/cups.sock";
    const QStringList before = Support::SpoolerJobs();
    // The queue stops taking jobs while the first label waits at the spooler.
    QTimer::singleShot(300, [&] { QProcess::execute("cupsreject", {"-h", sock, "tabrix-labels"}); });
    s.key(Qt::Key_Return); // Enter on the empty test box
    EXPECT_EQ(s.prompter.errors, QStringList{"Unable to print.  StartRawPrintJob failed. Printer: tabrix-labels. The print "
                                             "spooler says: Destination \"tabrix-labels\" is not accepting jobs."});
    EXPECT_EQ(s.patients().state(), Cursor::State::Browse); // still BRAVO, no new record
    EXPECT_EQ(s.patients().asString("AccnStr"), "X12345");
    EXPECT_EQ(s.said.last(), "Printing stopped at the label for X12345, test TSH; 1 label sent to tabrix-labels for X12345. "
                             "Not printed: TSH, BMP (Print prints them).");
    s.key(Qt::Key_Return); // again: still there
    EXPECT_EQ(s.patients().asString("AccnStr"), "X12345");

    QProcess::execute("cupsaccept", {"-h", sock, "tabrix-labels"});
    s.key(Qt::Key_F8);
    EXPECT_EQ(Support::CapturedJobs(before, 3),
              (QList<QByteArray>{"X12345 BRAVO CBC\r\n", "X12345 BRAVO TSH\r\n", "X12345 BRAVO BMP\r\n"}));
    EXPECT_EQ(s.said.last(), "2 labels sent to tabrix-labels for X12345");
    s.key(Qt::Key_Return); // all printed: the next registration begins
    EXPECT_EQ(s.patients().state(), Cursor::State::Insert);
}

// A jammed label replaced: from Label History one label again, from the test grid's
// context menu two; each a job with the first print's bytes and a reprint's row.
TEST(PrintRun, OneLabelIsPrintedAgainFromTheHistoryAndFromTheTestGrid)
{
    PrintingStation s;
    s.set([](StationSettings &st) { st.PrinterWait = 0; });
    s.registration("ALPHA", {"CBC", "TSH"});
    QStringList before = Support::SpoolerJobs();
    s.key(Qt::Key_F8);
    const QList<QByteArray> first = Support::CapturedJobs(before, 2);
    ASSERT_EQ(first, (QList<QByteArray>{"X12345 ALPHA CBC\r\n", "X12345 ALPHA TSH\r\n"}));

    // Label History: the newest row is TSH's; Reprint, one label (the number offered).
    before = Support::SpoolerJobs();
    QTimer::singleShot(0, [&] {
        QWidget *history = QApplication::activeModalWidget();
        ASSERT_TRUE(history);
        auto *rows = Support::Control<QTableView>(*history, "grdLabels");
        rows->setCurrentIndex(rows->model()->index(0, 0));
        auto *reprint = Support::Control<QPushButton>(*history, "btnReprint");
        ASSERT_TRUE(reprint->isEnabled());
        QTimer::singleShot(0, [] {
            auto *copies = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(copies);
            EXPECT_EQ(copies->intValue(), 1);
            copies->accept();
        });
        reprint->click();
        qobject_cast<QDialog *>(history)->accept();
    });
    Support::Control<QAction>(*s.main, "LabelHistory1")->trigger();
    EXPECT_EQ(Support::CapturedJobs(before, 1), QList<QByteArray>{first[1]});

    // The test grid's context menu on CBC: Reprint Label…, two labels.
    before = Support::SpoolerJobs();
    QTableView *grid = Support::Control<QTableView>(*s.main, "DBGrid1");
    QTimer::singleShot(0, [] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        QTimer::singleShot(0, [] {
            auto *copies = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(copies);
            copies->setIntValue(2);
            copies->accept();
        });
        menu->close();
        menu->actions().first()->trigger(); // Reprint Label…
    });
    emit grid->customContextMenuRequested(grid->visualRect(grid->model()->index(0, 0)).center());
    EXPECT_EQ(Support::CapturedJobs(before, 2), (QList<QByteArray>{first[0], first[0]}));
    EXPECT_EQ(s.rows("SELECT TestCode, Reprint, Outcome FROM label_log ORDER BY Label_id"),
              (QList<QVariantList>{{"CBC", 0, Unverified}, {"TSH", 0, Unverified}, {"TSH", 1, Unverified},
                                   {"CBC", 1, Unverified}, {"CBC", 2, Unverified}}));
}

TEST(PrintRun, ALabelWhoseBarcodeDoesNotReadIsNotSentAndTheBoxAndTheLedgerSayWhy)
{
    struct Case { const char *name; QByteArray fields; QString fault; };
    const Case cases[] = {
        {"running off the edge", "^FO300,20^BY2^BCN,80,N^FD<#Field Name=AccnStr>^FS", "it runs past the label's right edge"},
        {"one dot wide", "^FO20,20^BY1^BCN,80,N^FD<#Field Name=AccnStr>^FS",
         "its bars are 1 dot wide, under the 2 dots a printer makes readable"},
        {"over text", "^FO20,20^A0N,30,30^FD<#Field Name=Last_Name>^FS^FO20,30^BY2^BCN,80,N^FD<#Field Name=AccnStr>^FS",
         "it overlaps field 1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PrintingStation s("^XA^PW406^LL203" + c.fields + "^XZ");
        s.registration("BRAVO", {"CBC", "TSH"});
        const QStringList before = Support::SpoolerJobs();
        s.key(Qt::Key_F8);
        const int field = c.fault == "it overlaps field 1" ? 2 : 1;
        ASSERT_EQ(s.prompter.errors.size(), 1);
        EXPECT_EQ(s.prompter.errors[0], QString("The label for X12345, test CBC was not printed: the barcode of field %1 "
                                                "does not read: %2. Printing stopped.").arg(field).arg(c.fault));
        EXPECT_EQ(s.rows("SELECT TestCode, Job_id IS NULL, Outcome FROM label_log ORDER BY Label_id"),
                  (QList<QVariantList>{{"CBC", 1, QString("not sent: barcode does not read (field %1: %2)")
                                                          .arg(field).arg(c.fault)}}));
        QTest::qWait(300);
        EXPECT_EQ(Support::SpoolerJobs(), before);
    }

    // A label whose barcode reads goes byte for byte, and its row says sent.
    PrintingStation s("^XA^PW406^LL203^FO20,20^BY2^BCN,80,N^FD<#Field Name=AccnStr>^FS"
                      "^FO260,20^A0N,30,30^FD<#Field Name=Last_Name>^FS^XZ");
    s.registration("BRAVO", {"CBC"});
    const QStringList before = Support::SpoolerJobs();
    s.key(Qt::Key_F8);
    EXPECT_EQ(s.prompter.errors, QStringList());
    EXPECT_EQ(Support::CapturedJobs(before, 1), QList<QByteArray>{"^XA^PW406^LL203^FO20,20^BY2^BCN,80,N^FDX12345^FS"
                                                                  "^FO260,20^A0N,30,30^FDBRAVO^FS^XZ"});
    EXPECT_EQ(s.rows("SELECT TestCode, Outcome FROM label_log"), (QList<QVariantList>{{"CBC", "sent"}}));
}

TEST(PrintRun, TheLogSaysWhatWasSavedAndPrintedAndNeverWhoThePatientIs)
{
    QTemporaryDir state;
    const QByteArray before = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    {
        PrintingStation s;
        s.registration("BRAVO", {"CBC"});
        Printers::SetCurrentPrinter("no-such-queue"); // a queue that refuses the job
        s.key(Qt::Key_F8);
        ASSERT_EQ(s.prompter.errors.size(), 1);
    }
    qputenv("XDG_STATE_HOME", before);
    QFile file(state.filePath("tabrix/tabrix.log"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(file.readAll());
    EXPECT_EQ(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
    for (const char *line : {"register opened: ", "saved X12345 (new)",
                             "label X12345, test CBC: not printed: Unable to print. StartRawPrintJob failed",
                             "error shown: Unable to print."})
        EXPECT_TRUE(log.contains(line)) << line << "\n" << qPrintable(log);
    // The patient's name, id and date of birth, in every form typed or stored.
    for (const char *secret : {"BRAVO", "OSKA", "MRNBRAVO", "01/19/1970", "19700119", "1970-01-19"})
        EXPECT_FALSE(log.contains(secret, Qt::CaseInsensitive)) << secret << "\n" << qPrintable(log);
}
