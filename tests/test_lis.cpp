#include "lis/Hl7Ack.h"
#include "lis/LisMessages.h"
#include "lis/LisStates.h"
#include "lis/OrderMessage.h"
#include "register/RecordStore.h"
#include "register/RegisterStatement.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using namespace Tabrix;

namespace {

LisRegistration registration()
{
    LisRegistration r{7, 100012345, QStringLiteral("X12345"), QStringLiteral("2026-12-08T09:30:00")};
    r.lastName = QStringLiteral("PINDLE"), r.firstName = QStringLiteral("OSKA"), r.gender = QStringLiteral("M");
    r.patientId = QStringLiteral("MRN1"), r.dob = QStringLiteral("01/19/1970"), r.location = QStringLiteral("W144");
    r.collectionDate = r.receiveDate = QStringLiteral("12/08/2026");
    r.collectionTime = QStringLiteral("0915"), r.receiveTime = QStringLiteral("0930");
    r.tests = {QStringLiteral("CBC"), QStringLiteral("BMP"), QStringLiteral("CBC")};
    return r;
}

} // namespace

TEST(Hl7Text, EveryDelimiterAndControlCharacterComesBack)
{
    const QString hostile = QStringLiteral("O'NE|^~\\&AL \"Ü\"\r\nX\x01");
    const QString escaped = Hl7Escape(hostile);
    for (const char *delimiter : {"|", "^", "~", "&", "\r", "\n"})
        EXPECT_FALSE(escaped.contains(QString::fromLatin1(delimiter))) << delimiter;
    EXPECT_EQ(escaped, QStringLiteral("O'NE\\F\\\\S\\\\R\\\\E\\\\T\\AL \"Ü\"\\X0D\\\\X0A\\X\\X01\\"));
    EXPECT_EQ(Hl7Unescape(escaped), hostile);
}

TEST(OrderMessage, SegmentsAndFieldsOfEachKind)
{
    LisSettings s;
    s.stationID = QStringLiteral("ER-1");
    s.specimenType = QStringLiteral("BLD");
    const Hl7Message oml = BuildOrderMessage(registration(), s);
    EXPECT_EQ(oml.segmentsOf(QStringLiteral("ORC")).size(), 3);
    EXPECT_EQ(oml.segmentsOf(QStringLiteral("SPM")).size(), 3);
    EXPECT_EQ(oml.field(0, 9), QStringLiteral("OML^O21^OML_O21"));
    EXPECT_EQ(oml.field(0, 12), QStringLiteral("2.5.1"));
    EXPECT_EQ(oml.field(0, 18), QStringLiteral("UNICODE UTF-8"));
    // The same code ordered twice is two orders with placer numbers of their own.
    const QList<int> orc = oml.segmentsOf(QStringLiteral("ORC"));
    EXPECT_EQ(oml.field(orc[0], 2), QStringLiteral("X12345-CBC^TABRIX"));
    EXPECT_EQ(oml.field(orc[2], 2), QStringLiteral("X12345-CBC-2^TABRIX"));
    EXPECT_EQ(oml.field(orc[2], 4), QStringLiteral("X12345^TABRIX"));
    const int spm = oml.segmentsOf(QStringLiteral("SPM")).first();
    EXPECT_TRUE(oml.field(spm, 17).startsWith("202612080915")) << qPrintable(oml.field(spm, 17)); // collected
    EXPECT_TRUE(oml.field(spm, 18).startsWith("202612080930")) << qPrintable(oml.field(spm, 18)); // received

    s.legacyOrm = true;
    const Hl7Message orm = BuildOrderMessage(registration(), s);
    EXPECT_EQ(orm.field(0, 9), QStringLiteral("ORM^O01"));
    EXPECT_EQ(orm.field(0, 12), QStringLiteral("2.3.1"));
    EXPECT_TRUE(orm.segmentsOf(QStringLiteral("SPM")).isEmpty());
    const int obr = orm.segmentsOf(QStringLiteral("OBR")).first();
    EXPECT_EQ(orm.field(obr, 15), QStringLiteral("BLD"));
    EXPECT_EQ(orm.field(obr, 20), QStringLiteral("X12345"));
}

TEST(OrderMessage, ValuesThatMakeNoValidMessageAreNamed)
{
    const struct {
        void (*spoil)(LisRegistration &);
        const char *why;
    } cases[] = {
        {[](LisRegistration &r) { r.dob = QStringLiteral("13/45/1970"); }, "DOB is not a valid date"},
        {[](LisRegistration &r) { r.dob = QStringLiteral("+1/19/1970"); }, "DOB is not a valid date"}, // no sign in a date
        {[](LisRegistration &r) { r.collectionDate = QStringLiteral("yesterday"); }, "Collection date is not a valid date"},
        {[](LisRegistration &r) { r.collectionTime = QStringLiteral("2460"); }, "Collection time is not a valid time"},
        {[](LisRegistration &r) { r.receiveDate.clear(); }, "Recieve date is not a valid date"},
        {[](LisRegistration &r) { r.receiveTime = QStringLiteral("9"); }, "Recieve time is not a valid time"},
        {[](LisRegistration &r) { r.patientId = QStringLiteral("  "); }, "It has no patient id"},
        {[](LisRegistration &r) { r.tests.clear(); }, "It has no tests"},
        {[](LisRegistration &r) { r.accnStr.clear(); }, "It has no accession number"},
    };
    for (const auto &c : cases) {
        LisRegistration r = registration();
        c.spoil(r);
        try {
            BuildOrderMessage(r, LisSettings{});
            ADD_FAILURE() << "built: " << c.why;
        } catch (const ELisContent &e) {
            EXPECT_EQ(e.message(), QString::fromLatin1(c.why));
        }
    }
}

TEST(OrderMessage, TheSameContentKeepsItsDigestAndControlId)
{
    const LisSettings s;
    Hl7Message first = BuildOrderMessage(registration(), s);
    Hl7Message again = first;
    Address(first, OrderControl::New, QStringLiteral("A"), QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    Address(again, OrderControl::Change, QStringLiteral("B"), QDateTime(QDate(2026, 12, 9), QTime(11, 0)));
    EXPECT_EQ(ContentDigest(first), ContentDigest(again)); // time, control id and order control aside
    LisRegistration renamed = registration();
    renamed.lastName = QStringLiteral("PINDEL");
    EXPECT_NE(ContentDigest(BuildOrderMessage(renamed, s)), ContentDigest(first));

    const QString digest = ContentDigest(first);
    const QString id = ControlIdFor(QStringLiteral("X12345"), digest, OrderControl::New, 0);
    EXPECT_EQ(ControlIdFor(QStringLiteral("X12345"), digest, OrderControl::New, 0), id);
    EXPECT_NE(ControlIdFor(QStringLiteral("X12345"), digest, OrderControl::Change, 0), id);
    // A change back to content accepted before is a new message, not a repeat.
    EXPECT_NE(ControlIdFor(QStringLiteral("X12345"), digest, OrderControl::Change, 2),
              ControlIdFor(QStringLiteral("X12345"), digest, OrderControl::Change, 1));
    EXPECT_LE(ControlIdFor(QStringLiteral("Y2147483647|^"), digest, OrderControl::New, 0).size(), 20);
}

TEST(Hl7Ack, EachAnswerCounts)
{
    using K = Hl7Ack::Kind;
    const QByteArray header = "MSH|^~\\&|LAB|HOSP|TABRIX|ER|20261208||ACK^O21|A1|P|2.5.1\r";
    const struct {
        QByteArray answer;
        K kind;
        const char *text;
    } cases[] = {
        {header + "MSA|AA|X1-abc\r", K::Accepted, ""},
        {header + "MSA|CA|X1-abc\r", K::Accepted, ""},
        {header + "MSA|AE|X1-abc|Unknown location\rERR||||E||||Location W1\\T\\2 unknown\r", K::Refused,
         "Unknown location; Location W1&2 unknown"},
        {header + "MSA|AR|X1-abc\rERR|||207^Application internal error^HL70357|E\r", K::Refused, "Application internal error"},
        {header + "MSA|CR|X1-abc\r", K::Refused, ""},
        {"MSH|^~\\&|LAB|HOSP\nMSA|AE|X1-abc\nERR|PID^1^3^204&Unknown key identifier&HL70357\n", K::Refused,
         "Unknown key identifier"},
        {"MSH#^~\\&#LAB\rMSA#AA#X1-abc\r", K::Accepted, ""},
        {"this is no HL7", K::Garbled, "The answer is no HL7 message."},
        {header, K::Garbled, "The answer has no MSA segment."},
        {header + "MSA|AA|X2-def\r", K::Garbled, "The answer is about another message (X2-def)."},
        {header + "MSA|ZZ|X1-abc\r", K::Garbled, "The answer's MSA-1 is \"ZZ\"."},
    };
    for (const auto &c : cases) {
        const Hl7Ack ack = ReadAck(c.answer, QStringLiteral("X1-abc"));
        EXPECT_EQ(ack.kind, c.kind) << c.answer.constData();
        EXPECT_EQ(ack.text, QString::fromLatin1(c.text)) << c.answer.constData();
    }
}

// What the register does around the LIS: a number the LIS was sent is never given
// again, a deleted registration is cancelled from what was sent, and Reset Accns
// cancels nothing.
TEST(LisRegister, DeleteCancelsAndKeepsTheNumberResetCancelsNothing)
{
    Support::ProgramFolder folder;
    folder.createRegister();
    Support::Set(folder.station, [](StationSettings &s) { s.TAccn = {100012345, 100012400, 0}; });
    RecordStore store(folder.station);
    store.Connect(folder.path(QStringLiteral("tabrix.udl")));
    const Support::ColumnValues values{{QStringLiteral("Last_Name"), QStringLiteral("PINDLE")},
                                       {QStringLiteral("First_Name"), QStringLiteral("OSKA")},
                                       {QStringLiteral("Patient_id"), QStringLiteral("MRN1")},
                                       {QStringLiteral("DOB"), QStringLiteral("01/19/1970")},
                                       {QStringLiteral("Collection_date"), QStringLiteral("12/08/2026")},
                                       {QStringLiteral("Collection_Time"), QStringLiteral("0915")},
                                       {QStringLiteral("Recieve_date"), QStringLiteral("12/08/2026")},
                                       {QStringLiteral("Recieve_Time"), QStringLiteral("0930")},
                                       {QStringLiteral("Created"), QDateTime(QDate(2026, 12, 8), QTime(9, 30))}};
    for (qint64 accn : {100012345, 100012346}) {
        Support::ColumnValues v = values;
        v.push_back({QStringLiteral("AccnNum"), accn});
        v.push_back({QStringLiteral("AccnStr"), QStringLiteral("X%1").arg(accn - 100000000)});
        Support::AddPatient(store, v, {QStringLiteral("CBC")});
    }
    const QSqlDatabase db = store.database();
    const LisSettings settings;
    // The main window's count reads only the states: it must agree with a send's reading.
    const auto sameCounts = [&] {
        const LisOverview full = ReadLisOverview(db, settings);
        const LisOverview states = ReadLisOverview(db, settings, LisReading::StatesOnly);
        for (LisState state : AllStates)
            EXPECT_EQ(states.count(state), full.count(state)) << StateText(state).toStdString();
    };
    LisMessages messages(db);
    ASSERT_TRUE(messages.present());
    // Both as the LIS accepted them.
    for (const LisItem &item : ReadLisOverview(db, settings).items) {
        ASSERT_EQ(item.orderControl, OrderControl::New);
        const LisMessageRow sent{0, item.orderId, item.accnNum, item.accnStr, item.orderControl, item.controlId,
                                 item.digest, QDateTime::currentDateTime(), QStringLiteral("ER"), {}, {}};
        const qint64 row = messages.open(sent, item.message.text(), item.lastMessage);
        ASSERT_GT(row, 0);
        // A second station that read the same state sends nothing: this one sent it.
        EXPECT_EQ(messages.open(sent, item.message.text(), item.lastMessage), 0);
        messages.close(row, LisMessages::Accepted, {});
    }
    EXPECT_EQ(ReadLisOverview(db, settings).notAccepted(), 0);
    sameCounts();
    ExecRegister(db, QStringLiteral("UPDATE patients SET Location = 'ICU' WHERE AccnNum = 100012345"));
    EXPECT_EQ(ReadLisOverview(db, settings, LisReading::StatesOnly).count(LisState::Changed), 1);
    sameCounts();

    ASSERT_EQ(store.tblPatients.asInteger(QStringLiteral("AccnNum")), 100012346); // the newest, current since its save
    store.DeleteCurrent();
    EXPECT_EQ(store.getNextTabrix(), 100012347); // the newest number stays given: the LIS holds it
    LisOverview overview = ReadLisOverview(db, settings);
    ASSERT_EQ(overview.items.size(), 2);
    EXPECT_EQ(overview.items[1].state, LisState::Deleted);
    EXPECT_EQ(overview.items[1].orderControl, OrderControl::Cancel);
    EXPECT_EQ(overview.items[1].message.field(overview.items[1].message.segmentsOf(QStringLiteral("ORC")).first(), 2),
              QStringLiteral("X12346-CBC^TABRIX"));
    sameCounts();

    store.EmptyPatients();
    overview = ReadLisOverview(db, settings);
    ASSERT_EQ(overview.items.size(), 1); // X12345 left with the reset: no cancel
    EXPECT_EQ(overview.items[0].accnStr, QStringLiteral("X12346"));
    EXPECT_EQ(overview.items[0].state, LisState::Deleted);
}
