#include "labels/LabelLedger.h"
#include "app/base/Clock.h"
#include "app/base/Prompter.h"
#include "app/base/TabrixDefs.h"
#include "register/Cursor.h"

#include <QCryptographicHash>
#include <QSqlQuery>

namespace Tabrix {

namespace {
// Text for a column that holds no NULL: Qt binds a null text as NULL.
QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

// Completes a ledger row while an error is on its way to the user already.
void closeQuietly(LabelLedger &ledger, qint64 row, const LabelJob &job)
{
    try {
        ledger.close(row, job);
    } catch (const ETabrixError &) {
        // the error being raised is the one the user must see
    }
}
} // namespace

LabelLedger::LabelLedger(const QSqlDatabase &db)
    : m_db(db)
{
    for (const QString &table : db.tables())
        if (table.compare(QLatin1String("label_log"), Qt::CaseInsensitive) == 0)
            m_present = true;
}

QString LabelLedger::missingText()
{
    return QStringLiteral("This register has no print ledger yet: run \"tabrix-register upgrade\" on its folder to add "
                          "one. Labels are printed as before meanwhile.");
}

qint64 LabelLedger::open(const LedgerEntry &e)
{
    // The reprint count comes from the rows already there, in the same statement.
    QSqlQuery q = ExecRegister(
        m_db,
        QStringLiteral("INSERT INTO label_log (Order_id, AccnNum, AccnStr, TestCode, Printed, Station, Bytes, Digest, "
                       "Outcome, Reprint) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "(SELECT count(*) FROM label_log WHERE Order_id = ? AND AccnNum = ? AND TestCode = ? "
                       "AND Outcome = ?)) RETURNING Label_id"),
        {e.orderId, e.accnNum, text(e.accnStr), text(e.testCode), Clock::now(), text(TabrixDefs::StationID), qint64(e.bytes.size()),
         QString::fromLatin1(QCryptographicHash::hash(e.bytes, QCryptographicHash::Sha256).toHex()),
         QStringLiteral("sending, not confirmed"), e.orderId, e.accnNum, text(e.testCode), LabelJob::Sent});
    if (!q.next())
        throw EDatabaseError(QStringLiteral("The print ledger gave no row for the label"));
    return q.value(0).toLongLong();
}

void LabelLedger::close(qint64 row, const LabelJob &job)
{
    ExecRegister(m_db, QStringLiteral("UPDATE label_log SET Printer = ?, Job_id = ?, Outcome = ? WHERE Label_id = ?"),
                 {text(job.printer), job.jobId > 0 ? QVariant(job.jobId) : QVariant(), text(job.outcome), row});
}

bool PrintRecorded(LabelLedger &ledger, const LedgerEntry &entry, const QString &label, LabelJob &job)
{
    if (!ledger.present())
        return PrintLabel(entry.bytes, label, &job);
    qint64 row = 0;
    try {
        row = ledger.open(entry);
    } catch (const ETabrixError &e) {
        ShowError(QStringLiteral("%1 was not printed: the print ledger cannot record it (%2). Printing stopped.")
                      .arg(TheLabel(label), e.message()));
        return false;
    }
    bool printed = false;
    try {
        printed = PrintLabel(entry.bytes, label, &job);
    } catch (const ETabrixError &e) {
        closeQuietly(ledger, row, {job.printer, job.jobId, e.message()});
        throw;
    }
    try {
        ledger.close(row, job);
    } catch (const ETabrixError &e) {
        ShowError(QStringLiteral("%1 %2, but the print ledger could not record what became of it (%3). Printing stopped.")
                      .arg(TheLabel(label), printed ? QStringLiteral("was sent to ") + job.printer : QStringLiteral("failed"),
                           e.message()));
        return false;
    }
    return printed;
}

} // namespace Tabrix
