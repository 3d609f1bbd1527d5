#include "register/RecordStore.h"
#include "base/EventLog.h"
#include "base/LedgerOutcome.h"
#include "register/DataLink.h"
#include "register/RegisterCheck.h"
#include "register/SQUtils.h"
#include "register/DateText.h"
#include "base/Clock.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace Tabrix {

RecordStore::RecordStore(Station &station, QObject *parent)
    : QObject(parent), m_station(station),
      m_connectionName(QStringLiteral("tabrix-%1").arg(reinterpret_cast<quintptr>(this)))
{
    tblPatients.setSortFields({QStringLiteral("AccnNum")});
    tblTests.setSortFields({QStringLiteral("Order_id")});
    tblTests.setMaster(&tblPatients, QStringLiteral("Order_id"));
}

RecordStore::~RecordStore()
{
    release();
}

// Drops the connection altogether, so its name can be given again.
void RecordStore::release()
{
    Disconnect();
    for (Cursor *c : {&tblPatients, &tblTests})
        c->setDatabase(QSqlDatabase());
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void RecordStore::Connect(const QString &dataLinkFile)
{
    release();
    const DataLink link = DataLink::Read(dataLinkFile);
    m_db = link.Connect(m_connectionName, QFileInfo(dataLinkFile).absolutePath());
    try {
        m_damage = CheckRegisterFile(m_db, true, 1000, 10);
        for (Cursor *c : {&tblPatients, &tblTests})
            c->setDatabase(m_db);
        tblPatients.Open();
        tblTests.Open();
        // The tables the register was made or upgraded with, listed once.
        const QStringList tables = m_db.tables();
        const auto has = [&](const char *table) { return tables.contains(QLatin1String(table), Qt::CaseInsensitive); };
        m_keepsGivenNumbers = has("accn_given");
        m_hasLedger = has("label_log");
        m_hasLisMessages = has("lis_messages");
        m_hasAudit = has("audit_log");
        m_station.setNextNum(getNextTabrix());
        EventLog::Write(QStringLiteral("register opened: %1").arg(RegisterName(m_db)));
    } catch (...) {
        Disconnect();
        throw;
    }
}

void RecordStore::Disconnect()
{
    tblTests.Close();
    tblPatients.Close();
    if (m_db.isOpen())
        m_db.close();
}

namespace {
// The patient columns an audit row names, as the register's schema spells them
// (a server may give its names in lower case).
constexpr const char *PatientColumns[] = {"AccnNum",  "AccnStr",         "Created",         "Last_Name",
                                          "First_Name", "Middle_Initial", "Gender",          "Patient_id",
                                          "DOB",      "Location",        "Collection_date", "Collection_Time",
                                          "Recieve_date", "Recieve_Time"};

// Every column of a row that holds a value, one "Column: value" line each.
QStringList wholeRow(const QSqlRecord &row)
{
    QStringList lines;
    for (const char *column : PatientColumns)
        if (const QString text = StoredText(row.value(QLatin1String(column))); !text.isEmpty())
            lines << QStringLiteral("%1: %2").arg(QLatin1String(column), text);
    return lines;
}
} // namespace

qint64 RecordStore::getNextTabrix()
{
    const TAccnRecord &TAccn = m_station.settings().TAccn;
    // The largest number within the station's own range: rows of another
    // station's range, or of an older one, neither block nor shift the numbering.
    // 1 is added here, in 64 bits: after 2147483647 comes 2147483648 (refused as
    // above the range), never a wrapped number.
    const QString table = m_keepsGivenNumbers ? QStringLiteral("accn_given") : QStringLiteral("patients");
    QSqlQuery qNextAccn = ExecRegister(m_db, QStringLiteral("select max(AccnNum)\nfrom %1\nwhere AccnNum >= ? and AccnNum <= ?").arg(table),
                                       {TAccn.MinValue, TAccn.MaxValue});
    if (!qNextAccn.next() || qNextAccn.value(0).isNull())
        return TAccn.MinValue;
    return qNextAccn.value(0).toLongLong() + 1;
}

void RecordStore::DeleteCurrent()
{
    const qint32 accn = tblPatients.asInteger(QStringLiteral("AccnNum"));
    const TAccnRecord &TAccn = m_station.settings().TAccn;
    // What is deleted goes into the audit row whole, with its tests.
    AuditEntry deleted;
    if (m_hasAudit) {
        const Registration gone = currentRegistration();
        QStringList lines = wholeRow(gone.patient());
        QStringList codes;
        for (const TestOrder &test : gone.tests())
            codes << test.code;
        lines << QStringLiteral("Tests: ") + codes.join(QStringLiteral(", "));
        deleted = {AuditAction::Delete, tblPatients.key(), tblPatients.asString(QStringLiteral("AccnStr")), lines.join(u'\n')};
    }
    tblPatients.Delete([&](const QVariant &) {
        audit(deleted);
        if (!m_keepsGivenNumbers)
            return;
        // Labels may carry a number the ledger knows of, even one that failed, and the
        // LIS may hold a number it was sent: such a number is never given again.
        QString sql = QStringLiteral("DELETE FROM accn_given WHERE AccnNum = ? AND AccnNum >= ? AND AccnNum <= ? "
                                     "AND NOT EXISTS (SELECT 1 FROM accn_given WHERE AccnNum > ? AND AccnNum <= ?)");
        QVariantList values{accn, TAccn.MinValue, TAccn.MaxValue, accn, TAccn.MaxValue};
        for (const auto &[kept, table] : {std::pair{m_hasLedger, "label_log"}, std::pair{m_hasLisMessages, "lis_messages"}}) {
            if (!kept)
                continue;
            sql += QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM %1 WHERE AccnNum = ?)").arg(QLatin1String(table));
            values << accn;
        }
        ExecRegister(m_db, sql, values);
    });
    EventLog::Write(QStringLiteral("deleted %1").arg(AccnNumToStr(accn)));
}

QSqlRecord RecordStore::storedPatient() const
{
    const Cursor &p = tblPatients;
    if (!p.active() || p.IsEmpty() || p.state() == Cursor::State::Insert || p.key().isNull())
        return {};
    QSqlQuery row = ExecRegister(m_db, QStringLiteral("SELECT * FROM patients WHERE Order_id = ?"), {p.key()});
    return row.next() ? row.record() : QSqlRecord(); // none: deleted meanwhile by another station
}

Registration RecordStore::currentRegistration() const
{
    const Cursor &p = tblPatients;
    const QSqlRecord patient = storedPatient();
    if (patient.isEmpty())
        return {};
    QList<TestOrder> tests;
    QSqlQuery q = ExecRegister(m_db, QStringLiteral("SELECT Test_id, TestCode FROM tests WHERE Order_id = ? ORDER BY Test_id"),
                               {p.key()});
    while (q.next())
        tests << TestOrder{q.value(0), q.value(1).toString()};
    return Registration(patient, p.dateTimeColumns(), tests);
}

bool RecordStore::labelsSent(const QVariant &orderId) const
{
    if (!m_hasLedger || orderId.isNull())
        return false;
    // The ledger's word for a label the spooler took.
    QSqlQuery q = ExecRegister(
        m_db, QStringLiteral("SELECT 1 FROM label_log WHERE Order_id = ? AND %1 LIMIT 1").arg(LedgerOutcome::SentCondition()),
        {orderId});
    return q.next();
}

void RecordStore::EmptyPatients()
{
    RegisterTransaction transaction(m_db);
    if (m_hasAudit) {
        QSqlQuery counts = ExecRegister(m_db, QStringLiteral("SELECT (SELECT count(*) FROM patients), (SELECT count(*) FROM tests)"));
        counts.next();
        audit({AuditAction::Reset, QVariant(), QString(),
               QStringLiteral("Registrations: %1\nTests: %2").arg(counts.value(0).toLongLong()).arg(counts.value(1).toLongLong())});
    }
    // Registrations sent to the LIS leave the register here, not by a delete of
    // their own: their rows are closed so that no cancel is ever sent for them.
    if (m_hasLisMessages)
        ExecRegister(m_db,
                     QStringLiteral("INSERT INTO lis_messages (Order_id, AccnNum, AccnStr, Sent, Station, Outcome) "
                                    "SELECT p.Order_id, p.AccnNum, p.AccnStr, ?, ?, ? FROM patients p "
                                    "WHERE EXISTS (SELECT 1 FROM lis_messages m WHERE m.Order_id = p.Order_id)"),
                     {Clock::now(), NonNullText(m_station.settings().StationID), EmptiedForLis});
    ExecRegister(m_db, QStringLiteral("delete from patients"));
    if (m_keepsGivenNumbers)
        ExecRegister(m_db, QStringLiteral("delete from accn_given"));
    transaction.commit();
}

void RecordStore::audit(const AuditEntry &entry) const
{
    if (m_hasAudit)
        WriteAuditRow(m_db, m_station.settings().StationID, entry);
}

void RecordStore::postPatient(const QSqlRecord &stored)
{
    Cursor &p = tblPatients;
    if (!m_hasAudit || !p.editing()) {
        p.Post();
        return;
    }
    AuditEntry entry{p.state() == Cursor::State::Insert ? AuditAction::New : AuditAction::Change, QVariant(),
                     p.asString(QStringLiteral("AccnStr")), QString()};
    if (entry.action == AuditAction::New) {
        entry.details = wholeRow(p.current()).join(u'\n');
    } else {
        // Each column changed, with what the register held before.
        QStringList changes;
        for (const char *name : PatientColumns) {
            const QString column = QLatin1String(name);
            const QString was = StoredText(stored.value(column)), now = StoredText(p.value(column));
            if (was != now)
                changes << QStringLiteral("%1: %2 -> %3").arg(column, was, now);
        }
        if (changes.isEmpty()) {
            p.Post();
            return;
        }
        entry.details = changes.join(u'\n');
    }
    p.Post([&](const QVariant &key) {
        entry.orderId = key;
        audit(entry);
    });
}

AuditEntry RecordStore::testEntry(const QString &action) const
{
    return {action, tblPatients.key(), tblPatients.asString(QStringLiteral("AccnStr")),
            QStringLiteral("TestCode: ") + tblTests.asString(QStringLiteral("TestCode"))};
}

void RecordStore::postTest()
{
    if (!m_hasAudit || tblTests.state() != Cursor::State::Insert) {
        tblTests.Post();
        return;
    }
    const AuditEntry entry = testEntry(AuditAction::TestAdded);
    tblTests.Post([&](const QVariant &) { audit(entry); });
}

void RecordStore::deleteTest()
{
    if (!m_hasAudit) {
        tblTests.Delete();
        return;
    }
    const AuditEntry entry = testEntry(AuditAction::TestRemoved);
    tblTests.Delete([&](const QVariant &) { audit(entry); });
}

} // namespace Tabrix
