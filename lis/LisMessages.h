#pragma once
#include "register/RecordStore.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <functional>

namespace Tabrix {

// One row of the register's record of what was sent to the LIS (table lis_messages).
struct LisMessageRow {
    qint64 id = 0;
    qint64 orderId = 0, accnNum = 0;
    QString accnStr, orderControl, controlId, digest;
    QDateTime sent;
    QString station, outcome, reply;
};

// The register's record of the messages sent to the LIS: a row for every
// message, committed before it goes and completed with the answer, so that no
// message leaves without its row. A register made before it has none.
class LisMessages {
public:
    static inline const QString Sending = QStringLiteral("sending, not confirmed");
    static inline const QString Accepted = QStringLiteral("accepted");
    static inline const QString Refused = QStringLiteral("refused");
    static inline const QString NotConfirmed = QStringLiteral("not confirmed");
    // The row Reset Accns writes for a registration it empties that was sent.
    static inline const QString &Emptied = RecordStore::EmptiedForLis;

    explicit LisMessages(const QSqlDatabase &db);
    bool present() const { return m_present; }
    // What the user is told when the register has no such table.
    static QString missingText();

    // Every row (the message text left out), by registration and then in the order
    // sent; none when the register has no such table.
    void forEach(const std::function<void(const LisMessageRow &)> &take) const;
    // The message text of a row.
    QString messageOf(qint64 row) const;
    // The new row's key once committed (outcome Sending), when the registration's
    // last row is still `lastBefore` (0: none); else 0, writing nothing: another
    // station sent it meanwhile. Raises EDatabaseError.
    qint64 open(const LisMessageRow &row, const QString &message, qint64 lastBefore);
    // Raises EDatabaseError when the row cannot be completed.
    void close(qint64 row, const QString &outcome, const QString &reply);

private:
    QSqlDatabase m_db;
    bool m_present = false;
};

} // namespace Tabrix
