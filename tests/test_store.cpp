#include "base/TabrixDefs.h"
#include "log/PatientLogModel.h"
#include "register/RecordStore.h"
#include "register/RegistrationFinder.h"
#include "register/SQUtils.h"
#include "tests/TestSupport.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace Tabrix;

namespace {

// A register on a real SQLite file in a program folder of its own.
struct Register {
    Support::ProgramFolder folder;
    RecordStore store{folder.station};

    Register() { folder.createRegister(); }
    void open() { store.Connect(folder.path("tabrix.udl")); }

    // Adds saved patients straight into the file (before the store opens).
    void addPatients(std::initializer_list<qint32> accnNums)
    {
        RecordStore writer{folder.station};
        writer.Connect(folder.path("tabrix.udl"));
        for (qint32 n : accnNums)
            Support::AddPatient(writer, {{"AccnNum", n},
                                         {"Created", QDateTime(QDate(2026, 12, 8), QTime(9, 30))},
                                         {"Last_Name", QStringLiteral("P%1").arg(n)}});
        writer.Disconnect();
    }
    void addTest(Cursor &tests, qint32 orderId, const QString &code)
    {
        tests.Append();
        tests.setValue("Order_id", orderId);
        tests.setValue("TestCode", code);
        tests.Post();
    }
    int count(const char *sql)
    {
        QSqlQuery q(store.database());
        q.exec(QString::fromLatin1(sql));
        return q.next() ? q.value(0).toInt() : -1;
    }
};

struct Position {
    qint32 accn;
    bool bof, eof;
};

void expectAt(const Cursor &c, Position p)
{
    EXPECT_EQ(c.asInteger("AccnNum"), p.accn);
    EXPECT_EQ(c.Bof(), p.bof);
    EXPECT_EQ(c.Eof(), p.eof);
}

} // namespace

TEST(Store, NextNumFollowsTheLargestNumberAndTheRange)
{
    struct Case {
        const char *name;
        std::initializer_list<qint32> rows;
        qint32 minValue, next;
    };
    const Case cases[] = {
        {"empty table", {}, 100000100, 100000100},
        {"largest at the minimum", {100000050, 100000100}, 100000100, 100000101},
        // rows outside the range (another station's, an older range's) count for nothing
        {"largest above the maximum", {100000300}, 100000100, 100000100},
        {"largest in the range, others above", {100000150, 100000300}, 100000100, 100000151},
        {"largest below the minimum", {100000007}, 100000100, 100000100},
        {"no range, empty", {}, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Register r;
        r.addPatients(c.rows);
        Support::Set(r.folder.station, [&](StationSettings &s) { s.TAccn = {c.minValue, 100000200, 0}; });
        r.open();
        EXPECT_EQ(r.folder.station.settings().TAccn.NextNum, c.next);
    }
}

TEST(Store, BofAndEofFollowEveryMove)
{
    Register r;
    r.open();
    EXPECT_TRUE(r.store.tblPatients.IsEmpty());
    EXPECT_TRUE(r.store.tblPatients.Bof());
    EXPECT_TRUE(r.store.tblPatients.Eof());
    r.store.Disconnect();

    r.addPatients({100000003, 100000001, 100000002});
    r.open();
    Cursor &p = r.store.tblPatients;
    struct Step { const char *move; Position after; };
    const Step steps[] = {
        {"open", {100000001, true, false}},
        {"Prior", {100000001, true, false}},
        {"Next", {100000002, false, false}},
        {"Next", {100000003, false, false}},
        {"Next", {100000003, false, true}}, // the try at the last row sets EOF and stays
        {"Next", {100000003, false, true}},
        {"Prior", {100000002, false, false}},
        {"First", {100000001, true, false}},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.move);
        const QString move = s.move;
        if (move == "Prior") p.Prior();
        if (move == "Next") p.Next();
        if (move == "First") p.First();
        expectAt(p, s.after);
    }
}

TEST(Store, ASavedRowKnowsItsOrderIdAndNumbersAreNeverReused)
{
    Register r;
    r.open();
    Cursor &p = r.store.tblPatients;
    std::vector<QString> events;
    QObject::connect(&p, &Cursor::beforeScroll, [&] { events.push_back("beforeScroll"); });
    QObject::connect(&p, &Cursor::newRecord, [&] { events.push_back("newRecord"); });
    QObject::connect(&p, &Cursor::stateChange, [&](Cursor::Event e) {
        events.push_back(QVariant::fromValue(e).toString());
    });

    p.Append();
    EXPECT_EQ(events, (std::vector<QString>{"beforeScroll", "newRecord", "Insert"}));
    EXPECT_EQ(p.state(), Cursor::State::Insert);
    EXPECT_TRUE(p.value("Order_id").isNull());
    p.setValue("AccnNum", 100000001);
    p.setValue("Created", QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    p.Post();
    p.Refresh();
    const int first = p.asInteger("Order_id");
    EXPECT_GT(first, 0);
    EXPECT_EQ(p.state(), Cursor::State::Browse);

    p.Delete();
    EXPECT_TRUE(p.IsEmpty());
    p.Append();
    p.setValue("AccnNum", 100000001);
    p.setValue("Created", QDateTime(QDate(2026, 12, 8), QTime(9, 31)));
    p.Post();
    p.Refresh();
    EXPECT_GT(p.asInteger("Order_id"), first);
}

TEST(Store, TheTestCursorFollowsEveryMoveAndIsEmptyOnANewRow)
{
    Register r;
    r.addPatients({100000001, 100000002});
    r.open();
    Cursor &p = r.store.tblPatients;
    Cursor &t = r.store.tblTests;
    const qint32 firstId = p.asInteger("Order_id");
    p.Next();
    const qint32 secondId = p.asInteger("Order_id");
    r.addTest(t, secondId, "CBC");
    r.addTest(t, secondId, "BMP");
    p.First();
    r.addTest(t, firstId, "TSH");

    const auto codes = [&] {
        QStringList list;
        for (const QSqlRecord &row : t.rows())
            list << row.value("TestCode").toString();
        return list;
    };
    EXPECT_EQ(codes(), QStringList{"TSH"});
    p.Next();
    EXPECT_EQ(codes(), (QStringList{"CBC", "BMP"}));
    EXPECT_EQ(t.asString("TestCode"), "CBC");
    t.Next();
    EXPECT_EQ(t.asString("TestCode"), "BMP");
    p.Prior();
    EXPECT_EQ(t.asString("TestCode"), "TSH");

    p.Append();
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_TRUE(codes().isEmpty());
    p.Cancel();
    EXPECT_EQ(p.asInteger("Order_id"), firstId); // back to the row that was current
    EXPECT_EQ(codes(), QStringList{"TSH"});

    // Deleting a patient takes its tests along; the next row becomes current.
    p.Delete();
    EXPECT_EQ(p.asInteger("Order_id"), secondId);
    EXPECT_EQ(r.count("select count(*) from tests where Order_id = " + QByteArray::number(firstId)), 0);
    r.store.EmptyPatients();
    EXPECT_EQ(r.count("select count(*) from tests"), 0);
}

TEST(Store, FieldsAreFoundWithoutRegardToCase)
{
    Register r;
    r.open();
    Cursor &p = r.store.tblPatients;
    p.Append();
    p.setValue("AccnNum", 100012345);
    p.setValue("created", QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    p.setValue("LOCATION", "W2");
    p.setValue("Collection_Date", "12/08/2026");
    p.setValue("Collection_time", "0930");
    p.setValue("recieve_date", "12/8/2026 10:30");
    p.setValue("DOB", "13/40/2000");
    p.Post();
    p.Refresh();
    EXPECT_EQ(p.asString("Location"), "W2");
    EXPECT_EQ(p.asString("COLLECTION_TIME"), "0930");
    EXPECT_EQ(p.asInteger("accnnum"), 100012345);
    EXPECT_EQ(p.asInteger("Middle_Initial"), 0); // empty reads as 0
    EXPECT_EQ(p.asDateTime("Created"), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    EXPECT_EQ(p.asDateTime("Collection_date"), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    EXPECT_EQ(p.asDateTime("Recieve_Date"), QDateTime(QDate(2026, 12, 8), QTime(10, 30)));
    EXPECT_THROW(p.asDateTime("DOB"), EDatabaseError);
    EXPECT_THROW(p.asDateTime("Collection_Time"), EDatabaseError);
    try {
        p.value("Middle_Name");
        FAIL();
    } catch (const EDatabaseError &e) {
        EXPECT_TRUE(e.message().contains("Middle_Name"));
    }
}

TEST(Store, TypingIntoAnEmptyRegisterStartsANewRow)
{
    Register r;
    r.open();
    Cursor &p = r.store.tblPatients;
    int newRecords = 0;
    QObject::connect(&p, &Cursor::newRecord, [&] { ++newRecords; });
    p.Edit();
    EXPECT_EQ(p.state(), Cursor::State::Insert);
    EXPECT_EQ(newRecords, 1);
}

TEST(PatientLog, ALargeRegistersRowsAreRightWhereverTheyAreReadFrom)
{
    Register r;
    r.open();
    // 5,000 patients whose name order differs from their accession order.
    const int patients = 5000;
    QSqlDatabase db = r.store.database();
    ASSERT_TRUE(db.transaction());
    QSqlQuery insert(db);
    insert.prepare("INSERT INTO patients (AccnNum, AccnStr, Created, Last_Name, First_Name) VALUES (?, 'X', ?, ?, ?)");
    for (int i = 0; i < patients; ++i) {
        insert.addBindValue(100000000 + i);
        insert.addBindValue(QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
        insert.addBindValue(QString("L%1").arg((qint64(i) * 7919) % 1000, 4, 10, QChar('0'))); // names held many times
        insert.addBindValue(QString("F%1").arg(i % 7));
        ASSERT_TRUE(insert.exec());
    }
    ASSERT_TRUE(db.commit());
    r.store.tblPatients.Close();
    r.store.tblPatients.Open();
    Cursor &p = r.store.tblPatients;
    p.setSortFields({"Last_Name", "First_Name", "Patient_id"});
    QList<qint64> order; // the log's order, read whole
    QSqlQuery all(db);
    ASSERT_TRUE(all.exec("SELECT Order_id FROM patients ORDER BY Last_Name, First_Name, Patient_id, Order_id"));
    while (all.next())
        order << all.value(0).toLongLong();

    // The log opened on a record near the end: its row, and the rows around it.
    ASSERT_TRUE(p.Locate(order[4990]));
    PatientLogModel model(p);
    model.reload();
    ASSERT_EQ(model.rowCount(), patients);
    EXPECT_EQ(model.currentRow(), 4990);
    // Then rows read in an order that makes each page start from another known row:
    // the current record, a page read before (either side), or either end.
    const int rows[] = {4985, 4995, 4999, 4799, 4800, 0, 1, 199, 200, 2500, 2499, 3001, 1234, 4600, 4601, 4400};
    for (int row : rows)
        EXPECT_EQ(model.keyAt(row).toLongLong(), order[row]) << "row " << row;
    model.reload(); // a page in the middle with nothing known but the ends
    EXPECT_EQ(model.keyAt(2777).toLongLong(), order[2777]);

    // The count is kept: the cursor's own new row counts at once, another station's
    // when the log opens again.
    p.Append();
    p.setValue("AccnNum", 100099999);
    p.setValue("AccnStr", "X99999");
    p.setValue("Created", QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    p.setValue("Last_Name", "ZZZ");
    p.Post();
    model.reload();
    EXPECT_EQ(model.rowCount(), patients + 1);
    EXPECT_EQ(model.currentRow(), patients); // the last name is last
    {
        RecordStore other{r.folder.station};
        other.Connect(r.folder.path("tabrix.udl"));
        Support::AddPatient(other, {{"AccnNum", 100099998}, {"Created", QDateTime(QDate(2026, 12, 8), QTime(9, 30))}});
    }
    model.reload();
    EXPECT_EQ(model.rowCount(), patients + 2);
}

// Find: each form a clerk types, and Return again for the next match.
TEST(Finder, EachFormFindsItsRegistrationsInTurn)
{
    Register r;
    r.open();
    const struct { qint32 accn; const char *last, *first, *id; } patients[] = {
        {100012345, "DOE", "JANE", "MRN7"}, {100012346, "DOE", "JOHN", "MRN8"}, {100012347, "DOEBLER", "ANN", "MRN7"},
        {100012348, "DOF", "JANE", "MRN9"}, {110000042, "PINDLE", "OSKA", "X12345"},
    };
    QMap<qint64, QString> accnOf;
    for (const auto &p : patients) {
        const qint32 id = Support::AddPatient(r.store, {{"AccnNum", p.accn}, {"AccnStr", AccnNumToStr(p.accn)},
                                                        {"Created", QDateTime(QDate(2026, 12, 8), QTime(9, 30))},
                                                        {"Last_Name", p.last}, {"First_Name", p.first},
                                                        {"Patient_id", p.id}});
        accnOf[id] = AccnNumToStr(p.accn);
    }
    const struct {
        const char *typed;
        QStringList found; // in turn, then none, then the first again
    } cases[] = {
        {"X12346", {"X12346"}},
        {"100012346", {"X12346"}},
        {" m42 ", {"M42"}},
        {"X12345", {"X12345", "M42"}}, // the accession number, then the patient id X12345
        {"mrn7", {"X12345", "X12347"}},
        {"DOE, J", {"X12345", "X12346"}},
        {"DOE, JO", {"X12346"}},
        {"DOE,", {"X12345", "X12346"}},
        {"DOE", {"X12345", "X12346", "X12347"}},
        {"do", {"X12345", "X12346", "X12347", "X12348"}},
        {"SMITH", {}},
        {"X99999", {}},
    };
    RegistrationFinder finder(r.store.database());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        QStringList found;
        while (const auto key = finder.next(QString::fromLatin1(c.typed)))
            found << accnOf.value(key->toLongLong());
        EXPECT_EQ(found, c.found);
        const auto again = finder.next(QString::fromLatin1(c.typed));
        EXPECT_EQ(again ? accnOf.value(again->toLongLong()) : QString(), c.found.value(0));
    }
}
