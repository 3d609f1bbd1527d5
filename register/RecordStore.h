#pragma once
#include "register/AuditTrail.h"
#include "register/Cursor.h"
#include "register/Registration.h"
#include "register/Station.h"

#include <QSqlDatabase>

namespace Tabrix {

// The register: one connection, named by the data link file beside the program,
// with the patient and test cursors the main window works on for the whole run.
// (The export reads the register through a statement of its own.)
class RecordStore : public QObject {
    Q_OBJECT
public:
    // The station gives the range its numbers come from, and keeps NextNum.
    explicit RecordStore(Station &station, QObject *parent = nullptr);
    ~RecordStore() override;

    // Reads the data link file, opens the database, makes SQLite's quick check of
    // a register file (within a second; damage()), then opens the patient cursor,
    // the test cursor and works out TAccn.NextNum. Raises ETabrixError on failure.
    void Connect(const QString &dataLinkFile);
    // What the quick check at Connect found wrong with the register file; empty when whole.
    const QStringList &damage() const { return m_damage; }
    // Closes the test cursor, the patient cursor and the connection; nothing
    // happens when the store is closed already.
    void Disconnect();
    bool connected() const { return m_db.isOpen(); }
    Station &station() const { return m_station; }
    QSqlDatabase database() const { return m_db; }

    // The first accession number that may be handed out: the largest in the
    // station's range [TAccn.MinValue, TAccn.MaxValue] plus one, or MinValue
    // while the range holds none. A register that keeps every number it gave
    // (accn_given) counts those, deleted registrations' included; an older one
    // counts its rows.
    qint64 getNextTabrix();
    bool keepsGivenNumbers() const { return m_keepsGivenNumbers; }
    // Deletes the current registration. The number it had stays given, unless it
    // is the newest of the station's range, the print ledger holds no label of it
    // and it was never sent to the LIS; both in one transaction.
    void DeleteCurrent();
    // The current registration as the register holds it: the patient cursor's
    // row and its tests read afresh, in the test list's order (a record being
    // edited: what was saved of it). Null when there is no saved current row.
    Registration currentRegistration() const;
    // The current record's row as the register holds it (an edited record: what was
    // saved of it); empty when there is no saved current row.
    QSqlRecord storedPatient() const;
    // Whether the print ledger holds a sent label of the registration `orderId`
    // (false for a register without a ledger).
    bool labelsSent(const QVariant &orderId) const;
    // Empties the register ("delete from patients"); numbering starts again.
    void EmptyPatients();

    // Saves the patient cursor's row (new or changed) with its audit row, in one
    // transaction; a register without an audit trail saves it alone. `stored`: the
    // row as the register holds it (storedPatient; empty for a new one), whose
    // values a change's audit row names as the old ones.
    void postPatient(const QSqlRecord &stored);
    // The same for the test cursor's new row, and for deleting its current one.
    void postTest();
    void deleteTest();
    // What Reset Accns writes for each registration it empties that was sent to
    // the LIS (a row of lis_messages without a message): no cancel follows it.
    static inline const QString EmptiedForLis = QStringLiteral("emptied by Reset Accns");

    Cursor tblPatients{QStringLiteral("patients"), QStringLiteral("Order_id")};
    Cursor tblTests{QStringLiteral("tests"), QStringLiteral("Test_id")};

private:
    void release();
    Station &m_station;
    QString m_connectionName;
    QSqlDatabase m_db;
    bool m_keepsGivenNumbers = false;
    bool m_hasLedger = false;      // the print ledger, whose labels keep their numbers given
    bool m_hasLisMessages = false; // the messages to the LIS, whose numbers it may hold
    bool m_hasAudit = false;       // the audit trail, written with every change
    QStringList m_damage;
    void audit(const AuditEntry &entry) const;
    AuditEntry testEntry(const QString &action) const;
};

} // namespace Tabrix
