#include "base/Clock.h"
#include "base/CommaText.h"
#include "labels/LabelHistory.h"
#include "labels/LabelLedger.h"
#include "base/DateFormat.h"
#include "log/ExportLine.h"
#include "log/RegisterExport.h"
#include "register/RecordStore.h"
#include "tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace Tabrix;

namespace {

// A register of its own in a program folder of its own, open.
struct OpenRegister {
    Support::ProgramFolder folder;
    RecordStore store{folder.station};
    OpenRegister()
    {
        folder.createRegister();
        store.Connect(folder.path("tabrix.udl"));
    }
};

} // namespace

TEST(Export, CommaText)
{
    struct Case { QStringList items; const char *text; };
    const Case cases[] = {
        {{}, ""}, {{""}, "\"\""}, {{"CBC"}, "CBC"}, {{"CBC", "BMP,CMP"}, "CBC,\"BMP,CMP\""},
        {{"HB A1C"}, "\"HB A1C\""}, {{"a\"b"}, "\"a\"\"b\""}, {{"a\tb"}, "\"a\tb\""}, {{"   "}, "\"   \""},
        {{"", "A"}, ",A"}, {{"A", ""}, "A,"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CommaText(c.items), QString::fromLatin1(c.text)) << qPrintable(c.items.join('|'));
}

TEST(Export, TheRegisterAsTextByteForByte)
{
    OpenRegister r;
    auto &[folder, store] = r;
    struct Patient { qint32 accn; QDateTime created; QStringList fields; QStringList tests; };
    const QDateTime morning(QDate(2026, 12, 8), QTime(9, 30, 5));
    const Patient patients[] = {
        {100012344, morning, {"DOE", "JANE", "F", "MRN2", "02/02/1980", "ER", "12/08/2026", "0900", "12/08/2026", "0915"}, {""}},
        {100012345, morning, {"PINDLE", "OSKA", "M", "MRN1", "01/19/1970", "W144", "12/08/2026", "0915", "12/08/2026", "0930"},
         {"CBC", "BMP,CMP"}},
        {100012346, QDateTime(QDate(2026, 12, 8), QTime(0, 0)), {}, {}},
        {100012347, QDateTime(QDate(2026, 12, 8), QTime(23, 0)),
         {QString::fromLatin1("\xc9" "CLAIR"), QString::fromLatin1("ZO\xeb"), "F", "MRN4", "03/03/1990", "W2", "12/08/2026", "2200",
          "12/08/2026", "2230"},
         {"   ", "HB A1C", QString(QChar(0x141)) + "1"}},
    };
    const char *columns[] = {"Last_Name", "First_Name", "Gender", "Patient_id", "DOB", "Location",
                             "Collection_date", "Collection_Time", "Recieve_date", "Recieve_Time"};
    for (const Patient &patient : patients) {
        Support::ColumnValues values = {{"AccnNum", patient.accn},
                                        {"AccnStr", QStringLiteral("X%1").arg(patient.accn - 100000000)},
                                        {"Created", patient.created}};
        for (int i = 0; i < patient.fields.size(); ++i)
            values.emplace_back(columns[i], patient.fields[i]);
        Support::AddPatient(store, values, patient.tests);
    }
    folder.writeFile("export.txt", "an older file, replaced without a question");
    int calls = 0;
    EXPECT_TRUE(ExportRegister(store.database(), folder.path("export.txt"), [&](qint64 written, qint64 total) {
        EXPECT_EQ(written, 0);
        EXPECT_EQ(total, 4);
        ++calls;
        return true;
    }));
    EXPECT_EQ(calls, 1);
    QFile golden(QString::fromLocal8Bit(qgetenv("TABRIX_TEST_DATA")) + "/golden/export.txt");
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(folder.readFile("export.txt"), golden.readAll());

    // A file that cannot be written: the reason, and nothing under the name.
    try {
        ExportRegister(store.database(), folder.path("no-such-folder/export.txt"), [](qint64, qint64) { return true; });
        ADD_FAILURE();
    } catch (const ETabrixError &e) {
        EXPECT_TRUE(e.message().contains("no-such-folder/export.txt"));
    }
    EXPECT_FALSE(QFile::exists(folder.path("no-such-folder/export.txt")));

    // An empty register gives an empty file.
    store.EmptyPatients();
    ExportRegister(store.database(), folder.path("empty.txt"), [](qint64, qint64) { return true; });
    EXPECT_TRUE(QFile::exists(folder.path("empty.txt")));
    EXPECT_EQ(folder.readFile("empty.txt"), "");
}

TEST(Export, AValueStoredAsABlobIsWrittenAsItsText)
{
    if (Support::ProgramFolder::onPostgres())
        GTEST_SKIP() << "a text column of PostgreSQL holds no blob";
    OpenRegister r;
    auto &[folder, store] = r;
    const QDateTime noon(QDate(2026, 12, 8), QTime(12, 0));
    const qint32 id = Support::AddPatient(store, {{"AccnNum", 100012345}, {"AccnStr", "X12345"}, {"Created", noon}}, {"CBC"});
    // Another tool wrote a test code and a name as blobs.
    QSqlQuery q(store.database());
    ASSERT_TRUE(q.exec(QString("INSERT INTO tests (Order_id, TestCode) VALUES (%1, X'484241314320C9')").arg(id)));
    ASSERT_TRUE(q.exec("UPDATE patients SET Last_Name = X'50494E444C45'"));
    ExportRegister(store.database(), folder.path("export.txt"), [](qint64, qint64) { return true; });
    EXPECT_EQ(folder.readFile("export.txt"),
              "1\\100012345\\X12345\\12/8/26 12:00:00 PM\\PINDLE\\\\\\\\\\\\\\\\\\\\\\CBC,\"HBA1C \xc9\"\r\n");
}

TEST(Export, EveryStoredValueIsWrittenAsQtReadsItAndCreatedInEveryStoredForm)
{
    if (Support::ProgramFolder::onPostgres())
        GTEST_SKIP() << "values stored as another tool may store them in SQLite";
    OpenRegister r;
    auto &[folder, store] = r;
    // Last_Name as another tool may have stored it, Created in the forms it may have.
    struct Case { const char *lastName, *created, *createdText; };
    const Case cases[] = {
        {"'PINDLE'", "'2026-12-08T09:30:05.000'", "12/8/26 9:30:05 AM"},
        {"CAST(X'C3A9434C414952' AS TEXT)", "'2026-12-08T00:00:00.000'", "12/8/26"},      // é, at midnight
        {"CAST(X'E282AC' AS TEXT)", "'2026-12-08'", "12/8/26"},                            // € (outside Latin-1)
        {"CAST(X'F09F9880' AS TEXT)", "'2026-12-08 13:05'", "12/8/26 1:05:00 PM"},         // outside the BMP
        {"CAST(X'FF41C3' AS TEXT)", "'2026-02-30T09:30:05.000'", "2026-02-30T09:30:05.000"}, // not UTF-8; no such day
        {"CAST(X'4100' AS TEXT)", "'soon'", "soon"},                                       // a NUL inside
        {"2.5", "'2026-12-08T23:59:59.999'", "12/8/26 11:59:59 PM"},
        {"1e20", "'2026-12-08T12:00:00.000'", "12/8/26 12:00:00 PM"},
        {"-7", "'2026-12-08T24:00:00.000'", nullptr}, // whatever ISO 8601 reading makes of it
        {"'OKAFOR'", "'2026-12-08T09:30'", "12/8/26 9:30:00 AM"},
    };
    QSqlQuery q(store.database());
    for (int i = 0; i < int(std::size(cases)); ++i) {
        ASSERT_TRUE(q.exec(QString("INSERT INTO patients (AccnNum, AccnStr, Created, Last_Name) VALUES (%1, 'X', %2, %3)")
                               .arg(100012345 + i)
                               .arg(cases[i].created, cases[i].lastName)));
        ASSERT_TRUE(q.exec(QString("INSERT INTO tests (Order_id, TestCode) SELECT Order_id, Last_Name FROM patients WHERE AccnNum = %1")
                               .arg(100012345 + i)));
    }
    ExportRegister(store.database(), folder.path("export.txt"), [](qint64, qint64) { return true; });
    const QList<QByteArray> lines = folder.readFile("export.txt").split('\n');
    ASSERT_EQ(lines.size(), int(std::size(cases)) + 1);
    ASSERT_TRUE(q.exec("SELECT Last_Name, Created FROM patients ORDER BY AccnNum"));
    for (int i = 0; q.next(); ++i) {
        SCOPED_TRACE(cases[i].lastName);
        QByteArray asQtReadsIt; // the Latin-1 of Qt's reading, "?" for anything outside it
        for (QChar c : q.value(0).toString())
            asQtReadsIt += c.unicode() < 256 ? char(c.unicode()) : '?';
        const QList<QByteArray> fields = lines[i].split('\\');
        EXPECT_EQ(fields[4], asQtReadsIt);
        if (cases[i].createdText)
            EXPECT_EQ(fields[3], cases[i].createdText);
        const QByteArray code = fields.last().chopped(1); // before the CR
        EXPECT_TRUE(code == asQtReadsIt || code == '"' + asQtReadsIt + '"') << code.constData();
    }
}

TEST(Export, TimesAreWrittenAsTheLocaleWritesThem)
{
    // Every second of a day, in locales with 12- and 24-hour clocks, am/pm before or
    // after the time, and quoted text, as QLocale itself writes the pattern.
    const QLocale locales[] = {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany),
                               QLocale(QLocale::Korean, QLocale::SouthKorea), QLocale(QLocale::Chinese, QLocale::China),
                               QLocale(QLocale::Portuguese, QLocale::Portugal), QLocale(QLocale::Spanish, QLocale::Spain),
                               QLocale(QLocale::Arabic, QLocale::Egypt)};
    const QString patterns[] = {"", "hh 'o''clock' mm", "H.m.s ap", "h:mm A", "'x"};
    for (const QLocale &locale : locales)
        for (QString pattern : patterns) {
            if (pattern.isEmpty())
                pattern = LongTimePattern(locale);
            SCOPED_TRACE(qPrintable(locale.name() + " " + pattern));
            const TimeFormatter formatter(pattern, locale);
            int differ = 0;
            QByteArray ours, theirs;
            for (int s = 0; s < 86400; ++s) {
                const QTime t = QTime(0, 0).addSecs(s);
                ours.resize(0);
                formatter.append(ours, t);
                theirs.resize(0);
                for (QChar c : locale.toString(t, pattern))
                    theirs += c.unicode() < 256 ? char(c.unicode()) : '?';
                differ += ours != theirs;
            }
            EXPECT_EQ(differ, 0);
        }
}

TEST(Export, ACancelledExportLeavesTheEarlierFileAndNoOther)
{
    OpenRegister r;
    auto &[folder, store] = r;
    QSqlQuery q(store.database());
    for (int i = 0; i < 640; ++i)
        ASSERT_TRUE(q.exec(QString("INSERT INTO patients (AccnNum, AccnStr, Created) VALUES (%1, 'X', '2026-12-08')").arg(100000000 + i)));
    folder.writeFile("export.txt", "the earlier export");
    QList<qint64> asked;
    EXPECT_FALSE(ExportRegister(store.database(), folder.path("export.txt"), [&](qint64 written, qint64 total) {
        asked << written;
        return written < total / 2; // Cancel at half way
    }));
    EXPECT_EQ(asked, (QList<qint64>{0, 64, 128, 192, 256, 320}));
    EXPECT_EQ(folder.readFile("export.txt"), "the earlier export");
    EXPECT_EQ(QDir(folder.path("")).entryList({"export*"}, QDir::Files), QStringList{"export.txt"});
}

namespace {

// A register whose print ledger holds labels of two registrations and a test label,
// with awkward texts in every place a CSV field can hold them.
struct Ledger : OpenRegister {
    Ledger()
    {
        Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 7)));
        LabelLedger ledger(store.database());
        struct Label { QVariant orderId, accnNum; const char *accnStr, *testCode; LabelJob job; };
        const Label labels[] = {
            {1, 100012345, "X12345", "CBC", {"LabelPrinter", 7, "sent"}},
            {1, 100012345, "X12345", "HB A1C", {"LabelPrinter", 8, "sent"}},
            {2, 100012346, "X12346", "BMP,CMP", {"Queue \"2\"", 0, "Unable to print.  StartRawPrintJob failed"}},
            {{}, {}, "", "", {"LabelPrinter", 9, "sent"}},
            {1, 100012345, "X12345", "CBC", {"LabelPrinter", 10, "sent"}},
            {2, 100012346, "X12346", "BMP,CMP", {QString::fromUtf8("Étiquettes\r\nétage 2"), 11, "sent"}},
        };
        for (const Label &l : labels) {
            Clock::setFixed(Clock::now().addSecs(1));
            ledger.close(ledger.open({l.orderId, l.accnNum, l.accnStr, l.testCode, QByteArray("^XA^XZ") + l.testCode}), l.job);
        }
        Clock::setFixed({});
    }
};

QStringList column(const LabelHistoryModel &model, int c, int role = Qt::DisplayRole)
{
    QStringList values;
    for (int r = 0; r < model.rowCount(); ++r)
        values << model.data(model.index(r, c), role).toString();
    return values;
}

} // namespace

TEST(LabelHistory, ARecordsLabelsOrTheWholeRegisterNewestFirstWithReprintsAndFailuresMarked)
{
    Ledger l;
    LabelHistoryModel model(l.store.database());
    model.showLabelsOf(1);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(column(model, 0), (QStringList{"2026-12-08 10:00:12", "2026-12-08 10:00:09", "2026-12-08 10:00:08"}));
    EXPECT_EQ(column(model, 2), (QStringList{"CBC", "HB A1C", "CBC"}));
    EXPECT_EQ(column(model, 3), (QStringList{"reprint 1", "first", "first"}));
    EXPECT_TRUE(model.data(model.index(0, 5), Qt::BackgroundRole).isValid()); // a reprint is shaded
    EXPECT_FALSE(model.data(model.index(1, 5), Qt::BackgroundRole).isValid());

    model.showLabelsOf({});
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(column(model, 1), (QStringList{"X12346", "X12345", "test label", "X12346", "X12345", "X12345"}));
    // The refused label counts for no reprint, and stands out in red.
    EXPECT_EQ(column(model, 3), (QStringList{"first", "reprint 1", "first", "first", "first", "first"}));
    EXPECT_EQ(column(model, 6), (QStringList{"11", "10", "9", "", "8", "7"}));
    EXPECT_TRUE(model.data(model.index(3, 4), Qt::ForegroundRole).isValid());
    EXPECT_FALSE(model.data(model.index(2, 4), Qt::ForegroundRole).isValid());
    model.showLabelsOf(3);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(LabelHistory, TheCsvExportReadsBackWithPythonsCsvModuleAsTheTableHoldsIt)
{
    Ledger l;
    const QString file = l.folder.path("label_history.csv");
    QList<qint64> progress;
    ASSERT_TRUE(ExportLabelHistory(l.store.database(), file, [&](qint64 written, qint64 total) {
        progress << written << total;
        return true;
    }));
    // A real CSV parser, reading UTF-8 as RFC 4180 files are read.
    QProcess python;
    python.start("python3", {"-c", "import csv, json, sys\n"
                                   "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                   "    print(json.dumps(list(csv.reader(f, strict=True))))",
                             file});
    ASSERT_TRUE(python.waitForFinished(20000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().constData();
    const QJsonArray read = QJsonDocument::fromJson(python.readAllStandardOutput()).array();

    const QStringList header = {"Label_id", "Order_id", "AccnNum", "AccnStr", "TestCode", "Printed", "Station",
                                "Printer",  "Job_id",   "Bytes",   "Digest",  "Outcome",  "Reprint"};
    ASSERT_EQ(read.size(), 7);
    EXPECT_EQ(read[0].toVariant().toStringList(), header);
    QSqlQuery q(l.store.database());
    ASSERT_TRUE(q.exec("SELECT " + header.join(',') + " FROM label_log ORDER BY Label_id"));
    for (int row = 1; q.next(); ++row) {
        SCOPED_TRACE(row);
        QStringList expected;
        for (int c = 0; c < header.size(); ++c)
            expected << (q.isNull(c)            ? QString()
                         : header[c] == "Printed" ? q.value(c).toDateTime().toString("yyyy-MM-dd HH:mm:ss")
                                                  : q.value(c).toString());
        EXPECT_EQ(read[row].toVariant().toStringList(), expected);
    }
    EXPECT_EQ(read[6].toArray()[7].toString(), QString::fromUtf8("Étiquettes\r\nétage 2"));
    EXPECT_EQ(read[4].toArray()[1].toString(), ""); // the test label's registration: none
    EXPECT_TRUE(l.folder.readFile("label_history.csv").startsWith("Label_id,Order_id,")); // no byte order mark
    EXPECT_TRUE(progress.isEmpty()); // six rows: done before any progress is worth showing
}

TEST(LabelHistory, ACancelledOrFailedExportLeavesTheEarlierFileAsItWas)
{
    Ledger l;
    QSqlQuery q(l.store.database());
    for (int i = 0; i < 600; ++i) // rows enough for the export to ask whether to go on
        ASSERT_TRUE(q.exec("INSERT INTO label_log (AccnStr, TestCode, Printed, Bytes, Digest, Outcome) "
                           "SELECT AccnStr, TestCode, Printed, Bytes, Digest, Outcome FROM label_log WHERE Label_id = 1"));
    l.folder.writeFile("label_history.csv", "the earlier export");
    QList<qint64> asked;
    EXPECT_FALSE(ExportLabelHistory(l.store.database(), l.folder.path("label_history.csv"), [&](qint64 written, qint64 total) {
        asked << written << total;
        return false;
    }));
    EXPECT_EQ(asked, (QList<qint64>{256, 606}));
    EXPECT_EQ(l.folder.readFile("label_history.csv"), "the earlier export");
    EXPECT_EQ(QDir(l.folder.path("")).entryList({"label_history*"}, QDir::Files), QStringList{"label_history.csv"});

    QFile::setPermissions(l.folder.path("label_history.csv"), QFileDevice::ReadOwner);
    try {
        ExportLabelHistory(l.store.database(), l.folder.path("label_history.csv"), [](qint64, qint64) { return true; });
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const ETabrixError &e) {
        EXPECT_EQ(e.message(), "The label history could not be written to " + l.folder.path("label_history.csv") +
                                   ": The file is read-only.");
    }
    EXPECT_EQ(l.folder.readFile("label_history.csv"), "the earlier export");
}
