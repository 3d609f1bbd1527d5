#include "app/base/CommaText.h"
#include "log/RegisterExport.h"
#include "register/RecordStore.h"
#include "tests/TestSupport.h"

#include <QFile>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace Tabrix;

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
    Support::ProgramFolder folder;
    folder.createRegister();
    RecordStore store;
    store.Connect(folder.path("tabrix.udl"));
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
    ExportRegister(store.database(), folder.path("export.txt"), [&] { ++calls; });
    EXPECT_EQ(calls, 1);
    QFile golden(QString::fromLocal8Bit(qgetenv("TABRIX_TEST_DATA")) + "/golden/export.txt");
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(folder.readFile("export.txt"), golden.readAll());

    // A file that cannot be written: the reason, and nothing under the name.
    try {
        ExportRegister(store.database(), folder.path("no-such-folder/export.txt"), [] {});
        ADD_FAILURE();
    } catch (const ETabrixError &e) {
        EXPECT_TRUE(e.message().contains("no-such-folder/export.txt"));
    }
    EXPECT_FALSE(QFile::exists(folder.path("no-such-folder/export.txt")));

    // An empty register gives an empty file.
    store.EmptyPatients();
    ExportRegister(store.database(), folder.path("empty.txt"), [] {});
    EXPECT_TRUE(QFile::exists(folder.path("empty.txt")));
    EXPECT_EQ(folder.readFile("empty.txt"), "");
}

TEST(Export, AValueStoredAsABlobIsWrittenAsItsText)
{
    if (Support::ProgramFolder::onPostgres())
        GTEST_SKIP() << "a text column of PostgreSQL holds no blob";
    Support::ProgramFolder folder;
    folder.createRegister();
    RecordStore store;
    store.Connect(folder.path("tabrix.udl"));
    const QDateTime noon(QDate(2026, 12, 8), QTime(12, 0));
    const qint32 id = Support::AddPatient(store, {{"AccnNum", 100012345}, {"AccnStr", "X12345"}, {"Created", noon}}, {"CBC"});
    // Another tool wrote a test code and a name as blobs.
    QSqlQuery q(store.database());
    ASSERT_TRUE(q.exec(QString("INSERT INTO tests (Order_id, TestCode) VALUES (%1, X'484241314320C9')").arg(id)));
    ASSERT_TRUE(q.exec("UPDATE patients SET Last_Name = X'50494E444C45'"));
    ExportRegister(store.database(), folder.path("export.txt"), [] {});
    EXPECT_EQ(folder.readFile("export.txt"),
              "1\\100012345\\X12345\\12/8/26 12:00:00 PM\\PINDLE\\\\\\\\\\\\\\\\\\\\\\CBC,\"HBA1C \xc9\"\r\n");
}
